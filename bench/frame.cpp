#include "support.h"

#include "uisubsystem.h"

#include <benchmark/benchmark.h>

// Frames of a reference tree installed as the top-level widget: render is a whole frame (update
// and drawing), update a frame that is not drawn. Counters: the tree's size, the time per
// widget, the backend's draw calls per frame and the allocations per frame (both must be 0).

namespace {

const unsigned int FRAME_MS = 16;

template <int (uiSubsystem::*frame)(unsigned int)>
void runFrames(benchmark::State& state) {
  const ReferenceTree* tree = referenceTree(state);
  if (!tree)
    return;
  g_ui->setTopLevelWidget(tree->root);
  (g_ui->*frame)(FRAME_MS);  // a first frame may settle anything made lazily
  long long drawsBefore = benchGfx().draws;
  AllocationWatch allocations;
  for (auto _ : state)
    (g_ui->*frame)(FRAME_MS);
  allocations.report(state);
  reportPerWidget(state, tree->widgets);
  state.counters["draws"] = benchmark::Counter(static_cast<double>(benchGfx().draws - drawsBefore),
                                               benchmark::Counter::kAvgIterations);
  g_ui->setTopLevelWidget(nullptr);
}

void BM_RenderFrame(benchmark::State& state) {
  runFrames<&uiSubsystem::render>(state);
}

void BM_UpdateFrame(benchmark::State& state) {
  runFrames<&uiSubsystem::update>(state);
}

}  // namespace

BENCHMARK(BM_RenderFrame)->Apply(referenceSizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UpdateFrame)->Apply(referenceSizes)->Unit(benchmark::kMicrosecond);
