// Without GDI there is no system text renderer: every font draws through its
// glyph cache.
#include "graphics/bitmap/system_text_renderer.h"

bool HasSystemTextRenderer() { return false; }
bool RunningUnderWine() { return false; }
void OverrideWineCheckForTesting(int) {}
int DrawTextWithSystem(DeviceContextHandle, const SystemTextStyle&, const char*, int, Rect*, int) { return 0; }
