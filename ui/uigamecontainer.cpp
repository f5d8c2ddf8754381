#include "uigamecontainer.h"

namespace {

const unsigned int k_pauseFadeTime = 500;  // milliseconds

}  // namespace

uiWidget* uiGameContainer::s_allocator() {
  return new ("uigamecontainer", __LINE__) uiGameContainer;
}

const char* uiGameContainer::getType() {
  return "uiGameContainer";
}

bool uiGameContainer::isType(const char* type) {
  return uiNameEquals(type, "uiGameContainer") || uiNonVisualWidget::isType(type);
}

void uiGameContainer::setPaused(bool paused) {
  if (paused && !m_paused)
    setAlpha(0, k_pauseFadeTime, 0, true);
  else if (!paused && m_paused)
    setAlpha(255, k_pauseFadeTime, 0, true);
  m_paused = paused;
}

void uiGameContainer::update(int x, int y) {
  if (!m_paused)
    uiNonVisualWidget::update(x, y);
}

void uiGameContainer::setAlpha(unsigned char alpha, unsigned int duration, unsigned int delay,
                               bool propagate) {
  if (m_paused && alpha != 0 && duration == 0 && delay == 0 && propagate)
    return;
  uiNonVisualWidget::setAlpha(alpha, duration, delay, propagate);
}
