#include "game/Game.h"

#include "base/GameFacts.h"
#include "game/FrameInput.h"
#include "gfx/AssetPath.h"
#include "gfx/BackBuffer.h"
#include "gfx/PngPicture.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL/SDL.h>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>

CGame::CGame()
{
    map.owner = this;
    font.owner = this;
    hud.owner = this;
    map.player.owner = this;
}

void CGame::Configure(const GameOptions& options)
{
    map.detailPixels = options.detailPixels;
    map.viewDistance = options.viewDistance;
    startGiven = options.startGiven;
    if (startGiven)
        map.player.PlaceStart(options.startX, options.startY);
}

int CGame::Run()
{
    if (Start())
        return 1;
    bool quit = false;
    while (!quit)
        quit = RunFrame(SDL_GetKeyState(nullptr));
    SDL_Quit();
    return 0;
}

bool CGame::Start()
{
    // The software renderer takes and frees megabytes every frame; handed
    // back to the system each time, they cost page faults that can double
    // the frame. Keep up to this much free memory in the process instead.
    mallopt(M_TRIM_THRESHOLD, FREE_MEMORY_KEPT);
    SetActivity("opening the window");
    if (Init_Renderer()) {
        fprintf(stderr, "Error in CGame::Init_Renderer(): %s\n", SDL_GetError());
        return true;
    }
    if (Init_Render()) {
        fprintf(stderr, "Error in CGame::Init_Render(): %s\n", SDL_GetError());
        return true;
    }
    if (Init_LoadScene()) {
        fprintf(stderr, "Error in CGame::Init_LoadScene(): %s\n", SDL_GetError());
        return true;
    }
    hud.AddFadedText("Done Loading...");
    SetActivity("running");
    return false;
}

void CGame::SetActivity(const char* doing, const char* what)
{
    snprintf(activity, sizeof activity, "%s%s", doing, what);
}

bool CGame::Init_Renderer()
{
    // With no display SDL would fall back to a text-mode driver, which writes
    // escape codes to the terminal and then fails for want of OpenGL; the X11
    // driver says at once that there is no display. A user's own choice wins.
    setenv("SDL_VIDEODRIVER", "x11", 0);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        fprintf(stderr, "Unable to initialize SDL: %s\n", SDL_GetError());
        return true;
    }
    if (!SDL_SetVideoMode(WINDOW_WIDTH, WINDOW_HEIGHT, 32, SDL_HWSURFACE | SDL_OPENGL)) {
        fprintf(stderr, "Unable to create OpenGL screen: %s\n", SDL_GetError());
        SDL_Quit();
        return true;
    }
    SDL_WM_SetCaption(WINDOW_CAPTION, nullptr);
    glViewport(0, 0, WINDOW_WIDTH, WINDOW_HEIGHT);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    gluPerspective(FIELD_OF_VIEW_DEGREES, double(WINDOW_WIDTH) / double(WINDOW_HEIGHT), NEAR_PLANE, double(HAZE_START));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    return false;
}

