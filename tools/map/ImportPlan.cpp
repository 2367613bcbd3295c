#include "tools/map/ImportPlan.h"

#include "game/GameFacts.h"
#include "tools/map/Resampler.h"
#include "world/MapFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The cell size is chosen near the default world's, which the camera, the
// wedge and the far plane suit, and at most this.
const int LARGEST_CHOSEN_CELL = 64;
const double GOOD_ENOUGH_RATIO = 0.005;

// A spacing the file gives, or 0.
double Known(double spacing) { return std::isfinite(spacing) && spacing > 0.0 ? spacing : 0.0; }

bool HasSpacing(const Heightmap& source) { return Known(source.spacingX) > 0.0 && Known(source.spacingY) > 0.0; }

// A picture's heights span its own lowest to highest value, not black to
// white, when asked or when they are elevations without a scale.
bool StretchesPicture(const Heightmap& source, const WorldOptions& options) { return options.stretch || source.elevation; }

bool Fits(uint64_t columns, uint64_t rows)
{
    return columns <= MAP_MAX_VERTICES && rows <= MAP_MAX_VERTICES && columns * rows <= MAP_MAX_VERTICES;
}

// Tiles of n cells covering `cells`: at least one.
uint64_t TilesFor(double cells, uint32_t n) { return std::max<uint64_t>(1, uint64_t(std::llround(cells / n))); }

// The tile side, 6 to 12 cells, that best balances the cells left to pad
// or crop against the texture's size on the ground, which is the
// default world's at 8.
uint32_t BestSubdivisions(double cellsX, double cellsY)
{
    uint32_t best = DEFAULT_MAP_SUBDIVISIONS;
    double bestCost = 1e300;
    for (uint32_t n = 6; n <= 12; ++n) {
        double cost = std::fabs(double(TilesFor(cellsX, n) * n) - cellsX) +
                      std::fabs(double(TilesFor(cellsY, n) * n) - cellsY) +
                      std::abs(int(n) - int(DEFAULT_MAP_SUBDIVISIONS));
        if (cost < bestCost - 1e-9) {
            best = n;
            bestCost = cost;
        }
    }
    return best;
}

const char* Ordinal(uint32_t n)
{
    static char text[24];
    const char* suffix = (n % 100 >= 11 && n % 100 <= 13) ? "th" : n % 10 == 1 ? "st" : n % 10 == 2 ? "nd" : n % 10 == 3 ? "rd" : "th";
    snprintf(text, sizeof text, "%u%s", n, suffix);
    return text;
}

std::string Padding(int64_t pad, const char* one, const char* many)
{
    if (pad == 0)
        return "";
    uint64_t count = uint64_t(std::llabs(pad));
    return "; the last " + std::to_string(count) + " " + (count == 1 ? one : many) +
           (pad > 0 ? " padded with the edge" : " cropped");
}

} // namespace

