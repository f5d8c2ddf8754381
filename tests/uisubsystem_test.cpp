#include "uisubsystem.h"

#include "uianimdialog.h"
#include "uidigitalbanner.h"
#include "uiprogressbar.h"

#include "tempdir.h"
#include "testmemory.h"
#include "widgettest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_events;

// A 100 x 100 container that writes every event it sees into g_events, with
// the modifier keys (ctrl, shift, alt) as the UI manager reports them while the event is handled.
class Probe : public uiNonVisualWidget {
public:
  explicit Probe(const char* probeName, int left = 0, int top = 0) {
    uiCopyName(name, probeName, sizeof name);
    x = left, y = top, x2 = left + 100, y2 = top + 100;
    flags = WF_ACTIVE | WF_VISIBLE | WF_INPUT_FOCUS;
  }

protected:
  bool _inputEvent(e_uiEvent event, int ex, int ey, int key, bool held, bool) override {
    g_events.push_back(std::string(name) + " event " + std::to_string(event) + " (" +
                       std::to_string(ex) + "," + std::to_string(ey) + ") key " +
                       std::to_string(key) + " held " + std::to_string(held) + " mods " +
                       std::to_string(g_ui->ctrlKeyDown()) + std::to_string(g_ui->shiftKeyDown()) +
                       std::to_string(g_ui->altKeyDown()));
    return false;
  }
};

// The log, the UI manager and an empty event record for one test.
struct Stage {
  Stage() { g_events.clear(); }
  CaptureLog log;
  uiSubsystem ui;
};

}  // namespace

TEST(uiSubsystem, MissingLockStopsTheProgram) {
  EXPECT_DEATH(
      {
        FailingMemory memory(1);
        uiSubsystem ui;
      },
      "Out of Memory creating the lock");
}

