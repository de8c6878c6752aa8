#pragma once
// Second stage: pre-delay, input diffuser, tapped delay line, four-line feedback
// delay network with Hadamard mixing and damping, two chains of three output
// allpass diffusers, stereo width. Room size, panorama and pre-delay are smoothed
// per sample; everything derived from them is recomputed only when the smoothed
// value moved, so a settled reverb evaluates no power function per frame.

#include <cstdint>

#include "delay_line.h"
#include "stereo_vector.h"
#include "dsp_isa.h"

MORAVELLE_DSP_BEGIN

struct ReverbSettings {
  double sampleRate = 44100.0;
  double offOn = 0.0;       // ReverbOffOn as stored: exactly 0 silences the network
  bool outputsUsed = false;  // whole part of 1 + ReverbOffOn is 2
  double decayFactor = 0.0;  // per-sample gain g = 0.001^(1 / (rate x decay seconds))
  double logDecay = 0.0;     // ln g, so that g^x = exp(x ln g)
  double early = 0.0;        // early reflections level
  double late = 0.0;         // late reverberation level, 0.9 ReverbLateReverberation^2
  double damp = 0.0;         // damping pole of the feedback lines (ReverbDamp at 44.1 kHz)
  double smoothing = 0.0;    // smoothing step of room size, panorama and pre-delay per sample
  double tapOffset = 0.0;    // the early-reflection taps' offset in samples
  // The output diffusers' whole scale per sample of room length (counted at 44.1 kHz),
  // and the samples at this rate per sample of that scale.
  double diffuserScalePerRoomSample = 0.0;
  double diffuserSamplesPerScale = 1.0;
  double targetRoom = 0.0, targetPanorama = 0.5, targetPreDelay = 0.0;

  static ReverbSettings FromParams(const double* params, double sampleRate);
};

// Four lines' sizes and maximum delays, for making four taps at once.
struct ReverbLineLimits {
  Double4 size{}, maximum{};
};

class ReverbEngine {
 public:
  // Smoothing step per sample at 44.1 kHz (time constant ~764 samples, 17 ms); the
  // settings carry it mapped to their rate.
  static constexpr double kSmoothingCoefficient = 0.001308;

  // Sizes the lines for the rate (new memory only where the rate needs another
  // capacity), clears them and every state. Returns false when some line has no memory.
  bool Reset(double sampleRate);

  // in: preamp outputs; out: the stage's outputs (width stage or, while the
  // reverb is not on, the preamp outputs); one lane per channel. out may be in.
  void Process(const ReverbSettings& s, const Double2* in, Double2* out, int frames);

  // Smoothed values, for tests.
  double SmoothedRoom() const { return room_; }
  double SmoothedPanorama() const { return panorama_; }
  double SmoothedPreDelay() const { return preDelay_; }
  const DelayLine& PreDelayLine(int ch) const { return preDelay[ch]; }
  // Values derived from the room size of the last frame the network ran, for tests.
  double RoomLength() const { return roomLength_; }  // samples
  int32_t DiffuserScale() const { return scale_; }   // whole samples at 44.1 kHz per diffuser length unit
  double LineGain(int k) const { return lineGain_[k]; }
  double TapGain(int k) const { return tapGain_[k]; }

 private:
  struct RoomGeometry;
  void UpdateRoom(double room, const ReverbSettings& s);
  void UpdateDiffusers(double panorama, const ReverbSettings& s);
  template <bool kMayLackMemory>
  void ProcessFrames(const ReverbSettings& s, const Double2* in, Double2* out, int frames);
  // One step of a smoothing state toward its target: the value that serves the
  // frame (its flushed value is the next state).
  static double SmoothingStep(double state, double target, double step) { return state + (target - state) * step; }
  // Advances the three smoothing states; returns the room size of this frame and
  // sets the panorama and pre-delay time.
  double AdvanceSmoothing(const ReverbSettings& s, double* panorama, double* preDelayTime);
  // Reads the pre-delayed pair of this frame and writes the input.
  template <bool kMayLackMemory>
  Double2 PreDelayFrame(double preDelayTime, double sampleRate, Double2 input, const DelayLine::Cursor* lines,
                        uint32_t frame);
  void UpdatePreDelayTaps(double preDelayTime, double sampleRate);
  // Whether room size, panorama and pre-delay sit at their smoothing's fixed points.
  bool SmoothingAtRest(const ReverbSettings& s) const;
  // Settled runs (reverb_settled_run.cpp): how many of the next 'frames' frames can
  // run stage by stage (0 while the room, panorama or pre-delay glide), and the run.
  int SettledRunLength(const ReverbSettings& s, int frames);
  void ProcessSettledRun(const ReverbSettings& s, const Double2* in, Double2* out, int frames);
  // Writes 'frames' frames of input (no more than kSettledRunFrames) into the
  // pre-delay lines from the current frame on, flushed, four frames to a vector.
  void WritePreDelayRun(const Double2* in, int frames);
  // Gliding runs (reverb_gliding_run.cpp): the frames ProcessFrames would run, with
  // each frame's delays and gains prepared first and the stages then run over the
  // run; returns how many of the next 'frames' frames it ran (at least one).
  int ProcessGlidingRun(const ReverbSettings& s, const Double2* in, Double2* out, int frames);
  // Its first pass: smoothing, delays and gains and the pre-delay frame by frame,
  // into glide_, up to the first frame that would read what an earlier frame of the
  // run writes through the network; returns the run's length, and whether the
  // output diffusers' delays allow them to run four frames at a time too.
  int PrepareGlidingRun(const ReverbSettings& s, const Double2* in, int frames, bool* diffusersByVectors);
  // What both kinds of runs do after their own preparation (reverb_run_engine.h):
  // the network, whose reads come from readOf(line, read), the reads numbered as
  // RunBuffers::scratch, and whose pre-delayed pair and gains the caller has set in
  // 'net'; the output diffusers and width four frames to a vector; the run's end.
  template <typename Network, typename ReadOf>
  void RunNetworkStage(Network& net, const ReverbSettings& s, uint32_t frame, int n, ReadOf&& readOf);
  template <typename Width, typename ReadOf>
  void RunDiffuserStage(const ReverbSettings& s, uint32_t frame, int n, ReadOf&& readOf, Width mid, Width side,
                        Width level, Double2* out);
  // The output diffusers and width frame by frame, for runs that their delays do not
  // span: frameOf(j, taps) sets frame j's taps (left 1 to 3, then right) and returns
  // its width factors.
  template <typename FrameOf>
  void RunDiffusersFrameByFrame(const ReverbSettings& s, uint32_t frame, int n, FrameOf&& frameOf, Double2* out);
  void FinishRun(const ReverbSettings& s, const Double2* in, Double2* out, uint32_t frame, int n);
  void AdvanceAllLines(int frames);
  // Every line of the network behind the pre-delay, in a fixed order.
  template <typename Act>
  void ForEachNetworkLine(Act&& act);
  template <bool kMayLackMemory>
  void ProcessPreDelayOnly(const ReverbSettings& s, const Double2* in, Double2* out, int frames);
  // Silence into the twelve network lines for 'frames' frames, damping cleared.
  void SilenceNetwork(int frames);

