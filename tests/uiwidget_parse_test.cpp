#include "uiwidget.h"

#include "tempdir.h"
#include "testmemory.h"
#include "uidialog.h"
#include "widgettest.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Runs the rest of a test in another working directory, for fixtures that name files relative
// to their own folder.
class WorkingDirectory {
public:
  explicit WorkingDirectory(const std::string& path) : m_previous(fs::current_path()) {
    fs::current_path(path);
  }
  ~WorkingDirectory() { fs::current_path(m_previous); }

private:
  fs::path m_previous;
};

Tree load(const std::string& file) {
  return Tree(uiWidget::loadUI(file.c_str(), nullptr));
}

}  // namespace

TEST(uiWidgetParse, HeaderForms) {
  struct Case {
    const char* text;
    const char* rootName;  // null: no widget comes back
    std::vector<std::string> messages;
  };
  const std::string expectedHeader = "...expected: \"^C00FF00obj = type^c\"\f";
  const Case cases[] = {
      {"", nullptr, {}},
      {"// a comment\nmain uiNonVisualWidget\nmain =\n", nullptr,
       {expectedHeader, expectedHeader, expectedHeader}},
      {"first = uiNonVisualWidget\n{\n}\nsecond = uiNonVisualWidget\n{\n}\n", "first", {}},
      {"junk\nmain = uiNonVisualWidget\n{\n}\n", "main", {expectedHeader}},
      {"main = uiButon\n{\n}\n", nullptr,
       {"...attempt to instance an invalid ui type: \"uiButon\"\f",
        "...failed to alloc widget: main of type uiButon\f", expectedHeader, expectedHeader}},
      {"main = uinonvisualwidget\nmain = uiNonVisualWidget\n", "main",
       {"...attempt to instance an invalid ui type: \"uinonvisualwidget\"\f",
        "...failed to alloc widget: main of type uinonvisualwidget\f"}},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    LeakCheck leaks;
    {
      CaptureLog log;
      for (const std::string& message : c.messages)
        log.expect(message);
      Tree root = load(dir.write("header.ui", c.text));
      if (c.rootName) {
        ASSERT_TRUE(root);
        EXPECT_STREQ(root->name, c.rootName);
        EXPECT_EQ(root->getParent(), nullptr);
      } else {
        EXPECT_FALSE(root);
      }
    }
  }
}

TEST(uiWidgetParse, CommentsAndBracesFixture) {
  CaptureLog log;
  Tree root = load(UI_TEST_DATA "/comment_inside_block.ui");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->x, 1);
  EXPECT_EQ(root->y, 2);
  EXPECT_EQ(root->x2, 0) << "a line inside a comment set x2";
  EXPECT_EQ(root->y2, 0) << "a comment opened on a line ending in */ ended there";
  EXPECT_EQ(root->getDepth(), 7u);
  EXPECT_EQ(childCount(root.get()), 0);
}

TEST(uiWidgetParse, BlockForms) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> messages;
    int x, y;
  };
  TempDir dir;
  const std::string missing = dir.path("missing.ui");
  const std::string cannotOpen = "uiSubsystem: could not open file: \"^C00FF00" + missing + "^c\"\f";
  const Case cases[] = {
      {"without an opening brace no key is read",
       "main = uiNonVisualWidget\nx = 5\nchild c = uiNonVisualWidget\n}\ny = 6\n", {}, 0, 0},
      {"a child of unknown type lends its lines and its closing brace to the parent",
       "main = uiNonVisualWidget\n{\n  child ghost = uiMissing\n  {\n    x = 40\n  }\n  y = 9\n}\n",
       {"...attempt to instance an invalid ui type: \"uiMissing\"\f",
        "...failed to alloc widget: ghost of type uiMissing\f",
        "...failed to create child for: main\f"},
       40, 0},
      {"the loader goes on after an include that cannot be opened",
       "#" + missing + "\nmain = uiNonVisualWidget\n{\n  child #" + missing + "\n  x = 8\n}\n",
       {cannotOpen, cannotOpen, "...failed to create child for: main\f"}, 8, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LeakCheck leaks;
    CaptureLog log;
    for (const std::string& message : c.messages)
      log.expect(message);
    Tree root = load(dir.write("block.ui", c.text));
    ASSERT_TRUE(root);
    EXPECT_STREQ(root->name, "main");
    EXPECT_EQ(root->x, c.x);
    EXPECT_EQ(root->y, c.y);
    EXPECT_EQ(childCount(root.get()), 0);
  }
}

