#pragma once

#include <cstdio>
#include <string>

// Opens a file for reading, refusing anything but a regular file before a
// byte is read: a named pipe would hold the program in open() until a
// writer came, and a device never ends. Null on failure: `why` is "is a
// directory" or "not a regular file" for a file that opened, else empty
// with errno telling why it did not.
FILE* OpenRegularFile(const char* path, std::string& why);
