#pragma once

#include "tools/common/Image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// A fresh directory under /tmp that is made the working directory for the
// life of the object, so the code under test finds "Data/..." inside it.
class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    const std::string& Path() const { return path; }
    // Writes a file relative to the directory, creating Data/ as needed.
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    void WriteBmp(const std::string& name, const Image& image) const;
    // Copies the generated asset set of the build into Data/.
    void CopyBuildAssets() const;

private:
    std::string path;
    std::string previous;
};

// Plain-colour picture for tests.
Image SolidImage(int w, int h, uint8_t r, uint8_t g, uint8_t b);

// A copy of a crafted file's bytes with the low `size` bytes of v stored
// little-endian at `offset`, as the file formats store their numbers.
inline std::vector<uint8_t> WithLE(std::vector<uint8_t> bytes, size_t offset, uint32_t v, int size = 4)
{
    for (int i = 0; i < size; ++i)
        bytes[offset + i] = uint8_t(v >> (8 * i));
    return bytes;
}

// Runs `body`, returning what it wrote to stderr.
template <typename F>
std::string CaptureStderrOf(F&& body)
{
    fflush(stderr);
    testing::internal::CaptureStderr();
    body();
    fflush(stderr);
    return testing::internal::GetCapturedStderr();
}
