#include "uisubsystem.h"

#include "uidialog.h"
#include "uilock.h"
#include "uitextwidget.h"

#include "core.h"
#include "gfxsubsystem.h"
#include "udlogger.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

uiSubsystem* g_ui = nullptr;

namespace {

// Dialog stack command codes.
enum : int {
  CMD_PUSH = 0,
  CMD_POP = 1,
  CMD_CLEAR = 2,
  CMD_PUSH_NOW = 3,
  CMD_POP_NOW = 4,
  CMD_CLEAR_NOW = 5,
};

const int COMMAND_WARNING_COUNT = 32;
const int OVERLAY_LINE_LENGTH = 128;

bool isKeyboardEvent(e_uiEvent event) {
  return event == UIE_KEYDOWN || event == UIE_KEYUP || event == UIE_CHAR || event == UIE_OTHERKEY;
}

// Formats one overlay line and prints it in the 32-bit text form at the left edge.
__attribute__((format(printf, 3, 4))) void printOverlayLine(int font, int y, const char* format,
                                                            ...) {
  char line[OVERLAY_LINE_LENGTH];
  va_list args;
  va_start(args, format);
  vsnprintf(line, sizeof(line), format, args);
  va_end(args);
  line[OVERLAY_LINE_LENGTH - 1] = 0;
  unsigned int text[OVERLAY_LINE_LENGTH];
  utf8ToText(text, line, OVERLAY_LINE_LENGTH);
  text[OVERLAY_LINE_LENGTH - 1] = 0;
  g_gfx->print(g_gfx->getMaxDepthNode(), font, 0, 0, 0, y, -1, 255, text);
}

}  // namespace

// Without its lock the UI manager cannot keep frames, input and other threads apart, so a
// subsystem that could not create one stops the program instead of running unguarded.
uiSubsystem::uiSubsystem() {
  g_ui = this;
  lock = uiLock::create("uisubsystem", 61);
  if (!lock) {
    udLogger::log(2, "uiSubsystem(): Out of Memory creating the lock; the UI cannot run\f");
    std::abort();
  }
}

// Frees only the manager's own nodes: dialogs still on the stack are not hidden or notified.
uiSubsystem::~uiSubsystem() {
  uiLock::destroy(lock);
  lock = nullptr;
  while (dialogStack) {
    DialogNode* node = dialogStack;
    dialogStack = node->next;
    m_dialogNodes.give(node);
  }
  clearPendingDialogs();
  while (focusStack) {
    FocusNode* node = focusStack;
    focusStack = node->next;
    m_focusNodes.give(node);
  }
  g_ui = nullptr;
}

int uiSubsystem::initialize(Preferences*) {
  uiWidget::s_terminate = false;
  return 1;
}

int uiSubsystem::shutdown() {
  uiWidget::s_freeScripletCache();
  return 1;
}

void uiSubsystem::forceTerminate() {
  uiWidget::s_terminate = true;
}

// A whole frame without drawing: timing statics, dialog commands, then the active subtree.
int uiSubsystem::update(unsigned int ms) {
  uiLockGuard guard(lock);
  uiWidget::s_iDeltaTime = ms;
  uiWidget::s_fDeltaTime = static_cast<float>(ms * 0.001);
  ++uiWidget::s_frameNumber;
  _updateDialogs();
  if (uiWidget* updated = activeWidget ? activeWidget : topLevelWidget)
    updated->update(0, 0);
  return 1;
}

// A whole frame by itself (not a drawing pass after update), with the overlay drawn last.
int uiSubsystem::render(unsigned int ms) {
  uiLockGuard guard(lock);
  update(ms);
  if (uiWidget* drawn = visibleWidget ? visibleWidget : topLevelWidget)
    drawn->render(0, 0);
  _renderGfxStatistics();
  return 1;
}

void uiSubsystem::updateLock(bool enter) {
  if (!lock)
    return;
  if (enter)
    lock->enter();
  else
    lock->leave();
}

void uiSubsystem::setTopLevelWidget(uiWidget* widget) {
  uiLockGuard guard(lock);
  topLevelWidget = widget;
}

void uiSubsystem::setVisibleWidget(uiWidget* widget) {
  uiLockGuard guard(lock);
  visibleWidget = widget;
}

void uiSubsystem::setActiveWidget(uiWidget* widget) {
  uiLockGuard guard(lock);
  activeWidget = widget;
}

