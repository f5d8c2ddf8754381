#include "uibackgroundloader.h"

#include "uilock.h"
#include "uisubsystem.h"
#include "uithread.h"

#include "capturelog.h"
#include "recordinggfx.h"
#include "testmemory.h"

#include "core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The worker runs beside the test, so every test waits with a bound and the loaders look for
// requests every few milliseconds instead of every half second.

namespace {

const unsigned int k_fastPoll = 5;  // milliseconds
const auto k_patience = std::chrono::seconds(5);

std::string dataFile(const char* name) {
  return std::string(UI_TEST_DATA) + "/" + name;
}
const std::string k_panel = dataFile("loader_panel.ui");  // panel with ok and cancel
const std::string k_menu = dataFile("loader_menu.ui");    // menu with start

bool waitForState(const uiBackgroundLoader& loader, int state) {
  const auto deadline = std::chrono::steady_clock::now() + k_patience;
  while (loader.getState() != state) {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Installs a progress callback for its lifetime. The callback runs on the thread that parses.
class ProgressHook {
public:
  ProgressHook() { uiWidget::registerProgCb(&ProgressHook::report, this); }
  virtual ~ProgressHook() { uiWidget::registerProgCb(nullptr, nullptr); }

protected:
  virtual void created(uiWidget* widget) = 0;

private:
  static void report(uiWidget* widget, void* client, e_uiProgressEvent event) {
    if (event == UIPROG_CREATED && widget)
      static_cast<ProgressHook*>(client)->created(widget);
  }
};

// Lists the widgets that parses create.
class CreatedNames : public ProgressHook {
public:
  std::vector<std::string> names() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_names;
  }

protected:
  void created(uiWidget* widget) override {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_names.push_back(widget->name);
  }

private:
  std::mutex m_mutex;
  std::vector<std::string> m_names;
};

// Holds the first parse at its first widget until the test lets it go: a load as long as needed.
class LoadGate : public ProgressHook {
public:
  bool waitUntilLoading() {
    std::unique_lock<std::mutex> guard(m_mutex);
    return m_changed.wait_for(guard, k_patience, [this] { return m_loading; });
  }
  void release() {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_released = true;
    m_changed.notify_all();
  }

protected:
  void created(uiWidget*) override {
    std::unique_lock<std::mutex> guard(m_mutex);
    m_loading = true;
    m_changed.notify_all();
    m_changed.wait(guard, [this] { return m_released; });
  }

private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_loading = false;
  bool m_released = false;
};

}  // namespace

TEST(uiBackgroundLoader, CollectsTheLoadedTreeOnce) {
  uiSubsystem ui;
  uiBackgroundLoader loader(k_fastPoll);
  loader.loadWidget(k_panel.c_str());

  uiWidget* tree = loader.getWidget(nullptr);

  ASSERT_NE(tree, nullptr);
  EXPECT_STREQ(tree->name, "panel");
  EXPECT_NE(tree->getChildWidget("ok", 0), nullptr);
  EXPECT_EQ(loader.getState(), uiBackgroundLoader::STATE_IDLE);
  EXPECT_EQ(loader.getWidget(nullptr), nullptr) << "the tree is handed out once";
  delete tree;
}

TEST(uiBackgroundLoader, LaterRequestReplacesAnUnservedOne) {
  uiSubsystem ui;
  CreatedNames created;
  uiBackgroundLoader loader(k_fastPoll);
  // Holding the loader's lock keeps the worker from looking between the two requests.
  loader.lock->enter();
  loader.loadWidget(k_panel.c_str());
  loader.loadWidget(k_menu.c_str());
  EXPECT_EQ(loader.getState(), uiBackgroundLoader::STATE_REQUESTED);
  loader.lock->leave();

  uiWidget* tree = loader.getWidget(nullptr);

  ASSERT_NE(tree, nullptr);
  EXPECT_STREQ(tree->name, "menu");
  EXPECT_EQ(created.names(), (std::vector<std::string> {"menu", "start"}));
  delete tree;
}

TEST(uiBackgroundLoader, NewLoadDeletesOnlyTheTreeStillHeld) {
  uiSubsystem ui;
  const size_t empty = g_MemoryPtr->liveCount(9);
  uiBackgroundLoader loader(k_fastPoll);
  loader.loadWidget(k_panel.c_str());
  uiWidget* taken = loader.getWidget(nullptr);
  ASSERT_NE(taken, nullptr);
  const size_t panelBlocks = g_MemoryPtr->liveCount(9) - empty;

  loader.loadWidget(k_menu.c_str());
  ASSERT_TRUE(waitForState(loader, uiBackgroundLoader::STATE_IDLE));
  const size_t menuBlocks = g_MemoryPtr->liveCount(9) - empty - panelBlocks;
  EXPECT_GT(menuBlocks, 0u);

  // The uncollected menu goes; the replacement handed in becomes the loader's.
  loader.loadWidget(k_panel.c_str());
  uiWidget* second = loader.getWidget(new uiNonVisualWidget);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(g_MemoryPtr->liveCount(9), empty + 2 * panelBlocks + 1);

  loader.loadWidget(k_menu.c_str());
  ASSERT_TRUE(waitForState(loader, uiBackgroundLoader::STATE_IDLE));
  EXPECT_EQ(g_MemoryPtr->liveCount(9), empty + 2 * panelBlocks + menuBlocks);
  EXPECT_STREQ(taken->name, "panel");
  delete taken;
  delete second;
}

TEST(uiBackgroundLoader, DestructionDeletesTheUncollectedTreeAndEndsTheWorker) {
  RecordingGfx gfx;
  uiSubsystem ui;
  const size_t widgets = g_MemoryPtr->liveCount(9);
  const size_t transients = g_MemoryPtr->liveCount(0);
  {
    uiBackgroundLoader loader(k_fastPoll);
    loader.loadWidget(k_panel.c_str());
    ASSERT_TRUE(waitForState(loader, uiBackgroundLoader::STATE_IDLE));
    EXPECT_GT(g_MemoryPtr->liveCount(9), widgets);
  }
  EXPECT_EQ(g_MemoryPtr->liveCount(9), widgets);
  EXPECT_EQ(g_MemoryPtr->liveCount(0), transients);
  const std::vector<std::string> expected = {
      "registerThread label=^CFFFF00BackgroundLoader^c",
      "unregisterThread label=^CFFFF00BackgroundLoader^c",
  };
  EXPECT_EQ(gfx.calls, expected);
}

TEST(uiBackgroundLoader, DestructionDuringALoadWaitsForItAndDeletesTheTree) {
  uiSubsystem ui;
  const size_t widgets = g_MemoryPtr->liveCount(9);
  LoadGate gate;
  auto* loader = new uiBackgroundLoader(k_fastPoll);
  loader->loadWidget(k_panel.c_str());
  const bool loading = gate.waitUntilLoading();
  EXPECT_TRUE(loading);

  std::thread destroyer([loader] { delete loader; });
  const auto deadline = std::chrono::steady_clock::now() + k_patience;
  while (loading && !loader->terminateRequested && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  gate.release();
  destroyer.join();

  EXPECT_EQ(g_MemoryPtr->liveCount(9), widgets);
}

TEST(uiBackgroundLoader, ForcedTerminationEndsTheLoadWithNull) {
  uiSubsystem ui;
  const size_t widgets = g_MemoryPtr->liveCount(9);
  LoadGate gate;
  uiBackgroundLoader loader(k_fastPoll);
  loader.loadWidget(k_panel.c_str());
  EXPECT_TRUE(gate.waitUntilLoading());

  ui.forceTerminate();
  gate.release();

  EXPECT_EQ(loader.getWidget(nullptr), nullptr);
  EXPECT_EQ(g_MemoryPtr->liveCount(9), widgets) << "the parse discarded what it built";
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
  EXPECT_EQ(loader.getState(), uiBackgroundLoader::STATE_REQUESTED);
  CaptureLog log;
  log.expect("uiBackgroundLoader::getWidget(): terminated before loading \"^C00FF00" + k_panel +
             "^c\"\f");
  EXPECT_EQ(loader.getWidget(nullptr), nullptr) << "at once, not after a wait without end";
  EXPECT_EQ(loader.getState(), uiBackgroundLoader::STATE_REQUESTED);
}

TEST(uiBackgroundLoader, WithoutLockOrThreadRequestsAreServedOnTheCallersThread) {
  struct FailureCase {
    int allocation;
    const char* message;
  };
  const FailureCase cases[] = {
      {1, "uiBackgroundLoader: Out of Memory creating its lock; files load on the caller's "
          "thread\f"},
      {2, "uiBackgroundLoader: Out of Memory creating its thread; files load on the caller's "
          "thread\f"},
  };
  for (const FailureCase& test : cases) {
    SCOPED_TRACE(test.message);
    uiSubsystem ui;
    CaptureLog log;
    log.expect(test.message);
    FailingMemory failing(test.allocation);
    uiBackgroundLoader loader;
    EXPECT_EQ(loader.getState(), uiBackgroundLoader::STATE_IDLE);

    loader.loadWidget(k_menu.c_str());

    EXPECT_EQ(loader.getState(), uiBackgroundLoader::STATE_IDLE);
    uiWidget* tree = loader.getWidget(nullptr);
    ASSERT_NE(tree, nullptr);
    EXPECT_STREQ(tree->name, "menu");
    delete tree;
  }
}

TEST(uiBackgroundLoader, LoadWithoutUiManagerGivesNull) {
  CaptureLog log;
  log.expect("uiBackgroundLoader: no UI manager to load \"^C00FF00" + k_menu + "^c\"\f");
  uiBackgroundLoader loader(k_fastPoll);
  loader.loadWidget(k_menu.c_str());
  EXPECT_EQ(loader.getWidget(nullptr), nullptr);
}
