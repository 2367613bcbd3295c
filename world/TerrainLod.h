#pragma once

#include "math/Frustum.h"

#include <cstdint>
#include <vector>

class CMap;

// One node of the level-of-detail tree as a frame draws it.
struct LodNode {
    uint32_t depth;  // its mesh keeps every 2^depth-th vertex
    uint32_t index;  // row * across + column among the nodes of its depth
    float morph;     // 0: its own heights; 1: those of the mesh one depth up
    float bound;     // the largest height error of what it draws, in world units
};

// Which node covers a leaf block on the rim of a node in a given frame:
// what a node reads of its neighbours to join them without cracks. A node
// outside the view is there too, as it would be drawn (a depth finer than
// its own when it would be split), so its siblings' edges do not change
// when it comes into view.
struct LodCover {
    uint32_t frame = 0;
    uint32_t depth = 0;
    float morph = 0.0f;
    float bound = 0.0f;
    bool drawn = false;
};

// Where a coarse mesh passes over a grid vertex: up to three grid vertices
// and their weights.
struct CoarseCorners {
    uint32_t count = 0;
    uint32_t vertex[3] = {};
    float weight[3] = {};
};

// The terrain's level of detail, without GL. A quadtree over blocks of
// LEAF_CELLS x LEAF_CELLS cells: a node at depth D covers LEAF_CELLS << D
// cells a side with a mesh of every 2^D-th vertex (and the grid's last row
// and column), so a distant region is one coarse node. Each node knows the
// largest height error of its mesh against the full grid; a frame draws,
// per region, the coarsest node whose error seen from the eye stays within
// a budget in pixels, and lets its vertices slide towards the next depth's
// mesh as it nears the distance where that one would do.
class CTerrainLod {
public:
    static constexpr uint32_t LEAF_CELLS = 4;
    // Pixels per world unit at distance 1: the window's 600 rows over a
    // 90-degree field of view.
    static constexpr float FOCAL_PIXELS = 300.0f;
    // The part of the distance to a coarser mesh over which vertices move
    // towards it.
    static constexpr float MORPH_BAND = 0.3f;
    static constexpr uint16_t MIXED = 0xFFFF;
    // Depths whose errors are measured against every sample; deeper ones,
    // whose nodes are few and far, are bounded from the depth below.
    static constexpr uint32_t EXACT_DEPTHS = 4;

    struct Depth {
        uint32_t across = 0, down = 0;            // nodes
        uint32_t cellsAcross = 0, cellsDown = 0;  // cells of this depth's mesh over the whole grid
        std::vector<float> error;                 // per node, world units
        std::vector<float> zLow, zHigh;           // per node, drawn heights
        std::vector<uint8_t> mixed;               // per node: some cell spans different textures
        std::vector<uint16_t> texture;            // per cell (depth 1 up): its texture entry, or MIXED
    };
    std::vector<Depth> depths;  // leaves first
    uint32_t cellsAcross = 0, cellsDown = 0;
    uint32_t columns = 0;  // grid vertices per row
    float cellSize = 0.0f, heightScale = 0.0f;
    float tileSize = 0.0f;  // world units across a tile

    // The tree for the map's grid and its height samples: errors, height
    // ranges and textures.
    void Build(const CMap& map, const std::vector<uint8_t>& heights);

    // Whether grid column (or row) c is a vertex of the mesh of depth d.
    static bool OnDepth(uint32_t c, uint32_t d, uint32_t last) { return (c & ((1u << d) - 1)) == 0 || c == last; }
    // The corners the mesh of depth d interpolates at grid vertex (col, row).
    void Corners(uint32_t d, uint32_t col, uint32_t row, CoarseCorners& out) const;
    // The height (unscaled) of the mesh of depth d at grid vertex (col, row).
    float CoarseHeight(const CMap& map, uint32_t d, uint32_t col, uint32_t row) const;

    // The texture entry of a cell of depth d (grid cell col, row at depth 0), or MIXED.
    uint16_t CellTexture(const CMap& map, uint32_t d, uint32_t col, uint32_t row) const;

    // The cells [x0, x1) x [y0, y1) node `index` of depth d covers.
    void NodeCells(uint32_t d, uint32_t index, uint32_t& x0, uint32_t& x1, uint32_t& y0, uint32_t& y1) const;
    // Its box in the drawing frame (y negated).
    void NodeBox(uint32_t d, uint32_t index, Vec3& lo, Vec3& hi) const;

    // How far a node's vertices have moved towards the next depth's mesh,
    // for its own error, its parent's and the error allowed where it is.
    static float Morph(float error, float parentError, float allowed);

    // What a frame asks of the selection: the largest height error in
    // pixels, and how small a tile must look before a cell may span tiles
    // of different textures (drawn with the overview's picture of them).
    // In haze both grow as the land fades: what fog hides need not be drawn.
    struct Budget {
        float pixels;
        float mixedTilePixels;
        float hazeStart = 0.0f, hazeEnd = 0.0f;  // no haze unless hazeEnd > hazeStart

        // How much of the land's own colour shows at a distance, 1/16 at least.
        float Clear(float distance) const;
        // The largest height error allowed at a distance, in world units.
        float Allowed(float distance) const { return pixels * distance / (FOCAL_PIXELS * Clear(distance)); }
    };
    // The nodes to draw for a view: inside or touching the frustum, each
    // the coarsest whose error seen from `eye` (drawing frame) is within
    // the budget, nearest first. Marks each drawn node's leaves in `cover`
    // with `frame`.
    void Select(const CFrustum& frustum, const Vec3& eye, const Budget& budget, uint32_t frame,
                std::vector<LodNode>& out, std::vector<LodCover>& cover) const;

    // A distance from `eye` (drawing frame) to the ground that no point of
    // the terrain is nearer than; `limit` when nothing is within it.
    float NearestGround(const CMap& map, const Vec3& eye, float limit) const;

private:
    void BuildLeaves(const uint8_t* heights);
    void BuildDepth(const CMap& map, const uint8_t* heights, uint32_t d, std::vector<float>& cellError);
    void BuildTextures(const CMap& map, uint32_t d);
    // The largest difference between the samples and the mesh of depth d
    // inside each of its cells (or a bound on it), in height steps, from
    // depth d - 1's in `cellError`.
    void CellErrors(const uint8_t* heights, uint32_t d, std::vector<float>& cellError) const;
    void Visit(const CFrustum& frustum, const Vec3& eye, const Budget& budget, uint32_t d, uint32_t index,
               uint32_t frame, std::vector<LodNode>& out, std::vector<LodCover>& cover) const;
    // The node as drawn where `allowed` is the error allowed.
    LodNode Drawn(uint32_t d, uint32_t index, float allowed, const Budget& budget) const;
    // Marks the leaves on the rim of node `index` of depth d.
    void Mark(uint32_t d, uint32_t index, const LodCover& what, std::vector<LodCover>& cover) const;
    // The error a node counts as for the budget: its own, or more where its
    // textures want it further away.
    float Effective(uint32_t d, uint32_t index, const Budget& budget) const;
};

// The distance from p to the nearest point of the box [lo, hi]; 0 inside.
float BoxDistance(const Vec3& p, const Vec3& lo, const Vec3& hi);
