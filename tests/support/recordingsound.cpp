#include "recordingsound.h"

#include "testmemory.h"

class RecordingSound::Handle : public snd3dHandle {
public:
  explicit Handle(Played& entry) : m_entry(entry) {}

  void setPan(float pan) override {
    m_entry.pan = pan;
    ++m_entry.panCalls;
  }
  void setFrequencyScale(float scale) override {
    m_entry.frequencyScale = scale;
    ++m_entry.frequencyScaleCalls;
  }

private:
  Played& m_entry;
};

RecordingSound::RecordingSound() : m_previous(g_snd3d) {
  g_snd3d = this;
}

RecordingSound::~RecordingSound() {
  g_snd3d = m_previous;
}

snd3dHandle* RecordingSound::playSound(e_snd3dSoundTypes type, const char* name, bool b1, bool b2) {
  GlobalNewPause notCounted;
  std::lock_guard<std::mutex> hold(m_mutex);
  Played entry;
  entry.name = name ? name : "(null)";
  entry.type = type;
  entry.b1 = b1;
  entry.b2 = b2;
  played.push_back(entry);
  if (silent)
    return nullptr;
  m_handles.push_back(std::make_unique<Handle>(played.back()));
  return m_handles.back().get();
}
