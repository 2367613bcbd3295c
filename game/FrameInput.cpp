#include "game/FrameInput.h"

#include "world/Map.h"

#include <SDL/SDL.h>
#include <cstdio>

DebugLines FormatDebugLines(const CPlayer& player, const Vec3& lightDir, float elevation)
{
    // snprintf into the slot size: a huge value shortens its line rather
    // than writing past it.
    DebugLines d;
    const Vec3& p = player.position;
    const Vec3& v = player.velocity;
    const Vec3& r = player.rotation;
    const Vec3& c = player.camera;
    snprintf(d.text[0], HUD_TEXT_BYTES, "Px:%06.2fPy:%06.2fPz:%06.2fFlags:%d", double(p.x), double(p.y), double(p.z),
             int(player.flags));
    snprintf(d.text[1], HUD_TEXT_BYTES, "Vx:%06.2fVy:%06.2fVz:%06.2f", double(v.x), double(v.y), double(v.z));
    snprintf(d.text[2], HUD_TEXT_BYTES, "Rx:%04.2f  Ry:%04.2f  Rz:%04.2f", double(r.x), double(r.y), double(r.z));
    snprintf(d.text[3], HUD_TEXT_BYTES, "Lx:%04.2f  Ly:%04.2f  Lz:%04.2f", double(lightDir.x), double(lightDir.y),
             double(lightDir.z));
    snprintf(d.text[4], HUD_TEXT_BYTES, "Cx:%04.2f  Cy:%04.2f  Cz:%04.2f", double(c.x), double(c.y), double(c.z));
    snprintf(d.text[5], HUD_TEXT_BYTES, "Elevation = %4.2f", double(elevation));
    return d;
}

void AddDebugLines(CHud& hud, const CPlayer& player, const CMap& map)
{
    DebugLines d = FormatDebugLines(player, map.lightDir, map.GetHeight(player.position.x, player.position.y));
    for (const char* line : d.text)
        hud.AddText(line);
}

void ApplyHeldKeys(const uint8_t* keys, Vec3& lightDir, Vec3& camera, float& speed, float& turn)
{
    auto ctrl = [keys] { return keys[SDLK_LCTRL] || keys[SDLK_RCTRL]; };
    // With Ctrl the arrows nudge the light and renormalise it; without, Up
    // pushes forward (negative amount), Down back, Left and Right turn.
    if (keys[SDLK_UP]) {
        if (ctrl())
            lightDir.Update(0.0f, 0.01f, 0.0f, VEC3_NORMALIZE);
        else
            speed = -0.3f;
    }
    if (keys[SDLK_DOWN]) {
        if (ctrl())
            lightDir.Update(0.0f, -0.01f, 0.0f, VEC3_NORMALIZE);
        else
            speed += 0.3f;
    }
    if (keys[SDLK_LEFT]) {
        if (ctrl())
            lightDir.Update(-0.01f, 0.0f, 0.0f, VEC3_NORMALIZE);
        else
            turn = 0.01f;
    }
    if (keys[SDLK_RIGHT]) {
        if (ctrl())
            lightDir.Update(0.01f, 0.0f, 0.0f, VEC3_NORMALIZE);
        else
            turn -= 0.01f;
    }

    // Camera: a/z distance, s/x pitch; yaw and pitch stay folded in [0, 1].
    if (keys[SDLK_a])
        camera.Update(0.0f, 0.0f, 1.0f, VEC3_FOLD_XY);
    if (keys[SDLK_z])
        camera.Update(0.0f, 0.0f, -1.0f, VEC3_FOLD_XY);
    if (keys[SDLK_s])
        camera.Update(0.0f, -0.02f, 0.0f, VEC3_FOLD_XY);
    if (keys[SDLK_x])
        camera.Update(0.0f, 0.02f, 0.0f, VEC3_FOLD_XY);
}
