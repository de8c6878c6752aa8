#pragma once
// Measurements of an impulse response: the reverberation time from its energy decay
// curve, and the spectral centroid of its tail.

#include <optional>
#include <vector>

// The energy decay curve by Schroeder's backward integration of the summed energy of
// the channels, in dB relative to the total energy (0 dB at the first sample).
std::vector<double> EnergyDecayCurveDb(const std::vector<std::vector<double>>& channels);

// The first index at which the curve has fallen to 'levelDb' or below; nullopt if never.
std::optional<size_t> DecayPoint(const std::vector<double>& curveDb, double levelDb);

// RT60 in seconds: a least-squares line through the curve between its -5 dB and -25 dB
// points, extrapolated to -60 dB. Nullopt when the line does not fall, or when the
// response was cut off before it died away (the curve is still above -45 dB at 95 % of
// its length): a cut-off curve plunges at its end whatever the decay.
std::optional<double> ReverbTimeSeconds(const std::vector<double>& curveDb, double sampleRate);

// The magnitude-weighted mean frequency in Hz of 'length' samples from 'start' (a
// power of two; Hann-windowed), the channels' magnitudes combined by energy.
double SpectralCentroidHz(const std::vector<std::vector<double>>& channels, size_t start, size_t length,
                          double sampleRate);

// The stereo width of two channels from 'start' on: the energy of the side signal
// (L - R) / 2 over that of the mid signal (L + R) / 2, in dB; -inf dB for mono.
double SideToMidDb(const std::vector<double>& left, const std::vector<double>& right, size_t start);
