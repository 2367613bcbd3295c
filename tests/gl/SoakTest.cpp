// Guards: heap growth in the frame loop, GL lists or textures made after warm-up, HUD slots overrunning, over many
// frames of held keys and presses (TERRAVELL_SOAK_FRAMES, 5000 by default; scripts/soak.sh runs 100,000).
#include "tests/support/GlWindow.h"
#include "tests/support/TempDir.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <algorithm>
#include <malloc.h>

TEST(Soak, HeapGlObjectsAndHudSlotsStayPut)
{
    // Held in turn, a few at a time; every key reaches every path of the input.
    const SDLKey keyCycle[] = {SDLK_UP, SDLK_LEFT, SDLK_x, SDLK_DOWN, SDLK_LCTRL, SDLK_RIGHT,
                               SDLK_a,  SDLK_c,    SDLK_s, SDLK_z,    SDLK_d};
    const long count = sizeof keyCycle / sizeof keyCycle[0], warmUp = 40 * count;
    const long frames =
        std::max(3 * warmUp, getenv("TERRAVELL_SOAK_FRAMES") ? atol(getenv("TERRAVELL_SOAK_FRAMES")) : 5000);
    CTempDir dir;
    dir.CopyBuildAssets();
    CGame game;
    ASSERT_FALSE(game.Start());
    uint8_t keys[SDLK_LAST] = {};
    std::vector<double> heapKiB[2];  // in use, through each half after warm-up
    GLuint list = 0, texture = 0;    // the next free names at warm-up
    uint32_t mostSlots = 0;
    for (long frame = 0; frame < frames; ++frame) {
        for (long k = 0; k < count; ++k)  // key k is held for 40 frames, and now and then with others
            keys[keyCycle[k]] = (frame / 40 - k) % count == 0 || (frame / 37 + k) % 7 == 0;
        const float distance = game.map.player.camera.z;  // kept where the scene is in view
        if (distance < 20 || distance > 400)
            keys[SDLK_a] = distance<20, keys[SDLK_z] = distance> 400;
        if (frame % 29 == 0) {  // a press, read with whatever is held (c or d show messages)
            SDL_Event press = {};
            press.type = press.key.type = SDL_KEYDOWN;
            SDL_PushEvent(&press);
        }
        game.RunFrame(keys);
        mostSlots = std::max({mostSlots, game.hud.lineCount, game.hud.messageCount});
        if (frame == warmUp) {
            list = glGenLists(1), glDeleteLists(list, 1);
            glGenTextures(1, &texture), glDeleteTextures(1, &texture);
        }
        if (frame > warmUp && frame % 50 == 0)
            heapKiB[frame > (warmUp + frames) / 2].push_back(double(mallinfo2().uordblks) / 1024.0);
    }
    for (GLuint k = 1; k <= 4096; ++k)  // the driver names new objects above every name used so far
        ASSERT_FALSE(glIsList(list + k) || glIsTexture(texture + k)) << "an OpenGL object made after warm-up";
    for (auto& half : heapKiB)
        std::nth_element(half.begin(), half.begin() + long(half.size() / 2), half.end());
    EXPECT_LT(heapKiB[1][heapKiB[1].size() / 2] - heapKiB[0][heapKiB[0].size() / 2], 1024.0)
        << "median heap in use, KiB";
    EXPECT_LE(mostSlots, uint32_t(HUD_SLOTS));
}
