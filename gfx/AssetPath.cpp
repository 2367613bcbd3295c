#include "gfx/AssetPath.h"

#include <cstdarg>
#include <cstdio>

std::string AssetPath(const std::string& stored)
{
    std::string path = stored;
#ifndef _WIN32
    for (char& c : path)
        if (c == '\\')
            c = '/';
#endif
    return path;
}

std::string FormatAssetPath(const char* storedFormat, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, storedFormat);
    vsnprintf(buffer, sizeof buffer, storedFormat, args);
    va_end(args);
    return AssetPath(buffer);
}
