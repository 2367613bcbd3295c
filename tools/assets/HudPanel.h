#pragma once

#include "base/GameFacts.h"
#include "tools/common/Image.h"

#include <string>

// The band across the top of the window, as the game composites it: the
// scene times the mask, plus the picture. White mask lets the scene through,
// black hides it; the picture adds its light on top.
constexpr int HUD_PANEL_WIDTH = WINDOW_WIDTH;  // one texel a pixel on the band

struct HudFonts {
    std::string regular = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    std::string bold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
};

// A title plate with the program's name, tinted glass holding the key
// bindings, a bevelled lower edge with a soft shadow. True on failure (a
// font that cannot be opened), with `error` saying why.
bool RenderHudPanel(const HudFonts& fonts, Image& picture, Image& mask, std::string& error);
