// Pushes an animated dialog and runs frames until it has slid in, then pops it and runs frames
// until it has left, printing its state and position as the dialog stack works. The stack takes
// its commands in the next frame and waits while a dialog animates. Inert graphics: nothing is
// drawn. Exits 1 when the dialog does not come and go as expected.
#include "uidialog.h"
#include "uisubsystem.h"

#include "core.h"

#include <cstdio>

namespace {

char g_dialogText[] = R"(
popup = uiAnimDialog
{
    x = -300
    y = 100
    width = 300
    height = 200
    AnimIn style = BezierLerp
    AnimIn Time = 200
    AnimIn Loc = 250 100
    AnimIn BezierControls = 0.5 1
    AnimOut style = BezierLerp
    AnimOut Time = 100
    AnimOut Loc = 800 100
}
)";

const char* stateName(int state) {
  static const char* const k_names[] = {"hidden", "idle", "entering", "exiting"};
  return state >= 0 && state <= 3 ? k_names[state] : "?";
}

// Runs frames of 16 ms until the dialog is settled on top of the stack (or, when `pushed` is
// false, until it has left the stack); false when that takes more than `limit` frames.
bool runUntil(uiSubsystem& ui, uiDialog* dialog, bool pushed, int limit) {
  for (int frame = 0; frame < limit; ++frame) {
    ui.render(16);
    std::printf("frame %2llu: %-8s x = %d\n", uiWidget::s_frameNumber,
                stateName(dialog->getState()), dialog->x);
    if (pushed ? ui.topDialogIsIdle(dialog) : !ui.isDialogPushed(dialog))
      return true;
  }
  return false;
}

}  // namespace

int main() {
  uiSubsystem ui;
  ui.initialize(nullptr);
  Parser parser(g_dialogText);
  uiDialog* popup = static_cast<uiDialog*>(uiWidget::parseObjHeader(&parser, nullptr));
  if (!popup)
    return 1;
  popup->initialize();
  ui.setTopLevelWidget(popup);

  ui.pushDialog(popup, true);
  bool entered = runUntil(ui, popup, true, 30);
  ui.popDialog(popup, true);
  bool left = runUntil(ui, popup, false, 30);
  bool ok = entered && left && popup->x == 800;

  ui.setTopLevelWidget(nullptr);
  ui.shutdown();
  delete popup;
  return ok ? 0 : 1;
}
