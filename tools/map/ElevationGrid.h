#pragma once

#include <vector>

class CProgress;

// Fills the voids (NaN) of a grid of heights, row by row, smoothly: each
// void settles to the mean of its four neighbours, as a membrane stretched
// over the hole's rim would, so a large hole shows no bands or seams.
// Coarser copies of the grid give each level its first guess, which keeps
// the work to a few passes over the voids whatever their size. Returns the
// number filled; -1 when every height is a void. Each pass keeps `progress`
// alive, when there is one.
long FillVoids(std::vector<float>& heights, int width, int height, CProgress* progress = nullptr);
