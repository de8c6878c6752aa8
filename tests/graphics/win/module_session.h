#pragma once
// What the tests of the built plug-ins' Windows editor share: the hosted
// plug-ins (Moravelle.dll through the project's VST2 host, Moravelle.vst3
// through its VST3 host) inside a top-level host window, real-input gestures
// on the editor, and the comparison with the offscreen editor's drawing.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "desktop_session.h"
#include "effect/kernel_params.h"
#include "framework/state_chunk.h"
#include "hosts/vst2/vst2_host.h"
#include "vst3_host.h"

namespace modtest {

inline constexpr int kEditorWidth = 1000;
inline constexpr int kEditorHeight = 530;
inline constexpr int kRoomSize = kReverbRoomSize;
inline constexpr int kRoomKnobX = 250;     // centre of the ROOM SIZE knob
inline constexpr int kRoomKnobY = 270;
inline constexpr int kActiveSwitchX = 101;  // inside the ACTIVE switch's lamp
inline constexpr int kActiveSwitchY = 190;
inline constexpr int kLoadButtonX = 260;
inline constexpr int kSaveButtonX = 740;
inline constexpr int kNameStripX = 500;
inline constexpr int kPresetRowY = 12;

HWND EditorWindowIn(HWND host);
void MoveToEditor(HWND editor, int x, int y);
// A new press on the spot of the last one must not become a double click.
void WaitOutDoubleClick();
// A press, a drag straight up by dy in steps of 5 pixels, and the release.
void DragUp(HWND editor, int x, int y, int dy);
void Click(HWND editor, int x, int y, bool right = false);
// The editor's pixels once its timer has drawn everything pending.
std::vector<uint32_t> SettledPixels(HWND editor);
// "B", one or more "A", "E": one complete gesture.
bool IsOneGesture(const std::string& order);

// How many pixels of the window's picture differ from what an offscreen editor
// in this process draws for the parameter state read from chunk at position
// (the plug-ins' own serialisation); -1 when the state cannot be read.
int PixelsDifferingFromOffscreen(const std::vector<uint32_t>& shown, const StateChunk& chunk, int position);

// The text of a file dialog's combo box with that id ("Look in", the file types).
std::string DialogComboText(HWND dialog, int id);
// The all-users documents folder, without a trailing backslash.
std::string PublicDocuments();
// The all-users preset library folder, made as an installation makes it, with
// its trailing backslash.
std::string PresetLibrary();

// The VST2 plug-in, open, with the messages its host callback receives.
struct Vst2Session {
  std::unique_ptr<Vst2HostedPlugin> plugin;
  desk::HostWindow host{kEditorWidth, kEditorHeight};
  HWND editor = nullptr;

  Vst2Session();
  bool Open();
  void Close();
  // The host callback messages about one parameter's edits: 'B' begin, 'A'
  // automate, 'E' end, in order, with the automated values.
  std::string EditsOf(int index, std::vector<float>* values = nullptr) const;
  std::vector<float> Parameters();
};

// The VST3 plug-in with its editor's view, context menus enabled in the host.
struct Vst3Session {
  std::unique_ptr<host3::Vst3Host> host;
  vst3::IPlugView* view = nullptr;
  desk::HostWindow window{kEditorWidth, kEditorHeight};
  HWND editor = nullptr;

  Vst3Session();
  ~Vst3Session();
  bool Attach();
  std::string EditsOf(vst3::ParamID id) const;
};

}  // namespace modtest
