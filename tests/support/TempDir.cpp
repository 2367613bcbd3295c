#include "tests/support/TempDir.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

CTempDir::CTempDir()
{
    char pattern[] = "/tmp/terravell-test-XXXXXX";
    path = mkdtemp(pattern);
    previous = fs::current_path();
    fs::current_path(path);
    fs::create_directory(fs::path(path) / "Data");
}

CTempDir::~CTempDir()
{
    fs::current_path(previous);
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

void CTempDir::Write(const std::string& name, const std::vector<uint8_t>& bytes) const
{
    fs::path file = fs::path(path) / name;
    fs::create_directories(file.parent_path());
    std::string error;
    ASSERT_FALSE(WriteFileBytes(file.string(), bytes, error)) << file << ": " << error;
}

void CTempDir::WriteBmp(const std::string& name, const Image& image) const { Write(name, EncodeBmp(image)); }

void CTempDir::CopyBuildAssets() const
{
    fs::copy(TERRAVELL_DATA_DIR, fs::path(path) / "Data",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

Image SolidImage(int w, int h, uint8_t r, uint8_t g, uint8_t b)
{
    Image image(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.Set(x, y, r, g, b);
    return image;
}
