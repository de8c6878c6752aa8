#pragma once
// Host time and transport, as far as the host tells it. The caller initialises
// the record; adapters overwrite only what the host reports.

#include <cstdint>

struct TransportInfo {
  double tempoBpm = 0.0;
  double samplePos = 0.0;
  double ppqPos = 0.0;           // position in quarter notes
  double barStartPpq = 0.0;      // last bar start, quarter notes
  double cycleStartPpq = 0.0;
  double cycleEndPpq = 0.0;
  int32_t timeSigNumerator = 4;
  int32_t timeSigDenominator = 4;
  bool running = false;
  bool cycleActive = false;
};
