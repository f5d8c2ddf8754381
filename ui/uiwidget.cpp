// The widget base and the framework around it. Index:
//   Statics and name helpers     frame statics, depth names, the type table, uiCopyName
//   Construction and traversals  constructor, destructor, update, render, initialize
//   States                       the three recursive setters, overrides, size, alpha
//   Tree                         addChild, detachFromParent, path lookups, basis coordinates
//   Depth and callbacks          depth names, assignCallbacks, the focus veto
//   Type registry                getTypeId, allocWidget, uiSubsystem::s_registerWidget
//   Input routing                inputEvent, the base reaction, hit test, trace, global focus
//   Sound and resources          _playWithPan, sprite creation and the release helpers
//   Non-visual widgets           uiNonVisualWidget and the input handler
// The loader lives in uiwidget_parse.cpp and the scriptlet cache in uiwidget_scriptlet.cpp.
#include "uiwidget.h"

#include "uianimdialog.h"
#include "uianimwidget.h"
#include "uibutton.h"
#include "uidialog.h"
#include "uidigitalbanner.h"
#include "uientrywidget.h"
#include "uiflowlayout.h"
#include "uigamecontainer.h"
#include "uiparticlesystem.h"
#include "uiprogressbar.h"
#include "uiradiobutton.h"
#include "uiradiogroup.h"
#include "uisliderbutton.h"
#include "uisprite.h"
#include "uitextwidget.h"
#include "uitogglebutton.h"
#include "uivisualwidget.h"

#include "gfxsubsystem.h"
#include "snd3dsubsystem.h"
#include "udlogger.h"
#include "uisubsystem.h"

namespace {

// Records the widget keeps (list nodes, focus entries, trace results) come from tag 9.
template <typename Record>
Record* allocRecord(unsigned int line) {
  if (!g_MemoryPtr)
    return nullptr;
  return static_cast<Record*>(g_MemoryPtr->alloc(9, sizeof(Record), "uiwidget", line));
}

void freeRecord(void* record) {
  if (record && g_MemoryPtr)
    g_MemoryPtr->free(9, record);
}

char lowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Set by uiWidget::_trace when its record cannot be allocated, so that the whole search reports
// no hit instead of carrying on to a widget further down the tree.
thread_local bool t_traceOutOfMemory = false;

// Input events routed on this thread: the number of the event under way, and how deep its
// routing is. A widget's global focus list is asked once per event, so that entries that lead
// back to the widget (itself, an ancestor, or another widget that lists it) end instead of
// recursing without end.
thread_local unsigned int t_inputEvent = 0;
thread_local int t_inputDepth = 0;

// Makes the input handler, which is defined with the non-visual widgets at the end of the file.
uiWidget* allocInputHandler();

// A tree larger than the caches spends its frames waiting for memory, one widget after the
// other. Before a walk goes down into the first child, the first lines of the next few children
// (the table pointer, rectangle, flags and child list) are requested, so that those waits
// overlap. The list is only read here, before any child runs, so a child that changes the list
// meets nothing stale.
const int PREFETCHED_CHILDREN = 8;

void prefetchChildren(const _WidgetList_s* node) {
  for (int i = 0; node && i < PREFETCHED_CHILDREN; ++i, node = node->next) {
    const char* widget = reinterpret_cast<const char*>(node->widget);
    __builtin_prefetch(widget);
    __builtin_prefetch(widget + 64);
    __builtin_prefetch(widget + 128);
  }
}

}  // namespace

// -- Statics and name helpers --

unsigned int uiWidget::s_iDeltaTime = 0;
float uiWidget::s_fDeltaTime = 0.0f;
unsigned long long uiWidget::s_frameNumber = 0;
std::atomic<bool> uiWidget::s_terminate {false};
bool uiWidget::s_dynamicLoading = true;

char uiWidget::s_depthNames[MAX_DEPTH_NAMES][32] = {
  "0",  "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10",
  "11", "12", "13", "14", "15", "16", "17", "18", "19", "20", "21",
  "22", "23", "24", "25", "26", "27", "28", "29", "30", "31",
};

