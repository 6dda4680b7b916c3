// Layout of the OHCI structures: their little-endian words, each bound to its
// width, and the bit fields inside them (bit 0 is the least significant bit).
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/ByteOrder.h"

namespace trovik::ohci {

// The value of `width` bits of word starting at bit `shift`.
constexpr uint32_t Bits(uint32_t word, int shift, int width) {
  return (word >> shift) & ((width >= 32) ? 0xFFFFFFFFu : ((1u << width) - 1u));
}

// Low four bits of a queue pointer: not part of the 16-byte aligned address.
inline constexpr uint32_t kPointerMask = 0xFFFFFFF0u;

// Host controller communications area. The decoder reads its first 252
// bytes, which hold all it lists (table, frame number, pad word, done head).
namespace hcca {
inline constexpr size_t kSize = 256;
inline constexpr size_t kReadSize = 252;
inline constexpr U32 kInterruptTable{0};  // first of 32 entries
inline constexpr int kInterruptEntries = 32;
inline constexpr U16 kFrameNumber{128};
inline constexpr U16 kPad1{130};
inline constexpr U32 kDoneHead{132};
}  // namespace hcca

// Endpoint descriptor, four 32-bit words.
namespace ed {
inline constexpr size_t kSize = 16;
inline constexpr U32 kControl{0};
inline constexpr U32 kTailPointer{4};
inline constexpr U32 kHeadPointer{8};
inline constexpr U32 kNextEd{12};
// Control word.
inline constexpr int kFunctionAddressShift = 0, kFunctionAddressWidth = 7;
inline constexpr int kEndpointShift = 7, kEndpointWidth = 4;
inline constexpr int kDirectionShift = 11, kDirectionWidth = 2;
inline constexpr int kSpeedBit = 13;
inline constexpr int kSkipBit = 14;
inline constexpr int kFormatBit = 15;
inline constexpr int kMaxPacketShift = 16, kMaxPacketWidth = 11;
// Head pointer word.
inline constexpr int kHaltedBit = 0;
inline constexpr int kToggleCarryBit = 1;
inline constexpr int kZeroShift = 2, kZeroWidth = 2;
}  // namespace ed

// General transfer descriptor, four 32-bit words.
namespace td {
inline constexpr size_t kSize = 16;
inline constexpr U32 kControl{0};
inline constexpr U32 kCurrentBuffer{4};
inline constexpr U32 kNextTd{8};
inline constexpr U32 kBufferEnd{12};
// Control word.
inline constexpr int kReservedShift = 0, kReservedWidth = 18;
inline constexpr int kRoundingBit = 18;
inline constexpr int kPidShift = 19, kPidWidth = 2;
inline constexpr int kDelayShift = 21, kDelayWidth = 3;
inline constexpr uint32_t kNoInterrupt = 7;
inline constexpr int kToggleLowBit = 24;
inline constexpr int kToggleFromTdBit = 25;
inline constexpr int kErrorCountShift = 26, kErrorCountWidth = 2;
inline constexpr int kConditionShift = 28, kConditionWidth = 4;
// Next TD word: bits 0-3 must be zero.
inline constexpr int kZeroShift = 0, kZeroWidth = 4;
}  // namespace td

// Isochronous transfer descriptor: eight 32-bit words.
namespace itd {
inline constexpr size_t kSize = 32;
}  // namespace itd

}  // namespace trovik::ohci
