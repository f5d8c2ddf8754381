#include "uiwidget.h"

#include "capturelog.h"
#include "recordinggfx.h"
#include "tempdir.h"
#include "uianimwidget.h"
#include "uisubsystem.h"

#include "core.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

// What the library does with files that no designer meant to write: overlong names and values,
// keys without values, binary garbage, NUL bytes, CRLF line ends and tabs, cut-off files,
// positions at the ends of the int range, huge tile counts, global focus entries and includes
// that loop. Whatever comes in, a load ends, reports, gives back every block, and the frames and
// input that follow end too.

namespace {

namespace fs = std::filesystem;

struct DeleteWidget {
  void operator()(uiWidget* widget) const { delete widget; }
};
using Tree = std::unique_ptr<uiWidget, DeleteWidget>;

// Live blocks of the loader's two tags at the start of a scope, compared at its end.
class MemoryBalance {
public:
  MemoryBalance() : m_transient(g_MemoryPtr->liveCount(0)), m_kept(g_MemoryPtr->liveCount(9)) {}
  ~MemoryBalance() {
    uiWidget::s_freeScripletCache();
    EXPECT_EQ(g_MemoryPtr->liveCount(0), m_transient);
    EXPECT_EQ(g_MemoryPtr->liveCount(9), m_kept);
  }

private:
  size_t m_transient;
  size_t m_kept;
};

Tree load(const std::string& file) {
  return Tree(uiWidget::loadUI(file.c_str(), nullptr));
}

int subtreeSize(const uiWidget* widget) {
  int size = 1;
  for (const _WidgetList_s* node = widget->getChildren(); node; node = node->next)
    size += subtreeSize(node->widget);
  return size;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string block(const std::string& lines) {
  return "main = uiNonVisualWidget\n{\n" + lines + "}\n";
}

}  // namespace

// Names are cut at their field's size; a message that quotes a long token is cut at 1023
// characters and still ends in a form feed.
TEST(LoaderRobustness, OverlongNamesAndValuesAreCutOrRefused) {
  const std::string huge(5000, 'n');
  struct Case {
    std::string text;
    std::vector<std::string> messages;
    const char* rootName;  // null: no widget
  };
  const Case cases[] = {
      {huge + " = uiNonVisualWidget\n{\n}\n", {}, "nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn"},
      {"main = " + huge + "\n",
       {"...attempt to instance an invalid ui type: \"" + huge + "\"\f",
        "...failed to alloc widget: main of type " + huge.substr(0, 982) + "\f"},
       nullptr},
      {block(huge + " = 1\n"),
       {"...[main:3] Unknown parameter: ^C00FF00" + huge.substr(0, 983) + "\f"}, "main"},
      {block("flags = " + huge + "\n"), {"Unknown flag: " + huge.substr(0, 1008) + "\f"}, "main"},
      {block("x = 99999999999999999999\ny = -2147483649\n"),
       {"...expected: \"^C00FF00x = integer^c\"\f", "...expected: \"^C00FF00y = integer^c\"\f"},
       "main"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 60));
    MemoryBalance balance;
    CaptureLog log;
    for (const std::string& message : c.messages)
      log.expect(message);
    Tree root = load(dir.write("long.ui", c.text));
    if (c.rootName) {
      ASSERT_TRUE(root);
      EXPECT_STREQ(root->name, c.rootName);
    } else {
      EXPECT_FALSE(root);
    }
  }
}

// A key line without its value, with "=" and nothing after it, or with an empty quoted value is
// reported or ignored, for the keys of every class; the next line still applies.
TEST(LoaderRobustness, KeysWithoutValuesLeaveTheRestOfTheBlock) {
  const char* const types[] = {
      "uiNonVisualWidget", "uiInputHandler", "uiVisualWidget",   "uiButton",        "uiToggleButton",
      "uiSprite",          "uiTextWidget",   "uiEntryWidget",    "uiRadioButton",   "uiRadioGroup",
      "uiSliderButton",    "uiProgressBar",  "uiParticleSystem", "uiDigitalBanner", "uiDialog",
      "uiAnimDialog",      "uiFlowLayout",   "uiGameContainer",  "uiAnimWidget"};
  const char* const keys[] = {
      "x", "y", "x2", "y2", "width", "height", "depth", "flags", "inputfocus", "active", "visible",
      "tabentry", "child", "#scriptlet", "globalinputfocus", "FlowType", "Height", "MinSpaceX",
      "MinSpaceY", "SpaceEvenly", "Width", "acceptonenter", "alpha", "anim", "animate", "clear",
      "clicksound", "cursor", "cursorrate", "endhidecursor", "entryrectx", "entryrecty",
      "entrywidth", "font", "frame", "highlightsound", "hotkey", "justify", "loop", "maxmessages",
      "padding", "particlesystem", "rate", "set", "sprite", "takefocus", "text", "tilehorzcount",
      "tilevertcount", "file", "sprite2", "value", "minx", "maxx", "min_range", "max_range",
      "step", "smooth", "vertical", "invert", "AnimIn", "AnimOut style", "AnimIn Time",
      "AnimIn Loc", "AnimIn BezierControls", "AnimOut sprite", "AnimIn sound", "SubAnimCount",
      "SubAnimIn", "SubAnimIn 0", "SubAnimOut 0 widget", "SubAnimIn -1 Time", "SubAnimIn x"};
  RecordingGfx gfx;
  MemoryBalance balance;
  for (const char* type : types) {
    for (const char* key : keys) {
      for (const char* form : {"", " =", " = \"\""}) {
        std::string line = std::string(key) + form;
        SCOPED_TRACE(std::string(type) + ": " + line);
        CaptureLog log;
        std::string text = std::string("main = ") + type + "\n{\n" + line + "\nx = 7\n}\n";
        Parser parser(text.data());
        Tree root(uiWidget::parseObjHeader(&parser, nullptr));
        ASSERT_TRUE(root);
        root->initialize();
        EXPECT_EQ(root->x, 7);
        log.clear();  // each class words its own reports
      }
    }
  }
}

