#pragma once
// The seam that picks the editor a build gets. Each kind lives in a library of
// its own that defines CreatePlatformEditor: the Win32 window (graphics/win/,
// the Windows build's platform editor) or the offscreen editor, whose window is
// a bitmap and whose dialogs answer from an empty script (menus dismissed,
// entries cancelled, no file chosen); it stands in where a platform has no
// window layer yet, and serves the renderer and the in-process tests.

#include "graphics/editor.h"

// [any] A new editor for the plug-in base; the caller owns it (usually by
// handing it to the base with AttachEditor).
Editor* CreatePlatformEditor(PluginBase* plug);
