#include "widgettest.h"

#include "core.h"
#include "uitextwidget.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The parser cuts its text in place, so it gets a writable copy.
std::vector<char> writable(const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  return buffer;
}

}  // namespace

void applyKeys(uiWidget& widget, const std::string& keys) {
  std::vector<char> buffer = writable(keys);
  Parser parser(buffer.data());
  widget.parse(&parser, true);
}

uiWidget* parseWidget(const std::string& text, uiWidget* parent) {
  std::vector<char> buffer = writable(text);
  Parser parser(buffer.data());
  return uiWidget::parseObjHeader(&parser, parent);
}

int childCount(const uiWidget* widget) {
  int count = 0;
  for (const _WidgetList_s* node = widget->getChildren(); node; node = node->next)
    ++count;
  return count;
}

uiWidget* firstChild(const uiWidget* widget) {
  return widget->getChildren() ? widget->getChildren()->widget : nullptr;
}

std::u32string textOf(const uiTextWidget& widget) {
  const unsigned int* text = widget.getText();
  return std::u32string(text, text + std::char_traits<unsigned int>::length(text));
}

LeakCheck::LeakCheck()
    : m_memory(g_MemoryPtr), m_widgets(m_memory->liveCount(9)), m_transient(m_memory->liveCount(0)) {}

LeakCheck::~LeakCheck() {
  EXPECT_EQ(m_memory->liveCount(9), m_widgets) << "widget blocks left";
  EXPECT_EQ(m_memory->liveCount(0), m_transient) << "transient blocks left";
}

WidgetStage::~WidgetStage() {
  EXPECT_EQ(gfx.failures, std::vector<std::string>());
}
