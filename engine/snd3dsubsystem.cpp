#include "snd3dsubsystem.h"

snd3dSubsystem* g_snd3d = nullptr;

snd3dHandle::~snd3dHandle() = default;

void snd3dHandle::setPan(float) {}

void snd3dHandle::setFrequencyScale(float) {}

snd3dSubsystem::~snd3dSubsystem() = default;

snd3dHandle* snd3dSubsystem::playSound(e_snd3dSoundTypes, const char*, bool, bool) {
  return nullptr;
}
