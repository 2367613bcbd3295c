#include "gfx/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FILE* OpenRegularFile(const char* path, std::string& why)
{
    why.clear();
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info = {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        why = !S_ISDIR(info.st_mode) ? "not a regular file" : "is a directory";
        close(fd);
        return nullptr;
    }
    // Reads of a regular file never wait anyway; blocking mode is what
    // stdio expects.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE* file = fdopen(fd, "rb");
    if (!file) {
        int failure = errno;
        close(fd);
        errno = failure;
    }
    return file;
}
