#include "gfx/Hud.h"

bool CHud::Build() { return false; }
bool CHud::AddText(const char*) { return false; }
bool CHud::AddFadedText(const char*) { return false; }
bool CHud::Render() { return false; }
