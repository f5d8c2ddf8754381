#include "uientrywidget.h"

#include "widgettest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// An entry field drawn with "mono" (8 x 12, the letters A to F, E acute and sharp s), taking input.
struct Field {
  RecordingGfx gfx;
  uiEntryWidget entry;

  explicit Field(const std::string& keys = "") {
    gfx.defineFont("mono", 8, 12, U"ABCDEF\u00C9\u00DF");
    gfx.defineSprite("caret", 6, 12, 3);
    uiCopyName(entry.name, "field", sizeof entry.name);
    entry.setWidgetStates(true, true, true, false);
    applyKeys(entry, "font = mono\n" + keys);
  }

  bool type(int key) { return entry.inputEvent(UIE_CHAR, 0, 0, key, false, false); }
  bool keyDown(int key) { return entry.inputEvent(UIE_KEYDOWN, 0, 0, key, false, false); }
};

struct KeyRecord {
  std::vector<int> keys;
  bool result = true;
};

bool recordKey(uiWidget*, void* client, int key) {
  auto* record = static_cast<KeyRecord*>(client);
  record->keys.push_back(key);
  return record->result;
}

}  // namespace

TEST(uiEntryWidget, TypingUpperCasesRefusesAndStopsAtEntryWidth) {
  Field field("entrywidth = 4\n");
  struct Step {
    int key;
    bool handled;
    std::u32string text;
  } steps[] = {
      {'a', true, U"A"},
      {7, false, U"A"},
      {13, false, U"A"},
      {'\\', false, U"A"},
      {0x10A, false, U"A"},  // judged by its low byte, 10
      {'q', false, U"A"},    // not in the font
      {0xE9, true, U"A\u00C9"},
      {0x10062, true, U"A\u00C9B"},  // only the low 16 bits are typed
      {'c', true, U"A\u00C9BC"},
      {'d', false, U"A\u00C9BC"},  // full
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.key);
    EXPECT_EQ(field.type(step.key), step.handled);
    EXPECT_EQ(textOf(field.entry), step.text);
  }
  EXPECT_EQ(field.entry.getLength(), 4);
}

TEST(uiEntryWidget, EraseAndEnterEditAndAccept) {
  Field field;
  KeyRecord heard;
  _WidgetMap_s callbacks {};
  callbacks.keyDownCb = recordKey;
  field.entry.assignCallbacks(&callbacks, &heard);

  EXPECT_TRUE(field.keyDown(UIK_ERASE)) << "erase on an empty field is still handled";
  EXPECT_TRUE(field.type('a'));
  EXPECT_TRUE(field.type('b'));
  EXPECT_TRUE(field.keyDown(UIK_ERASE));
  EXPECT_EQ(textOf(field.entry), U"A");
  EXPECT_EQ(field.entry.getLength(), 1);
  EXPECT_FALSE(field.keyDown('x')) << "other keys are neither handled nor passed on";
  EXPECT_TRUE(heard.keys.empty());
  EXPECT_FALSE(field.entry.inputEvent(UIE_CHAR, 0, 0, 'c', false, true));
  EXPECT_FALSE(field.entry.inputEvent(UIE_MOUSEDOWN, 0, 0, 0, false, false));

  EXPECT_TRUE(field.keyDown(UIK_ENTER));
  EXPECT_TRUE(field.entry.isAccepted());
  EXPECT_EQ(heard.keys, std::vector<int> {UIK_ENTER});
  EXPECT_FALSE(field.type('c'));
  EXPECT_FALSE(field.keyDown(UIK_ERASE));
  EXPECT_EQ(textOf(field.entry), U"A");

  field.entry.reset();
  EXPECT_FALSE(field.entry.isAccepted());
  EXPECT_EQ(textOf(field.entry), U"");
  EXPECT_TRUE(field.type('d'));
  EXPECT_EQ(textOf(field.entry), U"D");

  field.entry.acceptonenter = false;
  heard.result = false;
  EXPECT_FALSE(field.keyDown(UIK_ENTER2));
  EXPECT_FALSE(field.entry.isAccepted());
  EXPECT_EQ(heard.keys, (std::vector<int> {UIK_ENTER, UIK_ENTER2}));
}

