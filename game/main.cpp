#include "game/Game.h"
#include "game/GameOptions.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <new>

int main(int argc, char** argv)
{
    GameOptions options{DEFAULT_DETAIL_PIXELS, DEFAULT_VIEW_DISTANCE};
    if (int status = ParseGameOptions(argc, argv, options); status >= 0)
        return status == 0 ? 0 : 1;
    // The only exception anything here throws is the library's own, when
    // memory runs out (a map too big for the memory there is, most often).
    CGame game;
    game.map.detailPixels = options.detailPixels;
    game.map.viewDistance = options.viewDistance;
    try {
        return game.Run();
    } catch (const std::bad_alloc&) {
        fprintf(stderr, "Out of memory while %s\n", game.Activity());
        SDL_Quit();
        return 1;
    }
}
