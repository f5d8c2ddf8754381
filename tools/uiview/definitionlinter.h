#pragma once

#include <cstdio>
#include <string>
#include <vector>

class gfxSubsystem;

// Checks UI definition files without a window: loads each one and prints every problem the
// loader reports as "file:line: message" (see LoadReport), then a summary line. Returns the exit
// status of `uiview --check`: 0 when no file had a problem, 1 otherwise.
//
// Each file is loaded in its own folder, as the files it includes and the art it names are
// named relative to it; the places printed are relative to the working directory all the same.
// Fonts and sprite sizes are asked of `gfx` (a headless backend that loads the real art finds
// missing art too); without one the inert backend answers, and every resource is missing.
int lintDefinitionFiles(const std::vector<std::string>& files, std::FILE* out,
                        gfxSubsystem* gfx = nullptr);
