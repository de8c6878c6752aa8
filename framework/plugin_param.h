#pragma once
// One host-visible parameter: its type, plain value, range and the texts hosts show.
//
// "Plain" values are in the parameter's own units and range; "normalised" values
// are 0..1, the view of hosts and editor controls. The record holds no lock: every
// access happens with the plug-in base's instance lock held, except from the VST3
// controller, whose calls take no lock; so the value is atomic (relaxed: each value
// stands on its own, nothing is published through it).

#include <atomic>
#include <cstdint>
#include <vector>

enum class ParamType : int32_t {
  None = 0,    // not yet initialised
  Bool = 1,    // list-valued
  Int = 2,     // range
  Enum = 3,    // list-valued
  Double = 4,  // continuous range
};

inline constexpr int kParamTextSize = 32;  // name, label, group and value-text fields

struct ValueText {
  int32_t value = 0;
  char text[kParamTextSize] = {};
};

// A double one thread may store while another loads it, without a lock (relaxed
// order: the value stands on its own). Copies take a snapshot, so records holding
// one stay copyable.
class RelaxedDouble {
 public:
  explicit RelaxedDouble(double v = 0.0) : v_(v) {}
  RelaxedDouble(const RelaxedDouble& other) : v_(other.Load()) {}
  RelaxedDouble& operator=(const RelaxedDouble& other) {
    Store(other.Load());
    return *this;
  }
  double Load() const { return v_.load(std::memory_order_relaxed); }
  void Store(double v) { v_.store(v, std::memory_order_relaxed); }

 private:
  std::atomic<double> v_;
};

class PluginParam {
 public:
  PluginParam() = default;

  // The effect's only initialiser. A shape of 0 keeps the linear 1.0; a maximum
  // below minimum + step is raised to it.
  void InitContinuous(const char* name, double defaultPlain, double minimum, double maximum,
                      double step, const char* label, double shape);

  void SetValue(double plain);                // clamps to [minimum, maximum]
  void SetFromNormalized(double normalised);  // quantises non-continuous types; upper clamp only
  double NormalizedValue() const { return ToNormalized(Value()); }
  double ToNormalized(double plain) const;
  double FromNormalized(double normalised) const;  // no quantising, no clamping

  // Writes the display text into out (outSize bytes, always terminated when outSize > 0).
  void FormatForHost(double v, bool vIsNormalised, char* out, int outSize, bool useValueTexts) const;
  void FormatForHost(char* out, int outSize) const { FormatForHost(Value(), false, out, outSize, true); }
  const char* LabelForHost() const;
  const char* TextForValue(int32_t plain) const;  // null when there is none
  void AddValueText(int32_t plain, const char* text);

  ParamType Type() const { return type_; }
  bool IsListValued() const { return type_ == ParamType::Bool || type_ == ParamType::Enum; }
  double Value() const { return value_.Load(); }
  double Minimum() const { return minimum_; }
  double Maximum() const { return maximum_; }
  double Step() const { return step_; }
  double Shape() const { return shape_; }
  double Default() const { return default_; }
  int Precision() const { return precision_; }
  const char* Name() const { return name_; }
  const char* Label() const { return label_; }
  const char* Group() const { return group_; }
  bool NegateDisplay() const { return negateDisplay_; }
  bool Automatable() const { return automatable_; }
  const std::vector<ValueText>& ValueTexts() const { return valueTexts_; }

 private:
  ParamType type_ = ParamType::None;
  RelaxedDouble value_;
  double minimum_ = 0.0;
  double maximum_ = 1.0;
  double step_ = 1.0;
  double shape_ = 1.0;
  double default_ = 0.0;
  int32_t precision_ = 0;
  char name_[kParamTextSize] = {};
  char label_[kParamTextSize] = {};
  char group_[kParamTextSize] = {};
  bool negateDisplay_ = false;
  bool automatable_ = true;
  std::vector<ValueText> valueTexts_;
};
