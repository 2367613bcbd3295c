// make_sample_dem: writes the made-up SRTM tile that the tests import and
// the README shows imported.
#include "tools/common/FileBytes.h"
#include "tools/shot/SampleDem.h"

#include <cstdio>

int main(int argc, char** argv)
{
    std::string error;
    if (argc != 2) {
        fprintf(stderr, "usage: make_sample_dem FILE.hgt\n");
        return 2;
    }
    if (WriteFileBytes(argv[1], SampleSrtmTile(), error)) {
        fprintf(stderr, "make_sample_dem: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
