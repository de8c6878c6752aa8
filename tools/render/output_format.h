#pragma once
// Output sample formats by their command-line names, and the file type by extension.

#include <string>
#include <string_view>

#include "render_status.h"

enum class SampleFormat { Float32, Float64, Pcm16, Pcm24 };

inline constexpr const char* kSampleFormatChoices = "float32, float64, pcm16 or pcm24";

bool ParseSampleFormat(std::string_view name, SampleFormat* format);

// The libsndfile format code for a stereo file at 'path' (.wav, .w64, .aif/.aiff,
// .caf or .flac) holding samples of 'format'; an error for other extensions and for
// combinations the file type cannot hold (FLAC has no floating-point samples).
Status ChooseFileFormat(const std::string& path, SampleFormat format, int sampleRate, int* sndfileFormat);
