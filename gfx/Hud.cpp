#include "gfx/Hud.h"

#include "base/GameFacts.h"
#include "game/Game.h"
#include "gfx/AssetPath.h"
#include "gfx/ScreenSpace.h"
#include "gfx/Texture.h"

#include <GL/gl.h>
#include <cstdio>
#include <cstring>

namespace {

// Copies text into a slot, cut to the slot's 49 characters.
void CopyToSlot(char* slot, const char* text)
{
    size_t n = strnlen(text, HUD_TEXT_BYTES - 1);
    memcpy(slot, text, n);
    slot[n] = '\0';
}

// The panel's square with its size baked in; counter-clockwise on screen
// and with t = 1 at the top edge, so the pictures stand upright.
void CompilePanelList(uint32_t list, const HudRect& rect)
{
    GLint w = GLint(rect.width);
    GLint h = GLint(rect.height);
    glNewList(list, GL_COMPILE);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2i(0, h);
    glTexCoord2f(1, 0);
    glVertex2i(w, h);
    glTexCoord2f(1, 1);
    glVertex2i(w, 0);
    glTexCoord2f(0, 1);
    glVertex2i(0, 0);
    glEnd();
    glEndList();
}

}  // namespace

CHud::CHud() : panelRects{{0, 0, uint32_t(WINDOW_WIDTH), uint32_t(HUD_PANEL_HEIGHT)}} {}

bool CHud::Build()
{
    panelTextures.assign(panelCount, HudPanelTextures());
    listBase = glGenLists(GLsizei(panelCount));
    std::vector<GLuint> names(2 * size_t(panelCount));
    glGenTextures(GLsizei(names.size()), names.data());
    for (uint32_t i = 0; i < panelCount; ++i)
        panelTextures[i] = {names[2 * i], names[2 * i + 1]};

    for (uint32_t i = 0; i < panelCount; ++i) {
        if (LoadTexture(FormatAssetPath(HUD_PICTURE_ASSET_FORMAT, int(i)).c_str(), TextureStyle::Clamped,
                        panelTextures[i].image))
            return true;
        if (LoadTexture(FormatAssetPath(HUD_MASK_ASSET_FORMAT, int(i)).c_str(), TextureStyle::Clamped,
                        panelTextures[i].mask))
            return true;
        CompilePanelList(listBase + i, panelRects[i]);
    }
    return false;
}

bool CHud::AddText(const char* text)
{
    if (lineCount >= HUD_SLOTS)
        return false;
    CopyToSlot(lines[lineCount], text);
    lineCount += 1;
    return false;
}

bool CHud::AddFadedText(const char* text)
{
    if (messageCount >= HUD_SLOTS) {
        memmove(messages[0], messages[1], sizeof messages[0] * (HUD_SLOTS - 1));
        memmove(&messageAlpha[0], &messageAlpha[1], sizeof messageAlpha[0] * (HUD_SLOTS - 1));
        messageCount = HUD_SLOTS - 1;
    }
    CopyToSlot(messages[messageCount], text);
    messageAlpha[messageCount] = 1.0f;
    messageCount += 1;
    return false;
}

HudLayout CHud::Layout() const
{
    HudLayout layout;
    int lineRows = int(lineCount);
    for (int n = lineRows - 1; n >= 0; --n)
        layout.rows[layout.count++] = {lines[n], HUD_BOTTOM_ROW_Y - HUD_ROW_PIXELS * n, 1.0f};
    for (int k = int(messageCount) - 1; k >= 0; --k)
        layout.rows[layout.count++] = {messages[k], HUD_BOTTOM_ROW_Y - HUD_ROW_PIXELS * (lineRows + k),
                                       messageAlpha[k]};
    return layout;
}

void CHud::FinishFrame()
{
    lineCount = 0;
    // Every message fades at the same rate, so the expired ones are the
    // oldest; compacting keeps the survivors in the order they came.
    uint32_t kept = 0;
    for (uint32_t k = 0; k < messageCount; ++k) {
        if (messageAlpha[k] < 0.1f)
            continue;
        if (kept != k)
            memcpy(messages[kept], messages[k], HUD_TEXT_BYTES);
        messageAlpha[kept] = messageAlpha[k] - 0.01f;
        kept += 1;
    }
    messageCount = kept;
}

bool CHud::Render()
{
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);

    // Text blends with the function left by the last panel pass (additive
    // from the second frame on), so the grey level is the fade.
    HudLayout layout = Layout();
    owner->font.PrintRows(layout.rows, layout.count);
    FinishFrame();
    glColor3f(1, 1, 1);

    // Scene x mask + picture. Print left depth testing on; the squares lie
    // nearer than any scene geometry, so they pass it.
    for (uint32_t i = 0; i < panelCount; ++i) {
        PushScreenSpace(panelRects[i].x, panelRects[i].y);

        glBlendFunc(GL_DST_COLOR, GL_ZERO);
        glBindTexture(GL_TEXTURE_2D, panelTextures[i].mask);
        glCallList(listBase + i);
        glBlendFunc(GL_ONE, GL_ONE);
        glBindTexture(GL_TEXTURE_2D, panelTextures[i].image);
        glCallList(listBase + i);

        PopScreenSpace();
    }
    glEnable(GL_DEPTH_TEST);
    return false;
}
