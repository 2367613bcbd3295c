#include "tools/assets/HudPanel.h"

#include "tools/common/Color.h"
#include "tools/common/Noise.h"
#include "tools/common/TextRaster.h"

#include <algorithm>
#include <cmath>

namespace {

const int W = HUD_PANEL_WIDTH;
const int H = HUD_PANEL_HEIGHT;
const int BEVEL_ROW = 56;  // first row of the lower edge; the glass ends above it

// The panel as the game sees it: what fraction of the scene comes through
// each pixel, and what light the pixel adds.
struct Layers {
    std::vector<float> through = std::vector<float>(size_t(W) * H, 1.0f);
    std::vector<Rgb> light = std::vector<Rgb>(size_t(W) * H);

    // Covers a fraction `cover` of pixel (x, y) with a material that lets
    // `transmit` of what is behind it through and adds `emit`.
    void Over(int x, int y, float cover, float transmit, Rgb emit)
    {
        if (x < 0 || y < 0 || x >= W || y >= H || cover <= 0.0f)
            return;
        size_t i = size_t(y) * W + x;
        float keep = 1.0f - cover + cover * transmit;
        through[i] *= keep;
        light[i] = light[i] * keep + emit * cover;
    }
    void Paint(int x, int y, float cover, Rgb color) { Over(x, y, cover, 0.0f, color); }
};

// Coverage of a pixel by a rounded box, from its signed distance.
float RoundedBox(float px, float py, float x0, float y0, float x1, float y1, float radius)
{
    float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
    float qx = std::fabs(px - cx) - ((x1 - x0) * 0.5f - radius);
    float qy = std::fabs(py - cy) - ((y1 - y0) * 0.5f - radius);
    float outside = std::sqrt(std::max(qx, 0.0f) * std::max(qx, 0.0f) + std::max(qy, 0.0f) * std::max(qy, 0.0f));
    float dist = outside + std::min(std::max(qx, qy), 0.0f) - radius;
    return Clamp01(0.5f - dist);
}

bool InTriangle(float px, float py, const float* t)
{
    auto side = [&](int a, int b) {
        return (t[2 * b] - t[2 * a]) * (py - t[2 * a + 1]) - (t[2 * b + 1] - t[2 * a + 1]) * (px - t[2 * a]);
    };
    float s0 = side(0, 1), s1 = side(1, 2), s2 = side(2, 0);
    return (s0 >= 0 && s1 >= 0 && s2 >= 0) || (s0 <= 0 && s1 <= 0 && s2 <= 0);
}

void Background(Layers& l)
{
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            if (y < BEVEL_ROW) {
                // Smoked glass, a little clearer towards its lower edge.
                float fy = float(y) / float(BEVEL_ROW);
                l.Over(x, y, 1.0f, 0.34f + 0.14f * fy, Rgb{0.02f, 0.04f, 0.07f} * (1.2f - 0.4f * fy));
            } else if (y == BEVEL_ROW) {
                l.Paint(x, y, 1.0f, Rgb{0.66f, 0.76f, 0.90f});
            } else if (y == BEVEL_ROW + 1) {
                l.Paint(x, y, 1.0f, Rgb{0.28f, 0.36f, 0.48f});
            } else if (y == BEVEL_ROW + 2) {
                l.Paint(x, y, 1.0f, Rgb{0.04f, 0.05f, 0.08f});
            } else {
                // A soft shadow that fades into the scene below the band.
                float t = float(y - BEVEL_ROW - 3) / float(H - BEVEL_ROW - 4);
                l.Over(x, y, 1.0f, 0.45f + 0.55f * t * t, Rgb{});
            }
        }
    }
}

// The plate under the title, opaque, its right edge slanted.
float PlateEdge(int y) { return 232.0f - 0.32f * float(y); }

void TitlePlate(Layers& l)
{
    for (int y = 0; y < BEVEL_ROW; ++y) {
        float fy = float(y) / float(BEVEL_ROW);
        Rgb body = Mix(Rgb{0.05f, 0.08f, 0.13f}, Rgb{0.11f, 0.16f, 0.26f}, fy);
        float edge = PlateEdge(y);
        for (int x = 0; x < int(edge) + 2; ++x) {
            float cover = Clamp01(edge - float(x) + 0.5f);
            float grain = 0.015f * (HashUnit(x, y, 77) - 0.5f);  // breaks up banding
            l.Paint(x, y, cover, body + Rgb{grain, grain, grain});
            float rim = Clamp01(1.0f - std::fabs(float(x) - (edge - 1.5f)));
            l.Paint(x, y, rim * cover, Rgb{0.55f, 0.66f, 0.82f});
        }
    }
}

// Two snow-capped peaks, supersampled for smooth edges.
void Emblem(Layers& l)
{
    const float big[6] = {34.0f, 9.0f, 60.0f, 47.0f, 8.0f, 47.0f};
    const float small[6] = {17.0f, 22.0f, 33.0f, 47.0f, 2.0f, 47.0f};
    const float snowLine = 20.0f, smallSnowLine = 29.0f;
    for (int y = 6; y < 50; ++y) {
        for (int x = 0; x < 64; ++x) {
            float rock = 0.0f, snow = 0.0f, back = 0.0f;
            for (int sy = 0; sy < 4; ++sy) {
                for (int sx = 0; sx < 4; ++sx) {
                    float px = float(x) + (float(sx) + 0.5f) / 4.0f;
                    float py = float(y) + (float(sy) + 0.5f) / 4.0f;
                    if (InTriangle(px, py, small)) {
                        (py < smallSnowLine + 1.5f * std::sin(px * 0.9f) ? snow : back) += 1.0f / 16.0f;
                    } else if (InTriangle(px, py, big)) {
                        // The sunny left flank is lighter than the right one.
                        bool capped = py < snowLine + 2.0f * std::sin(px * 0.7f);
                        (capped ? snow : rock) += (px < 34.0f - (py - 9.0f) * 0.12f ? 1.0f : 0.8f) / 16.0f;
                    }
                }
            }
            float shade = 1.0f - 0.25f * float(y - 6) / 44.0f;
            l.Paint(x, y, Clamp01(back), Rgb{0.30f, 0.44f, 0.58f} * shade);
            l.Paint(x, y, Clamp01(rock), Rgb{0.52f, 0.60f, 0.72f} * shade);
            l.Paint(x, y, Clamp01(snow), Rgb{0.97f, 0.98f, 1.0f});
        }
    }
}

