#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The name of picture `number`: "terravell-0001.png" and so on.
std::string PictureName(unsigned number);

// Writes `rgb` (three bytes a pixel, the bottom row first) as a PNG into
// `folder` (empty: the working directory) under the first free name from
// picture `next` on, never replacing a file, and moves `next` past it. True
// on failure, with `error` the system's reason and no file left behind;
// `name` is the picture's name either way.
bool SaveNewPicture(const std::string& folder, const std::vector<uint8_t>& rgb, int width, int height, unsigned& next,
                    std::string& name, std::string& error);
