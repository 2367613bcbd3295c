#include "tools/common/FileBytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error)
{
    bytes.clear();
    // Opened without blocking, so a named pipe with no writer is refused
    // below instead of holding the program forever in open().
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = strerror(errno);
        return true;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        error = "not a regular file";
        return true;
    }
    FILE* file = fdopen(fd, "rb");
    if (!file) {
        error = strerror(errno);
        close(fd);
        return true;
    }
    // Read to the end rather than trust st_size: some files report 0.
    bytes.reserve(size_t(info.st_size));
    uint8_t chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    bool failed = ferror(file) != 0;
    int readErrno = errno;
    fclose(file);
    if (failed)
        error = strerror(readErrno);
    return failed;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) {
        error = strerror(errno);
        return true;
    }
    bool failed = !bytes.empty() && fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size();
    int writeErrno = errno;
    if (fclose(file) != 0 && !failed) {
        failed = true;
        writeErrno = errno;
    }
    if (failed)
        error = strerror(writeErrno);
    return failed;
}
