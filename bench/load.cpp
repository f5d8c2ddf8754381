#include "support.h"

#include "uisubsystem.h"

#include "core.h"
#include "file.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

// Loading a reference tree from its UI definition file, which stays in the page cache after the
// first read. Three steps of the same text: reading the file alone, the bare Parser tokenizing
// it (the floor for any loader built on the Parser), and loadUI building and initialising the
// tree as a game calls it. Counters: the tree's size, MB/s and widgets/s of text.

namespace {

// The bytes of a file, read through the file library as the loader reads it; false when the
// file cannot be read.
bool readFile(const std::string& file, std::vector<char>* text) {
  _KroFileType_s* handle = File::open(file.c_str(), "rb");
  if (!handle)
    return false;
  unsigned int length = File::getLength(handle);
  text->resize(static_cast<size_t>(length) + 1);
  bool complete = File::read(text->data(), 1, length, handle) == length;
  File::close(handle);
  (*text)[length] = '\0';
  return complete;
}

bool readTreeText(benchmark::State& state, std::vector<char>* text) {
  std::string file = treeFile(static_cast<int>(state.range(0)));
  if (readFile(file, text))
    return true;
  state.SkipWithError(("cannot read " + file + " (bench/run writes it)").c_str());
  return false;
}

void reportThroughput(benchmark::State& state, size_t bytes, int widgets) {
  state.counters["widgets"] = widgets;
  state.counters["MB/s"] = benchmark::Counter(static_cast<double>(bytes) / 1e6,
                                              benchmark::Counter::kIsIterationInvariantRate);
  state.counters["widgets/s"] =
      benchmark::Counter(widgets, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ReadFile(benchmark::State& state) {
  std::vector<char> text;
  if (!readTreeText(state, &text))
    return;
  std::string file = treeFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    readFile(file, &text);
    benchmark::DoNotOptimize(text.data());
  }
  reportThroughput(state, text.size() - 1, static_cast<int>(state.range(0)));
}

// Every token of every line, as the loader's own reading of keys and values would at best. The
// Parser cuts the text in place, so each pass gets a fresh copy outside the timing.
void BM_Tokenize(benchmark::State& state) {
  std::vector<char> text;
  if (!readTreeText(state, &text))
    return;
  std::vector<char> work(text.size());
  long long tokens = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(work.data(), text.data(), text.size());
    state.ResumeTiming();
    Parser parser(work.data());
    while (parser.ParseLine()) {
      while (parser.GetToken(" "))
        ++tokens;
    }
    benchmark::DoNotOptimize(tokens);
  }
  reportThroughput(state, text.size() - 1, static_cast<int>(state.range(0)));
}

// The deletion of each loaded tree is left out of the time and of the allocation counts.
void BM_LoadUI(benchmark::State& state) {
  std::vector<char> text;
  if (!readTreeText(state, &text))
    return;
  std::string file = treeFile(static_cast<int>(state.range(0)));
  int widgets = 0;
  AllocationWatch allocations;
  for (auto _ : state) {
    uiWidget* root = g_ui->loadUI(file.c_str());
    if (!root) {
      state.SkipWithError(("loadUI failed on " + file).c_str());
      break;
    }
    state.PauseTiming();
    AllocationWatch deletion;
    widgets = countWidgets(root);
    delete root;
    allocations.exclude(deletion);
    state.ResumeTiming();
  }
  allocations.report(state);
  reportThroughput(state, text.size() - 1, widgets);
}

}  // namespace

BENCHMARK(BM_ReadFile)->Apply(referenceSizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Tokenize)->Apply(referenceSizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadUI)->Apply(referenceSizes)->Unit(benchmark::kMillisecond);
