#include "tools/map/GeoTiff.h"

#include "tools/map/EarthScale.h"

#include <geotiffio.h>
#include <tiffio.h>
#include <xtiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// The nodata value as GDAL writes it: a number in ASCII. libgeotiff
// leaves this tag unregistered, so libtiff would drop it with a warning.
const ttag_t GDAL_NODATA_TAG = 42113;

// libtiff keeps one chain of tag extenders for the process; ours hands on
// to the one before it, libgeotiff's.
TIFFExtendProc previousExtender = nullptr;

void AddNodataTag(TIFF* tiff)
{
    static const TIFFFieldInfo nodata[] = {
        {GDAL_NODATA_TAG, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("GDALNoDataValue")}};
    TIFFMergeFieldInfo(tiff, nodata, 1);
    if (previousExtender)
        previousExtender(tiff);
}

void RegisterTags()
{
    static const bool registered = [] {
        XTIFFInitialize();
        previousExtender = TIFFSetTagExtender(AddNodataTag);
        return true;
    }();
    (void)registered;
}

// libtiff reads the file through these, from memory.
struct TiffSource {
    const uint8_t* data;
    size_t size;
    uint64_t pos;
    std::string reason;  // libtiff's first error: later ones tend to be consequences
};

tmsize_t ReadSource(thandle_t handle, void* buffer, tmsize_t count)
{
    TiffSource* s = static_cast<TiffSource*>(handle);
    const uint64_t left = s->pos < s->size ? s->size - s->pos : 0;
    const size_t n = count > 0 ? size_t(std::min(uint64_t(count), left)) : 0;
    if (n > 0)
        memcpy(buffer, s->data + s->pos, n);
    s->pos += n;
    return tmsize_t(n);
}

tmsize_t WriteNothing(thandle_t, void*, tmsize_t) { return 0; }

// Any position is allowed, reads past the end returning nothing, but one
// that wraps around (a step back taken as a huge step on) is an error.
toff_t SeekSource(thandle_t handle, toff_t offset, int whence)
{
    TiffSource* s = static_cast<TiffSource*>(handle);
    const uint64_t base = whence == SEEK_CUR ? s->pos : whence == SEEK_END ? s->size : 0;
    if (offset > UINT64_MAX - base)
        return toff_t(-1);
    s->pos = base + offset;
    return s->pos;
}

int CloseNothing(thandle_t) { return 0; }
toff_t SourceSize(thandle_t handle) { return static_cast<TiffSource*>(handle)->size; }

// Mapped, libtiff reads tags and strips in place, where it would otherwise
// grow a buffer step by step for every array a header claims. It never
// writes to a map: files it maps itself are mapped read-only.
int MapSource(thandle_t handle, void** base, toff_t* size)
{
    TiffSource* s = static_cast<TiffSource*>(handle);
    *base = const_cast<uint8_t*>(s->data);
    *size = s->size;
    return 1;
}

void UnmapNothing(thandle_t, void*, toff_t) {}

// libtiff starts some messages with the name the file was opened under.
const char TIFF_NAME[] = "heightmap";

int KeepFirstError(TIFF*, void* source, const char*, const char* format, va_list args)
{
    std::string& reason = static_cast<TiffSource*>(source)->reason;
    if (reason.empty()) {
        char text[200];
        vsnprintf(text, sizeof text, format, args);
        reason = text;
        const std::string named = std::string(TIFF_NAME) + ": ";
        if (reason.rfind(named, 0) == 0)
            reason.erase(0, named.size());
    }
    return 1;  // handled: nothing reaches stderr
}

int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// Deflate packs at most about 1,032 bytes into one and LZW about 1,370:
// a header that promises a picture, or a single strip or tile, of more
// than this many times the file is refused before anything its size is
// allocated.
const uint64_t MAX_COMPRESSION = 1400;
// Caps libtiff's own allocations (compressed strips, codec state), which a
// header could otherwise size; uncompressed strips go straight into ours.
const tmsize_t MAX_LIBTIFF_ALLOCATION = tmsize_t(256) << 20;
// Tiles are read a band of them at a time, across the whole picture: this
// bounds a band.
const uint64_t MAX_BAND_SAMPLES = uint64_t(1) << 24;

