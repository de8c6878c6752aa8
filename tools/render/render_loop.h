#pragma once
// The host's side of a render: reset the target at the source's rate, then feed it
// the source and a tail of silence in blocks of the announced size (only the last
// block is shorter), through its 64- or 32-bit path, and deliver every output block.

#include <cstdint>
#include <functional>

#include "audio_sink.h"
#include "audio_source.h"
#include "render_target.h"

enum class Precision { Bits32, Bits64 };

struct RenderSettings {
  int blockSize = 512;     // frames per host block, at least 1
  int64_t tailFrames = 0;  // silence fed after the source so the reverb can ring out
  Precision precision = Precision::Bits64;
};

// Called after every block with the frames rendered so far and the expected total.
using RenderProgress = std::function<void(int64_t framesDone, int64_t framesTotal)>;

// Stops at the first failing read or write and returns its reason; *framesRendered
// counts the frames delivered to the sink.
Status RenderThrough(RenderTarget& target, AudioSource& source, AudioSink& sink, const RenderSettings& settings,
                     const RenderProgress& progress, int64_t* framesRendered);
