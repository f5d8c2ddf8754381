#include "core.h"

#include "udlogger.h"

#include <cassert>
#include <charconv>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <strings.h>
#include <thread>

namespace {

// Placed in front of every block so that free knows its size and which manager counted it. Its
// size keeps the block behind it aligned for any type.
struct alignas(std::max_align_t) BlockHeader {
  size_t size;
  unsigned int serial;
  int tag;
};

std::atomic<unsigned int> s_nextSerial {1};

bool countedTag(int tag) {
  return tag >= 0 && tag < MemoryMgr::TAG_COUNT;
}

}  // namespace

// -- Memory --

namespace {

// Built at compile time and never destroyed, so that static objects of other files may allocate
// while the program starts and free while it ends.
union DefaultMemory {
  constexpr DefaultMemory() : manager() {}
  ~DefaultMemory() {}
  MemoryMgr manager;
};

DefaultMemory s_default;
MemoryMgr& s_defaultMemory = s_default.manager;

}  // namespace

MemoryMgr* g_MemoryPtr = &s_defaultMemory;

MemoryMgr::~MemoryMgr() = default;

void* MemoryMgr::alloc(int tag, size_t size, const char*, unsigned int) {
  if (size > SIZE_MAX - sizeof(BlockHeader))
    return nullptr;
  auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
  if (!header)
    return nullptr;
  header->size = size;
  header->serial = _serial();
  header->tag = tag;
  _count(tag, size);
  return header + 1;
}

void MemoryMgr::free(int tag, void* p) {
  if (!p)
    return;
  BlockHeader* header = static_cast<BlockHeader*>(p) - 1;
  // A block freed under another tag than it was made with is a fault of the caller.
  assert(header->tag == tag);
  (void)tag;
  if (header->serial == m_serial.load(std::memory_order_relaxed))
    _uncount(header->tag, header->size);
  else if (header->serial == s_defaultMemory.m_serial.load(std::memory_order_relaxed))
    s_defaultMemory._uncount(header->tag, header->size);
  std::free(header);
}

size_t MemoryMgr::liveCount(int tag) const {
  return countedTag(tag) ? m_liveCount[tag].load(std::memory_order_relaxed) : 0;
}

size_t MemoryMgr::liveBytes(int tag) const {
  return countedTag(tag) ? m_liveBytes[tag].load(std::memory_order_relaxed) : 0;
}

void MemoryMgr::_count(int tag, size_t size) {
  if (!countedTag(tag))
    return;
  m_liveCount[tag].fetch_add(1, std::memory_order_relaxed);
  m_liveBytes[tag].fetch_add(size, std::memory_order_relaxed);
}

void MemoryMgr::_uncount(int tag, size_t size) {
  if (!countedTag(tag))
    return;
  m_liveCount[tag].fetch_sub(1, std::memory_order_relaxed);
  m_liveBytes[tag].fetch_sub(size, std::memory_order_relaxed);
}

unsigned int MemoryMgr::_serial() {
  unsigned int serial = m_serial.load(std::memory_order_relaxed);
  if (serial != 0)
    return serial;
  unsigned int fresh = s_nextSerial.fetch_add(1, std::memory_order_relaxed);
  // Two threads may race for the first allocation; the first to store wins.
  return m_serial.compare_exchange_strong(serial, fresh) ? fresh : serial;
}

// -- Parser --

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

// The characters that separate tokens in one call: the delimiters given, and always tabs,
// carriage returns and the NUL. One bit per byte value, built once per call, so that each
// character of the line costs one lookup instead of a search of the delimiter string.
class SeparatorSet {
public:
  explicit SeparatorSet(const char* delimiters) {
    add('\0');
    add('\t');
    add('\r');
    for (; *delimiters != '\0'; ++delimiters)
      add(*delimiters);
  }

  bool contains(char c) const {
    unsigned char byte = static_cast<unsigned char>(c);
    return (m_bits[byte >> 6] >> (byte & 63)) & 1;
  }

  char* skip(char* at, const char* end) const {
    while (at != end && contains(*at))
      ++at;
    return at;
  }

private:
  void add(char c) {
    unsigned char byte = static_cast<unsigned char>(c);
    m_bits[byte >> 6] |= std::uint64_t {1} << (byte & 63);
  }

  std::uint64_t m_bits[4] {};
};

bool sameWord(const char* a, const char* b) {
  return a && b && strcasecmp(a, b) == 0;
}