// The built-in types in type-id order, one row each, then the end record. Lookups stop at the
// first record after record 0 that has no allocator.
_WidgetType_s uiWidget::s_widgetTypes[MAX_WIDGET_TYPES] = {
  {"uiWidget", nullptr},
  {"uiNonVisualWidget", uiNonVisualWidget::s_allocator},
  {"uiInputHandler", allocInputHandler},
  {"uiVisualWidget", uiVisualWidget::s_allocator},
  {"uiButton", uiButton::s_allocator},
  {"uiToggleButton", uiToggleButton::s_allocator},
  {"uiSprite", uiSprite::s_allocator},
  {"uiTextWidget", uiTextWidget::s_allocator},
  {"uiEntryWidget", uiEntryWidget::s_allocator},
  {"uiRadioButton", uiRadioButton::s_allocator},
  {"uiRadioGroup", uiRadioGroup::s_allocator},
  {"uiSliderButton", uiSliderButton::s_allocator},
  {"uiProgressBar", uiProgressBar::s_allocator},
  {"uiParticleSystem", uiParticleSystem::s_allocator},
  {"uiDigitalBanner", uiDigitalBanner::s_allocator},
  {"uiDialog", uiDialog::s_allocator},
  {"uiAnimDialog", uiAnimDialog::s_allocator},
  {"uiFlowLayout", uiFlowLayout::s_allocator},
  {"uiGameContainer", uiGameContainer::s_allocator},
  {"uiAnimWidget", uiAnimWidget::s_allocator},
  {"", nullptr},
};
unsigned int uiWidget::s_widgetTypeCount = 20;

void uiCopyName(char* destination, const char* source, unsigned int size) {
  if (!destination || size == 0)
    return;
  unsigned int length = 0;
  if (source) {
    while (length + 1 < size && source[length] != '\0') {
      destination[length] = source[length];
      ++length;
    }
  }
  destination[length] = '\0';
}

// A null name compares like the empty name.
bool uiNameEquals(const char* a, const char* b) {
  if (!a)
    a = "";
  if (!b)
    b = "";
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (lowerAscii(*a) != lowerAscii(*b))
      return false;
  }
  return *a == *b;
}

// -- Construction and traversals --

uiWidget::uiWidget() = default;

uiWidget::~uiWidget() {
  while (children) {
    _WidgetList_s* node = children;
    children = node->next;
    delete node->widget;
    freeRecord(node);
  }
  while (globalFocusList) {
    _WidgetNameList_s* entry = globalFocusList;
    globalFocusList = entry->next;
    freeRecord(entry);
  }
}

void uiWidget::update(int originX, int originY) {
  if (!(flags & WF_ACTIVE))
    return;
  if (flags & WF_ROOT_COORDS)
    originX = originY = 0;
  _update(originX, originY);
  prefetchChildren(children);
  for (_WidgetList_s* node = children; node; node = node->next)
    node->widget->update(originX + x, originY + y);
}

void uiWidget::render(int originX, int originY) {
  if (!(flags & WF_VISIBLE))
    return;
  if (flags & WF_ROOT_COORDS)
    originX = originY = 0;
  _render(originX, originY);
  prefetchChildren(children);
  for (_WidgetList_s* node = children; node; node = node->next)
    node->widget->render(originX + x, originY + y);
}

void uiWidget::initialize() {
  _initialize();
  for (_WidgetList_s* node = children; node; node = node->next)
    node->widget->initialize();
}

bool uiWidget::isType(const char* type) {
  return uiNameEquals(type, "uiWidget");
}

// Resolves every global input focus entry anew from the root of the tree.
void uiWidget::_initialize() {
  for (_WidgetNameList_s* entry = globalFocusList; entry; entry = entry->next)
    _addGlobalInputFocusWidget(entry);
}

// -- States --

// The three setters share one shape: the hook runs before the bit changes, and a recursive call
// goes down to every child except those that override the state and dialogs, whose states belong
// to the dialog stack.
void uiWidget::setVisible(bool on, bool recursive) {
  if (on && !(flags & WF_VISIBLE)) {
    _showWidget();
    flags |= WF_VISIBLE;
  } else if (!on && (flags & WF_VISIBLE)) {
    _hideWidget();
    flags &= ~WF_VISIBLE;
  }
  if (recursive)
    _propagateState(&uiWidget::setVisible, &uiWidget::getOverrideVisible, on);
}