// The old cursor widget is hidden before the new one is shown at the system cursor's place.
void uiSubsystem::setCustomCursor(uiWidget* widget) {
  if (customCursor)
    customCursor->setVisible(false, true);
  customCursor = widget;
  if (!widget) {
    Platform::ShowCursor(true);
    return;
  }
  widget->setVisible(true, true);
  Platform::GetCursorPos(widget->x, widget->y);
  Platform::ShowCursor(false);
}

uiWidget* uiSubsystem::loadUI(const char* file) {
  uiWidget* root = uiWidget::loadUI(file, nullptr);
  if (root)
    root->initialize();
  return root;
}

// Event                 | before dispatch          | after dispatch
// UIE_MOUSEMOVE         |                          | cursor widget moved, mouse position stored
// UIE_MOUSEDOWN         |                          | button held
// UIE_MOUSEUP           |                          | button released
// UIE_KEYDOWN / KEYUP   | stored mouse position,   |
//                       | modifier keys updated    |
// UIE_CHAR / OTHERKEY   | stored mouse position    |
// The focus widget gets the event in its own frame; without one the top-level widget gets it.
void uiSubsystem::inputEvent(e_uiEvent event, int x, int y, int key) {
  uiLockGuard guard(lock);
  if (isKeyboardEvent(event)) {
    x = mouseX;
    y = mouseY;
  }
  if (event == UIE_KEYDOWN || event == UIE_KEYUP) {
    bool down = event == UIE_KEYDOWN;
    if (key == UIK_CTRL)
      ctrlDown = down;
    else if (key == UIK_SHIFT)
      shiftDown = down;
    else if (key == UIK_ALT)
      altDown = down;
  }
  if (uiWidget* focus = getInputFocusWidget()) {
    int basisX = 0, basisY = 0;
    focus->getBasisCoords(&basisX, &basisY);
    focus->inputEvent(event, x - basisX, y - basisY, key, mouseButtonDown, false);
  } else if (topLevelWidget) {
    topLevelWidget->inputEvent(event, x, y, key, mouseButtonDown, false);
  }
  if (event == UIE_MOUSEMOVE) {
    if (customCursor) {
      customCursor->x = x;
      customCursor->y = y;
    }
    mouseX = x;
    mouseY = y;
  } else if (event == UIE_MOUSEDOWN) {
    mouseButtonDown = true;
  } else if (event == UIE_MOUSEUP) {
    mouseButtonDown = false;
  }
}

// Replaces the top entry's widget; an empty stack first gets one entry.
void uiSubsystem::setInputFocusWidget(uiWidget* widget) {
  uiLockGuard guard(lock);
  if (!focusStack) {
    FocusNode* node = m_focusNodes.take("uisubsystem", 427);
    if (!node) {
      udLogger::log(2, "setInputFocusWidget(): Out of Memory\f");
      return;
    }
    node->next = nullptr;
    focusStack = node;
  }
  focusStack->widget = widget;
}

void uiSubsystem::pushInputFocusWidget(uiWidget* widget) {
  uiLockGuard guard(lock);
  FocusNode* node = m_focusNodes.take("uisubsystem", 471);
  if (!node) {
    udLogger::log(2, "pushInputFocusWidget(): Out of Memory\f");
    return;
  }
  node->widget = widget;
  node->next = focusStack;
  focusStack = node;
}

void uiSubsystem::popInputFocusWidget() {
  uiLockGuard guard(lock);
  FocusNode* node = focusStack;
  if (!node)
    return;
  focusStack = node->next;
  m_focusNodes.give(node);
}

uiWidget* uiSubsystem::getInputFocusWidget() {
  uiLockGuard guard(lock);
  return focusStack ? focusStack->widget : nullptr;
}

// The search starts at the focus widget with the position unchanged, not in its own frame.
_uiTrace_s* uiSubsystem::trace(int carried, int x, int y, const char* type) {
  if (focusStack && focusStack->widget)
    return focusStack->widget->trace(carried, x, y, type);
  if (topLevelWidget)
    return topLevelWidget->trace(carried, x, y, type);
  return nullptr;
}

void uiSubsystem::pushDialog(uiDialog* dialog, bool animate) {
  if (dialog)
    _addDialogStackCmd(animate ? CMD_PUSH : CMD_PUSH_NOW, dialog);
}

void uiSubsystem::popDialog(uiDialog* dialog, bool animate) {
  _addDialogStackCmd(animate ? CMD_POP : CMD_POP_NOW, dialog);
}

void uiSubsystem::clearDialogStack(bool animate) {
  _addDialogStackCmd(animate ? CMD_CLEAR : CMD_CLEAR_NOW, nullptr);
}

