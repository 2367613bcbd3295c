#pragma once

#include "world/TerrainLod.h"
#include "world/TerrainVertex.h"

#include <cstdint>
#include <vector>

class CMap;

// The triangles of every node a frame draws, in one vertex array, with an
// index list per texture: entries 0..255 of the map's table, then the
// overview of the tiles' mean colours. Needs no GL context.
class CLodMesh {
public:
    static constexpr uint32_t OVERVIEW = 256;  // the index list drawn with the overview
    Vec3 origin;                               // positions are relative to it, so they keep their precision far out
    std::vector<TerrainVertex> vertices;
    std::vector<uint32_t> indices[OVERVIEW + 1];
    size_t skirtTriangles = 0;  // of all the lists' triangles, those hanging from edges

    // Empties the lists for a new frame, positions relative to `origin`.
    void Clear(const Vec3& at);
    // Adds one drawn node: its cells at its depth, its vertices moved by
    // its morph (on an edge with a sibling of its depth, by the smaller of
    // the two), and a skirt hanging from each edge that meets a node of
    // another depth or morph.
    void AddNode(const CMap& map, const LodNode& node, const std::vector<LodCover>& cover, uint32_t frame);
    // Triangles in all lists.
    size_t TriangleCount() const;

private:
    struct Edge {
        float morph;  // of its vertices
        float skirt;  // how deep the skirt hanging from it reaches, 0 for none
    };
    struct Place;  // what every vertex of one node shares
    TerrainVertex Vertex(const Place& p, uint32_t col, uint32_t row, uint32_t bandTop, uint16_t entry) const;
    void Skirt(const TerrainVertex& a, const TerrainVertex& b, float depth, const Vec3& outward, uint16_t entry);
};
