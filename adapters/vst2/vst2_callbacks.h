#pragma once
// The audio and parameter callbacks installed in the effect record
// (vst2_audio_callbacks.cpp). Each takes the instance lock for its whole duration.

#include <cstdint>

#include "abi/vst2/vst2_interface.h"

void Vst2ProcessAccumulating(AEffect* effect, float** inputs, float** outputs, int32_t frames);  // [audio]
void Vst2ProcessReplacing(AEffect* effect, float** inputs, float** outputs, int32_t frames);     // [audio]
void Vst2ProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs, int32_t frames);  // [audio]
void Vst2SetParameter(AEffect* effect, int32_t index, float normalised);  // [any]
float Vst2GetParameter(AEffect* effect, int32_t index);                   // [any]
