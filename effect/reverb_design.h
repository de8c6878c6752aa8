#pragma once
// The reverb's design constants, in one place for the kernel's paths (both
// instruction-set builds) and for the effect's tail estimate. Each fixes the sound:
// changing one changes every output.

namespace reverb_design {

// 1 / 340 m/s: metres of room to seconds of travel.
inline constexpr double kSecondsPerMetre = 0.0029411764705882;
// Room size 0..1 spans rooms of 10 to 100 metres.
inline constexpr double kRoomMinimumMetres = 10.0;
inline constexpr double kRoomSpanMetres = 90.0;
// The longest pre-delay, in seconds.
inline constexpr double kPreDelayMaximumSeconds = 2.0;
// Decay time 0..1 spans 0.1 to 20 seconds to fall by 60 dB (to a thousandth).
inline constexpr double kDecayMinimumSeconds = 0.1;
inline constexpr double kDecaySpanSeconds = 19.9;
inline constexpr double kDecayTargetLevel = 0.001;
// Late reverberation level: this factor times the parameter squared.
inline constexpr double kLateLevelScale = 0.9;
// Relative lengths of the four feedback lines.
inline constexpr double kLineRatio[4] = {1.0, 0.7071, 0.81649, 0.63245};
// Early-reflection taps: position = ratio times the room length, plus an offset
// (samples at 44.1 kHz; ReverbSettings::tapOffset at the kernel's rate).
inline constexpr double kTapRatio[4] = {0.41, 0.155, 0.3, 1.0};
inline constexpr double kTapOffsetSamples = 5.0;
// The line and the tap with the shortest ratio.
inline constexpr int kShortestLine = 3;
inline constexpr int kShortestTap = 1;
static_assert(kLineRatio[kShortestLine] < kLineRatio[0] && kLineRatio[kShortestLine] < kLineRatio[1] &&
              kLineRatio[kShortestLine] < kLineRatio[2]);
static_assert(kTapRatio[kShortestTap] < kTapRatio[0] && kTapRatio[kShortestTap] < kTapRatio[2] &&
              kTapRatio[kShortestTap] < kTapRatio[3]);
// The input diffuser's delay relative to the room length, and its allpass gain; the
// gain that sums the two pre-delayed channels to its mono input.
inline constexpr double kInputDiffuserRatio = 0.110732;
inline constexpr double kInputDiffuserCoefficient = 0.75;
inline constexpr double kMonoSumGain = 0.707;
// The Hadamard matrix of the feedback network, scaled to keep the energy.
inline constexpr double kHadamardScale = 0.5;
// Output diffusers: the whole-sample scale of their lengths per sample of room
// length, the base lengths, how far the spread (100 x panorama) moves each, and
// their allpass gains.
inline constexpr double kDiffuserScalePerRoomSample = 0.000527;
inline constexpr double kSpreadPerPanorama = 100.0;
inline constexpr double kDiffuserBaseLength[3] = {159.0, 562.0, 410.0};
inline constexpr double kDiffuserSpreadLeft[3] = {0.125541, 0.251082, -0.376623};
inline constexpr double kDiffuserSpreadRight[3] = {-0.568366, 0.187921, 0.380445};
inline constexpr double kDiffuserCoefficient[3] = {0.75, 0.625, 0.625};
// Longest delays the lines are sized for, in seconds (the pre-delay's is above).
inline constexpr double kInputDiffuserMaximumSeconds = 0.125;
inline constexpr double kNetworkLineMaximumSeconds = 1.0;
inline constexpr double kOutputDiffuserMaximumSeconds[3] = {0.25, 0.5, 0.25};

}  // namespace reverb_design
