#include "uisubsystem.h"

#include "uidigitalbanner.h"
#include "uiprogressbar.h"

#include "capturelog.h"
#include "recordinggfx.h"
#include "tempdir.h"
#include "testmemory.h"

#include "core.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_events;

std::string format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* format, ...) {
  char text[256];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

// A container that writes every frame hook and every event it sees into g_events, with the
// modifier keys as the UI manager reports them while the event is handled.
class Probe : public uiNonVisualWidget {
public:
  explicit Probe(const char* probeName, int left = 0, int top = 0) {
    uiCopyName(name, probeName, sizeof name);
    x = left;
    y = top;
    x2 = left + 100;
    y2 = top + 100;
    flags = WF_ACTIVE | WF_VISIBLE | WF_INPUT_FOCUS;
  }

protected:
  void _update(int, int) override { g_events.push_back(format("%s update", name)); }
  void _render(int, int) override { g_events.push_back(format("%s render", name)); }
  bool _inputEvent(e_uiEvent event, int ex, int ey, int key, bool held, bool) override {
    g_events.push_back(format("%s event %d (%d,%d) key %d held %d ctrl %d shift %d alt %d", name,
                              event, ex, ey, key, held, g_ui->ctrlKeyDown(),
                              g_ui->shiftKeyDown(), g_ui->altKeyDown()));
    return false;
  }
  void _showWidget() override { g_events.push_back(format("%s shown", name)); }
  void _hideWidget() override { g_events.push_back(format("%s hidden", name)); }
};

int focusDepth(const uiSubsystem& ui) {
  int depth = 0;
  for (const uiSubsystem::FocusNode* node = ui.focusStack; node; node = node->next)
    ++depth;
  return depth;
}

// The log, the UI manager and an empty event record for one test.
struct Stage {
  Stage() { g_events.clear(); }
  CaptureLog log;
  uiSubsystem ui;
};

}  // namespace

TEST(uiSubsystem, ConstructionPublishesItselfWithDefaultsAndDestructionFreesAll) {
  size_t locksBefore = g_MemoryPtr->liveCount(0);
  size_t nodesBefore = g_MemoryPtr->liveCount(9);
  {
    uiSubsystem ui;
    EXPECT_EQ(g_ui, &ui);
    EXPECT_EQ(g_MemoryPtr->liveCount(0), locksBefore + 1) << "the lock";
    EXPECT_EQ(ui.initialize(nullptr), 1);
    ui.forceTerminate();
    EXPECT_TRUE(uiWidget::s_terminate);
    EXPECT_EQ(ui.initialize(nullptr), 1);
    EXPECT_FALSE(uiWidget::s_terminate);
    for (int i = 0; i < 40; ++i)
      ui.pushInputFocusWidget(nullptr);
  }
  EXPECT_EQ(g_ui, nullptr);
  EXPECT_EQ(g_MemoryPtr->liveCount(0), locksBefore);
  EXPECT_EQ(g_MemoryPtr->liveCount(9), nodesBefore);
}

TEST(uiSubsystem, MissingLockStopsTheProgram) {
  EXPECT_DEATH(
      {
        FailingMemory memory(1);
        uiSubsystem ui;
      },
      "Out of Memory creating the lock");
}

TEST(uiSubsystem, FrameStaticsFollowTheElapsedTime) {
  Stage stage;
  uiSubsystem& ui = stage.ui;
  struct Case {
    unsigned int ms;
    float seconds;
  } cases[] = {{0, 0.0f}, {16, 0.016f}, {1000, 1.0f}, {UINT_MAX, 4294967.295f}};
  for (const Case& c : cases) {
    for (bool drawn : {false, true}) {
      SCOPED_TRACE(format("%u ms, drawn %d", c.ms, drawn));
      unsigned long long frame = uiWidget::s_frameNumber;
      EXPECT_EQ(drawn ? ui.render(c.ms) : ui.update(c.ms), 1);
      EXPECT_EQ(uiWidget::s_iDeltaTime, c.ms);
      EXPECT_FLOAT_EQ(uiWidget::s_fDeltaTime, c.seconds);
      EXPECT_GT(uiWidget::s_fDeltaTime, -0.5f);
      EXPECT_EQ(uiWidget::s_frameNumber, frame + 1);
    }
  }
}

