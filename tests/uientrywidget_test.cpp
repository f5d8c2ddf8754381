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
  // The cursor's blt line after one render, or "" when none is drawn.
  std::string cursor() {
    gfx.clearCalls();
    entry.render(100, 200);
    std::vector<std::string> blts = gfx.callsOf("blt");
    return blts.empty() ? "" : blts[0];
  }
};

}  // namespace

// Typing upper-cases, refuses what the font lacks and stops at entrywidth; Enter accepts the text
// and is passed on to keyDownCb, and an accepted field takes no more edits until reset.
TEST(uiEntryWidget, TypingErasingAndAccepting) {
  Field field("entrywidth = 4\n");
  std::vector<int> heard;
  field.entry.keyDownCb = [](uiWidget*, void* client, int key) {
    static_cast<std::vector<int>*>(client)->push_back(key);
    return true;
  };
  field.entry.cbClient = &heard;
  struct Step { e_uiEvent event; int key; bool handled; std::u32string text; } steps[] = {
      {UIE_KEYDOWN, UIK_ERASE, true, U""},
      {UIE_CHAR, 'a', true, U"A"},
      {UIE_CHAR, 13, false, U"A"},
      {UIE_CHAR, 0x10A, false, U"A"},  // judged by its low byte, 10
      {UIE_CHAR, 'q', false, U"A"},    // not in the font
      {UIE_CHAR, 0xE9, true, U"A\u00C9"},
      {UIE_CHAR, 0x10062, true, U"A\u00C9B"},  // only the low 16 bits are typed
      {UIE_CHAR, 'c', true, U"A\u00C9BC"},
      {UIE_CHAR, 'd', false, U"A\u00C9BC"},  // full
      {UIE_KEYDOWN, UIK_ERASE, true, U"A\u00C9B"},
      {UIE_KEYDOWN, 'x', false, U"A\u00C9B"},  // neither handled nor passed on
      {UIE_KEYDOWN, UIK_ENTER, true, U"A\u00C9B"},
      {UIE_CHAR, 'c', false, U"A\u00C9B"},
      {UIE_KEYDOWN, UIK_ERASE, false, U"A\u00C9B"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.key);
    EXPECT_EQ(field.entry.inputEvent(step.event, 0, 0, step.key, false, false), step.handled);
    EXPECT_EQ(textOf(field.entry), step.text);
  }
  EXPECT_EQ(heard, std::vector<int> {UIK_ENTER});
  EXPECT_TRUE(field.entry.isAccepted());
  field.entry.reset();
  EXPECT_FALSE(field.entry.isAccepted());
  EXPECT_EQ(textOf(field.entry), U"");
}

// The text can never grow past the 127 characters the widget holds, whatever the width says.
TEST(uiEntryWidget, TextIsCutToEntryWidth) {
  // The keys, the message for an entrywidth outside 0..127, the characters kept.
  struct Case { std::string keys, message; size_t kept; } cases[] = {
      {"entrywidth = 200\n", "...[field:2] entrywidth ^C00FF00200^c outside 0..127, using 127\f",
       127},
      {"entrywidth = -5\n", "...[field:2] entrywidth ^C00FF00-5^c outside 0..127, using 0\f", 0},
      {"entrywidth = 3\ntext = abcdef\n", "", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    CaptureLog log;
    if (!c.message.empty())
      log.expect(c.message);
    Field field(c.keys);
    if (textOf(field.entry).empty())
      field.entry.print(0, "%s", std::string(200, 'A').c_str());
    EXPECT_EQ(field.entry.getLength(), static_cast<int>(c.kept));
    EXPECT_EQ(textOf(field.entry).size(), c.kept);
    EXPECT_FALSE(field.type('b')) << "a full field takes no more";
  }
  Field field;
  field.entry.entrywidth = 1000;
  for (int i = 0; i < 130; ++i)
    field.type('a');
  EXPECT_EQ(field.entry.getLength(), 127);
  EXPECT_EQ(field.entry.getText()[127], 0u);
}

// The cursor stands after the text, measured with the padding; a full field may hide it. It
// blinks through its three frames.
TEST(uiEntryWidget, CursorPlacementAndBlink) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "blt depth=0 sprite=1 x=136"},
      {"justify = CENTER\npadding = 2\n", "blt depth=0 sprite=1 x=130"},
      {"entrywidth = 2\nendhidecursor = true\n", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    Field field(std::string("x = 20\ny = 30\ncursor = caret\n") + c.first);
    field.entry.print(0, "AB");
    std::string cursor = field.cursor();
    EXPECT_EQ(cursor.substr(0, cursor.find(" y=")), c.second);
  }
  Field field("cursor = caret\ncursorrate = 500\n");
  uiWidget::s_iDeltaTime = 100;
  std::string frames;
  for (int i = 0; i < 18; ++i) {
    std::string cursor = field.cursor();
    frames += cursor.substr(cursor.find("frame=") + 6, 1);
  }
  uiWidget::s_iDeltaTime = 0;
  EXPECT_EQ(frames, "000001111112222220");
}

TEST(uiEntryWidget, BadKeyLinesAreReported) {
  struct Case { std::string line; std::string message; } cases[] = {
      {"entrywidth = many", "...expected: \"^C00FF00entrywidth = val^c\"\f"},
      {"cursor", "...expected: \"^C00FF00cursor = \"val\"^c\"\f"},
      {"cursor = nosuch", "...failed to create cursor: nosuch for field\f"},
      {"cursor = " + std::string(300, 'c'),
       "...failed to create cursor: " + std::string(259, 'c') + " for field\f"},
      {"endhidecursor true", "...expected: \"^C00FF00endhidecursor = BOOLEAN^c\"\f"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    CaptureLog log;
    log.expect(c.message);
    Field field(c.line);
    EXPECT_EQ(field.entry.entrywidth * 1000 + field.entry.cursorrate, 10500u);
  }
  Field frozen("cursorrate = -1\n");  // a number: taken as unsigned, the cursor never blinks
  EXPECT_EQ(frozen.entry.cursorrate, 0xFFFFFFFFu);
}

// The new cursor is made before the old one is given back.
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