bool CGame::Init_Render()
{
    SetActivity("building the font");
    if (font.Build(AssetPath(FONT_ASSET).c_str())) {
        fprintf(stderr, "Error building font: %s\n", SDL_GetError());
        return true;
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glColor3f(1, 1, 1);
    font.Print("...Loading...", 250, 200, 1, 1, 1);
    font.Print("Please Wait", 262, 180, 1, 1, 1);
    SDL_GL_SwapBuffers();
    glFlush();
    return false;
}

bool CGame::Init_LoadScene()
{
    SetActivity("building the HUD");
    if (hud.Build()) {
        fprintf(stderr, "Error building Hud: %s\n", SDL_GetError());
        return true;
    }
    // The map's loader has written its own line on failure.
    const std::string mapPath = AssetPath(MAP_ASSET);
    SetActivity("loading ", mapPath.c_str());
    if (map.Load(mapPath.c_str()))
        return true;
    // A start off the map would fall, and be put back, for ever.
    const CPlayer& player = map.player;
    if (startGiven && !map.Contains(player.position.x, player.position.y)) {
        char why[160];  // SDL's own formatting knows no %g
        snprintf(why, sizeof why, "--start %g,%g lies off the map, which spans 0 to %g across and 0 to %g down",
                 double(player.position.x), double(player.position.y), double(map.columns - 1) * map.cellSize,
                 double(map.rows - 1) * map.cellSize);
        SDL_SetError("%s", why);
        fprintf(stderr, "Unable to place the wedge: %s\n", why);
        return true;
    }
    SetActivity("loading the scene");
    if (map.player.BuildMesh()) {
        fprintf(stderr, "Error building Player mesh: %s\n", SDL_GetError());
        return true;
    }
    if (map.skyBox.Build(SKY_NAME)) {
        fprintf(stderr, "Error building SkyBox: %s\n", SDL_GetError());
        return true;
    }
    return false;
}

bool CGame::RenderFrame()
{
    DrawFrame();
    if (pictureWanted)
        SavePicture();
    SDL_GL_SwapBuffers();
    return false;
}

void CGame::SavePicture()
{
    pictureWanted = false;
    std::string name, error;
    const std::vector<uint8_t> frame = ReadBackBufferRows();
    const bool failed = SaveNewPicture(pictureFolder, frame, WINDOW_WIDTH, WINDOW_HEIGHT, nextPicture, name, error);
    hud.AddFadedText((failed ? "Picture not saved: " + error : "Saved " + name).c_str());
}

void CGame::SetupView()
{
    // ApplyCamera's translation moves the eye to the origin.
    const Vec3 t = map.player.CameraTranslation();
    const ViewDepth depth = map.DepthRange(Vec3(-t.x, -t.y, -t.z));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FIELD_OF_VIEW_DEGREES, double(WINDOW_WIDTH) / double(WINDOW_HEIGHT), depth.nearPlane,
                   depth.farPlane);
    glMatrixMode(GL_MODELVIEW);
    // The sky's cube is drawn at the far end of the depth range whatever its
    // size; its corners are at most 59 degrees off the view's axis, so at
    // 2.5 times the near plane it stays beyond it (and within the far one).
    map.skyBox.scale = depth.nearPlane > NEAR_PLANE ? float(2.5 * depth.nearPlane) : 1.0f;
    map.haze = depth.haze;
    map.hazeEnd = float(depth.farPlane);
    if (depth.haze) {
        // From clear at HAZE_START to the sky's own horizon at the far plane.
        const Vec3& sky = map.skyBox.horizon;
        const GLfloat colour[4] = {sky.x, sky.y, sky.z, 1.0f};
        glFogi(GL_FOG_MODE, GL_LINEAR);
        glFogf(GL_FOG_START, HAZE_START);
        glFogf(GL_FOG_END, float(depth.farPlane));
        glFogfv(GL_FOG_COLOR, colour);
    }
}

void CGame::DrawFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SetupView();
    map.player.ApplyCamera();
    // The sky goes after the terrain, into the pixels the terrain left
    // empty; it writes no depth, so the wedge is drawn over it as before.
    map.Render();
    map.skyBox.Render();
    map.player.Render();
    hud.Render();
}

bool CGame::RunFrame(const uint8_t* keys)
{
    CPlayer& player = map.player;
    player.Update();
    RenderFrame();

    float speed = 0.0f;
    float turn = 0.0f;
    AddDebugLines(hud, player, map);
    ApplyHeldKeys(keys, map.lightDir, player.camera, speed, turn);
    player.Turn(turn, 0, 0);
    player.Accelerate(speed, 0, 0);

    // Key presses are read from the held-key array, not from the event,
    // so a press of any key while c or d is held shows its message.
    bool quit = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            quit = true;
        } else if (event.type == SDL_KEYDOWN) {
            if (keys[SDLK_d])
                hud.AddFadedText("You pressed d! (TextFaded)");
            if (keys[SDLK_c])
                hud.AddFadedText("You pressed c! (TextFaded)");
            // The next frame is saved as it is drawn, before its swap.
            if (event.key.keysym.sym == SDLK_F12)
                pictureWanted = true;
            // A tap shorter than a frame is gone from the key-state array
            // by the time the queue is drained, so the event's key counts too.
            if (keys[SDLK_ESCAPE] || event.key.keysym.sym == SDLK_ESCAPE)
                quit = true;
        }
    }
    return quit;
}
