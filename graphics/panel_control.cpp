#include "graphics/panel_control.h"

#include "graphics/editor.h"

PanelControl::PanelControl(PluginBase* plug, const Rect& rect, const Colour& colour, const BlendSpec& blend)
    : Control(plug, rect, -1, blend), colour_(colour) {}

bool PanelControl::Draw(Editor& editor) { return editor.PaintRect(colour_, GetRect(), &Blend()); }
