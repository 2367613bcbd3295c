#include "tools/map/GridSampler.h"

#include "tools/common/Progress.h"

#include <algorithm>
#include <cmath>

namespace {

// Where grid line i falls in a window `extent` samples long: the sample
// before it and the fraction towards the next.
void Locate(uint32_t i, double step, int extent, int& first, double& fraction)
{
    const double at = std::min(i * step, double(extent - 1));
    first = std::min(int(at), extent - 1);
    fraction = at - first;
}

}  // namespace

CGridSampler::CGridSampler(const SourceWindow& window, uint32_t columns, uint32_t rows, double stepX, double stepY)
    : lowest(NAN), highest(NAN), window(window), columns(columns), rows(rows), stepX(stepX), stepY(stepY)
{
}

void CGridSampler::Across(const float* values, int count, std::vector<double>& sum, std::vector<double>& weight) const
{
    sum.assign(columns, 0.0);
    weight.assign(columns, 0.0);
    for (uint32_t c = 0; c < columns; ++c) {
        int x0;
        double fx;
        Locate(c, stepX, window.width, x0, fx);
        const int a = window.left + x0, b = std::min(a + 1, std::min(count, window.left + window.width) - 1);
        for (auto [x, w] : {std::pair{a, 1.0 - fx}, std::pair{b, fx}})
            if (w > 0.0 && !std::isnan(values[x]))
                sum[c] += w * values[x], weight[c] += w;
    }
}

void CGridSampler::AddRow(int y, const float* values, int count)
{
    if (progress)
        progress->Advance();
    for (int x = 0; x < count; ++x) {
        const float v = values[x];
        if (std::isnan(v)) {
            ++voids;
        } else if (!(v >= lowest && v <= highest)) {  // NaN bounds before the first
            lowest = std::isnan(lowest) ? v : std::min(lowest, double(v));
            highest = std::isnan(highest) ? v : std::max(highest, double(v));
        }
    }
    samples += uint64_t(count);
    if (y < window.top || y >= window.top + window.height || nextRow < 0 || nextRow >= int64_t(rows) ||
        count < window.left + window.width)
        return;
    sumAbove.swap(sumHere);  // the row before, above or below this one
    weightAbove.swap(weightHere);
    Across(values, count, sumHere, weightHere);
    if (grid.empty())
        grid.resize(size_t(columns) * rows);  // only once rows arrive: a header alone costs nothing
    const int here = y - window.top;
    for (; nextRow >= 0 && nextRow < int64_t(rows); nextRow += upward ? -1 : 1) {
        int y0;
        double fy;
        Locate(uint32_t(nextRow), stepY, window.height, y0, fy);
        const int y1 = std::min(y0 + 1, window.height - 1);
        if (upward ? y0 < here : y1 > here)
            break;  // it needs a row still to come
        // This row's weight, and the row before's: the one above when going
        // down, the one below when going up.
        const double mine = y1 == y0 ? 1.0 : upward ? 1.0 - fy : fy, before = 1.0 - mine;
        float* out = &grid[size_t(nextRow) * columns];
        for (uint32_t c = 0; c < columns; ++c) {
            const double w = (before > 0.0 ? before * weightAbove[c] : 0.0) + mine * weightHere[c];
            const double s = (before > 0.0 ? before * sumAbove[c] : 0.0) + mine * sumHere[c];
            out[c] = w > 0.5 ? float(s / w) : NAN;
        }
    }
}
