#include "tools/common/FileBytes.h"

#include "gfx/RegularFile.h"
#include "tools/common/StagedFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error)
{
    bytes.clear();
    FILE* file = OpenRegularFile(path.c_str(), error);
    if (!file) {
        if (error.empty())
            error = strerror(errno);
        return true;
    }
    // Read to the end rather than trust st_size: some files report 0.
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
    CStagedFiles file;
    return file.Stage(path, bytes, error) || file.Commit(error);
}
