#pragma once

#include "snd3dsubsystem.h"

#include <mutex>
#include <vector>

// A sound library that plays nothing and tells what would have played: every playSound is kept
// with the pan and frequency scale its handle is given, and flush reports the sounds since the
// last flush to a listener (or, without one, to the log), then forgets them. A headless game
// flushes once per frame.
//
// Handles belong to the library and are reused in turn: a handle stays valid for good, and
// changes the sound it was returned for until that sound has been flushed.
class softSound : public snd3dSubsystem {
public:
  struct Played {
    char name[128];  // cut at 127 characters
    float pan = 0.0f;
    float frequencyScale = 1.0f;
  };
  typedef void (*Listener)(void* client, const Played& sound);

  softSound();
  ~softSound() override;
  softSound(const softSound&) = delete;
  softSound& operator=(const softSound&) = delete;

  void setListener(Listener listener, void* client);
  void flush();  // from one thread at a time
  size_t pendingCount() const;

  snd3dHandle* playSound(e_snd3dSoundTypes type, const char* name, bool b1, bool b2) override;

  static const int HANDLES = 32;

private:
  class Handle : public snd3dHandle {
  public:
    void setPan(float pan) override;
    void setFrequencyScale(float scale) override;

    softSound* owner = nullptr;
    size_t entry = 0;               // index in m_pending
    unsigned long long serial = 0;  // the flush generation it was returned in
  };

  Played* _entry(const Handle& handle);

  mutable std::mutex m_mutex;
  Listener m_listener = nullptr;
  void* m_client = nullptr;
  std::vector<Played> m_pending;    // played since the last flush
  std::vector<Played> m_reporting;  // being handed to the listener
  Handle m_handles[HANDLES];
  int m_nextHandle = 0;
  unsigned long long m_generation = 1;
};
