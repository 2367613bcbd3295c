#include "tools/map/ImportPlan.h"

#include "base/GameFacts.h"
#include "tools/map/Resampler.h"
#include "world/MapFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// A spacing the file gives, or 0.
double Known(double spacing) { return std::isfinite(spacing) && spacing > 0.0 ? spacing : 0.0; }

bool HasSpacing(const Heightmap& source) { return Known(source.spacingX) > 0.0 && Known(source.spacingY) > 0.0; }

// A picture's heights span its own lowest to highest value, not black to
// white, when asked or when they are elevations without a scale.
bool StretchesPicture(const Heightmap& source, const WorldOptions& options)
{
    return options.stretch || source.elevation;
}

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
    for (uint32_t n = MIN_CHOSEN_SUBDIVISIONS; n <= MAX_CHOSEN_SUBDIVISIONS; ++n) {
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

std::string Padding(int64_t pad, const char* one, const char* many)
{
    if (pad == 0)
        return "";
    uint64_t count = uint64_t(std::llabs(pad));
    return "; the last " + std::to_string(count) + " " + (count == 1 ? one : many) +
           (pad > 0 ? " padded with the edge" : " cropped");
}

// The model coordinates of a --region corner as a fractional sample.
void SampleOf(const SourceFrame& frame, double x, double y, double& col, double& row)
{
    const double det = frame.columnX * frame.rowY - frame.rowX * frame.columnY;
    const double dx = x - frame.originX, dy = y - frame.originY;
    col = (dx * frame.rowY - dy * frame.rowX) / det;
    row = (dy * frame.columnX - dx * frame.columnY) / det;
}

// The cell size nearest the default whose height scale draws `ratio` within
// half a percent; 0 when none does.
int NearestGoodCell(double ratio)
{
    for (int d = 0; d < 65535; ++d)
        for (int c : {DEFAULT_MAP_CELL_SIZE - d, DEFAULT_MAP_CELL_SIZE + d}) {
            const double scale = std::round(100.0 * ratio * c);
            if (c >= 1 && c <= 65535 && scale >= 1.0 && scale <= 65535.0 &&
                std::fabs(scale / (100.0 * c) / ratio - 1.0) <= GOOD_ENOUGH_RATIO)
                return c;
        }
    return 0;
}

}  // namespace

bool ResolveRegion(const Heightmap& source, const WorldOptions& options, SourceWindow& window, std::string& error)
{
    window = SourceWindow{0, 0, source.width, source.height};
    if (!options.regionGiven)
        return false;
    const double* r = options.region;
    double cols[4] = {r[0], r[2], r[0], r[2]}, rows[4] = {r[1], r[3], r[3], r[1]};
    const SourceFrame& frame = source.frame;
    if (options.regionUnit != RegionUnit::Samples) {
        const bool degrees = options.regionUnit == RegionUnit::Degrees;
        if (!frame.known || frame.geographic != degrees || !(frame.metresPerUnit > 0.0)) {
            error = std::string("the region is given in ") + (degrees ? "degrees" : "metres") + " but the file " +
                    (!frame.known ? "does not say where it lies"
                     : degrees    ? "is laid out in metres"
                                  : "is laid out in degrees") +
                    ": give it in samples";
            return true;
        }
        for (int i = 0; i < 4; ++i)  // a turned grid: the samples around all four corners
            SampleOf(frame, cols[i] / (degrees ? 1.0 : frame.metresPerUnit),
                     rows[i] / (degrees ? 1.0 : frame.metresPerUnit), cols[i], rows[i]);
    }
    const double left = std::floor(*std::min_element(cols, cols + 4) + 1e-6),
                 right = std::ceil(*std::max_element(cols, cols + 4) - 1e-6);
    const double top = std::floor(*std::min_element(rows, rows + 4) + 1e-6),
                 bottom = std::ceil(*std::max_element(rows, rows + 4) - 1e-6);
    const double x0 = std::max(0.0, left), x1 = std::min(double(source.width - 1), right);
    const double y0 = std::max(0.0, top), y1 = std::min(double(source.height - 1), bottom);
    if (!(x0 < x1 && y0 < y1)) {
        char text[200];
        snprintf(text, sizeof text,
                 "the region, samples %.0f .. %.0f across and %.0f .. %.0f down, lies outside the file's %d x %d", left,
                 right, top, bottom, source.width, source.height);
        error = text;
        return true;
    }
    window = SourceWindow{int(x0), int(y0), int(x1 - x0) + 1, int(y1 - y0) + 1};
    return false;
}

