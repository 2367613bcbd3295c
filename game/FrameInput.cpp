#include "game/FrameInput.h"

void AddDebugLines(CHud&, const CPlayer&, const CMap&) {}
void ApplyHeldKeys(const uint8_t*, Vec3&, Vec3&, float&, float&) {}
