#include "world/Map.h"

#include "gfx/Texture.h"
#include "world/MapFile.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

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
    return LoadTextures(file.textureNumbers);
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
    normals.resize(size_t(vertexCount) * 3);
    float* out = vertices.data();
    for (uint32_t row = 0; row < rows; ++row)
        for (uint32_t col = 0; col < columns; ++col, out += 3) {
            out[0] = float(col) * cellSize;
            out[1] = float(row) * cellSize;
            out[2] = float(file.heights[size_t(row) * columns + col]);
        }
    ComputeNormals();
    chunks.Build(*this);
    lod.Build(*this, file.heights);
}

bool CMap::LoadTextures(const std::vector<uint32_t>& textureNumbers)
{
    const std::vector<int32_t> sources = TextureSources(tileMap, textureNumbers);
    overview.Plan(width, height, subdivisions);
    std::vector<std::vector<Vec3>> blocks(textureCount);
    for (uint32_t i = 0; i < textureCount; ++i) {
        if (sources[i] < 0)
            continue;
        if (sources[i] != int32_t(i)) {
            textures[i] = textures[size_t(sources[i])];
            blocks[i] = blocks[size_t(sources[i])];
            continue;
        }
        glGenTextures(1, &textures[i]);
        std::string path = MapTexturePath(textureNumbers[i]);
        // No parameters: the mesh's texture coordinates rely on the
        // initial GL_REPEAT wrapping.
        auto shrink = [&](const SDL_Surface& image) {
            blocks[i] = overview.Block(static_cast<const uint8_t*>(image.pixels), image.w, image.h, image.pitch);
        };
        if (LoadTexture(path.c_str(), TextureStyle::Mipmapped, textures[i], shrink))
            return true;
    }
    if (width > 0 && height > 0) {
        const std::vector<uint8_t> rgb = overview.Picture(tileMap, width, height, blocks);
        MakeTexture(rgb.data(), int(overview.width), int(overview.height), TextureStyle::Blocky, overviewTexture);
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
    acc += CellNormalAt(col, row);
    return true;
}

Vec3 CMap::CellNormalAt(uint32_t col, uint32_t row) const
{
    auto corner = [this](size_t i) { return Vec3(vertices[3 * i], vertices[3 * i + 1], vertices[3 * i + 2]); };
    size_t i = size_t(row) * columns + col;
    Vec3 p0 = corner(i), p1 = corner(i + 1), p2 = corner(i + columns), p3 = corner(i + columns + 1);
    Vec3 d1 = p3 - p0;  // first corner to the opposite one
    Vec3 d2 = p1 - p2;  // next row's corner to the next column's
    Vec3 n = Cross(d2, d1);
    Normalize(n);
    return n;
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
    if (columns < 2 || rows < 2) {
        std::fill(normals.begin(), normals.end(), 0.0f);  // no cell: no normal
        return;
    }
    // Each cell's unit normal once, where vertex by vertex every cell would
    // be worked out again for each of its four corners; two rows of them
    // at a time, the row above the vertex and the row below.
    const uint32_t cellColumns = columns - 1, cellRows = rows - 1;
    std::vector<Vec3> above(cellColumns), below(cellColumns);
    for (uint32_t row = 0; row < rows; ++row) {
        if (row < cellRows)
            for (uint32_t col = 0; col < cellColumns; ++col)
                below[col] = CellNormalAt(col, row);
        // The same sums, in the same order, as VertexNormal makes: the
        // cells up-left, up, left and at the vertex, those that exist.
        for (uint32_t col = 0; col < columns; ++col) {
            Vec3 acc;
            int m = 0;
            auto add = [&](const Vec3& n) {
                acc += n;
                ++m;
            };
            if (col > 0 && row > 0)
                add(above[col - 1]);
            if (row > 0 && col < cellColumns)
                add(above[col]);
            if (col > 0 && row < cellRows)
                add(below[col - 1]);
            if (col < cellColumns && row < cellRows)
                add(below[col]);
            acc = acc * (1.0f / float(m));
            Normalize(acc);
            float* out = &normals[3 * (size_t(row) * columns + col)];
            out[0] = acc.x;
            out[1] = acc.y;
            out[2] = acc.z;
        }
        above.swap(below);
    }
}

void CMap::ChunkMesh(uint32_t chunk, TerrainMesh& mesh) const
{
    mesh.vertices.clear();
    mesh.indices.clear();
    mesh.runs.clear();
    uint32_t col0, col1, row0, row1;
    chunks.across.Cells(chunk % chunks.across.count, col0, col1);
    chunks.down.Cells(chunk / chunks.across.count, row0, row1);
    const uint32_t n = subdivisions;
    const float d = cellSize, nf = float(n);
    mesh.origin = Vec3(float(col0) * d, -float(row0) * d, 0.0f);

    // The chunk's tiles in map order, then stably by texture: one draw per
    // texture, and the order kept where it may matter.
    std::vector<uint32_t>& tiles = mesh.tiles;
    tiles.clear();
    for (uint32_t ty = row0 / n; ty * n < row1; ++ty)
        for (uint32_t tx = col0 / n; tx * n < col1; ++tx)
            tiles.push_back(ty * width + tx);
    std::stable_sort(tiles.begin(), tiles.end(), [this](uint32_t a, uint32_t b) { return tileMap[a] < tileMap[b]; });

    for (uint32_t tile : tiles) {
        const uint32_t tx = tile % width, ty = tile / width;
        // This tile's cells inside the chunk, counted from the tile's corner.
        const uint32_t sx0 = std::max(col0, tx * n) - tx * n, sx1 = std::min(col1, (tx + 1) * n) - tx * n;
        const uint32_t sy0 = std::max(row0, ty * n) - ty * n, sy1 = std::min(row1, (ty + 1) * n) - ty * n;
        const uint32_t first = uint32_t(mesh.indices.size());
        for (uint32_t sy = sy0; sy < sy1; ++sy) {
            // A sub-row's upper and lower vertex rows: s runs on across the
            // tile (shifted by 2/n), t restarts at sy/n in every sub-row.
            const uint32_t base = uint32_t(mesh.vertices.size()), across = sx1 - sx0 + 1;
            for (uint32_t cy = 0; cy < 2; ++cy)
                for (uint32_t sx = sx0; sx <= sx1; ++sx) {
                    const uint32_t col = tx * n + sx, row = ty * n + sy + cy;
                    const size_t index = size_t(row) * columns + col;
                    TerrainVertex v;
                    v.s = (float(sx) - 2.0f) / nf;
                    v.t = (float(sy) - float(cy)) / nf;
                    v.normal = Normal(index);
                    v.position =
                        Vec3(float(col - col0) * d, -float(row - row0) * d, vertices[3 * index + 2] * heightScale);
                    mesh.vertices.push_back(v);
                }
            for (uint32_t k = 0; k + 1 < across; ++k) {
                const uint32_t topLeft = base + k, bottomLeft = base + across + k;
                for (uint32_t corner : {topLeft, bottomLeft, bottomLeft + 1, topLeft, bottomLeft + 1, topLeft + 1})
                    mesh.indices.push_back(corner);
            }
        }
        const uint32_t count = uint32_t(mesh.indices.size()) - first;
        if (!mesh.runs.empty() && mesh.runs.back().entry == tileMap[tile])
            mesh.runs.back().count += count;
        else
            mesh.runs.push_back({tileMap[tile], first, count});
    }
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
    if (detailPixels <= 0.0f) {
        VisibleChunks(visibleChunks);
        DrawChunks(visibleChunks);
    } else {
        DrawLodMesh(LodMeshForView());
    }
    CFrustum frustum;
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    skyBox.groundRows = ViewFrustum(frustum) ? 0 : GroundRows(frustum, EyeOfModelview(modelview));
    return false;
}

int CMap::GroundRows(const CFrustum& frustum, const Vec3& eye) const
{
    if (lod.depths.empty())
        return 0;
    // An eye over the map, above the ground drawn under it: that ground
    // lies within the error allowed there of the highest corner of the
    // cell under the eye.
    const float w = float(columns - 1) * cellSize, h = float(rows - 1) * cellSize;
    if (!(eye.x > 0.0f && eye.x < w && -eye.y > 0.0f && -eye.y < h))
        return 0;
    const uint32_t col = std::min(uint32_t(eye.x / cellSize), columns - 2);
    const uint32_t row = std::min(uint32_t(-eye.y / cellSize), rows - 2);
    float ground = 0.0f;
    for (uint32_t corner = 0; corner < 4; ++corner)
        ground = std::max(ground, vertices[3 * ((row + corner / 2) * size_t(columns) + col + corner % 2) + 2]);
    ground *= heightScale;
    constexpr float LEAST_CLEAR = 16.0f;  // the haze's largest growth of the allowance
    if (!(eye.z > ground + heightScale + LEAST_CLEAR * detailPixels * (eye.z - ground) / CTerrainLod::FOCAL_PIXELS))
        return 0;
    // A ray from such an eye that reaches the lowest ground inside the map
    // before the far plane meets the terrain on its way (its drawn surface
    // has no holes and nothing lower). The ray through a window point runs
    // from that point's place on the near rectangle to its place on the
    // far one; a row is the terrain's when the rays through both its ends
    // are, and so all between them.
    const float lowest = lod.depths.back().zLow[0];
    const Vec3* c = frustum.corners;  // near then far: bottom-left, bottom-right, top-left, top-right
    auto reaches = [&](float u, float v) {
        const Vec3 nearPoint = (c[0] * (1 - u) + c[1] * u) * (1 - v) + (c[2] * (1 - u) + c[3] * u) * v;
        const Vec3 farPoint = (c[4] * (1 - u) + c[5] * u) * (1 - v) + (c[6] * (1 - u) + c[7] * u) * v;
        if (!(nearPoint.z > lowest && farPoint.z < lowest))
            return false;
        const Vec3 hit = nearPoint + (farPoint - nearPoint) * ((lowest - nearPoint.z) / (farPoint.z - nearPoint.z));
        return hit.x > cellSize && hit.x < w - cellSize && -hit.y > cellSize && -hit.y < h - cellSize;
    };
    int covered = 0;
    while (covered < WINDOW_HEIGHT) {
        const float v = (float(covered) + 0.5f) / float(WINDOW_HEIGHT);
        if (!reaches(0.0f, v) || !reaches(1.0f, v))
            break;
        ++covered;
    }
    return covered;
}

const CLodMesh& CMap::LodMeshForView()
{
    CFrustum frustum;
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    const Vec3 eye = EyeOfModelview(modelview);
    lodMesh.Clear(Vec3(std::floor(eye.x), std::floor(eye.y), 0.0f));
    if (ViewFrustum(frustum))
        return lodMesh;
    // A tile may look as its overview texels do once they are no bigger than
    // a pixel, or, at a coarser detail, a few.
    const float texelsPerTile = float(overview.texelsPerTile) / float(overview.tilesPerTexel);
    CTerrainLod::Budget budget{detailPixels, texelsPerTile * std::max(1.0f, detailPixels / 2.0f)};
    if (haze)
        budget.hazeStart = HAZE_START, budget.hazeEnd = hazeEnd;
    lod.Select(frustum, eye, budget, ++lodFrame, lodNodes, lodCover);
    for (const LodNode& node : lodNodes)
        lodMesh.AddNode(*this, node, lodCover, lodFrame);
    return lodMesh;
}

void CMap::DrawLodMesh(const CLodMesh& mesh)
{
    BeginTerrain();
    glTranslatef(mesh.origin.x, mesh.origin.y, mesh.origin.z);
    glInterleavedArrays(GL_T2F_N3F_V3F, 0, mesh.vertices.data());
    for (uint32_t entry = 0; entry <= CLodMesh::OVERVIEW; ++entry) {
        const std::vector<uint32_t>& list = mesh.indices[entry];
        if (list.empty())
            continue;
        glBindTexture(GL_TEXTURE_2D, entry == CLodMesh::OVERVIEW ? overviewTexture : textures[entry]);
        glDrawElements(GL_TRIANGLES, GLsizei(list.size()), GL_UNSIGNED_INT, list.data());
    }
    EndTerrain();
}

ViewDepth CMap::DepthRange(const Vec3& eye) const
{
    if (viewDistance <= HAZE_START || lod.depths.empty())
        return {NEAR_PLANE, double(viewDistance), false};
    // Far enough for the map's farthest corner.
    const CTerrainLod::Depth& root = lod.depths.back();
    const float w = float(columns - 1) * cellSize, h = float(rows - 1) * cellSize;
    float farthest = 0.0f;
    for (int corner = 0; corner < 8; ++corner) {
        const Vec3 p((corner & 1) ? w : 0.0f, (corner & 2) ? -h : 0.0f, (corner & 4) ? root.zHigh[0] : root.zLow[0]);
        farthest = std::max(farthest, Length(p - eye));
    }
    const float farPlane = std::clamp(farthest, HAZE_START, viewDistance);
    // Nothing drawn is nearer than the ground or the wedge; half that
    // distance keeps the near plane clear of them in every corner of the
    // view (59 degrees off its axis), and a distant near plane keeps the
    // depth buffer fine enough for far ridges.
    constexpr float LOOK_FOR_GROUND = 400.0f, WEDGE_RADIUS = 5.2f;
    const Vec3 wedge(player.position.x, -player.position.y, player.position.z + 5.0f);
    const float nearest = std::min(lod.NearestGround(*this, eye, LOOK_FOR_GROUND), Length(wedge - eye) - WEDGE_RADIUS);
    const float nearPlane = std::clamp(0.5f * nearest, float(NEAR_PLANE), farPlane / 16.0f);
    return {double(nearPlane), double(farPlane), farPlane > HAZE_START};
}

void CMap::VisibleChunks(std::vector<uint32_t>& out) const
{
    CFrustum frustum;
    out.clear();
    if (!ViewFrustum(frustum))
        chunks.Visible(frustum, out);
}

bool CMap::ViewFrustum(CFrustum& frustum) const
{
    float projection[16], modelview[16], clip[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    MultiplyMatrices(projection, modelview, clip);
    return frustum.FromClipMatrix(clip);
}

void CMap::BeginTerrain() const
{
    glPushMatrix();
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    if (haze)
        glEnable(GL_FOG);
}

void CMap::EndTerrain() const
{
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisable(GL_FOG);
    glDisable(GL_LIGHTING);
    glPopMatrix();
}

void CMap::DrawChunks(const std::vector<uint32_t>& list)
{
    BeginTerrain();
    // Each chunk's mesh is made anew from the grid every frame: as fast to
    // draw here as a display list kept per chunk, and nothing to build
    // ahead, cache or evict, whatever the size of the map.
    for (uint32_t chunk : list) {
        ChunkMesh(chunk, chunkMesh);
        glPushMatrix();
        glTranslatef(chunkMesh.origin.x, chunkMesh.origin.y, chunkMesh.origin.z);
        glInterleavedArrays(GL_T2F_N3F_V3F, 0, chunkMesh.vertices.data());
        for (const TerrainMesh::Run& run : chunkMesh.runs) {
            glBindTexture(GL_TEXTURE_2D, textures[run.entry]);
            glDrawElements(GL_TRIANGLES, GLsizei(run.count), GL_UNSIGNED_INT, chunkMesh.indices.data() + run.first);
        }
        glPopMatrix();
    }
    EndTerrain();
}
