#include "effect/moravelle_editor.h"

#include <algorithm>

#include "effect/kernel_params.h"
#include "effect/moravelle_editor_images.h"
#include "effect/preset_library_folder.h"
#include "framework/plugin_base.h"
#include "graphics/editor.h"

namespace {

constexpr double kKnobGearing = 4.0;
constexpr const char* kPresetExtensions = "moravellepreset";

// The strips of the editor's images, fetched in the order the layout needs them.
struct EditorImages {
  ImageStrip strips[120];
  const ImageStrip& operator[](int id) const { return strips[id]; }
};

void FetchImages(Editor& editor, EditorImages& images) {
  static constexpr int kFetchOrder[] = {kImageHeader,          kImageRack,           kImagePreampPanel,
                                        kImageReverbPanel,     kImageAmpPanel,       kImageLed,
                                        kImageSwitchRouting,   kImageSwitchFilterMode, kImageSwitchFilterType,
                                        kImageSwitchLed,       kImageSquareLed,      kImageKnobBlue,
                                        kImageKnobBlack,       kImageKnobWhite,      kImagePresetLoad,
                                        kImagePresetSave,      kImagePresetBackward, kImagePresetForward};
  for (int id : kFetchOrder) {
    const MoravelleImage* entry = FindMoravelleImage(id);
    images.strips[id] = MakeImageStrip(editor.FetchImage(id, entry->fileName), entry->frames);
  }
}

}  // namespace

TextStyle NameDisplayStyle() {
  return MakeTextStyle("Arial", 20, Colour{255, 100, 100, 100}, kTextStyleBold, kAlignCentre);
}

void BuildMoravelleEditor(PluginBase& plug, Editor* editor, MoravelleEditorControls& c) {
  if (editor == nullptr) return;
  PluginBase* p = &plug;
  editor->SetBackground(kImageBackground, FindMoravelleImage(kImageBackground)->fileName);
  const TextStyle nameStyle = NameDisplayStyle();
  const std::string folder = PresetDialogFolder();
  EditorImages img;
  FetchImages(*editor, img);

  c.rack = new BitmapControl(p, 20, 40, -1, img[kImageRack]);
  c.preampPanel = new BitmapControl(p, 50, 85, -1, img[kImagePreampPanel]);
  c.reverbPanel = new BitmapControl(p, 50, 175, -1, img[kImageReverbPanel]);
  c.ampPanel = new BitmapControl(p, 50, 355, -1, img[kImageAmpPanel]);
  c.ampClippingOffOn = new SwitchControl(p, 433, 385, kAmpClippingOffOn, img[kImageSwitchLed]);
  c.ampFilterMode = new SwitchControl(p, 147, 385, kAmpFilterMode, img[kImageSwitchFilterMode]);
  c.preampClippingOffOn = new SwitchControl(p, 434, 115, kPreampClippingOffOn, img[kImageSquareLed]);
  c.preampFilterType = new SwitchControl(p, 692, 115, kPreampFilterType, img[kImageSwitchFilterType]);
  c.preampInputMode = new SwitchControl(p, 160, 115, kPreampInputMode, img[kImageSwitchRouting]);
  c.reverbOffOn = new SwitchControl(p, 85, 184, kReverbOffOn, img[kImageLed]);
  auto knob = [&](int x, int y, int param, int imageId) {
    return new KnobStripControl(p, x, y, param, img[imageId], KnobControl::kVertical, kKnobGearing);
  };
  c.ampClippingGain = knob(548, 385, kAmpClippingGain, kImageKnobWhite);
  c.ampFilterHpCutoff = knob(312, 385, kAmpFilterHpCutoff, kImageKnobWhite);
  c.ampFilterLpCutoff = knob(230, 385, kAmpFilterLpCutoff, kImageKnobWhite);
  c.ampMainBlend = knob(692, 385, kAmpMainBlend, kImageKnobWhite);
  c.ampMainVolume = knob(802, 385, kAmpMainVolume, kImageKnobWhite);
  c.preampClippingGain = knob(548, 115, kPreampClippingGain, kImageKnobBlack);
  c.preampFilterCutoff = knob(802, 115, kPreampFilterCutoff, kImageKnobBlack);
  c.preampInputGain = knob(275, 115, kPreampInputGain, kImageKnobBlack);
  c.reverbDamp = knob(563, 250, kReverbDamp, kImageKnobBlue);
  c.reverbDecayTime = knob(312, 250, kReverbDecayTime, kImageKnobBlue);
  c.reverbEarlyReflections = knob(692, 250, kReverbEarlyReflections, kImageKnobBlue);
  c.reverbLateReverberation = knob(802, 250, kReverbLateReverberation, kImageKnobBlue);
  c.reverbPanorama = knob(433, 250, kReverbPanorama, kImageKnobBlue);
  c.reverbPreDelay = knob(147, 250, kReverbPreDelay, kImageKnobBlue);
  c.reverbRoomSize = knob(230, 250, kReverbRoomSize, kImageKnobBlue);
  c.header = new BitmapControl(p, 0, 0, -1, img[kImageHeader]);
  c.nameStrip = new PanelControl(p, Rect{300, 0, 700, 25}, Colour{140, 0, 0, 0});
  c.nameDisplay = new TextControl(p, Rect{300, 3, 700, 25}, nameStyle, "< Presets Library >");
  c.presetMenu = new PresetMenuControl(p, Rect{300, 0, 700, 25});
  c.presetBackward = new ContactControl(p, 280, 0, kPresetBackward, img[kImagePresetBackward]);
  c.presetForward = new ContactControl(p, 700, 0, kPresetForward, img[kImagePresetForward]);
  c.loadLabel = new BitmapControl(p, 240, 0, -1, img[kImagePresetLoad]);
  c.saveLabel = new BitmapControl(p, 720, 0, -1, img[kImagePresetSave]);
  c.loadSelector = new FileSelectorControl(p, Rect{240, 0, 280, 25}, kPresetLoad, img[kImagePresetLoad],
                                           FileAction::Open, folder, kPresetExtensions);
  c.saveSelector = new FileSelectorControl(p, Rect{720, 0, 760, 25}, kPresetSave, img[kImagePresetSave],
                                           FileAction::Save, folder, kPresetExtensions);

  Control* const inDrawingOrder[] = {
      c.rack, c.preampPanel, c.reverbPanel, c.ampPanel, c.ampClippingOffOn, c.ampFilterMode,
      c.preampClippingOffOn, c.preampFilterType, c.preampInputMode, c.reverbOffOn, c.ampClippingGain,
      c.ampFilterHpCutoff, c.ampFilterLpCutoff, c.ampMainBlend, c.ampMainVolume, c.preampClippingGain,
      c.preampFilterCutoff, c.preampInputGain, c.reverbDamp, c.reverbDecayTime, c.reverbEarlyReflections,
      c.reverbLateReverberation, c.reverbPanorama, c.reverbPreDelay, c.reverbRoomSize, c.header, c.nameStrip,
      c.nameDisplay, c.presetMenu, c.presetBackward, c.presetForward, c.loadLabel, c.saveLabel,
      c.loadSelector, c.saveSelector};
  for (Control* control : inDrawingOrder) editor->AddControl(control);
  plug.AttachEditor(editor);
}