// Random bytes, and random runs of the format's own words, as a file and as a scriptlet.
TEST(LoaderRobustness, BinaryGarbageEndsInAReport) {
  const char* const words[] = {"main", "=", "uiNonVisualWidget", "uiButton", "{", "}", "/*", "*/",
                               "child", "#scriptlet", "x", "flags", "WF_VISIBLE", "|", "\"",
                               "\n", "\r\n", "\t", " ", "#"};
  std::mt19937 random(2024);
  TempDir dir;
  MemoryBalance balance;
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    std::string text;
    size_t length = random() % 2000;
    while (text.size() < length) {
      if (round % 2)
        text += static_cast<char>(random() % 256);
      else
        text += std::string(words[random() % std::size(words)]) + " ";
    }
    std::string file = dir.write("garbage.ui", text);
    CaptureLog log;
    Tree root = load(file);
    Tree target(uiWidget::allocWidget("target", "uiNonVisualWidget"));
    target->applyScriptlet(file.c_str());
    uiWidget::s_freeScripletCache();
    log.clear();
  }
}

// The text of a file or scriptlet ends at its first NUL byte, whatever follows.
TEST(LoaderRobustness, NulBytesEndTheText) {
  using namespace std::string_literals;
  struct Case {
    std::string text;
    int x, y;
    bool loads;
  };
  const Case cases[] = {
      {"main = uiNonVisualWidget\n{\n  x = 5\n\0  y = 6\n}\n"s, 5, 0, true},
      {"main = uiNonVisualWidget\n{\n  x = 5\0 0\n  y = 6\n}\n"s, 5, 0, true},
      {"main = uiNonVisu\0alWidget\n{\n  x = 5\n}\n"s, 0, 0, false},
      {"\0main = uiNonVisualWidget\n{\n  x = 5\n}\n"s, 0, 0, false},
  };
  TempDir dir;
  MemoryBalance balance;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CaptureLog log;
    if (!c.loads && c.text[0] != '\0') {
      log.expect("...attempt to instance an invalid ui type: \"uiNonVisu\"\f");
      log.expect("...failed to alloc widget: main of type uiNonVisu\f");
    }
    Tree root = load(dir.write("nul.ui", c.text));
    ASSERT_EQ(root != nullptr, c.loads);
    if (root) {
      EXPECT_EQ(root->x, c.x);
      EXPECT_EQ(root->y, c.y);
    }
  }
  CaptureLog log;
  Tree target(uiWidget::allocWidget("target", "uiNonVisualWidget"));
  target->applyScriptlet(dir.write("nul.scr", "x = 3\n\0y = 4\n"s).c_str());
  EXPECT_EQ(target->x, 3);
  EXPECT_EQ(target->y, 0);
}

