#pragma once
// The effect compiled into this program, hosted through the offline adapter: the same
// plug-in base, parameter records and 32/64-bit buffer paths a host drives. A
// parameter change takes a host's path: under the instance lock the editor's
// controls hear the value first, then the parameter and the effect.

#include <memory>

#include "render_target.h"

class Moravelle;

class InProcessTarget : public RenderTarget {
 public:
  InProcessTarget();
  ~InProcessTarget() override;

  int ParamCount() const override;
  TargetParamInfo DescribeParam(int index) const override;
  double ParamValue(int index) const override;
  Status SetParamValue(int index, double plain) override;
  void Prepare(double sampleRate, int blockSize) override;
  void Process64(double* const* inputs, double* const* outputs, int frames) override;
  void Process32(const float* const* inputs, float* const* outputs, int frames) override;

  // The hosted effect, for tools that also drive its editor.
  Moravelle& Effect() { return *effect_; }

 private:
  std::unique_ptr<Moravelle> effect_;
};
