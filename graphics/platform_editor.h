#pragma once
// The editor of the platform this module is built for. Until a window layer
// exists for a platform, it is the offscreen editor, whose window is a bitmap
// and whose dialogs answer from an empty script (menus dismissed, entries
// cancelled, no file chosen).

#include "graphics/editor.h"

// [any] A new editor for the plug-in base; the caller owns it (usually by
// handing it to the base with AttachEditor).
Editor* CreatePlatformEditor(PluginBase* plug);