TEST(uiSubsystem, ActiveAndVisibleSubtreesReplaceTheTopLevelWidgetIndependently) {
  Stage stage;
  uiSubsystem& ui = stage.ui;
  Probe top("top"), active("active"), visible("visible");
  ui.setTopLevelWidget(&top);
  struct Case {
    uiWidget* active;
    uiWidget* visible;
    std::vector<std::string> events;
  } cases[] = {
      {nullptr, nullptr, {"top update", "top render"}},
      {&active, nullptr, {"active update", "top render"}},
      {nullptr, &visible, {"top update", "visible render"}},
      {&active, &visible, {"active update", "visible render"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(format("active %s, visible %s", c.active ? "set" : "null",
                        c.visible ? "set" : "null"));
    ui.setActiveWidget(c.active);
    ui.setVisibleWidget(c.visible);
    g_events.clear();
    ui.render(10);
    EXPECT_EQ(g_events, c.events);
    g_events.clear();
    ui.update(10);
    EXPECT_EQ(g_events, std::vector<std::string>{c.events[0]});
  }
}

TEST(uiSubsystem, EventsReachTheFocusWidgetInItsOwnFrameAndKeysUseTheStoredMouse) {
  Stage stage;
  uiSubsystem& ui = stage.ui;
  // top at (0, 0) > panel at (100, 50) > field at (10, 10): field's frame starts at (100, 50).
  Probe* top = new Probe("top");
  Probe* panel = new Probe("panel", 100, 50);
  Probe* field = new Probe("field", 10, 10);
  top->addChild(panel, false);
  panel->addChild(field, false);
  ui.setTopLevelWidget(top);
  struct Case {
    uiWidget* focus;
    e_uiEvent event;
    int x, y;
    std::string first;
  } cases[] = {
      {nullptr, UIE_MOUSEMOVE, 130, 75, "top event 0 (130,75) key 7 held 0 ctrl 0 shift 0 alt 0"},
      {nullptr, UIE_KEYDOWN, 500, 500, "top event 3 (130,75) key 7 held 0 ctrl 0 shift 0 alt 0"},
      {field, UIE_MOUSEDOWN, 120, 70, "field event 1 (20,20) key 7 held 0 ctrl 0 shift 0 alt 0"},
      {field, UIE_CHAR, 500, 500, "field event 5 (30,25) key 7 held 1 ctrl 0 shift 0 alt 0"},
      {field, UIE_OTHERKEY, -1, -1, "field event 6 (30,25) key 7 held 1 ctrl 0 shift 0 alt 0"},
      {field, UIE_MOUSEUP, 101, 51, "field event 2 (1,1) key 7 held 1 ctrl 0 shift 0 alt 0"},
      {field, UIE_KEYUP, 0, 0, "field event 4 (30,25) key 7 held 0 ctrl 0 shift 0 alt 0"},
      {nullptr, static_cast<e_uiEvent>(42), 3, 4,
       "top event 42 (3,4) key 7 held 0 ctrl 0 shift 0 alt 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.first);
    ui.setInputFocusWidget(c.focus);
    g_events.clear();
    ui.inputEvent(c.event, c.x, c.y, 7);
    ASSERT_FALSE(g_events.empty());
    EXPECT_EQ(g_events[0], c.first);
  }
  EXPECT_EQ(ui.getMousePositionX(), 130);
  EXPECT_EQ(ui.getMousePositionY(), 75);
  delete top;
}

TEST(uiSubsystem, ModifierKeysChangeBeforeTheEventIsDispatched) {
  Stage stage;
  uiSubsystem& ui = stage.ui;
  Probe top("top");
  ui.setTopLevelWidget(&top);
  struct Case {
    e_uiEvent event;
    int key;
    const char* seen;
  } cases[] = {
      {UIE_KEYDOWN, UIK_CTRL, "ctrl 1 shift 0 alt 0"},
      {UIE_KEYDOWN, UIK_ALT, "ctrl 1 shift 0 alt 1"},
      {UIE_CHAR, UIK_SHIFT, "ctrl 1 shift 0 alt 1"},
      {UIE_KEYDOWN, UIK_SHIFT, "ctrl 1 shift 1 alt 1"},
      {UIE_KEYUP, UIK_CTRL, "ctrl 0 shift 1 alt 1"},
      {UIE_OTHERKEY, UIK_ALT, "ctrl 0 shift 1 alt 1"},
      {UIE_KEYUP, UIK_ALT, "ctrl 0 shift 1 alt 0"},
      {UIE_KEYUP, UIK_SHIFT, "ctrl 0 shift 0 alt 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(format("event %d key %d", c.event, c.key));
    g_events.clear();
    ui.inputEvent(c.event, 0, 0, c.key);
    ASSERT_EQ(g_events.size(), 1u);
    EXPECT_NE(g_events[0].find(c.seen), std::string::npos) << g_events[0];
  }
  ui.inputEvent(UIE_KEYDOWN, 0, 0, UIK_CTRL);
  EXPECT_TRUE(ui.ctrlKeyDown());
  EXPECT_FALSE(ui.shiftKeyDown());
  EXPECT_FALSE(ui.altKeyDown());
}

TEST(uiSubsystem, FocusStackReplacesPushesAndKeepsNullEntries) {
  Stage stage;
  uiSubsystem& ui = stage.ui;
  Probe top("top"), first("first"), second("second");
  ui.setTopLevelWidget(&top);
  EXPECT_EQ(ui.getInputFocusWidget(), nullptr);
  ui.popInputFocusWidget();  // an empty stack is left alone
  ui.setInputFocusWidget(&first);
  ui.setInputFocusWidget(&second);
  EXPECT_EQ(focusDepth(ui), 1);
  EXPECT_EQ(ui.getInputFocusWidget(), &second);
  ui.popInputFocusWidget();
  EXPECT_EQ(focusDepth(ui), 0);

  ui.pushInputFocusWidget(&first);
  ui.pushInputFocusWidget(&first);
  EXPECT_EQ(focusDepth(ui), 2);
  ui.popInputFocusWidget();
  EXPECT_EQ(ui.getInputFocusWidget(), &first);
  ui.popInputFocusWidget();
  EXPECT_EQ(ui.getInputFocusWidget(), nullptr);

  ui.pushInputFocusWidget(&first);
  ui.setInputFocusWidget(nullptr);
  EXPECT_EQ(focusDepth(ui), 1);
  EXPECT_EQ(ui.getInputFocusWidget(), nullptr);
  ui.inputEvent(UIE_MOUSEMOVE, 5, 6, 0);
  EXPECT_EQ(g_events,
            std::vector<std::string>{"top event 0 (5,6) key 0 held 0 ctrl 0 shift 0 alt 0"});
}

TEST(uiSubsystem, CursorWidgetFollowsTheMouseInScreenCoordinates) {
  Stage stage;
  uiSubsystem& ui = stage.ui;
  Probe top("top");
  Probe* panel = new Probe("panel", 100, 50);
  top.addChild(panel, false);
  Probe arrow("arrow"), hand("hand");
  arrow.setVisible(false, false);
  hand.setVisible(false, false);
  ui.setTopLevelWidget(&top);

  ui.setCustomCursor(nullptr);
  EXPECT_TRUE(Platform::IsCursorShown());
  Platform::SetCursorPos(30, 40);
  ui.setCustomCursor(&arrow);
  EXPECT_EQ(arrow.x, 30);
  EXPECT_EQ(arrow.y, 40);
  EXPECT_EQ(arrow.x2, 100);  // the far edges stay
  EXPECT_FALSE(Platform::IsCursorShown());
  EXPECT_EQ(ui.getMousePositionX(), -50);

  g_events.clear();
  ui.setCustomCursor(&hand);
  EXPECT_EQ(g_events, (std::vector<std::string>{"arrow hidden", "hand shown"}));

  ui.pushInputFocusWidget(panel);
  ui.inputEvent(UIE_MOUSEMOVE, 150, 80, 0);
  EXPECT_EQ(hand.x, 150);
  EXPECT_EQ(hand.y, 80);
  ui.inputEvent(UIE_MOUSEDOWN, 300, 300, 0);
  EXPECT_EQ(hand.x, 150);

  ui.setCustomCursor(nullptr);
  EXPECT_FALSE(hand.getVisible());
  EXPECT_TRUE(Platform::IsCursorShown());
}

TEST(uiSubsystem, LoadUIInitialisesTheTreeAndPassesFailuresOn) {
  Stage stage;
  uiSubsystem& ui = stage.ui;
  stage.log.expect("uiSubsystem: could not open file: \"^C00FF00no_such_file.ui^c\"\f");
  EXPECT_EQ(ui.loadUI("no_such_file.ui"), nullptr);

  TempDir dir;
  uiWidget* menu = ui.loadUI(dir.write("load.ui", "menu = uiNonVisualWidget\n{\n"
                                                  " globalinputfocus = menu.ok\n"
                                                  " child ok = uiInputHandler\n {\n }\n}\n")
                                 .c_str());
  ASSERT_NE(menu, nullptr);
  ASSERT_NE(menu->globalFocusList, nullptr);
  EXPECT_EQ(menu->globalFocusList->widget, menu->getWidget("menu.ok", 0));
  EXPECT_EQ(ui.getTopLevelWidget(), nullptr);
  delete menu;
}

TEST(uiSubsystem, StatisticsOverlayDrawsEightLinesOverEverything) {
  Stage stage;
  uiSubsystem& ui = stage.ui;
  RecordingGfx gfx;
  gfx.defineFont("stats.fnt", 8, 16);
  gfx.stats = {59.9371f, 1, 2, 3, 4, 5, 6, 7};

  ui.gfxStatistics(true, nullptr);
  gfx.clearCalls();
  ui.render(16);
  EXPECT_TRUE(gfx.calls.empty()) << "no font, no overlay";

  ui.gfxStatistics(false, "stats.fnt");
  ASSERT_EQ(ui.statsFont, gfx.fontId("stats.fnt"));
  gfx.clearCalls();
  ui.render(16);
  EXPECT_EQ(gfx.calls, std::vector<std::string>{
                           "printw depth=100 font=1 set=0 justify=0 x=0 y=0 maxHeight=-1 "
                           "alpha=255 text=\" \""});

  ui.gfxStatistics(true, nullptr);
  gfx.clearCalls();
  ui.render(16);
  const char* lines[] = {"FPS:   59.94", "TMEM:  1", "CMEM:  2", "MXMEM: 3",
                         "BLT:   7",     "TEXT:  5", "PSYS:  6", "TOTAL: 4"};
  ASSERT_EQ(gfx.calls.size(), 8u);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(gfx.calls[i], format("printw depth=100 font=1 set=0 justify=0 x=0 y=%d "
                                   "maxHeight=-1 alpha=255 text=\"%s\"",
                                   16 * i, lines[i]));
  }
  EXPECT_TRUE(gfx.failures.empty());

  ui.gfxStatistics(true, "stats.fnt");
  EXPECT_EQ(gfx.fontUses("stats.fnt"), 1) << "naming the font again replaces it";

  ui.gfxStatistics(true, "missing.fnt");
  EXPECT_EQ(ui.statsFont, -1);
  EXPECT_EQ(gfx.fontUses("stats.fnt"), 0);
  gfx.clearCalls();
  ui.render(16);
  EXPECT_TRUE(gfx.calls.empty());
}

// A menu like the benchmarks' reference trees, holding one widget of every drawing type, each
// with the sprite, font or particle system it needs to draw. The bar glides, the sprite and the
// buttons animate and the banner plays a message while the frames are counted.
const char* const kEveryDrawingType = R"(menu = uiDialog
{
  width = 640
  height = 480
  flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS
  child window = uiVisualWidget
  {
    x = 20
    y = 20
    width = 440
    height = 320
    sprite = frame
    flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS
    child title = uiTextWidget
    {
      x = 16
      y = 8
      font = small
      text = Options
      flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS
    }
    child row = uiNonVisualWidget
    {
      x = 8
      y = 40
      width = 420
      height = 200
      flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS
      child icon = uiSprite
      {
        sprite = icon
        rate = 16
        loop = true
        animate = true
        flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS
      }
      child volume = uiProgressBar
      {
        x = 20
        width = 44
        height = 12
        sprite = bar
        smooth = true
        flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS
      }
      child plus = uiButton
      {
        x = 70
        width = 26
        height = 18
        rate = 16
        sprite = button
        flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS | UIB_HOVER | UIB_PRESSED
      }
      child mute = uiToggleButton
      {
        x = 100
        sprite = button
        flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS
      }
      child modes = uiRadioGroup
      {
        flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS
        child easy = uiRadioButton
        {
          x = 130
          value = 1
          sprite = button
          flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS
        }
      }
      child gamma = uiSliderButton
      {
        x = 160
        sprite = button
        flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS
        minx = 160
        maxx = 260
      }
      child player = uiEntryWidget
      {
        y = 40
        font = small
        cursor = cursor
        flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS
      }
      child sparks = uiParticleSystem
      {
        file = sparks
        flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS
      }
      child ticker = uiDigitalBanner
      {
        y = 80
        width = 400
        height = 16
        font = small
        flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS
      }
    }
  }
}
)";

TEST(uiSubsystem, FramesAndInputOverEveryDrawingTypeCallNoAllocator) {
  Stage stage;
  uiSubsystem& ui = stage.ui;
  RecordingGfx gfx;
  for (const char* sprite : {"frame", "icon", "bar", "button", "cursor"})
    gfx.defineSprite(sprite, 16, 16, 4, 4, 4, 4);
  gfx.defineFont("small", 8, 12);
  gfx.defineParticleSystem("sparks");
  std::string path = ::testing::TempDir() + "uisubsystem_frame.ui";
  FILE* file = fopen(path.c_str(), "w");
  ASSERT_NE(file, nullptr);
  fputs(kEveryDrawingType, file);
  fclose(file);
  uiWidget* root = ui.loadUI(path.c_str());
  remove(path.c_str());
  ASSERT_NE(root, nullptr);
  ui.setTopLevelWidget(root);
  ui.gfxStatistics(true, "small");
  static_cast<uiProgressBar*>(root->getWidget("menu.window.row.volume", 0))->setValue(80, false);
  static_cast<uiDigitalBanner*>(root->getWidget("menu.window.row.ticker", 0))
      ->print(0u, "%s", "^P|LEFT;0;48|GO;48|FLASH;2;0;48|^p");
  ui.render(16);  // a first frame may settle anything made lazily
  gfx.clearCalls();

  CountingMemory memory;
  GlobalNewCounter news;
  for (int frame = 0; frame < 12; ++frame) {
    ui.render(16);
    ui.update(16);
  }
  ui.inputEvent(UIE_MOUSEMOVE, 100, 62, 0);  // over the button
  ui.inputEvent(UIE_MOUSEDOWN, 100, 62, 0);
  ui.inputEvent(UIE_MOUSEUP, 100, 62, 0);
  ui.inputEvent(UIE_MOUSEMOVE, 400, 400, 0);
  ui.inputEvent(UIE_KEYDOWN, 0, 0, UIK_CTRL);
  ui.inputEvent(UIE_CHAR, 0, 0, 'a');
  ui.render(16);
  EXPECT_EQ(memory.allocCalls(), 0);
  EXPECT_EQ(memory.freeCalls(), 0);
  EXPECT_EQ(news.calls(), 0);

  // Every widget drew: its sprite, a bar's part of a frame, text, the banner and the particles.
  for (const char* drawing : {"blt depth=0 sprite=1 ", "blt depth=0 sprite=2 ", "height=12 anim",
                              "blt depth=0 sprite=4 ", "printw depth=0 font=1 set=0 justify=0 x=36",
                              "printw depth=0 font=1 set=0 justify=0 x=28 y=100",
                              "print depth=0 font=1", "psemit depth=0"}) {
    SCOPED_TRACE(drawing);
    bool drawn = false;
    for (const std::string& call : gfx.calls)
      drawn = drawn || call.find(drawing) != std::string::npos;
    EXPECT_TRUE(drawn);
  }
  EXPECT_TRUE(gfx.failures.empty());
  delete root;
}
