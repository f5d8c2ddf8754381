#include "support.h"

#include "uisubsystem.h"

#include <benchmark/benchmark.h>

// Input events routed through a reference tree from the UI manager. While clicks are measured,
// every button has press and release handlers that report the event handled, as a game's do, so
// a click ends the routing at its button; a mouse move is handled by no widget and visits the
// whole tree. The target is the "plus" button of the newest window's first row, the button a
// click at its place reaches. Counters: the tree's size, the time per widget of a move, the clicks
// per pair and the allocations per iteration (must be 0).

namespace {

// Buttons refuse a press within 5 frames of their last click, and no frame runs here.
const unsigned long long FRAMES_BETWEEN_CLICKS = 6;

bool countClick(uiWidget*, void* client, int, int) {
  ++*static_cast<long long*>(client);
  return true;
}

bool acceptPress(uiWidget*, void*, int, int) {
  return true;
}

_WidgetMap_s s_clickHandlers {nullptr, nullptr, acceptPress, countClick, nullptr, nullptr, nullptr};
_WidgetMap_s s_noHandlers {};

void setButtonHandlers(uiWidget* widget, _WidgetMap_s* handlers, long long* clicks) {
  if (widget->isType("uiButton"))
    widget->assignCallbacks(handlers, clicks);
  for (_WidgetList_s* node = widget->getChildren(); node; node = node->next)
    setButtonHandlers(node->widget, handlers, clicks);
}

struct ScreenPoint {
  int x, y;
};

// A point inside the target button, in screen coordinates; false when the tree has no such button.
bool targetPoint(const ReferenceTree& tree, ScreenPoint* point) {
  _WidgetList_s* newest = tree.root->getChildren();
  uiWidget* button = newest ? newest->widget->getChildWidget("audio.row0.plus", 0) : nullptr;
  if (!button)
    return false;
  int basisX = 0, basisY = 0;
  button->getBasisCoords(&basisX, &basisY);
  point->x = basisX + button->x + 2;
  point->y = basisY + button->y + 2;
  return true;
}

const ReferenceTree* prepare(benchmark::State& state, ScreenPoint* target) {
  const ReferenceTree* tree = referenceTree(state);
  if (!tree)
    return nullptr;
  if (!targetPoint(*tree, target)) {
    state.SkipWithError("the newest window has no audio.row0.plus button");
    return nullptr;
  }
  g_ui->setTopLevelWidget(tree->root);
  return tree;
}

// The pointer goes back and forth between the button and the label of its row, so the button's
// hover changes with every event.
void BM_InputMouseMove(benchmark::State& state) {
  ScreenPoint target {};
  const ReferenceTree* tree = prepare(state, &target);
  if (!tree)
    return;
  int offsets[2] = {0, -100};
  int step = 0;
  AllocationWatch allocations;
  for (auto _ : state) {
    g_ui->inputEvent(UIE_MOUSEMOVE, target.x + offsets[step], target.y, 0);
    step ^= 1;
  }
  allocations.report(state);
  reportPerWidget(state, tree->widgets);
  g_ui->setTopLevelWidget(nullptr);
}

void BM_InputClick(benchmark::State& state) {
  ScreenPoint target {};
  const ReferenceTree* tree = prepare(state, &target);
  if (!tree)
    return;
  long long clicks = 0;
  setButtonHandlers(tree->root, &s_clickHandlers, &clicks);
  AllocationWatch allocations;
  for (auto _ : state) {
    uiWidget::s_frameNumber += FRAMES_BETWEEN_CLICKS;
    g_ui->inputEvent(UIE_MOUSEDOWN, target.x, target.y, 0);
    g_ui->inputEvent(UIE_MOUSEUP, target.x, target.y, 0);
  }
  allocations.report(state);
  state.counters["widgets"] = tree->widgets;
  state.counters["clicks"] = benchmark::Counter(static_cast<double>(clicks),
                                                benchmark::Counter::kAvgIterations);
  setButtonHandlers(tree->root, &s_noHandlers, nullptr);
  g_ui->setTopLevelWidget(nullptr);
}

}  // namespace

BENCHMARK(BM_InputMouseMove)->Apply(referenceSizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InputClick)->Apply(referenceSizes)->Unit(benchmark::kMicrosecond);
