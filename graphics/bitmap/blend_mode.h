#pragma once
// Blend modes of BlitImage and FillArea: the low byte picks the operation, bit
// 0x10000 weights each source pixel by its own alpha. Multiply, overlay, HSV
// adjust and single-channel copy are not built; those modes draw nothing.

inline constexpr int kBlendCopy = 0;
inline constexpr int kBlendAdd = 1;
inline constexpr int kBlendColourDodge = 2;
inline constexpr int kBlendOperationMask = 0xFF;
inline constexpr int kBlendSingleChannelFirst = 0xF0;  // 0xF0..0xFF: single-channel copies
inline constexpr int kBlendUseSourceAlpha = 0x10000;

inline constexpr int kBlendAlphaCopy = kBlendUseSourceAlpha | kBlendCopy;
inline constexpr int kBlendAlphaAdd = kBlendUseSourceAlpha | kBlendAdd;
inline constexpr int kBlendAlphaColourDodge = kBlendUseSourceAlpha | kBlendColourDodge;
