// moravelle-render as a user runs it: files in, files out, errors and exit codes.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "render_test_files.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRate = 44100;

// What a render without --plugin goes through in this build.
std::string DefaultSource() {
#ifdef MORAVELLE_VST3_BUNDLE_PATH
  return MORAVELLE_VST3_BUNDLE_PATH;
#else
  return "the effect compiled into moravelle-render";
#endif
}

class RenderCli : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::path(::testing::TempDir()) / "moravelle-render-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  CommandResult Run(const std::vector<std::string>& arguments) const { return RunRenderer(arguments, dir_); }

  // Everything in the scratch folder, to prove that a failed render leaves nothing behind.
  std::vector<std::string> Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string StereoInput(int frames) const {
    const std::string path = Path("in.wav");
    EXPECT_TRUE(WriteFloatWav(path, 2, kRate, TestSignal(2, frames, kRate)));
    return path;
  }

  // A failed run: exit status 1 or 2, one line on stderr containing 'expected', nothing on
  // stdout, and the folder exactly as before.
  void ExpectFailure(const std::vector<std::string>& arguments, const std::string& expected) const {
    const std::vector<std::string> before = Listing();
    const CommandResult result = Run(arguments);
    EXPECT_TRUE(result.exitCode == 1 || result.exitCode == 2) << "exit " << result.exitCode;
    EXPECT_NE(result.err.find(expected), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(Listing(), before);
  }

  fs::path dir_;
};

double Rms(const std::vector<float>& samples, size_t begin, size_t end) {
  double sum = 0.0;
  for (size_t i = begin; i < end; ++i) sum += static_cast<double>(samples[i]) * samples[i];
  return end > begin ? std::sqrt(sum / static_cast<double>(end - begin)) : 0.0;
}