// A focus veto that answers false ends the call before anything changes, children included.
void uiWidget::setInputFocus(bool on, bool recursive) {
  if (on && !(flags & WF_INPUT_FOCUS)) {
    if (focusCb && !focusCb(this, focusCbClient))
      return;
    _gainFocus();
    flags |= WF_INPUT_FOCUS;
  } else if (!on && (flags & WF_INPUT_FOCUS)) {
    _loseFocus();
    flags &= ~WF_INPUT_FOCUS;
  }
  if (recursive)
    _propagateState(&uiWidget::setInputFocus, &uiWidget::getOverrideInputFocus, on);
}

bool uiWidget::setActive() const {
  return (flags & WF_ACTIVE) != 0;
}

void uiWidget::setActive(bool on, bool recursive) {
  if (on && !(flags & WF_ACTIVE)) {
    _activate();
    flags |= WF_ACTIVE;
  } else if (!on && (flags & WF_ACTIVE)) {
    _deactivate();
    flags &= ~WF_ACTIVE;
  }
  if (recursive)
    _propagateState(&uiWidget::setActive, &uiWidget::getOverrideActive, on);
}

void uiWidget::_propagateState(void (uiWidget::*set)(bool on, bool recursive),
                               bool (uiWidget::*overridden)() const, bool on) {
  for (_WidgetList_s* node = children; node; node = node->next) {
    uiWidget* child = node->widget;
    if (!(child->*overridden)() && !child->isType("uiDialog"))
      (child->*set)(on, true);
  }
}

void uiWidget::overrideVisible(bool on) {
  flags = on ? (flags | WF_OVERRIDE_VISIBLE) : (flags & ~WF_OVERRIDE_VISIBLE);
}

void uiWidget::overrideInputFocus(bool on) {
  flags = on ? (flags | WF_OVERRIDE_INPUT_FOCUS) : (flags & ~WF_OVERRIDE_INPUT_FOCUS);
}

void uiWidget::overrideActive(bool on) {
  flags = on ? (flags | WF_OVERRIDE_ACTIVE) : (flags & ~WF_OVERRIDE_ACTIVE);
}

bool uiWidget::getVisible() const {
  return (flags & WF_VISIBLE) != 0;
}

bool uiWidget::getInputFocus() const {
  return (flags & WF_INPUT_FOCUS) != 0;
}

bool uiWidget::getOverrideVisible() const {
  return (flags & WF_OVERRIDE_VISIBLE) != 0;
}

bool uiWidget::getOverrideInputFocus() const {
  return (flags & WF_OVERRIDE_INPUT_FOCUS) != 0;
}

bool uiWidget::getOverrideActive() const {
  return (flags & WF_OVERRIDE_ACTIVE) != 0;
}

int uiWidget::getWidth() const {
  return x2 - x;
}

int uiWidget::getHeight() const {
  return y2 - y;
}

void uiWidget::setWidth(int width) {
  x2 = x + width;
}

void uiWidget::setHeight(int height) {
  y2 = y + height;
}

void uiWidget::_showWidget() {}
void uiWidget::_hideWidget() {}
void uiWidget::_activate() {}
void uiWidget::_deactivate() {}
void uiWidget::_gainFocus() {}
void uiWidget::_loseFocus() {}

// The base draws nothing itself; drawing subclasses apply the alpha and then call this.
void uiWidget::setAlpha(unsigned char alpha, unsigned int duration, unsigned int delay,
                        bool propagate) {
  if ((flags & WF_IGNORE_ALPHA) || !propagate)
    return;
  for (_WidgetList_s* node = children; node; node = node->next)
    node->widget->setAlpha(alpha, duration, delay, propagate);
}

void uiWidget::setWidgetStates(bool visible, bool active, bool inputFocus, bool recursive) {
  setVisible(visible, recursive);
  setActive(active, recursive);
  setInputFocus(inputFocus, recursive);
}

// -- Tree --

