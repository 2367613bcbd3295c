#pragma once

#include "game/GameOptions.h"
#include "gfx/Font.h"
#include "gfx/Hud.h"
#include "world/Map.h"

#include <cstdint>
#include <string>

// The one top-level object: owns the font, the world and the HUD, runs the
// start-up, the frame loop and the shutdown.
class CGame {
public:
    CFont font;
    CMap map;
    CHud hud;
    // Where F12's pictures go: the folder the game was started in (empty:
    // the working directory).
    std::string pictureFolder;

    CGame();

    // Takes the view's options and, when one was given, the wedge's start.
    void Configure(const GameOptions& options);

    // Start-up and frame loop; 0 after a normal quit, 1 after a failed start.
    int Run();

    // What the game was doing, for a line about running out of memory:
    // "loading Data/map1.raw", "running".
    const char* Activity() const { return activity; }

    // The start-up steps with their failure lines; true on failure.
    bool Start();
    bool Init_Renderer();
    bool Init_Render();
    bool Init_LoadScene();

    // Draws one frame and shows it, saving it as a picture first when F12
    // asked for one.
    bool RenderFrame();
    // The drawing of RenderFrame without the buffer swap, so that the back
    // buffer can still be read.
    void DrawFrame();
    // The projection for where the camera is this frame, and the haze.
    void SetupView();

    // One pass of the frame loop with a key-state array (SDL's own in the
    // game, a test's in tests). True when the loop should end.
    bool RunFrame(const uint8_t* keys);

private:
    char activity[160] = "starting";
    bool startGiven = false;  // checked against the map once it is loaded
    bool pictureWanted = false;
    unsigned nextPicture = 1;  // the first picture name not known to be taken
    // Writes the back buffer as the next picture and says where, or why
    // not, in a fading message.
    void SavePicture();
    void SetActivity(const char* doing, const char* what = "");
};
