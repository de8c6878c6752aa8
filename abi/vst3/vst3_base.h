#pragma once
// The VST 3 binary interface, declared here from its published facts: base types,
// result codes, identifiers and FUnknown.
//
// Rules that keep the layout right on both targets (checked by the static_asserts
// in these headers and by tests/vst3/abi_test.cpp):
//   - interfaces are classes with pure virtual methods only: no data, no destructor,
//     no overloads, so slot order is declaration order;
//   - fixed-width types only (never long or wchar_t); TBool is one byte;
//   - natural alignment (the interface's own packing of 16 is natural on x86-64).

#include <cstdint>
#include <cstring>

#if defined(_WIN32)
#define MORAVELLE_VST3_COM_COMPATIBLE 1
#define PLUGIN_API __stdcall
#else
#define MORAVELLE_VST3_COM_COMPATIBLE 0
#define PLUGIN_API
#endif

namespace vst3 {

using int8 = char;
using uint8 = uint8_t;
using int16 = int16_t;
using uint16 = uint16_t;
using int32 = int32_t;
using uint32 = uint32_t;
using int64 = int64_t;
using uint64 = uint64_t;
using TSize = int64;
using tresult = int32;
using TBool = uint8;
using char8 = char;
using char16 = char16_t;
using tchar = char16;
using FIDString = const char8*;
using UCoord = int32;
using TUID = char[16];

// Result codes. Windows uses the COM values (hosts there compare against HRESULTs);
// every other platform uses small numbers. Success is 0 on both: never test a
// tresult as a boolean.
#if MORAVELLE_VST3_COM_COMPATIBLE
inline constexpr tresult kNoInterface = static_cast<tresult>(0x80004002u);
inline constexpr tresult kResultOk = 0;
inline constexpr tresult kResultTrue = kResultOk;
inline constexpr tresult kResultFalse = 1;
inline constexpr tresult kInvalidArgument = static_cast<tresult>(0x80070057u);
inline constexpr tresult kNotImplemented = static_cast<tresult>(0x80004001u);
inline constexpr tresult kInternalError = static_cast<tresult>(0x80004005u);
inline constexpr tresult kNotInitialized = static_cast<tresult>(0x8000FFFFu);
inline constexpr tresult kOutOfMemory = static_cast<tresult>(0x8007000Eu);
#else
inline constexpr tresult kNoInterface = -1;
inline constexpr tresult kResultOk = 0;
inline constexpr tresult kResultTrue = kResultOk;
inline constexpr tresult kResultFalse = 1;
inline constexpr tresult kInvalidArgument = 2;
inline constexpr tresult kNotImplemented = 3;
inline constexpr tresult kInternalError = 4;
inline constexpr tresult kNotInitialized = 5;
inline constexpr tresult kOutOfMemory = 6;
#endif

// A 16-byte interface or class identifier as stored in memory. It is written in the
// four-number form (l1, l2, l3, l4); the stored byte order depends on the platform:
// Windows keeps the COM GUID layout (l1 little-endian, the two halves of l2
// little-endian, then l3 and l4 big-endian), elsewhere all four are big-endian.
struct Uid {
  char bytes[16];

  static constexpr Uid FromNumbers(uint32 l1, uint32 l2, uint32 l3, uint32 l4) {
    Uid id{};
#if MORAVELLE_VST3_COM_COMPATIBLE
    const uint32 data1 = l1;
    const uint32 data2 = l2 >> 16;
    const uint32 data3 = l2 & 0xFFFFu;
    id.bytes[0] = Byte(data1, 0);
    id.bytes[1] = Byte(data1, 8);
    id.bytes[2] = Byte(data1, 16);
    id.bytes[3] = Byte(data1, 24);
    id.bytes[4] = Byte(data2, 0);
    id.bytes[5] = Byte(data2, 8);
    id.bytes[6] = Byte(data3, 0);
    id.bytes[7] = Byte(data3, 8);
#else
    for (int i = 0; i < 4; ++i) {
      id.bytes[i] = Byte(l1, 24 - 8 * i);
      id.bytes[4 + i] = Byte(l2, 24 - 8 * i);
    }
#endif
    for (int i = 0; i < 4; ++i) {
      id.bytes[8 + i] = Byte(l3, 24 - 8 * i);
      id.bytes[12 + i] = Byte(l4, 24 - 8 * i);
    }
    return id;
  }

  // IDs are compared as raw bytes: they contain zero bytes, so never as strings.
  bool Matches(const void* other) const { return other != nullptr && std::memcmp(bytes, other, 16) == 0; }

 private:
  static constexpr char Byte(uint32 v, int shift) { return static_cast<char>(static_cast<uint8>(v >> shift)); }
};

class FUnknown {
 public:
  virtual tresult PLUGIN_API queryInterface(const TUID iid, void** obj) = 0;
  virtual uint32 PLUGIN_API addRef() = 0;
  virtual uint32 PLUGIN_API release() = 0;
  static constexpr Uid iid = Uid::FromNumbers(0x00000000, 0x00000000, 0xC0000000, 0x00000046);
};

static_assert(sizeof(TBool) == 1 && sizeof(char16) == 2 && sizeof(TUID) == 16);

}  // namespace vst3
