#include "core.h"

#include "capturelog.h"
#include "testmemory.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

// Owns a writable copy of a text, as the loader owns its file buffer.
struct Text {
  explicit Text(const std::string& text) : bytes(text.begin(), text.end()) { bytes.push_back('\0'); }
  char* data() { return bytes.data(); }
  std::vector<char> bytes;
};

std::vector<std::string> tokensOfFirstLine(const std::string& text, const char* delimiters) {
  Text buffer(text);
  Parser parser(buffer.data());
  std::vector<std::string> tokens;
  if (!parser.ParseLine())
    return tokens;
  while (char* token = parser.GetToken(delimiters))
    tokens.push_back(token);
  return tokens;
}

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

}  // namespace

TEST(Parser, TokensSplitAtDelimitersTabsAndQuotes) {
  struct Case {
    const char* text;
    const char* delimiters;
    std::vector<std::string> tokens;
  } cases[] = {
      {"a b   c", " ", {"a", "b", "c"}},
      {"  a\tb \t c  ", " ", {"a", "b", "c"}},
      {"a b\r\n", " ", {"a", "b"}},
      {"\"hello  world\" x", " ", {"hello  world", "x"}},
      {"name = \"\"", " ", {"name", "=", ""}},
      {"\"open to the end", " ", {"open to the end"}},
      {"\"a\"b c", " ", {"a", "b", "c"}},
      {"a\"b c\"", " ", {"a\"b", "c\""}},
      {"x=5 y", " ", {"x=5", "y"}},
      {"3,4 , 5", " ,", {"3", "4", "5"}},
      {"3,4", " ", {"3,4"}},
      {"\xEF\xBB\xBFmenu = uiDialog", " ", {"menu", "=", "uiDialog"}},
      {"\xEF\xBB", " ", {"\xEF\xBB"}},
      {"a|b | c", "|", {"a", "b ", " c"}},
      {"a\tb|c\rd", "|", {"a", "b", "c", "d"}},
      {"caf\xC3\xA9 \xFFx", " ", {"caf\xC3\xA9", "\xFFx"}},
      {"a\xA7" "b\xA7\xA7" "c", "\xA7", {"a", "b", "c"}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.text);
    EXPECT_EQ(tokensOfFirstLine(test.text, test.delimiters), test.tokens);
  }
}

TEST(Parser, LinesSkipBlanksCountFromOneAndKeepTheirTokens) {
  Text buffer("first a\r\n\r\n   \t\r\nsecond\n\n\tthird  \n\n");
  Parser parser(buffer.data());
  EXPECT_EQ(parser.GetLineNumber(), 0);
  EXPECT_EQ(parser.GetToken(" "), nullptr);

  struct Expected {
    const char* token;
    int line;
  } expected[] = {{"first", 1}, {"second", 4}, {"third", 6}};
  for (const Expected& line : expected) {
    SCOPED_TRACE(line.token);
    ASSERT_TRUE(parser.ParseLine());
    char* token = parser.GetToken(" ");
    EXPECT_STREQ(token, line.token);
    EXPECT_GE(token, buffer.data()) << "tokens are cut in place in the caller's buffer";
    EXPECT_EQ(parser.GetLineNumber(), line.line);
    if (line.line == 1) {
      EXPECT_STREQ(parser.GetToken(" "), "a");
    }
    EXPECT_EQ(parser.GetToken(" "), nullptr) << "a token never reaches into the next line";
  }
  EXPECT_FALSE(parser.ParseLine());
  EXPECT_FALSE(parser.ParseLine());
  EXPECT_EQ(parser.GetToken(" "), nullptr);
  EXPECT_STREQ(parser.GetString(), "");

  Text empty("");
  EXPECT_FALSE(Parser(empty.data()).ParseLine());
  Parser none(nullptr);
  EXPECT_FALSE(none.ParseLine());
  EXPECT_FALSE(none.GetEqualsToken());
  EXPECT_STREQ(none.GetString(), "");
}

