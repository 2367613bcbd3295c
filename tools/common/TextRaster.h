#pragma once

#include <string>
#include <vector>

struct FT_LibraryRec_;
struct FT_FaceRec_;

// Ink coverage, 0..1 a pixel, that text is drawn into before it is
// composited.
struct Coverage {
    int width = 0;
    int height = 0;
    std::vector<float> a;

    Coverage(int w, int h) : width(w), height(h), a(size_t(w) * h, 0.0f) {}
    float At(int x, int y) const
    {
        return x < 0 || y < 0 || x >= width || y >= height ? 0.0f : a[size_t(y) * width + x];
    }
};

// One TrueType face at one pixel size, rendered anti-aliased by FreeType.
class CTextRaster {
public:
    CTextRaster() = default;
    ~CTextRaster();
    CTextRaster(const CTextRaster&) = delete;
    CTextRaster& operator=(const CTextRaster&) = delete;

    // True on failure, with `error` saying why.
    bool Open(const std::string& fontPath, int pixelSize, std::string& error);
    // Draws `text` with its baseline at row `baseline` from column x;
    // returns the pen position after the last character.
    int Draw(Coverage& into, int x, int baseline, const std::string& text) const;
    int Measure(const std::string& text) const;

private:
    FT_LibraryRec_* library = nullptr;
    FT_FaceRec_* face = nullptr;
};
