#include "tools/map/HeightmapReader.h"

#include "tools/map/BmpHeightmap.h"
#include "tools/map/GeoTiff.h"
#include "tools/map/PgmHeightmap.h"
#include "tools/map/PngHeightmap.h"
#include "tools/map/SrtmTile.h"

namespace {

// Heightmaps of any allowed size fit well within this; anything larger is
// not worth reading.
const uint64_t MAX_FILE_BYTES = uint64_t(1) << 30;

}  // namespace

bool DecodeHeightmap(const uint8_t* data, size_t size, Heightmap& out, CGridSampler* sampler, std::string& error)
{
    // The one place that tells the formats apart: each decoder reads only its own.
    if (IsPng(data, size))
        return DecodePng(data, size, out, sampler, error);
    if (IsPgm(data, size))
        return DecodePgm(data, size, out, sampler, error);
    if (IsBmp(data, size))
        return DecodeBmp(data, size, out, sampler, error);
    if (IsTiff(data, size))
        return DecodeGeoTiff(data, size, out, sampler, error);
    // An SRTM tile has no header, only its size: after the signatures, as
    // no real first height reads as one of them (they mean 16 km and more).
    if (IsSrtmSize(size))
        return DecodeSrtm(data, size, out, sampler, error);
    if (size >= 2 && data[0] == 'P' && data[1] >= '1' && data[1] <= '7')
        error = "only binary grayscale PGM (P5) is read; this is a P" + std::string(1, char(data[1])) + " file";
    else
        error = "not a PNG, binary PGM, BMP, GeoTIFF or SRTM .hgt file";
    return true;
}

bool ReadHeightmap(const std::string& path, CMappedFile& file, Heightmap& out, std::string& error)
{
    if (file.Open(path, error))
        return true;
    if (file.Size() > MAX_FILE_BYTES) {
        error = "file is larger than 1 GiB";
        return true;
    }
    if (DecodeHeightmap(file.Data(), file.Size(), out, nullptr, error))
        return true;
    // Only data decoded as a tile takes a tile's place from its name.
    if (out.srtmSide > 0) {
        int latitude = 0, longitude = 0;
        const std::string why = SrtmTileName(path, latitude, longitude);
        if (why.empty())
            PlaceSrtmTile(out, latitude, longitude);
        else
            out.spacingSource = why + ", so its latitude and spacing are unknown";
    }
    return false;
}

bool DecodeWhole(const uint8_t* data, size_t size, Heightmap& out, std::vector<float>& values, std::string& error)
{
    if (DecodeHeightmap(data, size, out, nullptr, error))
        return true;
    CGridSampler whole(SourceWindow{0, 0, out.width, out.height}, uint32_t(out.width), uint32_t(out.height), 1.0, 1.0);
    if (DecodeHeightmap(data, size, out, &whole, error))
        return true;
    values.swap(whole.Values());
    return false;
}
