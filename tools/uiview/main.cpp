#include "definitionlinter.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: uiview FILE                 open FILE in a window; reloads it when it changes\n"
    "       uiview --check FILE...      print every problem the loader finds in the files\n";

int usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2)
    return usage();
  if (std::strcmp(argv[1], "--check") == 0) {
    if (argc < 3)
      return usage();
    return lintDefinitionFiles(std::vector<std::string>(argv + 2, argv + argc), stdout);
  }
  return usage();
}
