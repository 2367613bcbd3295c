#pragma once

#include <cstdint>
#include <vector>

class CProgress;

// The part of a source that is imported, in samples: the whole of it unless
// a region is asked for.
struct SourceWindow {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Lays a grid over a source as its rows are decoded, so that no more than
// two of the source's rows and the grid itself are ever held. Grid point
// (c, r) lies at window sample (c * stepX, r * stepY), interpolated
// bilinearly; points beyond the window take its edge. A point where voids
// (NaN) carry half the weight or more is a void itself, for FillVoids.
class CGridSampler {
public:
    CGridSampler(const SourceWindow& window, uint32_t columns, uint32_t rows, double stepX, double stepY);

    // Source row y (0 the source's top row) of `count` values, NaN where
    // the source holds none. Rows arrive in order, each once: from the top
    // down, or from the bottom up once ArriveUpward has been called.
    void AddRow(int y, const float* values, int count);
    void ArriveUpward() { upward = true, nextRow = int64_t(rows) - 1; }

    // The grid, row by row, once the window's last row has arrived.
    std::vector<float>& Values() { return grid; }
    bool Complete() const { return upward ? nextRow < 0 : nextRow >= int64_t(rows); }
    uint32_t Columns() const { return columns; }
    uint32_t Rows() const { return rows; }

    // What the rows held, the whole source's and not only the window's:
    // the lowest and highest value (NaN before any), and the voids.
    double lowest;
    double highest;
    uint64_t voids = 0;
    uint64_t samples = 0;
    CProgress* progress = nullptr;  // advanced by every row that arrives, when set

private:
    // Weighted sums along a row at every grid column.
    void Across(const float* values, int count, std::vector<double>& sum, std::vector<double>& weight) const;

    SourceWindow window;
    uint32_t columns, rows;
    double stepX, stepY;
    bool upward = false;
    int64_t nextRow = 0;  // the next grid row to make
    std::vector<double> sumAbove, weightAbove, sumHere, weightHere;
    std::vector<float> grid;
};
