#include "softsound.h"

#include "udlogger.h"

#include <cstring>

softSound::softSound() {
  m_pending.reserve(64);
  m_reporting.reserve(64);
  for (Handle& handle : m_handles)
    handle.owner = this;
}

softSound::~softSound() = default;

void softSound::setListener(Listener listener, void* client) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_listener = listener;
  m_client = client;
}

// The listener is called without the lock held, so that it may play sounds itself. The two
// lists trade places, so flushing allocates nothing once they have grown.
void softSound::flush() {
  Listener listener;
  void* client;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_reporting.swap(m_pending);
    ++m_generation;
    listener = m_listener;
    client = m_client;
  }
  for (const Played& sound : m_reporting) {
    if (listener)
      listener(client, sound);
    else
      udLogger::log(0, "Sound ^C00FF00%s^c pan %.2f frequency %.2f\f", sound.name, sound.pan,
                    sound.frequencyScale);
  }
  m_reporting.clear();
}

size_t softSound::pendingCount() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_pending.size();
}

snd3dHandle* softSound::playSound(e_snd3dSoundTypes, const char* name, bool, bool) {
  std::lock_guard<std::mutex> lock(m_mutex);
  Played sound;
  std::strncpy(sound.name, name ? name : "", sizeof sound.name - 1);
  sound.name[sizeof sound.name - 1] = '\0';
  m_pending.push_back(sound);
  Handle& handle = m_handles[m_nextHandle];
  m_nextHandle = (m_nextHandle + 1) % HANDLES;
  handle.entry = m_pending.size() - 1;
  handle.serial = m_generation;
  return &handle;
}

softSound::Played* softSound::_entry(const Handle& handle) {
  if (handle.serial != m_generation || handle.entry >= m_pending.size())
    return nullptr;
  return &m_pending[handle.entry];
}

void softSound::Handle::setPan(float pan) {
  std::lock_guard<std::mutex> lock(owner->m_mutex);
  if (Played* sound = owner->_entry(*this))
    sound->pan = pan;
}

void softSound::Handle::setFrequencyScale(float scale) {
  std::lock_guard<std::mutex> lock(owner->m_mutex);
  if (Played* sound = owner->_entry(*this))
    sound->frequencyScale = scale;
}
