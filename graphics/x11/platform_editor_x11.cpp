// The platform editor of the Linux build: the X11 window.
#include "graphics/platform_editor.h"
#include "graphics/x11/editor_x11.h"
#include "graphics/x11/xlib.h"

Editor* CreatePlatformEditor(PluginBase* plug) { return new EditorX11(plug); }