void uiWidget::addChild(uiWidget* child, bool inheritStates) {
  _WidgetList_s* node = allocRecord<_WidgetList_s>(359);
  if (!node) {
    udLogger::log(2, "%s::addChild(%s): Out of Memory\f", name, child ? child->name : "");
    return;
  }
  child->parent = this;
  node->widget = child;
  node->next = children;
  children = node;
  if (!inheritStates)
    return;
  bool visible = getVisible();
  bool active = setActive();
  bool inputFocus = getInputFocus();
  child->setVisible(visible, true);
  child->setActive(active, true);
  child->setInputFocus(inputFocus, true);
}

// The UI manager's lock keeps a frame from walking the list while it changes. A tree that no UI
// manager exists for (built before one is made, or after it is gone) is detached without it.
void uiWidget::detachFromParent() {
  if (!parent)
    return;
  uiSubsystem* ui = g_ui;
  if (ui)
    ui->updateLock(true);
  _WidgetList_s** link = &parent->children;
  while (*link && (*link)->widget != this)
    link = &(*link)->next;
  if (!*link) {
    udLogger::log(2, "Parent[%s] child[%s] mismatch detected on detachFromParent()\f",
                  parent->name, name);
  } else {
    _WidgetList_s* node = *link;
    *link = node->next;
    freeRecord(node);
    parent = nullptr;
  }
  if (ui)
    ui->updateLock(false);
}

uiWidget* uiWidget::getRootWidget() {
  uiWidget* root = this;
  while (root->parent)
    root = root->parent;
  return root;
}

// The first component of the path names this widget; the rest is handed to the children. Only
// the outermost call (level 0) reports a miss, once.
uiWidget* uiWidget::getWidget(const char* path, int level) {
  char buffer[130];
  uiCopyName(buffer, path, sizeof buffer);
  char* rest = nullptr;
  for (char* c = buffer; *c != '\0'; ++c) {
    if (*c == '.') {
      *c = '\0';
      rest = c + 1;
      break;
    }
  }
  if (buffer[0] != '\0' && uiNameEquals(buffer, name)) {
    if (!rest)
      return this;
    for (_WidgetList_s* node = children; node; node = node->next) {
      if (uiWidget* found = node->widget->getWidget(rest, level + 1))
        return found;
    }
  }
  if (level == 0)
    udLogger::log(2, "uiWidget::getWidget(): Unknown name: ^C0000FF%s^c\f", path ? path : "");
  return nullptr;
}

uiWidget* uiWidget::getChildWidget(const char* path, int level) {
  for (_WidgetList_s* node = children; node; node = node->next) {
    if (uiWidget* found = node->widget->getWidget(path, level + 1))
      return found;
  }
  if (level == 0)
    udLogger::log(2, "uiWidget::getWidget(): Unknown name: ^C0000FF%s^c\f", path ? path : "");
  return nullptr;
}

// The screen offset of the frame this widget's rectangle is expressed in: the sum of the
// ancestors' positions up to the first one that is itself placed on the screen.
void uiWidget::getBasisCoords(int* basisX, int* basisY) {
  int sumX = 0, sumY = 0;
  if (!(flags & WF_ROOT_COORDS)) {
    for (uiWidget* ancestor = parent; ancestor; ancestor = ancestor->parent) {
      sumX += ancestor->x;
      sumY += ancestor->y;
      if (ancestor->flags & WF_ROOT_COORDS)
        break;
    }
  }
  if (basisX)
    *basisX = sumX;
  if (basisY)
    *basisY = sumY;
}

// -- Depth and callbacks --

void uiWidget::setDepth(const char* depthName) {
  depth = static_cast<unsigned int>(_getDepthValue(depthName));
}

void uiWidget::defineDepth(const char* depthName, unsigned int value) {
  if (value < MAX_DEPTH_NAMES)
    uiCopyName(s_depthNames[value], depthName, sizeof s_depthNames[value]);
}

// Values past the table have no name; they read as the empty name instead of memory beyond it.
const char* uiWidget::s_getDepthName(unsigned int value) {
  return value < MAX_DEPTH_NAMES ? s_depthNames[value] : "";
}

int uiWidget::s_getDepthValue(const char* depthName) {
  for (int i = 0; i < MAX_DEPTH_NAMES; ++i) {
    if (uiNameEquals(s_depthNames[i], depthName))
      return i;
  }
  udLogger::log(1, "Unknown depth value: %s\f", depthName ? depthName : "");
  return MAX_DEPTH_NAMES;
}