TEST_F(RenderCli, DemoRenderIsStereoOfTheRightLengthAndAudiblyReverberant) {
  const CommandResult wet = Run({"-o", Path("demo.wav"), "--tail", "2"});
  ASSERT_EQ(wet.exitCode, 0) << wet.err;
  const int frames = 6 * kRate;  // 4 s of demo and 2 s of tail
  EXPECT_EQ(wet.out, "wrote " + Path("demo.wav") + " (" + std::to_string(frames) +
                         " frames, 2 channels, 44100 Hz) through " + DefaultSource() + "\n");
  EXPECT_EQ(wet.err, "");  // no progress bar: stderr is not a terminal

  const AudioFileContents demo = ReadAudioFile(Path("demo.wav"));
  ASSERT_TRUE(demo.ok);
  EXPECT_EQ(demo.channels, 2);
  EXPECT_EQ(demo.sampleRate, kRate);
  EXPECT_EQ(demo.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  EXPECT_EQ(demo.Frames(), frames);

  // The same demo with the reverb off is the dry signal, silent after 4 s.
  ASSERT_EQ(Run({"-o", Path("dry.wav"), "--tail", "2", "--param", "ReverbOffOn=0"}).exitCode, 0);
  const AudioFileContents dry = ReadAudioFile(Path("dry.wav"));
  ASSERT_EQ(dry.Frames(), frames);
  const size_t demoEnd = 2u * 4 * kRate, tailEnd = 2u * frames;
  EXPECT_GT(Rms(dry.samples, 0, demoEnd), 0.01);
  EXPECT_EQ(Rms(dry.samples, demoEnd, tailEnd), 0.0);
  EXPECT_NE(demo.samples, dry.samples);
  // The reverb rings on into the tail, above -60 dBFS for its first half second.
  EXPECT_GT(Rms(demo.samples, demoEnd, demoEnd + kRate), 1e-3);
  // Both channels carry signal.
  double left = 0, right = 0;
  for (size_t i = 0; i < demo.samples.size(); i += 2) left += std::fabs(demo.samples[i]), right += std::fabs(demo.samples[i + 1]);
  EXPECT_GT(left, 1.0);
  EXPECT_GT(right, 1.0);
}

TEST_F(RenderCli, DemoFollowsTheRequestedSampleRate) {
  const CommandResult result = Run({"-o", Path("demo48.wav"), "--sample-rate", "48000", "--tail", "0"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const AudioFileContents demo = ReadAudioFile(Path("demo48.wav"));
  EXPECT_EQ(demo.sampleRate, 48000);
  EXPECT_EQ(demo.Frames(), 4 * 48000);
}

TEST_F(RenderCli, MasterSwitchOffGivesAFloatFileBackBitForBit) {
  const std::string input = StereoInput(kRate / 2);
  for (const char* precision : {"64", "32"}) {
    SCOPED_TRACE(precision);
    ASSERT_EQ(Run({input, "-o", Path("out.wav"), "--param", "ReverbOffOn=0", "--tail", "0", "--precision", precision})
                  .exitCode,
              0);
    const AudioFileContents in = ReadAudioFile(input), out = ReadAudioFile(Path("out.wav"));
    ASSERT_TRUE(out.ok);
    EXPECT_EQ(out.samples, in.samples);
  }
}

TEST_F(RenderCli, TailOfSilenceFollowsTheInput) {
  const std::string input = StereoInput(1000);
  ASSERT_EQ(Run({input, "-o", Path("out.wav"), "--param", "ReverbOffOn=0", "--tail", "0.5"}).exitCode, 0);
  const AudioFileContents out = ReadAudioFile(Path("out.wav"));
  ASSERT_EQ(out.Frames(), 1000 + kRate / 2);
  EXPECT_EQ(Rms(out.samples, 2 * 1000, out.samples.size()), 0.0);
}

TEST_F(RenderCli, MonoInputFeedsBothChannels) {
  const std::vector<float> mono = TestSignal(1, kRate / 4, kRate);
  ASSERT_TRUE(WriteFloatWav(Path("mono.wav"), 1, kRate, mono));
  ASSERT_EQ(Run({Path("mono.wav"), "-o", Path("out.wav"), "--param", "ReverbOffOn=0", "--tail", "0"}).exitCode, 0);
  const AudioFileContents out = ReadAudioFile(Path("out.wav"));
  ASSERT_EQ(out.channels, 2);
  ASSERT_EQ(out.Frames(), static_cast<long>(mono.size()));
  for (size_t f = 0; f < mono.size(); ++f) {
    ASSERT_EQ(out.samples[2 * f], mono[f]) << f;
    ASSERT_EQ(out.samples[2 * f + 1], mono[f]) << f;
  }
}

TEST_F(RenderCli, OutputKeepsTheInputRate) {
  ASSERT_TRUE(WriteFloatWav(Path("in96.wav"), 2, 96000, TestSignal(2, 9600, 96000)));
  const CommandResult result = Run({Path("in96.wav"), "-o", Path("out.wav"), "--tail", "0.1"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("(19200 frames, 2 channels, 96000 Hz)"), std::string::npos) << result.out;
  EXPECT_EQ(ReadAudioFile(Path("out.wav")).sampleRate, 96000);
}

TEST_F(RenderCli, OutputDoesNotDependOnTheBlockSize) {
  const std::string input = StereoInput(kRate);
  for (const char* precision : {"64", "32"}) {
    SCOPED_TRACE(precision);
    ASSERT_EQ(Run({input, "-o", Path("b64.wav"), "--block-size", "64", "--precision", precision}).exitCode, 0);
    ASSERT_EQ(Run({input, "-o", Path("b4096.wav"), "--block-size", "4096", "--precision", precision}).exitCode, 0);
    ASSERT_EQ(Run({input, "-o", Path("b1000.wav"), "--block-size", "1000", "--precision", precision}).exitCode, 0);
    const AudioFileContents small = ReadAudioFile(Path("b64.wav"));
    ASSERT_TRUE(small.ok);
    EXPECT_EQ(small.samples, ReadAudioFile(Path("b4096.wav")).samples);
    EXPECT_EQ(small.samples, ReadAudioFile(Path("b1000.wav")).samples);
  }
}

TEST_F(RenderCli, ThirtyTwoBitPathMatchesSixtyFourBitPathToFloatPrecision) {
  const std::string input = StereoInput(kRate / 2);
  ASSERT_EQ(Run({input, "-o", Path("p64.wav"), "--format", "float64"}).exitCode, 0);
  ASSERT_EQ(Run({input, "-o", Path("p32.wav"), "--format", "float64", "--precision", "32"}).exitCode, 0);
  const AudioFileContents a = ReadAudioFile(Path("p64.wav")), b = ReadAudioFile(Path("p32.wav"));
  ASSERT_EQ(a.samples.size(), b.samples.size());
  double worst = 0.0;
  for (size_t i = 0; i < a.samples.size(); ++i) worst = std::max(worst, std::fabs(double(a.samples[i]) - b.samples[i]));
  EXPECT_LT(worst, 1e-5);
}

TEST_F(RenderCli, WritesTheRequestedSampleFormat) {
  const std::string input = StereoInput(2000);
  struct Case {
    const char* name;
    const char* file;
    int format;
  } cases[] = {{"pcm16", "o16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
               {"pcm24", "o24.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24},
               {"float64", "o64.w64", SF_FORMAT_W64 | SF_FORMAT_DOUBLE},
               {"pcm16", "o16.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_EQ(Run({input, "-o", Path(c.file), "--format", c.name, "--tail", "0"}).exitCode, 0);
    const AudioFileContents out = ReadAudioFile(Path(c.file));
    EXPECT_EQ(out.format, c.format);
    EXPECT_EQ(out.Frames(), 2000);
  }
}

TEST_F(RenderCli, LoudOutputClipsInIntegerFormatsInsteadOfWrapping) {
  std::vector<float> loud(2 * 1000);
  for (size_t i = 0; i < loud.size(); ++i) loud[i] = (i / 2) % 2 ? 3.0f : -3.0f;
  ASSERT_TRUE(WriteFloatWav(Path("loud.wav"), 2, kRate, loud));
  ASSERT_EQ(Run({Path("loud.wav"), "-o", Path("o.wav"), "--format", "pcm16", "--param", "ReverbOffOn=0", "--tail", "0"})
                .exitCode,
            0);
  const AudioFileContents out = ReadAudioFile(Path("o.wav"));
  ASSERT_EQ(out.samples.size(), loud.size());
  for (size_t i = 0; i < loud.size(); ++i) ASSERT_EQ(out.samples[i] > 0.99f, loud[i] > 0) << i;
}

TEST_F(RenderCli, ListParamsShowsIndexNameRangeAndDefaultInProcess) {
  const CommandResult result = Run({"--list-params", "--in-process"});
  ASSERT_EQ(result.exitCode, 0);
  EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 32);  // a header and 31 parameters
  EXPECT_NE(result.out.find("   21  PresetSelector                   -1      10000          0"), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("    5  AmpMainBlend                      0          1        0.3"), std::string::npos);
}

TEST_F(RenderCli, HelpExplainsTheAudibleDefaults) {
  const CommandResult result = Run({"--help"});
  ASSERT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find("Unless a --param names ReverbOffOn"), std::string::npos);
  EXPECT_NE(result.out.find("ReverbOffOn=1"), std::string::npos);
}

TEST_F(RenderCli, BadParametersAreRejectedWithAReason) {
  ExpectFailure({"-o", Path("out.wav"), "--param", "ReverbRoomSise=0.5"}, "did you mean 'ReverbRoomSize'?");
  ExpectFailure({"-o", Path("out.wav"), "--param", "ReverbRoomSize=big"}, "'big' for ReverbRoomSize is not a number");
  ExpectFailure({"-o", Path("out.wav"), "--param", "ReverbRoomSize=0.5x"}, "is not a number");
  ExpectFailure({"-o", Path("out.wav"), "--param", "ReverbRoomSize=nan"}, "is not a number");
  ExpectFailure({"-o", Path("out.wav"), "--param", "ReverbRoomSize=2", "--in-process"}, "outside its range 0..1");
#ifdef MORAVELLE_VST2_BINARY
  // The default (VST3) render checks the range its controller gives; VST2 sees the clamp.
  ExpectFailure({"-o", Path("out.wav"), "--param", "ReverbRoomSize=2"}, "outside its range 0..1");
  ExpectFailure({"-o", Path("out.wav"), "--param", "ReverbRoomSize=2", "--plugin", MORAVELLE_VST2_BINARY},
                "outside the plug-in's range");
#endif
  ExpectFailure({"-o", Path("out.wav"), "--param", "ReverbRoomSize"}, "is not of the form Name=value");
}

TEST_F(RenderCli, BadFilesAndOptionsAreRejectedWithAReason) {
  ExpectFailure({Path("missing.wav"), "-o", Path("out.wav")}, "No such file or directory");
  ASSERT_TRUE(WriteFloatWav(Path("three.wav"), 3, kRate, TestSignal(3, 100, kRate)));
  ExpectFailure({Path("three.wav"), "-o", Path("out.wav")}, "has 3 channels");
  {
    std::ofstream text(Path("notes.wav"));
    text << "this is not audio\n";
  }
  ExpectFailure({Path("notes.wav"), "-o", Path("out.wav")}, "cannot read");
  ExpectFailure({"-o", Path("out.wav"), "--format", "mp3"}, "unsupported --format 'mp3'");
  ExpectFailure({"-o", Path("out.flac"), "--format", "float32"}, "cannot be written to .flac");
  ExpectFailure({"-o", Path("out.mp3")}, "use the extension");
  ExpectFailure({"-o", Path("no-such-folder/out.wav")}, "No such file or directory");
  ExpectFailure({"--tail", "1"}, "give one with -o");
  ExpectFailure({"-o", Path("out.wav"), "--precision", "16"}, "--precision must be 32 or 64");
  ExpectFailure({"-o", Path("out.wav"), "--block-size", "0"}, "--block-size");
  ExpectFailure({"-o", Path("out.wav"), "--tail", "soon"}, "--tail");
  ExpectFailure({"-o", Path("out.wav"), "--bogus"}, "--bogus");
  ExpectFailure({Path("three.wav"), "-o", Path("out.wav"), "--sample-rate", "48000"}, "has 3 channels");
  ASSERT_TRUE(WriteFloatWav(Path("in.wav"), 2, kRate, TestSignal(2, 100, kRate)));
  ExpectFailure({Path("in.wav"), "-o", Path("out.wav"), "--sample-rate", "48000"}, "differs from the 44100 Hz");
}

TEST_F(RenderCli, FailedRenderLeavesAnExistingOutputUntouched) {
  const std::string output = Path("keep.wav");
  {
    std::ofstream previous(output);
    previous << "previous contents";
  }
  ExpectFailure({Path("missing.wav"), "-o", output}, "missing.wav");
  ExpectFailure({"-o", output, "--param", "Nonsense=1"}, "unknown parameter 'Nonsense'");
  EXPECT_EQ(ReadWholeFile(output), "previous contents");

  // A successful render replaces it, and leaves no temporary file beside it.
  ASSERT_EQ(Run({"-o", output, "--tail", "0"}).exitCode, 0);
  EXPECT_EQ(ReadAudioFile(output).Frames(), 4 * kRate);
  EXPECT_EQ(Listing(), std::vector<std::string>{"keep.wav"});
}

TEST_F(RenderCli, TerminatedRenderRemovesItsTemporaryFile) {
  const std::string output = Path("long.wav");
  // Long enough (an hour of tail) that it is still running when it is stopped.
  const int pid = StartRenderer({"-o", output, "--tail", "3600"});
  ASSERT_GT(pid, 0);
  bool started = false;
  for (int i = 0; i < 3000 && !started; ++i) {  // the temporary file shows the render has begun
    for (const std::string& name : Listing()) started = started || name.rfind("long.wav.part-", 0) == 0;
    if (!started) usleep(10000);
  }
  kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(started);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  EXPECT_TRUE(Listing().empty());
}

TEST_F(RenderCli, RenderingAFileOntoItselfReplacesItSafely) {
  const std::string input = StereoInput(5000);
  const AudioFileContents before = ReadAudioFile(input);
  ASSERT_EQ(Run({input, "-o", input, "--param", "ReverbOffOn=0", "--tail", "0"}).exitCode, 0);
  EXPECT_EQ(ReadAudioFile(input).samples, before.samples);
}

}  // namespace
