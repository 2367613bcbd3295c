#include "world/Map.h"

#include "gfx/Texture.h"
#include "world/MapFile.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL/SDL.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

// Corners of a cell's fan in drawing order, as (column, row) steps from its
// first vertex: top-left, bottom-left, bottom-right, top-right on screen.
constexpr int FAN_CORNERS[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};

// Records one tile's fans; each normal goes before its corner's texture
// coordinate and position, the first one before glBegin.
void RecordFans(const std::vector<TerrainFanVertex>& fans)
{
    for (size_t f = 0; f + 4 <= fans.size(); f += 4) {
        glNormal3f(fans[f].normal.x, fans[f].normal.y, fans[f].normal.z);
        glBegin(GL_TRIANGLE_FAN);
        for (size_t c = 0; c < 4; ++c) {
            const TerrainFanVertex& v = fans[f + c];
            glTexCoord2f(v.s, v.t);
            glVertex3f(v.position.x, v.position.y, v.position.z);
            if (c < 3) {
                const Vec3& next = fans[f + c + 1].normal;
                glNormal3f(next.x, next.y, next.z);
            }
        }
        glEnd();
    }
}

// Records the same fans as the two triangles OpenGL splits each into, in
// one batch: far fewer primitives for the renderer to set up.
void RecordTriangles(const std::vector<TerrainFanVertex>& fans)
{
    static const size_t FAN_TRIANGLES[6] = {0, 1, 2, 0, 2, 3};
    glBegin(GL_TRIANGLES);
    for (size_t f = 0; f + 4 <= fans.size(); f += 4) {
        for (size_t corner : FAN_TRIANGLES) {
            const TerrainFanVertex& v = fans[f + corner];
            glNormal3f(v.normal.x, v.normal.y, v.normal.z);
            glTexCoord2f(v.s, v.t);
            glVertex3f(v.position.x, v.position.y, v.position.z);
        }
    }
    glEnd();
}

} // namespace

CMap::CMap() { player.map = this; }

bool CMap::Load(const char* path)
{
    MapFileData file;
    std::string fault;
    if (ReadMapFile(path, file, fault)) {
        SDL_SetError("%s", fault.c_str());
        fprintf(stderr, "Unable to load %s: %s\n", path, SDL_GetError());
        return true;
    }
    LoadGrid(file);
    SetupLight();
    if (LoadTextures(file.textureNumbers))
        return true;
    CompileTerrain();
    return false;
}

void CMap::LoadGrid(const MapFileData& file)
{
    const MapHeader& h = file.header;
    width = h.width;
    height = h.height;
    extraWord = h.extraWord;
    subdivisions = h.subdivisions;
    textureCount = h.textureCount;
    columns = width * subdivisions + 1;
    rows = height * subdivisions + 1;
    triangleCount = height * width * subdivisions * subdivisions * 2;
    vertexCount = rows * columns;
    lightDir = LightDirFromWord(h.lightWord);
    cellSize = float(h.cellSize);
    heightScale = float(h.heightScale) * 0.01f;
    tileMap = file.tileMap;
    textures.assign(textureCount, 0);
    vertices.resize(size_t(vertexCount) * 3);
    normals.assign(size_t(vertexCount) * 3, 0.0f);
    for (uint32_t i = 0; i < vertexCount; ++i) {
        vertices[3 * size_t(i)] = float(i % columns) * cellSize;
        vertices[3 * size_t(i) + 1] = float(i / columns) * cellSize;
        vertices[3 * size_t(i) + 2] = float(file.heights[i]);
    }
    ComputeNormals();
}

bool CMap::LoadTextures(const std::vector<uint32_t>& textureNumbers)
{
    glGenTextures(textureCount, textures.data());
    for (uint32_t i = 0; i < textureCount; ++i) {
        std::string path = MapTexturePath(textureNumbers[i]);
        // No parameters: the mesh's texture coordinates rely on the
        // initial GL_REPEAT wrapping.
        if (LoadTexture(path.c_str(), TextureStyle::Mipmapped, textures[i]))
            return true;
    }
    return false;
}