TEST(Parser, EqualsTokenIsConsumedOnlyWhenAlone) {
  struct Case {
    const char* line;
    bool equals;
    const char* next;
  } cases[] = {
      {"key = value", true, "value"},
      {"key\t=\tvalue", true, "value"},
      {"key =", true, nullptr},
      {"key =value", false, "=value"},
      {"key value", false, "value"},
      {"key \"=\"", false, "="},
      {"key", false, nullptr},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.line);
    Text buffer(test.line);
    Parser parser(buffer.data());
    ASSERT_TRUE(parser.ParseLine());
    parser.GetToken(" ");
    EXPECT_EQ(parser.GetEqualsToken(), test.equals);
    char* next = parser.GetToken(" ");
    if (test.next)
      EXPECT_STREQ(next, test.next);
    else
      EXPECT_EQ(next, nullptr);
  }
}

TEST(Parser, GetStringReturnsTheTrimmedRestOfTheLine) {
  struct Case {
    const char* line;
    const char* value;
  } cases[] = {
      {"text = Hello, world  ", "Hello, world"},
      {"text =\t  two  spaces  \r", "two  spaces"},
      {"text = \"  keep inner spaces \"", "  keep inner spaces "},
      {"text = \"a\" and \"b\"", "a\" and \"b"},
      {"text = \"", "\""},
      {"text = \"\"", ""},
      {"text =", ""},
      {"text =   ", ""},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.line);
    Text buffer(std::string(test.line) + "\nnext line");
    Parser parser(buffer.data());
    ASSERT_TRUE(parser.ParseLine());
    parser.GetToken(" ");
    ASSERT_TRUE(parser.GetEqualsToken());
    EXPECT_STREQ(parser.GetString(), test.value);
    EXPECT_EQ(parser.GetToken(" "), nullptr);
    ASSERT_TRUE(parser.ParseLine());
    EXPECT_STREQ(parser.GetToken(" "), "next");
  }
}

TEST(Parser, ParamEqualsReadsOneValue) {
  enum Kind { INT, UINT, FLOAT, BOOL };
  struct Case {
    const char* line;
    Kind kind;
    const char* message;  // null when the value is read
    double value;
  } cases[] = {
      {"x = 12", INT, nullptr, 12},
      {"X = -7", INT, nullptr, -7},
      {"x = +7", INT, nullptr, 7},
      {"x = 0x1F", INT, nullptr, 31},
      {"x = 0xFFFFFFFF", INT, nullptr, -1},
      {"x = 2147483647", INT, nullptr, INT_MAX},
      {"x = -2147483648", INT, nullptr, INT_MIN},
      {"x = 2147483648", INT, "...expected: \"^C00FF00x = integer^c\"\f", 0},
      {"x = 12abc", INT, "...expected: \"^C00FF00x = integer^c\"\f", 0},
      {"x = 1.5", INT, "...expected: \"^C00FF00x = integer^c\"\f", 0},
      {"x = 0x", INT, "...expected: \"^C00FF00x = integer^c\"\f", 0},
      {"x = -", INT, "...expected: \"^C00FF00x = integer^c\"\f", 0},
      {"x 12", INT, "...expected: \"^C00FF00x = integer^c\"\f", 0},
      {"x =", INT, "...expected: \"^C00FF00x = integer^c\"\f", 0},
      {"x", INT, "...expected: \"^C00FF00x = integer^c\"\f", 0},
      {"rate = 4294967295", UINT, nullptr, 4294967295.0},
      {"rate = 0x10", UINT, nullptr, 16},
      {"rate = -1", UINT, "...expected: \"^C00FF00rate = unsigned integer^c\"\f", 0},
      {"rate = 4294967296", UINT, "...expected: \"^C00FF00rate = unsigned integer^c\"\f", 0},
      {"value = 1.5", FLOAT, nullptr, 1.5},
      {"value = -.25", FLOAT, nullptr, -0.25},
      {"value = 1e3", FLOAT, nullptr, 1000},
      {"value = 3", FLOAT, nullptr, 3},
      {"value = 1,5", FLOAT, "...expected: \"^C00FF00value = float^c\"\f", 0},
      {"value = nan", FLOAT, "...expected: \"^C00FF00value = float^c\"\f", 0},
      {"value = 1e99", FLOAT, "...expected: \"^C00FF00value = float^c\"\f", 0},
      {"value = 1.5f", FLOAT, "...expected: \"^C00FF00value = float^c\"\f", 0},
      {"loop = TRUE", BOOL, nullptr, 1},
      {"loop = false", BOOL, nullptr, 0},
      {"loop = 1", BOOL, "...expected: \"^C00FF00loop = BOOLEAN^c\"\f", 0},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.line);
    CaptureLog log;
    if (test.message)
      log.expect(test.message);
    Text buffer(test.line);
    Parser parser(buffer.data());
    ASSERT_TRUE(parser.ParseLine());
    char* token = parser.GetToken(" ");
    const char* key = test.kind == INT ? "x" : token;
    // The untouched value shows that a bad line leaves the output alone.
    int i = 99;
    unsigned int u = 99;
    float f = 99;
    bool b = true;
    bool isKey = false;
    double read = 0;
    switch (test.kind) {
    case INT: isKey = parser.ParamEqualsInt32(token, key, &i); read = i; break;
    case UINT: isKey = parser.ParamEqualsUInt32(token, key, &u); read = u; break;
    case FLOAT: isKey = parser.ParamEqualsFloat32(token, key, &f); read = f; break;
    case BOOL: isKey = parser.ParamEqualsBoolean(token, key, &b); read = b; break;
    }
    EXPECT_TRUE(isKey);
    if (!test.message)
      EXPECT_EQ(read, test.value);
    else
      EXPECT_EQ(read, test.kind == BOOL ? 1 : 99);
  }
}

