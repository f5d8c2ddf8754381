// Builds a menu from UI definition text, clicks its button through the UI manager and prints what
// the game hears. It runs against the engine's inert graphics backend, so nothing is drawn: the
// button has a size of its own and is hit by its rectangle. Exits 1 when the click is not heard.
#include "uibutton.h"
#include "uisubsystem.h"

#include "core.h"

#include <cstdio>

namespace {

char g_menuText[] = R"(
menu = uiNonVisualWidget
{
    width = 640
    height = 480
    flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS
    child start = uiButton
    {
        x = 270
        y = 200
        width = 100
        height = 40
        flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS
        clicksound = start_click
    }
}
)";

bool onRelease(uiWidget* widget, void* client, int x, int y) {
  std::printf("released %s at (%d, %d)\n", widget->name, x, y);
  ++*static_cast<int*>(client);
  return true;
}

}  // namespace

int main() {
  uiSubsystem ui;
  ui.initialize(nullptr);

  // loadUI reads the same text from a file; a parser over a buffer is enough here.
  Parser parser(g_menuText);
  uiWidget* menu = uiWidget::parseObjHeader(&parser, nullptr);
  if (!menu)
    return 1;
  menu->initialize();
  ui.setTopLevelWidget(menu);

  int clicks = 0;
  _WidgetMap_s callbacks {};
  callbacks.releaseCb = onRelease;
  uiWidget* start = menu->getWidget("menu.start", 0);
  start->assignCallbacks(&callbacks, &clicks);

  // The game forwards its input events, then runs the frame.
  ui.inputEvent(UIE_MOUSEMOVE, 300, 215, 0);
  ui.inputEvent(UIE_MOUSEDOWN, 300, 215, 0);
  ui.inputEvent(UIE_MOUSEUP, 300, 215, 0);
  ui.render(16);

  std::printf("%d click(s); button %s\n", clicks,
              static_cast<uiButton*>(start)->isHovering() ? "hovered" : "not hovered");
  ui.setTopLevelWidget(nullptr);
  ui.shutdown();
  delete menu;
  return clicks == 1 ? 0 : 1;
}