void uiSubsystem::clearPendingDialogs() {
  while (cmdQueueHead)
    _removeDialogStackCmd();
}

uiDialog* uiSubsystem::topDialog() {
  return dialogStack ? dialogStack->dialog : nullptr;
}

bool uiSubsystem::topDialogIsIdle(uiDialog* dialog) {
  return dialogStack && dialogStack->dialog == dialog &&
         dialog->getState() == uiDialog::STATE_IDLE &&
         dialog->getState() == dialog->getLastState();
}

bool uiSubsystem::isDialogPushed(uiDialog* dialog) {
  for (DialogNode* node = dialogStack; node; node = node->next) {
    if (node->dialog == dialog)
      return true;
  }
  return false;
}

void uiSubsystem::reportDialogStack() {}

// Every call with a name creates a new font. The previous one is released once it is replaced,
// so a game that names the font each time it toggles the overlay does not pile up fonts.
void uiSubsystem::gfxStatistics(bool show, const char* font) {
  showGfxStatistics = show;
  if (!font || !g_gfx)
    return;
  int previous = statsFont;
  statsFont = g_gfx->createFont(font);
  if (previous != -1)
    g_gfx->releaseFont(previous);
}

// More than 32 waiting commands usually means the frames that work them off are not running;
// it is a warning, and the command is queued all the same.
void uiSubsystem::_addDialogStackCmd(int command, uiDialog* dialog) {
  DialogStackCmd* cmd = m_commands.take("uisubsystem", 583);
  if (!cmd) {
    udLogger::log(2, "_addDialogStackCmd(): Out of Memory\f");
    return;
  }
  cmd->command = command;
  cmd->dialog = dialog;
  cmd->next = nullptr;
  if (cmdQueueTail)
    cmdQueueTail->next = cmd;
  else
    cmdQueueHead = cmd;
  cmdQueueTail = cmd;
  if (++cmdQueueCount > COMMAND_WARNING_COUNT)
    udLogger::log(1, "DialogStackCmd queue exceeds 32 count\f");
}

void uiSubsystem::_removeDialogStackCmd() {
  DialogStackCmd* cmd = cmdQueueHead;
  if (!cmd)
    return;
  cmdQueueHead = cmd->next;
  if (!cmdQueueHead)
    cmdQueueTail = nullptr;
  --cmdQueueCount;
  m_commands.give(cmd);
}

void uiSubsystem::_pushDialog(uiDialog* dialog) {
  DialogNode* node = m_dialogNodes.take("uisubsystem", 681);
  if (!node) {
    udLogger::log(2, "_pushDialog(): Out of Memory\f");
    return;
  }
  node->dialog = dialog;
  node->next = dialogStack;
  dialogStack = node;
}

// The top focus entry of the popped dialog passes to the dialog now on top. Every other entry
// that holds the popped dialog goes with it: a plain dialog's push leaves two entries, and a
// stale one exposed by a later pop would send all input to a hidden dialog.
void uiSubsystem::_popDialog() {
  DialogNode* node = dialogStack;
  if (!node) {
    udLogger::log(2, "_popDialog(): Stack underflow\f");
    return;
  }
  uiDialog* popped = node->dialog;
  dialogStack = node->next;
  m_dialogNodes.give(node);
  uiLockGuard guard(lock);
  if (dialogStack && getInputFocusWidget() == popped)
    setInputFocusWidget(dialogStack->dialog);
  if (!isDialogPushed(popped))
    _removeFocusEntries(popped);
}

// Works the queue in order until a command has to wait for a dialog that is still animating;
// that command and everything behind it stay queued for the next frame.
void uiSubsystem::_updateDialogs() {
  uiLockGuard guard(lock);
  while (DialogStackCmd* cmd = cmdQueueHead) {
    bool goOn = false;
    switch (cmd->command) {
      case CMD_PUSH: goOn = _enterDialogCmd(cmd->dialog); break;
      case CMD_POP:
      case CMD_CLEAR: goOn = _exitDialogCmd(cmd->command, cmd->dialog); break;
      case CMD_PUSH_NOW: goOn = _idleDialogCmd(cmd->dialog); break;
      case CMD_POP_NOW: goOn = _hideDialogCmd(cmd->dialog); break;
      case CMD_CLEAR_NOW: goOn = _clearDialogsCmd(); break;
      default: break;
    }
    if (!goOn)
      return;
  }
}

