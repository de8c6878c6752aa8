// The platform editor of the Windows build: the Win32 window, in the module
// that holds this code (its resources and its window class).
#include "graphics/bitmap/module_resources.h"
#include "graphics/platform_editor.h"
#include "graphics/win/editor_win.h"

Editor* CreatePlatformEditor(PluginBase* plug) {
  return new EditorWin(plug, ModuleContaining(reinterpret_cast<const void*>(&CreatePlatformEditor)));
}
