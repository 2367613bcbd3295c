// Reads one row of HUD text off a screenshot of the game window, using the
// game's own glyph sheet: prints the text, trailing spaces dropped.
//
//   hud_read FRAME.ppm FONT.ppm Y [GREY]
//
// The HUD adds its glyphs onto the scene, so a pixel is at least as bright
// as the glyph texel drawn there (times GREY, the text's grey level). For
// each 10-pixel character cell the reading is the glyph that breaks this
// bound least; among glyphs that all fit (the space always does) the one
// with the most ink wins. Only the characters the HUD's texts use are
// candidates, so that over a bright scene no stray '_' or ',' fits.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    // Darkest channel: text adds the same amount to all three.
    int Low(int x, int y) const
    {
        const unsigned char* p = &rgb[(size_t(y) * width + x) * 3];
        int low = p[0] < p[1] ? p[0] : p[1];
        return low < p[2] ? low : p[2];
    }
};

// Next number of a PPM header, past whitespace and '#' comments (xwd
// puts the window's name there).
bool HeaderNumber(FILE* file, int& value)
{
    int c = fgetc(file);
    while (c == '#' || c == ' ' || c == '\t' || c == '\n' || c == '\r') {
        if (c == '#')
            while (c != '\n' && c != EOF)
                c = fgetc(file);
        c = fgetc(file);
    }
    ungetc(c, file);
    return fscanf(file, "%d", &value) == 1;
}

// Binary PPM (P6, maxval 255), as ImageMagick writes it.
bool ReadPpm(const char* path, Picture& picture)
{
    FILE* file = fopen(path, "rb");
    if (!file)
        return false;
    int maxval = 0;
    bool ok = fgetc(file) == 'P' && fgetc(file) == '6' && HeaderNumber(file, picture.width) &&
              HeaderNumber(file, picture.height) && HeaderNumber(file, maxval) && maxval == 255 &&
              picture.width > 0 && picture.height > 0 && picture.width <= 8192 && picture.height <= 8192 &&
              fgetc(file) != EOF;
    if (ok) {
        picture.rgb.resize(size_t(picture.width) * picture.height * 3);
        ok = fread(picture.rgb.data(), 1, picture.rgb.size(), file) == picture.rgb.size();
    }
    fclose(file);
    return ok;
}

constexpr int CELL = 16;    // glyph square in pixels and in texels
constexpr int ADVANCE = 10; // pen step
constexpr int TOLERANCE = 12;
const char ALPHABET[] = " ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789.:-=!()";

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: hud_read FRAME.ppm FONT.ppm Y [GREY]\n");
        return 2;
    }
    Picture frame, font;
    if (!ReadPpm(argv[1], frame) || !ReadPpm(argv[2], font) || font.width != 16 * CELL ||
        font.height != 16 * CELL) {
        fprintf(stderr, "hud_read: cannot read the frame or a 256x256 glyph sheet\n");
        return 2;
    }
    int top = atoi(argv[3]);
    double grey = argc > 4 ? atof(argv[4]) : 1.0;
    if (top < 0 || top + CELL > frame.height) {
        fprintf(stderr, "hud_read: row %d is outside the frame\n", top);
        return 2;
    }

    std::string text;
    for (int left = 0; left + CELL <= frame.width; left += ADVANCE) {
        const int count = int(sizeof ALPHABET) - 1;
        long broken[count], ink[count], least = -1;
        for (int i = 0; i < count; ++i) {
            int g = ALPHABET[i] - 32;
            broken[i] = ink[i] = 0;
            for (int y = 0; y < CELL; ++y)
                for (int x = 0; x < CELL; ++x) {
                    int texel = int(font.Low(g % 16 * CELL + x, g / 16 * CELL + y) * grey);
                    ink[i] += texel;
                    int over = texel - frame.Low(left + x, top + y) - TOLERANCE;
                    if (over > 0)
                        broken[i] += over;
                }
            if (least < 0 || broken[i] < least)
                least = broken[i];
        }
        // Of the glyphs that fit about as well as the best, the one with the
        // most ink: a '.' fits wherever a ':' does.
        const long slack = 64;
        int best = 0;
        for (int i = 1; i < count; ++i)
            if (broken[i] <= least + slack && (broken[best] > least + slack || ink[i] > ink[best]))
                best = i;
        text += ALPHABET[best];
    }
    text.erase(text.find_last_not_of(' ') + 1);
    printf("%s\n", text.c_str());
    return 0;
}
