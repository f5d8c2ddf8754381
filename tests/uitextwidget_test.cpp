#include "uitextwidget.h"

#include "core.h"
#include "widgettest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

// A string table that knows a few keys and remembers what it was asked.
class TestTable : public StringTable {
public:
  TestTable() : m_previous(g_stringTblPtr) { g_stringTblPtr = this; }
  ~TestTable() override { g_stringTblPtr = m_previous; }

  const char* translate(const char* key) override {
    lookups.push_back(key);
    auto found = entries.find(key);
    return found == entries.end() ? key : found->second;
  }

  std::map<std::string, const char*> entries;
  std::vector<std::string> lookups;

private:
  StringTable* m_previous;
};

}  // namespace

TEST(uiTextWidget, DecoderHandlesValidInvalidAndTruncatedInput) {
  struct Case {
    const char* what;
    std::string bytes;
    std::u32string expected;
  } cases[] = {
      {"ascii", "Az", U"Az"},
      {"two bytes", "\xC3\xA9", U"\u00E9"},
      {"three bytes", "\xE2\x82\xAC!", U"\u20AC!"},
      {"four bytes", "\xF0\x9F\x98\x80", U"\U0001F600"},
      {"six bytes", "\xFC\x80\x80\x80\x80\x81", U"\x01"},
      {"lone continuation byte", "\xA9", U"\x29"},
      {"continuation not checked", "\xC3\x41", U"\u00C1"},
      {"two-byte sequence cut short", "a\xC3", U"a"},
      {"four-byte sequence cut short", "ab\xF0\x9F\x98", U"ab"},
      {"six-byte lead alone", "\xFC", U""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Exactly the bytes and their terminator, so that a read past it is caught by the sanitizers.
    std::vector<char> source(c.bytes.begin(), c.bytes.end());
    source.push_back('\0');
    unsigned int decoded[9];
    std::fill(std::begin(decoded), std::end(decoded), 0xDEADu);
    EXPECT_EQ(utf8ToText(decoded, source.data(), 8), decoded);
    EXPECT_EQ(std::u32string(decoded, decoded + c.expected.size()), c.expected);
    for (int i = static_cast<int>(c.expected.size()); i < 8; ++i)
      EXPECT_EQ(decoded[i], 0u) << "entry " << i;
    EXPECT_EQ(decoded[8], 0xDEADu) << "written past count";
  }

  int length = 0;
  const unsigned char cut[] = {0xE2, 0x82, 0};
  EXPECT_EQ(utf8DecodeChar(cut, &length), 0u);
  EXPECT_EQ(length, 2);
  const unsigned char euro[] = {0xE2, 0x82, 0xAC, 0};
  EXPECT_EQ(utf8DecodeChar(euro, &length), 0x20ACu);
  EXPECT_EQ(length, 3);

  // A source longer than the count fills exactly count entries, with no terminator.
  unsigned int longer[4] = {9, 9, 9, 9};
  utf8ToText(longer, "abcdef", 3);
  EXPECT_EQ(std::u32string(longer, longer + 4), (std::u32string {U'a', U'b', U'c', 9}));
}

TEST(uiTextWidget, PrintFormatsThroughTheStringTable) {
  TestTable table;
  table.entries["GREETING"] = "Hello %s";
  table.entries["MISSING"] = nullptr;
  uiTextWidget label;

  label.print(0, "%d", 42);
  EXPECT_EQ(textOf(label), U"42");

  label.print(0, "GREETING", "Ann");
  EXPECT_EQ(textOf(label), U"Hello Ann");

  label.print(0, "MISSING");
  EXPECT_EQ(textOf(label), U"MISSING");

  table.lookups.clear();
  label.print(0, "");
  EXPECT_EQ(textOf(label), U"");
  EXPECT_TRUE(table.lookups.empty()) << "an empty format is not looked up";

  label.print(0, "%s", "caf\xC3\xA9");
  EXPECT_EQ(textOf(label), U"caf\u00E9");
}

TEST(uiTextWidget, TextIsCutTo127Characters) {
  uiTextWidget label;
  struct Case {
    const char* what;
    std::string output;
    std::u32string expected;
  } cases[] = {
      {"200 characters", std::string(200, 'x'), std::u32string(127, U'x')},
      {"2000 bytes", std::string(2000, 'y'), std::u32string(127, U'y')},
      {"two-byte characters", [] {
         std::string s;
         for (int i = 0; i < 300; ++i)
           s += "\xC3\xA9";
         return s;
       }(), std::u32string(127, U'\u00E9')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    label.print(0, "%s", c.output.c_str());
    EXPECT_EQ(textOf(label), c.expected);
    EXPECT_EQ(label.getText()[127], 0u);
  }
}

TEST(uiTextWidget, KeysSetFontJustificationSetTextAndPadding) {
  RecordingGfx gfx;
  gfx.defineFont("small", 10, 12);
  TestTable table;
  table.entries["TITLE"] = "Menu";
  uiTextWidget label;
  label.setWidgetStates(true, true, false, false);
  label.depth = 4;

  applyKeys(label,
            "x = 5\n"
            "y = 7\n"
            "font = small extra\n"
            "justify = right\n"
            "justify = LEFT\n"
            "set = 3\n"
            "text = TITLE\n");
  gfx.clearCalls();
  label.render(100, 200);
  EXPECT_EQ(gfx.calls, (std::vector<std::string> {
                           "printw depth=4 font=1 set=3 justify=1 x=105 y=207 maxHeight=-1 "
                           "alpha=255 text=\"Menu\""}));

  applyKeys(label, "justify = CENTER\ntext = \n");
  EXPECT_EQ(label.getJustify(), 3u);
  EXPECT_EQ(textOf(label), U"Menu") << "an empty text line changes nothing";
}

TEST(uiTextWidget, BadKeyLinesAreReported) {
  RecordingGfx gfx;
  const std::string longName(300, 'f');
  struct Case {
    std::string line;
    std::string message;
  } cases[] = {
      {"font small", "...expected: \"^C00FF00font = \"val\"^c\"\f"},
      {"font =", "...expected: \"^C00FF00font = \"val\"^c\"\f"},
      {"font = nosuch", "...failed to create font: nosuch for label\f"},
      {"font = " + longName,
       "...failed to create font: " + std::string(259, 'f') + " for label\f"},
      {"justify = TOP", "...expected: \"^C00FF00justify = \"val\"^c\"\f"},
      {"justify", "...expected: \"^C00FF00justify = \"val\"^c\"\f"},
      {"text Hello", "...expected: \"^C00FF00text = val^c\"\f"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    uiTextWidget label;
    uiCopyName(label.name, "label", sizeof label.name);
    CaptureLog log;
    log.expect(c.message);
    applyKeys(label, c.line);
    EXPECT_EQ(textOf(label), U"");
    EXPECT_EQ(label.getFont(), -1);
  }
  EXPECT_EQ(gfx.callsOf("createFont").back(),
            "createFont file=" + std::string(259, 'f') + " -> -1");
}

TEST(uiTextWidget, SetFontReleasesTheFontItHeld) {
  RecordingGfx gfx;
  gfx.defineFont("small", 8, 10);
  gfx.defineFont("large", 16, 20);
  uiTextWidget label;

  EXPECT_TRUE(label.setFont("small"));
  EXPECT_TRUE(label.setFont("large"));
  EXPECT_EQ(gfx.fontUses("small"), 0);
  EXPECT_EQ(label.getFont(), gfx.fontId("large"));

  EXPECT_FALSE(label.setFont("nosuch"));
  EXPECT_EQ(gfx.fontUses("large"), 0);
  EXPECT_EQ(label.getFont(), -1);

  int small = gfx.createFont("small");
  EXPECT_TRUE(label.setFont(small));
  EXPECT_EQ(label.getFont(), small);
  EXPECT_EQ(gfx.fontUses("small"), 2);

  // An id the backend does not know: the old font is released and the widget holds none.
  EXPECT_FALSE(label.setFont(77));
  EXPECT_EQ(label.getFont(), -1);
  EXPECT_EQ(gfx.fontUses("small"), 1);
  EXPECT_TRUE(gfx.failures.empty());
}

TEST(uiTextWidget, FadeWaitsForTheDelayThenStopsAtTheTarget) {
  RecordingGfx gfx;
  gfx.defineFont("small", 8, 10);
  uiTextWidget label;
  label.setFont("small");
  label.setActive(true, false);
  uiWidget::s_iDeltaTime = 100;

  // 500 ms of delay, then a linear fall over 1000 ms (truncated, so within one step of it).
  label.setAlpha(0, 1000, 500, false);
  for (int frame = 1; frame <= 16; ++frame) {
    SCOPED_TRACE(frame);
    label.update(0, 0);
    int fadeTime = frame <= 5 ? 0 : std::min(frame - 5, 10) * 100;
    EXPECT_NEAR(label.getAlpha(), 255 - 255 * fadeTime / 1000, 1);
  }
  EXPECT_EQ(label.getAlpha(), 0);

  // A target between the ends is met exactly, not overshot, once the duration has passed.
  uiWidget::s_iDeltaTime = 200;
  label.setAlpha(100, 300, 0, false);
  label.update(0, 0);
  EXPECT_EQ(label.getAlpha(), 66);
  label.update(0, 0);
  EXPECT_EQ(label.getAlpha(), 100);
  label.update(0, 0);
  EXPECT_EQ(label.getAlpha(), 100);

  label.setAlpha(40, 0, 0, false);
  EXPECT_EQ(label.getAlpha(), 40);
  label.setWidgetFlags(label.getWidgetFlags() | WF_IGNORE_ALPHA);
  label.setAlpha(200, 0, 0, false);
  EXPECT_EQ(label.getAlpha(), 40);
  uiWidget::s_iDeltaTime = 0;
}

TEST(uiTextWidget, WithoutAFontNothingIsDrawnAndNoFadeRuns) {
  RecordingGfx gfx;
  uiTextWidget label;
  label.setWidgetStates(true, true, false, false);
  label.print(0, "hidden");
  label.setAlpha(0, 100, 0, false);
  uiWidget::s_iDeltaTime = 500;
  label.update(0, 0);
  label.render(0, 0);
  uiWidget::s_iDeltaTime = 0;
  EXPECT_EQ(label.getAlpha(), 255);
  EXPECT_TRUE(gfx.calls.empty());
}

TEST(uiTextWidget, PaddingLaysOutCharacterByCharacter) {
  RecordingGfx gfx;
  gfx.defineFont("mono", 10, 12);
  struct Case {
    unsigned int justify;
    std::vector<int> xs;  // pen x of "A", "B", "C" in drawing order
    _uiRect_s rect;
  } cases[] = {
      {uiTextWidget::LEFT, {105, 117, 129}, {0, 0, 36, 12}},
      {uiTextWidget::RIGHT, {81, 93, 105}, {-36, 0, 0, 12}},
      {uiTextWidget::CENTER, {92, 104, 116}, {-18, 0, 18, 12}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.justify);
    uiTextWidget label;
    label.setFont("mono");
    label.setVisible(true, false);
    label.x = 5;
    label.y = 7;
    label.padding = 2;
    label.setJustify(c.justify);
    label.print(0, "ABC");
    gfx.clearCalls();
    label.render(100, 200);
    std::vector<std::string> expected;
    for (int i = 0; i < 3; ++i)
      expected.push_back("printw depth=0 font=1 set=0 justify=" + std::to_string(c.justify) +
                         " x=" + std::to_string(c.xs[i]) +
                         " y=207 maxHeight=-1 alpha=255 text=\"" + std::string(1, 'A' + i) + "\"");
    EXPECT_EQ(gfx.calls, expected);

    _uiRect_s rect {1, 1, 1, 1};
    label.getTextRect(&rect);
    EXPECT_EQ(std::vector<int>({rect.left, rect.top, rect.right, rect.bottom}),
              std::vector<int>({c.rect.left, c.rect.top, c.rect.right, c.rect.bottom}));
    EXPECT_EQ(label.getWidth(), 36);
    EXPECT_EQ(label.getHeight(), 12);
  }
}
