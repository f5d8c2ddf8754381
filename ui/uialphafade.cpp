#include "uialphafade.h"

void _AlphaFade_s::start(unsigned char& alpha, unsigned char newAlpha, unsigned int newDuration,
                         unsigned int newDelay) {
  if (newDuration == 0) {
    alpha = newAlpha;
  } else {
    startAlpha = alpha;
    duration = newDuration;
    elapsed = 0;
    delay = newDelay;
  }
  targetAlpha = newAlpha;
}

void _AlphaFade_s::step(unsigned char& alpha, unsigned int ms) {
  if (targetAlpha == alpha)
    return;
  elapsed += ms;
  if (delay != 0) {
    if (elapsed >= delay) {
      delay = 0;
      elapsed = 0;
    }
    return;
  }
  // Extrapolating past the duration would overshoot any target between 0 and 255.
  if (elapsed >= duration) {
    alpha = targetAlpha;
    return;
  }
  float t = static_cast<float>(elapsed) / static_cast<float>(duration);
  float value = startAlpha * (1.0f - t) + targetAlpha * t;
  value = value < 0.0f ? 0.0f : value > 255.0f ? 255.0f : value;
  alpha = static_cast<unsigned char>(value);
}
