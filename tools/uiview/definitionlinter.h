#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Checks UI definition files without a window: loads each one with the inert graphics backend
// and prints every problem the loader reports as "file:line: message" (see LoadReport), then a
// summary line. Returns the exit status of `uiview --check`: 0 when no file had a problem, 1
// otherwise.
int lintDefinitionFiles(const std::vector<std::string>& files, std::FILE* out);
