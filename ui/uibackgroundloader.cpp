#include "uibackgroundloader.h"

#include "uilock.h"
#include "uisubsystem.h"
#include "uithread.h"
#include "uiwidget.h"

#include "core.h"
#include "file.h"
#include "gfxsubsystem.h"
#include "udlogger.h"

namespace {

const char* const k_threadLabel = "^CFFFF00BackgroundLoader^c";
const unsigned int k_collectPollInterval = 50;  // milliseconds between getWidget's looks

// What the worker builds: a tree loaded and initialised by the UI manager, or null.
uiWidget* loadThroughManager(const char* file) {
  if (!g_ui) {
    udLogger::log(2, "uiBackgroundLoader: no UI manager to load \"^C00FF00%s^c\"\f", file);
    return nullptr;
  }
  return g_ui->loadUI(file);
}

}  // namespace

uiBackgroundLoader::uiBackgroundLoader() : uiBackgroundLoader(500) {}

// Without a lock or a worker the loader still works: every request is served at once on the
// caller's thread, so getWidget never waits for a worker that cannot come.
uiBackgroundLoader::uiBackgroundLoader(unsigned int pollInterval) : m_pollInterval(pollInterval) {
  lock = uiLock::create("uibackgroundloader", __LINE__);
  thread = new ("uibackgroundloader", __LINE__) uiThread;
  if (!lock)
    udLogger::log(2, "uiBackgroundLoader: Out of Memory creating its lock; files load on the "
                     "caller's thread\f");
  else if (!thread)
    udLogger::log(2, "uiBackgroundLoader: Out of Memory creating its thread; files load on the "
                     "caller's thread\f");
  else if (!thread->start(_start, this))
    udLogger::log(2, "uiBackgroundLoader: could not start its worker thread; files load on the "
                     "caller's thread\f");
  else
    return;
  m_synchronous = true;
  state = STATE_IDLE;
}

// The slot is emptied under the lock and the worker checks the flag again once it holds the lock,
// so a worker that was about to look can neither load into a dying loader nor see the old tree.
uiBackgroundLoader::~uiBackgroundLoader() {
  terminateRequested = true;
  {
    uiLockGuard guard(lock);
    delete widget;
    widget = nullptr;
  }
  delete thread;
  uiLock::destroy(lock);
}

void uiBackgroundLoader::loadWidget(const char* file) {
  uiLockGuard guard(lock);
  state = STATE_REQUESTED;
  uiCopyName(fileName, file ? file : "", sizeof(fileName));
  if (m_synchronous && !terminateRequested)
    _load();
}

uiWidget* uiBackgroundLoader::getWidget(uiWidget* replacement) {
  while (state != STATE_IDLE) {
    if (terminateRequested && _requestIsStranded()) {
      udLogger::log(2, "uiBackgroundLoader::getWidget(): terminated before loading "
                       "\"^C00FF00%s^c\"\f", fileName);
      return nullptr;
    }
    Platform::Sleep(k_collectPollInterval);
  }
  uiLockGuard guard(lock);
  uiWidget* loaded = widget;
  widget = replacement;
  return loaded;
}

void uiBackgroundLoader::terminate() {
  terminateRequested = true;
}

unsigned int uiBackgroundLoader::_start(void* argument) {
  auto* loader = static_cast<uiBackgroundLoader*>(argument);
  udLogger::registerClient(k_threadLabel);
  if (g_gfx)
    g_gfx->registerThread(k_threadLabel);
  File::registerThread();
  loader->_markStarted();
  while (!loader->terminateRequested) {
    loader->_serveRequest();
    Platform::Sleep(loader->m_pollInterval);
  }
  File::unregisterThread();
  if (g_gfx)
    g_gfx->unregisterThread(k_threadLabel);
  return 0;
}

// Under the lock, so that a request made before the worker ran is never overwritten.
void uiBackgroundLoader::_markStarted() {
  uiLockGuard guard(lock);
  if (state == STATE_STARTING)
    state = STATE_IDLE;
}

void uiBackgroundLoader::_serveRequest() {
  uiLockGuard guard(lock);
  if (!terminateRequested && state == STATE_REQUESTED)
    _load();
}

// Called with the lock held (when there is one).
void uiBackgroundLoader::_load() {
  delete widget;
  widget = nullptr;
  widget = loadThroughManager(fileName);
  state = STATE_IDLE;
}

// Once the lock is ours no load is under way; with the terminate flag set the worker will never
// serve the request that is still pending.
bool uiBackgroundLoader::_requestIsStranded() {
  uiLockGuard guard(lock);
  return state == STATE_REQUESTED;
}
