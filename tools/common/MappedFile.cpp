#include "tools/common/MappedFile.h"

#include "gfx/RegularFile.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

bool CMappedFile::Open(const std::string& path, std::string& error)
{
    Close();
    FILE* file = OpenRegularFile(path.c_str(), error);
    if (!file) {
        if (error.empty())
            error = strerror(errno);
        return true;
    }
    struct stat status;
    bool failed = fstat(fileno(file), &status) != 0;
    if (!failed && status.st_size > 0) {
        void* mapped = mmap(nullptr, size_t(status.st_size), PROT_READ, MAP_PRIVATE, fileno(file), 0);
        failed = mapped == MAP_FAILED;
        if (!failed) {
            data = static_cast<const uint8_t*>(mapped);
            size = size_t(status.st_size);
            madvise(mapped, size, MADV_SEQUENTIAL);  // read once, front to back
        }
    }
    if (failed)
        error = strerror(errno);
    fclose(file);
    return failed;
}

void CMappedFile::Close()
{
    if (data)
        munmap(const_cast<uint8_t*>(data), size);
    data = nullptr;
    size = 0;
}
