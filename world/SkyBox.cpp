#include "world/SkyBox.h"

CSkyBox::~CSkyBox() {}
bool CSkyBox::Build(const char*) { return false; }
bool CSkyBox::Render() { return false; }
