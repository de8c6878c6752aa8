#pragma once
// The built-in demo: two bars of drum hits and plucked notes at 120 beats per minute,
// with gaps that let a reverb be heard. Synthesised from a fixed seed, so the same
// sample rate always gives the same samples.

#include "audio_source.h"

inline constexpr double kDemoSeconds = 4.0;
inline constexpr double kDemoPeak = 0.5;  // about -6 dBFS

// round(kDemoSeconds * sampleRate) frames of stereo audio peaking at kDemoPeak.
StereoBuffer SynthesizeDemo(double sampleRate);
