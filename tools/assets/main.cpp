// Writes the game's asset set into a directory. Deterministic: the same
// inputs always give the same bytes.
#include "tools/assets/FontSheet.h"
#include "tools/common/Image.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int Usage()
{
    fprintf(stderr, "usage: terravell-assets OUTDIR [--font FONT.ttf]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string outDir;
    std::string fontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--font") == 0 && i + 1 < argc)
            fontPath = argv[++i];
        else if (argv[i][0] == '-' || !outDir.empty())
            return Usage();
        else
            outDir = argv[i];
    }
    if (outDir.empty())
        return Usage();

    Image sheet;
    std::string error;
    if (!RenderFontSheet(fontPath, sheet, error)) {
        fprintf(stderr, "terravell-assets: %s\n", error.c_str());
        return 1;
    }
    if (!WriteBmp(outDir + "/Font.bmp", sheet)) {
        fprintf(stderr, "terravell-assets: cannot write %s/Font.bmp\n", outDir.c_str());
        return 1;
    }
    return 0;
}
