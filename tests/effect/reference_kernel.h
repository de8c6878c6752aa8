#pragma once
// A plain, frame-by-frame evaluation of the signal chain's formulas, kept as the
// yardstick for the optimised kernel: every power, tangent and division is
// evaluated where the formulas put it, nothing is cached and the two channels are
// processed one after the other. Slow on purpose.

#include <array>
#include <vector>

class ReferenceKernel {
 public:
  explicit ReferenceKernel(double sampleRate);
  void Init(double sampleRate);
  void SetParameter(int index, double value);
  void Process(const double* const* in, double* const* out, int frames);

 private:
  struct Line {
    std::vector<double> m;
    int size = 0, maxDelay = 0, head = 0, lastWrite = 0;
    void Reset(int maximum);
    double Read(double d) const;
    void Write(double v);
    void Step();
  };
  struct Clip {
    double u1 = 0, v1 = 0, m1 = 0, y1 = 0, d1 = 0;
    double Run(double a, double drive, double makeup, double dcPole);
  };
  struct Biquad {
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    double Run(double in, const double c[5]);
  };

  double sr_ = 0;
  std::array<double, 31> p_{};
  double room_ = 0, pan_ = 0, pre_ = 0;
  Line preDelay_[2], diffuser_, tap_, fb_[4], al_[3], ar_[3];
  double damp_[4] = {};
  Clip preClip_[2], ampClip_[2];
  double onePole_[2] = {};
  Biquad lp_[2], hp_[2];
};
