#include "world/Player.h"

bool CPlayer::BuildMesh() { return false; }
bool CPlayer::Update() { return false; }
bool CPlayer::Turn(float, float, float) { return false; }
bool CPlayer::Accelerate(float, float, float) { return true; }
bool CPlayer::Render() { return false; }
bool CPlayer::ApplyCamera() { return false; }
