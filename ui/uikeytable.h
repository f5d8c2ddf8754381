#pragma once

#include "uiwidget.h"

#include <cstddef>
#include <functional>

class Parser;

// What every class's key handlers share: the table of the keys a class reads from a definition
// block, and the readers of "= value" that report a line without the form it should have had.

// One key of a table and its handler. A handler returns false when the line is not its own after
// all (the parser's value functions compare numeric keys themselves); the base class then sees it.
template <typename Handler>
struct uiKeyEntry {
  const char* key;
  Handler parse;
};

// Handlers are free functions of the target, or member functions of a widget that reads keys
// into fields of its own.
template <typename Target>
using uiKey = uiKeyEntry<bool (*)(Target& target, Parser& parser, const char* key)>;
template <typename Widget>
using uiMemberKey = uiKeyEntry<bool (Widget::*)(Parser& parser, const char* key)>;

// Runs the handler of the entry named key, matched without regard to case. False when no entry
// takes the line, which then goes to the base class.
template <typename Target, typename Handler, size_t Count>
bool uiParseKey(const uiKeyEntry<Handler> (&table)[Count], Target& target, Parser& parser,
                const char* key) {
  for (const uiKeyEntry<Handler>& entry : table) {
    if (uiNameEquals(key, entry.key))
      return std::invoke(entry.parse, target, parser, key);
  }
  return false;
}

// Logs the form a key line should have had: ...expected: "form".
void uiReportExpected(const char* form);
// The token after "=", or null after reporting the form when the "=" or the token is missing.
char* uiExpectValue(Parser& parser, const char* form);
// Reads "= BOOLEAN" with the widget's own boolean words. Without the "=" the form is reported,
// the value stays and the result is false.
bool uiExpectBoolean(uiWidget& widget, Parser& parser, const char* form, bool* value);
