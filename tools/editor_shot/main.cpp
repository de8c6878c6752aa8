// moravelle-editor-shot: builds the effect in this process, sets parameters,
// replays a short mouse script through its editor, lets the editor's timer
// redraw what changed and writes the editor's window as a PNG file. Prints the
// parameters the mouse script changed. Exit status: 0 done, 1 the picture could
// not be written, 2 the command line was wrong.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "effect/moravelle.h"
#include "graphics/offscreen/offscreen_editor.h"
#include "tools/render/in_process_target.h"
#include "tools/editor_shot/mouse_script.h"
#include "tools/pixels/png_file_writer.h"
#include "tools/render/param_assignment.h"

namespace {

constexpr const char* kProgramName = "moravelle-editor-shot";

constexpr const char* kHelp =
    "Usage: moravelle-editor-shot [options]\n"
    "Draws Moravelle's editor offscreen and writes it as a PNG file.\n\n"
    "  -o, --output FILE        the picture to write (default editor.png)\n"
    "  --param Name=value       set a parameter in its own units before anything else\n"
    "  --click X,Y              click at editor pixel (X, Y)\n"
    "  --drag X,Y,DX,DY         press at (X, Y), move by (DX, DY), release\n"
    "  --wheel X,Y,NOTCHES      turn the wheel at (X, Y); negative turns down\n"
    "  --double-click X,Y       double click at (X, Y)\n"
    "  --shift                  hold shift during the mouse script (fine steps)\n"
    "  -h, --help               show this text\n\n"
    "Mouse actions run in the order given, each followed by a timer tick. The\n"
    "parameters they changed are printed as 'Name: before -> after'.\n";

struct Arguments {
  std::string output = "editor.png";
  std::vector<std::string> params;
  std::vector<MouseAction> actions;
  bool shift = false;
  bool help = false;
};

bool ParseArguments(int argc, char** argv, Arguments* args, std::string* error) {
  struct MouseOption {
    const char* name;
    MouseAction::Kind kind;
  };
  static const MouseOption kMouseOptions[] = {{"--click", MouseAction::Click},
                                              {"--drag", MouseAction::Drag},
                                              {"--wheel", MouseAction::Wheel},
                                              {"--double-click", MouseAction::DoubleClick}};
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "-h" || option == "--help") {
      args->help = true;
      continue;
    }
    if (option == "--shift") {
      args->shift = true;
      continue;
    }
    if (i + 1 >= argc) {
      *error = "unknown option or missing value: " + option;
      return false;
    }
    const char* value = argv[++i];
    if (option == "-o" || option == "--output") {
      args->output = value;
      continue;
    }
    if (option == "--param") {
      args->params.push_back(value);
      continue;
    }
    bool known = false;
    for (const MouseOption& mouse : kMouseOptions) {
      if (option != mouse.name) continue;
      MouseAction action{};
      if (!ParseMouseAction(mouse.kind, value, &action, error)) {
        *error = option + " " + *error;
        return false;
      }
      args->actions.push_back(action);
      known = true;
    }
    if (!known) {
      *error = "unknown option: " + option;
      return false;
    }
  }
  return true;
}

// Checks every assignment first and applies none unless all are valid.
bool ApplyParams(const std::vector<std::string>& texts, RenderTarget& target, std::string* error) {
  std::vector<ParamAssignment> assignments;
  for (const std::string& text : texts) {
    ParamAssignment assignment;
    const Status status = ParseParamAssignment(text, target, &assignment);
    if (!status.ok()) {
      *error = status.message();
      return false;
    }
    assignments.push_back(assignment);
  }
  for (const ParamAssignment& assignment : assignments) target.SetParamValue(assignment.index, assignment.plain);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments args;
  std::string error;
  if (!ParseArguments(argc, argv, &args, &error)) {
    std::fprintf(stderr, "%s: %s (see --help)\n", kProgramName, error.c_str());
    return 2;
  }
  if (args.help) {
    std::fputs(kHelp, stdout);
    return 0;
  }

  InProcessTarget target;
  target.Prepare(44100.0, 512);
  Moravelle& effect = target.Effect();
  if (!ApplyParams(args.params, target, &error)) {
    std::fprintf(stderr, "%s: %s\n", kProgramName, error.c_str());
    return 2;
  }
  auto* editor = dynamic_cast<OffscreenEditor*>(effect.Editor());
  if (editor == nullptr) {
    std::fprintf(stderr, "%s: this build's editor is not the offscreen one\n", kProgramName);
    return 1;
  }

  // The window's first paint covers everything; then the timer takes over.
  editor->OpenWindow(nullptr);
  editor->Redraw(Rect{0, 0, editor->Width(), editor->Height()});
  editor->OnTimerTick();
  std::vector<double> before;
  for (int i = 0; i < effect.ParamCount(); ++i) before.push_back(effect.Param(i)->Value());

  ReplayMouseScript(*editor, args.actions, args.shift);
  // Changes that came back from the host keep their controls dirty for one more tick.
  for (int tick = 0; tick < 4 && editor->OnTimerTick(); ++tick) {
  }

  if (!WritePngFile(*editor->Window(), args.output.c_str())) {
    std::fprintf(stderr, "%s: cannot write %s\n", kProgramName, args.output.c_str());
    return 1;
  }
  for (int i = 0; i < effect.ParamCount(); ++i) {
    const PluginParam* param = effect.Param(i);
    if (param->Value() == before[static_cast<size_t>(i)]) continue;
    char text[kParamTextSize];
    param->FormatForHost(text, sizeof text);
    std::printf("%s: %g -> %g (%s%s%s)\n", param->Name(), before[static_cast<size_t>(i)], param->Value(), text,
                param->LabelForHost()[0] != '\0' ? " " : "", param->LabelForHost());
  }
  return 0;
}
