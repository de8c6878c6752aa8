#pragma once
// The torture runs through a loaded plug-in binary, with the figures they report.
//
// Soak: random host behaviour for a budget of audio (rates from 22050 to 384000 Hz,
// set up afresh or switched while running, block sizes, automation
// every block and within blocks, in-place buffers, state round trips, controller
// floods, hostile signals) with every output frame checked.
// Extremes: every parameter at both ends of its range, held, at each rate.

#include <cstdint>
#include <string>

#include "torture_target.h"
#include "watchdog.h"

struct SoakOptions {
  double audioSeconds = 60.0;  // of audio as if all at 52 kHz: the frames to process
  uint64_t seed = 1;
};

struct SoakFigures {
  double audioSeconds = 0.0;
  double wallSeconds = 0.0;
  int64_t frames = 0;
  int64_t blocks = 0;
  int64_t setups = 0;
  int64_t rateSwitches = 0;         // rate changes while processing ran
  int64_t badInputFrames = 0;      // frames with a NaN or infinite input sample
  int64_t nonFiniteOutputs = 0;    // outside the frame of a bad input
  int64_t denormals32 = 0;
  int64_t denormals64 = 0;
  int64_t passThroughMismatches = 0;  // master switch off, output differs from input
  int64_t clipperBoundChecks = 0;
  int64_t clipperBoundExceeded = 0;
  double worstClipperRatio = 0.0;  // largest |out| / bound seen
  double worstPeak = 0.0;          // largest finite |out|
  double worstGain = 0.0;          // largest |out| over the recent input peak
  std::string worstGainContext;
  std::string firstFailure;

  bool Failed() const {
    return !firstFailure.empty() ||
           nonFiniteOutputs + denormals32 + denormals64 + passThroughMismatches + clipperBoundExceeded > 0;
  }
};

SoakFigures RunSoak(TortureTarget& target, const SoakOptions& options, Watchdog& watchdog);
void PrintSoak(const char* format, const SoakFigures& figures);

struct ExtremesFigures {
  int settings = 0;
  int failures = 0;  // settings whose output was not finite or exceeded the bound
  double worstPeak = 0.0;
  std::string worstContext;
  std::string firstFailure;
};

// Both ends of every parameter but the preset actions, each with the reverb on and
// taken through the rates from 22050 to 384000 Hz, switched while it plays (a share
// of holdSeconds at each); the input is full-scale noise. Fails a
// setting whose output is not finite or exceeds 'bound'.
ExtremesFigures RunExtremes(TortureTarget& target, double holdSeconds, double bound, bool doublePrecision,
                            Watchdog& watchdog);