enum class SampleType { Int16, UInt16, Int32, Float32 };

// What the samples are, and how many bytes each takes.
struct Layout {
    uint32_t width = 0, height = 0;
    SampleType type = SampleType::Int16;
    int bytes = 2;
    bool tiled = false;
    uint32_t blockWidth = 0, blockHeight = 0;  // a tile's size, or a strip's: the width by rows per strip
};

const char* TypeName(SampleType type)
{
    static const char* names[] = {"int16", "uint16", "int32", "float32"};
    return names[int(type)];
}

// How the samples are stored. Refuses all but one band of a type heights
// come in, and sizes the file cannot hold.
bool ReadLayout(TIFF* tiff, uint64_t fileSize, Layout& layout, std::string& error)
{
    if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &layout.width) ||
        !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &layout.height))
        return true;
    error = CheckHeightmapSize(layout.width, layout.height);
    if (!error.empty())
        return true;
    uint16_t bands = 1, bits = 1, format = SAMPLEFORMAT_UINT, orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &bands);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    if (bands != 1) {
        error = "GeoTIFF has " + std::to_string(bands) + " bands; only one band of heights is read";
        return true;
    }
    const struct {
        uint16_t format, bits;
        SampleType type;
    } known[] = {{SAMPLEFORMAT_INT, 16, SampleType::Int16},
                 {SAMPLEFORMAT_UINT, 16, SampleType::UInt16},
                 {SAMPLEFORMAT_INT, 32, SampleType::Int32},
                 {SAMPLEFORMAT_IEEEFP, 32, SampleType::Float32}};
    bool found = false;
    for (const auto& k : known)
        if (k.format == format && k.bits == bits)
            layout.type = k.type, layout.bytes = bits / 8, found = true;
    if (!found) {
        static const char* formats[] = {"", "uint", "int", "float", "untyped ", "complex int", "complex float"};
        std::string name = format < 7 && format > 0
                               ? formats[format] + std::to_string(bits)
                               : "format " + std::to_string(format) + ", " + std::to_string(bits) + "-bit";
        error = "GeoTIFF samples are " + name + "; only int16, uint16, int32 and float32 heights are read";
        return true;
    }
    // Rows run north to south, as elevation models are written; a picture
    // stored another way round is not worth the guesswork.
    if (orientation != ORIENTATION_TOPLEFT) {
        error = "GeoTIFF orientation " + std::to_string(orientation) + " is not read; only rows from the top-left";
        return true;
    }
    layout.tiled = TIFFIsTiled(tiff);
    uint32_t rowsPerStrip = layout.height;
    if (layout.tiled) {
        TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &layout.blockWidth);
        TIFFGetField(tiff, TIFFTAG_TILELENGTH, &layout.blockHeight);
        const uint64_t across = (uint64_t(layout.width) + layout.blockWidth - 1) / std::max(1u, layout.blockWidth);
        if (layout.blockWidth == 0 || layout.blockHeight == 0 || layout.blockWidth > 65536 ||
            layout.blockHeight > 65536 || across * layout.blockWidth * layout.blockHeight > MAX_BAND_SAMPLES) {
            error = "GeoTIFF tiles of " + std::to_string(layout.blockWidth) + "x" + std::to_string(layout.blockHeight) +
                    " are not read";
            return true;
        }
    } else {
        TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
        layout.blockWidth = layout.width;
        layout.blockHeight = rowsPerStrip == 0 || rowsPerStrip > layout.height ? layout.height : rowsPerStrip;
    }
    const uint64_t pictureBytes = uint64_t(layout.width) * layout.height * uint64_t(layout.bytes);
    const uint64_t blockBytes = uint64_t(layout.blockWidth) * layout.blockHeight * uint64_t(layout.bytes);
    const uint64_t canHold = MAX_COMPRESSION * fileSize;
    if (pictureBytes > canHold || blockBytes > canHold) {
        error = "GeoTIFF header promises more pixels than the file can hold";
        return true;
    }
    return false;
}

