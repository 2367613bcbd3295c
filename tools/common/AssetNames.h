#pragma once

#include <cstdint>
#include <string>

// The names, inside the Data folder, of the files the game opens: taken
// from the stored names in base/GameFacts.h, so the tools write what the game
// looks for.
std::string AssetFileName(const std::string& stored);
std::string FontFileName();
std::string MapFileName();
std::string HudPictureFileName(int panel);
std::string HudMaskFileName(int panel);
std::string SkyFaceFileName(int face);
std::string TerrainTextureFileName(uint32_t number);
