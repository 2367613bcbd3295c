#pragma once

#include "tools/map/GridSampler.h"
#include "tools/map/Heightmap.h"
#include "tools/map/WorldOptions.h"

#include <cstdint>
#include <string>
#include <vector>

// How a heightmap becomes a map: the grid that covers it and the scale it is
// drawn at. The grid is worked out from the header alone, before a sample
// is decoded, so the report can be checked by hand.
struct ImportPlan {
    SourceWindow window;  // the part of the source imported
    uint32_t tilesAcross = 1;
    uint32_t tilesDown = 1;
    uint16_t subdivisions = 1;
    double reduction = 1.0;  // source samples (at the finer spacing) per cell, to fit the vertex cap
    double stepX = 1.0;      // window samples per grid cell, across and down
    double stepY = 1.0;
    int64_t padColumns = 0;  // grid columns beyond the window's (>0) or short of it (<0)
    int64_t padRows = 0;
    bool trueScale = false;     // the land's real proportions are known and kept
    double cellMetres = 0.0;    // metres across one grid cell, when known
    double stretch = 1.0;       // with --tiles: a cell's length across over its length down
    double lowMetres = 0.0;     // the lowest vertex
    double reliefMetres = 0.0;  // lowest to highest vertex
    double stepMetres = 0.0;    // one height step: the relief over HEIGHT_STEPS
    uint16_t cellSize = 0;
    uint16_t heightScale = 0;
    double ratioError = 0.0;  // drawn steepness over the wanted one, less 1
    long voidsFilled = 0;

    uint32_t Columns() const { return tilesAcross * subdivisions + 1; }
    uint32_t Rows() const { return tilesDown * subdivisions + 1; }
    // Metres per world unit, 0 when unknown.
    double MetresPerUnit() const { return cellMetres > 0.0 ? cellMetres / cellSize : 0.0; }
};

// Real elevations are spread over the heights 0 .. HEIGHT_STEPS.
constexpr int HEIGHT_STEPS = 254;
// The spacings and heights a map can be made of; others are refused.
constexpr double MIN_SPACING_METRES = 1e-3;
constexpr double MAX_SPACING_METRES = 1e6;
constexpr double MAX_HEIGHT_METRES = 1e5;
// The tile sides an import chooses from.
constexpr uint32_t MIN_CHOSEN_SUBDIVISIONS = 6;
constexpr uint32_t MAX_CHOSEN_SUBDIVISIONS = 12;
// How far the drawn steepness may stray from the true one.
constexpr double GOOD_ENOUGH_RATIO = 0.005;

// The window --region asks for, or the whole source. True when the region
// cannot be had from this source, with `error`.
bool ResolveRegion(const Heightmap& source, const WorldOptions& options, SourceWindow& window, std::string& error);

// The grid over the window. With no --tiles, one vertex per sample at the
// finer of the two spacings, the tile side (6 to 12 cells, nearest 8 on a
// tie) the one that fits the window best, the last row and column padded
// with the edge or cropped; a window beyond the game's vertex cap is
// resampled, by any ratio, to the largest grid that fits. True when the
// source's spacing is unusable, with `error`.
bool PlanGrid(const Heightmap& source, const SourceWindow& window, const WorldOptions& options, ImportPlan& plan,
              std::string& error);

// The grid's heights from its values (voids filled already), row 0 the
// source's top row, and the cell size and height scale: at true scale when
// the source's spacing and elevations are known (the relief over
// HEIGHT_STEPS steps, cellSize and heightScale chosen to keep the ratio of
// the two within half a percent, nearest the default cell size), otherwise
// as a picture (black 0 and white 255, or lowest and highest with
// --stretch, the world as wide as the default one). True when the heights
// or the scale cannot be drawn, with `error`.
bool PlanHeights(const Heightmap& source, const std::vector<float>& values, const WorldOptions& options,
                 ImportPlan& plan, std::vector<uint8_t>& heights, std::string& error);

// The cell size and height scale that draw one height step as `ratio`
// times a cell, asked-for values kept; with no cell size asked for, the one
// the true ratio (before `exaggeration`) takes, where the exaggerated ratio
// allows, so the ground plan stays. True when no pair of 16-bit fields
// draws it, with `error`.
bool ChooseScale(double ratio, double exaggeration, const WorldOptions& options, ImportPlan& plan, std::string& error);

// The lines import prints about the grid and the scale.
std::string DescribePlan(const Heightmap& source, const WorldOptions& options, const ImportPlan& plan);
