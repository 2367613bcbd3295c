#pragma once

#include "math/Vec3.h"
#include "world/Player.h"
#include "world/SkyBox.h"

#include <cstdint>
#include <vector>

class CGame;

// The world: terrain grid and height query, terrain textures and mesh, the
// light, and the player and skybox it owns.
class CMap {
public:
    CGame* owner = nullptr;
    Vec3 lightDir;
    uint32_t terrainList = 0;
    std::vector<uint8_t> tileMap;
    std::vector<uint32_t> textures;
    uint32_t extraWord = 0;
    uint16_t textureCount = 0;
    uint32_t vertexCount = 0;
    uint32_t triangleCount = 0;
    std::vector<float> vertices;  // x, y, z per vertex; z unscaled
    std::vector<float> normals;
    uint32_t width = 0;
    uint32_t columns = 0;
    uint32_t height = 0;
    uint32_t rows = 0;
    float cellSize = 0.0f;
    float heightScale = 0.0f;
    uint16_t subdivisions = 0;
    CPlayer player;
    CSkyBox skyBox;

    CMap();
    bool Load(const char* path);
    float GetHeight(float x, float y) const;
    bool SetupLight();
    bool Render();
};