bool CMap::Contains(float x, float y) const
{
    if (vertices.empty())
        return false;
    // In double: the far edge is exact for every grid size.
    return x >= 0.0f && double(x) <= double(columns - 1) * cellSize && y >= 0.0f &&
           double(y) <= double(rows - 1) * cellSize;
}

float CMap::GetHeight(float x, float y) const
{
    if (!Contains(x, y))
        return 0.0f;
    uint64_t step = uint64_t(cellSize);
    uint64_t col = std::min<uint64_t>(uint64_t(x) / step, columns - 1);
    uint64_t row = std::min<uint64_t>(uint64_t(y) / step, rows - 1);
    // On a far edge the next column or row has weight 0; it is not read
    // beyond the grid.
    uint64_t nextCol = std::min<uint64_t>(col + 1, columns - 1);
    uint64_t nextRow = std::min<uint64_t>(row + 1, rows - 1);
    auto z = [this](uint64_t c, uint64_t r) { return vertices[3 * (r * columns + c) + 2]; };
    float z00 = z(col, row), z10 = z(nextCol, row), z01 = z(col, nextRow), z11 = z(nextCol, nextRow);

    float inv = 1.0f / cellSize;
    float fx = std::fmod(x, cellSize) * inv;
    float fy = std::fmod(y, cellSize) * inv;
    float h = ((1 - fx) * z00 + fx * z10) * (1 - fy) + ((1 - fx) * z01 + fx * z11) * fy;
    return h * heightScale;
}

bool CMap::CellNormal(int32_t a, Vec3& acc) const
{
    if (a < 0 || columns < 2 || rows < 2)
        return false;
    uint32_t col = uint32_t(a) % columns;
    uint32_t row = uint32_t(a) / columns;
    if (col > columns - 2 || row > rows - 2)
        return false;
    auto corner = [this](size_t i) { return Vec3(vertices[3 * i], vertices[3 * i + 1], vertices[3 * i + 2]); };
    size_t i = size_t(a);
    Vec3 p0 = corner(i), p1 = corner(i + 1), p2 = corner(i + columns), p3 = corner(i + columns + 1);
    Vec3 d1 = p3 - p0;  // first corner to the opposite one
    Vec3 d2 = p1 - p2;  // next row's corner to the next column's
    Vec3 n = Cross(d2, d1);
    Normalize(n);
    acc += n;
    return true;
}

bool CMap::VertexNormal(int32_t v)
{
    if (v < 0 || uint32_t(v) >= vertexCount)
        return false;
    int64_t c = columns;
    const int64_t cells[4] = {v - c - 1, v - c, v - 1, v};
    Vec3 acc;
    int m = 0;
    for (int64_t cell : cells)
        if (cell >= 0 && CellNormal(int32_t(cell), acc))
            ++m;
    if (m > 0) {
        acc = acc * (1.0f / float(m));
        Normalize(acc);
    }
    float* out = &normals[3 * size_t(v)];
    out[0] = acc.x;
    out[1] = acc.y;
    out[2] = acc.z;
    glNormal3f(acc.x, acc.y, acc.z);
    return false;
}

