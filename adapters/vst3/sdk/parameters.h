#pragma once
// The controller's parameter container: plain, range and string-list parameters.
// A parameter owns its ParameterInfo and its normalised value; conversions between
// normalised, plain and text live in the parameter kind.

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "abi/vst3/vst3_controller.h"

namespace vst3 {

// Plain parameter: plain value = normalised value, or the step index for a stepped one.
class Parameter {
 public:
  Parameter(const char16* title, ParamID id, const char16* units, ParamValue defaultNormalized, int32 stepCount,
            int32 flags, UnitID unitId);
  virtual ~Parameter() = default;

  const ParameterInfo& Info() const { return info_; }
  ParamValue Normalized() const { return normalized_; }
  // Clamps to 0..1; false when the value did not change.
  bool SetNormalized(ParamValue normalized);
  void SetPrecision(int32 digits) { precision_ = digits; }
  int32 Precision() const { return precision_; }

  virtual void ToString(ParamValue normalized, String128 out) const;
  virtual bool FromString(const TChar* text, ParamValue& normalized) const;
  virtual ParamValue ToPlain(ParamValue normalized) const;
  virtual ParamValue ToNormalized(ParamValue plain) const;

 protected:
  ParameterInfo info_{};
  ParamValue normalized_ = 0.0;
  int32 precision_ = 4;
};

// A plain range [minimum, maximum], continuous (step count 0) or stepped.
class RangeParameter : public Parameter {
 public:
  RangeParameter(const char16* title, ParamID id, const char16* units, ParamValue minPlain, ParamValue maxPlain,
                 ParamValue defaultPlain, int32 stepCount, int32 flags, UnitID unitId);
  ParamValue Minimum() const { return min_; }
  ParamValue Maximum() const { return max_; }

  void ToString(ParamValue normalized, String128 out) const override;
  bool FromString(const TChar* text, ParamValue& normalized) const override;
  ParamValue ToPlain(ParamValue normalized) const override;
  ParamValue ToNormalized(ParamValue plain) const override;

 private:
  ParamValue min_;
  ParamValue max_;
};

// A list of texts; the plain value is the index. Flags always include kIsList.
class StringListParameter : public Parameter {
 public:
  StringListParameter(const char16* title, ParamID id, const char16* units, int32 flags, UnitID unitId);
  void AppendString(const char16* text);
  int32 StringCount() const { return static_cast<int32>(strings_.size()); }

  void ToString(ParamValue normalized, String128 out) const override;
  bool FromString(const TChar* text, ParamValue& normalized) const override;
  ParamValue ToPlain(ParamValue normalized) const override;
  ParamValue ToNormalized(ParamValue plain) const override;

 private:
  std::vector<std::u16string> strings_;
};

class ParameterContainer {
 public:
  // Takes ownership; a parameter whose ID is already present is refused (null result).
  Parameter* Add(std::unique_ptr<Parameter> parameter);
  Parameter* ByIndex(int32 index) const;
  Parameter* ById(ParamID id) const;
  int32 Count() const { return static_cast<int32>(list_.size()); }
  void RemoveAll();

 private:
  std::vector<std::unique_ptr<Parameter>> list_;
  std::unordered_map<ParamID, size_t> byId_;
};

}  // namespace vst3
