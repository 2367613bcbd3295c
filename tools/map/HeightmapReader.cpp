#include "tools/map/HeightmapReader.h"

#include "gfx/Bitmap.h"
#include "tools/map/GeoTiff.h"
#include "tools/map/SrtmTile.h"

#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace {

// Heightmaps of any allowed size fit well within this; anything larger is
// not worth reading.
const uint64_t MAX_FILE_BYTES = uint64_t(1) << 30;

std::string SizeText(uint64_t w, uint64_t h) { return std::to_string(w) + "x" + std::to_string(h); }

// Size, white and format; the samples go to the sampler.
void Describe(Heightmap& out, int w, int h, uint32_t maxValue, const std::string& format)
{
    out.width = w;
    out.height = h;
    out.maxValue = maxValue;
    out.format = format;
}

// Grey of a colour pixel, in the units of its channels.
double Luminance(double r, double g, double b) { return 0.299 * r + 0.587 * g + 0.114 * b; }

// ---- Binary PGM ----

bool IsPgmSpace(uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The next decimal header field, after whitespace and '#' comments. True on failure.
bool PgmField(const uint8_t* data, size_t size, size_t& pos, uint32_t& value)
{
    for (;;) {
        while (pos < size && IsPgmSpace(data[pos]))
            ++pos;
        if (pos < size && data[pos] == '#') {
            while (pos < size && data[pos] != '\n' && data[pos] != '\r')
                ++pos;
            continue;
        }
        break;
    }
    if (pos >= size || data[pos] < '0' || data[pos] > '9')
        return true;
    uint64_t v = 0;
    while (pos < size && data[pos] >= '0' && data[pos] <= '9') {
        v = v * 10 + uint64_t(data[pos++] - '0');
        if (v > 0xFFFFFFFFu)
            return true;
    }
    value = uint32_t(v);
    return false;
}

bool DecodePgm(const uint8_t* data, size_t size, Heightmap& out, CGridSampler* sampler, std::string& error)
{
    size_t pos = 2;
    uint32_t w = 0, h = 0, maxValue = 0;
    if (PgmField(data, size, pos, w) || PgmField(data, size, pos, h) || PgmField(data, size, pos, maxValue)) {
        error = "PGM header is malformed or cut short";
        return true;
    }
    // Exactly one whitespace character separates the header from the pixels.
    if (pos >= size || !IsPgmSpace(data[pos])) {
        error = "PGM header is malformed or cut short";
        return true;
    }
    ++pos;
    error = CheckHeightmapSize(w, h);
    if (!error.empty())
        return true;
    if (maxValue < 1 || maxValue > 65535) {
        error = "PGM maximum value " + std::to_string(maxValue) + " is outside 1 to 65535";
        return true;
    }
    const int bytes = maxValue > 255 ? 2 : 1;
    uint64_t need = uint64_t(w) * h * bytes;
    if (size - pos < need) {
        error = "PGM pixel data is truncated (" + std::to_string(size - pos) + " of " + std::to_string(need) +
                " bytes)";
        return true;
    }
    Describe(out, int(w), int(h), maxValue, std::to_string(bytes * 8) + "-bit binary PGM");
    if (!sampler)
        return false;
    const uint8_t* p = data + pos;
    std::vector<float> row(w);
    for (uint32_t y = 0; y < h; ++y) {
        for (float& sample : row) {
            uint32_t v = bytes == 2 ? uint32_t(p[0]) << 8 | p[1] : p[0];
            p += bytes;
            sample = float(v > maxValue ? maxValue : v);  // stray values above white count as white
        }
        sampler->AddRow(int(y), row.data(), int(w));
    }
    return false;
}

// ---- PNG ----

struct PngSource {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

// Everything that must outlive a longjmp out of libpng lives here, not in
// the frame that calls setjmp.
struct PngState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngSource source{nullptr, 0, 0};
    char message[160] = "";
    char warning[120] = "";  // libpng's own reason, often given only as a warning before the error
    std::vector<uint8_t> pixels;  // one row, or every row of an interlaced picture
    std::vector<png_bytep> rows;
    std::vector<float> values;    // one row as heights
    Heightmap* out = nullptr;
    CGridSampler* sampler = nullptr;
};

// An interlaced picture is decoded whole before its rows are complete:
// this bounds what that may take.
const uint64_t MAX_INTERLACED_BYTES = uint64_t(128) << 20;

void PngRead(png_structp png, png_bytep out, png_size_t count)
{
    PngSource* s = static_cast<PngSource*>(png_get_io_ptr(png));
    if (count > s->size - s->pos)
        png_error(png, "file is cut short");
    memcpy(out, s->data + s->pos, count);
    s->pos += count;
}

void PngFail(png_structp png, png_const_charp message)
{
    PngState* state = static_cast<PngState*>(png_get_error_ptr(png));
    if (state->warning[0])
        snprintf(state->message, sizeof state->message, "%s (%s)", message, state->warning);
    else
        snprintf(state->message, sizeof state->message, "%s", message);
    png_longjmp(png, 1);
}

void PngWarn(png_structp png, png_const_charp message)
{
    PngState* state = static_cast<PngState*>(png_get_error_ptr(png));
    snprintf(state->warning, sizeof state->warning, "%s", message);
}

// Hands one decoded row to the sampler: grey as it is, colour by luminance
// in 16-bit units.
void SendPngRow(PngState& state, const uint8_t* p, uint32_t y, int channels, int depth)
{
    const int bytes = depth / 8;
    const double unit = depth == 16 ? 1.0 : 257.0;
    for (float& value : state.values) {
        uint32_t c[3] = {0, 0, 0};
        for (int k = 0; k < channels; ++k, p += bytes)
            c[k] = bytes == 2 ? uint32_t(p[0]) << 8 | p[1] : p[0];
        value = channels == 3 ? float(std::fmin(65535.0, std::round(Luminance(c[0], c[1], c[2]) * unit))) : float(c[0]);
    }
    state.sampler->AddRow(int(y), state.values.data(), int(state.values.size()));
}

// Decodes row by row into the sampler: nothing the size of the picture is
// allocated before its rows arrive, so a header that promises more than
// the file holds costs nothing. libpng reports errors by a longjmp back
// into this frame, which therefore holds nothing that needs destroying.
bool ReadPngRows(PngState& state, uint32_t& width, uint32_t& height)
{
    png_structp png = state.png;
    png_infop info = state.info;
    if (setjmp(png_jmpbuf(png)))
        return true;
    png_set_read_fn(png, &state.source, PngRead);
    png_read_info(png, info);
    width = png_get_image_width(png, info);
    height = png_get_image_height(png, info);
    if (!CheckHeightmapSize(width, height).empty())
        return true;  // the caller words the message
    int type = png_get_color_type(png, info);
    const bool colour = (type & PNG_COLOR_MASK_COLOR) != 0;
    if (type == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (type == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    // A palette's transparency becomes an alpha channel on expansion.
    if ((type & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_strip_alpha(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const int channels = png_get_channels(png, info), depth = png_get_bit_depth(png, info);
    if ((channels != 1 && channels != 3) || (depth != 8 && depth != 16))
        png_error(png, "unexpected pixel layout after conversion");
    const size_t rowBytes = png_get_rowbytes(png, info);
    Describe(*state.out, int(width), int(height), colour || depth == 16 ? 65535 : 255,
             std::to_string(depth) + "-bit " + (colour ? "colour PNG (luminance)" : "grayscale PNG"));
    if (!state.sampler)
        return false;
    state.values.resize(width);
    if (passes == 1) {
        state.pixels.resize(rowBytes);
        for (uint32_t y = 0; y < height; ++y) {
            png_read_row(png, state.pixels.data(), nullptr);
            SendPngRow(state, state.pixels.data(), y, channels, depth);
        }
        return false;
    }
    // Deflate packs at most about 1,032 bytes into one: a header that
    // promises more than the file can hold is refused before allocating.
    const uint64_t wholeBytes = uint64_t(rowBytes) * height;
    if (wholeBytes > 1100 * uint64_t(state.source.size))
        png_error(png, "the header promises more pixels than the file can hold");
    if (wholeBytes > MAX_INTERLACED_BYTES)
        png_error(png, "interlaced picture too large to decode; save it without interlacing");
    state.pixels.resize(rowBytes * height);
    state.rows.resize(height);
    for (uint32_t y = 0; y < height; ++y)
        state.rows[y] = state.pixels.data() + size_t(y) * rowBytes;
    png_read_image(png, state.rows.data());
    for (uint32_t y = 0; y < height; ++y)
        SendPngRow(state, state.rows[y], y, channels, depth);
    return false;
}

bool DecodePng(const uint8_t* data, size_t size, Heightmap& out, CGridSampler* sampler, std::string& error)
{
    PngState state;
    state.source = PngSource{data, size, 0};
    state.out = &out;
    state.sampler = sampler;
    state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, PngFail, PngWarn);
    if (state.png)
        state.info = png_create_info_struct(state.png);
    if (!state.info) {
        png_destroy_read_struct(&state.png, nullptr, nullptr);
        error = "out of memory";
        return true;
    }
    uint32_t w = 0, h = 0;
    bool failed = ReadPngRows(state, w, h);
    png_destroy_read_struct(&state.png, &state.info, nullptr);
    if (failed)
        error = state.message[0] ? std::string("PNG: ") + state.message : CheckHeightmapSize(w, h);
    return failed;
}

// ---- BMP, through the game's own checks and SDL's decoder ----

bool DecodeBmp(const uint8_t* data, size_t size, Heightmap& out, CGridSampler* sampler, std::string& error)
{
    error = CheckBmpHeader(data, size, size);
    if (!error.empty())
        return true;
    SDL_Surface* image = SDL_LoadBMP_RW(SDL_RWFromConstMem(data, int(size)), 1);
    if (!image) {
        error = SDL_GetError();
        return true;
    }
    if (image->format->BytesPerPixel != 3) {
        SDL_FreeSurface(image);
        error = "decoded BMP is not 24-bit";
        return true;
    }
    Describe(out, image->w, image->h, 65535, "24-bit BMP (luminance)");
    std::vector<float> row(sampler ? size_t(image->w) : 0);
    for (int y = 0; sampler && y < image->h; ++y) {
        const uint8_t* p = static_cast<const uint8_t*>(image->pixels) + size_t(y) * image->pitch;
        for (int x = 0; x < image->w; ++x, p += 3) {
            Uint8 r, g, b;
            SDL_GetRGB(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16, image->format, &r, &g, &b);
            row[size_t(x)] = float(std::lround(Luminance(r, g, b) * 257.0));
        }
        sampler->AddRow(y, row.data(), image->w);
    }
    SDL_FreeSurface(image);
    return false;
}

} // namespace

std::string CheckHeightmapSize(uint64_t w, uint64_t h)
{
    if (w < 1 || h < 1)
        return "image has no pixels (" + SizeText(w, h) + ")";
    if (w > uint64_t(HEIGHTMAP_MAX_SIDE) || h > uint64_t(HEIGHTMAP_MAX_SIDE) || w * h > HEIGHTMAP_MAX_PIXELS)
        return "image of " + SizeText(w, h) + " is too large (sides up to " + std::to_string(HEIGHTMAP_MAX_SIDE) +
               ", 2^27 pixels in all)";
    return std::string();
}

bool DecodeHeightmap(const uint8_t* data, size_t size, Heightmap& out, CGridSampler* sampler, std::string& error)
{
    static const uint8_t PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 8 && memcmp(data, PNG_SIGNATURE, 8) == 0)
        return DecodePng(data, size, out, sampler, error);
    if (size >= 2 && data[0] == 'P' && data[1] == '5')
        return DecodePgm(data, size, out, sampler, error);
    if (size >= 2 && data[0] == 'B' && data[1] == 'M')
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
