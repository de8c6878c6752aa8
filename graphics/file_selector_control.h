#pragma once
// FileSelectorControl: a click opens the editor's file dialog (open or save).
// While the dialog is open the control shows its image and further clicks do
// nothing; once it is answered (at once on Windows, from a later idle call on
// X11) the value toggles between 0 and 1 and is sent to the plug-in, which then
// reads File().

#include <string>

#include "graphics/control.h"
#include "graphics/editor.h"
#include "graphics/image_strip.h"

class FileSelectorControl : public Control {
 public:
  enum State : int { kIdle = 0, kDialogOpen = 1, kJustChosen = 2 };

  FileSelectorControl(PluginBase* plug, const Rect& rect, int paramIndex, const ImageStrip& image, FileAction action,
                      const std::string& folder, const std::string& extensions, const BlendSpec& blend = BlendSpec{});
  ~FileSelectorControl() override;

  // Needs the plug-in's editor; without one, or while a file dialog of the
  // editor is open, the click is ignored.
  void ButtonDown(int x, int y, const MouseState& mouse) override;
  bool Draw(Editor& editor) override;  // the image's top-left part, only while the dialog is open
  // Dirty, or once after a file was chosen (which returns the state to idle).
  bool NeedsRedraw() override;

  // [any] The chosen path ("" after a cancel). The path is the plug-in's to read and
  // to point elsewhere (a factory preset), so both take the instance lock.
  std::string File() const;
  void SetFile(const std::string& file);
  // [editor] The folder the next dialog starts in.
  const std::string& Folder() const { return folder_; }
  int GetState() const { return state_; }

 private:
  // [editor] The dialog's answer: the file, the folder and the toggled value.
  void Finish(const FileChoice& choice);

  ImageStrip image_;
  std::string folder_;
  std::string file_;
  std::string extensions_;
  FileAction action_;
  int state_ = kIdle;
  bool insideClick_ = false;  // ButtonDown is waiting for the editor's answer
};
