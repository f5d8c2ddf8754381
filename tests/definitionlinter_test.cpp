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

// The fixtures name the files they include relative to their own folder, as a game's files are
// named relative to its working directory.
class InFolder {
public:
  explicit InFolder(const std::string& folder) : m_previous(fs::current_path()) {
    fs::current_path(folder);
  }
  ~InFolder() { fs::current_path(m_previous); }

private:
  fs::path m_previous;
};

struct LintResult {
  int status;
  std::string output;
};

LintResult lint(const std::vector<std::string>& files, gfxSubsystem* gfx = nullptr) {
  LintResult result {};
  std::FILE* out = std::tmpfile();
  result.status = lintDefinitionFiles(files, out, gfx);
  std::rewind(out);
  char buffer[512];
  size_t length;
  while ((length = std::fread(buffer, 1, sizeof buffer, out)) > 0)
    result.output.append(buffer, length);
  std::fclose(out);
  return result;
}

}  // namespace

TEST(DefinitionLinter, BrokenFilesArePlacedAtTheirLines) {
  InFolder folder(UI_TEST_DATA);
  CaptureLog log;  // the linter prints the loader's messages; none reach the log
  LintResult result =
      lint({"check_header.ui", "check_includes.ui", "check_keys.ui", "check_nothere.ui"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output,
            "check_header.ui:1: ...expected: \"obj = type\"\n"
            "check_header.ui:2: ...expected: \"obj = type\"\n"
            "check_header.ui:3: ...attempt to instance an invalid ui type: \"uiNoSuchType\"\n"
            "check_header.ui:3: ...failed to alloc widget: menu of type uiNoSuchType\n"
            "check_includes.ui:7: uiSubsystem: could not open file: \"check_missing.ui\"\n"
            "check_includes.ui:7: ...failed to create child for: check_includes\n"
            "check_included.ui:7: ...[check_included:7] Unknown parameter: colour\n"
            "check_scriptlet.txt:5: ...expected: \"width = integer\"\n"
            "check_includes.ui:10: ...Expected: true or false\n"
            "check_keys.ui:7: ...[check_keys:7] Unknown parameter: widht\n"
            "check_keys.ui:8: ...Expected: true or false\n"
            "check_keys.ui:9: ...expected: \"depth = val\"\n"
            "check_keys.ui:10: Invalid syntax: expected \"|\"\n"
            "check_keys.ui:11: Unknown flag: WF_SHINY\n"
            "check_keys.ui:12: ...expected: \"y = integer\"\n"
            "check_nothere.ui: uiSubsystem: could not open file: \"check_nothere.ui\"\n"
            "4 files checked, 16 problems in 4 files\n");
}

TEST(DefinitionLinter, CleanFilesPass) {
  InFolder folder(UI_TEST_DATA);
  CaptureLog log;
  struct Case {
    std::vector<std::string> files;
    const char* output;
  };
  const Case cases[] = {
      {{"check_clean.ui"}, "1 file checked, no problems\n"},
      {{"check_clean.ui", "loader_menu.ui", "loader_panel.ui"}, "3 files checked, no problems\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.files.size());
    LintResult result = lint(c.files);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, c.output);
  }
}

// A scriptlet is parsed at each application, so its problems are too; the linter leaves no
// scriptlet text cached behind it.
TEST(DefinitionLinter, ScriptletProblemsAreReportedAtEachApplication) {
  InFolder folder(UI_TEST_DATA);
  CaptureLog log;
  LintResult result = lint({"check_includes.ui", "check_includes.ui"});
  EXPECT_EQ(result.status, 1);
  size_t at = 0;
  int count = 0;
  while ((at = result.output.find("check_scriptlet.txt:5:", at)) != std::string::npos) {
    ++count;
    ++at;
  }
  EXPECT_EQ(count, 2);
  EXPECT_EQ(uiWidget::s_scriptletCacheHead, nullptr);
}

// Includes are named relative to the including file's folder; the places printed stay relative
// to the working directory.
TEST(DefinitionLinter, FilesAreLoadedInTheirOwnFolder) {
  TempDir dir;
  fs::create_directories(dir.path("menus"));
  dir.write("menus/part.ui", "part = uiNonVisualWidget\n{\n  tint = 1\n}\n");
  dir.write("menus/menu.ui", "menu = uiNonVisualWidget\n{\n  child #part.ui\n}\n");
  InFolder folder(dir.path(""));
  fs::path working = fs::current_path();
  CaptureLog log;
  LintResult result = lint({"menus/menu.ui"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output,
            "menus/part.ui:3: ...[part:3] Unknown parameter: tint\n"
            "1 file checked, 1 problem in 1 file\n");
  EXPECT_EQ(fs::current_path(), working);
}

TEST(DefinitionLinter, ResourcesAreAskedOfTheGivenBackend) {
  TempDir dir;
  std::string label =
      "label = uiTextWidget\n{\n  font = small\n  font = large\n}\n";
  std::string file = dir.write("label.ui", label);
  CaptureLog log;
  RecordingGfx gfx;
  gfx.defineFont("small", 8, 12);
  LintResult result = lint({file}, &gfx);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, file + ":4: ...failed to create font: large for label\n"
                                  "1 file checked, 1 problem in 1 file\n");
}