TEST(uiWidgetParse, KeyLines) {
  struct Case {
    const char* lines;
    int x, y, x2, y2;
    unsigned int depth;
    unsigned int flags;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"x = 10\nwidth = 50\n", 10, 0, 60, 0, 0, 0, {}},
      {"width = 50\nx = 10\n", 10, 0, 50, 0, 0, 0, {}},
      {"y = 4\nheight = 6\nx2 = 3\n", 0, 4, 3, 10, 0, 0, {}},
      {"depth = 17\n", 0, 0, 0, 0, 17, 0, {}},
      {"depth =\n", 0, 0, 0, 0, 0, 0, {"...expected: \"^C00FF00depth = val^c\"\f"}},
      {"DEPTH 3\n", 0, 0, 0, 0, 0, 0, {"...expected: \"^C00FF00depth = val^c\"\f"}},
      {"flags = WF_VISIBLE | wf_active\n", 0, 0, 0, 0, 0, WF_VISIBLE | WF_ACTIVE, {}},
      {"flags = WF_VISIBLE|WF_ACTIVE\n", 0, 0, 0, 0, 0, 0,
       {"Unknown flag: WF_VISIBLE|WF_ACTIVE\f"}},
      {"flags = WF_VISIBLE WF_ACTIVE\n", 0, 0, 0, 0, 0, WF_VISIBLE,
       {"Invalid syntax: expected \"|\"\f"}},
      {"flags = WF_ROOT_COORDS | WF_ALPHA_TEST | WF_IGNORE_ALPHA |\n", 0, 0, 0, 0, 0,
       WF_ROOT_COORDS | WF_ALPHA_TEST | WF_IGNORE_ALPHA, {}},
      {"visible = true\nactive = true\nflags =\n", 0, 0, 0, 0, 0, 0, {}},
      {"flags WF_VISIBLE\n", 0, 0, 0, 0, 0, 0, {"...expected: \"^C00FF00flags = FLAGS^c\"\f"}},
      {"visible = TRUE\ninputfocus = True\n", 0, 0, 0, 0, 0, WF_VISIBLE | WF_INPUT_FOCUS, {}},
      {"visible = true\nvisible = maybe\n", 0, 0, 0, 0, 0, 0,
       {"...Expected: true or false\f"}},
      {"active true\n", 0, 0, 0, 0, 0, 0, {"...expected: \"^C00FF00active = BOOLEAN^c\"\f"}},
      {"globalinputfocus =\n", 0, 0, 0, 0, 0, 0,
       {"...expected: \"^C00FF00globalinputfocus = val^c\"\f"}},
      {"#scriptlet\n", 0, 0, 0, 0, 0, 0, {"...expected: \"^C00FF00#scriptlet file^c\"\f"}},
      {"bogus = 1\nx = 2\n", 2, 0, 0, 0, 0, 0,
       {"...[main:3] Unknown parameter: ^C00FF00bogus\f"}},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    LeakCheck leaks;
    {
      CaptureLog log;
      for (const std::string& message : c.messages)
        log.expect(message);
      Tree root = load(dir.write("keys.ui", std::string("main = uiNonVisualWidget\n{\n") +
                                                c.lines + "}\n"));
      ASSERT_TRUE(root);
      EXPECT_EQ(root->x, c.x);
      EXPECT_EQ(root->y, c.y);
      EXPECT_EQ(root->x2, c.x2);
      EXPECT_EQ(root->y2, c.y2);
      EXPECT_EQ(root->getDepth(), c.depth);
      EXPECT_EQ(root->getWidgetFlags(), c.flags);
    }
  }
}

