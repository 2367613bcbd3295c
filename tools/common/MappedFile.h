#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A regular file mapped read-only into memory: its bytes are read as they
// are used and belong to the page cache, so a large file costs the process
// no copy of itself.
class CMappedFile {
public:
    CMappedFile() = default;
    CMappedFile(const CMappedFile&) = delete;
    CMappedFile& operator=(const CMappedFile&) = delete;
    ~CMappedFile() { Close(); }

    // True on failure, with `error` the system's reason, "not a regular
    // file" or "is a directory".
    bool Open(const std::string& path, std::string& error);
    void Close();

    const uint8_t* Data() const { return data; }
    size_t Size() const { return size; }

private:
    const uint8_t* data = nullptr;
    size_t size = 0;
};