bool PlanGrid(const Heightmap& source, const WorldOptions& options, ImportPlan& plan, std::string& error)
{
    plan = ImportPlan();
    const TerrainParams& p = options.params;
    const bool spaced = HasSpacing(source);
    const double sx = spaced ? source.spacingX : 1.0, sy = spaced ? source.spacingY : 1.0;
    if (std::max(sx, sy) > 64.0 * std::min(sx, sy)) {
        char text[160];
        snprintf(text, sizeof text, "samples %.6g m apart across and %.6g m down are too unevenly spaced to draw", sx, sy);
        error = text;
        return true;
    }
    const double sourceCellsX = std::max(0, source.width - 1), sourceCellsY = std::max(0, source.height - 1);
    if (options.tilesGiven) {
        // Stretched over the grid asked for, corner samples on corner vertices.
        plan.tilesAcross = p.tilesAcross;
        plan.tilesDown = p.tilesDown;
        plan.subdivisions = p.subdivisions;
        plan.stepX = sourceCellsX / (plan.Columns() - 1);
        plan.stepY = sourceCellsY / (plan.Rows() - 1);
        if (spaced)
            plan.cellMetres = 0.5 * (plan.stepX * sx + plan.stepY * sy);
        return false;
    }
    const double finest = std::min(sx, sy);
    const double cellsX1 = sourceCellsX * sx / finest, cellsY1 = sourceCellsY * sy / finest;
    // Start near the factor the cap needs, then find the first that fits.
    uint32_t factor = uint32_t(std::max(1.0, std::floor(std::sqrt((cellsX1 + 1) * (cellsY1 + 1) / MAP_MAX_VERTICES))));
    for (;; ++factor) {
        const double cellsX = cellsX1 / factor, cellsY = cellsY1 / factor;
        const uint32_t n = options.subdivisionsGiven ? p.subdivisions : BestSubdivisions(cellsX, cellsY);
        const uint64_t across = TilesFor(cellsX, n), down = TilesFor(cellsY, n);
        if (!Fits(uint64_t(n) + 1, uint64_t(n) + 1)) {
            error = "one tile of " + std::to_string(n) + " x " + std::to_string(n) + " cells is more than the game reads";
            return true;
        }
        if (!Fits(across * n + 1, down * n + 1))
            continue;
        plan.tilesAcross = uint32_t(across);
        plan.tilesDown = uint32_t(down);
        plan.subdivisions = uint16_t(n);
        plan.factor = factor;
        plan.stepX = finest * factor / sx;
        plan.stepY = finest * factor / sy;
        plan.padColumns = int64_t(across * n) - std::llround(cellsX);
        plan.padRows = int64_t(down * n) - std::llround(cellsY);
        if (spaced)
            plan.cellMetres = finest * factor;
        return false;
    }
}

void ChooseScale(double ratio, const WorldOptions& options, ImportPlan& plan)
{
    const TerrainParams& p = options.params;
    auto scaleFor = [ratio](double cellSize) { return std::clamp(std::round(100.0 * ratio * cellSize), 1.0, 65535.0); };
    auto miss = [ratio](double cellSize, double heightScale) { return heightScale / (100.0 * cellSize) / ratio - 1.0; };
    double cellSize = p.cellSize, heightScale = p.heightScale;
    if (options.cellSizeGiven && !options.heightScaleGiven) {
        heightScale = scaleFor(cellSize);
    } else if (!options.cellSizeGiven && options.heightScaleGiven) {
        cellSize = std::clamp(std::round(heightScale / (100.0 * ratio)), 1.0, 65535.0);
    } else if (!options.cellSizeGiven) {
        // The cell size nearest the default whose ratio is good enough,
        // else the closest; never so large that the far plane shows only
        // a few cells.
        double best = 1e300;
        for (int d = 0; d <= LARGEST_CHOSEN_CELL && best > GOOD_ENOUGH_RATIO; ++d) {
            for (int c : {DEFAULT_MAP_CELL_SIZE - d, DEFAULT_MAP_CELL_SIZE + d}) {
                double error = c >= 1 && c <= LARGEST_CHOSEN_CELL ? std::fabs(miss(c, scaleFor(c))) : 1e300;
                if (error < best - 1e-12 && (error <= GOOD_ENOUGH_RATIO || best > GOOD_ENOUGH_RATIO)) {
                    best = error;
                    cellSize = c;
                }
            }
        }
        heightScale = scaleFor(cellSize);
    }
    plan.cellSize = uint16_t(cellSize);
    plan.heightScale = uint16_t(heightScale);
    plan.ratioError = miss(cellSize, heightScale);
}

