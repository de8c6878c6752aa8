#pragma once
// A small plug-in on the VST 3 adapter that records what reaches its hooks, and a
// stand-in editor, for checks of the adapter itself.

#include <vector>

#include "adapters/vst3/vst3_plugin.h"

class FakeEditor : public EditorLink {
 public:
  void UpdateControlsForParam(int index, double value, bool normalised) override {
    updates.push_back({index, value, normalised});
  }
  void PrepareSurfaces() override {}
  // A window layer for HWND whose "window" is the parent itself.
  const char* WindowSystem() const override { return "HWND"; }
  void* OpenWindow(void* parent) override {
    ++opened;
    return parent;
  }
  void CloseWindow() override { ++closed; }
  int opened = 0;
  int closed = 0;
  struct Update {
    int index;
    double value;
    bool normalised;
  };
  std::vector<Update> updates;
};

class RecordingPlugin : public Vst3Plugin {
 public:
  static PluginConfig Config() {
    PluginConfig c;
    c.paramCount = 3;
    c.ioText = "2-2";
    c.presetCount = 1;
    c.effectName = "Recorder";
    c.makerName = "PellionAudio";
    return c;
  }
  RecordingPlugin() : Vst3Plugin(Config(), HostArgs{}) {
    Param(0)->InitContinuous("Gain", 0.5, 0.0, 1.0, 0.001, "dB", 1.0);
    Param(1)->InitContinuous("Mix", 0.25, 0.0, 1.0, 0.001, "%", 1.0);
    Param(2)->InitContinuous("Size", 2.0, 0.0, 10.0, 0.01, "m", 1.0);
  }

  void OnParamChanged(int index) override { changes.push_back({index, IsRestoringState()}); }
  void OnMidiMessage(const MidiMessage& message) override { midi.push_back(message); }
  void OnEditorOpened() override { ++editorOpened; }
  void OnEditorClosed() override { ++editorClosed; }
  void AfterEditorResize() override { ++afterResize; }
  void ProcessBlock(double** inputs, double** outputs, int frames) override {
    // Gain of 0.5, so a processed block is told apart from a bypassed one.
    for (int ch = 0; ch < 2; ++ch)
      for (int f = 0; f < frames; ++f) outputs[ch][f] = 0.5 * inputs[ch][f];
  }

  struct Change {
    int index;
    bool restoring;
  };
  std::vector<Change> changes;
  std::vector<MidiMessage> midi;
  int editorOpened = 0;
  int editorClosed = 0;
  int afterResize = 0;
};
