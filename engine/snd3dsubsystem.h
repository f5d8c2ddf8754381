#pragma once

// The engine's sound library. The base class is inert: playSound returns null.

enum e_snd3dSoundTypes { SND3D_UI = 0 };

// A playing sound; owned by the sound library, never freed by its callers.
class snd3dHandle {
public:
  virtual ~snd3dHandle();
  virtual void setPan(float pan);
  virtual void setFrequencyScale(float scale);
};

class snd3dSubsystem {
public:
  virtual ~snd3dSubsystem();
  virtual snd3dHandle* playSound(e_snd3dSoundTypes type, const char* name, bool b1, bool b2);
};

extern snd3dSubsystem* g_snd3d;  // null until the game sets it
