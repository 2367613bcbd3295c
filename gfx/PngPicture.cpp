#include "gfx/PngPicture.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Far more pictures than anyone keeps in one folder; past it, a message says
// so instead of trying names for ever.
constexpr unsigned LAST_PICTURE = 999999;

}  // namespace

std::string PictureName(unsigned number)
{
    char name[32];
    snprintf(name, sizeof name, "terravell-%04u.png", number);
    return name;
}

bool SaveNewPicture(const std::string& folder, const std::vector<uint8_t>& rgb, int width, int height, unsigned& next,
                    std::string& name, std::string& error)
{
    FILE* file = nullptr;
    std::string path;
    // "x": the file is created here or not at all, so a picture already
    // there is never replaced, whoever made it and whenever.
    for (errno = EEXIST; !file && errno == EEXIST && next <= LAST_PICTURE; ++next) {
        name = PictureName(next);
        path = folder.empty() ? name : folder + "/" + name;
        file = fopen(path.c_str(), "wbx");
    }
    if (!file) {
        error = errno == EEXIST ? "every name up to " + PictureName(LAST_PICTURE) + " is taken" : strerror(errno);
        return true;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = uint32_t(width);
    image.height = uint32_t(height);
    image.format = PNG_FORMAT_RGB;
    image.flags = PNG_IMAGE_FLAG_FAST;  // a frame's worth of time rather than the smallest file
    errno = 0;
    // A negative stride: the rows come bottom-up, as OpenGL reads them.
    bool failed = png_image_write_to_stdio(&image, file, 0, rgb.data(), -width * 3, nullptr) == 0;
    failed = fflush(file) != 0 || failed;
    int reason = errno;
    if (fclose(file) != 0 && !failed)
        failed = true, reason = errno;
    if (failed) {
        // A full disk or a size limit: the system's reason, and no
        // half-written picture left to look like a good one.
        error = reason != 0 ? strerror(reason) : image.message;
        remove(path.c_str());
    }
    return failed;
}
