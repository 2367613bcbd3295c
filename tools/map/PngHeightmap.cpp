#include "tools/map/PngHeightmap.h"

#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

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
    char warning[120] = "";       // libpng's own reason, often given only as a warning before the error
    std::vector<uint8_t> pixels;  // one row, or every row of an interlaced picture
    std::vector<png_bytep> rows;
    std::vector<float> values;  // one row as heights
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
    DescribePicture(*state.out, int(width), int(height), colour || depth == 16 ? 65535 : 255,
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

}  // namespace

bool IsPng(const uint8_t* data, size_t size)
{
    static const uint8_t SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return size >= 8 && memcmp(data, SIGNATURE, 8) == 0;
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