TEST(uiWidgetParse, ChildrenIncludesAndParentDepth) {
  TempDir dir;
  std::string button = dir.write("button.ui", "ok = uiInputHandler\n{\n  depth = #parent\n}\n");
  std::string text = "main = uiNonVisualWidget\n{\n  depth = 12\n"
                     "  child panel = uiNonVisualWidget\n  {\n    x = 3\n  }\n"
                     "  child #" + button + " trailing words\n}\n";
  CaptureLog log;
  Tree root = load(dir.write("main.ui", text));
  ASSERT_TRUE(root);
  ASSERT_EQ(childCount(root.get()), 2);
  uiWidget* ok = root->getWidget("main.ok", 0);
  uiWidget* panel = root->getWidget("main.panel", 0);
  ASSERT_TRUE(ok && panel);
  EXPECT_EQ(firstChild(root.get()), ok) << "children are listed newest first";
  EXPECT_EQ(ok->getParent(), root.get());
  EXPECT_EQ(ok->getDepth(), 12u);
  EXPECT_TRUE(ok->isType("uiInputHandler"));
  EXPECT_EQ(panel->x, 3);
}

TEST(uiWidgetParse, ProgressEventsNestChildrenInsideTheirLine) {
  struct Event {
    std::string widget;
    e_uiProgressEvent event;
    bool operator==(const Event& other) const {
      return widget == other.widget && event == other.event;
    }
  };
  std::vector<Event> events;
  uiWidget::registerProgCb(
      [](uiWidget* widget, void* client, e_uiProgressEvent event) {
        static_cast<std::vector<Event>*>(client)->push_back({widget ? widget->name : "", event});
      },
      &events);
  TempDir dir;
  {
    CaptureLog log;
    log.expect("...attempt to instance an invalid ui type: \"uiNothing\"\f");
    log.expect("...failed to alloc widget: lost of type uiNothing\f");
    log.expect("...failed to create child for: main\f");
    Tree root = load(dir.write("progress.ui",
                               "main = uiNonVisualWidget\n{\n  x = 1\n"
                               "  child kid = uiNonVisualWidget\n  {\n    x = 2\n    y = 3\n  }\n"
                               "  child lost = uiNothing\n}\n"));
  }
  uiWidget::registerProgCb(nullptr, nullptr);
  const std::vector<Event> expected = {
      {"main", UIPROG_CREATED}, {"main", UIPROG_PARAM},  {"kid", UIPROG_CREATED},
      {"kid", UIPROG_PARAM},    {"kid", UIPROG_PARAM},   {"kid", UIPROG_DONE},
      {"main", UIPROG_PARAM},   {"", UIPROG_CREATED},    {"main", UIPROG_PARAM},
      {"main", UIPROG_DONE},
  };
  EXPECT_TRUE(events == expected);
}

TEST(uiWidgetParse, TabEntryJoinsEveryDialogAbove) {
  Tree outerTree(uiDialog::s_allocator());
  auto* outer = static_cast<uiDialog*>(outerTree.get());
  auto* inner = static_cast<uiDialog*>(uiDialog::s_allocator());
  outer->addChild(inner, false);
  CaptureLog log;
  uiWidget* box = parseWidget("box = uiNonVisualWidget\n{\n  child ok = uiInputHandler\n  {\n"
                              "    tabentry\n  }\n}\n", inner);
  ASSERT_TRUE(box);
  inner->addChild(box, false);
  ASSERT_TRUE(outer->tabHead && inner->tabHead);
  EXPECT_EQ(outer->tabHead->widget, firstChild(box));
  EXPECT_EQ(inner->tabHead->widget, firstChild(box));
  EXPECT_EQ(inner->tabHead->next, nullptr);
}

// The fixture pair includes each other; nesting stops at 32 files and the rest still loads.
TEST(uiWidgetParse, IncludeCycleStopsAtTheNestingLimit) {
  WorkingDirectory data(UI_TEST_DATA);
  LeakCheck leaks;
  {
    CaptureLog log;
    log.expect("...include nesting deeper than 32: \"^C00FF00include_cycle_a.ui^c\"\f");
    log.expect("...failed to create child for: cycle_b\f");
    Tree root = load("include_cycle_a.ui");
    ASSERT_TRUE(root);
    int levels = 0;
    for (uiWidget* widget = root.get(); widget; widget = firstChild(widget)) {
      EXPECT_EQ(widget->y, 1) << "the line after the include was read at level " << levels;
      ++levels;
    }
    EXPECT_EQ(levels, 32);
  }
}

