// Guards the terrain's chunks: a cell lost or drawn twice at any tile size, a mesh with another vertex's attributes.
#include "tests/support/TestMaps.h"
#include "world/Map.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

TEST(TerrainChunks, EveryCellInExactlyOneChunk)
{
    // tiles, cells per tile: grouped evenly, grouped with a short last
    // chunk, split unevenly, one cell per tile, one huge tile, one cell.
    const uint32_t layouts[][2] = {{16, 8}, {5, 6}, {3, 40}, {4095, 1}, {1, 4095}, {1, 1}};
    for (const auto& [tiles, cells] : layouts) {
        ChunkAxis axis;
        axis.Setup(tiles, cells, 16);
        uint32_t expectedFirst = 0;
        for (uint32_t j = 0; j < axis.count; ++j) {
            uint32_t first, end;
            axis.Cells(j, first, end);
            ASSERT_TRUE(first == expectedFirst && end > first && end - first <= std::max(16u, cells))
                << tiles << "x" << cells << " chunk " << j;
            EXPECT_TRUE(axis.ChunkOf(first) == j && axis.ChunkOf(end - 1) == j)
                << tiles << "x" << cells << " chunk " << j;
            if (cells > 16) {
                EXPECT_EQ(first / cells, (end - 1) / cells) << "a part straddles two tiles";
            }
            expectedFirst = end;
        }
        EXPECT_EQ(expectedFirst, tiles * cells);
        EXPECT_EQ(axis.ChunkOf(tiles * cells + 5), axis.count - 1);
    }
}

TEST(TerrainChunks, MeshesCarryTheirOwnVerticesAndTextures)
{
    // Tiles grouped into a chunk, and one tile split into parts.
    for (const MapFileData& file :
         {TestMap(3, 2, 4, 10, 150, 0, BumpyHeight), TestMap(1, 1, 40, 10, 150, 0, BumpyHeight)}) {
        CMap map;
        LoadTestGrid(map, file);
        const uint32_t n = map.subdivisions;
        size_t triangles = 0;
        TerrainMesh mesh;
        for (uint32_t chunk = 0; chunk < map.chunks.across.count * map.chunks.down.count; ++chunk) {
            map.ChunkMesh(chunk, mesh);
            Vec3 lo, hi;  // culling's box must hold every vertex
            map.chunks.Box(chunk, lo, hi);
            triangles += mesh.indices.size() / 3;
            for (const TerrainMesh::Run& run : mesh.runs)
                for (uint32_t i = run.first; i < run.first + run.count; ++i) {
                    const TerrainVertex& v = mesh.vertices[mesh.indices[i]];
                    uint32_t col = uint32_t(std::lround((v.position.x + mesh.origin.x) / 10)),
                             row = uint32_t(std::lround(-(v.position.y + mesh.origin.y) / 10));
                    ASSERT_EQ(v.position.z, BumpyHeight(col, row) * 1.5f) << col << ", " << row;
                    const Vec3 p = v.position + mesh.origin;
                    EXPECT_TRUE(p.x >= lo.x && p.x <= hi.x && p.y >= lo.y && p.y <= hi.y && p.z >= lo.z && p.z <= hi.z)
                        << "chunk " << chunk << " box misses " << col << ", " << row;
                    EXPECT_EQ(0, memcmp(&v.normal, &map.normals[3 * (row * map.columns + col)], sizeof(Vec3)))
                        << col << ", " << row;
                    // s counts from the tile's left edge less 2; t is the sub-row at the upper edge, less 2 below.
                    int sx = int(std::lround(v.s * n)) + 2, ty = int(std::lround(v.t * n));
                    EXPECT_TRUE(sx >= 0 && sx <= int(n) && (col - sx) % n == 0) << "s " << v.s << " at column " << col;
                    EXPECT_TRUE((int(row) - ty) % int(n) == 0 || (int(row) - ty) % int(n) == 2)
                        << "t " << v.t << " at row " << row;
                    if (i % 3 == 0) {  // a triangle's first corner is its cell's top-left
                        uint32_t tile = (row / n) * map.width + col / n;
                        EXPECT_EQ(run.entry, map.tileMap[tile]) << "tile " << tile;
                    }
                }
        }
        EXPECT_EQ(triangles, map.triangleCount);
    }
}