// The overlay lies over every widget: top-most depth node, screen position (0, 0).
void uiSubsystem::_renderGfxStatistics() {
  if (statsFont == -1 || !g_gfx)
    return;
  int h = g_gfx->getFontHeight(statsFont);
  if (!showGfxStatistics) {
    printOverlayLine(statsFont, 0, " ");
    return;
  }
  const gfxStats_s& stats = g_gfx->stats;
  printOverlayLine(statsFont, 0, "FPS:   %0.2f", static_cast<double>(stats.fps));
  printOverlayLine(statsFont, h, "TMEM:  %d", stats.textureMemory);
  printOverlayLine(statsFont, 2 * h, "CMEM:  %d", stats.otherMemory);
  printOverlayLine(statsFont, 3 * h, "MXMEM: %d", stats.maxMemory);
  printOverlayLine(statsFont, 4 * h, "BLT:   %d", stats.bltCount);
  printOverlayLine(statsFont, 5 * h, "TEXT:  %d", stats.textCount);
  printOverlayLine(statsFont, 6 * h, "PSYS:  %d", stats.psysCount);
  printOverlayLine(statsFont, 7 * h, "TOTAL: %d", stats.total);
}

// Push through enter(): waits until the dialog on top is idle, and holds the queue while the new
// dialog is still entering.
bool uiSubsystem::_enterDialogCmd(uiDialog* dialog) {
  if (dialogStack && dialogStack->dialog->getState() != uiDialog::STATE_IDLE)
    return false;
  if (!_linkDialog(dialog))
    return true;
  dialog->enter();
  if (dialog->takesFocus())
    pushInputFocusWidget(dialog);
  _removeDialogStackCmd();
  return dialog->getState() == uiDialog::STATE_IDLE;
}

// Pop (one dialog) or clear (every dialog, one per frame) through exit(). The top dialog leaves
// the stack once it is hidden; until then the queue waits for its out-animation.
bool uiSubsystem::_exitDialogCmd(int command, uiDialog* dialog) {
  bool discarded = command == CMD_POP && dialog && dialogStack && dialogStack->dialog != dialog;
  if (!dialogStack || discarded) {
    _removeDialogStackCmd();
    return true;
  }
  uiDialog* top = dialogStack->dialog;
  if (top->getState() == uiDialog::STATE_IDLE)
    top->exit();
  if (top->getState() == uiDialog::STATE_HIDDEN) {
    _popDialog();
    _removeTopFocusHolding(dialog);
    if (command == CMD_POP) {
      _removeDialogStackCmd();
      return true;
    }
  }
  if (dialogStack)
    return false;
  _removeDialogStackCmd();
  return true;
}

// Push at once: the dialog becomes idle without its in-animation and without waiting.
bool uiSubsystem::_idleDialogCmd(uiDialog* dialog) {
  if (!_linkDialog(dialog))
    return true;
  if (dialog->takesFocus())
    pushInputFocusWidget(dialog);
  dialog->idle();
  _removeDialogStackCmd();
  return true;
}

// Pop at once: the top dialog is hidden without its out-animation.
bool uiSubsystem::_hideDialogCmd(uiDialog* dialog) {
  if (!dialogStack) {
    udLogger::log(2, "_popDialog(): Stack underflow\f");
    _removeDialogStackCmd();
    return true;
  }
  if (dialog && dialogStack->dialog != dialog) {
    _removeDialogStackCmd();
    return true;
  }
  _removeTopFocusHolding(dialog);
  dialogStack->dialog->hide();
  _popDialog();
  _removeDialogStackCmd();
  return true;
}

bool uiSubsystem::_clearDialogsCmd() {
  while (dialogStack) {
    dialogStack->dialog->hide();
    _popDialog();
  }
  _removeDialogStackCmd();
  return true;
}

// A dialog whose node cannot be had is not touched: its command is dropped (the failure is logged).
bool uiSubsystem::_linkDialog(uiDialog* dialog) {
  DialogNode* below = dialogStack;
  _pushDialog(dialog);
  if (dialogStack != below)
    return true;
  _removeDialogStackCmd();
  return false;
}

void uiSubsystem::_removeTopFocusHolding(uiWidget* widget) {
  uiLockGuard guard(lock);
  if (focusStack && focusStack->widget == widget)
    popInputFocusWidget();
}

void uiSubsystem::_removeFocusEntries(uiWidget* widget) {
  uiLockGuard guard(lock);
  FocusNode** link = &focusStack;
  while (FocusNode* node = *link) {
    if (node->widget == widget) {
      *link = node->next;
      m_focusNodes.give(node);
    } else {
      link = &node->next;
    }
  }
}