// Modifiers change before the event is dispatched; key events carry the stored mouse position.
TEST(uiSubsystem, EventsReachTheFocusWidgetInItsOwnFrameAndKeysUseTheStoredMouse) {
  Stage stage;
  uiSubsystem& ui = stage.ui;
  // top at (0, 0) > panel at (100, 50) > field at (10, 10): field's frame starts at (100, 50).
  Probe top("top");
  Probe* panel = new Probe("panel", 100, 50);
  Probe* field = new Probe("field", 10, 10);
  top.addChild(panel, false);
  panel->addChild(field, false);
  ui.setTopLevelWidget(&top);
  struct Case { uiWidget* focus; e_uiEvent event; int x, y, key; std::string first; } cases[] = {
      {nullptr, UIE_MOUSEMOVE, 130, 75, 7, "top event 0 (130,75) key 7 held 0 mods 000"},
      {nullptr, UIE_KEYDOWN, 500, 500, UIK_CTRL, "top event 3 (130,75) key 137 held 0 mods 100"},
      {field, UIE_MOUSEDOWN, 120, 70, 7, "field event 1 (20,20) key 7 held 0 mods 100"},
      {field, UIE_CHAR, 500, 500, UIK_ALT, "field event 5 (30,25) key 136 held 1 mods 100"},
      {field, UIE_MOUSEUP, 101, 51, 7, "field event 2 (1,1) key 7 held 1 mods 100"},
      {field, UIE_KEYUP, 0, 0, UIK_CTRL, "field event 4 (30,25) key 137 held 0 mods 000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.first);
    ui.setInputFocusWidget(c.focus);
    g_events.clear();
    ui.inputEvent(c.event, c.x, c.y, c.key);
    ASSERT_FALSE(g_events.empty());
    EXPECT_EQ(g_events[0], c.first);
  }
}

// Naming the overlay's font again gives back the one it held; a font that cannot be made leaves
// no overlay.
TEST(uiSubsystem, OverlayFontIsReleasedWhenAnotherIsNamed) {
  Stage stage;
  RecordingGfx gfx;
  gfx.defineFont("stats.fnt", 8, 16);
  stage.ui.gfxStatistics(true, "stats.fnt");
  stage.ui.gfxStatistics(true, "stats.fnt");
  EXPECT_EQ(gfx.fontUses("stats.fnt"), 1);
  stage.ui.gfxStatistics(true, "missing.fnt");
  EXPECT_EQ(gfx.fontUses("stats.fnt"), 0);
  EXPECT_EQ(stage.ui.statsFont, -1);
}

// An animated dialog holding one widget of every drawing type, each with the sprite, font or
// particle system it needs. It animates in and out; the bar glides, the sprite and the buttons
// animate and the banner plays a message to its end while the frames are counted.
const char* const kEveryDrawingType =
    "menu = uiAnimDialog\n{\nwidth = 640\nheight = 480\n"
    "AnimIn style = SpriteMask\nAnimIn Time = 100\nAnimIn sprite = frame\n"
    "AnimOut style = AlphaFadeWithBezierLerp\nAnimOut Time = 100\n"
    "child window = uiVisualWidget\n{\nsprite = frame\n}\n"
    "child title = uiTextWidget\n{\nfont = small\ntext = Options\n}\n"
    "child icon = uiSprite\n{\nsprite = icon\nrate = 16\nloop = true\nanimate = true\n}\n"
    "child volume = uiProgressBar\n{\nsprite = bar\nsmooth = true\n}\n"
    "child plus = uiButton\n{\nx = 70\ny = 40\nrate = 16\nsprite = button\n"
    "flags = UIB_HOVER | UIB_PRESSED\n}\n"
    "child mute = uiToggleButton\n{\nsprite = button\n}\n"
    "child modes = uiRadioGroup\n{\nchild easy = uiRadioButton\n{\nsprite = button\n}\n}\n"
    "child gamma = uiSliderButton\n{\nsprite = button\nminx = 160\nmaxx = 260\n}\n"
    "child player = uiEntryWidget\n{\nfont = small\ncursor = cursor\n}\n"
    "child sparks = uiParticleSystem\n{\nfile = sparks\n}\n"
    "child ticker = uiDigitalBanner\n{\nwidth = 400\nfont = small\n}\n"
    "SubAnimCount = 1\nSubAnimIn 0 widget = menu.icon\nSubAnimIn 0 style = BezierLerp\n"
    "SubAnimIn 0 Time = 100\n}\n";

TEST(uiSubsystem, FramesAndInputOverEveryDrawingTypeCallNoAllocator) {
  WidgetStage stage;
  uiSubsystem& ui = stage.ui;
  RecordingGfx& gfx = stage.gfx;
  for (const char* sprite : {"frame", "icon", "bar", "button", "cursor"})
    gfx.defineSprite(sprite, 16, 16, 4, 4, 4, 4);
  gfx.defineFont("small", 8, 12);
  gfx.defineParticleSystem("sparks");
  TempDir dir;
  Tree root(ui.loadUI(dir.write("every.ui", kEveryDrawingType).c_str()));
  ASSERT_TRUE(root);
  auto* menu = static_cast<uiAnimDialog*>(root.get());
  ui.setTopLevelWidget(menu);
  ui.gfxStatistics(true, "small");
  static_cast<uiProgressBar*>(menu->getWidget("menu.volume", 0))->setValue(80, false);
  static_cast<uiDigitalBanner*>(menu->getWidget("menu.ticker", 0))
      ->print(0u, "%s", "^P|LEFT;0;48|GO;48|FLASH;2;0;48|^p");
  ui.render(16);  // a first frame may settle anything made lazily
  gfx.clearCalls();
  CountingMemory memory;
  GlobalNewCounter news;
  ui.pushDialog(menu, true);
  for (int frame = 0; frame < 12; ++frame) {
    ui.render(16);
    ui.update(16);
  }
  for (e_uiEvent event : {UIE_MOUSEMOVE, UIE_MOUSEDOWN, UIE_MOUSEUP})
    ui.inputEvent(event, 75, 45, 0);  // over the button
  ui.inputEvent(UIE_KEYDOWN, 0, 0, UIK_CTRL);
  ui.inputEvent(UIE_CHAR, 0, 0, 'a');
  ui.popDialog(menu, true);
  for (int frame = 0; frame < 12; ++frame)
    ui.render(16);
  EXPECT_EQ(memory.allocCalls() + memory.freeCalls() + news.calls(), 0);
  EXPECT_EQ(ui.topDialog(), nullptr);
  // Every widget drew: the sprites, a bar's part of a frame, text, the banner and the particles.
  std::string calls;
  for (const std::string& call : gfx.calls)
    calls += call + "\n";
  for (const char* drawing : {"sprite=1 ", "sprite=2 ", "sprite=3 x=0 y=0 width=", "sprite=4 ",
                              "sprite=5 ", "printw depth=0", "print depth=0", "psemit depth=0"})
    EXPECT_NE(calls.find(drawing), std::string::npos) << drawing;
}
