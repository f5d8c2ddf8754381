#include "uiprogressbar.h"

#include "uikeytable.h"
#include "uilock.h"

#include "core.h"
#include "gfxsubsystem.h"
#include "udlogger.h"

#include <cmath>

namespace {

// "value" sets what is drawn, not the value, and is not limited to the range.
const uiKey<uiProgressBar> s_keys[] = {
    {"min_range", uiReadValue<&uiProgressBar::minRange>},
    {"max_range", uiReadValue<&uiProgressBar::maxRange>},
    {"value", uiReadValue<&uiProgressBar::displayedValue>},
    {"step", uiReadValue<&uiProgressBar::stepSize>},
    {"rate", uiReadValue<&uiProgressBar::rate>},
    {"smooth", uiReadBoolean<&uiProgressBar::smooth>},
    {"vertical", uiReadBoolean<&uiProgressBar::vertical>},
    {"invert", uiReadBoolean<&uiProgressBar::invert>},
};

uiLock* createLock() {
  uiLock* lock = uiLock::create("uiprogressbar", 39);
  if (!lock)
    udLogger::log(2, "uiProgressBar(): Out of Memory creating the lock\f");
  return lock;
}

}  // namespace

// A tree never holds a bar that another thread could not step safely.
uiWidget* uiProgressBar::s_allocator() {
  uiProgressBar* bar = new ("uiprogressbar", __LINE__) uiProgressBar;
  if (bar && !bar->lock) {
    delete bar;
    return nullptr;
  }
  return bar;
}

const char* uiProgressBar::getType() {
  return "uiProgressBar";
}

bool uiProgressBar::isType(const char* type) {
  return uiNameEquals(type, "uiProgressBar") || uiVisualWidget::isType(type);
}

uiProgressBar::uiProgressBar() : lock(createLock()) {}

uiProgressBar::uiProgressBar(const uiProgressBar& other)
    : uiVisualWidget(other), lock(createLock()) {
  _copyFields(other);
}

uiProgressBar& uiProgressBar::operator=(const uiProgressBar& other) {
  if (this == &other)
    return *this;
  uiVisualWidget::operator=(other);
  _copyFields(other);
  return *this;
}

uiProgressBar::~uiProgressBar() {
  uiLock::destroy(lock);
}

void uiProgressBar::setRange(int min, int max) {
  minRange = min;
  maxRange = max;
}

// Takes the lock too, so that a step from another thread is never lost to it.
void uiProgressBar::setValue(int newValue, bool immediate) {
  uiLockGuard guard(lock);
  value = _limited(newValue);
  if (immediate)
    displayedValue = static_cast<float>(value);
}

// Compared in double, where every int and the truncated display are exact.
bool uiProgressBar::isFull() const {
  return static_cast<double>(maxRange) <= std::trunc(static_cast<double>(displayedValue));
}

void uiProgressBar::delta(int amount) {
  uiLockGuard guard(lock);
  value = _limited(static_cast<long long>(value) + amount);
}

void uiProgressBar::step() {
  delta(stepSize);
}

void uiProgressBar::_parseParams(Parser* parser, char* key) {
  if (!uiParseKey(s_keys, *this, *parser, key))
    uiVisualWidget::_parseParams(parser, key);
}

void uiProgressBar::_update(int, int) {
  uiLockGuard guard(lock);
  _updateDisplay(s_iDeltaTime);
  _lerpToTargetAlpha(s_iDeltaTime);
}

// Horizontal: the left part of the frame. Vertical: the bottom part in its own place; inverted,
// the top part that the plain vertical bar leaves empty. An empty range draws nothing.
void uiProgressBar::_render(int ox, int oy) {
  if (spriteId == -1 || !g_gfx || maxRange == minRange)
    return;
  int width = x2 - x;
  int height = y2 - y;
  float fraction = displayedValue / (static_cast<float>(maxRange) - static_cast<float>(minRange));
  fraction = fraction > 1.0f ? 1.0f : fraction > 0.0f ? fraction : 0.0f;
  int left = ox + x;
  int top = oy + y;
  if (!vertical) {
    int drawn = static_cast<int>(width * fraction);
    g_gfx->blt(depth, spriteId, left, top, drawn, height, anim, frame, alpha);
    return;
  }
  int empty = static_cast<int>(height * (1.0f - fraction));
  if (invert)
    g_gfx->blt(depth, spriteId, left, top, width, empty, anim, frame, alpha);
  else
    g_gfx->blt(depth, spriteId, left, top + empty, 0, empty, width, height - empty, anim, frame,
               alpha);
}

void uiProgressBar::_copyFields(const uiProgressBar& other) {
  minRange = other.minRange;
  maxRange = other.maxRange;
  value = other.value;
  displayedValue = other.displayedValue;
  stepSize = other.stepSize;
  rate = other.rate;
  smooth = other.smooth;
  vertical = other.vertical;
  invert = other.invert;
}

// A smooth display closes the same fraction of the remaining distance in every update, never
// overshoots, and settles exactly on the value once within 0.01 of it. A rate of 0 jumps.
void uiProgressBar::_updateDisplay(unsigned int ms) {
  float target = static_cast<float>(value);
  if (!smooth || rate == 0) {
    displayedValue = target;
    return;
  }
  if (target == displayedValue)
    return;
  float t = static_cast<float>(ms) / static_cast<float>(rate);
  float next = displayedValue + (target - displayedValue) * t;
  if (target > displayedValue)
    next = next + 0.01f > target ? target : next;
  else
    next = next - 0.01f < target ? target : next;
  displayedValue = next;
}

// Raised to the lower end, then lowered to the upper end, so a reversed range gives the upper.
int uiProgressBar::_limited(long long candidate) const {
  if (candidate < minRange)
    candidate = minRange;
  if (candidate > maxRange)
    candidate = maxRange;
  return static_cast<int>(candidate);
}