bool PlanGrid(const Heightmap& source, const SourceWindow& window, const WorldOptions& options, ImportPlan& plan,
              std::string& error)
{
    plan = ImportPlan();
    plan.window = window;
    const TerrainParams& p = options.params;
    const bool spaced = HasSpacing(source);
    const double sx = spaced ? source.spacingX : 1.0, sy = spaced ? source.spacingY : 1.0;
    char text[240];
    if (spaced && (std::min(sx, sy) < MIN_SPACING_METRES || std::max(sx, sy) > MAX_SPACING_METRES)) {
        snprintf(text, sizeof text, "samples %.6g m apart across and %.6g m down (%s) are outside %g to %g m", sx, sy,
                 source.spacingSource.c_str(), MIN_SPACING_METRES, MAX_SPACING_METRES);
        error = text;
        return true;
    }
    if (std::max(sx, sy) > 64.0 * std::min(sx, sy)) {
        snprintf(text, sizeof text, "samples %.6g m apart across and %.6g m down are too unevenly spaced to draw", sx,
                 sy);
        error = text;
        return true;
    }
    const double windowCellsX = window.width - 1.0, windowCellsY = window.height - 1.0;
    if (options.tilesGiven) {
        // Stretched over the grid asked for, corner samples on corner vertices.
        plan.tilesAcross = p.tilesAcross;
        plan.tilesDown = p.tilesDown;
        plan.subdivisions = p.subdivisions;
        plan.stepX = windowCellsX / (plan.Columns() - 1);
        plan.stepY = windowCellsY / (plan.Rows() - 1);
        if (plan.stepX > 0.0 && plan.stepY > 0.0)
            plan.stretch = plan.stepX * sx / (plan.stepY * sy);
        if (spaced)
            plan.cellMetres = 0.5 * (plan.stepX * sx + plan.stepY * sy);
        return false;
    }
    const double finest = std::min(sx, sy);
    const double cellsX1 = windowCellsX * sx / finest, cellsY1 = windowCellsY * sy / finest;
    // Start at the reduction the cap needs, then grow it until the tiles fit.
    double reduction = std::max(1.0, std::sqrt((cellsX1 + 1) * (cellsY1 + 1) / double(MAP_MAX_VERTICES)));
    for (;; reduction *= 1.0002) {
        const double cellsX = cellsX1 / reduction, cellsY = cellsY1 / reduction;
        const uint32_t n = options.subdivisionsGiven ? p.subdivisions : BestSubdivisions(cellsX, cellsY);
        const uint64_t across = TilesFor(cellsX, n), down = TilesFor(cellsY, n);
        if (!Fits(uint64_t(n) + 1, uint64_t(n) + 1)) {
            error =
                "one tile of " + std::to_string(n) + " x " + std::to_string(n) + " cells is more than the game reads";
            return true;
        }
        if (!Fits(across * n + 1, down * n + 1))
            continue;
        plan.tilesAcross = uint32_t(across);
        plan.tilesDown = uint32_t(down);
        plan.subdivisions = uint16_t(n);
        plan.reduction = reduction;
        plan.stepX = finest * reduction / sx;
        plan.stepY = finest * reduction / sy;
        plan.padColumns = int64_t(across * n) - std::llround(cellsX);
        plan.padRows = int64_t(down * n) - std::llround(cellsY);
        if (spaced)
            plan.cellMetres = finest * reduction;
        return false;
    }
}

