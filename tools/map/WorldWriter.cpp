#include "tools/map/WorldWriter.h"

#include "base/GameFacts.h"
#include "tools/assets/TerrainTextures.h"
#include "tools/common/AssetNames.h"
#include "tools/common/FileBytes.h"
#include "tools/common/Image.h"
#include "tools/common/StagedFiles.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Stages one file; a failure names it.
bool StageFile(CStagedFiles& files, const fs::path& path, const std::vector<uint8_t>& bytes, std::string& error)
{
    if (!files.Stage(path.string(), bytes, error))
        return false;
    error = "cannot write " + path.string() + ": " + error;
    return true;
}

int StageTextures(const fs::path& dir, const MapFileData& map, CStagedFiles& files, std::string& error)
{
    std::vector<uint8_t> named;
    for (uint8_t t = 0; t < TERRAIN_TEXTURE_COUNT; ++t)
        if (std::find(map.textureNumbers.begin(), map.textureNumbers.end(), TerrainTextureNumber(t)) !=
            map.textureNumbers.end())
            named.push_back(t);
    const std::vector<Image> textures = GenerateTerrainTextureSet(named, TERRAIN_TEXTURE_SIZE, map.header.subdivisions);
    for (size_t i = 0; i < named.size(); ++i)
        if (StageFile(files, dir / TerrainTextureFileName(TerrainTextureNumber(named[i])), EncodeBmp(textures[i]),
                      error))
            return -1;
    return int(named.size());
}

bool StageAssets(const fs::path& dir, const fs::path& from, CStagedFiles& files, std::string& error)
{
    for (const std::string& name : OtherAssetNames()) {
        std::error_code failure;
        if (fs::equivalent(from / name, dir / name, failure))
            continue;  // copying a Data folder onto itself
        std::vector<uint8_t> bytes;
        if (ReadFileBytes((from / name).string(), bytes, error)) {
            error = "cannot copy " + (from / name).string() + ": " + error +
                    " (give the asset folder with --with-assets=DIR)";
            return true;
        }
        if (StageFile(files, dir / name, bytes, error))
            return true;
    }
    return false;
}

}  // namespace

std::vector<std::string> OtherAssetNames()
{
    std::vector<std::string> names = {FontFileName(), HudPictureFileName(0), HudMaskFileName(0)};
    for (int face = 0; face < SKY_FACE_COUNT; ++face)
        names.push_back(SkyFaceFileName(face));
    return names;
}

std::string DefaultAssetDir()
{
    std::error_code failure;
    fs::path self = fs::read_symlink("/proc/self/exe", failure);
    return failure ? std::string("Data") : (self.parent_path() / "Data").string();
}

bool WriteWorld(const std::string& dir, const MapFileData& map, bool withAssets, const std::string& assetDir,
                std::string& error)
{
    std::vector<uint8_t> bytes = EncodeMapFile(map);
    std::vector<std::string> faults = ValidateMapFile(bytes.data(), bytes.size(), nullptr);
    if (!faults.empty()) {
        error = "the map made is not valid: " + faults.front();
        return true;
    }
    std::error_code failure;
    fs::create_directories(dir, failure);
    if (failure) {
        error = "cannot create " + dir + ": " + failure.message();
        return true;
    }
    // Everything is written beside the old world before any of it is
    // replaced: a full disk or a missing asset leaves the old world whole.
    CStagedFiles files;
    fs::path mapPath = fs::path(dir) / MapFileName();
    if (StageFile(files, mapPath, bytes, error))
        return true;
    int textures = StageTextures(dir, map, files, error);
    fs::path from = assetDir.empty() ? fs::path(DefaultAssetDir()) : fs::path(assetDir);
    if (textures < 0 || (withAssets && StageAssets(dir, from, files, error)) || files.Commit(error))
        return true;
    printf("wrote %s (%zu bytes)\n", mapPath.string().c_str(), bytes.size());
    printf("wrote %d terrain texture%s (%s ...)\n", textures, textures == 1 ? "" : "s",
           TerrainTextureFileName(map.textureNumbers.front()).c_str());
    if (withAssets)
        printf("copied %zu assets from %s\n", OtherAssetNames().size(), from.string().c_str());
    return false;
}
