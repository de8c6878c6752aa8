#pragma once
// The effect's editor: a studio rack of 1000 x 530 pixels with a header bar for
// the presets and three section panels (preamp, reverb, amp). Which images it
// loads, which controls it places where, bound to which parameter, and in which
// order they are drawn.

#include "graphics/bitmap_control.h"
#include "graphics/file_selector_control.h"
#include "graphics/knob_control.h"
#include "graphics/panel_control.h"
#include "graphics/text_control.h"
#include "effect/preset_menu_control.h"

class Editor;
class PluginBase;

// The controls the effect keeps, in the order they are added (their drawing
// order). The editor owns them; these are plain references.
struct MoravelleEditorControls {
  BitmapControl* rack = nullptr;
  BitmapControl* preampPanel = nullptr;
  BitmapControl* reverbPanel = nullptr;
  BitmapControl* ampPanel = nullptr;
  SwitchControl* ampClippingOffOn = nullptr;
  SwitchControl* ampFilterMode = nullptr;
  SwitchControl* preampClippingOffOn = nullptr;
  SwitchControl* preampFilterType = nullptr;
  SwitchControl* preampInputMode = nullptr;
  SwitchControl* reverbOffOn = nullptr;
  KnobStripControl* ampClippingGain = nullptr;
  KnobStripControl* ampFilterHpCutoff = nullptr;
  KnobStripControl* ampFilterLpCutoff = nullptr;
  KnobStripControl* ampMainBlend = nullptr;
  KnobStripControl* ampMainVolume = nullptr;
  KnobStripControl* preampClippingGain = nullptr;
  KnobStripControl* preampFilterCutoff = nullptr;
  KnobStripControl* preampInputGain = nullptr;
  KnobStripControl* reverbDamp = nullptr;
  KnobStripControl* reverbDecayTime = nullptr;
  KnobStripControl* reverbEarlyReflections = nullptr;
  KnobStripControl* reverbLateReverberation = nullptr;
  KnobStripControl* reverbPanorama = nullptr;
  KnobStripControl* reverbPreDelay = nullptr;
  KnobStripControl* reverbRoomSize = nullptr;
  BitmapControl* header = nullptr;
  PanelControl* nameStrip = nullptr;
  TextControl* nameDisplay = nullptr;
  PresetMenuControl* presetMenu = nullptr;
  ContactControl* presetBackward = nullptr;
  ContactControl* presetForward = nullptr;
  BitmapControl* loadLabel = nullptr;
  BitmapControl* saveLabel = nullptr;
  FileSelectorControl* loadSelector = nullptr;
  FileSelectorControl* saveSelector = nullptr;
};

// The name display's text style: bold 20-pixel Arial in grey, centred.
TextStyle NameDisplayStyle();

// [effect constructor] Sets the background, fetches the images, creates and adds
// the 35 controls into 'controls', then attaches the editor to the plug-in base
// (which pushes every parameter's value into its controls). The base owns the
// editor from then on.
void BuildMoravelleEditor(PluginBase& plug, Editor* editor, MoravelleEditorControls& controls);