  // The fourteen lines.
  DelayLine preDelay[2];
  DelayLine inputDiffuser;
  DelayLine tapLine;
  DelayLine feedback[4];
  DelayLine diffuserL[3];
  DelayLine diffuserR[3];

  // Longest settled run, and the runs below which frame-by-frame processing is used.
  static constexpr int kSettledRunFrames = 128;
  static constexpr int kShortestSettledRun = 8;
  // Blocks shorter than this run frame by frame while the room, panorama or pre-delay glide.
  static constexpr int kShortestGlidingRun = 8;
  // A settled run's buffers (four lanes past the run's end, since the stages work
  // four frames at a time): a line's values where its run wraps or ends inside a
  // vector, a read's samples where they wrap, and the wet signals into the output
  // diffusers where those run frame by frame.
  struct RunBuffers {
    static constexpr int kSize = kSettledRunFrames + 8;
    static constexpr int kWrittenLines = 12;  // the network's lines
    static constexpr int kReads = 17;
    double kept[kWrittenLines][kSize];
    double scratch[kReads][kSize];
    double wetLeft[kSize], wetRight[kSize];
  };
  RunBuffers run_{};
  // A gliding run's values per frame (four frames past the run's end, copies of its
  // last): for each of the reads in the order of RunBuffers::scratch (pre-delay left
  // and right, input diffuser, feedback lines, taps, left then right diffusers) the
  // position of its first sample (frame plus the tap's offset, masked by the line's
  // size) and its fraction; the pre-delayed pair; the gains and width factors.
  struct GlideBuffers {
    static constexpr int kSize = RunBuffers::kSize;
    uint32_t position[RunBuffers::kReads][kSize];
    double frac[RunBuffers::kReads][kSize];
    double preDelayed[2][kSize];
    double lineGainKept[4][kSize];  // gain (1 - damp)
    double tapGain[4][kSize];
    double widthMid[kSize], widthSide[kSize], widthLevel[kSize];
  };
  GlideBuffers glide_{};

  bool allLinesHaveMemory_ = false;
  // Frames since the last reset, wrapping: every line's head is this masked by its size.
  uint32_t frame_ = 0;
  // Frames of silence written into the network lines since they last carried sound,
  // counted up to the longest line's capacity.
  int32_t longestNetworkLine_ = 0;
  int32_t silentFrames_ = 0;
  Double2 damping_[2] = {};  // one-pole states of lines 1 and 2, 3 and 4
  double room_ = 0.0, panorama_ = 0.0, preDelay_ = 0.0;  // smoothing states

  // Cached values derived from the smoothed room size and panorama.
  double cachedRoom_ = -1.0;
  double cachedDecayFactor_ = -1.0;
  double cachedPanorama_ = -1.0;
  int32_t cachedScale_ = -1;
  double roomLength_ = 0.0;
  double lineGain_[4] = {};
  double tapGain_[4] = {};
  DelayLine::Tap lineTap_[4];
  DelayLine::Tap reflectionTap_[4];
  DelayLine::Tap inputDiffuserTap_;
  int32_t scale_ = 0;  // the output diffusers' length scale, in samples at 44.1 kHz
  // The output diffusers' taps, left 1 to 3 then right 1 to 3.
  DelayLine::Tap diffuserTaps_[2][3];
  // Sizes and maximum delays of the feedback lines, the tap line (four times), and
  // the output diffusers in the order UpdateDiffusers makes their taps.
  ReverbLineLimits feedbackLimits_, tapLineLimits_, diffuserLimits_[2];
  double cachedPreDelay_ = -1.0;
  DelayLine::Tap preDelayTap_[2];
  double widthMid_ = 1.0, widthSide_ = 1.0, widthLevel_ = 1.0;
};

MORAVELLE_DSP_END
