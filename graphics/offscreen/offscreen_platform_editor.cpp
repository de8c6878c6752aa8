// The platform editor where no window layer exists yet: the offscreen one.
#include "graphics/offscreen/offscreen_editor.h"
#include "graphics/platform_editor.h"

Editor* CreatePlatformEditor(PluginBase* plug) { return new OffscreenEditor(plug); }