void CMap::ComputeNormals()
{
    if (columns < 2 || rows < 2)
        return;
    // Each cell's unit normal once, where vertex by vertex every cell would
    // be worked out again for each of its four corners.
    const uint32_t cellColumns = columns - 1, cellRows = rows - 1;
    std::vector<Vec3> cellNormals(size_t(cellColumns) * cellRows);
    for (uint32_t row = 0; row < cellRows; ++row)
        for (uint32_t col = 0; col < cellColumns; ++col)
            CellNormal(int32_t(row * columns + col), cellNormals[size_t(row) * cellColumns + col]);

    // Then the same sums, in the same order, as VertexNormal makes: the
    // cells up-left, up, left and at the vertex, those that exist.
    for (uint32_t row = 0; row < rows; ++row) {
        for (uint32_t col = 0; col < columns; ++col) {
            Vec3 acc;
            int m = 0;
            auto add = [&](uint32_t c, uint32_t r) {
                acc += cellNormals[size_t(r) * cellColumns + c];
                ++m;
            };
            if (col > 0 && row > 0)
                add(col - 1, row - 1);
            if (row > 0 && col < cellColumns)
                add(col, row - 1);
            if (col > 0 && row < cellRows)
                add(col - 1, row);
            if (col < cellColumns && row < cellRows)
                add(col, row);
            acc = acc * (1.0f / float(m));
            Normalize(acc);
            float* out = &normals[3 * (size_t(row) * columns + col)];
            out[0] = acc.x;
            out[1] = acc.y;
            out[2] = acc.z;
        }
    }
}

void CMap::TileFans(uint32_t tx, uint32_t ty, std::vector<TerrainFanVertex>& fans) const
{
    fans.clear();
    const uint32_t n = subdivisions;
    const float d = cellSize;
    const float nf = float(n);
    fans.reserve(size_t(n) * n * 4);
    for (uint32_t sy = 0; sy < n; ++sy) {
        for (uint32_t sx = 0; sx < n; ++sx) {
            // Vertex (tx * n + sx, ty * n + sy).
            uint32_t p = n * (ty * columns + tx) + sy * columns + sx;
            for (const auto& corner : FAN_CORNERS) {
                uint32_t cx = uint32_t(corner[0]), cy = uint32_t(corner[1]);
                uint32_t index = p + cy * columns + cx;
                TerrainFanVertex v;
                v.normal = Vec3(normals[3 * size_t(index)], normals[3 * size_t(index) + 1],
                                normals[3 * size_t(index) + 2]);
                // s runs on across cells and tiles (shifted by 2/n); t
                // restarts at sy/n in every sub-row.
                v.s = (float(sx + cx) - 2.0f) / nf;
                v.t = (float(sy) - float(cy)) / nf;
                float x = float(sx + cx) * d;
                float y = cy ? -float(sy) * d : d - float(sy) * d;
                v.position = Vec3(x, y, vertices[3 * size_t(index) + 2] * heightScale);
                fans.push_back(v);
            }
        }
    }
}

void CMap::CompileTerrain()
{
    glLoadIdentity();
    terrainList = CompileTerrainList(TerrainBatch::Triangles);
}

uint32_t CMap::CompileTerrainList(TerrainBatch batch) const
{
    uint32_t list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    const float d = cellSize;
    const float n = float(subdivisions);
    glTranslatef(0, -d, 0);
    std::vector<TerrainFanVertex> fans;
    for (uint32_t ty = 0; ty < height; ++ty) {
        for (uint32_t tx = 0; tx < width; ++tx) {
            glBindTexture(GL_TEXTURE_2D, textures[tileMap[size_t(ty) * width + tx]]);
            TileFans(tx, ty, fans);
            if (batch == TerrainBatch::Fans)
                RecordFans(fans);
            else
                RecordTriangles(fans);
            glTranslatef(n * d, 0, 0);
        }
        glTranslatef(-float(width) * n * d, 0, 0);
        glTranslatef(0, -n * d, 0);
    }
    glEndList();
    return list;
}

bool CMap::SetupLight()
{
    const GLfloat ambient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    const GLfloat diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat position[4] = {lightDir.x, lightDir.y, lightDir.z, 0.0f};  // w 0: a direction
    glDisable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glEnable(GL_LIGHT0);
    return false;
}

bool CMap::Render()
{
    glPushMatrix();
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glCallList(terrainList);
    glDisable(GL_LIGHTING);
    glPopMatrix();
    return false;
}
