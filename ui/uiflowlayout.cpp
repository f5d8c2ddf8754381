#include "uiflowlayout.h"

#include "uikeytable.h"

#include "core.h"
#include "udlogger.h"

#include <algorithm>

namespace {

bool parseFlowType(uiFlowLayout& layout, Parser& parser, const char*) {
  const char* value = parser.GetEqualsToken() ? parser.GetToken(" ") : nullptr;
  if (value && uiNameEquals(value, "vertical"))
    layout.setFlowType(uiFlowLayout::VERTICAL);
  else if (value && uiNameEquals(value, "horizontal"))
    layout.setFlowType(uiFlowLayout::HORIZONTAL);
  else
    uiReportExpected("flowtype = vertical | horizontal");
  return true;
}

const uiKey<uiFlowLayout> k_keys[] = {
    {"FlowType", parseFlowType},
    {"Width", uiReadValue<&uiFlowLayout::wrapWidth>},
    {"Height", uiReadValue<&uiFlowLayout::wrapHeight>},
    {"MinSpaceX", uiReadValue<&uiFlowLayout::minSpaceX>},
    {"MinSpaceY", uiReadValue<&uiFlowLayout::minSpaceY>},
    {"SpaceEvenly", uiReadValue<&uiFlowLayout::spaceEvenly>},
};

int mainSize(uiWidget* child, bool horizontal) {
  return horizontal ? child->getWidth() : child->getHeight();
}

}  // namespace

uiWidget* uiFlowLayout::s_allocator() {
  return new ("uiflowlayout", __LINE__) uiFlowLayout;
}

const char* uiFlowLayout::getType() {
  return "uiFlowLayout";
}

bool uiFlowLayout::isType(const char* type) {
  return uiNameEquals(type, "uiFlowLayout") || uiNonVisualWidget::isType(type);
}

// The children are switched before the layout itself, so that they are active when _activate
// places them.
void uiFlowLayout::setActive(bool on, bool recursive) {
  if (recursive)
    _propagateState(&uiWidget::setActive, &uiWidget::getOverrideActive, on);
  uiNonVisualWidget::setActive(on, false);
}

void uiFlowLayout::_parseParams(Parser* parser, char* key) {
  if (!uiParseKey(k_keys, *this, *parser, key))
    uiNonVisualWidget::_parseParams(parser, key);
}

// The layout pass. The children are placed in the order in which they were added, the reverse of
// the child list, so they are first copied into a working array.
void uiFlowLayout::_activate() {
  uiNonVisualWidget::_activate();
  int count = 0;
  for (_WidgetList_s* node = children; node; node = node->next)
    ++count;
  if (count == 0)
    return;
  auto** ordered = static_cast<uiWidget**>(
      g_MemoryPtr->alloc(0, count * sizeof(uiWidget*), "uiflowlayout", __LINE__));
  if (!ordered) {
    udLogger::log(2, "%s::_activate(): Out of Memory, children not laid out\f", name);
    return;
  }
  int index = count;
  for (_WidgetList_s* node = children; node; node = node->next)
    ordered[--index] = node->widget;

  m_spaceX = minSpaceX;
  m_spaceY = minSpaceY;
  if (spaceEvenly) {
    _layoutEvenly(ordered, count);
  } else {
    for (int i = 0; i < count; ++i)
      _layoutChild(ordered[i]);
  }
  m_cursorX = 0;
  m_cursorY = 0;
  m_lineExtent = 0;
  g_MemoryPtr->free(0, ordered);
}

// Places one child at the cursor, wrapping first when it would cross the limit. A child larger
// than the limit at the start of a line stays on that line.
bool uiFlowLayout::_layoutChild(uiWidget* child) {
  const int childWidth = child->getWidth();
  const int childHeight = child->getHeight();
  bool newLine = false;
  if (flowType == HORIZONTAL && wrapWidth != 0 && m_cursorX != 0 &&
      m_cursorX + childWidth > wrapWidth) {
    m_cursorY += m_spaceY + m_lineExtent;
    m_cursorX = 0;
    m_lineExtent = 0;
    newLine = true;
  } else if (flowType == VERTICAL && wrapHeight != 0 && m_cursorY != 0 &&
             m_cursorY + childHeight > wrapHeight) {
    m_cursorX += m_spaceX + m_lineExtent;
    m_cursorY = 0;
    m_lineExtent = 0;
    newLine = true;
  }
  child->x = m_cursorX;
  child->y = m_cursorY;
  child->setWidth(childWidth);
  child->setHeight(childHeight);
  // The children stand in the layout's own frame; its rectangle is in its parent's, and only grows.
  x2 = std::max(x2, x + m_cursorX + childWidth);
  y2 = std::max(y2, y + m_cursorY + childHeight);
  if (flowType == HORIZONTAL) {
    m_lineExtent = std::max(m_lineExtent, childHeight);
    m_cursorX += childWidth + m_spaceX;
  } else {
    m_lineExtent = std::max(m_lineExtent, childWidth);
    m_cursorY += childHeight + m_spaceY;
  }
  return newLine;
}

// Groups the children into lines before placing them: a line takes its first child whatever its
// size, then each next child (with the minimum gap before it) while the line stays strictly
// shorter than the limit. The room left over becomes the gap of that line; a line of one child
// keeps the gap in use.
void uiFlowLayout::_layoutEvenly(uiWidget** ordered, int count) {
  const bool horizontal = flowType == HORIZONTAL;
  const int limit = horizontal ? wrapWidth : wrapHeight;
  const int minGap = horizontal ? minSpaceX : minSpaceY;
  int& gap = horizontal ? m_spaceX : m_spaceY;
  for (int first = 0; first < count;) {
    int used = 0;
    int end = first;
    for (; end < count; ++end) {
      const int size = mainSize(ordered[end], horizontal) + (end == first ? 0 : minGap);
      if (end != first && used + size >= limit)
        break;
      used += size;
    }
    const int lineCount = end - first;
    if (lineCount != 1)
      gap = (limit - used) / (lineCount - 1);
    for (int i = first; i < end; ++i)
      _layoutChild(ordered[i]);
    first = end;
  }
}
