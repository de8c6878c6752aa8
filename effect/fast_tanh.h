#pragma once
// tanh without the C library: the clippers evaluate eight per frame, and the C
// library's tanh (MinGW's in particular) costs several times this. Accurate to a
// few units in the last place of the result over the whole line.

#include "stereo_vector.h"
#include "dsp_isa.h"

MORAVELLE_DSP_BEGIN

namespace dsp {

inline double FastTanh(double x) { return FastTanh2(Splat(x))[0]; }

}  // namespace dsp

MORAVELLE_DSP_END