TEST(uiWidgetParse, DeepNestingStopsTheBranchAndLoadsTheRest) {
  const int nesting = 3000;
  std::string text = "root = uiNonVisualWidget\n{\n";
  for (int level = 1; level <= nesting; ++level)
    text += "child c" + std::to_string(level) + " = uiNonVisualWidget\n{\n";
  for (int level = 1; level <= nesting; ++level)
    text += "}\n";
  text += "x = 7\n}\n";
  TempDir dir;
  LeakCheck leaks;
  {
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
}

TEST(uiWidgetParse, StopRequestFromAnotherThreadLeavesNothing) {
  TempDir dir;
  std::string inner = dir.write("inner.ui", "inner = uiNonVisualWidget\n{\n  x = 1\n  y = 2\n"
                                            "  x2 = 3\n  y2 = 4\n}\n");
  std::string outer = dir.write("outer.ui", "outer = uiNonVisualWidget\n{\n"
                                            "  child kid = uiNonVisualWidget\n  {\n    x = 1\n  }\n"
                                            "  child #" + inner + "\n  y = 5\n}\n");
  struct Handshake {
    std::mutex mutex;
    std::condition_variable changed;
    int innerKeys = 0;
    bool stopped = false;
  } handshake;
  // The parsing thread pauses in the included file until the stop request has been made.
  uiWidget::registerProgCb(
      [](uiWidget* widget, void* client, e_uiProgressEvent event) {
        auto* h = static_cast<Handshake*>(client);
        if (event != UIPROG_PARAM || std::string(widget->name) != "inner")
          return;
        std::unique_lock<std::mutex> lock(h->mutex);
        if (++h->innerKeys == 2) {
          h->changed.notify_all();
          h->changed.wait(lock, [h] { return h->stopped; });
        }
      },
      &handshake);
  LeakCheck leaks;
  {
    CaptureLog log;
    log.expect("...failed to create child for: outer\f");
    uiWidget* result = reinterpret_cast<uiWidget*>(1);
    std::thread loader([&] { result = uiWidget::loadUI(outer.c_str(), nullptr); });
    {
      std::unique_lock<std::mutex> lock(handshake.mutex);
      handshake.changed.wait(lock, [&] { return handshake.innerKeys == 2; });
      uiWidget::s_terminate = true;
      handshake.stopped = true;
      handshake.changed.notify_all();
    }
    loader.join();
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(handshake.innerKeys, 2) << "the parse went on after the stop request";
  }
  uiWidget::s_terminate = false;
  uiWidget::registerProgCb(nullptr, nullptr);
}

// Every allocation of a load fails in turn: each run ends with the failure logged and nothing
// left behind.
TEST(uiWidgetParse, FailedAllocationsLeaveNothingBehind) {
  TempDir dir;
  std::string scriptlet = dir.write("common.scr", "y = 2\nchild s = uiNonVisualWidget\n{\n}\n");
  std::string inner = dir.write("inner.ui", "inner = uiInputHandler\n{\n  #scriptlet " +
                                                scriptlet + "\n  globalinputfocus = main\n}\n");
  std::string main = dir.write("main.ui", "main = uiNonVisualWidget\n{\n  child a = uiNonVisualWidget\n"
                                          "  {\n    depth = #parent\n  }\n  child #" + inner + "\n}\n");
  int failing = 1;
  for (;; ++failing) {
    SCOPED_TRACE(failing);
    CaptureLog log;
    FailingMemory memory(failing);
    LeakCheck leaks;
    Tree root = load(main);
    uiWidget::s_freeScripletCache();
    root.reset();
    log.clear();  // which message a failure gives depends on where it struck
    if (memory.failures() == 0)
      break;
  }
  EXPECT_GT(failing, 10) << "the load should make more allocations than this";
}
