#pragma once

#include "tools/bench/MapSizes.h"

// The rows that time the terrain's display lists: the game's batched list,
// the old fan list and an ideal vertex-array list of the same triangles,
// then a scripted run with the fan list. They go with the single list.
void TerrainDrawRows(CGame& game, bool quick, long frames, KeyScript scripted);
