#include "uiwidget.h"

#include "tempdir.h"
#include "widgettest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

Tree load(const std::string& file) {
  return Tree(uiWidget::loadUI(file.c_str(), nullptr));
}

std::string rect(const uiWidget& widget) {
  return std::to_string(widget.x) + "," + std::to_string(widget.y) + " " +
         std::to_string(widget.x2) + "," + std::to_string(widget.y2);
}

}  // namespace

TEST(uiWidgetParse, HeaderAndBlockForms) {
  // The text, the root's name and rectangle (null: no widget comes back), the messages.
  struct Case { std::string text; const char* result; std::vector<std::string> messages; };
  const std::string header = "...expected: \"^C00FF00obj = type^c\"\f";
  const std::string badType = "...attempt to instance an invalid ui type: \"uiMissing\"\f";
  TempDir dir;
  const std::string missing = dir.path("missing.ui");
  const std::string cannotOpen =
      "uiSubsystem: could not open file: \"^C00FF00" + missing + "^c\"\f";
  const Case cases[] = {
      {"main uiNonVisualWidget\nmain =\n", nullptr, {header, header}},
      {"junk\nmain = uiNonVisualWidget\n{\n}\nsecond = uiNonVisualWidget\n", "main 0,0 0,0",
       {header}},
      {"main = uiMissing\n{\n}\n", nullptr,
       {badType, "...failed to alloc widget: main of type uiMissing\f", header, header}},
      // Without an opening brace no key is read.
      {"main = uiNonVisualWidget\nx = 5\n}\ny = 6\n", "main 0,0 0,0", {}},
      // A child of unknown type lends its lines and its closing brace to the parent.
      {"main = uiNonVisualWidget\n{\n child ghost = uiMissing\n {\n  x = 40\n }\n y = 9\n}\n",
       "main 40,0 0,0",
       {badType, "...failed to alloc widget: ghost of type uiMissing\f",
        "...failed to create child for: main\f"}},
      {"#" + missing + "\nmain = uiNonVisualWidget\n{\n  child #" + missing + "\n  x = 8\n}\n",
       "main 8,0 0,0", {cannotOpen, cannotOpen, "...failed to create child for: main\f"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    LeakCheck leaks;
    CaptureLog log;
    for (const std::string& message : c.messages)
      log.expect(message);
    Tree root = load(dir.write("header.ui", c.text));
    EXPECT_EQ(root ? std::string(root->name) + " " + rect(*root) : "", c.result ? c.result : "");
    EXPECT_EQ(root ? childCount(root.get()) : 0, 0);
  }
}

TEST(uiWidgetParse, CommentsAndBracesFixture) {
  CaptureLog log;
  Tree root = load(UI_TEST_DATA "/comment_inside_block.ui");
  ASSERT_TRUE(root);
  EXPECT_EQ(rect(*root), "1,2 0,0");
  EXPECT_EQ(root->getDepth(), 7u);
  EXPECT_EQ(childCount(root.get()), 0);
}

// Each row: key lines, then the rectangle, depth and flags they leave, and the messages.
TEST(uiWidgetParse, KeyLines) {
  struct Case { const char *lines, *rect; unsigned depth, flags; std::vector<std::string> logged; };
  const Case cases[] = {
      {"x = 10\nwidth = 50\n", "10,0 60,0", 0, 0, {}},
      {"width = 50\nx = 10\n", "10,0 50,0", 0, 0, {}},
      {"x = 5\nwidth = 10\nx = soon\nwidth = wide\n", "5,0 15,0", 0, 0,
       {"...expected: \"^C00FF00x = integer^c\"\f",
        "...expected: \"^C00FF00width = integer^c\"\f"}},
      {"depth =\n", "0,0 0,0", 0, 0, {"...expected: \"^C00FF00depth = val^c\"\f"}},
      {"flags = WF_VISIBLE | wf_active\n", "0,0 0,0", 0, WF_VISIBLE | WF_ACTIVE, {}},
      {"flags = WF_VISIBLE|WF_ACTIVE\n", "0,0 0,0", 0, 0,
       {"Unknown flag: WF_VISIBLE|WF_ACTIVE\f"}},
      {"flags = WF_VISIBLE WF_ACTIVE\n", "0,0 0,0", 0, WF_VISIBLE,
       {"Invalid syntax: expected \"|\"\f"}},
      {"visible = TRUE\nvisible = maybe\n", "0,0 0,0", 0, 0, {"...Expected: true or false\f"}},
      {"globalinputfocus =\n", "0,0 0,0", 0, 0,
       {"...expected: \"^C00FF00globalinputfocus = val^c\"\f"}},
      {"#scriptlet\n", "0,0 0,0", 0, 0, {"...expected: \"^C00FF00#scriptlet file^c\"\f"}},
      {"bogus = 1\nx = 2\n", "2,0 0,0", 0, 0, {"...[main:3] Unknown parameter: ^C00FF00bogus\f"}},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    LeakCheck leaks;
    CaptureLog log;
    for (const std::string& message : c.logged)
      log.expect(message);
    Tree root = load(dir.write("keys.ui", std::string("main = uiNonVisualWidget\n{\n") + c.lines +
                                              "}\n"));
    ASSERT_TRUE(root);
    EXPECT_EQ(rect(*root), c.rect);
    EXPECT_EQ(root->getDepth(), c.depth);
    EXPECT_EQ(root->getWidgetFlags(), c.flags);
  }
}

// Children are listed newest first and nest their progress events inside their parent's line.
TEST(uiWidgetParse, ChildrenIncludesAndProgressEvents) {
  TempDir dir;
  std::string button = dir.write("button.ui", "ok = uiInputHandler\n{\n  depth = #parent\n}\n");
  std::vector<std::string> events;
  uiWidget::registerProgCb(
      [](uiWidget* widget, void* client, e_uiProgressEvent event) {
        static_cast<std::vector<std::string>*>(client)->push_back(
            (widget ? widget->name : "-") + std::to_string(event));
      },
      &events);
  CaptureLog log;
  Tree root = load(dir.write("main.ui", "main = uiNonVisualWidget\n{\n  depth = 12\n"
                                        "  child panel = uiNonVisualWidget\n  {\n    x = 3\n  }\n"
                                        "  child #" + button + " trailing words\n}\n"));
  uiWidget::registerProgCb(nullptr, nullptr);
  ASSERT_TRUE(root);
  uiWidget* ok = root->getWidget("main.ok", 0);
  ASSERT_EQ(firstChild(root.get()), ok);
  EXPECT_EQ(ok->getDepth(), 12u);
  EXPECT_EQ(root->getWidget("main.panel", 0)->x, 3);
  const std::string created = std::to_string(UIPROG_CREATED), param = std::to_string(UIPROG_PARAM),
                    done = std::to_string(UIPROG_DONE);
  EXPECT_EQ(events, (std::vector<std::string> {
                        "main" + created, "main" + param, "panel" + created, "panel" + param,
                        "panel" + done, "main" + param, "ok" + created, "ok" + param, "ok" + done,
                        "main" + param, "main" + done}));
}

TEST(uiWidgetParse, DeepNestingStopsTheBranchAndLoadsTheRest) {
  std::string text = "root = uiNonVisualWidget\n{\n";
  for (int level = 1; level <= 3000; ++level)
    text += "child c" + std::to_string(level) + " = uiNonVisualWidget\n{\n";
  for (int level = 1; level <= 3000; ++level)
    text += "}\n";
  text += "x = 7\n}\n";
  TempDir dir;
  LeakCheck leaks;
  CaptureLog log;
  // The root is line 1; child cN stands on line 2N + 1.
  log.expect("...[c255:513] child nesting deeper than 256: ^C00FF00c256^c\f");
  log.expect("...failed to create child for: c255\f");
  Tree root = load(dir.write("deep.ui", text));
  ASSERT_TRUE(root);
  EXPECT_EQ(root->x, 7);
  int levels = 1;
  for (uiWidget* widget = root.get(); firstChild(widget); widget = firstChild(widget))
    ++levels;
  EXPECT_EQ(levels, 256);
}
