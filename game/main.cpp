#include "game/Game.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <new>

int main(int, char**)
{
    // The only exception anything here throws is the library's own, when
    // memory runs out (a map too big for the memory there is, most often).
    try {
        CGame game;
        return game.Run();
    } catch (const std::bad_alloc&) {
        fprintf(stderr, "Out of memory: the world needs more memory than the system gives\n");
        SDL_Quit();
        return 1;
    }
}
