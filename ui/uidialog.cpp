#include "uidialog.h"

#include "uikeytable.h"
#include "uiparticlesystem.h"
#include "uisubsystem.h"

#include "core.h"
#include "udlogger.h"

namespace {

bool parseTabEntry(uiDialog& dialog, Parser& parser, const char*) {
  const char* path = uiExpectValue(parser, "tabentry = \"string\"");
  if (!path)
    return true;
  uiWidget* entry = dialog.getWidget(path, 0);
  if (!entry) {
    udLogger::log(2, "...tabentry: \"^C00FF00%s^c does not exist.\f", path);
    return true;
  }
  dialog.addTabEntry(entry);
  return true;
}

const uiKey<uiDialog> s_keys[] = {
    {"tabentry", parseTabEntry},
    {"takefocus", uiReadBoolean<&uiDialog::takeFocus>},
};

}  // namespace

uiDialog::~uiDialog() {
  while (TabNode* node = tabHead) {
    tabHead = node->next;
    g_MemoryPtr->free(9, node);
  }
}

uiWidget* uiDialog::s_allocator() {
  return new ("uidialog", 41) uiDialog;
}

const char* uiDialog::getType() {
  return "uiDialog";
}

bool uiDialog::isType(const char* type) {
  return uiNameEquals(type, "uiDialog") || uiNonVisualWidget::isType(type);
}

void uiDialog::reset() {
  resetTabFocus();
  _resetParticleSystems(this);
}

void uiDialog::enter() {
  idle();
}

void uiDialog::exit() {
  hide();
}

// The callback runs last, so it sees the dialog hidden and may push or pop dialogs.
void uiDialog::hide() {
  setActive(false, true);
  setVisible(false, true);
  setInputFocus(false, true);
  state = STATE_HIDDEN;
  if (hideCb)
    hideCb(this, hideCbClient);
}

void uiDialog::idle() {
  setActive(true, true);
  setVisible(true, true);
  setInputFocus(true, true);
  if (takeFocus && g_ui)
    g_ui->setInputFocusWidget(this);
  state = STATE_IDLE;
}

int uiDialog::getState() {
  return state;
}

int uiDialog::getLastState() {
  return state;
}

bool uiDialog::takesFocus() {
  return takeFocus;
}

void uiDialog::activate(bool on) {
  setActive(on, true);
  setVisible(on, true);
  setInputFocus(on, true);
  if (on && takeFocus && g_ui)
    g_ui->setInputFocusWidget(this);
}

// The first entry holds the tab focus; later ones start without input focus.
void uiDialog::addTabEntry(uiWidget* widget) {
  if (!widget)
    return;
  void* memory = g_MemoryPtr->alloc(9, sizeof(TabNode), "uidialog", 101);
  if (!memory) {
    udLogger::log(2, "%s::addTabEntry(%s): Out of Memory\f", name, widget->name);
    return;
  }
  TabNode* node = static_cast<TabNode*>(memory);
  node->widget = widget;
  node->next = nullptr;
  if (tabTail)
    tabTail->next = node;
  else
    tabHead = node;
  tabTail = node;
  if (!tabCurrent)
    tabCurrent = node;
  widget->setInputFocus(node == tabCurrent, true);
}

void uiDialog::removeTabEntries(uiWidget* subtree) {
  bool currentRemoved = false;
  TabNode* previous = nullptr;
  for (TabNode* node = tabHead; node;) {
    TabNode* next = node->next;
    bool inSubtree = false;
    for (uiWidget* above = node->widget; above && !inSubtree; above = above->parent)
      inSubtree = above == subtree;
    if (inSubtree) {
      (previous ? previous->next : tabHead) = next;
      if (node == tabTail)
        tabTail = previous;
      currentRemoved = currentRemoved || node == tabCurrent;
      g_MemoryPtr->free(9, node);
    } else {
      previous = node;
    }
    node = next;
  }
  if (currentRemoved) {
    tabCurrent = tabHead;
    if (tabCurrent)
      tabCurrent->widget->setInputFocus(true, true);
  }
}

void uiDialog::resetTabFocus() {
  for (TabNode* node = tabHead; node; node = node->next)
    node->widget->setInputFocus(node == tabCurrent, true);
}

void uiDialog::dlgHideCb(HideCallback callback, void* client) {
  hideCb = callback;
  hideCbClient = client;
}

void uiDialog::_parseParams(Parser* parser, char* key) {
  if (!uiParseKey(s_keys, *this, *parser, key))
    uiNonVisualWidget::_parseParams(parser, key);
}

// Event             | tab order                                  | result
// press on an entry | a visible entry other than the current one | focus moves there, consumed
//                   | takes the tab focus                        |
// Tab key down      | focus moves to the next entry, wrapping    | consumed, even without entries
// anything else     | unchanged                                  | the widget's callbacks
bool uiDialog::_inputEvent(e_uiEvent event, int x, int y, int key, bool buttonHeld, bool handled) {
  if (!handled) {
    if (event == UIE_MOUSEDOWN && _takeTabFocus(x, y))
      return true;
    if (event == UIE_KEYDOWN && key == UIK_TAB) {
      if (tabCurrent)
        _moveTabFocus(tabCurrent->next ? tabCurrent->next : tabHead);
      return true;
    }
  }
  return uiWidget::_inputEvent(event, x, y, key, buttonHeld, handled);
}

void uiDialog::_resetParticleSystems(uiWidget* widget) {
  for (_WidgetList_s* node = widget->getChildren(); node; node = node->next) {
    uiWidget* child = node->widget;
    if (child->isType("uiParticleSystem"))
      static_cast<uiParticleSystem*>(child)->reset();
    _resetParticleSystems(child);
  }
}

// The position arrives in the frame of the dialog's rectangle; each entry is tested in its own
// frame, so the position goes through the screen on the way.
bool uiDialog::_takeTabFocus(int x, int y) {
  int dialogBasisX = 0, dialogBasisY = 0;
  getBasisCoords(&dialogBasisX, &dialogBasisY);
  for (TabNode* node = tabHead; node; node = node->next) {
    int basisX = 0, basisY = 0;
    node->widget->getBasisCoords(&basisX, &basisY);
    int entryX = x + dialogBasisX - basisX;
    int entryY = y + dialogBasisY - basisY;
    if (node->widget->testBounds(entryX, entryY) && node->widget->getVisible() &&
        node != tabCurrent) {
      _moveTabFocus(node);
      return true;
    }
  }
  return false;
}

void uiDialog::_moveTabFocus(TabNode* entry) {
  if (tabCurrent)
    tabCurrent->widget->setInputFocus(false, true);
  tabCurrent = entry;
  entry->widget->setInputFocus(true, true);
}
