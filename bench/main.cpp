#include "support.h"

#include "uisubsystem.h"

#include "core.h"
#include "gfxsubsystem.h"
#include "udlogger.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

// Runs the benchmarks against the counting memory manager and the drawing bench backend, with
// one UI manager, as a game runs its frames. Besides Google Benchmark's own flags it takes
// --trees=FOLDER, the folder of the reference trees (tree_1000.ui ...).

namespace {

const long long SHOWN_MESSAGES = 5;
long long s_messages = 0;

// A benchmark's setup logs nothing when it is right; the first few messages are shown, the rest
// counted, so that a broken tree does not flood the output.
void countingSink(void*, int, const char* text) {
  if (++s_messages <= SHOWN_MESSAGES)
    udLogger::writeForTerminal(stderr, text, false);
}

// Takes --trees=FOLDER out of the arguments that Google Benchmark reads.
void takeTreeFolder(int* argc, char** argv) {
  const char* flag = "--trees=";
  int kept = 1;
  for (int i = 1; i < *argc; ++i) {
    if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0)
      setTreeFolder(argv[i] + std::strlen(flag));
    else
      argv[kept++] = argv[i];
  }
  *argc = kept;
}

}  // namespace

int main(int argc, char** argv) {
  takeTreeFolder(&argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  g_MemoryPtr = &countingMemory();
  g_gfx = &benchGfx();
  udLogger::setSink(countingSink, nullptr);
  int result = 0;
  {
    uiSubsystem ui;
    ui.initialize(nullptr);
    benchmark::RunSpecifiedBenchmarks();
    freeReferenceTrees();
    ui.shutdown();
  }
  benchmark::Shutdown();
  if (s_messages > 0) {
    std::fprintf(stderr, "The library logged %lld messages while benchmarking.\n", s_messages);
    result = 1;
  }
  udLogger::setSink(nullptr, nullptr);
  return result;
}
