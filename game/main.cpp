#include "game/Game.h"
#include "game/GameOptions.h"
#include "game/WorldFolder.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <filesystem>
#include <new>

int main(int argc, char** argv)
{
    GameOptions options;
    if (int status = ParseGameOptions(argc, argv, options); status >= 0)
        return status == 0 ? 0 : 1;
    // Pictures go where the user started the game, not into the world.
    std::error_code unknown;
    const std::string startFolder = std::filesystem::current_path(unknown).string();
    std::string error;
    if (!options.world.empty() && EnterWorld(options.world, error)) {
        fprintf(stderr, "terravell: %s\n", error.c_str());
        return 1;
    }
    // The only exception anything here throws is the library's own, when
    // memory runs out (a map too big for the memory there is, most often).
    CGame game;
    game.Configure(options);
    game.pictureFolder = startFolder;
    try {
        return game.Run();
    } catch (const std::bad_alloc&) {
        fprintf(stderr, "Out of memory while %s\n", game.Activity());
        SDL_Quit();
        return 1;
    }
}