TEST(Parser, ParamEqualsIgnoresOtherKeysAndNamesTheCallersKey) {
  CaptureLog log;
  Text buffer("Width = 5 wide\nheight = 3");
  Parser parser(buffer.data());
  ASSERT_TRUE(parser.ParseLine());
  char* token = parser.GetToken(" ");
  int value = 0;
  EXPECT_FALSE(parser.ParamEqualsInt32(token, "height", &value));
  EXPECT_FALSE(parser.ParamEqualsInt32(nullptr, "height", &value));
  EXPECT_TRUE(parser.ParamEqualsInt32(token, "WIDTH", &value));
  EXPECT_EQ(value, 5);
  // What the key leaves on its line is for the caller.
  EXPECT_STREQ(parser.GetToken(" "), "wide");

  log.expect("...expected: \"^C00FF00Height = BOOLEAN^c\"\f");
  ASSERT_TRUE(parser.ParseLine());
  token = parser.GetToken(" ");
  EXPECT_TRUE(parser.ParamEqualsBoolean(token, "Height", nullptr));
}

TEST(Parser, TwoValueFormsTakeSpacesOrAComma) {
  struct Case {
    const char* line;
    bool valid;
    int a, b;
  } cases[] = {
      {"size = 3 4", true, 3, 4},
      {"size = 3,4", true, 3, 4},
      {"size = 3, 4", true, 3, 4},
      {"size = 3 ,4", true, 3, 4},
      {"size = -3\t,\t0x10", true, -3, 16},
      {"size = 3", false, 0, 0},
      {"size = 3,", false, 0, 0},
      {"size = 3 x", false, 0, 0},
      {"size = x 3", false, 0, 0},
      {"size 3 4", false, 0, 0},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.line);
    CaptureLog log;
    if (!test.valid)
      log.expect("...expected: \"^C00FF00size = integer integer^c\"\f");
    Text buffer(test.line);
    Parser parser(buffer.data());
    ASSERT_TRUE(parser.ParseLine());
    int a = 99, b = 99;
    EXPECT_TRUE(parser.ParamEqualsInt32_2(parser.GetToken(" "), "size", &a, &b));
    EXPECT_EQ(a, test.valid ? test.a : 99);
    EXPECT_EQ(b, test.valid ? test.b : 99);
  }

  CaptureLog log;
  log.expect("...expected: \"^C00FF00scale = float float^c\"\f");
  Text buffer("scale = 0.5,2\nscale = 0.5 two");
  Parser parser(buffer.data());
  float x = 0, y = 0;
  ASSERT_TRUE(parser.ParseLine());
  EXPECT_TRUE(parser.ParamEqualsFloat32_2(parser.GetToken(" "), "SCALE", &x, &y));
  EXPECT_EQ(x, 0.5f);
  EXPECT_EQ(y, 2.0f);
  ASSERT_TRUE(parser.ParseLine());
  EXPECT_TRUE(parser.ParamEqualsFloat32_2(parser.GetToken(" "), "scale", &x, &y));
  EXPECT_EQ(x, 0.5f);
  EXPECT_EQ(y, 2.0f);
}

