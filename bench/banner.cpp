#include "support.h"

#include "uidigitalbanner.h"
#include "uisubsystem.h"

#include <benchmark/benchmark.h>

// The digital banner: queueing a message (formatting, parsing its markup, the list) and playing
// the queue frame by frame through the UI manager. The argument is the number of pieces per
// message. Counters: allocations per message or per frame (a frame must make none).

namespace {

// Pieces that slide in, hold and leave, as a score ticker shows them.
const char* const ONE_PIECE = "^P|LEFT;0;300|GOAL! Home 2:1 Away;800|UP;0;300|^p";
const char* const THREE_PIECES =
    "^P|LEFT;0;300|GOAL!;800|UP;0;300|^p"
    "^P|FLASH;3;100;600|Home 2;700|OFF;0;300|^p"
    "^P|RIGHT;200;300|1 Away;600|DOWN;0;300|^p";
const unsigned int QUEUED_MESSAGES = 8;

// Opens the list operations to the benchmark, which empties the banner between queueings.
class BenchBanner : public uiDigitalBanner {
public:
  using uiDigitalBanner::_removeAllMessages;
};

const char* markup(benchmark::State& state) {
  return state.range(0) == 1 ? ONE_PIECE : THREE_PIECES;
}

BenchBanner* makeBanner(benchmark::State& state) {
  BenchBanner* banner = new BenchBanner;
  if (!banner || !banner->setFont("banner.fnt")) {
    state.SkipWithError("cannot make a banner with a font");
    delete banner;
    return nullptr;
  }
  uiCopyName(banner->name, "ticker", sizeof banner->name);
  banner->width = 1920;
  banner->height = 40;
  banner->maxMessages = QUEUED_MESSAGES;
  banner->setWidgetStates(true, true, true, false);
  return banner;
}

void BM_BannerQueue(benchmark::State& state) {
  BenchBanner* banner = makeBanner(state);
  if (!banner)
    return;
  const char* text = markup(state);
  AllocationWatch allocations;
  for (auto _ : state) {
    banner->print(0u, "%s", text);
    banner->_removeAllMessages();
  }
  allocations.report(state);
  delete banner;
}

// The queue is refilled outside the timing and the allocation counts whenever it has played out.
void BM_BannerPlay(benchmark::State& state) {
  BenchBanner* banner = makeBanner(state);
  if (!banner)
    return;
  const char* text = markup(state);
  g_ui->setTopLevelWidget(banner);
  long long drawsBefore = benchGfx().draws;
  long long messages = 0;
  AllocationWatch allocations;
  for (auto _ : state) {
    if (banner->isEmpty()) {
      state.PauseTiming();
      AllocationWatch refill;
      for (unsigned int i = 0; i < QUEUED_MESSAGES; ++i)
        banner->print(0u, "%s", text);
      messages += QUEUED_MESSAGES;
      allocations.exclude(refill);
      state.ResumeTiming();
    }
    g_ui->render(16);
  }
  allocations.report(state);
  state.counters["draws"] = benchmark::Counter(static_cast<double>(benchGfx().draws - drawsBefore),
                                               benchmark::Counter::kAvgIterations);
  state.counters["messages/s"] =
      benchmark::Counter(static_cast<double>(messages), benchmark::Counter::kIsRate);
  g_ui->setTopLevelWidget(nullptr);
  delete banner;
}

}  // namespace

BENCHMARK(BM_BannerQueue)->Arg(1)->Arg(3)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_BannerPlay)->Arg(1)->Arg(3)->Unit(benchmark::kNanosecond);
