#include "module_session.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include "adapters/offline/offline_adapter.h"
#include "effect/moravelle.h"
#include "graphics/offscreen/offscreen_editor.h"
#include "tests/support/host_edit_order.h"

using namespace vst3;

namespace modtest {

HWND EditorWindowIn(HWND host) { return FindWindowExA(host, nullptr, "MoravelleEditorWindow", "Moravelle"); }

void MoveToEditor(HWND editor, int x, int y) {
  const POINT at = desk::ScreenPoint(editor, x, y);
  desk::MoveTo(at.x, at.y);
}

void WaitOutDoubleClick() { desk::PumpFor(static_cast<int>(GetDoubleClickTime()) + 100); }

void DragUp(HWND editor, int x, int y, int dy) {
  WaitOutDoubleClick();
  MoveToEditor(editor, x, y);
  desk::ButtonDown();
  desk::PumpUntil([&] { return GetCapture() == editor; });
  for (int moved = 5; moved <= dy; moved += 5) {
    MoveToEditor(editor, x, y - moved);
    desk::PumpFor(30);
  }
  desk::ButtonUp();
  desk::PumpUntil([&] { return GetCapture() == nullptr; });
}

void Click(HWND editor, int x, int y, bool right) {
  WaitOutDoubleClick();
  MoveToEditor(editor, x, y);
  desk::ButtonDown(right);
  desk::ButtonUp(right);
}

std::vector<uint32_t> SettledPixels(HWND editor) {
  std::vector<uint32_t> last;
  std::vector<uint32_t> now = desk::CaptureClient(editor, kEditorWidth, kEditorHeight);
  // Two captures four timer periods apart that agree: nothing was still pending.
  for (int tries = 0; tries < 50 && now != last; ++tries) {
    last = now;
    desk::PumpFor(160);
    now = desk::CaptureClient(editor, kEditorWidth, kEditorHeight);
  }
  return now;
}

bool IsOneGesture(const std::string& order) {
  return order.size() >= 3 && order.front() == 'B' && order.back() == 'E' &&
         order.find_first_not_of('A', 1) == order.size() - 1;
}

int PixelsDifferingFromOffscreen(const std::vector<uint32_t>& shown, const StateChunk& chunk, int position) {
  Moravelle reference(OfflineAdapter::HostArgs{});
  {
    ScopedLock hold(reference.InstanceLock());
    if (reference.UnserializeParams(chunk, position) < 0) return -1;
    reference.PushValuesToEditor();
  }
  auto* offscreen = dynamic_cast<OffscreenEditor*>(reference.Editor());
  if (offscreen == nullptr || offscreen->OpenWindow(nullptr) == nullptr ||
      !offscreen->Redraw(Rect{0, 0, kEditorWidth, kEditorHeight}))
    return -1;
  MemBitmap* drawn = offscreen->Window();
  int differing = 0;
  for (int y = 0; y < kEditorHeight; ++y)
    for (int x = 0; x < kEditorWidth; ++x)
      if ((drawn->Row(y)[x] & 0xFFFFFFu) != shown[static_cast<size_t>(y) * kEditorWidth + x]) ++differing;
  return differing;
}

std::string DialogComboText(HWND dialog, int id) {
  char text[MAX_PATH] = {};
  if (HWND combo = GetDlgItem(dialog, id)) {
    const LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    SendMessageA(combo, CB_GETLBTEXT, selected >= 0 ? selected : 0, reinterpret_cast<LPARAM>(text));
  }
  return text;
}

std::string PublicDocuments() {
  char documents[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_DOCUMENTS, nullptr, 0, documents))) return {};
  return documents;
}

std::string PresetLibrary() {
  std::string folder = PublicDocuments();
  if (folder.empty()) return {};
  for (const char* part : {"\\PellionAudio", "\\Moravelle", "\\Presets"}) {
    folder += part;
    CreateDirectoryA(folder.c_str(), nullptr);
  }
  return folder + "\\";
}

Vst2Session::Vst2Session() {
  std::string error;
  plugin = Vst2HostedPlugin::Load(MORAVELLE_VST2_BINARY, &error);
  EXPECT_TRUE(plugin) << error;
}

bool Vst2Session::Open() {
  if (plugin->Dispatch(effEditOpen, 0, 0, host.Handle()) != 1) return false;
  editor = EditorWindowIn(host.Handle());
  desk::PumpFor(100);
  return editor != nullptr;
}

void Vst2Session::Close() {
  plugin->Dispatch(effEditClose);
  editor = nullptr;
}

std::string Vst2Session::EditsOf(int index, std::vector<float>* values) const {
  return Vst2EditOrder(plugin->CallbackLog(), index, values);
}

std::vector<float> Vst2Session::Parameters() {
  std::vector<float> values;
  for (int i = 0; i < plugin->NumParams(); ++i) values.push_back(plugin->GetParameter(i));
  return values;
}

Vst3Session::Vst3Session() {
  std::string error;
  host = host3::Vst3Host::Load(MORAVELLE_VST3_MODULE, &error);
  EXPECT_TRUE(host) << error;
  if (!host) return;
  host->Handler().EnableContextMenus(true);
  view = host->Controller()->createView("editor");
}

Vst3Session::~Vst3Session() {
  if (view != nullptr) {
    view->removed();
    view->release();
  }
}

bool Vst3Session::Attach() {
  if (view == nullptr || view->attached(window.Handle(), kPlatformTypeHWND) != kResultTrue) return false;
  editor = EditorWindowIn(window.Handle());
  desk::PumpFor(100);
  return editor != nullptr;
}

std::string Vst3Session::EditsOf(ParamID id) const { return Vst3EditOrder(host->Handler().Calls(), id); }

}  // namespace modtest
