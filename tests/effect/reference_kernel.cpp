#include "reference_kernel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {
int Exponent(double v) {
  uint64_t b;
  std::memcpy(&b, &v, 8);
  return static_cast<int>((b >> 52) & 0x7FF);
}
double Flush(double v) {
  const int e = Exponent(v);
  return (e <= 1 || e == 0x7FF) ? 0.0 : v;
}
double Finite(double v) { return Exponent(v) == 0x7FF ? 0.0 : v; }
double Guard(double v) { return Exponent(v) >= 0x7FE ? 0.0 : v; }
double C(double p) { return std::min(std::max(p, 0.0), 1.0); }
double Curve(double p, double lo, double range, double e) { return lo + range * Guard(std::pow(C(p), e)); }
// Cutoffs past 0.46 times the sample rate are held there (only below 44.1 kHz).
double Stable(double f, double sr) { return sr > 0 && f > 0.46 * sr ? 0.46 * sr : f; }
double S(double z) { return std::tanh(1.3 * z) * 1.1604655035579; }
// The per-sample factors that hold for 44.1 kHz, at other rates mapped to the same
// times: a pole p becomes p^(44100 / rate), a step c becomes 1 - (1 - c)^(44100 / rate),
// a length of n samples n rate / 44100.
double Pole(double p, double sr) { return sr == 44100 || !(sr > 0) ? p : std::pow(p, 44100 / sr); }
double Step(double c, double sr) { return sr == 44100 || !(sr > 0) ? c : 1 - std::pow(1 - c, 44100 / sr); }
double Samples(double n, double sr) { return sr == 44100 || !(sr > 0) ? n : n * sr / 44100; }
const double kDefaults[31] = {0, 0, 0.35, 0.65, 0, 0.3, 0.5, 0, 120, 0, 1, 0, 0, 1, 0, 0.5,
                              0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.5, 0, 0, 0};
const double kMin[31] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const double kMax[31] = {1, 1, 1, 1, 2, 1, 1, 1, 1000, 1, 16, 1, 1, 1, 1, 1, 3, 1, 1, 1, 1, 10000, 1, 1, 1, 1, 1, 1, 1, 1, 1};
}  // namespace

void ReferenceKernel::Line::Reset(int maximum) {
  // Sized for the rate at every reset: the smallest power of two that holds the maximum.
  maxDelay = maximum;
  size = 2;
  while (size < maximum) size *= 2;
  m.assign(static_cast<size_t>(size), 0.0);
  head = 0;
  lastWrite = 0;
}

double ReferenceKernel::Line::Read(double d) const {
  const double minimum = lastWrite != head ? 1 : 0;
  d = std::max(d, minimum);
  d = std::min(d, static_cast<double>(maxDelay));
  const double x = head + size - d;
  const int i = static_cast<int>(x);
  const double frac = x - i;
  const int mask = size - 1;
  return m[static_cast<size_t>(i & mask)] + (m[static_cast<size_t>((i + 1) & mask)] - m[static_cast<size_t>(i & mask)]) * frac;
}

void ReferenceKernel::Line::Write(double v) {
  lastWrite = head;
  m[static_cast<size_t>(head)] = v;
}

void ReferenceKernel::Line::Step() {
  head = head + 1 == size ? 0 : head + 1;
}

double ReferenceKernel::Clip::Run(double a, double drive, double makeup, double dcPole) {
  const double u = a * drive;
  const double v = S(u1);
  const double m = S(u1 + (u - u1) * 0.5);
  const double y = ((v1 + v) * 0.5 + m1) * 0.5;
  const double d = y - y1 + Flush(dcPole * d1);
  u1 = Flush(u);
  v1 = Flush(v);
  m1 = Flush(m);
  y1 = Finite(y);
  d1 = Finite(d);
  return d * makeup;
}

double ReferenceKernel::Biquad::Run(double in, const double c[5]) {
  const double y = c[0] * in + c[1] * x1 + c[2] * x2 - c[3] * y1 - c[4] * y2;
  x2 = x1;
  x1 = Flush(in);
  y2 = y1;
  y1 = Flush(y);
  return y;
}

ReferenceKernel::ReferenceKernel(double sampleRate) { Init(sampleRate); }

void ReferenceKernel::Init(double sampleRate) {
  sr_ = sampleRate;
  std::copy(std::begin(kDefaults), std::end(kDefaults), p_.begin());
  room_ = pan_ = pre_ = 0;
  const double sr = sampleRate;
  preDelay_[0].Reset(static_cast<int>(2 * sr));
  preDelay_[1].Reset(static_cast<int>(2 * sr));
  diffuser_.Reset(static_cast<int>(0.125 * sr));
  tap_.Reset(static_cast<int>(sr));
  for (Line& l : fb_) l.Reset(static_cast<int>(sr));
  const double amax[3] = {0.25 * sr, 0.5 * sr, 0.25 * sr};
  for (int k = 0; k < 3; ++k) {
    al_[k].Reset(static_cast<int>(amax[k]));
    ar_[k].Reset(static_cast<int>(amax[k]));
  }
  for (double& e : damp_) e = 0;
  for (int ch = 0; ch < 2; ++ch) {
    preClip_[ch] = Clip{};
    ampClip_[ch] = Clip{};
    onePole_[ch] = 0;
    lp_[ch] = Biquad{};
    hp_[ch] = Biquad{};
  }
}

