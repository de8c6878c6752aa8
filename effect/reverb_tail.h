#pragma once
// How long the effect keeps sounding after its input falls silent: the tail that the
// plug-ins report to hosts, so that a host neither stops processing nor ends an
// export while the reverb still rings.

#include <cstdint>

// The tail in samples at 'sampleRate' for the parameters' plain values (all 31, in
// index order; clamped to their ranges as the kernel clamps them): the time after the input's last sample until the output stays below
// -100 dB relative to the input's peak. 0 when the master switch is off (the input
// passes unchanged); otherwise never 0. Estimated from the settings' targets (the
// room size, panorama and pre-delay glide to them), saturated at INT32_MAX.
int32_t ReverbTailSamples(const double* params, double sampleRate);

// The same in seconds.
double ReverbTailSeconds(const double* params, double sampleRate);
