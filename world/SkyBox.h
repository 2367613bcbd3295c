#pragma once

#include <cstdint>

// Six pictures on the inside of a unit cube around the eye, turned with
// the view but never moved.
class CSkyBox {
public:
    uint32_t list = 0;
    uint32_t* textures = nullptr;

    ~CSkyBox();
    bool Build(const char* name);
    bool Render();
};