// Reads the digits of `text` in `base` into `value`; false when there are none, when a character
// is not a digit, or when the value exceeds `limit`.
bool readDigits(const char* text, unsigned int base, unsigned long long limit,
                unsigned long long* value) {
  if (*text == '\0')
    return false;
  unsigned long long result = 0;
  for (; *text; ++text) {
    unsigned int digit;
    char c = *text;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return false;
    if (digit >= base)
      return false;
    result = result * base + digit;
    if (result > limit)
      return false;
  }
  *value = result;
  return true;
}

bool isHex(const char* text) {
  return text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

bool parseInt32(const char* text, int* out) {
  unsigned long long value;
  if (isHex(text)) {
    if (!readDigits(text + 2, 16, UINT32_MAX, &value))
      return false;
    *out = static_cast<int>(static_cast<uint32_t>(value));
    return true;
  }
  bool negative = *text == '-';
  if (*text == '-' || *text == '+')
    ++text;
  unsigned long long limit = negative ? 1ull + INT_MAX : INT_MAX;
  if (!readDigits(text, 10, limit, &value))
    return false;
  *out = negative ? static_cast<int>(-static_cast<long long>(value)) : static_cast<int>(value);
  return true;
}

bool parseUInt32(const char* text, unsigned int* out) {
  unsigned long long value;
  bool parsed = isHex(text) ? readDigits(text + 2, 16, UINT32_MAX, &value)
                            : readDigits(text + (*text == '+'), 10, UINT32_MAX, &value);
  if (parsed)
    *out = static_cast<unsigned int>(value);
  return parsed;
}

// Decimal notation only, whatever the C locale says the decimal point is.
bool parseFloat(const char* text, float* out) {
  if (*text == '+' && text[1] != '-')
    ++text;
  const char* end = text + std::strlen(text);
  float value;
  auto result = std::from_chars(text, end, value, std::chars_format::general);
  if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value))
    return false;
  *out = value;
  return true;
}

bool parseBoolean(const char* text, bool* out) {
  if (sameWord(text, "true"))
    *out = true;
  else if (sameWord(text, "false"))
    *out = false;
  else
    return false;
  return true;
}

void logExpected(const char* key, const char* expected) {
  udLogger::log(2, "...expected: \"^C00FF00%s = %s^c\"\f", key, expected);
}

// The value token after "=", or null when the "=" or the value is missing.
char* valueToken(Parser& parser, const char* delimiters) {
  return parser.GetEqualsToken() ? parser.GetToken(delimiters) : nullptr;
}

// Reads "= value" into *out; on any fault logs what was expected and leaves *out alone.
template <class T>
void readOne(Parser& parser, const char* key, const char* expected, bool (*parse)(const char*, T*),
             T* out) {
  char* value = valueToken(parser, " ");
  T parsed;
  if (!value || !parse(value, &parsed)) {
    logExpected(key, expected);
    return;
  }
  if (out)
    *out = parsed;
}

// As readOne for "= value value", the values apart by spaces, a comma or both.
template <class T>
void readTwo(Parser& parser, const char* key, const char* expected, bool (*parse)(const char*, T*),
             T* out1, T* out2) {
  char* first = valueToken(parser, " ,");
  char* second = first ? parser.GetToken(" ,") : nullptr;
  T parsed1, parsed2;
  if (!second || !parse(first, &parsed1) || !parse(second, &parsed2)) {
    logExpected(key, expected);
    return;
  }
  if (out1)
    *out1 = parsed1;
  if (out2)
    *out2 = parsed2;
}

}  // namespace

// Editors on Windows often start a UTF-8 file with a byte order mark; it is not part of the
// first token.
Parser::Parser(char* text) : m_nextLine(text) {
  if (text && std::strncmp(text, "\xEF\xBB\xBF", 3) == 0)
    m_nextLine = text + 3;
}

Parser::~Parser() = default;

bool Parser::ParseLine() {
  while (m_nextLine) {
    char* line = m_nextLine;
    m_lineNumber = m_nextLineNumber;
    char* end = line;
    bool content = false;
    for (; *end != '\0' && *end != '\n'; ++end)
      content = content || !isBlank(*end);
    if (*end == '\n') {
      *end = '\0';
      m_nextLine = end + 1;
      ++m_nextLineNumber;
    } else {
      m_nextLine = nullptr;
    }
    if (content) {
      m_cursor = line;
      m_lineEnd = end;
      return true;
    }
  }
  m_cursor = m_lineEnd = m_empty;
  return false;
}

