#include "uitextwidget.h"

#include "core.h"
#include "widgettest.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// A string table that knows a few keys.
class TestTable : public StringTable {
public:
  TestTable() : m_previous(g_stringTblPtr) { g_stringTblPtr = this; }
  ~TestTable() override { g_stringTblPtr = m_previous; }
  const char* translate(const char* key) override {
    auto found = entries.find(key);
    return found == entries.end() ? key : found->second;
  }
  std::map<std::string, const char*> entries;

private:
  StringTable* m_previous;
};

}  // namespace

// A sequence cut short by the terminator ends the text there: nothing is read past it.
TEST(uiTextWidget, DecoderStopsAtTheTerminator) {
  struct Case { std::string bytes; std::u32string expected; } cases[] = {
      {"\xE2\x82\xAC!", U"\u20AC!"},
      {"\xF0\x9F\x98\x80", U"\U0001F600"},
      {"\xA9", U"\x29"},  // a lone continuation byte
      {"a\xC3", U"a"},
      {"ab\xF0\x9F\x98", U"ab"},
      {"\xFC", U""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    // Exactly the bytes and their terminator, so that a read past it is caught by the sanitizers.
    std::vector<char> source(c.bytes.begin(), c.bytes.end());
    source.push_back('\0');
    std::vector<unsigned int> decoded(9, 0xDEADu);
    utf8ToText(decoded.data(), source.data(), 8);
    std::u32string expected = c.expected + std::u32string(8 - c.expected.size(), U'\0') + U"\xDEAD";
    EXPECT_EQ(std::u32string(decoded.begin(), decoded.end()), expected);
  }
}

// A string table that translates to null leaves the text as it was written.
TEST(uiTextWidget, PrintFormatsThroughTheStringTableAndKeeps127Characters) {
  TestTable table;
  table.entries["GREETING"] = "Hello %s";
  table.entries["MISSING"] = nullptr;
  uiTextWidget label;
  label.print(0, "GREETING", "Ann");
  EXPECT_EQ(textOf(label), U"Hello Ann");
  label.print(0, "MISSING");
  EXPECT_EQ(textOf(label), U"MISSING");
  std::string twoByte;
  for (int i = 0; i < 300; ++i)
    twoByte += "\xC3\xA9";
  for (const std::string& output : {std::string(2000, 'y'), twoByte}) {
    label.print(0, "%s", output.c_str());
    EXPECT_EQ(textOf(label).size(), 127u);
    EXPECT_EQ(label.getText()[127], 0u);
  }
}

TEST(uiTextWidget, KeyLinesAndTheirMessages) {
  RecordingGfx gfx;
  gfx.defineFont("small", 10, 12);
  TestTable table;
  table.entries["TITLE"] = "Menu";
  // Key lines, the message ("": none), the justification and text drawn.
  struct Case { std::string line, message; const char* drawn; } cases[] = {
      {"font = small extra\ntext = TITLE\njustify = right\njustify = LEFT", "", "justify=1 Menu"},
      {"font = small\njustify = CENTER\ntext = TITLE\ntext = ", "", "justify=2 Menu"},
      {"font small", "...expected: \"^C00FF00font = \"val\"^c\"\f", ""},
      {"font = " + std::string(300, 'f'),
       "...failed to create font: " + std::string(259, 'f') + " for label\f", ""},
      {"font = small\ntext Hello", "...expected: \"^C00FF00text = val^c\"\f", "justify=0 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    CaptureLog log;
    if (!c.message.empty())
      log.expect(c.message);
    uiTextWidget label;
    uiCopyName(label.name, "label", sizeof label.name);
    label.setVisible(true, false);
    applyKeys(label, c.line);
    gfx.clearCalls();
    label.render(0, 0);
    std::string drawn;
    for (const std::string& call : gfx.callsOf("printw"))
      drawn = call.substr(call.find("justify=")).substr(0, 10) +
              call.substr(call.find("text=\"") + 6, textOf(label).size());
    EXPECT_EQ(drawn, c.drawn);
  }
}

// A failed setFont releases the font held before and leaves none, and says so.
TEST(uiTextWidget, SetFontReleasesTheFontItHeld) {
  RecordingGfx gfx;
  gfx.defineFont("small", 8, 10);
  gfx.defineFont("large", 16, 20);
  uiTextWidget label;
  EXPECT_TRUE(label.setFont("small"));
  EXPECT_TRUE(label.setFont("large"));
  EXPECT_EQ(gfx.fontUses("small"), 0);
  EXPECT_FALSE(label.setFont("nosuch"));
  EXPECT_EQ(gfx.fontUses("large"), 0);
  EXPECT_EQ(label.getFont(), -1);
  int small = gfx.createFont("small");
  EXPECT_TRUE(label.setFont(small));
  EXPECT_FALSE(label.setFont(77));  // an id the backend does not know
  EXPECT_EQ(label.getFont(), -1);
  EXPECT_EQ(gfx.fontUses("small"), 1);
  EXPECT_TRUE(gfx.failures.empty());
}

// With padding the text is drawn a character at a time; centred text is centred on the pen, and
// the sizes and rectangle are the per-character extent.
TEST(uiTextWidget, PaddingLaysOutCharacterByCharacter) {
  RecordingGfx gfx;
  gfx.defineFont("mono", 10, 12);
  uiTextWidget label;
  label.setFont("mono");
  label.setVisible(true, false);
  label.x = 5;
  label.padding = 2;
  label.setJustify(uiTextWidget::CENTER);
  label.print(0, "ABC");
  gfx.clearCalls();
  label.render(100, 200);
  std::string xs;
  for (const std::string& call : gfx.calls)
    xs += call.substr(call.find(" x="), call.find(" y=") - call.find(" x="));
  EXPECT_EQ(xs, " x=92 x=104 x=116");
  _uiRect_s rect {1, 1, 1, 1};
  label.getTextRect(&rect);
  EXPECT_EQ(std::vector<int>({rect.left, rect.top, rect.right, rect.bottom}),
            std::vector<int>({-18, 0, 18, 12}));
  EXPECT_EQ(label.getWidth() * 100 + label.getHeight(), 3612);
}
