#pragma once

// A timed linear fade of an alpha that its owner keeps: the owner's setAlpha starts it and the
// owner's update steps it once a frame.
struct _AlphaFade_s {
  // A duration of 0 sets the alpha at once; otherwise the fade starts from the alpha as it
  // stands, after the delay (both in milliseconds).
  void start(unsigned char& alpha, unsigned char newAlpha, unsigned int duration,
             unsigned int delay);
  // Waits out the delay, then moves linearly from the start alpha and stops exactly at the
  // target once the duration has passed. Does nothing while the alpha is at the target.
  void step(unsigned char& alpha, unsigned int ms);

  unsigned char startAlpha = 255;
  unsigned char targetAlpha = 255;
  unsigned int duration = 0;  // ms
  unsigned int elapsed = 0;   // ms, first towards the delay, then into the fade
  unsigned int delay = 0;     // ms; 0 once the fade has started
};
