#include "support.h"

#include "uibutton.h"

#include <benchmark/benchmark.h>

#include <fstream>

// Applying a scriptlet that is already in the cache to a live button: the cache lookup under its
// lock, the copy of the text and its parse, as for every widget that names a shared style.
// Counters: the allocations per application (the copy and its parser) and the keys per second.

namespace {

// A button style: the keys a game puts in one shared file instead of every button's block.
const char* const BUTTON_STYLE =
    "sprite = button.spr\n"
    "width = 26\n"
    "height = 18\n"
    "rate = 120\n"
    "clicksound = menu_click\n"
    "highlightsound = menu_hover\n"
    "hotkey = KEY_ENTER\n"
    "flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS | UIB_HOVER | UIB_PRESSED\n";
const int BUTTON_STYLE_KEYS = 8;

void BM_ApplyScriptlet(benchmark::State& state) {
  std::string file = benchFile("button_style.ui");
  std::ofstream(file, std::ios::binary) << BUTTON_STYLE;
  uiWidget* button = uiWidget::allocWidget("plus", "uiButton");
  if (!button) {
    state.SkipWithError("cannot make a button");
    return;
  }
  button->applyScriptlet(file.c_str());  // reads the file into the cache
  if (!button->setActive()) {
    state.SkipWithError(("cannot apply " + file).c_str());
    delete button;
    return;
  }
  AllocationWatch allocations;
  for (auto _ : state)
    button->applyScriptlet(file.c_str());
  allocations.report(state);
  state.counters["keys/s"] =
      benchmark::Counter(BUTTON_STYLE_KEYS, benchmark::Counter::kIsIterationInvariantRate);
  delete button;
}

}  // namespace

BENCHMARK(BM_ApplyScriptlet)->Unit(benchmark::kMicrosecond);
