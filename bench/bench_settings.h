#pragma once
// The settings the benchmarks measure under, for every route alike: the full
// chain (reverb, both clippers, band-pass), and the room gliding block by block.
#include <cmath>

#include "effect/kernel_params.h"

// The full chain's plain values, through set(index, value).
template <typename Set>
void SetFullChain(Set&& set) {
  set(kReverbOffOn, 1.0);
  set(kReverbRoomSize, 0.5);
  set(kReverbDecayTime, 0.5);
  set(kPreampClippingOffOn, 1.0);
  set(kAmpClippingOffOn, 1.0);
  set(kAmpFilterMode, 1.0);
  set(kReverbLateReverberation, 0.7);
  set(kReverbEarlyReflections, 0.5);
}

// Room size and panorama before block 'block' of a gliding run.
template <typename Set>
void SetGlidingRoom(int block, Set&& set) {
  set(kReverbRoomSize, 0.5 + 0.4 * std::sin(block * 0.01));
  set(kReverbPanorama, 0.5 + 0.4 * std::cos(block * 0.013));
}
