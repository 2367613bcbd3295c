#include "world/Map.h"

CMap::CMap() { player.map = this; }
bool CMap::Load(const char*) { return false; }
float CMap::GetHeight(float, float) const { return 0.0f; }
bool CMap::SetupLight() { return false; }
bool CMap::Render() { return false; }