// Every strip or tile must lie inside the file: checked before the
// picture's buffers are allocated, as a header may promise blocks that
// the file does not hold.
bool CheckBlocksInFile(TIFF* tiff, const Layout& layout, uint64_t fileSize, std::string& error)
{
    const uint32_t blocks = layout.tiled ? TIFFNumberOfTiles(tiff) : TIFFNumberOfStrips(tiff);
    for (uint32_t i = 0; i < blocks; ++i) {
        int failed = 0;
        const uint64_t offset = TIFFGetStrileOffsetWithErr(tiff, i, &failed);
        const uint64_t bytes = TIFFGetStrileByteCountWithErr(tiff, i, &failed);
        if (failed || bytes == 0 || offset > fileSize || bytes > fileSize - offset) {
            error = "GeoTIFF " + std::string(layout.tiled ? "tile " : "strip ") + std::to_string(i + 1) + " of " +
                    std::to_string(blocks) + " lies outside the file";
            return true;
        }
    }
    return false;
}

// The two keys wanted are short codes held in the key directory itself:
// four shorts of header (the key count last), then four a key (its
// number, 0 for "here", count 1, the value). Read here rather than through
// GTIFNew, which allocates and clears large tables for every file: most
// of the time a small file takes to decode.
unsigned short ShortGeoKey(TIFF* tiff, geokey_t key)
{
    uint16_t count = 0;
    uint16_t* directory = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_GEOKEYDIRECTORY, &count, &directory) || count < 4)
        return 0;
    const size_t keys = std::min(size_t(directory[3]), size_t(count - 4) / 4);
    for (size_t i = 0; i < keys; ++i) {
        const uint16_t* entry = directory + 4 + 4 * i;
        if (entry[0] == key && entry[1] == 0 && entry[2] == 1)
            return entry[3];
    }
    return 0;
}

// Where the picture lies, as far as the file says: model x = a col + b row
// + c and y = d col + e row + f, at a pixel's top-left corner.
struct Georeference {
    bool scaled = false, tied = false;
    double a = 0.0, b = 0.0, c = 0.0, d = 0.0, e = 0.0, f = 0.0;
    unsigned short modelType = 0, linearUnits = 0, rasterType = 0;
};

Georeference ReadGeoreference(TIFF* tiff)
{
    Georeference geo;
    uint16_t count = 0;
    double* values = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_GEOPIXELSCALE, &count, &values) && count >= 2) {
        geo.scaled = true;
        geo.a = values[0], geo.e = -values[1];
    }
    if (geo.scaled && TIFFGetField(tiff, TIFFTAG_GEOTIEPOINTS, &count, &values) && count >= 6) {
        geo.tied = true;
        geo.c = values[3] - values[0] * geo.a, geo.f = values[4] - values[1] * geo.e;
    }
    if (!geo.scaled && TIFFGetField(tiff, TIFFTAG_GEOTRANSMATRIX, &count, &values) && count >= 16) {
        geo.scaled = geo.tied = true;
        geo.a = values[0], geo.b = values[1], geo.c = values[3];
        geo.d = values[4], geo.e = values[5], geo.f = values[7];
    }
    geo.modelType = ShortGeoKey(tiff, GTModelTypeGeoKey);
    geo.linearUnits = ShortGeoKey(tiff, ProjLinearUnitsGeoKey);
    geo.rasterType = ShortGeoKey(tiff, GTRasterTypeGeoKey);
    return geo;
}

