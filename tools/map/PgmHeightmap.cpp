#include "tools/map/PgmHeightmap.h"

#include <vector>

namespace {

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

}  // namespace

bool IsPgm(const uint8_t* data, size_t size) { return size >= 2 && data[0] == 'P' && data[1] == '5'; }

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
        error =
            "PGM pixel data is truncated (" + std::to_string(size - pos) + " of " + std::to_string(need) + " bytes)";
        return true;
    }
    DescribePicture(out, int(w), int(h), maxValue, std::to_string(bytes * 8) + "-bit binary PGM");
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
