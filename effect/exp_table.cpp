#include <cmath>

#include "stereo_vector.h"

MORAVELLE_DSP_BEGIN

namespace dsp {

ExpTable::ExpTable() {
  for (int j = 0; j < 32; ++j) {
    power[j] = std::exp2(j / 32.0);
    powerMinusOne[j] = std::expm1(j * 0.69314718055994530942 / 32.0);
  }
}

const ExpTable kExpTable;

}  // namespace dsp

MORAVELLE_DSP_END