// "#parent" copies the parent's depth as it is now; later changes of the parent do not follow.
int uiWidget::_getDepthValue(const char* depthName) {
  if (!uiNameEquals(depthName, "#parent"))
    return s_getDepthValue(depthName);
  if (!parent) {
    udLogger::log(1, "Depth %s invalid for top-level widget.\f", depthName);
    return 0;
  }
  return static_cast<int>(parent->depth);
}

// The map lists releaseCb before dragCb; the widget stores them the other way round.
void uiWidget::assignCallbacks(_WidgetMap_s* map, void* client) {
  cbClient = client;
  if (!map)
    return;
  boundsCb = map->boundsCb;
  pressCb = map->pressCb;
  releaseCb = map->releaseCb;
  dragCb = map->dragCb;
  keyDownCb = map->keyDownCb;
  keyUpCb = map->keyUpCb;
}

void uiWidget::inputFocusCb(uiFocusCallback callback, void* client) {
  focusCb = callback;
  focusCbClient = client;
}

// -- Type registry --

// Type names are matched exactly, case included, unlike every other name of the library.
int uiWidget::getTypeId(const char* type) {
  if (!type)
    return 0;
  for (unsigned int i = 1; i < MAX_WIDGET_TYPES && s_widgetTypes[i].allocator; ++i) {
    const char* recordName = s_widgetTypes[i].name;
    unsigned int n = 0;
    while (recordName[n] != '\0' && recordName[n] == type[n])
      ++n;
    if (recordName[n] == type[n])
      return static_cast<int>(i);
  }
  return 0;
}

uiWidget* uiWidget::allocWidget(const char* widgetName, const char* type) {
  int id = getTypeId(type);
  if (id == 0 || !s_widgetTypes[id].allocator) {
    udLogger::log(2, "...attempt to instance an invalid ui type: \"%s\"\f", type ? type : "");
    return nullptr;
  }
  uiWidget* widget = s_widgetTypes[id].allocator();
  if (!widget) {
    udLogger::log(2, "...Out of memory allocating widget: %s of type %s\f",
                  widgetName ? widgetName : "", type);
    return nullptr;
  }
  uiCopyName(widget->name, widgetName, sizeof widget->name);
  return widget;
}

// The last record of the table always stays free for the end record.
void uiSubsystem::s_registerWidget(const char* type, uiWidgetAllocator allocator) {
  unsigned int& count = uiWidget::s_widgetTypeCount;
  if (count >= uiWidget::MAX_WIDGET_TYPES - 1) {
    udLogger::log(2, "uiSubsystem::s_registerWidget: Maximum Widget Count Exceeded: %s\f",
                  type ? type : "");
    return;
  }
  if (uiWidget::getTypeId(type) != 0) {
    udLogger::log(2, "uiSubsystem::s_registerWidget: %s already registered. Skipping.\f", type);
    return;
  }
  _WidgetType_s& record = uiWidget::s_widgetTypes[count];
  uiCopyName(record.name, type, sizeof record.name);
  record.allocator = allocator;
  ++count;
  uiWidget::s_widgetTypes[count] = _WidgetType_s {};
}

// -- Input routing --

namespace {

// Offers an event to the children, newest first, in the children's own frame.
bool routeToChildren(uiWidget* owner, e_uiEvent event, int x, int y, int key, bool buttonHeld) {
  prefetchChildren(owner->getChildren());
  for (_WidgetList_s* node = owner->getChildren(); node; node = node->next) {
    if (node->widget->inputEvent(event, x - owner->x, y - owner->y, key, buttonHeld, false))
      return true;
  }
  return false;
}

// Offers an event to the resolved global input focus widgets, each in its own frame.
bool routeToGlobalFocus(uiWidget* owner, e_uiEvent event, int x, int y, int key,
                        bool buttonHeld) {
  if (owner->globalFocusEvent == t_inputEvent)
    return false;
  owner->globalFocusEvent = t_inputEvent;
  int basisX, basisY;
  owner->getBasisCoords(&basisX, &basisY);
  int screenX = x + basisX;
  int screenY = y + basisY;
  for (_WidgetNameList_s* entry = owner->globalFocusList; entry; entry = entry->next) {
    uiWidget* target = entry->widget;
    if (!target)
      continue;
    target->getBasisCoords(&basisX, &basisY);
    if (target->inputEvent(event, screenX - basisX, screenY - basisY, key, buttonHeld, false))
      return true;
  }
  return false;
}

}  // namespace

