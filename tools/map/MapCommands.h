#pragma once

#include <string>
#include <vector>

// The three commands of terravell-map. Each takes the arguments after the
// command's name and returns the exit status: 0 done, 1 failed (or, for
// info, the map is not valid), 2 a usage error. Reports go to stdout,
// errors to stderr as one "terravell-map: ..." line.
int RunInfo(const std::vector<std::string>& args);
int RunGenerate(const std::vector<std::string>& args);
int RunImport(const std::vector<std::string>& args);

// The tool's own usage text.
const char* MapToolUsage();

// What the running command was doing: "importing heights.png".
const char* MapToolActivity();