// Files written with CRLF line ends and tabs (an include and a scriptlet named at the end of their
// lines among them) build the same tree as the same files written with LF and spaces.
TEST(LoaderRobustness, CrlfAndTabsReadLikeLfAndSpaces) {
  auto crlfAndTabs = [](std::string text) {
    std::string converted;
    for (char c : text) {
      if (c == '\n')
        converted += "\r\n";
      else if (c == ' ')
        converted += '\t';
      else
        converted += c;
    }
    return converted;
  };
  auto describe = [](const uiWidget* widget, auto& self) -> std::string {
    std::string text = std::string(widget->name) + " " + std::to_string(widget->x) + "," +
                       std::to_string(widget->y) + "," + std::to_string(widget->x2) + "," +
                       std::to_string(widget->y2) + " d" + std::to_string(widget->depth) +
                       " f" + std::to_string(widget->getWidgetFlags()) + " (";
    for (const _WidgetList_s* node = widget->getChildren(); node; node = node->next)
      text += self(node->widget, self) + " ";
    return text + ")";
  };
  TempDir dir;
  MemoryBalance balance;
  std::string trees[2];
  for (int converted = 0; converted < 2; ++converted) {
    SCOPED_TRACE(converted);
    auto write = [&](const std::string& name, const std::string& text) {
      return dir.write(name, converted ? crlfAndTabs(text) : text);
    };
    std::string common = write("common.scr", "y = 4\nchild shadow = uiNonVisualWidget\n{\n x2 = 2\n}\n");
    std::string button = write("button.ui", "ok = uiInputHandler\n{\n  width = 30\n  #scriptlet " +
                                                common + "\n}\n");
    std::string main = write(
        "main.ui", "main  =  uiNonVisualWidget\n{\n  /* a comment\n  x = 99\n  */\n  x = 10\n"
                   "  depth = 5\n  flags = WF_VISIBLE | WF_ACTIVE\n  child #" + button +
                   "\n  child panel = uiNonVisualWidget\n  {\n    height = 20\n  }\n}\n");
    CaptureLog log;
    Tree root = load(main);
    ASSERT_TRUE(root);
    trees[converted] = describe(root.get(), describe);
    uiWidget::s_freeScripletCache();
  }
  EXPECT_EQ(trees[0], "main 10,0,0,0 d5 f3 (panel 0,0,0,20 d0 f0 () ok 0,4,30,0 d0 f0 "
                      "(shadow 0,0,2,0 d0 f0 () ) )");
  EXPECT_EQ(trees[1], trees[0]);
}

// A rich menu cut short at each line end, just before it and just after it, loads what it holds
// and frees it again.
TEST(LoaderRobustness, FilesCutShortLoadWhatTheyHold) {
  WorkingDirectory data(UI_TEST_DATA);
  RecordingGfx gfx;
  gfx.defineSprite("menu_sprite", 64, 32, 4, 4);
  gfx.defineFont("menu_font", 8, 12);
  const std::string menu = readFile("rich_menu.ui");
  ASSERT_GT(menu.size(), 1000u);
  MemoryBalance balance;
  for (size_t lineEnd = menu.find('\n'); lineEnd != std::string::npos;
       lineEnd = menu.find('\n', lineEnd + 1)) {
    for (size_t length : {lineEnd - 1, lineEnd, lineEnd + 1}) {
      SCOPED_TRACE(length);
      CaptureLog log;
      std::string text = menu.substr(0, length);
      Parser parser(text.data());
      Tree root(uiWidget::parseObjHeader(&parser, nullptr));
      if (root)
        root->initialize();
      log.clear();
    }
  }
}

// Positions at the ends of the int range, summed down the tree while it is drawn and hit, wrap
// around instead of overflowing.
TEST(LoaderRobustness, ExtremeCoordinatesWrapAround) {
  RecordingGfx gfx;
  gfx.defineSprite("s", 8, 8);
  uiSubsystem ui;
  CaptureLog log;
  std::string text = "main = uiNonVisualWidget\n{\n  x = 2147483647\n  y = -2147483648\n"
                     "  x2 = -5\n  flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS\n"
                     "  child b = uiButton\n  {\n    x = 100\n    y = -1\n    width = 10\n"
                     "    sprite = s\n    flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS\n  }\n"
                     "  child row = uiFlowLayout\n  {\n    Width = 2147483647\n"
                     "    flags = WF_VISIBLE | WF_ACTIVE\n"
                     "    child wide = uiSprite\n    {\n      x2 = 2147483647\n    }\n"
                     "    child wider = uiSprite\n    {\n      x = -2147483648\n"
                     "      x2 = 2147483647\n    }\n  }\n}\n";
  Parser parser(text.data());
  Tree root(uiWidget::parseObjHeader(&parser, nullptr));
  ASSERT_TRUE(root);
  root->initialize();
  ui.setTopLevelWidget(root.get());
  for (e_uiEvent event : {UIE_MOUSEMOVE, UIE_MOUSEDOWN, UIE_MOUSEUP}) {
    ui.inputEvent(event, -2147483549, 2147483647, 0);
    ui.render(16);
  }
  EXPECT_EQ(gfx.callsOf("blt").at(0),
            "blt depth=0 sprite=1 x=-2147483549 y=2147483647 anim=0 frame=0 alpha=255");
  ui.setTopLevelWidget(nullptr);
}

