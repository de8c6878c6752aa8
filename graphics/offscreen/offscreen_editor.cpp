#include "graphics/offscreen/offscreen_editor.h"

#include "graphics/bitmap/blend_mode.h"
#include "graphics/bitmap/blit.h"
#include "graphics/bitmap/png_decode.h"
#include "graphics/image_cache.h"
#include "graphics/rect_rules.h"

OffscreenEditor::OffscreenEditor(PluginBase* plug) : Editor(plug) {}

OffscreenEditor::~OffscreenEditor() = default;

bool OffscreenEditor::PresentArea(const Rect& rect) {
  ++presentCount_;
  lastPresented_ = rect;
  if (!window_ || Surface() == nullptr) return false;
  const Rect area = RectIntersection(rect, Rect{0, 0, Width(), Height()});
  if (area.L >= area.R || area.T >= area.B) return true;
  BlitImage(window_.get(), Surface(), area.L, area.T, &area, 1.0f, kBlendCopy);
  return true;
}

void OffscreenEditor::ResizeEditor(int width, int height) {
  if (width == Width() && height == Height()) return;
  Editor::ResizeEditor(width, height);
  if (window_) window_->Resize(width, height);
}

int OffscreenEditor::ShowMessage(const char* text, const char*, int) {
  script_.asked.push_back(std::string("message ") + (text ? text : ""));
  return 0;
}

PopupMenu* OffscreenEditor::ShowPopupMenu(PopupMenu& menu, const Rect&) {
  DropMouseCapture();
  script_.asked.push_back("menu " + std::to_string(menu.ItemCount()));
  if (script_.menuChoices.empty()) return nullptr;
  const int commandId = script_.menuChoices.front();
  script_.menuChoices.pop_front();
  return commandId >= 0 ? ChooseByCommandId(menu, commandId) : nullptr;
}

void OffscreenEditor::OpenTextEntry(Control* control, const TextStyle&, const Rect&, const std::string& text,
                                    PluginParam* param) {
  if (control == nullptr) return;
  script_.asked.push_back("text " + text);
  if (script_.textEntries.empty()) return;
  const std::optional<std::string> answer = script_.textEntries.front();
  script_.textEntries.pop_front();
  if (!answer) return;
  // The characters a window's entry would have refused never get typed.
  std::string typed;
  for (char c : *answer)
    if (TextEntryAccepts(param, c)) typed += c;
  CommitTextEntry(control, param, typed);
}

void OffscreenEditor::AppDataFolder(std::string& out, bool allUsers) {
  out = allUsers ? script_.appDataFolder : script_.userAppDataFolder;
}

void OffscreenEditor::ChooseFile(std::string& file, FileAction action, std::string& folder, const std::string&) {
  script_.asked.push_back(std::string(action == FileAction::Save ? "file save " : "file open ") + folder);
  if (script_.whileDialogOpen) script_.whileDialogOpen(*this);
  file.clear();
  if (script_.fileChoices.empty()) return;
  file = script_.fileChoices.front();
  script_.fileChoices.pop_front();
  const size_t slash = file.find_last_of("/\\");
  if (slash != std::string::npos) folder = file.substr(0, slash + 1);
}

bool OffscreenEditor::ChooseColour(Colour& colour, const char* prompt) {
  script_.asked.push_back(std::string("colour ") + (prompt ? prompt : ""));
  if (script_.colourChoices.empty()) return false;
  const std::optional<Colour> answer = script_.colourChoices.front();
  script_.colourChoices.pop_front();
  if (!answer) return false;
  colour.R = answer->R;
  colour.G = answer->G;
  colour.B = answer->B;
  return true;
}

bool OffscreenEditor::OpenLink(const char* link, const char*, const char*, const char*) {
  script_.asked.push_back(std::string("link ") + (link ? link : ""));
  return false;
}

NativeWindowHandle OffscreenEditor::OpenWindow(NativeWindowHandle) {
  window_ = std::make_unique<MemBitmap>(Width(), Height());
  return window_.get();
}

bool OffscreenEditor::ClipboardText(std::string& out) {
  out = script_.clipboard;
  return !out.empty();
}

Bitmap* OffscreenEditor::LoadImageResource(int resourceId, const char* fileName) {
  if (!IsPngFileName(fileName)) return nullptr;
  return DecodePngResource(ModuleContaining(reinterpret_cast<const void*>(&IsPngFileName)), resourceId);
}