// The widget itself, then its children newest first, then its global input focus widgets; the
// first that handles the event ends the routing.
bool uiWidget::inputEvent(e_uiEvent event, int eventX, int eventY, int key, bool buttonHeld,
                          bool handled) {
  if (!(flags & WF_INPUT_FOCUS))
    return handled;
  if ((flags & WF_ROOT_COORDS) && parent) {
    eventX += parent->x;
    eventY += parent->y;
  }
  if (t_inputDepth++ == 0)
    ++t_inputEvent;
  handled = _inputEvent(event, eventX, eventY, key, buttonHeld, handled);
  if (!handled)
    handled = routeToChildren(this, event, eventX, eventY, key, buttonHeld);
  if (!handled && globalFocusList)
    handled = routeToGlobalFocus(this, event, eventX, eventY, key, buttonHeld);
  --t_inputDepth;
  return handled;
}

// The callbacks the game installed. A press counts only when the button was not already held;
// key callbacks fire wherever the mouse is.
bool uiWidget::_inputEvent(e_uiEvent event, int eventX, int eventY, int key, bool buttonHeld,
                           bool handled) {
  if (handled)
    return false;
  if (testBounds(eventX, eventY)) {
    if (boundsCb)
      boundsCb(this, cbClient, eventX, eventY);
    if (event == UIE_MOUSEDOWN && pressCb && !buttonHeld)
      return pressCb(this, cbClient, eventX, eventY);
    if (event == UIE_MOUSEUP && releaseCb)
      return releaseCb(this, cbClient, eventX, eventY);
  }
  if (event == UIE_KEYDOWN && keyDownCb)
    return keyDownCb(this, cbClient, key);
  if (event == UIE_KEYUP && keyUpCb)
    return keyUpCb(this, cbClient, key);
  return false;
}

bool uiWidget::testBounds(int pointX, int pointY) {
  return x <= pointX && pointX < x2 && y <= pointY && pointY < y2;
}

// Pre-order search: the widget before its children, newest child first. States are not read.
_uiTrace_s* uiWidget::trace(int carried, int pointX, int pointY, const char* type) {
  t_traceOutOfMemory = false;
  if ((flags & WF_ROOT_COORDS) && parent) {
    pointX += parent->x;
    pointY += parent->y;
  }
  if (_uiTrace_s* hit = _trace(carried, pointX, pointY, type))
    return hit;
  for (_WidgetList_s* node = children; node && !t_traceOutOfMemory; node = node->next) {
    if (_uiTrace_s* hit = node->widget->trace(carried, pointX - x, pointY - y, type))
      return hit;
  }
  return nullptr;
}

_uiTrace_s* uiWidget::_trace(int, int pointX, int pointY, const char* type) {
  if (type && !isType(type))
    return nullptr;
  if (!testBounds(pointX, pointY))
    return nullptr;
  _uiTrace_s* hit = allocRecord<_uiTrace_s>(330);
  if (!hit) {
    t_traceOutOfMemory = true;
    return nullptr;
  }
  hit->x = pointX;
  hit->y = pointY;
  hit->widget = this;
  return hit;
}

// The entry is resolved later, by initialize(), once the tree is complete.
void uiWidget::addGlobalInputFocusWidget(const char* path) {
  _WidgetNameList_s* entry = allocRecord<_WidgetNameList_s>(925);
  if (!entry) {
    udLogger::log(2, "%s::addGlobalInputFocusWidget(%s): Out of Memory\f", name, path ? path : "");
    return;
  }
  uiCopyName(entry->name, path, sizeof entry->name);
  entry->widget = nullptr;
  entry->next = globalFocusList;
  globalFocusList = entry;
}

