#include "reverb_engine.h"

#include <cmath>

#include "dsp_guards.h"
#include "kernel_params.h"

namespace {
// Smoothing coefficient per sample, the same at every rate (time constant ~764 samples).
constexpr double kSmoothing = 0.001308;
// 1 / 340 m/s: metres of room to seconds of travel.
constexpr double kSecondsPerMetre = 0.0029411764705882;
// Relative lengths of the four feedback lines.
constexpr double kLineRatio[4] = {1.0, 0.7071, 0.81649, 0.63245};
// Early-reflection taps: position = ratio P + 5.
constexpr double kTapRatio[4] = {0.41, 0.155, 0.3, 1.0};
constexpr double kDiffuserCoefficient[3] = {0.75, 0.625, 0.625};

// g^x for the decay factor g, via exp(x ln g); 0 where the power is not finite.
double DecayPower(double g, double logG, double x) {
  if (g == 0.0) return dsp::GuardPower(std::pow(g, x));
  return dsp::GuardPower(std::exp(x * logG));
}

double Allpass(DelayLine& line, double in, double length, double coefficient) {
  const double r = line.Read(length);
  const double v = in - coefficient * r;
  line.Write(dsp::FlushDenormal(v));
  return coefficient * v + r;
}
}  // namespace

ReverbSettings ReverbSettings::FromParams(const double* p, double sampleRate) {
  ReverbSettings s;
  s.sampleRate = sampleRate;
  s.offOn = p[kReverbOffOn];
  s.outputsUsed = dsp::Selector(p[kReverbOffOn]) == 2;
  const double decaySeconds = dsp::Curve(p[kReverbDecayTime], 0.1, 19.9, 1.0);
  const double exponent = dsp::SafeDivide(1.0, sampleRate * decaySeconds);
  s.decayFactor = dsp::GuardPower(std::pow(0.001, exponent));
  s.logDecay = s.decayFactor > 0.0 ? std::log(s.decayFactor) : 0.0;
  s.early = p[kReverbEarlyReflections];
  s.late = 0.9 * dsp::GuardPower(std::pow(p[kReverbLateReverberation], 2.0));
  s.damp = p[kReverbDamp];
  s.targetRoom = p[kReverbRoomSize];
  s.targetPanorama = p[kReverbPanorama];
  s.targetPreDelay = p[kReverbPreDelay];
  return s;
}

bool ReverbEngine::Reset(double sr) {
  bool ok = true;
  ok &= preDelay[0].Reset(static_cast<int32_t>(2.0 * sr));
  ok &= preDelay[1].Reset(static_cast<int32_t>(2.0 * sr));
  ok &= inputDiffuser.Reset(static_cast<int32_t>(0.125 * sr));
  ok &= tapLine.Reset(static_cast<int32_t>(sr));
  for (DelayLine& line : feedback) ok &= line.Reset(static_cast<int32_t>(sr));
  const double diffuserMax[3] = {0.25 * sr, 0.5 * sr, 0.25 * sr};
  for (int k = 0; k < 3; ++k) {
    ok &= diffuserL[k].Reset(static_cast<int32_t>(diffuserMax[k]));
    ok &= diffuserR[k].Reset(static_cast<int32_t>(diffuserMax[k]));
  }
  for (double& e : damping_) e = 0.0;
  room_ = panorama_ = preDelay_ = 0.0;
  cachedRoom_ = cachedPanorama_ = cachedDecayFactor_ = -1.0;
  cachedScale_ = -1;
  return ok;
}

void ReverbEngine::UpdateRoom(double room, const ReverbSettings& s) {
  const double P = (10.0 + 90.0 * room) * s.sampleRate * kSecondsPerMetre;
  for (int k = 0; k < 4; ++k) {
    lineLength_[k] = kLineRatio[k] * P;
    lineGain_[k] = -DecayPower(s.decayFactor, s.logDecay, lineLength_[k]);
    tapPosition_[k] = kTapRatio[k] * P + 5.0;
    tapGain_[k] = DecayPower(s.decayFactor, s.logDecay, tapPosition_[k]);
  }
  roomLength_ = P;
  inputDiffuserLength_ = 0.110732 * P;
  scale_ = static_cast<int32_t>(P * 0.000527);
  cachedRoom_ = room;
  cachedDecayFactor_ = s.decayFactor;
}

void ReverbEngine::UpdateDiffusers(double w) {
  const double sp = 100.0 * w;
  const double W = scale_;
  diffuserLengthL_[0] = (159.0 + 0.125541 * sp) * W;
  diffuserLengthL_[1] = (562.0 + 0.251082 * sp) * W;
  diffuserLengthL_[2] = (410.0 - 0.376623 * sp) * W;
  diffuserLengthR_[0] = (159.0 - 0.568366 * sp) * W;
  diffuserLengthR_[1] = (562.0 + 0.187921 * sp) * W;
  diffuserLengthR_[2] = (410.0 + 0.380445 * sp) * W;
  const double q = dsp::Clamp01(w);
  const double f = 2.0 * q;
  widthMid_ = 0.5 * (2.0 - f);
  widthSide_ = 0.5 * f;
  widthLevel_ = q < 0.5 ? 0.5 + q : 1.0;
  cachedPanorama_ = w;
  cachedScale_ = scale_;
}

