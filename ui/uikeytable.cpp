#include "uikeytable.h"

#include "core.h"
#include "udlogger.h"

void uiReportExpected(const char* form) {
  udLogger::log(2, "...expected: \"^C00FF00%s^c\"\f", form);
}

char* uiExpectValue(Parser& parser, const char* form) {
  char* value = parser.GetEqualsToken() ? parser.GetToken(" ") : nullptr;
  if (!value)
    uiReportExpected(form);
  return value;
}

bool uiExpectBoolean(uiWidget& widget, Parser& parser, const char* key, bool* value) {
  if (!parser.GetEqualsToken()) {
    udLogger::log(2, "...expected: \"^C00FF00%s = BOOLEAN^c\"\f", key);
    return false;
  }
  *value = widget._parseBoolean(&parser);
  return true;
}
