#pragma once

#include "base/GameFacts.h"
#include "math/Vec3.h"
#include "world/LargeArray.h"
#include "world/LodMesh.h"
#include "world/Player.h"
#include "world/SkyBox.h"
#include "world/TerrainChunks.h"
#include "world/TerrainLod.h"
#include "world/TerrainOverview.h"
#include "world/TerrainVertex.h"

#include <cstdint>
#include <vector>

class CGame;
struct MapFileData;

// The triangles of one chunk, ready to draw: positions relative to origin,
// grouped in runs that share a texture-table entry.
struct TerrainMesh {
    struct Run {
        uint8_t entry;          // texture-table index
        uint32_t first, count;  // in indices
    };
    Vec3 origin;
    std::vector<TerrainVertex> vertices;
    std::vector<uint32_t> indices;
    std::vector<Run> runs;
    std::vector<uint32_t> tiles;  // the chunk's tiles in drawing order; kept to spare an allocation per chunk
};

// The near and far planes of a frame, and whether the land beyond the
// haze's start fades into it.
struct ViewDepth {
    double nearPlane, farPlane;
    bool haze;
};

// The world: terrain grid and height query, terrain textures and mesh, the
// light, and the player and skybox it owns.
class CMap {
public:
    CGame* owner = nullptr;
    Vec3 lightDir;
    // The largest height error the level of detail may show, in pixels; 0
    // draws every cell, as the chunks below.
    float detailPixels = DEFAULT_DETAIL_PIXELS;
    // How far the view may reach; within HAZE_START, today's projection.
    float viewDistance = DEFAULT_VIEW_DISTANCE;
    CTerrainChunks chunks;         // the pieces the terrain is culled and drawn in at full detail
    CTerrainLod lod;               // the tree it is drawn from otherwise
    CTerrainOverview overview;     // the tiles as a distant view shows them
    uint32_t overviewTexture = 0;  // and its texture, for cells that span different textures
    bool haze = false;             // this frame's terrain fades into the fog set up for it,
    float hazeEnd = 0.0f;          // wholly at this distance
    std::vector<uint8_t> tileMap;
    std::vector<uint32_t> textures;
    uint32_t extraWord = 0;
    uint16_t textureCount = 0;
    uint32_t vertexCount = 0;
    uint32_t triangleCount = 0;
    LargeArray<float> vertices;  // x, y, z per vertex; z unscaled
    LargeArray<float> normals;
    Vec3 Normal(size_t vertex) const
    {
        return Vec3(normals[3 * vertex], normals[3 * vertex + 1], normals[3 * vertex + 2]);
    }
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
    // The unit normal of the cell at (col, row), which must be on the grid.
    Vec3 CellNormalAt(uint32_t col, uint32_t row) const;
    // The mean normal of the cells around vertex v: stored in normals[v] and
    // issued with glNormal3f.
    bool VertexNormal(int32_t v);
    // Every vertex's normal, computed once; equal, bit for bit, to what
    // VertexNormal gives vertex by vertex. LoadGrid calls it.
    void ComputeNormals();
    // The cells of one chunk as triangles: each cell's fan of four corners
    // (top-left, bottom-left, bottom-right, top-right on screen) split
    // into (1, 2, 3) and (1, 3, 4), with the stored normals. Its tiles go
    // in map order, stably grouped by texture.
    void ChunkMesh(uint32_t chunk, TerrainMesh& mesh) const;

    bool SetupLight();
    // Draws the chunks the current view can see, nearest first; leaves
    // lighting and blending off, depth testing on.
    bool Render();
    // The frustum of the current projection and modelview matrices; true
    // when they show nothing.
    bool ViewFrustum(CFrustum& frustum) const;
    // The chunks that frustum sees, nearest first: what Render draws.
    void VisibleChunks(std::vector<uint32_t>& out) const;
    // Draws the given chunks in that order, in the state Render leaves.
    void DrawChunks(const std::vector<uint32_t>& list);

    // The planes for an eye in the drawing frame: out to the map's far
    // edge (within viewDistance), the near one as far out as the nearest
    // ground and the wedge allow. Within HAZE_START, today's 0.1 and far.
    ViewDepth DepthRange(const Vec3& eye) const;
    // The level-of-detail mesh for the current view, as Render draws it.
    const CLodMesh& LodMeshForView();
    // How many of the window's rows, from its bottom, the terrain surely
    // covers in the view of `frustum` from `eye` (drawing frame): the sky
    // need not be drawn there. Render tells the sky after each frame.
    int GroundRows(const CFrustum& frustum, const Vec3& eye) const;

private:
    bool LoadTextures(const std::vector<uint32_t>& textureNumbers);
    void DrawLodMesh(const CLodMesh& mesh);
    // The state the terrain is drawn in (depth test and lighting on, the haze
    // when there is one), and back to the state it leaves.
    void BeginTerrain() const;
    void EndTerrain() const;

    std::vector<uint32_t> visibleChunks;  // kept between frames: no allocation per frame
    TerrainMesh chunkMesh;
    std::vector<LodNode> lodNodes;
    std::vector<LodCover> lodCover;
    CLodMesh lodMesh;
    uint32_t lodFrame = 0;
};
