#pragma once
// A corpus of preset files, each selected through the built binary as a factory
// preset, with the values each one must leave in the plug-in.
#include <map>
#include <string>
#include <vector>

#include "effect/kernel_params.h"
#include "temporary_library.h"
#include "vst2_test_support.h"

namespace preset_corpus {

constexpr int kDeeper = 10;  // "DRUM - Deeper": every corpus file is written as this one
constexpr double kUnset = 0.777;

struct CorpusFile {
  const char* what;
  std::string bytes;
  std::map<int, double> expected;  // plain values; the rest keep kUnset
};

inline std::vector<CorpusFile> Corpus() {
  using std::string;
  return {
      {"elements in any order", "<ReverbPanorama>0.5</ReverbPanorama><ReverbDamp>0.25</ReverbDamp>",
       {{kReverbDamp, 0.25}, {kReverbPanorama, 0.5}}},
      {"duplicates: the first counts", "<ReverbDamp>0.25</ReverbDamp><ReverbDamp>0.75</ReverbDamp>",
       {{kReverbDamp, 0.25}}},
      {"closing tag first", "</ReverbDamp>junk<ReverbDamp>0.4", {{kReverbDamp, 0.4}}},
      {"several lines: the last counts", "<ReverbDamp>0.1</ReverbDamp>\n<ReverbPanorama>0.6</ReverbPanorama>",
       {{kReverbPanorama, 0.6}}},
      {"a trailing line break", "<ReverbDamp>0.1</ReverbDamp>\n", {}},
      {"CRLF lines", "<ReverbDamp>0.1</ReverbDamp>\r\n<ReverbDamp>0.7</ReverbDamp>", {{kReverbDamp, 0.7}}},
      {"a byte order mark", "\xEF\xBB\xBF<ReverbDamp>0.3</ReverbDamp>", {{kReverbDamp, 0.3}}},
      {"white space and trailing letters", "<ReverbDamp> \t0.35abc</ReverbDamp>", {{kReverbDamp, 0.35}}},
      {"out of range: clamped", "<ReverbDamp>7</ReverbDamp><AmpFilterMode>-3</AmpFilterMode>",
       {{kReverbDamp, 1.0}, {kAmpFilterMode, 0.0}}},
      {"exponent forms", "<ReverbDamp>2.5e-1</ReverbDamp><ReverbPanorama>1e-005</ReverbPanorama>",
       {{kReverbDamp, 0.25}, {kReverbPanorama, 0.00001}}},
      {"no decimal number: skipped", "<ReverbDamp>inf</ReverbDamp><ReverbPanorama>0x1p-2</ReverbPanorama>"
                                     "<ReverbPreDelay>1e999</ReverbPreDelay><AmpMainBlend>.5</AmpMainBlend>",
       {{kReverbPanorama, 0.0}, {kAmpMainBlend, 0.5}}},
      {"NUL bytes", string("<ReverbDamp>0.55\0x</ReverbDamp>\0", 32), {{kReverbDamp, 0.55}}},
      {"an empty file", "", {}},
      {"unstored parameters are ignored", "<AmpMainVolume>0.1</AmpMainVolume><MidiChannelInput>3</MidiChannelInput>",
       {}},
  };
}

inline constexpr int kWatched[] = {kReverbDamp, kReverbPanorama, kAmpFilterMode, kAmpMainBlend, kReverbPreDelay, kAmpMainVolume};

inline float Normalised(int index, double plain) {
  const KernelParamSpec& spec = kKernelParamSpecs[static_cast<size_t>(index)];
  return static_cast<float>((plain - spec.minimum) / (spec.maximum - spec.minimum));
}

inline void SetPlain(Vst2HostedPlugin& plugin, int index, double plain) { plugin.SetParameter(index, Normalised(index, plain)); }

inline void MarkWatched(Vst2HostedPlugin& plugin) {
  for (int index : kWatched) SetPlain(plugin, index, index == kAmpFilterMode ? 2 * kUnset : kUnset);
}

inline void ExpectCorpusLoads(Vst2HostedPlugin& plugin, TemporaryLibrary& library) {
  for (const CorpusFile& file : Corpus()) {
    SCOPED_TRACE(file.what);
    library.WriteFactory(kDeeper, file.bytes);
    MarkWatched(plugin);
    SetPlain(plugin, kPresetSelector, kDeeper);
    for (int index : kWatched) {
      const auto found = file.expected.find(index);
      const double plain =
          found != file.expected.end() ? found->second : (index == kAmpFilterMode ? 2 * kUnset : kUnset);
      EXPECT_NEAR(plugin.GetParameter(index), Normalised(index, plain), 2e-7) << "parameter " << index;
    }
    EXPECT_EQ(plugin.GetParameter(kPresetSelector), Normalised(kPresetSelector, 0.0));
  }
}

}  // namespace preset_corpus