std::vector<uint8_t> PlanHeights(const Heightmap& source, const WorldOptions& options, ImportPlan& plan)
{
    const TerrainParams& p = options.params;
    std::vector<float> values = ResampleSteps(source, plan.Columns(), plan.Rows(), plan.stepX, plan.stepY);
    plan.trueScale = source.elevation && plan.cellMetres > 0.0;
    if (!plan.trueScale) {
        // A picture: as wide as the default world unless told otherwise.
        const double defaultWidth = double(DEFAULT_MAP_TILES_ACROSS) * DEFAULT_MAP_SUBDIVISIONS * DEFAULT_MAP_CELL_SIZE;
        const double cells = std::max(plan.Columns(), plan.Rows()) - 1.0;
        plan.cellSize = options.cellSizeGiven ? p.cellSize : uint16_t(std::clamp(std::round(defaultWidth / std::max(1.0, cells)), 1.0, 65535.0));
        plan.heightScale = p.heightScale;
        return QuantiseHeights(values, StretchesPicture(source, options));
    }
    auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    const double low = *lo, span = double(*hi) - low;
    plan.lowMetres = source.metresLow + low * source.maxValue * source.metresPerValue;
    plan.reliefMetres = span * source.maxValue * source.metresPerValue;
    plan.stepMetres = plan.reliefMetres / HEIGHT_STEPS;
    std::vector<uint8_t> heights(values.size(), 0);
    if (span > 0.0)
        for (size_t i = 0; i < values.size(); ++i)
            heights[i] = uint8_t(std::lround((values[i] - low) / span * HEIGHT_STEPS));
    if (plan.stepMetres > 0.0) {
        ChooseScale(plan.stepMetres * options.exaggeration / plan.cellMetres, options, plan);
    } else {
        plan.cellSize = p.cellSize;  // flat: any scale draws it the same
        plan.heightScale = p.heightScale;
    }
    return heights;
}

std::string DescribePlan(const Heightmap& source, const WorldOptions& options, const ImportPlan& plan)
{
    char line[512];
    std::string text;
    if (HasSpacing(source)) {
        snprintf(line, sizeof line, "spacing: %.2f m across, %.2f m down (%s)\n", source.spacingX, source.spacingY,
                 source.spacingSource.c_str());
        text += line;
    }
    snprintf(line, sizeof line, "grid: %u x %u vertices in %u x %u tiles of %u x %u cells", plan.Columns(), plan.Rows(),
             plan.tilesAcross, plan.tilesDown, unsigned(plan.subdivisions), unsigned(plan.subdivisions));
    text += line;
    if (options.tilesGiven)
        text += ", the source stretched over them";
    else if (plan.factor > 1)
        text += std::string(", every ") + Ordinal(plan.factor) + " sample: the game reads at most " +
                std::to_string(MAP_MAX_VERTICES) + " vertices";
    else if (plan.stepX == 1.0 && plan.stepY == 1.0)
        text += ", one per source sample";
    else
        text += ", resampled to square cells";
    text += Padding(plan.padColumns, "column", "columns") + Padding(plan.padRows, "row", "rows") + "\n";

    if (!plan.trueScale) {
        snprintf(line, sizeof line, "heights: %s; cell size %u, height scale %u\n",
                 StretchesPicture(source, options) ? "lowest 0, highest 255" : "black 0, white 255",
                 unsigned(plan.cellSize), unsigned(plan.heightScale));
        text += line;
        if (!HasSpacing(source))
            text += "scale: the file gives no pixel size; --pixel-size METRES draws it at true scale\n";
        return text;
    }
    snprintf(line, sizeof line, "heights: %.1f .. %.1f m, a relief of %.1f m over %d steps of %.3f m, exaggeration %g\n",
             plan.lowMetres, plan.lowMetres + plan.reliefMetres, plan.reliefMetres, HEIGHT_STEPS, plan.stepMetres,
             options.exaggeration);
    text += line;
    if (plan.stepMetres <= 0.0) {
        snprintf(line, sizeof line, "scale: 1 world unit = %.4g m; cell size %u; the land is flat\n",
                 plan.MetresPerUnit(), unsigned(plan.cellSize));
        return text + line;
    }
    snprintf(line, sizeof line,
             "scale: 1 world unit = %.4g m; cell size %u, height scale %u; ratio error %+.2f%%\n",
             plan.MetresPerUnit(), unsigned(plan.cellSize), unsigned(plan.heightScale), plan.ratioError * 100.0);
    text += line;
    return text;
}
