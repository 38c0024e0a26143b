// Compresses one member's bytes with -lh5-, -lh6- or -lh7-, into exactly the stream the stub's
// decoder reads.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <span>
#include <vector>

#include "decode/methods.h"
#include "lzh_encoder/bit_writer.h"
#include "lzh_encoder/block_splitter.h"
#include "lzh_encoder/lzh_items.h"

inline constexpr int kMinLevel = 1;
inline constexpr int kMaxLevel = 9;
inline constexpr int kDefaultLevel = 3;

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

// The same compression for a member fed in pieces, holding no more of it than the segments being
// parsed (one more than `threads`, at most 8, of 4 MiB) and the window before them: the compressed
// bytes go to out as the blocks are settled. What progress throws comes out of Add or Finish.
class LzhStreamEncoder {
 public:
  using Output = std::function<void(std::span<const uint8_t> packed)>;
  LzhStreamEncoder(const Method& method, int level, unsigned threads, EncoderProgress progress,
                   Output out);
  // Waits for the segments still being parsed.
  ~LzhStreamEncoder();
  LzhStreamEncoder(const LzhStreamEncoder&) = delete;
  LzhStreamEncoder& operator=(const LzhStreamEncoder&) = delete;

  void Add(std::span<const uint8_t> bytes);
  void Finish();

 private:
  // A segment's items, and its bytes handed back for a later segment to gather into.
  struct ParsedSegment {
    std::vector<Item> items;
    std::vector<uint8_t> bytes;
  };

  void Launch();
  void TakeOldest();

  const Method& method_;
  const int level_;
  const unsigned threads_;
  const EncoderProgress progress_;
  const Output out_;
  BitWriter bits_;
  BlockSplitter splitter_;
  std::vector<uint8_t> gathered_;  // the window before the segment, then the segment so far
  uint32_t windowBytes_ = 0;
  std::vector<uint8_t> window_;  // the last window, kept while gathered_ changes hands
  std::vector<uint8_t> spare_;   // the bytes of the segment parsed last, to gather into again
  std::deque<std::future<ParsedSegment>> parsing_;
};
