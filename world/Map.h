#pragma once

#include "math/Vec3.h"
#include "world/Player.h"
#include "world/SkyBox.h"

#include <cstdint>
#include <vector>

class CGame;
struct MapFileData;

// One corner of a terrain fan as the display list records it: its normal,
// texture coordinate and position relative to the tile's translation.
struct TerrainFanVertex {
    Vec3 normal;
    float s, t;
    Vec3 position;
};

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

    // Reads the map file, builds the grid, loads the textures, sets the
    // light and compiles the terrain. True on failure, after its line.
    bool Load(const char* path);

    // The GL-free part of Load: fields and grid from a file that
    // ReadMapFile or ValidateMapFile accepted.
    void LoadGrid(const MapFileData& file);

    // Whether (x, y) of the ground plane lies on the grid, far edges included.
    bool Contains(float x, float y) const;
    // Height in world units at (x, y), or 0 off the grid.
    float GetHeight(float x, float y) const;

    // Adds the unit normal of cell a to acc when the cell is on the grid;
    // true when it counted.
    bool CellNormal(int32_t a, Vec3& acc) const;
    // The mean normal of the cells around vertex v: stored in normals[v] and
    // issued with glNormal3f.
    bool VertexNormal(int32_t v);
    // Every vertex's normal, computed once; equal, bit for bit, to what
    // VertexNormal gives vertex by vertex. LoadGrid calls it.
    void ComputeNormals();
    // The fans of tile (tx, ty) in drawing order, four corners per cell,
    // with the normals ComputeNormals stored.
    void TileFans(uint32_t tx, uint32_t ty, std::vector<TerrainFanVertex>& fans) const;

    // How the terrain's cells reach OpenGL: one fan per cell, or each fan's
    // two triangles (1, 2, 3) and (1, 3, 4) in one batch per tile. Both draw
    // the same pixels; the batch is several times faster to draw.
    enum class TerrainBatch { Fans, Triangles };
    // Compiles the terrain into a new display list and returns its name.
    uint32_t CompileTerrainList(TerrainBatch batch) const;

    bool SetupLight();
    // Draws the terrain; leaves lighting and blending off, depth testing on.
    bool Render();

private:
    bool LoadTextures(const std::vector<uint32_t>& textureNumbers);
    void CompileTerrain();
};
