#include "uiloadbudget.h"

#include "udlogger.h"

namespace {

// Each thread that loads counts its own: files open now, and files read since the outermost one.
thread_local int t_openFiles = 0;
thread_local int t_filesRead = 0;

}  // namespace

uiLoadBudget::uiLoadBudget() {
  if (t_openFiles++ == 0)
    t_filesRead = 0;
  m_exceeded = ++t_filesRead > MAX_FILES;
}

uiLoadBudget::~uiLoadBudget() {
  --t_openFiles;
}

void uiLoadBudget::report(const char* file) {
  udLogger::log(2, "...more than %d files read for one load: \"^C00FF00%s^c\"\f", MAX_FILES,
                file);
}
