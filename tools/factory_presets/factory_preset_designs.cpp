#include "factory_preset_designs.h"

#include "effect/preset_catalogue.h"

namespace {

// Decay times below are 0.1 + 19.9p seconds per path; damping shortens what is heard
// of the highs. Pre-delays are 2p^2 seconds (0.1 is 20 ms, 0.2 is 80 ms).
const FactoryPresetDesign kDesigns[kFactoryPresetCount] = {
    // WLCM - Inside The First Room: a friendly mid-size room, a good start for anything.
    {.roomSize = 0.25, .decayTime = 0.06, .damp = 0.3, .early = 0.6, .late = 0.8, .panorama = 0.55,
     .preDelay = 0.08},
    // STUDIO - PostProcess H: a clean plate whose output is band-passed high (560 Hz to 17 kHz).
    {.roomSize = 0.3, .decayTime = 0.08, .damp = 0.1, .early = 0.4, .late = 0.8, .preDelay = 0.1,
     .blend = 0.3, .ampFilterMode = 1, .ampHighPass = 0.3, .ampLowPass = 0.95},
    // STUDIO - PostProcess L: the same plate band-passed low (55 Hz to 2.5 kHz).
    {.roomSize = 0.3, .decayTime = 0.08, .damp = 0.4, .early = 0.4, .late = 0.8, .preDelay = 0.1,
     .blend = 0.3, .ampFilterMode = 1, .ampHighPass = 0.12, .ampLowPass = 0.5},
    // STUDIO - PreProcess H: only the highs feed the reverb (high-pass at 880 Hz before it).
    {.roomSize = 0.3, .decayTime = 0.08, .damp = 0.1, .early = 0.4, .late = 0.8, .preDelay = 0.1,
     .blend = 0.3, .preampCutoff = 0.35, .preampHighPass = true},
    // STUDIO - PreProcess L: only the lows and mids feed it (low-pass at 2.5 kHz before it).
    {.roomSize = 0.3, .decayTime = 0.08, .damp = 0.4, .early = 0.4, .late = 0.8, .preDelay = 0.1,
     .blend = 0.3, .preampCutoff = 0.5},
    // ROOM - Early Vibes: a small room that is mostly its first reflections.
    {.roomSize = 0.06, .decayTime = 0.02, .damp = 0.3, .early = 0.9, .late = 0.4, .panorama = 0.55,
     .preDelay = 0.05},
    // ROOM - Wide Reflections 1: small, with reflections spread wide.
    {.roomSize = 0.1, .decayTime = 0.025, .damp = 0.25, .early = 0.8, .late = 0.5, .panorama = 0.65,
     .preDelay = 0.06},
    // ROOM - Wide Reflections 2: a size up, wider still and a little darker.
    {.roomSize = 0.15, .decayTime = 0.035, .damp = 0.35, .early = 0.8, .late = 0.6, .panorama = 0.7,
     .preDelay = 0.08},
    // DRUM - Big Punch: a tight room with strong reflections and a touch of amp drive.
    {.roomSize = 0.12, .decayTime = 0.03, .damp = 0.2, .early = 0.9, .late = 0.55, .panorama = 0.6,
     .preDelay = 0.04, .blend = 0.35, .ampDrive = 0.3},
    // DRUM - Deeper: a larger, darker room; the highs are taken out before and inside it.
    {.roomSize = 0.2, .decayTime = 0.045, .damp = 0.6, .early = 0.7, .late = 0.7, .panorama = 0.55,
     .preDelay = 0.06, .blend = 0.35, .preampCutoff = 0.55},
    // DRUM - High End Designs: a bright room, fed and finished above 1.3 kHz.
    {.roomSize = 0.1, .decayTime = 0.03, .early = 0.8, .late = 0.6, .panorama = 0.6, .preDelay = 0.05,
     .blend = 0.35, .preampCutoff = 0.3, .preampHighPass = true, .ampFilterMode = 1, .ampHighPass = 0.4,
     .ampLowPass = 1.0},
    // DRUM - Industrial: a hard, undamped metal box with both clippers driven.
    {.roomSize = 0.08, .decayTime = 0.05, .early = 1.0, .late = 0.7, .panorama = 0.6, .preDelay = 0.03,
     .blend = 0.3, .preampDrive = 0.5, .ampDrive = 0.35},
    // GUITAR - Country Souls: a warm mid-size room with a short slap before it.
    {.roomSize = 0.3, .decayTime = 0.07, .damp = 0.3, .early = 0.5, .late = 0.7, .panorama = 0.55,
     .preDelay = 0.12},
    // GUITAR - Gentle Crunch 1: a little preamp drive into a band-passed room.
    {.roomSize = 0.2, .decayTime = 0.05, .damp = 0.3, .early = 0.6, .late = 0.7, .panorama = 0.55,
     .preDelay = 0.08, .blend = 0.45, .preampDrive = 0.35, .ampFilterMode = 1, .ampHighPass = 0.25,
     .ampLowPass = 0.7},
    // GUITAR - Gentle Crunch 2: more drive, both clippers, a bigger room.
    {.roomSize = 0.3, .decayTime = 0.07, .damp = 0.35, .early = 0.6, .late = 0.7, .panorama = 0.6,
     .preDelay = 0.1, .blend = 0.45, .preampDrive = 0.5, .ampFilterMode = 1, .ampHighPass = 0.3,
     .ampLowPass = 0.65, .ampDrive = 0.25},
    // GUITAR - Once Upon A Fable: a lush hall with a long, soft tail.
    {.roomSize = 0.6, .decayTime = 0.2, .damp = 0.35, .early = 0.4, .late = 0.85, .panorama = 0.65,
     .preDelay = 0.16, .blend = 0.35},
    // GUITAR - Small Room Overtones: a small bright room fed above 330 Hz.
    {.roomSize = 0.06, .decayTime = 0.03, .damp = 0.05, .early = 0.85, .late = 0.5, .panorama = 0.55,
     .preDelay = 0.04, .preampCutoff = 0.25, .preampHighPass = true},
    // GUITAR - South Passage: a long stone passage, distinct reflections.
    {.roomSize = 0.7, .decayTime = 0.12, .damp = 0.4, .early = 0.8, .late = 0.6, .panorama = 0.6,
     .preDelay = 0.2, .blend = 0.35},
    // GUITAR - The Strum Pad: a long, dark, wide pad under the strings.
    {.roomSize = 0.5, .decayTime = 0.3, .damp = 0.5, .early = 0.2, .late = 0.9, .panorama = 0.6,
     .preDelay = 0.1, .blend = 0.4},
    // GUITAR - Transduced Spaces: a hall with its mids notched out, lightly driven.
    {.roomSize = 0.45, .decayTime = 0.15, .damp = 0.2, .early = 0.5, .late = 0.8, .panorama = 0.65,
     .preDelay = 0.12, .blend = 0.4, .ampFilterMode = 2, .ampHighPass = 0.4, .ampLowPass = 0.55,
     .ampDrive = 0.2},
    // GUITAR - Wide Electric Echoes: a large, wide space whose taps ring as echoes.
    {.roomSize = 0.8, .decayTime = 0.1, .damp = 0.25, .early = 0.9, .late = 0.5, .panorama = 0.7,
     .preDelay = 0.25, .blend = 0.4},
    // VOCAL - Studio LoFi 1: a small room through a telephone band (880 Hz to 5.5 kHz).
    {.roomSize = 0.15, .decayTime = 0.04, .damp = 0.3, .early = 0.6, .late = 0.6, .preDelay = 0.08,
     .blend = 0.5, .preampDrive = 0.3, .ampFilterMode = 1, .ampHighPass = 0.35, .ampLowPass = 0.65},
    // VOCAL - Studio LoFi 2: narrower band, more drive.
    {.roomSize = 0.2, .decayTime = 0.05, .damp = 0.35, .early = 0.6, .late = 0.6, .preDelay = 0.1,
     .blend = 0.55, .preampDrive = 0.5, .ampFilterMode = 1, .ampHighPass = 0.4, .ampLowPass = 0.6},
    // VOCAL - Studio LoFi 3: the narrowest band, both clippers driven hard.
    {.roomSize = 0.25, .decayTime = 0.06, .damp = 0.4, .early = 0.6, .late = 0.6, .preDelay = 0.1,
     .blend = 0.6, .preampDrive = 0.7, .ampFilterMode = 1, .ampHighPass = 0.45, .ampLowPass = 0.55,
     .ampDrive = 0.5},
    // VOCAL - Studio Professional 1: a short clean plate, lows kept out of it (180 Hz).
    {.roomSize = 0.25, .decayTime = 0.06, .damp = 0.35, .early = 0.35, .late = 0.8, .panorama = 0.55,
     .preDelay = 0.12, .blend = 0.25, .preampCutoff = 0.2, .preampHighPass = true},
    // VOCAL - Studio Professional 2: a longer plate with more pre-delay.
    {.roomSize = 0.35, .decayTime = 0.09, .damp = 0.4, .early = 0.35, .late = 0.85, .panorama = 0.6,
     .preDelay = 0.15, .blend = 0.25, .preampCutoff = 0.2, .preampHighPass = true},
    // VOCAL - Studio Professional 3: a vocal hall, long and smooth.
    {.roomSize = 0.5, .decayTime = 0.13, .damp = 0.45, .early = 0.3, .late = 0.85, .panorama = 0.6,
     .preDelay = 0.17, .blend = 0.3, .preampCutoff = 0.2, .preampHighPass = true},
    // SCAPE - Shadow Flares 1: a huge dark wash.
    {.roomSize = 0.85, .decayTime = 0.5, .damp = 0.55, .early = 0.3, .late = 1.0, .panorama = 0.65,
     .preDelay = 0.2, .blend = 0.5},
    // SCAPE - Shadow Flares 2: larger, longer and darker, fed below 4.3 kHz.
    {.roomSize = 0.95, .decayTime = 0.65, .damp = 0.65, .early = 0.3, .late = 1.0, .panorama = 0.65,
     .preDelay = 0.2, .blend = 0.5, .preampCutoff = 0.6},
    // SCAPE - Space Drops: a bright, long space behind a quarter-second pre-delay.
    {.roomSize = 0.75, .decayTime = 0.45, .damp = 0.15, .early = 0.7, .late = 0.95, .panorama = 0.65,
     .preDelay = 0.35, .blend = 0.5},
    // SCAPE - Time Tide Projection: the largest room and the longest tail.
    {.roomSize = 1.0, .decayTime = 0.85, .damp = 0.4, .early = 0.3, .late = 0.85, .panorama = 0.6,
     .preDelay = 0.3, .blend = 0.45},
};

}  // namespace

