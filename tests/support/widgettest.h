#pragma once

#include "capturelog.h"
#include "recordinggfx.h"
#include "recordingsound.h"
#include "uisubsystem.h"

#include <memory>
#include <string>

class MemoryMgr;
class uiTextWidget;

// What the widget tests share: reading definition text into widgets, owning a tree, and a stage
// with the capturing log, the recording backends and a UI manager.

// Reads key lines (no braces) into a widget, as the loader does inside the widget's block.
void applyKeys(uiWidget& widget, const std::string& keys);
// Reads a whole definition, header line first, as the loader does; null when nothing is made.
uiWidget* parseWidget(const std::string& text, uiWidget* parent = nullptr);

struct DeleteWidget {
  void operator()(uiWidget* widget) const { delete widget; }
};
using Tree = std::unique_ptr<uiWidget, DeleteWidget>;

int childCount(const uiWidget* widget);
uiWidget* firstChild(const uiWidget* widget);  // the newest child, or null
std::u32string textOf(const uiTextWidget& widget);

// Fails the test when, at the end of its scope, the memory manager that was installed at its
// start holds another number of widget blocks (tag 9) or transient blocks (tag 0).
class LeakCheck {
public:
  LeakCheck();
  ~LeakCheck();
  LeakCheck(const LeakCheck&) = delete;
  LeakCheck& operator=(const LeakCheck&) = delete;

private:
  MemoryMgr* m_memory;
  size_t m_widgets, m_transient;
};

// One test's world, built in this order and taken down in reverse: the leak check, the log (any
// message not expected fails the test), the recording backends (any misuse of the graphics
// backend fails the test) and the UI manager.
struct WidgetStage {
  WidgetStage() = default;
  ~WidgetStage();

  LeakCheck leaks;
  CaptureLog log;
  RecordingGfx gfx;
  RecordingSound sound;
  uiSubsystem ui;
};
