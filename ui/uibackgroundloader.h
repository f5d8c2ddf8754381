#pragma once

#include <atomic>

class uiLock;
class uiThread;
class uiWidget;

// Loads a UI definition file on a worker thread of its own, so that the game keeps drawing (a
// loading screen, say) while a large tree is read and built. Requests and collection come from
// one thread, the game's; the loader owns the last tree it loaded until the game takes it.
class uiBackgroundLoader {
public:
  enum : int {
    STATE_STARTING = 0,  // the worker has not looked yet
    STATE_IDLE = 1,
    STATE_REQUESTED = 2,
  };

  // The worker looks for a request every 500 milliseconds, or every pollInterval milliseconds.
  uiBackgroundLoader();
  explicit uiBackgroundLoader(unsigned int pollInterval);
  // Deletes an uncollected tree and blocks until the worker has ended (at most one look and the
  // load under way).
  virtual ~uiBackgroundLoader();
  uiBackgroundLoader(const uiBackgroundLoader&) = delete;
  uiBackgroundLoader& operator=(const uiBackgroundLoader&) = delete;

  // Asks for a file (cut at 127 characters; null asks for the empty name). A later request made
  // before the worker has looked replaces this one. Waits while a load is under way.
  void loadWidget(const char* file);
  // Waits until the last request has been served, then hands out the loaded tree (null when the
  // load failed) and keeps the replacement in its place, to be deleted at the next load or with
  // the loader. Returns null at once when the loader was terminated with a request unserved.
  uiWidget* getWidget(uiWidget* replacement);
  int getState() const { return state; }
  // Asks the worker to end at its next look; requests are no longer served.
  void terminate();

  std::atomic<int> state {STATE_STARTING};
  uiWidget* widget = nullptr;  // owned; collect it through getWidget
  std::atomic<bool> terminateRequested {false};
  char fileName[128] {};
  uiThread* thread = nullptr;  // owned
  uiLock* lock = nullptr;      // owned; held for a request and for a whole look of the worker

protected:
  static unsigned int _start(void* loader);  // the worker's body

private:
  void _markStarted();
  void _serveRequest();
  void _load();
  bool _requestIsStranded();

  unsigned int m_pollInterval = 500;  // milliseconds
  bool m_synchronous = false;         // no worker: requests are served on the caller's thread
};
