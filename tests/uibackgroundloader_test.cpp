#include "uibackgroundloader.h"

#include "uilock.h"
#include "uisubsystem.h"
#include "uithread.h"

#include "testmemory.h"
#include "widgettest.h"

#include "core.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

// The worker runs beside the test, so every wait is bounded and the loaders look for requests
// every few milliseconds instead of every half second.

namespace {

const unsigned int k_fastPoll = 5;  // milliseconds
const auto k_patience = std::chrono::seconds(5);
const std::string k_panel = std::string(UI_TEST_DATA) + "/loader_panel.ui";  // 3 widgets
const std::string k_menu = std::string(UI_TEST_DATA) + "/loader_menu.ui";    // 2 widgets

bool waitForState(const uiBackgroundLoader& loader, int state) {
  const auto deadline = std::chrono::steady_clock::now() + k_patience;
  while (loader.getState() != state && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return loader.getState() == state;
}

// Counts the widgets that parses create, on whichever thread parses. While the test holds the
// parses, a parse stops at its first widget: a load that lasts as long as the test needs. The
// hold is a flag, not a mutex: a mutex the test keeps while it calls the loader, and that the
// worker takes under the loader's lock, is a lock-order inversion.
struct ParseWatch {
  ParseWatch() { uiWidget::registerProgCb(&ParseWatch::report, this); }
  ~ParseWatch() { uiWidget::registerProgCb(nullptr, nullptr); }
  static void report(uiWidget* widget, void* client, e_uiProgressEvent event) {
    auto* watch = static_cast<ParseWatch*>(client);
    if (event != UIPROG_CREATED || !widget)
      return;
    ++watch->created;
    while (watch->held)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  bool waitUntilParsing() {
    const auto deadline = std::chrono::steady_clock::now() + k_patience;
    while (created == 0 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return created > 0;
  }
  std::atomic<int> created {0};
  std::atomic<bool> held {false};
};

}  // namespace

TEST(uiBackgroundLoader, LaterRequestReplacesAnUnservedOneAndIsCollectedOnce) {
  uiSubsystem ui;
  ParseWatch watch;
  uiBackgroundLoader loader(k_fastPoll);
  // Holding the loader's lock keeps the worker from looking between the two requests.
  loader.lock->enter();
  loader.loadWidget(k_panel.c_str());
  loader.loadWidget(k_menu.c_str());
  loader.lock->leave();
  Tree tree(loader.getWidget(nullptr));
  ASSERT_TRUE(tree);
  EXPECT_STREQ(tree->name, "menu");
  EXPECT_EQ(watch.created, 2) << "the panel was never loaded";
  EXPECT_EQ(loader.getWidget(nullptr), nullptr) << "the tree is handed out once";
}

// A tree not collected is deleted by the next request or by the loader's destruction.
TEST(uiBackgroundLoader, LoadsAndDestructionDeleteOnlyTheTreesStillHeld) {
  uiSubsystem ui;
  LeakCheck leaks;
  uiBackgroundLoader loader(k_fastPoll);
  loader.loadWidget(k_panel.c_str());
  Tree taken(loader.getWidget(nullptr));
  ASSERT_TRUE(taken);
  for (const std::string& file : {k_menu, k_panel}) {
    loader.loadWidget(file.c_str());
    ASSERT_TRUE(waitForState(loader, uiBackgroundLoader::STATE_IDLE));
  }
}

TEST(uiBackgroundLoader, DestructionDuringALoadWaitsForItAndDeletesTheTree) {
  uiSubsystem ui;
  LeakCheck leaks;
  ParseWatch watch;
  watch.held = true;
  auto* loader = new uiBackgroundLoader(k_fastPoll);
  loader->loadWidget(k_panel.c_str());
  EXPECT_TRUE(watch.waitUntilParsing());
  std::thread destroyer([loader] { delete loader; });
  const auto deadline = std::chrono::steady_clock::now() + k_patience;
  while (!loader->terminateRequested && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  watch.held = false;
  destroyer.join();
  EXPECT_EQ(watch.created, 3) << "the load under way was finished";
}

TEST(uiBackgroundLoader, ForcedTerminationEndsTheLoadWithNull) {
  uiSubsystem ui;
  LeakCheck leaks;
  ParseWatch watch;
  watch.held = true;
  uiBackgroundLoader loader(k_fastPoll);
  loader.loadWidget(k_panel.c_str());
  EXPECT_TRUE(watch.waitUntilParsing());
  ui.forceTerminate();
  watch.held = false;
  EXPECT_EQ(loader.getWidget(nullptr), nullptr) << "the parse discarded what it built";
  ui.initialize(nullptr);
}

TEST(uiBackgroundLoader, TerminatedLoaderServesNoMoreRequests) {
  uiSubsystem ui;
  uiBackgroundLoader loader(k_fastPoll);
  loader.lock->enter();
  loader.loadWidget(k_panel.c_str());
  loader.terminate();
  loader.lock->leave();
  EXPECT_EQ(loader.thread->wait(nullptr, 5000), 0) << "the worker ends at its next look";
  CaptureLog log;
  log.expect("uiBackgroundLoader::getWidget(): terminated before loading \"^C00FF00" + k_panel +
             "^c\"\f");
  EXPECT_EQ(loader.getWidget(nullptr), nullptr) << "at once, not after a wait without end";
}

TEST(uiBackgroundLoader, WithoutLockOrThreadRequestsAreServedOnTheCallersThread) {
  const char* messages[] = {
      "uiBackgroundLoader: Out of Memory creating its lock; files load on the caller's thread\f",
      "uiBackgroundLoader: Out of Memory creating its thread; files load on the caller's "
      "thread\f",
  };
  for (int failing = 1; failing <= 2; ++failing) {
    SCOPED_TRACE(messages[failing - 1]);
    uiSubsystem ui;
    CaptureLog log;
    log.expect(messages[failing - 1]);
    FailingMemory memory(failing);
    uiBackgroundLoader loader;
    loader.loadWidget(k_menu.c_str());
    EXPECT_EQ(loader.getState(), uiBackgroundLoader::STATE_IDLE);
    Tree tree(loader.getWidget(nullptr));
    ASSERT_TRUE(tree);
    EXPECT_STREQ(tree->name, "menu");
  }
}

TEST(uiBackgroundLoader, LoadWithoutUiManagerGivesNull) {
  CaptureLog log;
  log.expect("uiBackgroundLoader: no UI manager to load \"^C00FF00" + k_menu + "^c\"\f");
  uiBackgroundLoader loader(k_fastPoll);
  loader.loadWidget(k_menu.c_str());
  EXPECT_EQ(loader.getWidget(nullptr), nullptr);
}