// Metres in one linear unit of the file; 0 when the unit is not known here.
double MetresPerUnit(unsigned short unit)
{
    switch (unit) {
    case 0:  // not given: projected systems are nearly all in metres
    case Linear_Meter:
        return 1.0;
    case Linear_Foot:
        return 0.3048;
    case Linear_Foot_US_Survey:
        return 1200.0 / 3937.0;
    default:
        return 0.0;
    }
}

// The frame of the samples as stored, rows flipped to run north first and
// columns west first where the grid is not turned.
SourceFrame FrameOf(const Georeference& geo, uint32_t width, uint32_t height, bool& flipX, bool& flipY)
{
    const bool turned = geo.b != 0.0 || geo.d != 0.0;
    flipX = !turned && geo.a < 0.0;
    flipY = !turned && geo.e > 0.0;
    // A sample stands at its pixel's middle unless the file says it is a point.
    const double half = geo.rasterType == RasterPixelIsPoint ? 0.0 : 0.5;
    const double col = flipX ? width - 1 + half : half, row = flipY ? height - 1 + half : half;
    SourceFrame frame;
    frame.geographic = geo.modelType == ModelTypeGeographic;
    frame.metresPerUnit = MetresPerUnit(geo.linearUnits);
    frame.originX = geo.a * col + geo.b * row + geo.c, frame.originY = geo.d * col + geo.e * row + geo.f;
    frame.columnX = flipX ? -geo.a : geo.a, frame.columnY = geo.d;
    frame.rowX = geo.b, frame.rowY = flipY ? -geo.e : geo.e;
    const double det = frame.columnX * frame.rowY - frame.rowX * frame.columnY;
    frame.known =
        geo.tied && std::isfinite(frame.originX) && std::isfinite(frame.originY) && std::isfinite(det) && det != 0.0;
    return frame;
}

// The spacing in metres from the lengths of a step along a row and down a
// column, or 0 with the reason in spacingSource.
void SetSpacing(const Georeference& geo, Heightmap& out)
{
    const SourceFrame& frame = out.frame;
    double kx = 0.0, ky = 0.0;  // metres per model unit along x and y
    if (!geo.scaled) {
        out.spacingSource = "the file gives no pixel size";
        return;
    }
    if (geo.modelType == ModelTypeGeographic) {
        const double latitude =
            frame.originY + (out.width - 1) / 2.0 * frame.columnY + (out.height - 1) / 2.0 * frame.rowY;
        if (!geo.tied || !(std::fabs(latitude) <= 90.0)) {  // NaN too
            out.spacingSource =
                "the file gives its pixel size in degrees but not where it lies: the latitude is unknown";
            return;
        }
        out.latitudeKnown = true, out.latitude = latitude;
        const DegreeLengths lengths = MetresPerDegree(latitude);
        kx = lengths.longitude, ky = lengths.latitude;
    } else if (geo.modelType == ModelTypeProjected) {
        kx = ky = MetresPerUnit(geo.linearUnits);
        if (kx == 0.0) {
            out.spacingSource = "the file's unit " + std::to_string(geo.linearUnits) + " is not one known here";
            return;
        }
    } else {
        out.spacingSource = geo.modelType == 0
                                ? "the file names no model type"
                                : "the file's model type " + std::to_string(geo.modelType) + " is not one known here";
        return;
    }
    const double cx = frame.columnX * kx, cy = frame.columnY * ky, rx = frame.rowX * kx, ry = frame.rowY * ky;
    const double across = std::hypot(cx, cy), down = std::hypot(rx, ry);
    if (!(across > 0.0 && down > 0.0 && std::isfinite(across) && std::isfinite(down))) {
        out.spacingSource = "the file's pixel size is zero or not a number";
        return;
    }
    if (std::fabs(cx * rx + cy * ry) > 1e-6 * across * down) {
        out.spacingSource = "the file's grid is sheared: its rows and columns are not square to each other";
        return;
    }
    out.spacingX = across, out.spacingY = down;
    char text[200];
    if (geo.modelType == ModelTypeGeographic && frame.columnY == 0.0 && frame.rowX == 0.0) {
        const double x = std::fabs(frame.columnX) * 3600, y = std::fabs(frame.rowY) * 3600;
        if (x == y)
            snprintf(text, sizeof text, "%.4g arc-second%s", x, std::fabs(x - 1.0) < 1e-9 ? "" : "s");
        else
            snprintf(text, sizeof text, "%.4g x %.4g arc-seconds", x, y);
        SpacingFromDegrees(out, std::fabs(frame.columnX), std::fabs(frame.rowY), out.latitude, text);
        return;
    }
    if (across == down)
        snprintf(text, sizeof text, "pixel size %.4g m, from the file", across);
    else
        snprintf(text, sizeof text, "pixel size %.4g x %.4g m, from the file", across, down);
    out.spacingSource = text;
    if (geo.modelType == ModelTypeProjected && geo.linearUnits == 0)
        out.spacingSource += " (no unit given: metres assumed)";
    if (cy != 0.0 || rx != 0.0) {
        snprintf(text, sizeof text, "; the grid is turned %.1f degrees from north and drawn as stored",
                 std::atan2(cy, cx) * 180.0 / M_PI);
        out.spacingSource += text;
    }
}

