#pragma once
// Soft clipper for both channels at once (one lane each): two-times oversampled
// tanh saturation (linear-interpolated midpoint), a 0.25/0.5/0.25 decimator, a DC
// blocker and make-up gain. The output lags the input by 1.5 frames.
//
// Only the DC blocker feeds back on itself, so the stages run a block in two
// passes: the saturation and decimation of every frame (SaturateBlock: independent
// frames, so the processor overlaps their exponentials and divisions, bound by
// throughput alone), then the DC blocker's short recursion (BlockDc) together with
// the stage's other recursions. Per frame this is exactly Process.

#include "stereo_vector.h"
#include "dsp_isa.h"

MORAVELLE_DSP_BEGIN

struct ClipStage {
  // 1 / tanh(1.3), so that S(1) = 1 and |S| stays below this factor.
  static constexpr double kSaturationScale = 1.1604655035579;
  // DC blocker pole: y[n] = x[n] - x[n-1] + 0.9997 y[n-1], a corner near 2 Hz at 44.1 kHz.
  static constexpr double kDcPole = 0.9997;

  Double2 u1{};  // previous driven input
  Double2 v1{};  // previous saturated input
  Double2 m1{};  // previous saturated midpoint
  Double2 y1{};  // DC blocker input memory
  Double2 d1{};  // DC blocker output memory

  void Clear() { *this = ClipStage{}; }

  static Double2 Saturate(Double2 z) { return dsp::FastTanh2(1.3 * z) * kSaturationScale; }

  // One frame: the make-up-scaled output for input a with drive D and make-up K.
  Double2 Process(Double2 a, Double2 drive, Double2 makeup) {
    Double2 y;
    Double4 arguments[1], exponentials[1];
    SaturateBlock(&a, drive, &y, 1, arguments, exponentials);
    return BlockDc(y) * makeup;
  }

  // First pass over a block: decimated[i] for a[i], i < frames; 'arguments' and
  // 'exponentials' hold 'frames' entries of scratch. It runs as two loops, the
  // saturation's arguments and exponentials, then its divisions and the
  // decimation: in one loop each frame's long chain of dependent steps would leave
  // the processor's schedulers too few independent ones from other frames.
  void SaturateBlock(const Double2* a, Double2 drive, Double2* decimated, int frames, Double4* arguments,
                     Double4* exponentials) {
    Double2 u1Local = u1;
    for (int i = 0; i < frames; ++i) {
      const Double2 u = a[i] * drive;
      const Double4 z = 1.3 * dsp::Join(u1Local, u1Local + (u - u1Local) * 0.5);
      arguments[i] = z;
      exponentials[i] = dsp::ByPairs(z, [](auto x) { return dsp::TanhExponentialV(x); });
      u1Local = dsp::FlushDenormal2(u);
    }
    u1 = u1Local;
    Double2 v1Local = v1, m1Local = m1;
    for (int i = 0; i < frames; ++i) {
      const Double4 z = arguments[i], em1 = exponentials[i];
      const Double4 saturated =
          dsp::ByPairs(z, em1, [](auto x, auto e) { return dsp::TanhFromExponentialV(x, e); }) * kSaturationScale;
      const Double2 v = dsp::LowHalf(saturated);
      const Double2 m = dsp::HighHalf(saturated);
      decimated[i] = ((v1Local + v) * 0.5 + m1Local) * 0.5;
      v1Local = dsp::FlushDenormal2(v);
      m1Local = dsp::FlushDenormal2(m);
    }
    v1 = v1Local;
    m1 = m1Local;
  }

  // Second pass, one frame: the DC blocker on a decimated value (without make-up).
  // The DC blocker flushes its decayed term rather than its stored output.
  Double2 BlockDc(Double2 y) {
    const Double2 d = y - y1 + dsp::FlushDenormal2(kDcPole * d1);
    y1 = dsp::FiniteOrZero2(y);
    d1 = dsp::FiniteOrZero2(d);
    return d;
  }

  // BlockDc without its guards, so that its recursion is one multiply and one add
  // long; 'unusual' collects the lanes where a guard would have acted (a decayed
  // term to flush, or a NaN: the saturation keeps every other input within
  // +-1.1605, so d stays finite), and then the pass runs again with BlockDc.
  Double2 BlockDcUnguarded(Double2 y, Int2* unusual) {
    const Double2 decayed = dsp::Opaque(kDcPole * d1);
    *unusual |= dsp::FlushWouldActV(decayed) | (y != y);
    const Double2 d = y - y1 + decayed;
    y1 = y;
    d1 = d;
    return d;
  }
};

MORAVELLE_DSP_END
