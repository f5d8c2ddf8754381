#pragma once

#include "uiwidget.h"

#include "core.h"

#include <cstddef>
#include <functional>
#include <type_traits>

// What every class's key handlers share: the table of the keys a class reads from a definition
// block, the readers of "= value" that report a line without the form it should have had, and
// handlers that read a value straight into a field.

// One key of a table and its handler. The handler is given the table's spelling of the key, so
// that what it reports names the key as the class documents it, not as the file happens to spell
// it. A handler that returns false hands the line on to the base class.
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
      return std::invoke(entry.parse, target, parser, entry.key);
  }
  return false;
}

// Logs the form a key line should have had: ...expected: "form".
void uiReportExpected(const char* form);
// The token after "=", or null after reporting the form when the "=" or the token is missing.
char* uiExpectValue(Parser& parser, const char* form);
// Reads "= BOOLEAN" with the widget's own boolean words. Without the "=" the form "KEY = BOOLEAN"
// is reported, the value stays and the result is false.
bool uiExpectBoolean(uiWidget& widget, Parser& parser, const char* key, bool* value);

// The class and the type of a data member.
template <typename Member>
struct uiFieldOf;
template <typename Target, typename Value>
struct uiFieldOf<Value Target::*> {
  using TargetType = Target;
  using ValueType = Value;
};

// A handler that reads "KEY = value" into a field of type int, unsigned int, float or bool with
// the parser's value function for that type, which reports a malformed value and leaves the field.
template <auto Field>
bool uiReadValue(typename uiFieldOf<decltype(Field)>::TargetType& target, Parser& parser,
                 const char* key) {
  using Value = typename uiFieldOf<decltype(Field)>::ValueType;
  Value* value = &(target.*Field);
  // The key has matched already; the value function compares it again and reads the rest.
  if constexpr (std::is_same_v<Value, int>)
    return parser.ParamEqualsInt32(key, key, value);
  else if constexpr (std::is_same_v<Value, unsigned int>)
    return parser.ParamEqualsUInt32(key, key, value);
  else if constexpr (std::is_same_v<Value, float>)
    return parser.ParamEqualsFloat32(key, key, value);
  else
    return parser.ParamEqualsBoolean(key, key, value);
}

// A handler that reads "KEY = BOOLEAN" into a bool field with uiExpectBoolean: unlike the
// parser's boolean, any other word is reported and reads as false.
template <auto Field>
bool uiReadBoolean(typename uiFieldOf<decltype(Field)>::TargetType& widget, Parser& parser,
                   const char* key) {
  uiExpectBoolean(widget, parser, key, &(widget.*Field));
  return true;
}