// Every way a text can end in the middle of something, at the edge of readable memory.
TEST(Parser, NeverReadsPastTheEndOfTheText) {
  const char* endings[] = {
      "key", "key ", "key =", "key = ", "key = \"", "key = \"open", "\"", "key = 1,",
      "key = 1 ", "\r", "a\n", "a\r\n", "\t", "key = 0x", "\xEF", "\xEF\xBB", "",
  };
  for (const char* ending : endings) {
    SCOPED_TRACE(ending);
    CaptureLog log;
    for (int form = 0; form < 8; ++form) {
      GuardedText text(std::string(form < 4 ? "first = 1\n" : "") + ending);
      Parser parser(text.data());
      while (parser.ParseLine()) {
        char* token = parser.GetToken(" ");
        int a = 0, b = 0;
        float f = 0;
        if (form % 4 == 0)
          parser.ParamEqualsInt32(token, "key", &a);
        else if (form % 4 == 1)
          parser.ParamEqualsFloat32_2(token, "key", &f, &f);
        else if (form % 4 == 2)
          parser.ParamEqualsInt32_2(token, "key", &a, &b);
        else if (parser.GetEqualsToken())
          parser.GetString();
        while (parser.GetToken(" ,"))
          ;
      }
      EXPECT_FALSE(parser.ParseLine());
    }
    log.clear();  // the messages themselves are checked elsewhere
  }
}

TEST(MemoryMgr, CountsLiveBlocksAndBytesPerTag) {
  MemoryMgr memory;
  void* widget = memory.alloc(9, 100, "test", 1);
  void* buffer = memory.alloc(0, 7, "test", 2);
  void* record = memory.alloc(9, 20, "test", 3);
  ASSERT_TRUE(widget && buffer && record);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer) % alignof(std::max_align_t), 0u);
  EXPECT_EQ(memory.liveCount(9), 2u);
  EXPECT_EQ(memory.liveBytes(9), 120u);
  EXPECT_EQ(memory.liveCount(0), 1u);
  EXPECT_EQ(memory.liveBytes(0), 7u);

  memory.free(9, widget);
  memory.free(0, buffer);
  memory.free(0, nullptr);
  EXPECT_EQ(memory.liveCount(9), 1u);
  EXPECT_EQ(memory.liveBytes(9), 20u);
  EXPECT_EQ(memory.liveCount(0), 0u);
  memory.free(9, record);
  EXPECT_EQ(memory.liveCount(9), 0u);
  EXPECT_EQ(memory.liveBytes(9), 0u);
  EXPECT_EQ(memory.liveCount(-1), 0u);
  EXPECT_EQ(memory.liveCount(MemoryMgr::TAG_COUNT), 0u);
  EXPECT_EQ(memory.alloc(0, SIZE_MAX, "test", 4), nullptr);
}

TEST(MemoryMgr, BlocksFreedThroughAnotherManagerAreUncountedByTheirOwn) {
  MemoryMgr* defaultMemory = g_MemoryPtr;
  size_t before = defaultMemory->liveCount(9);
  void* early = g_MemoryPtr->alloc(9, 8, "test", 1);
  void* late = nullptr;
  {
    CountingMemory counting;
    EXPECT_EQ(g_MemoryPtr, &counting);
    g_MemoryPtr->free(9, early);
    late = g_MemoryPtr->alloc(9, 8, "test", 2);
    EXPECT_EQ(defaultMemory->liveCount(9), before);
    EXPECT_EQ(counting.liveCount(9), 1u);
    EXPECT_EQ(counting.allocCalls(), 1);
    EXPECT_EQ(counting.freeCalls(), 1);
  }
  EXPECT_EQ(g_MemoryPtr, defaultMemory);
  g_MemoryPtr->free(9, late);
  EXPECT_EQ(defaultMemory->liveCount(9), before);
}

TEST(MemoryMgr, CountsStayExactAcrossThreads) {
  MemoryMgr memory;
  auto churn = [&memory] {
    for (int i = 0; i < 2000; ++i)
      memory.free(0, memory.alloc(0, 16, "test", 1));
  };
  void* held = memory.alloc(0, 16, "test", 2);
  std::thread worker(churn);
  churn();
  worker.join();
  EXPECT_EQ(memory.liveCount(0), 1u);
  EXPECT_EQ(memory.liveBytes(0), 16u);
  memory.free(0, held);
}