// A sample's height; nodata and non-finite values are voids (NaN).
float SampleAt(const uint8_t* p, SampleType type, double nodata)
{
    double v = 0.0;
    int16_t i16;
    uint16_t u16;
    int32_t i32;
    float f32;
    switch (type) {
    case SampleType::Int16:
        memcpy(&i16, p, 2), v = i16;
        break;
    case SampleType::UInt16:
        memcpy(&u16, p, 2), v = u16;
        break;
    case SampleType::Int32:
        memcpy(&i32, p, 4), v = i32;
        break;
    case SampleType::Float32:
        memcpy(&f32, p, 4), v = f32;
        break;
    }
    return !std::isfinite(v) || v == nodata ? NAN : float(v);
}

// The nodata value, rounded as the samples are stored; NaN when none.
double ReadNodata(TIFF* tiff, SampleType type)
{
    char* text = nullptr;
    if (!TIFFGetField(tiff, GDAL_NODATA_TAG, &text) || !text)
        return NAN;
    char* end = nullptr;
    double nodata = strtod(text, &end);
    if (end == text)
        return NAN;
    if (type == SampleType::Float32 && std::fabs(nodata) <= std::numeric_limits<float>::max())
        nodata = float(nodata);
    return nodata;
}

std::string CompressionName(TIFF* tiff)
{
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    if (compression == COMPRESSION_NONE)
        return "uncompressed";
    if (compression == COMPRESSION_DEFLATE || compression == COMPRESSION_ADOBE_DEFLATE)
        return "deflate";
    const TIFFCodec* codec = TIFFFindCODEC(compression);
    return codec ? codec->name : "compression " + std::to_string(compression);
}

