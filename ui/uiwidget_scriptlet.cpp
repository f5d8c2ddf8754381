#include "uiwidget.h"

#include "core.h"
#include "udlogger.h"
#include "uiloadbudget.h"
#include "uilock.h"

#include <cstring>
#include <memory>
#include <new>

// Scriptlets: files of key lines applied to an existing widget as if they stood in its block.
// Their texts are kept in a most-recently-used cache of MAX_SCRIPTLETS entries, shared by the
// game's thread and the background loader's, under one global lock.

_ScriptletCache_s* uiWidget::s_scriptletCacheHead = nullptr;
_ScriptletCache_s* uiWidget::s_scriptletCacheTail = nullptr;

namespace {

// The cache's lock lives in static storage from the library's load to its unload: it exists
// before any thread can apply a scriptlet, and does not depend on the memory manager being set
// up first or staying the same.
uiLock s_cacheLock;

// A scriptlet that applies itself, directly or through others, stops here.
const int kMaxScriptletNesting = 32;
thread_local int t_scriptletDepth = 0;

struct TransientFree {
  void operator()(unsigned char* buffer) const { g_MemoryPtr->free(0, buffer); }
};
using TextBuffer = std::unique_ptr<unsigned char[], TransientFree>;

// A Parser on the memory manager's heap (tag 0), destroyed and freed with its holder.
struct ParserFree {
  void operator()(Parser* parser) const {
    parser->~Parser();
    g_MemoryPtr->free(0, parser);
  }
};
using ParserHolder = std::unique_ptr<Parser, ParserFree>;

ParserHolder makeParser(unsigned char* text) {
  void* memory = g_MemoryPtr->alloc(0, sizeof(Parser), "uiwidget_scriptlet", 222);
  return ParserHolder(memory ? new (memory) Parser(reinterpret_cast<char*>(text)) : nullptr);
}

void reportNoMemory(const char* file) {
  udLogger::log(2, "uiSubsystem: Memory Allocation Error: \"^C00FF00%s^c\"\f", file);
}

// -- The cache's list; every function here runs under the cache's lock --

void freeEntry(_ScriptletCache_s* entry) {
  if (entry->data)
    g_MemoryPtr->free(0, entry->data);
  g_MemoryPtr->free(9, entry);
}

void unlinkEntry(_ScriptletCache_s* entry) {
  if (entry->prev)
    entry->prev->next = entry->next;
  else
    uiWidget::s_scriptletCacheHead = entry->next;
  if (entry->next)
    entry->next->prev = entry->prev;
  else
    uiWidget::s_scriptletCacheTail = entry->prev;
  entry->next = entry->prev = nullptr;
}

void pushHead(_ScriptletCache_s* entry) {
  entry->prev = nullptr;
  entry->next = uiWidget::s_scriptletCacheHead;
  if (entry->next)
    entry->next->prev = entry;
  else
    uiWidget::s_scriptletCacheTail = entry;
  uiWidget::s_scriptletCacheHead = entry;
}

void evictTail() {
  _ScriptletCache_s* tail = uiWidget::s_scriptletCacheTail;
  if (!tail)
    return;
  unlinkEntry(tail);
  freeEntry(tail);
}

}  // namespace

uiLock* uiWidget::s_scriptletLock = &s_cacheLock;

void uiWidget::applyScriptlet(const char* file) {
  _parseScriptlet(file);
}

void uiWidget::s_freeScripletCache() {
  uiLockGuard guard(s_scriptletLock);
  while (_ScriptletCache_s* entry = s_scriptletCacheHead) {
    s_scriptletCacheHead = entry->next;
    freeEntry(entry);
  }
  s_scriptletCacheTail = nullptr;
}

// Each application parses a private copy: the parser writes into its text, and the cached text
// may be evicted by another thread as soon as the lock is left, so the copy is made inside it.
void uiWidget::_parseScriptlet(const char* file) {
  if (t_scriptletDepth >= kMaxScriptletNesting) {
    udLogger::log(2, "...scriptlet nesting deeper than %d: \"^C00FF00%s^c\"\f",
                  kMaxScriptletNesting, file);
    return;
  }
  uiLoadBudget budget;
  if (budget.exceeded()) {
    uiLoadBudget::report(file);
    return;
  }
  TextBuffer copy;
  {
    uiLockGuard guard(s_scriptletLock);
    unsigned int size = 0;
    const unsigned char* cached = _loadCachedScriptlet(file, &size);
    if (!cached)
      return;
    copy.reset(static_cast<unsigned char*>(
        g_MemoryPtr->alloc(0, size, "uiwidget_scriptlet", 213)));
    if (!copy) {
      reportNoMemory(file);
      return;
    }
    std::memcpy(copy.get(), cached, size);
  }
  ParserHolder parser = makeParser(copy.get());
  if (!parser) {
    reportNoMemory(file);
    return;
  }
  _ParsePosition_s position {file, parser.get(), nullptr};
  _pushParsePosition(&position);
  ++t_scriptletDepth;
  parse(parser.get(), true);
  --t_scriptletDepth;
  _popParsePosition(&position);
}

unsigned char* uiWidget::_loadCachedScriptlet(const char* file, unsigned int* size) {
  *size = 0;
  int entriesPassed = 0;
  for (_ScriptletCache_s* entry = s_scriptletCacheHead; entry; entry = entry->next) {
    if (uiNameEquals(entry->name, file)) {
      if (entry != s_scriptletCacheHead) {
        unlinkEntry(entry);
        pushHead(entry);
      }
      *size = entry->size;
      return entry->data;
    }
    ++entriesPassed;
  }
  if (entriesPassed >= MAX_SCRIPTLETS)
    evictTail();

  unsigned int textSize = 0;
  unsigned char* text = _readFileText(file, &textSize, "uiwidget_scriptlet", 151);
  if (!text)
    return nullptr;
  void* memory = g_MemoryPtr->alloc(9, sizeof(_ScriptletCache_s), "uiwidget_scriptlet", 171);
  if (!memory) {
    reportNoMemory(file);
    g_MemoryPtr->free(0, text);
    return nullptr;
  }
  auto* entry = new (memory) _ScriptletCache_s();
  uiCopyName(entry->name, file, sizeof entry->name);
  entry->data = text;
  entry->size = textSize;
  pushHead(entry);
  *size = textSize;
  return text;
}