// Tile counts far beyond any screen draw at most MAX_TILES per row and per column, for a tiled
// sprite and for the mask of an animation.
TEST(LoaderRobustness, HugeTileCountsDrawAtMostTheLimit) {
  RecordingGfx gfx;
  gfx.defineSprite("tile", 1, 1);
  struct Case {
    std::string lines;
    size_t draws;
  };
  const Case cases[] = {
      {"main = uiVisualWidget\n{\n  sprite = tile\n  tilehorzcount = 2147483647\n"
       "  tilevertcount = 3\n}\n", 3 * uiVisualWidget::MAX_TILES},
      {"main = uiAnimWidget\n{\n  AnimIn style = SpriteMask\n  AnimIn Time = 100\n"
       "  AnimIn AlphaStart = 255\n  AnimIn sprite = tile\n  AnimIn SpriteVertCount = 2\n"
       "  AnimIn SpriteHorzCount = 100000\n}\n", 2 * uiVisualWidget::MAX_TILES},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    CaptureLog log;
    std::string text = c.lines;
    Parser parser(text.data());
    Tree root(uiWidget::parseObjHeader(&parser, nullptr));
    ASSERT_TRUE(root);
    root->initialize();
    root->setWidgetStates(true, true, false, false);
    if (root->isType("uiAnimWidget"))
      static_cast<uiAnimWidget*>(root.get())->enter();
    gfx.clearCalls();
    uiWidget::s_iDeltaTime = 10;
    root->update(0, 0);
    root->render(0, 0);
    EXPECT_EQ(gfx.callsOf("blt").size(), c.draws);
  }
}

// Global input focus entries that lead back to their widget (itself, its parent, or a sibling that
// lists it in turn) end the routing of an event instead of recursing without end; each widget is
// offered the event at most twice.
TEST(LoaderRobustness, GlobalFocusLoopsEndTheRouting) {
  struct Case {
    const char* lines;
    int offers[2];  // how often a and b heard the press
  };
  const Case cases[] = {
      {"child a = uiInputHandler\n{\n  globalinputfocus = main.a\n}\n", {2, 0}},
      {"child a = uiInputHandler\n{\n  globalinputfocus = main\n}\n", {2, 0}},
      {"child a = uiInputHandler\n{\n  globalinputfocus = main.b\n}\n"
       "child b = uiInputHandler\n{\n  globalinputfocus = main.a\n}\n", {2, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    CaptureLog log;
    std::string text = std::string("main = uiInputHandler\n{\n  width = 10\n  height = 10\n") +
                       c.lines + "}\n";
    Parser parser(text.data());
    Tree root(uiWidget::parseObjHeader(&parser, nullptr));
    ASSERT_TRUE(root);
    root->initialize();
    int offers[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
      uiWidget* widget = root->getWidget(i == 0 ? "main.a" : "main.b", 1);
      if (!widget)
        continue;
      widget->setWidgetFlags(WF_INPUT_FOCUS);
      widget->setWidth(10);
      widget->setHeight(10);
      widget->boundsCb = [](uiWidget*, void* client, int, int) {
        ++*static_cast<int*>(client);
        return false;
      };
      widget->cbClient = &offers[i];
    }
    root->setWidgetFlags(WF_INPUT_FOCUS);
    for (int event = 0; event < 2; ++event)
      EXPECT_FALSE(root->inputEvent(UIE_MOUSEDOWN, 5, 5, 0, false, false));
    EXPECT_EQ(offers[0], 2 * c.offers[0]);
    EXPECT_EQ(offers[1], 2 * c.offers[1]);
  }
}

// An include that comes back through a scriptlet, and includes that name no file, end in reports.
TEST(LoaderRobustness, IncludesThatLoopOrNameNoFileAreReported) {
  TempDir dir;
  const std::string loop = dir.path("loop.ui");
  const std::string scriptlet = dir.write("back.scr", "child #" + loop + "\n");
  dir.write("loop.ui", "loop = uiNonVisualWidget\n{\n  #scriptlet " + scriptlet + "\n}\n");
  MemoryBalance balance;
  {
    CaptureLog log;
    log.expect("...include nesting deeper than 32: \"^C00FF00" + loop + "^c\"\f");
    log.expect("...failed to create child for: loop\f");
    Tree root = load(loop);
    ASSERT_TRUE(root);
    EXPECT_EQ(subtreeSize(root.get()), 32);
  }
  const std::string folder = fs::temp_directory_path().string();
  for (const std::string& missing : {folder, std::string()}) {
    SCOPED_TRACE(missing);
    CaptureLog log;
    log.expect("uiSubsystem: could not open file: \"^C00FF00" + missing + "^c\"\f");
    log.expect("...failed to create child for: main\f");
    Tree root = load(dir.write("missing.ui", block("child #" + missing + "\n")));
    ASSERT_TRUE(root);
    EXPECT_EQ(root->getChildren(), nullptr);
  }
}
