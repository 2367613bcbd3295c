#include "game/Game.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <new>

int main(int, char**)
{
    // The only exception anything here throws is the library's own, when
    // memory runs out (a map too big for the memory there is, most often).
    CGame game;
    try {
        return game.Run();
    } catch (const std::bad_alloc&) {
        fprintf(stderr, "Out of memory while %s\n", game.Activity());
        SDL_Quit();
        return 1;
    }
}
