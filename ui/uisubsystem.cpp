#include "uisubsystem.h"

#include "uilock.h"

uiSubsystem* g_ui = nullptr;

uiSubsystem::uiSubsystem() {
  g_ui = this;
  lock = uiLock::create("uisubsystem", 61);
}

uiSubsystem::~uiSubsystem() {
  uiLock::destroy(lock);
  g_ui = nullptr;
}

void uiSubsystem::updateLock(bool enter) {
  if (!lock)
    return;
  if (enter)
    lock->enter();
  else
    lock->leave();
}