// Hands the rows to the sampler as they are decoded: strips a row at a
// time, tiles a band of them across the picture at a time.
bool SendRows(TIFF* tiff, const Layout& layout, double nodata, bool flipX, bool flipY, CGridSampler& sampler,
              std::string& error)
{
    const uint32_t blocksAcross = (layout.width + layout.blockWidth - 1) / layout.blockWidth;
    const uint32_t bandRows = layout.tiled ? layout.blockHeight : 1;
    std::vector<uint8_t> block(size_t(layout.blockWidth) * bandRows * size_t(layout.bytes));
    std::vector<float> band(size_t(blocksAcross) * layout.blockWidth * bandRows);
    if (flipY)
        sampler.ArriveUpward();
    for (uint32_t top = 0; top < layout.height; top += bandRows) {
        const uint32_t rows = std::min(bandRows, layout.height - top);
        for (uint32_t i = 0; i < blocksAcross; ++i) {
            const tmsize_t got =
                layout.tiled ? TIFFReadEncodedTile(tiff, TIFFComputeTile(tiff, i * layout.blockWidth, top, 0, 0),
                                                   block.data(), tmsize_t(block.size()))
                : TIFFReadScanline(tiff, block.data(), top, 0) < 0 ? -1
                                                                   : tmsize_t(block.size());
            if (got < 0 || uint64_t(got) < uint64_t(layout.blockWidth) * rows * uint64_t(layout.bytes)) {
                if (got >= 0)
                    error = "GeoTIFF tile holds too few samples";
                return true;
            }
            for (uint32_t r = 0; r < rows; ++r)
                for (uint32_t c = 0; c < layout.blockWidth; ++c)
                    band[size_t(r) * blocksAcross * layout.blockWidth + size_t(i) * layout.blockWidth + c] = SampleAt(
                        &block[(size_t(r) * layout.blockWidth + c) * size_t(layout.bytes)], layout.type, nodata);
        }
        for (uint32_t r = 0; r < rows; ++r) {
            float* row = &band[size_t(r) * blocksAcross * layout.blockWidth];
            if (flipX)
                std::reverse(row, row + layout.width);
            sampler.AddRow(int(flipY ? layout.height - 1 - (top + r) : top + r), row, int(layout.width));
        }
    }
    return false;
}

bool ReadGeoTiff(TIFF* tiff, uint64_t fileSize, Heightmap& out, CGridSampler* sampler, std::string& error)
{
    Layout layout;
    if (ReadLayout(tiff, fileSize, layout, error) || CheckBlocksInFile(tiff, layout, fileSize, error))
        return true;
    const Georeference geo = ReadGeoreference(tiff);
    bool flipX = false, flipY = false;
    out.width = int(layout.width), out.height = int(layout.height);
    // Heights are taken as metres: the vertical unit key is seldom set, and
    // when it is, nearly always to metres.
    out.elevation = true;
    out.frame = FrameOf(geo, layout.width, layout.height, flipX, flipY);
    SetSpacing(geo, out);
    const std::string how = CompressionName(tiff);
    out.format =
        std::string("GeoTIFF, ") + TypeName(layout.type) + ", " + (layout.tiled ? "tiled" : "in strips") + ", " + how;
    if (!sampler)
        return false;
    if (SendRows(tiff, layout, ReadNodata(tiff, layout.type), flipX, flipY, *sampler, error))
        return true;
    if (sampler->voids == sampler->samples) {
        error = "GeoTIFF holds only nodata";
        return true;
    }
    return false;
}

}  // namespace

bool IsTiff(const uint8_t* data, size_t size)
{
    return size >= 4 && ((data[0] == 'I' && data[1] == 'I' && (data[2] == 42 || data[2] == 43) && data[3] == 0) ||
                         (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && (data[3] == 42 || data[3] == 43)));
}

bool DecodeGeoTiff(const uint8_t* data, size_t size, Heightmap& out, CGridSampler* sampler, std::string& error)
{
    RegisterTags();
    TiffSource source{data, size, 0, std::string()};
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, KeepFirstError, &source);
    TIFFOpenOptionsSetWarningHandlerExtR(options, IgnoreWarning, &source);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, MAX_LIBTIFF_ALLOCATION);
    // "c": a single uncompressed strip is read whole rather than chopped
    // into row blocks, which libtiff would table while opening, for as many
    // rows as the header claims, before our size checks.
    TIFF* tiff = TIFFClientOpenExt(TIFF_NAME, "rc", &source, ReadSource, WriteNothing, SeekSource, CloseNothing,
                                   SourceSize, MapSource, UnmapNothing, options);
    TIFFOpenOptionsFree(options);
    error.clear();
    bool failed = !tiff || ReadGeoTiff(tiff, size, out, sampler, error);
    if (tiff)
        TIFFClose(tiff);
    if (failed) {
        if (error.empty())
            error = "TIFF: " + (source.reason.empty() ? std::string("unreadable file") : source.reason);
    }
    return failed;
}
