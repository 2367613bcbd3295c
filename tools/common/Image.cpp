#include "tools/common/Image.h"

#include "gfx/LittleEndian.h"
#include "tools/common/FileBytes.h"

std::vector<uint8_t> EncodeBmp(const Image& image)
{
    uint32_t rowBytes = (uint32_t(image.width) * 3 + 3) & ~3u;
    uint32_t pixelBytes = rowBytes * uint32_t(image.height);
    std::vector<uint8_t> out;
    out.reserve(54 + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    AppendLE(out, 54 + pixelBytes, 4);  // file size
    AppendLE(out, 0, 4);                // reserved
    AppendLE(out, 54, 4);               // pixel data offset
    AppendLE(out, 40, 4);               // info header size
    AppendLE(out, uint32_t(image.width), 4);
    AppendLE(out, uint32_t(image.height), 4);
    AppendLE(out, 1, 2);   // planes
    AppendLE(out, 24, 2);  // bits per pixel
    AppendLE(out, 0, 4);   // no compression
    AppendLE(out, pixelBytes, 4);
    AppendLE(out, 2835, 4);  // 72 dpi
    AppendLE(out, 2835, 4);
    AppendLE(out, 0, 4);
    AppendLE(out, 0, 4);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.At(x, y);
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
        }
        for (uint32_t pad = uint32_t(image.width) * 3; pad < rowBytes; ++pad)
            out.push_back(0);
    }
    return out;
}

bool WriteBmp(const std::string& path, const Image& image, std::string& error)
{
    return WriteFileBytes(path, EncodeBmp(image), error);
}
