#pragma once

#include "tools/map/HeightmapReader.h"
#include "tools/map/WorldOptions.h"

#include <cstdint>
#include <string>
#include <vector>

// How a heightmap becomes a map: the grid that covers it and the scale it is
// drawn at. Worked out without touching the samples, so the report can be
// checked by hand.
struct ImportPlan {
    uint32_t tilesAcross = 1;
    uint32_t tilesDown = 1;
    uint16_t subdivisions = 1;
    uint32_t factor = 1;              // every factor-th sample, to stay within the game's vertex cap
    double stepX = 1.0;               // source samples per grid cell, across and down
    double stepY = 1.0;
    int64_t padColumns = 0;           // grid columns beyond the source's (>0) or short of it (<0)
    int64_t padRows = 0;
    bool trueScale = false;           // the land's real proportions are known and kept
    double cellMetres = 0.0;          // metres across one grid cell, when known
    double lowMetres = 0.0;           // the lowest vertex
    double reliefMetres = 0.0;        // lowest to highest vertex
    double stepMetres = 0.0;          // one height step: the relief over HEIGHT_STEPS
    uint16_t cellSize = 0;
    uint16_t heightScale = 0;
    double ratioError = 0.0;          // drawn steepness over the wanted one, less 1

    uint32_t Columns() const { return tilesAcross * subdivisions + 1; }
    uint32_t Rows() const { return tilesDown * subdivisions + 1; }
    // Whether the lowest ground is water: real land only at the sea's level.
    bool SeaAtLowest() const { return !trueScale || lowMetres <= 0.0; }
    // Metres per world unit, 0 when unknown.
    double MetresPerUnit() const { return cellMetres > 0.0 ? cellMetres / cellSize : 0.0; }
};

// Real elevations are spread over the heights 0 .. HEIGHT_STEPS.
constexpr int HEIGHT_STEPS = 254;

// The grid: the tiles, subdivisions and reduction factor. With no --tiles,
// one vertex per source sample at the finer of the two spacings, the tile
// side (4 to 16 cells, nearest 8 on a tie) the one that fits the source
// best; the last row and column are padded with the edge or cropped.
// Sources beyond the game's vertex cap take every factor-th sample.
// True when the source's spacing is unusable, with `error`.
bool PlanGrid(const Heightmap& source, const WorldOptions& options, ImportPlan& plan, std::string& error);

// The grid's heights, row 0 the source's top row, and the cell size and
// height scale: at true scale when the source's spacing and elevations are
// known (the relief over HEIGHT_STEPS steps, cellSize and heightScale
// chosen to keep the ratio of the two within the 16-bit fields, nearest the
// default cell size), otherwise as a picture (black 0 and white 255, or
// lowest and highest with --stretch, the world as wide as the default one).
std::vector<uint8_t> PlanHeights(const Heightmap& source, const WorldOptions& options, ImportPlan& plan);

// The cell size and height scale that draw one height step as `ratio`
// times a cell, asked-for values kept; the ratio error is set.
void ChooseScale(double ratio, const WorldOptions& options, ImportPlan& plan);

// The lines import prints about the grid and the scale.
std::string DescribePlan(const Heightmap& source, const WorldOptions& options, const ImportPlan& plan);
