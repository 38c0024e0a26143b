// Compresses one member's bytes with -lh5-, -lh6- or -lh7-, into exactly the stream the stub's
// decoder reads.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "decode/methods.h"

inline constexpr int kMinLevel = 1;
inline constexpr int kMaxLevel = 9;
inline constexpr int kDefaultLevel = 2;

// The encoder counts positions in 32 bits, with room kept for its own bookkeeping.
inline constexpr uint64_t kMaxEncoderInput = uint64_t{UINT32_MAX} - (1u << 20);

// Told how many more input bytes have been compressed, now and then.
using EncoderProgress = std::function<void(uint64_t bytes)>;

// The compressed data of the member: blocks of literals and matches reaching at most the
// method's distance back, no match running past the member's end. Levels from kMinLevel to
// kMaxLevel trade speed for size. The same bytes, method and level always give the same data.
// data holds at most kMaxEncoderInput bytes. A large member is parsed on up to `threads` threads,
// progress called from any of them; the data is the same for any number.
std::vector<uint8_t> EncodeLzh(std::span<const uint8_t> data, const Method& method, int level,
                               const EncoderProgress& progress, unsigned threads = 1);
