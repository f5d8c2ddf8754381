#pragma once

#include "snd3dsubsystem.h"

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// A sound backend for tests. It installs itself in g_snd3d while it lives (putting the previous one
// back afterwards) and records every sound played, with the pan and frequency scale its handle
// was given last. It owns the handles, which stay valid until it is destroyed.
class RecordingSound : public snd3dSubsystem {
public:
  struct Played {
    std::string name;
    float pan = 0.0f;
    float frequencyScale = 1.0f;
  };

  RecordingSound();
  ~RecordingSound() override;
  RecordingSound(const RecordingSound&) = delete;
  RecordingSound& operator=(const RecordingSound&) = delete;

  snd3dHandle* playSound(e_snd3dSoundTypes type, const char* name, bool b1, bool b2) override;

  std::deque<Played> played;  // a deque, so that handles may point at their entry

private:
  class Handle;

  snd3dSubsystem* m_previous = nullptr;
  std::mutex m_mutex;
  std::vector<std::unique_ptr<Handle>> m_handles;
};
