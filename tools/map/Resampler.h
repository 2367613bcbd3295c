#pragma once

#include <cstdint>
#include <vector>

// Height samples 0..255 from values 0..1, the full range: the game stands
// on height 0 as on any other. With `stretch` the lowest value maps to 0
// and the highest to 255; otherwise black is 0 and white 255.
std::vector<uint8_t> QuantiseHeights(const std::vector<float>& values, bool stretch);
