#include "loadreport.h"

#include "capturelog.h"
#include "tempdir.h"
#include "widgettest.h"

#include "udlogger.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(LoadReport, PlainMessage) {
  struct Case {
    const char* logged;
    const char* plain;
  } cases[] = {
      {"...expected: \"^C00FF00obj = type^c\"\f", "...expected: \"obj = type\""},
      {"^Cffff00lower case digits^c\f", "lower case digits"},
      {"^C12345 is not a colour\f", "^C12345 is not a colour"},
      {"^C", "^C"},
      {"two\flines\f \f", "two lines"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.logged);
    EXPECT_EQ(plainMessage(c.logged), c.plain);
  }
}

// Each message is placed in the innermost file being parsed when it was logged: an included
// file, a scriptlet, and the including file again once they are done. While it lives the report
// takes the log and the progress callback, and it gives both back.
TEST(LoadReport, PlacesMessagesInNestedFiles) {
  TempDir dir;
  std::string scriptlet = dir.write("look.txt", "x = 1\nshade = dark\n");
  std::string part = dir.write("part.ui", "part = uiNonVisualWidget\n{\n  #scriptlet " +
                                              scriptlet + "\n  size = 3\n}\n");
  std::string missing = dir.path("missing.ui");
  std::string menu = dir.write("menu.ui", "menu = uiNonVisualWidget\n{\n  child #" + part +
                                              "\n  child #" + missing + "\n  tint = 2\n}\n");
  CaptureLog log;
  uiProgressCallback progress = [](uiWidget*, void*, e_uiProgressEvent) {};
  uiWidget::registerProgCb(progress, &dir);
  {
    LoadReport report(menu);
    Tree tree(uiWidget::loadUI(menu.c_str(), nullptr));
    udLogger::log(2, "after the parse\f");
    std::vector<std::string> problems;
    for (const LoadProblem& problem : report.problems())
      problems.push_back(formatProblem(problem));
    EXPECT_EQ(problems, (std::vector<std::string> {
                            scriptlet + ":2: ...[part:2] Unknown parameter: shade",
                            part + ":4: ...[part:4] Unknown parameter: size",
                            menu + ":4: uiSubsystem: could not open file: \"" + missing + "\"",
                            menu + ":4: ...failed to create child for: menu",
                            menu + ":5: ...[menu:5] Unknown parameter: tint",
                            menu + ": after the parse",
                        }));
    EXPECT_EQ(report.files(), (std::vector<std::string> {menu, part, scriptlet, missing}));
  }
  EXPECT_EQ(uiWidget::_progCb, progress);
  EXPECT_EQ(uiWidget::_progClient, &dir);
  uiWidget::registerProgCb(nullptr, nullptr);
  log.expect("back in the log\f");
  udLogger::log(2, "back in the log\f");
}
