#include "definitionlinter.h"

#include "capturelog.h"
#include "recordinggfx.h"
#include "tempdir.h"
#include "uiwidget.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The linter's exit status and what it printed, run in `folder` as a game runs in its own, and
// leaving the working directory as it found it.
std::string lint(const std::string& folder, const std::vector<std::string>& files,
                 gfxSubsystem* gfx = nullptr) {
  fs::path previous = fs::current_path();
  fs::current_path(folder);
  std::FILE* out = std::tmpfile();
  std::string result = std::to_string(lintDefinitionFiles(files, out, gfx)) + "\n";
  EXPECT_EQ(fs::current_path(), fs::path(folder));
  fs::current_path(previous);
  std::rewind(out);
  char buffer[512];
  while (size_t length = std::fread(buffer, 1, sizeof buffer, out))
    result.append(buffer, length);
  std::fclose(out);
  return result;
}

}  // namespace

// The loader's messages are printed at the file and line they come from, and none reaches the
// log. A scriptlet is parsed at each application, so its problems are too, and the linter leaves
// no scriptlet text cached behind it.
TEST(DefinitionLinter, BrokenFilesArePlacedAtTheirLines) {
  CaptureLog log;
  const std::string includes =
      "check_includes.ui:7: uiSubsystem: could not open file: \"check_missing.ui\"\n"
      "check_includes.ui:7: ...failed to create child for: check_includes\n"
      "check_included.ui:7: ...[check_included:7] Unknown parameter: colour\n"
      "check_scriptlet.txt:5: ...expected: \"width = integer\"\n"
      "check_includes.ui:10: ...Expected: true or false\n";
  EXPECT_EQ(lint(UI_TEST_DATA, {"check_header.ui", "check_includes.ui", "check_keys.ui",
                                "check_nothere.ui", "check_includes.ui"}),
            "1\n"
            "check_header.ui:1: ...expected: \"obj = type\"\n"
            "check_header.ui:2: ...expected: \"obj = type\"\n"
            "check_header.ui:3: ...attempt to instance an invalid ui type: \"uiNoSuchType\"\n"
            "check_header.ui:3: ...failed to alloc widget: menu of type uiNoSuchType\n" +
                includes +
                "check_keys.ui:7: ...[check_keys:7] Unknown parameter: widht\n"
                "check_keys.ui:8: ...Expected: true or false\n"
                "check_keys.ui:9: ...expected: \"depth = val\"\n"
                "check_keys.ui:10: Invalid syntax: expected \"|\"\n"
                "check_keys.ui:11: Unknown flag: WF_SHINY\n"
                "check_keys.ui:12: ...expected: \"y = integer\"\n"
                "check_nothere.ui: uiSubsystem: could not open file: \"check_nothere.ui\"\n" +
                includes + "5 files checked, 21 problems in 5 files\n");
  EXPECT_EQ(uiWidget::s_scriptletCacheHead, nullptr);
}

// Includes are named relative to the including file's folder, the places printed relative to
// the working directory, and resources are asked of the given backend.
TEST(DefinitionLinter, FilesAreLoadedInTheirOwnFolder) {
  TempDir dir;
  fs::create_directories(dir.path("menus"));
  dir.write("menus/part.ui", "part = uiTextWidget\n{\n  font = small\n  font = large\n}\n");
  dir.write("menus/menu.ui", "menu = uiNonVisualWidget\n{\n  child #part.ui\n}\n");
  CaptureLog log;
  RecordingGfx gfx;
  gfx.defineFont("small", 8, 12);
  EXPECT_EQ(lint(dir.folder(), {"menus/menu.ui"}, &gfx),
            "1\nmenus/part.ui:4: ...failed to create font: large for part\n"
            "1 file checked, 1 problem in 1 file\n");
  gfx.defineFont("large", 8, 12);
  EXPECT_EQ(lint(dir.folder(), {"menus/menu.ui", UI_TEST_DATA "/check_clean.ui"}, &gfx),
            "0\n2 files checked, no problems\n");
}
