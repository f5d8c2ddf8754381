#include "uiwidget.h"

#include "uidialog.h"
#include "uikeytable.h"
#include "uiloadbudget.h"

#include "core.h"
#include "file.h"
#include "udlogger.h"

#include <cassert>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

// The UI definition loader, one function per rule of the format, in the order the format nests:
//   loadUI          read a file whole and parse the one object it holds
//   _parseUI        run a parser over the text; discard the result when a stop was requested
//   parseObjHeader  find the first line that reads as a header
//   _parseChildHeader   NAME = TYPE (then the block) or #FILE
//   parse           the block: "{", comments, key lines, "}"
//   _parseParams    the base keys; "child" goes back to _parseChildHeader
// The engine's Parser turns text into lines and tokens; each widget class decides what its own
// keys mean in its _parseParams.

uiProgressCallback uiWidget::_progCb = nullptr;
void* uiWidget::_progClient = nullptr;

namespace {

// Nesting bounds: a file that includes itself, or thousands of nested blocks, ends in a report
// instead of a stack overflow.
const int kMaxIncludeNesting = 32;
const int kMaxChildNesting = 256;

// Include files and object blocks open on this thread; each loading thread counts its own.
thread_local int t_includeDepth = 0;
thread_local int t_blockDepth = 0;
// The innermost file being parsed on this thread; each entry points to the one it is nested in.
thread_local _ParsePosition_s* t_parsePosition = nullptr;

// Counts one level of nesting for the life of a scope.
class NestingLevel {
public:
  explicit NestingLevel(int& depth) : m_depth(depth) { ++m_depth; }
  ~NestingLevel() { --m_depth; }
  NestingLevel(const NestingLevel&) = delete;
  NestingLevel& operator=(const NestingLevel&) = delete;

private:
  int& m_depth;
};

// Frees a transient buffer through the memory manager, so every early return of the loader
// gives the file text back.
struct TransientFree {
  void operator()(unsigned char* buffer) const { g_MemoryPtr->free(0, buffer); }
};
using TextBuffer = std::unique_ptr<unsigned char[], TransientFree>;

// -- The grammar's vocabulary --

void report(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Logs one loader error (severity 2).
void report(const char* format, ...) {
  char message[1024];
  va_list args;
  va_start(args, format);
  int length = vsnprintf(message, sizeof message, format, args);
  va_end(args);
  // A message cut short by a very long token still ends the way every message does.
  if (length >= static_cast<int>(sizeof message))
    message[sizeof message - 2] = '\f';
  udLogger::log(2, "%s", message);
}

char* nextToken(Parser& parser) {
  return parser.GetToken(" ");
}

// Block and comment markers are matched exactly, unlike keys.
bool isMarker(const char* token, const char* marker) {
  return std::strcmp(token, marker) == 0;
}

// Skips the lines of a block that is not parsed, up to its closing "}" (nested blocks and
// comments included), so that its lines are not read as the enclosing block's keys.
void skipBlock(Parser& parser) {
  int open = 0;
  bool inComment = false;
  while (!uiWidget::s_terminate && parser.ParseLine()) {
    const char* token = nextToken(parser);
    if (!token)
      continue;
    if (isMarker(token, "/*"))
      inComment = true;
    else if (isMarker(token, "*/"))
      inComment = false;
    else if (inComment)
      continue;
    else if (isMarker(token, "{"))
      ++open;
    else if (isMarker(token, "}") && --open <= 0)
      return;
  }
}

// Edge arithmetic wraps around instead of overflowing, so that any values a file holds give a
// defined result.
int wrappingAdd(int a, int b) {
  return static_cast<int>(static_cast<unsigned int>(a) + static_cast<unsigned int>(b));
}

int wrappingSub(int a, int b) {
  return static_cast<int>(static_cast<unsigned int>(a) - static_cast<unsigned int>(b));
}

// Deletes a tree that the loader built and cannot hand on. Its widgets may already stand in the
// tab order of dialogs above it ("tabentry"), which outlive it.
void discardTree(uiWidget* tree) {
  for (uiWidget* above = tree->parent; above; above = above->parent) {
    if (above->isType("uiDialog"))
      static_cast<uiDialog*>(above)->removeTabEntries(tree);
  }
  delete tree;
}

// Adds a child that a "child" line built. addChild leaves a child out when its list node cannot
// be allocated (and says so); such a child belongs to nobody and is deleted here.
void adoptChild(uiWidget& parentWidget, uiWidget* child) {
  if (!child) {
    report("...failed to create child for: %s\f", parentWidget.name);
    return;
  }
  parentWidget.addChild(child, false);
  if (!parentWidget.children || parentWidget.children->widget != child)
    discardTree(child);
}

// The recursive state setters take the value of a "KEY = BOOLEAN" line.
bool parseState(uiWidget& widget, Parser& parser, const char* key,
                void (uiWidget::*set)(bool on, bool recursive)) {
  bool on = false;
  if (uiExpectBoolean(widget, parser, key, &on))
    (widget.*set)(on, true);
  return true;
}

}  // namespace

// -- Files --

uiWidget* uiWidget::loadUI(const char* file, uiWidget* parentWidget) {
  if (t_includeDepth >= kMaxIncludeNesting) {
    report("...include nesting deeper than %d: \"^C00FF00%s^c\"\f", kMaxIncludeNesting, file);
    return nullptr;
  }
  NestingLevel include(t_includeDepth);
  uiLoadBudget budget;
  if (budget.exceeded()) {
    uiLoadBudget::report(file);
    return nullptr;
  }
  unsigned int size = 0;
  TextBuffer text(_readFileText(file, &size, "uiwidget_parse", 73));
  if (!text)
    return nullptr;
  // Pushed once the text is read: a file that cannot be read is reported at the including line.
  _ParsePosition_s position {file, nullptr, nullptr};
  _pushParsePosition(&position);
  uiWidget* widget = _parseUI(text.get(), static_cast<int>(size - 1), parentWidget);
  _popParsePosition(&position);
  return widget;
}

unsigned char* uiWidget::_readFileText(const char* file, unsigned int* size, const char* source,
                                       unsigned int line) {
  *size = 0;
  _KroFileType_s* handle = File::open(file, "rb");
  if (!handle) {
    report("uiSubsystem: could not open file: \"^C00FF00%s^c\"\f", file);
    return nullptr;
  }
  unsigned int length = File::getLength(handle);
  auto* text = static_cast<unsigned char*>(
      g_MemoryPtr->alloc(0, static_cast<size_t>(length) + 1, source, line));
  if (!text) {
    report("uiSubsystem: Memory Allocation Error: \"^C00FF00%s^c\"\f", file);
  } else {
    // Read byte-wise so that a short read still knows where the text it got ends.
    unsigned int bytesRead = File::read(text, 1, length, handle);
    if (bytesRead != length)
      report("uiSubsystem: File I/O Error: \"^C00FF00%s^c\"\f", file);
    if (bytesRead > length)
      bytesRead = length;
    text[bytesRead] = 0;
    *size = bytesRead + 1;
  }
  File::close(handle);
  return text;
}

// The text holds its bytes followed by a NUL, which is all the parser reads up to.
uiWidget* uiWidget::_parseUI(unsigned char* text, int, uiWidget* parentWidget) {
  uiWidget* widget = nullptr;
  // The file that loadUI pushed is read by this parser.
  _ParsePosition_s* position =
      t_parsePosition && !t_parsePosition->parser ? t_parsePosition : nullptr;
  {
    Parser parser(reinterpret_cast<char*>(text));
    if (position)
      position->parser = &parser;
    widget = parseObjHeader(&parser, parentWidget);
    if (position)
      position->parser = nullptr;
  }
  if (s_terminate) {
    if (widget)
      discardTree(widget);
    return nullptr;
  }
  return widget;
}

// -- Headers --

uiWidget* uiWidget::parseObjHeader(Parser* parser, uiWidget* parentWidget) {
  if (!parser->ParseLine())
    return nullptr;
  do {
    Platform::Sleep(0);
    if (uiWidget* widget = _parseChildHeader(parser, parentWidget))
      return widget;
  } while (!s_terminate && parser->ParseLine());
  return nullptr;
}

uiWidget* uiWidget::_parseChildHeader(Parser* parser, uiWidget* parentWidget) {
  char* widgetName = nextToken(*parser);
  if (!widgetName) {
    uiReportExpected("obj = type");
    return nullptr;
  }
  if (widgetName[0] == '#')
    return loadUI(widgetName + 1, parentWidget);
  char* type = uiExpectValue(*parser, "obj = type");
  if (!type)
    return nullptr;
  if (t_blockDepth >= kMaxChildNesting) {
    report("...[%s:%d] child nesting deeper than %d: ^C00FF00%s^c\f",
           parentWidget ? parentWidget->name : "", parser->GetLineNumber(), kMaxChildNesting,
           widgetName);
    skipBlock(*parser);
    return nullptr;
  }
  uiWidget* widget = allocWidget(widgetName, type);
  _progressReport(widget, UIPROG_CREATED);
  if (!widget) {
    report("...failed to alloc widget: %s of type %s\f", widgetName, type);
    return nullptr;
  }
  // The parent is known while the block is read, for "#parent" depths and tab entries.
  widget->parent = parentWidget;
  {
    NestingLevel block(t_blockDepth);
    widget->parse(parser, false);
  }
  _progressReport(widget, UIPROG_DONE);
  return widget;
}

// -- Blocks --

void uiWidget::parse(Parser* parser, bool inBlock) {
  bool inComment = false;
  bool seenOpen = false;
  while (parser->ParseLine() && !s_terminate) {
    char* token = nextToken(*parser);
    if (!token)
      continue;
    if (isMarker(token, "/*")) {
      inComment = true;
    } else if (isMarker(token, "*/")) {
      inComment = false;
    } else if (inComment) {
      continue;
    } else if (isMarker(token, "{")) {
      seenOpen = true;
    } else if (isMarker(token, "}")) {
      return;
    } else if (inBlock || seenOpen) {
      _parseParams(parser, token);
      _progressReport(this, UIPROG_PARAM);
    }
  }
}

// -- Keys --

void uiWidget::_parseParams(Parser* parser, char* key) {
  // The rectangle keys, matched and read by the parser. A size sets the far edge from the near
  // edge as it stands when its line is read.
  struct RectKey {
    const char* key;
    int uiWidget::*edge;
    int uiWidget::*nearEdge;  // null for an edge given directly
  };
  static const RectKey rectKeys[] = {
      {"x", &uiWidget::x, nullptr},
      {"y", &uiWidget::y, nullptr},
      {"x2", &uiWidget::x2, nullptr},
      {"y2", &uiWidget::y2, nullptr},
      {"width", &uiWidget::x2, &uiWidget::x},
      {"height", &uiWidget::y2, &uiWidget::y},
  };
  // The word keys; each handler reports a line that lacks the form it expects.
  static const uiKey<uiWidget> wordKeys[] = {
      {"depth",
       [](uiWidget& w, Parser& p, const char*) {
         if (const char* depthName = uiExpectValue(p, "depth = val"))
           w.setDepth(depthName);
         return true;
       }},
      {"flags",
       [](uiWidget& w, Parser& p, const char*) {
         if (!p.GetEqualsToken()) {
           uiReportExpected("flags = FLAGS");
           return true;
         }
         w.flags = 0;
         w._parseFlags(&p);
         return true;
       }},
      {"inputfocus",
       [](uiWidget& w, Parser& p, const char* key) {
         return parseState(w, p, key, &uiWidget::setInputFocus);
       }},
      {"active",
       [](uiWidget& w, Parser& p, const char* key) {
         return parseState(w, p, key, &uiWidget::setActive);
       }},
      {"visible",
       [](uiWidget& w, Parser& p, const char* key) {
         return parseState(w, p, key, &uiWidget::setVisible);
       }},
      {"tabentry",
       [](uiWidget& w, Parser&, const char*) {
         for (uiWidget* ancestor = w.parent; ancestor; ancestor = ancestor->parent) {
           if (ancestor->isType("uiDialog"))
             static_cast<uiDialog*>(ancestor)->addTabEntry(&w);
         }
         return true;
       }},
      {"child",
       [](uiWidget& w, Parser& p, const char*) {
         adoptChild(w, _parseChildHeader(&p, &w));
         return true;
       }},
      {"#scriptlet",
       [](uiWidget& w, Parser& p, const char*) {
         if (const char* file = nextToken(p))
           w.applyScriptlet(file);
         else
           uiReportExpected("#scriptlet file");
         return true;
       }},
      {"globalinputfocus",
       [](uiWidget& w, Parser& p, const char*) {
         if (const char* path = uiExpectValue(p, "globalinputfocus = val"))
           w.addGlobalInputFocusWidget(path);
         return true;
       }},
  };

  for (const RectKey& rect : rectKeys) {
    // The parser leaves the value alone when it reports a bad one, so the edge stays too.
    int nearEdge = rect.nearEdge ? this->*rect.nearEdge : 0;
    int value = wrappingSub(this->*rect.edge, nearEdge);
    if (parser->ParamEqualsInt32(key, rect.key, &value)) {
      this->*rect.edge = wrappingAdd(nearEdge, value);
      return;
    }
  }
  if (uiParseKey(wordKeys, *this, *parser, key))
    return;
  report("...[%s:%d] Unknown parameter: ^C00FF00%s\f", name, parser->GetLineNumber(), key);
}

// -- Values --

void uiWidget::_parseFlags(Parser* parser) {
  bool flagExpected = true;
  for (char* token = nextToken(*parser); token; token = nextToken(*parser)) {
    if (flagExpected) {
      _parseSingleFlag(token);
    } else if (!isMarker(token, "|")) {
      report("Invalid syntax: expected \"|\"\f");
      return;
    }
    flagExpected = !flagExpected;
  }
}

void uiWidget::_parseSingleFlag(const char* flag) {
  struct FlagWord {
    const char* word;
    void (*apply)(uiWidget& widget);
  };
  static const FlagWord flagWords[] = {
      {"WF_VISIBLE", [](uiWidget& w) { w.setVisible(true, true); }},
      {"WF_ACTIVE", [](uiWidget& w) { w.setActive(true, true); }},
      {"WF_INPUT_FOCUS", [](uiWidget& w) { w.setInputFocus(true, true); }},
      {"WF_ALPHA_TEST", [](uiWidget& w) { w.flags |= WF_ALPHA_TEST; }},
      {"WF_ROOT_COORDS", [](uiWidget& w) { w.flags |= WF_ROOT_COORDS; }},
      {"WF_IGNORE_ALPHA", [](uiWidget& w) { w.flags |= WF_IGNORE_ALPHA; }},
  };
  for (const FlagWord& flagWord : flagWords) {
    if (uiNameEquals(flag, flagWord.word)) {
      flagWord.apply(*this);
      return;
    }
  }
  report("Unknown flag: %s\f", flag);
}

bool uiWidget::_parseBoolean(Parser* parser) {
  const char* token = nextToken(*parser);
  if (token && uiNameEquals(token, "true"))
    return true;
  if (!token || !uiNameEquals(token, "false"))
    report("...Expected: true or false\f");
  return false;
}

void uiWidget::_parseError(const char* message) {
  report("...expected: ^C00FF00%s^c\f", message);
}

// -- Progress --

void uiWidget::registerProgCb(uiProgressCallback callback, void* client) {
  _progCb = callback;
  _progClient = client;
}

void uiWidget::_progressReport(uiWidget* widget, e_uiProgressEvent event) {
  if (_progCb)
    _progCb(widget, _progClient, event);
}

// -- Parse position --

bool uiWidget::s_getParsePosition(const char** file, int* line) {
  const _ParsePosition_s* position = t_parsePosition;
  if (!position)
    return false;
  *file = position->file;
  *line = position->parser ? position->parser->GetLineNumber() : 0;
  return true;
}

void uiWidget::_pushParsePosition(_ParsePosition_s* position) {
  position->outer = t_parsePosition;
  t_parsePosition = position;
}

void uiWidget::_popParsePosition(_ParsePosition_s* position) {
  assert(t_parsePosition == position);
  t_parsePosition = position->outer;
}