bool ChooseScale(double ratio, double exaggeration, const WorldOptions& options, ImportPlan& plan, std::string& error)
{
    const TerrainParams& p = options.params;
    const double drawn = ratio * exaggeration;
    double cellSize = p.cellSize, heightScale = p.heightScale;
    const char* unfit = nullptr;
    if (options.cellSizeGiven && !options.heightScaleGiven) {
        heightScale = std::round(100.0 * drawn * cellSize);
        unfit = "--cell-size";
    } else if (!options.cellSizeGiven && options.heightScaleGiven) {
        cellSize = std::round(heightScale / (100.0 * drawn));
        unfit = "--height-scale";
    } else if (!options.cellSizeGiven) {
        // The cell size of the true ratio, so the ground plan is the same at
        // any exaggeration the height scale can hold; else the exaggerated
        // ratio's own.
        cellSize = NearestGoodCell(ratio);
        heightScale = std::round(100.0 * drawn * cellSize);
        if (cellSize == 0 || heightScale < 1.0 || heightScale > 65535.0 ||
            std::fabs(heightScale / (100.0 * cellSize) / drawn - 1.0) > GOOD_ENOUGH_RATIO) {
            cellSize = NearestGoodCell(drawn);
            heightScale = std::round(100.0 * drawn * cellSize);
        }
        unfit = cellSize == 0 ? "" : nullptr;
    }
    char text[320];
    if (unfit && (cellSize < 1.0 || cellSize > 65535.0 || heightScale < 1.0 || heightScale > 65535.0)) {
        snprintf(text, sizeof text,
                 "a height step %.4g times a cell (%.4g m over %.4g m cells, exaggeration %g) is more than the map's "
                 "cell size and height scale (1 to 65535 each) can draw%s%s",
                 drawn, plan.stepMetres, plan.cellMetres, exaggeration,
                 *unfit ? " with the " : " within half a percent", unfit);
        error = text;
        return true;
    }
    plan.cellSize = uint16_t(cellSize);
    plan.heightScale = uint16_t(heightScale);
    plan.ratioError = heightScale / (100.0 * cellSize) / drawn - 1.0;
    return false;
}

