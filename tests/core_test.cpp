#include "core.h"

#include "capturelog.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

// Puts a text at the very end of a readable page, followed by a page that cannot be read, so
// that any read past the terminating NUL crashes the test.
class GuardedText {
public:
  explicit GuardedText(const std::string& text) {
    m_page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    m_base = static_cast<char*>(
        mmap(nullptr, 2 * m_page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    mprotect(m_base + m_page, m_page, PROT_NONE);
    m_text = m_base + m_page - text.size() - 1;
    std::memcpy(m_text, text.c_str(), text.size() + 1);
  }
  ~GuardedText() { munmap(m_base, 2 * m_page); }
  char* data() { return m_text; }

private:
  size_t m_page = 0;
  char* m_base = nullptr;
  char* m_text = nullptr;
};

// Every token of every line, each followed by "|", and each line's number: "a|b|@1|c|@3|". With
// no delimiters a line is read as a key line: its first token, "=" when GetEqualsToken takes one
// and then the rest of the line as GetString gives it, and whatever tokens are left.
std::string tokensOf(const std::string& text, const char* delimiters) {
  GuardedText buffer(text);
  Parser parser(buffer.data());
  std::string out;
  while (parser.ParseLine()) {
    if (!delimiters) {
      out += std::string(parser.GetToken(" ")) + "|";
      if (parser.GetEqualsToken())
        out += std::string("=|") + parser.GetString() + "|";
    }
    while (char* token = parser.GetToken(delimiters ? delimiters : " "))
      out += std::string(token) + "|";
    out += "@" + std::to_string(parser.GetLineNumber()) + "|";
  }
  return out;
}

}  // namespace

// Each text ends at the edge of readable memory, so these also prove that no line, quote or byte
// order mark cut short by the end is read past it.
TEST(Parser, LinesSplitIntoTokensAndKeyValues) {
  struct Case {
    const char* text;
    const char* delimiters;
    const char* tokens;
  } cases[] = {
      {"  a\tb \t c  ", " ", "a|b|c|@1|"},
      {"first a\r\n\r\n   \t\r\nsecond\n\n\tthird  \n\n", " ", "first|a|@1|second|@4|third|@6|"},
      {"a\tb|c\rd", "|", "a|b|c|d|@1|"},
      {"a\xA7" "b\xA7\xA7" "c", "\xA7", "a|b|c|@1|"},
      {"caf\xC3\xA9 \xFFx", " ", "caf\xC3\xA9|\xFFx|@1|"},
      {"\xEF\xBB\xBFmenu = uiDialog", " ", "menu|=|uiDialog|@1|"},
      {"\"open to the end", " ", "open to the end|@1|"},
      {"\xEF\xBB", " ", "\xEF\xBB|@1|"},
      {"text =\t  two  spaces  \r\nnext", nullptr, "text|=|two  spaces|@1|next|@2|"},
      {"text = \"  keep inner spaces \"", nullptr, "text|=|  keep inner spaces |@1|"},
      {"text = \"", nullptr, "text|=|\"|@1|"},
      {"text =", nullptr, "text|=||@1|"},
      {"text =value", nullptr, "text|=value|@1|"},
      {"text \"=\"", nullptr, "text|=|@1|"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.text);
    EXPECT_EQ(tokensOf(test.text, test.delimiters), test.tokens);
  }
  Parser none(nullptr);
  EXPECT_FALSE(none.ParseLine());
  EXPECT_STREQ(none.GetString(), "");
}

// A value that is malformed or out of range is reported with the caller's key and leaves the
// outputs as they were (99, or true for the boolean).
TEST(Parser, ParamEqualsReadsTheValueOrReportsIt) {
  enum Kind { INT, UINT, FLOAT, BOOL, INT2, FLOAT2 };
  const char* const notInteger = "...expected: \"^C00FF00x = integer^c\"\f";
  const char* const notPair = "...expected: \"^C00FF00size = integer integer^c\"\f";
  struct Case {
    const char* line;
    Kind kind;
    const char* key;
    bool isKey;
    double first, second;
    const char* message;  // null when nothing is reported
  } cases[] = {
      {"X = 0xFFFFFFFF", INT, "x", true, -1, 99, nullptr},
      {"x = 2147483648", INT, "x", true, 99, 99, notInteger},
      {"x = 12abc", INT, "x", true, 99, 99, notInteger},
      {"width = 5", INT, "x", false, 99, 99, nullptr},
      {"rate = 4294967295", UINT, "rate", true, 4294967295.0, 99, nullptr},
      {"rate = 4294967296", UINT, "rate", true, 99, 99,
       "...expected: \"^C00FF00rate = unsigned integer^c\"\f"},
      {"value = nan", FLOAT, "value", true, 99, 99, "...expected: \"^C00FF00value = float^c\"\f"},
      {"value = 1e99", FLOAT, "value", true, 99, 99, "...expected: \"^C00FF00value = float^c\"\f"},
      {"loop = 0", BOOL, "Loop", true, 1, 99, "...expected: \"^C00FF00Loop = BOOLEAN^c\"\f"},
      {"size = -3\t,\t0x10", INT2, "size", true, -3, 16, nullptr},
      {"size = 3,", INT2, "size", true, 99, 99, notPair},
      {"scale = 0.5,2", FLOAT2, "scale", true, 0.5, 2, nullptr},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.line);
    CaptureLog log;
    if (test.message)
      log.expect(test.message);
    GuardedText buffer(test.line);
    Parser parser(buffer.data());
    ASSERT_TRUE(parser.ParseLine());
    char* token = parser.GetToken(" ");
    int i = 99, j = 99;
    unsigned int u = 99;
    float f = 99, g = 99;
    bool b = true, isKey = false;
    switch (test.kind) {
    case INT: isKey = parser.ParamEqualsInt32(token, test.key, &i); break;
    case UINT: isKey = parser.ParamEqualsUInt32(token, test.key, &u); break;
    case FLOAT: isKey = parser.ParamEqualsFloat32(token, test.key, &f); break;
    case BOOL: isKey = parser.ParamEqualsBoolean(token, test.key, &b); break;
    case INT2: isKey = parser.ParamEqualsInt32_2(token, test.key, &i, &j); break;
    case FLOAT2: isKey = parser.ParamEqualsFloat32_2(token, test.key, &f, &g); break;
    }
    bool integral = test.kind == INT || test.kind == INT2;
    double first = test.kind == UINT ? double(u) : test.kind == BOOL ? b : integral ? i : double(f);
    EXPECT_EQ(isKey, test.isKey);
    EXPECT_EQ(first, test.first);
    EXPECT_EQ(test.kind == INT2 ? j : g, test.second);
  }
}

// Counts per tag, of the blocks and their bytes; a size no block can have is refused.
TEST(MemoryMgr, CountsLiveBlocksPerTag) {
  MemoryMgr memory;
  void* widget = memory.alloc(9, 100, "test", 1);
  void* buffer = memory.alloc(0, 16, "test", 2);
  EXPECT_EQ(memory.liveCount(9), 1u);
  EXPECT_EQ(memory.liveBytes(9), 100u);
  memory.free(9, widget);
  memory.free(0, buffer);
  memory.free(0, nullptr);
  EXPECT_EQ(memory.liveCount(9) + memory.liveCount(0) + memory.liveBytes(0), 0u);
  EXPECT_EQ(memory.liveCount(-1) + memory.liveCount(MemoryMgr::TAG_COUNT), 0u);
  EXPECT_EQ(memory.alloc(0, SIZE_MAX, "test", 3), nullptr);
}