void uiWidget::_addGlobalInputFocusWidget(_WidgetNameList_s* entry) {
  if (!entry)
    return;
  entry->widget = getRootWidget()->getWidget(entry->name, 0);
  if (!entry->widget)
    udLogger::log(2, "addGlobalInputFocusWidget(): unknown widget: ^CFFFF00%s^c\f", entry->name);
}

// -- Sound and resources --

namespace {

int panReferenceWidth(uiWidget* widget, unsigned int mode, int value) {
  int screenWidth = g_gfx ? g_gfx->getScreenWidth() : 0;
  if (mode & WP_WORLD) {
    udLogger::log(2, "_playWithPan( WP_WORLD ): Not Implemented\f ");
    return screenWidth;
  }
  if (mode & WP_PARENT) {
    uiWidget* parent = widget->getParent();
    return parent ? parent->x2 - parent->x : screenWidth;
  }
  if (mode & WP_WIDTH)
    return value;
  return screenWidth;
}

int panPosition(uiWidget* widget, unsigned int mode, int value) {
  if (mode & WP_LEFT)
    return widget->x;
  if (mode & WP_RIGHT)
    return widget->x2;
  if (mode & WP_POSITION)
    return value;
  return widget->x + (widget->x2 - widget->x) / 2;
}

}  // namespace

// Pans from -0.9 at the left edge of the reference width to 0.9 at its right edge. A reference
// width of 0 (no graphics library, an empty parent) plays the sound centred.
snd3dHandle* uiWidget::_playWithPan(const char* sound, unsigned int mode, float frequencyScale,
                                    int value) {
  int width = panReferenceWidth(this, mode, value);
  int position = panPosition(this, mode, value);
  float pan = 0.0f;
  if (width != 0) {
    pan = static_cast<float>(position) / static_cast<float>(width) * 1.8f - 0.9f;
    pan = pan < -0.9f ? -0.9f : (pan > 0.9f ? 0.9f : pan);
  }
  if (!g_snd3d)
    return nullptr;
  snd3dHandle* handle = g_snd3d->playSound(SND3D_UI, sound, false, false);
  if (handle) {
    handle->setFrequencyScale(frequencyScale);
    handle->setPan(pan);
  }
  return handle;
}

int uiWidget::_createSprite(const char* file) {
  return g_gfx && file ? g_gfx->createSprite(file) : -1;
}

void uiWidget::_releaseSprite(int sprite) {
  if (!g_gfx || sprite == -1)
    return;
  if (const char* spriteName = g_gfx->getSpriteName(sprite))
    g_gfx->releaseSprite(spriteName);
}

void uiWidget::_releaseParticleSystemInstance(int instance) {
  if (g_gfx && instance != -1)
    g_gfx->releaseParticleSystemInstance(instance);
}

// -- Non-visual widgets --

uiWidget* uiNonVisualWidget::s_allocator() {
  return new ("uiwidget", 351) uiNonVisualWidget;
}

const char* uiNonVisualWidget::getType() {
  return "uiNonVisualWidget";
}

bool uiNonVisualWidget::isType(const char* type) {
  return uiNameEquals(type, "uiNonVisualWidget") || uiWidget::isType(type);
}

void uiNonVisualWidget::_render(int, int) {}

void uiNonVisualWidget::_update(int, int) {}

// Containers swallow nothing themselves; their children still get the event.
bool uiNonVisualWidget::_inputEvent(e_uiEvent, int, int, int, bool, bool) {
  return false;
}

namespace {

// The input handler: a non-visual widget whose callbacks do fire, an invisible rectangle through
// which the game hears clicks and keys. Reachable only by its type name.
class uiInputHandler : public uiNonVisualWidget {
public:
  const char* getType() override { return "uiInputHandler"; }
  bool isType(const char* type) override {
    return uiNameEquals(type, "uiInputHandler") || uiNonVisualWidget::isType(type);
  }

protected:
  bool _inputEvent(e_uiEvent event, int x, int y, int key, bool buttonHeld,
                   bool handled) override {
    return uiWidget::_inputEvent(event, x, y, key, buttonHeld, handled);
  }
};

uiWidget* allocInputHandler() {
  return new ("uiwidget", 368) uiInputHandler;
}

}  // namespace
