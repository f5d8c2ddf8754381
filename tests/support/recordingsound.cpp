#include "recordingsound.h"

#include "testmemory.h"

class RecordingSound::Handle : public snd3dHandle {
public:
  explicit Handle(Played& entry) : m_entry(entry) {}

  void setPan(float pan) override { m_entry.pan = pan; }
  void setFrequencyScale(float scale) override { m_entry.frequencyScale = scale; }

private:
  Played& m_entry;
};

RecordingSound::RecordingSound() : m_previous(g_snd3d) {
  g_snd3d = this;
}

RecordingSound::~RecordingSound() {
  g_snd3d = m_previous;
}

snd3dHandle* RecordingSound::playSound(e_snd3dSoundTypes, const char* name, bool, bool) {
  GlobalNewPause notCounted;
  std::lock_guard<std::mutex> hold(m_mutex);
  played.push_back({name ? name : "(null)"});
  m_handles.push_back(std::make_unique<Handle>(played.back()));
  return m_handles.back().get();
}