const FactoryPresetDesign& FactoryDesign(int number) { return kDesigns[number - 1]; }

std::array<double, kKernelParamCount> FactoryPresetValues(int number) {
  const FactoryPresetDesign& design = FactoryDesign(number);
  std::array<double, kKernelParamCount> values{};
  values[kAmpClippingGain] = design.ampDrive.value_or(0.0);
  values[kAmpClippingOffOn] = design.ampDrive ? 1.0 : 0.0;
  values[kAmpFilterHpCutoff] = design.ampHighPass;
  values[kAmpFilterLpCutoff] = design.ampLowPass;
  values[kAmpFilterMode] = design.ampFilterMode;
  values[kAmpMainBlend] = design.blend;
  values[kAmpMainVolume] = 0.5;
  values[kHostTempoBpm] = 120.0;
  values[kMidiChannelInput] = 1.0;
  values[kPreampClippingGain] = design.preampDrive.value_or(0.0);
  values[kPreampClippingOffOn] = design.preampDrive ? 1.0 : 0.0;
  values[kPreampFilterCutoff] = design.preampCutoff;
  values[kPreampFilterType] = design.preampHighPass ? 1.0 : 0.0;
  values[kPreampInputGain] = 0.5;
  values[kReverbDamp] = design.damp;
  values[kReverbDecayTime] = design.decayTime;
  values[kReverbEarlyReflections] = design.early;
  values[kReverbLateReverberation] = design.late;
  values[kReverbOffOn] = 1.0;
  values[kReverbPanorama] = design.panorama;
  values[kReverbPreDelay] = design.preDelay;
  values[kReverbRoomSize] = design.roomSize;
  return values;
}
