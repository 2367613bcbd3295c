#include "tools/common/AssetNames.h"

#include "base/GameFacts.h"
#include "gfx/AssetPath.h"
#include "world/MapFile.h"
#include "world/SkyBox.h"

#include <filesystem>

std::string AssetFileName(const std::string& stored)
{
    return std::filesystem::path(AssetPath(stored)).filename().string();
}

std::string FontFileName() { return AssetFileName(FONT_ASSET); }

std::string MapFileName() { return AssetFileName(MAP_ASSET); }

std::string HudPictureFileName(int panel) { return AssetFileName(FormatAssetPath(HUD_PICTURE_ASSET_FORMAT, panel)); }

std::string HudMaskFileName(int panel) { return AssetFileName(FormatAssetPath(HUD_MASK_ASSET_FORMAT, panel)); }

std::string SkyFaceFileName(int face)
{
    return AssetFileName(FormatAssetPath(SKY_FACE_ASSET_FORMAT, SKY_NAME, SKY_FACES[face].text));
}

std::string TerrainTextureFileName(uint32_t number) { return AssetFileName(MapTexturePath(number)); }
