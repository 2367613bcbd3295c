#include "tools/common/ProcStatus.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

long ProcStatusKiB(const char* field)
{
    FILE* status = fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    size_t length = strlen(field);
    char line[256];
    long kib = -1;
    while (fgets(line, sizeof line, status))
        if (strncmp(line, field, length) == 0 && line[length] == ':')
            kib = strtol(line + length + 1, nullptr, 10);
    fclose(status);
    return kib;
}
