// Preset files read by the built binary, as a host loads it: a corpus of files
// selected as a factory preset, and restores that must not read the selected file.
#include <filesystem>

#include "preset_corpus.h"

using namespace preset_corpus;

namespace {

TEST(Vst2Presets, TheCorpusLoadsThroughTheBinaryAsTheReadingRulesSay) {
  TemporaryLibrary library("vst2-corpus");
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  ExpectCorpusLoads(*plugin, library);

  // A folder in the file's place, and no file at all, load nothing.
  std::filesystem::remove(library.FactoryPath(kDeeper));
  MarkWatched(*plugin);
  SetPlain(*plugin, kPresetSelector, kDeeper);
  std::filesystem::create_directory(library.FactoryPath(kDeeper));
  SetPlain(*plugin, kPresetSelector, kDeeper);
  EXPECT_NEAR(plugin->GetParameter(kReverbDamp), Normalised(kReverbDamp, kUnset), 2e-7);
  std::filesystem::remove(library.FactoryPath(kDeeper));
}

TEST(Vst2Presets, RestoringAStateReadsNoPresetFileAndKeepsTheRestoredValues) {
  TemporaryLibrary library("vst2-restore");
  library.WriteFactory(kDeeper, "<ReverbDamp>0.25</ReverbDamp>");
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  SetPlain(*plugin, kReverbDamp, 0.9);
  SetPlain(*plugin, kPresetLoad, 1.0);  // a load value in the state: restoring it must not load
  const std::vector<uint8_t> state = plugin->GetChunk(true);
  ASSERT_FALSE(state.empty());

  SetPlain(*plugin, kPresetSelector, kDeeper);  // the load selector now names the factory file
  ASSERT_NEAR(plugin->GetParameter(kReverbDamp), 0.25f, 2e-7);
  ASSERT_TRUE(plugin->SetChunk(true, state));
  EXPECT_NEAR(plugin->GetParameter(kReverbDamp), 0.9f, 2e-7);
  EXPECT_EQ(plugin->GetParameter(kPresetLoad), 1.0f);
  // The bank's "Init" preset restores without loading either.
  ASSERT_TRUE(plugin->SetChunk(false, plugin->GetChunk(false)));
  plugin->Dispatch(effSetProgram, 0, 0, nullptr);
  EXPECT_NEAR(plugin->GetParameter(kReverbDamp), 0.9f, 2e-7);
}

TEST(Vst2Presets, AProgramTheHostSetsValueByValueIsARestoreToo) {
  // Hosts restore a plug-in without chunks by setting each value between
  // effBeginSetProgram and effEndSetProgram.
  TemporaryLibrary library("vst2-program");
  library.WriteFactory(kDeeper, "<ReverbDamp>0.25</ReverbDamp>");
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  SetPlain(*plugin, kPresetSelector, kDeeper);  // the load selector names the factory file
  ASSERT_NEAR(plugin->GetParameter(kReverbDamp), 0.25f, 2e-7);
  plugin->Dispatch(effBeginSetProgram);
  SetPlain(*plugin, kReverbDamp, 0.9);
  SetPlain(*plugin, kPresetLoad, 1.0);
  SetPlain(*plugin, kPresetSelector, kDeeper);
  plugin->Dispatch(effEndSetProgram);
  EXPECT_NEAR(plugin->GetParameter(kReverbDamp), 0.9f, 2e-7);
  EXPECT_NEAR(plugin->GetParameter(kPresetSelector), Normalised(kPresetSelector, kDeeper), 2e-7);
  // Afterwards the host's changes act again.
  SetPlain(*plugin, kPresetLoad, 0.0);
  EXPECT_NEAR(plugin->GetParameter(kReverbDamp), 0.25f, 2e-7);
}

}  // namespace
