#include "tools/common/StagedFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

bool CStagedFiles::Stage(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error)
{
    // Beside the target, so the rename stays within one file system; the
    // process id keeps two writers apart.
    const std::string temporary = path + ".partial-" + std::to_string(getpid());
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    FILE* file = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (!file) {
        error = strerror(errno);
        if (fd >= 0)
            close(fd);
        Abandon();
        return true;
    }
    staged.emplace_back(temporary, path);
    bool failed = !bytes.empty() && fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size();
    failed = failed || fflush(file) != 0;
    int reason = errno;
    if (fclose(file) != 0 && !failed) {
        failed = true;
        reason = errno;
    }
    if (failed) {
        error = strerror(reason);
        Abandon();
    }
    return failed;
}

bool CStagedFiles::Commit(std::string& error)
{
    for (size_t i = 0; i < staged.size(); ++i) {
        if (rename(staged[i].first.c_str(), staged[i].second.c_str()) != 0) {
            error = "cannot replace " + staged[i].second + ": " + strerror(errno);
            staged.erase(staged.begin(), staged.begin() + long(i));
            Abandon();
            return true;
        }
    }
    staged.clear();
    return false;
}

void CStagedFiles::Abandon()
{
    for (const auto& [temporary, target] : staged)
        unlink(temporary.c_str());
    staged.clear();
}
