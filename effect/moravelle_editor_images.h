#pragma once
// The editor's images: module resources of type PNG, ids 101 to 119, with the
// file names the build embeds them from (resources/img/) and their frame counts.

enum MoravelleImageId : int {
  kImageBackground = 101,
  kImageLed = 102,
  kImageSwitchRouting = 103,
  kImageSwitchFilterMode = 104,
  kImageSwitchFilterType = 105,
  kImageSwitchLed = 106,
  kImageSquareLed = 107,
  kImagePresetBackward = 108,
  kImagePresetForward = 109,
  kImagePresetLoad = 110,
  kImagePresetSave = 111,
  kImageKnobBlue = 112,
  kImageKnobBlack = 113,
  kImageKnobWhite = 114,
  kImageHeader = 115,
  kImageAmpPanel = 116,
  kImagePreampPanel = 117,
  kImageReverbPanel = 118,
  kImageRack = 119,
};

struct MoravelleImage {
  int id;
  const char* fileName;
  int frames;
};

inline constexpr MoravelleImage kMoravelleImages[] = {
    {kImageBackground, "resources/img/pa_background_0001.png", 1},
    {kImageLed, "resources/img/pa_button_0011.png", 2},
    {kImageSwitchRouting, "resources/img/pa_button_0015.png", 4},
    {kImageSwitchFilterMode, "resources/img/pa_button_0016.png", 3},
    {kImageSwitchFilterType, "resources/img/pa_button_0017.png", 2},
    {kImageSwitchLed, "resources/img/pa_button_0018.png", 2},
    {kImageSquareLed, "resources/img/pa_button_0019.png", 2},
    {kImagePresetBackward, "resources/img/pa_button_preset_backward_0001.png", 1},
    {kImagePresetForward, "resources/img/pa_button_preset_forward_0001.png", 1},
    {kImagePresetLoad, "resources/img/pa_button_preset_load_0001.png", 1},
    {kImagePresetSave, "resources/img/pa_button_preset_save_0001.png", 1},
    {kImageKnobBlue, "resources/img/pa_knob_0018_blue.png", 99},
    {kImageKnobBlack, "resources/img/pa_knob_0019_black.png", 99},
    {kImageKnobWhite, "resources/img/pa_knob_0019_white.png", 99},
    {kImageHeader, "resources/img/pa_panel_header_0001.png", 1},
    {kImageAmpPanel, "resources/img/pa_panel_korvath_0001.png", 1},
    {kImagePreampPanel, "resources/img/pa_panel_tavrin_0001.png", 1},
    {kImageReverbPanel, "resources/img/pa_panel_solvandra_0001.png", 1},
    {kImageRack, "resources/img/pa_panel_moravellerack_0001.png", 1},
};

// The entry for an id; null for ids outside 101..119.
inline const MoravelleImage* FindMoravelleImage(int id) {
  for (const MoravelleImage& image : kMoravelleImages)
    if (image.id == id) return &image;
  return nullptr;
}