bool PlanHeights(const Heightmap& source, const std::vector<float>& values, const WorldOptions& options,
                 ImportPlan& plan, std::vector<uint8_t>& heights, std::string& error)
{
    const TerrainParams& p = options.params;
    plan.trueScale = source.elevation && plan.cellMetres > 0.0;
    if (!plan.trueScale) {
        // A picture: as wide as the default world unless told otherwise.
        const double defaultWidth = double(DEFAULT_MAP_TILES_ACROSS) * DEFAULT_MAP_SUBDIVISIONS * DEFAULT_MAP_CELL_SIZE;
        const double cells = std::max(plan.Columns(), plan.Rows()) - 1.0;
        plan.cellSize = options.cellSizeGiven
                            ? p.cellSize
                            : uint16_t(std::clamp(std::round(defaultWidth / std::max(1.0, cells)), 1.0, 65535.0));
        plan.heightScale = p.heightScale;
        std::vector<float> fractions(values.size());
        for (size_t i = 0; i < values.size(); ++i)
            fractions[i] = float(double(values[i]) / source.maxValue);
        heights = QuantiseHeights(fractions, StretchesPicture(source, options));
        return false;
    }
    auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    const double low = *lo, high = *hi;
    char text[240];
    if (!(std::fabs(low) <= MAX_HEIGHT_METRES && std::fabs(high) <= MAX_HEIGHT_METRES)) {
        snprintf(text, sizeof text,
                 "heights %.6g .. %.6g m reach beyond %g km of the sea: not metres of land "
                 "(an undeclared nodata value?)",
                 low, high, MAX_HEIGHT_METRES / 1000);
        error = text;
        return true;
    }
    plan.lowMetres = low;
    plan.reliefMetres = high - low;
    plan.stepMetres = plan.reliefMetres / HEIGHT_STEPS;
    heights.assign(values.size(), 0);
    if (plan.reliefMetres > 0.0)
        for (size_t i = 0; i < values.size(); ++i)
            heights[i] = uint8_t(std::lround((values[i] - low) / plan.reliefMetres * HEIGHT_STEPS));
    if (plan.stepMetres > 0.0)
        return ChooseScale(plan.stepMetres / plan.cellMetres, options.exaggeration, options, plan, error);
    plan.cellSize = p.cellSize;  // flat: any scale draws it the same
    plan.heightScale = p.heightScale;
    return false;
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
    const SourceWindow& w = plan.window;
    if (options.regionGiven) {
        snprintf(line, sizeof line,
                 "region: samples %d .. %d across and %d .. %d down, %d x %d of the file's %d x %d\n", w.left,
                 w.left + w.width - 1, w.top, w.top + w.height - 1, w.width, w.height, source.width, source.height);
        text += line;
    }
    snprintf(line, sizeof line, "grid: %u x %u vertices in %u x %u tiles of %u x %u cells", plan.Columns(), plan.Rows(),
             plan.tilesAcross, plan.tilesDown, unsigned(plan.subdivisions), unsigned(plan.subdivisions));
    text += line;
    if (options.tilesGiven) {
        text += ", the source stretched over them";
        if (std::fabs(plan.stretch - 1.0) > GOOD_ENOUGH_RATIO) {
            snprintf(line, sizeof line, ": a cell %.3g times as long %s",
                     plan.stretch > 1.0 ? plan.stretch : 1.0 / plan.stretch,
                     plan.stretch > 1.0 ? "across as down" : "down as across");
            text += line;
        }
    } else if (plan.reduction > 1.0) {
        snprintf(line, sizeof line, ", resampled to one vertex per %.3f samples: the game reads at most %llu vertices",
                 plan.reduction, (unsigned long long)MAP_MAX_VERTICES);
        text += line;
    } else if (plan.stepX == 1.0 && plan.stepY == 1.0) {
        text += ", one per source sample";
    } else {
        text += ", resampled to square cells";
    }
    text += Padding(plan.padColumns, "column", "columns") + Padding(plan.padRows, "row", "rows");
    if (plan.voidsFilled > 0)
        text += "; " + std::to_string(plan.voidsFilled) + " void" + (plan.voidsFilled == 1 ? "" : "s") + " filled";
    text += "\n";

    if (!plan.trueScale) {
        snprintf(line, sizeof line, "heights: %s; cell size %u, height scale %u\n",
                 StretchesPicture(source, options) ? "lowest 0, highest 255" : "black 0, white 255",
                 unsigned(plan.cellSize), unsigned(plan.heightScale));
        text += line;
        if (!HasSpacing(source))
            text +=
                "scale: unknown: " +
                (source.spacingSource.empty() ? std::string("the file gives no pixel size") : source.spacingSource) +
                "; --pixel-size METRES draws it at true scale\n";
        return text;
    }
    snprintf(line, sizeof line,
             "heights: %.1f .. %.1f m, a relief of %.1f m over %d steps of %.3f m, exaggeration %g\n", plan.lowMetres,
             plan.lowMetres + plan.reliefMetres, plan.reliefMetres, HEIGHT_STEPS, plan.stepMetres,
             options.exaggeration);
    text += line;
    if (plan.stepMetres <= 0.0) {
        snprintf(line, sizeof line, "scale: 1 world unit = %.4g m; cell size %u; the land is flat\n",
                 plan.MetresPerUnit(), unsigned(plan.cellSize));
        return text + line;
    }
    snprintf(line, sizeof line, "scale: 1 world unit = %.4g m; cell size %u, height scale %u; ratio error %+.2f%%\n",
             plan.MetresPerUnit(), unsigned(plan.cellSize), unsigned(plan.heightScale), plan.ratioError * 100.0);
    text += line;
    return text;
}