void ReverbEngine::SilenceNetwork() {
  inputDiffuser.Write(0.0);
  tapLine.Write(0.0);
  for (DelayLine& line : feedback) line.Write(0.0);
  for (int k = 0; k < 3; ++k) {
    diffuserL[k].Write(0.0);
    diffuserR[k].Write(0.0);
  }
  for (double& e : damping_) e = 0.0;
}

void ReverbEngine::Process(const ReverbSettings& s, const double* const in[2], double* const out[2],
                           int frames) {
  const bool networkOn = s.offOn != 0.0;
  for (int i = 0; i < frames; ++i) {
    const double a0 = in[0][i];
    const double a1 = in[1][i];

    // Smoothed room size, panorama and pre-delay: the advanced values serve this
    // frame, the flushed ones are kept.
    const double r = room_ + (s.targetRoom - room_) * kSmoothing;
    const double w = panorama_ + (s.targetPanorama - panorama_) * kSmoothing;
    const double t = preDelay_ + (s.targetPreDelay - preDelay_) * kSmoothing;
    room_ = dsp::FlushDenormal(r);
    panorama_ = dsp::FlushDenormal(w);
    preDelay_ = dsp::FlushDenormal(t);

    // Pre-delay runs whether or not the reverb is on; read before write.
    const double preDelayLength = dsp::GuardPower(std::pow(dsp::Clamp01(t), 2.0)) * s.sampleRate * 2.0;
    const double p0 = preDelay[0].Read(preDelayLength);
    const double p1 = preDelay[1].Read(preDelayLength);
    preDelay[0].Write(dsp::FlushDenormal(a0));
    preDelay[1].Write(dsp::FlushDenormal(a1));

    double outL = a0, outR = a1;
    if (!networkOn) {
      SilenceNetwork();
    } else {
      if (r != cachedRoom_ || s.decayFactor != cachedDecayFactor_) UpdateRoom(r, s);
      if (w != cachedPanorama_ || scale_ != cachedScale_) UpdateDiffusers(w);

      // Mono input through the input diffuser.
      const double x = (p0 + p1) * 0.707;
      const double rd = inputDiffuser.Read(inputDiffuserLength_);
      const double vd = x - 0.75 * rd;
      const double o = 0.75 * vd + rd;
      inputDiffuser.Write(dsp::FlushDenormal(vd));

      // Feedback lines, read, scaled by their decay gains and damped.
      double d[4];
      for (int k = 0; k < 4; ++k) {
        const double z = feedback[k].Read(lineLength_[k]) * lineGain_[k];
        d[k] = z + (damping_[k] - z) * s.damp;
        damping_[k] = dsp::FlushDenormal(d[k]);
      }
      double tap[4];
      for (int k = 0; k < 4; ++k) tap[k] = tapLine.Read(tapPosition_[k]) * tapGain_[k];

      const double h0 = 0.5 * (d[0] + d[1] + d[2] + d[3]);
      const double h1 = 0.5 * (d[0] - d[1] + d[2] - d[3]);
      const double h2 = 0.5 * (-d[0] - d[1] + d[2] + d[3]);
      const double h3 = 0.5 * (d[0] - d[1] - d[2] + d[3]);
      feedback[0].Write(dsp::FlushDenormal(h1 + tap[0]));
      feedback[1].Write(dsp::FlushDenormal(h2 + tap[1]));
      feedback[2].Write(dsp::FlushDenormal(h3 + tap[2]));
      feedback[3].Write(dsp::FlushDenormal(h0 + tap[3]));
      tapLine.Write(dsp::FlushDenormal(o));

      const double e = s.late * (h1 + h2 - h0 - h3) + s.early * (tap[0] + tap[1] - tap[2] - tap[3]);

      double lr = e + p0;
      double rr = e + p1;
      for (int k = 0; k < 3; ++k) {
        lr = Allpass(diffuserL[k], lr, diffuserLengthL_[k], kDiffuserCoefficient[k]);
        rr = Allpass(diffuserR[k], rr, diffuserLengthR_[k], kDiffuserCoefficient[k]);
      }

      if (s.outputsUsed) {
        const double mid = (lr + rr) * widthMid_;
        const double side = (lr - rr) * widthSide_;
        outL = (mid + side) * widthLevel_;
        outR = (mid - side) * widthLevel_;
      }
    }
    out[0][i] = outL;
    out[1][i] = outR;

    preDelay[0].Step();
    preDelay[1].Step();
    inputDiffuser.Step();
    tapLine.Step();
    for (DelayLine& line : feedback) line.Step();
    for (int k = 0; k < 3; ++k) {
      diffuserL[k].Step();
      diffuserR[k].Step();
    }
  }
}