TEST(uiEntryWidget, TextIsCutToEntryWidth) {
  struct Case {
    std::string keys;
    std::string message;  // for an entrywidth outside 0..127
    size_t kept;
  } cases[] = {
      {"entrywidth = 10\n", "", 10},
      {"entrywidth = 0\n", "", 0},
      {"entrywidth = 200\n", "...[field:2] entrywidth ^C00FF00200^c outside 0..127, using 127\f",
       127},
      {"entrywidth = -5\n", "...[field:2] entrywidth ^C00FF00-5^c outside 0..127, using 0\f", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    CaptureLog log;
    if (!c.message.empty())
      log.expect(c.message);
    Field field(c.keys);
    field.entry.print(0, "%s", std::string(200, 'A').c_str());
    EXPECT_EQ(textOf(field.entry), std::u32string(c.kept, U'A'));
    EXPECT_EQ(field.entry.getLength(), static_cast<int>(c.kept));
    EXPECT_FALSE(field.type('b')) << "a full field takes no more";
  }

  // A width written by the game beyond the text is held to it as well.
  Field field;
  field.entry.entrywidth = 1000;
  for (int i = 0; i < 130; ++i)
    field.type('a');
  EXPECT_EQ(field.entry.getLength(), 127);
  EXPECT_EQ(field.entry.getText()[127], 0u);

  Field keyed("entrywidth = 3\ntext = abcdef\n");
  EXPECT_EQ(textOf(keyed.entry), U"abc");
  EXPECT_EQ(keyed.entry.getLength(), 3);
}

TEST(uiEntryWidget, CursorBlinksAtCursorRate) {
  Field field("cursor = caret\ncursorrate = 500\n");
  uiWidget::s_iDeltaTime = 100;
  std::vector<std::string> frames;
  for (int i = 0; i < 19; ++i) {
    field.gfx.clearCalls();
    field.entry.render(0, 0);
    std::vector<std::string> blts = field.gfx.callsOf("blt");
    ASSERT_EQ(blts.size(), 1u);
    frames.push_back(blts[0].substr(blts[0].find("frame=") + 6, 1));
  }
  EXPECT_EQ(frames, (std::vector<std::string> {"0", "0", "0", "0", "0", "1", "1", "1", "1", "1",
                                               "1", "2", "2", "2", "2", "2", "2", "0", "0"}));

  for (int i = 0; i < 5; ++i)
    field.entry.render(0, 0);
  EXPECT_NE(field.gfx.callsOf("blt").back().find("frame=1"), std::string::npos);
  field.entry.setInputFocus(false, false);
  field.entry.setInputFocus(true, false);
  field.gfx.clearCalls();
  field.entry.render(0, 0);
  EXPECT_NE(field.gfx.callsOf("blt").at(0).find("frame=0"), std::string::npos)
      << "gaining focus restarts the blink";
  uiWidget::s_iDeltaTime = 0;
}

TEST(uiEntryWidget, CursorPlacementFollowsJustification) {
  struct Case {
    const char* what;
    std::string keys;
    std::string text;
    bool focus;
    std::string cursor;  // the blt line, empty when no cursor is drawn
  } cases[] = {
      {"left", "", "AB", true, "x=136"},
      {"centre", "justify = CENTER\n", "AB", true, "x=128"},
      {"empty centre", "justify = CENTER\n", "", true, "x=117"},
      {"right", "justify = RIGHT\n", "AB", true, ""},
      {"left with padding", "padding = 2\n", "AB", true, "x=140"},
      {"centre with padding", "justify = CENTER\npadding = 2\n", "AB", true, "x=130"},
      {"no input focus", "", "AB", false, ""},
      {"full with endhidecursor", "entrywidth = 2\nendhidecursor = true\n", "AB", true, ""},
      {"full without endhidecursor", "entrywidth = 2\n", "AB", true, "x=136"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Field field("x = 20\ny = 30\ncursor = caret\n" + c.keys);
    field.entry.setAlpha(90, 0, 0, false);
    field.entry.print(0, "%s", c.text.c_str());
    field.entry.setInputFocus(c.focus, false);
    field.gfx.clearCalls();
    field.entry.render(100, 200);
    std::vector<std::string> blts = field.gfx.callsOf("blt");
    if (c.cursor.empty()) {
      EXPECT_TRUE(blts.empty());
    } else {
      EXPECT_EQ(blts, std::vector<std::string> {"blt depth=0 sprite=1 " + c.cursor +
                                                " y=230 anim=0 frame=0 alpha=255"});
    }
    if (!c.text.empty()) {
      EXPECT_FALSE(field.gfx.callsOf("printw").empty()) << "the text is drawn after the cursor";
    }
  }
}

TEST(uiEntryWidget, EntryRectangleIsTheHitAreaAndSize) {
  struct Case {
    std::string justify;
    int left, right;
  } cases[] = {
      {"LEFT", 50, 80},
      {"RIGHT", 20, 50},
      {"CENTER", 35, 65},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.justify);
    Field field("x = 50\ny = 40\njustify = " + c.justify + "\nentryrectx = 30\nentryrecty = 10\n" +
                "x = 0\n");
    EXPECT_EQ(field.entry.getWidth(), 30);
    EXPECT_EQ(field.entry.getHeight(), 10);
    EXPECT_TRUE(field.entry.testBounds(c.left, 40));
    EXPECT_TRUE(field.entry.testBounds(c.right - 1, 49));
    EXPECT_FALSE(field.entry.testBounds(c.left - 1, 40));
    EXPECT_FALSE(field.entry.testBounds(c.right, 40));
    EXPECT_FALSE(field.entry.testBounds(c.left, 50));
  }
}

TEST(uiEntryWidget, BadKeyLinesAreReported) {
  struct Case {
    std::string line;
    std::string message;
  } cases[] = {
      {"entrywidth = many", "...expected: \"^C00FF00entrywidth = val^c\"\f"},
      {"entrywidth 5", "...expected: \"^C00FF00entrywidth = val^c\"\f"},
      {"cursorrate =", "...expected: \"^C00FF00cursorrate = val^c\"\f"},
      {"cursor", "...expected: \"^C00FF00cursor = \"val\"^c\"\f"},
      {"cursor = nosuch", "...failed to create cursor: nosuch for field\f"},
      {"cursor = " + std::string(300, 'c'),
       "...failed to create cursor: " + std::string(259, 'c') + " for field\f"},
      {"entryrectx = wide", "...expected: \"^C00FF00entryrectx = val^c\"\f"},
      {"entryrecty", "...expected: \"^C00FF00entryrecty = val^c\"\f"},
      {"endhidecursor true", "...expected: \"^C00FF00endhidecursor = BOOLEAN^c\"\f"},
      {"endhidecursor = maybe", "...Expected: true or false\f"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    CaptureLog log;
    log.expect(c.message);
    Field field(c.line);
    EXPECT_EQ(field.entry.entrywidth, 10);
    EXPECT_EQ(field.entry.cursorrate, 500u);
    EXPECT_EQ(field.entry.getWidth(), 0);
  }

  Field field("acceptonenter = false\nendhidecursor = TRUE\ncursorrate = 250\n");
  EXPECT_FALSE(field.entry.acceptonenter);
  EXPECT_TRUE(field.entry.endhidecursor);
  EXPECT_EQ(field.entry.cursorrate, 250u);
  Field frozen("cursorrate = -1\n");  // a number: taken as unsigned, the cursor never blinks
  EXPECT_EQ(frozen.entry.cursorrate, 0xFFFFFFFFu);
}

TEST(uiEntryWidget, SetCursorReleasesThePreviousSprite) {
  RecordingGfx gfx;
  gfx.defineSprite("caret", 6, 12);
  uiEntryWidget entry;
  EXPECT_TRUE(entry.setCursor("caret"));
  EXPECT_TRUE(entry.setCursor("caret"));
  EXPECT_EQ(gfx.spriteUses("caret"), 1);
  EXPECT_FALSE(entry.setCursor("nosuch"));
  EXPECT_EQ(gfx.spriteUses("caret"), 0);
  EXPECT_TRUE(gfx.failures.empty());
}