void ReferenceKernel::SetParameter(int index, double value) {
  p_[static_cast<size_t>(index)] = std::min(std::max(value, kMin[index]), kMax[index]);
}

void ReferenceKernel::Process(const double* const* in, double* const* out, int frames) {
  const double sr = sr_;
  // Per-block values, straight from the formulas.
  const double G = Curve(p_[15], 0, 2, 1);
  const double preD = Curve(p_[11], 1, 7, 2);
  const double preK = Curve(p_[11], 1, -0.5, 0.5);
  const bool preClipOn = static_cast<int>(1 + C(p_[12])) == 2;
  const double fc = Stable(Curve(p_[13], 20, 19980, 3), sr);
  const double g1 = sr != 0 ? std::tan(fc * 3.1415926535898 / sr) : 0;
  const bool preHp = static_cast<int>(1 + C(p_[14])) == 2;
  const int routing = static_cast<int>(p_[16]);
  const double T = Curve(p_[23], 0.1, 19.9, 1);
  const double Er = p_[24];
  const double La = 0.9 * Guard(std::pow(p_[25], 2));
  const double Dm = Pole(p_[22], sr);
  const double smoothing = Step(0.001308, sr);
  const double dcPole = Pole(0.9997, sr);
  const double tapOffset = Samples(5, sr);
  auto design = [&](double f, bool high, double c[5]) {
    const double w = sr != 0 ? Stable(f, sr) * 6.2831853071796 / sr : 0;
    const double cs = std::cos(w);
    const double alpha = std::sin(w) * 0.5 * 2;
    const double n = 1 + alpha != 0 ? 1 / (1 + alpha) : 0;
    if (!high) {
      c[0] = c[2] = (1 - cs) * 0.5 * n;
      c[1] = (1 - cs) * n;
    } else {
      c[0] = c[2] = (1 + cs) * 0.5 * n;
      c[1] = -(1 + cs) * n;
    }
    c[3] = -2 * cs * n;
    c[4] = (1 - alpha) * n;
  };
  double lpc[5], hpc[5];
  design(Curve(p_[3], 20, 19980, 3), false, lpc);
  design(Curve(p_[2], 20, 19980, 3), true, hpc);
  const int mode = static_cast<int>(1 + std::min(std::max(p_[4], 0.0), 2.0));
  const double ampD = Curve(p_[0], 1, 5, 2);
  const double ampK = Curve(p_[0], 1, -0.5, 0.5);
  const bool ampClipOn = static_cast<int>(1 + C(p_[1])) == 2;
  const double B = C(p_[5]);
  const double V = 2 * C(p_[6]);
  const double offOn = p_[26];
  const int master = static_cast<int>(1 + offOn);

  for (int i = 0; i < frames; ++i) {
    const double x[2] = {in[0][i], in[1][i]};
    double routed[2] = {x[0], x[1]};
    if (routing == 1) routed[1] = x[0];
    if (routing == 2) routed[0] = x[1];
    if (routing == 3) routed[0] = routed[1] = (x[0] + x[1]) * 0.5;
    double a[2], pre[2];
    for (int ch = 0; ch < 2; ++ch) {
      a[ch] = routed[ch] * G;
      const double c = preClip_[ch].Run(a[ch], preD, preK, dcPole);
      const double staged = preClipOn ? c : a[ch];
      const double L = 1 + g1 != 0 ? (staged * g1 + onePole_[ch]) / (1 + g1) : 0;
      const double H = staged - L;
      onePole_[ch] = Finite(H * g1 + L);
      pre[ch] = preHp ? H : L;
    }
    const double r = room_ + (p_[29] - room_) * smoothing;
    const double w = pan_ + (p_[27] - pan_) * smoothing;
    const double t = pre_ + (p_[28] - pre_) * smoothing;
    room_ = Flush(r);
    pan_ = Flush(w);
    pre_ = Flush(t);

    const double pdLen = Guard(std::pow(C(t), 2)) * sr * 2;
    const double p0 = preDelay_[0].Read(pdLen);
    const double p1 = preDelay_[1].Read(pdLen);
    preDelay_[0].Write(Flush(pre[0]));
    preDelay_[1].Write(Flush(pre[1]));
    double stage[2] = {pre[0], pre[1]};
    if (offOn == 0) {
      diffuser_.Write(0);
      tap_.Write(0);
      for (Line& l : fb_) l.Write(0);
      for (int k = 0; k < 3; ++k) {
        al_[k].Write(0);
        ar_[k].Write(0);
      }
      for (double& e : damp_) e = 0;
    } else {
      const double P = (10 + 90 * r) * sr * 0.0029411764705882;
      const double sp = 100 * w;
      const double e1 = sr * T != 0 ? 1 / (sr * T) : 0;
      const double g = Guard(std::pow(0.001, e1));
      // The diffusers' whole scale is counted in samples at 44.1 kHz, then taken to this rate.
      const int W = static_cast<int>(P * 0.000527 / Samples(1, sr));
      const double Ws = W * Samples(1, sr);
      const double len[4] = {P, 0.7071 * P, 0.81649 * P, 0.63245 * P};
      double k[4];
      for (int j = 0; j < 4; ++j) k[j] = -Guard(std::pow(g, len[j]));
      const double tpos[4] = {0.41 * P + tapOffset, 0.155 * P + tapOffset, 0.3 * P + tapOffset, P + tapOffset};
      double tgain[4];
      for (int j = 0; j < 4; ++j) tgain[j] = Guard(std::pow(g, tpos[j]));
      const double xm = (p0 + p1) * 0.707;
      const double rd = diffuser_.Read(0.110732 * P);
      const double vd = xm - 0.75 * rd;
      const double o = 0.75 * vd + rd;
      diffuser_.Write(Flush(vd));
      double d[4];
      for (int j = 0; j < 4; ++j) {
        const double z = fb_[j].Read(len[j]) * k[j];
        d[j] = z + (damp_[j] - z) * Dm;
        damp_[j] = Flush(d[j]);
      }
      double tp[4];
      for (int j = 0; j < 4; ++j) tp[j] = tap_.Read(tpos[j]) * tgain[j];
      const double h0 = 0.5 * (d[0] + d[1] + d[2] + d[3]);
      const double h1 = 0.5 * (d[0] - d[1] + d[2] - d[3]);
      const double h2 = 0.5 * (-d[0] - d[1] + d[2] + d[3]);
      const double h3 = 0.5 * (d[0] - d[1] - d[2] + d[3]);
      fb_[0].Write(Flush(h1 + tp[0]));
      fb_[1].Write(Flush(h2 + tp[1]));
      fb_[2].Write(Flush(h3 + tp[2]));
      fb_[3].Write(Flush(h0 + tp[3]));
      tap_.Write(Flush(o));
      const double e = La * (h1 + h2 - h0 - h3) + Er * (tp[0] + tp[1] - tp[2] - tp[3]);
      auto allpass = [](Line& l, double v, double length, double coef) {
        const double rr = l.Read(length);
        const double vv = v - coef * rr;
        l.Write(Flush(vv));
        return coef * vv + rr;
      };
      const double coef[3] = {0.75, 0.625, 0.625};
      const double lenL[3] = {(159 + 0.125541 * sp) * Ws, (562 + 0.251082 * sp) * Ws, (410 - 0.376623 * sp) * Ws};
      const double lenR[3] = {(159 - 0.568366 * sp) * Ws, (562 + 0.187921 * sp) * Ws, (410 + 0.380445 * sp) * Ws};
      double Lr = e + p0, Rr = e + p1;
      for (int j = 0; j < 3; ++j) Lr = allpass(al_[j], Lr, lenL[j], coef[j]);
      for (int j = 0; j < 3; ++j) Rr = allpass(ar_[j], Rr, lenR[j], coef[j]);
      const double q = C(w);
      const double f = 2 * q;
      const double mid = (Lr + Rr) * 0.5 * (2 - f);
      const double side = (Lr - Rr) * 0.5 * f;
      const double level = q < 0.5 ? 0.5 + q : 1;
      if (static_cast<int>(1 + offOn) == 2) {
        stage[0] = (mid + side) * level;
        stage[1] = (mid - side) * level;
      }
    }
    double result[2];
    for (int ch = 0; ch < 2; ++ch) {
      const double s = stage[ch];
      const double bp = hp_[ch].Run(lp_[ch].Run(s, lpc), hpc);
      const double f = mode == 1 ? s : (mode == 2 ? bp : s - bp);
      const double c = ampClip_[ch].Run(f, ampD, ampK, dcPole);
      const double amp = ampClipOn ? c : f;
      result[ch] = master == 2 ? (a[ch] + (amp - a[ch]) * B) * V : x[ch];
    }
    preDelay_[0].Step();
    preDelay_[1].Step();
    diffuser_.Step();
    tap_.Step();
    for (Line& l : fb_) l.Step();
    for (int j = 0; j < 3; ++j) {
      al_[j].Step();
      ar_[j].Step();
    }
    out[0][i] = result[0];
    out[1][i] = result[1];
  }
}