// Composites text coverage in a colour, with a dark halo for contrast
// against whatever scene lies behind the glass.
void Ink(Layers& l, const Coverage& text, Rgb top, Rgb bottom, int y0, int y1, float halo)
{
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            float around = 0.0f;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    around = std::max(around, text.At(x + dx, y + dy) * (dx == 0 || dy == 0 ? 1.0f : 0.6f));
            around = std::max(around, text.At(x - 2, y - 2));  // drop shadow down-right
            l.Over(x, y, around * halo, 0.0f, Rgb{0.0f, 0.01f, 0.03f});
            float fy = Clamp01(float(y - y0) / float(std::max(1, y1 - y0)));
            l.Paint(x, y, text.At(x, y), Mix(top, bottom, fy));
        }
    }
}

struct KeyBinding {
    const char* keys;
    const char* action;
};

const KeyBinding BINDINGS[6] = {
    {"Arrows", "steer / push"}, {"Ctrl+Arrows", "move the light"}, {"A / Z", "camera distance"},
    {"S / X", "camera pitch"},  {"C / D + key", "messages"},       {"Esc", "quit"},
};

void KeyCap(Layers& l, float x0, float y0, float x1, float y1)
{
    for (int y = int(y0) - 1; y <= int(y1) + 1; ++y) {
        for (int x = int(x0) - 1; x <= int(x1) + 1; ++x) {
            float px = float(x) + 0.5f, py = float(y) + 0.5f;
            l.Paint(x, y, RoundedBox(px, py, x0, y0, x1, y1, 3.5f), Rgb{0.50f, 0.58f, 0.70f});
            float fy = Clamp01((py - y0) / (y1 - y0));
            l.Paint(x, y, RoundedBox(px, py, x0 + 1.0f, y0 + 1.0f, x1 - 1.0f, y1 - 1.0f, 2.5f),
                    Mix(Rgb{0.16f, 0.19f, 0.25f}, Rgb{0.07f, 0.08f, 0.11f}, fy));
        }
    }
}

void Bindings(Layers& l, const CTextRaster& keyFont, const CTextRaster& textFont)
{
    const int baselines[2] = {24, 46};
    const int capPad = 6, gap = 8, columnGap = 26;
    // Columns as wide as their widest entry, the block right-aligned.
    int widths[3];
    int total = 0;
    for (int c = 0; c < 3; ++c) {
        widths[c] = 0;
        for (int r = 0; r < 2; ++r) {
            const KeyBinding& b = BINDINGS[c * 2 + r];
            int w = keyFont.Measure(b.keys) + 2 * capPad + gap + textFont.Measure(b.action);
            widths[c] = std::max(widths[c], w);
        }
        total += widths[c] + (c ? columnGap : 0);
    }
    Coverage keys(W, H), actions(W, H);
    int x = W - 14 - total;
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 2; ++r) {
            const KeyBinding& b = BINDINGS[c * 2 + r];
            int keyWidth = keyFont.Measure(b.keys);
            KeyCap(l, float(x), float(baselines[r] - 14), float(x + keyWidth + 2 * capPad), float(baselines[r] + 5));
            keyFont.Draw(keys, x + capPad, baselines[r], b.keys);
            textFont.Draw(actions, x + keyWidth + 2 * capPad + gap, baselines[r], b.action);
        }
        x += widths[c] + columnGap;
    }
    Ink(l, keys, Rgb{1.0f, 0.90f, 0.62f}, Rgb{0.98f, 0.78f, 0.42f}, 10, 30, 0.0f);
    Ink(l, actions, Rgb{0.92f, 0.95f, 1.0f}, Rgb{0.80f, 0.86f, 0.94f}, 10, 50, 0.55f);
}

}  // namespace

bool RenderHudPanel(const HudFonts& fonts, Image& picture, Image& mask, std::string& error)
{
    CTextRaster title, subtitle, keyFont, textFont;
    if (title.Open(fonts.bold, 30, error) || subtitle.Open(fonts.regular, 10, error) ||
        keyFont.Open(fonts.bold, 11, error) || textFont.Open(fonts.regular, 12, error))
        return true;

    Layers l;
    Background(l);
    TitlePlate(l);
    Emblem(l);

    Coverage name(W, H), tagline(W, H);
    title.Draw(name, 70, 36, GAME_NAME);
    subtitle.Draw(tagline, 72, 50, "height-map terrain demo");
    Ink(l, name, Rgb{1.0f, 0.95f, 0.80f}, Rgb{0.96f, 0.72f, 0.36f}, 14, 36, 0.8f);
    Ink(l, tagline, Rgb{0.60f, 0.70f, 0.82f}, Rgb{0.60f, 0.70f, 0.82f}, 40, 50, 0.0f);
    Bindings(l, keyFont, textFont);

    picture = Image(W, H);
    mask = Image(W, H);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            size_t i = size_t(y) * W + x;
            PutPixel(picture, x, y, l.light[i]);
            float m = l.through[i];
            PutPixel(mask, x, y, Rgb{m, m, m});
        }
    }
    return false;
}
