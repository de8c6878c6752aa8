#include "midi_controller_map.h"

#include "kernel_params.h"

int ParamForController(int controller) {
  switch (controller) {
    case 1: return kAmpMainBlend;
    case 7: return kAmpMainVolume;
    case 16: return kAmpFilterLpCutoff;
    case 17: return kAmpFilterHpCutoff;
    case 18: return kAmpClippingGain;
    case 20: return kReverbPreDelay;
    case 21: return kReverbRoomSize;
    case 22: return kReverbDecayTime;
    case 23: return kReverbPanorama;
    case 24: return kReverbDamp;
    case 25: return kReverbEarlyReflections;
    case 26: return kReverbLateReverberation;
    case 27: return kPreampInputGain;
    case 28: return kPreampClippingGain;
    case 29: return kPreampFilterCutoff;
    default: return -1;
  }
}
