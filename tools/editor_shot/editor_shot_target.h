#pragma once
// The compiled-in effect as the renderer's parameter parsing sees a target, with
// parameter changes taking a host's path: under the instance lock the editor's
// controls hear the value first, then the parameter and the effect.

#include "effect/moravelle.h"
#include "tools/render/render_target.h"

class EditorShotTarget : public RenderTarget {
 public:
  explicit EditorShotTarget(Moravelle& effect) : effect_(effect) {}

  int ParamCount() const override { return effect_.ParamCount(); }
  TargetParamInfo DescribeParam(int index) const override;
  double ParamValue(int index) const override;
  Status SetParamValue(int index, double plain) override;
  void Prepare(double sampleRate, int blockSize) override { effect_.Setup(sampleRate, blockSize); }
  // The snapshot tool renders no audio.
  void Process64(double* const*, double* const*, int) override {}
  void Process32(const float* const*, float* const*, int) override {}

 private:
  Moravelle& effect_;
};