char* Parser::GetToken(const char* delimiters) {
  const SeparatorSet separators(delimiters ? delimiters : " ");
  char* start = separators.skip(m_cursor, m_lineEnd);
  if (start == m_lineEnd) {
    m_cursor = m_lineEnd;
    return nullptr;
  }
  char* end;
  if (*start == '"') {
    ++start;
    end = start;
    while (end != m_lineEnd && *end != '"')
      ++end;
  } else {
    end = start;
    while (end != m_lineEnd && !separators.contains(*end))
      ++end;
  }
  m_cursor = end == m_lineEnd ? end : end + 1;
  *end = '\0';
  return start;
}

bool Parser::GetEqualsToken() {
  char* at = _skipSeparators(m_cursor, " ");
  if (at == m_lineEnd || at[0] != '=' || !(at[1] == '\0' || _isSeparator(at[1], " ")))
    return false;
  m_cursor = at + 1;
  return true;
}

char* Parser::GetString() {
  char* start = _skipSeparators(m_cursor, " ");
  char* end = m_lineEnd;
  while (end != start && isBlank(end[-1]))
    --end;
  if (end - start >= 2 && *start == '"' && end[-1] == '"') {
    ++start;
    --end;
  }
  *end = '\0';
  m_cursor = m_lineEnd;
  return start;
}

bool Parser::ParamEqualsInt32(const char* token, const char* key, int* out) {
  if (!sameWord(token, key))
    return false;
  readOne(*this, key, "integer", parseInt32, out);
  return true;
}

bool Parser::ParamEqualsUInt32(const char* token, const char* key, unsigned int* out) {
  if (!sameWord(token, key))
    return false;
  readOne(*this, key, "unsigned integer", parseUInt32, out);
  return true;
}

bool Parser::ParamEqualsFloat32(const char* token, const char* key, float* out) {
  if (!sameWord(token, key))
    return false;
  readOne(*this, key, "float", parseFloat, out);
  return true;
}

bool Parser::ParamEqualsBoolean(const char* token, const char* key, bool* out) {
  if (!sameWord(token, key))
    return false;
  readOne(*this, key, "BOOLEAN", parseBoolean, out);
  return true;
}

bool Parser::ParamEqualsInt32_2(const char* token, const char* key, int* out1, int* out2) {
  if (!sameWord(token, key))
    return false;
  readTwo(*this, key, "integer integer", parseInt32, out1, out2);
  return true;
}

bool Parser::ParamEqualsFloat32_2(const char* token, const char* key, float* out1, float* out2) {
  if (!sameWord(token, key))
    return false;
  readTwo(*this, key, "float float", parseFloat, out1, out2);
  return true;
}

int Parser::GetLineNumber() const {
  return m_lineNumber;
}

bool Parser::_isSeparator(char c, const char* delimiters) const {
  return SeparatorSet(delimiters).contains(c);
}

char* Parser::_skipSeparators(char* at, const char* delimiters) const {
  return SeparatorSet(delimiters).skip(at, m_lineEnd);
}

// -- String table --

StringTable* g_stringTblPtr = nullptr;

StringTable::~StringTable() = default;

const char* StringTable::translate(const char* key) {
  return key;
}

// -- Platform --

namespace {

// The substitute's cursor: the game sets it, the library reads it.
struct CursorState {
  std::mutex mutex;
  int x = 0;
  int y = 0;
  bool shown = true;
};

CursorState& cursor() {
  static CursorState state;
  return state;
}

}  // namespace

namespace Platform {

void Sleep(unsigned int ms) {
  if (ms == 0)
    std::this_thread::yield();
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void ShowCursor(bool show) {
  std::lock_guard<std::mutex> hold(cursor().mutex);
  cursor().shown = show;
}

void GetCursorPos(int& x, int& y) {
  std::lock_guard<std::mutex> hold(cursor().mutex);
  x = cursor().x;
  y = cursor().y;
}

void SetCursorPos(int x, int y) {
  std::lock_guard<std::mutex> hold(cursor().mutex);
  cursor().x = x;
  cursor().y = y;
}

bool IsCursorShown() {
  std::lock_guard<std::mutex> hold(cursor().mutex);
  return cursor().shown;
}

}  // namespace Platform
