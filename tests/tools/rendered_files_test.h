#pragma once
// A fixture for tests that render a stereo test file through moravelle-render and
// compare the results: a scratch folder per test with the input in it.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "render_test_files.h"

class RenderedFilesTest : public ::testing::Test {
 protected:
  static constexpr int kRate = 44100;

  void SetUp() override {
    std::string pattern = (std::filesystem::path(::testing::TempDir()) / "moravelle-render-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    input_ = Path("in.wav");
    ASSERT_TRUE(WriteFloatWav(input_, 2, kRate, TestSignal(2, kRate / 2, kRate)));
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  CommandResult Run(const std::vector<std::string>& arguments) const { return RunRenderer(arguments, dir_); }

  // Renders the test input to a float64 file and returns its bytes (empty on failure).
  std::string Render(const std::string& name, std::vector<std::string> arguments) const {
    const std::vector<std::string> common = {input_, "-o", Path(name), "--format", "float64", "--tail", "1", "-q"};
    arguments.insert(arguments.begin(), common.begin(), common.end());
    const CommandResult result = Run(arguments);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return result.exitCode == 0 ? ReadWholeFile(Path(name)) : std::string();
  }

  std::filesystem::path dir_;
  std::string input_;
};
