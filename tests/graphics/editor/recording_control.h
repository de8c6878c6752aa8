#pragma once
// A control that records the events it receives, for the routing tests.

#include <string>
#include <vector>

#include "graphics/control.h"

class RecordingControl : public Control {
 public:
  RecordingControl(PluginBase* plug, const Rect& rect, int param = -1) : Control(plug, rect, param, BlendSpec{}) {}

  void ButtonDown(int x, int y, const MouseState& mouse) override {
    Log("down", x, y);
    Control::ButtonDown(x, y, mouse);
  }
  void ButtonUp(int x, int y, const MouseState&) override { Log("up", x, y); }
  void Drag(int x, int y, int dX, int dY, const MouseState&) override {
    Log("drag", x, y);
    drags.push_back({dX, dY});
  }
  void DoubleClick(int x, int y, const MouseState&) override { Log("double", x, y); }
  void Wheel(int x, int y, const MouseState&, int notches) override { Log("wheel" + std::to_string(notches), x, y); }
  bool KeyDown(int x, int y, KeyCode key) override {
    Log("key" + std::to_string(key), x, y);
    return takesKeys;
  }
  bool Draw(Editor&) override {
    ++draws;
    return true;
  }

  void Log(const std::string& what, int x, int y) {
    events.push_back(what + "@" + std::to_string(x) + "," + std::to_string(y));
  }

  struct Delta {
    int dX, dY;
  };
  std::vector<std::string> events;
  std::vector<Delta> drags;
  bool takesKeys = true;
  int draws = 0;
};
