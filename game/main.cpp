#include "game/Game.h"

int main(int, char**)
{
    CGame game;
    return game.Run();
}
