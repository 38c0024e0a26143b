// -pm2-: matches of up to 256 bytes reaching 8 KiB back, and literals sent as their rank among
// the bytes written lately. Its codes are not sent per block but at fixed points of the output,
// most of them only while the output is young and the reach of its matches still grows.
#include <iterator>

#include "older_methods/byte_history.h"
#include "older_methods/member_end.h"
#include "older_methods/older_decoders.h"
#include "older_methods/prefix_tree.h"
#include "older_methods/window_output.h"

namespace {

inline constexpr uint32_t kReach = 8192;
inline constexpr uint32_t kLiteralCodes = 8;       // codes 0-7 send a literal's rank
inline constexpr uint32_t kShortMatchCodes = 15;   // the next 15 are matches of 2 to 16 bytes
inline constexpr uint32_t kLongestMatchCode = 20;  // of 256 bytes, always from one byte back
inline constexpr uint32_t kMaxCodes = 31;          // what the code's 5-bit count can say

// Ranks, by literal code: the lower the code, the more recent the byte.
constexpr BitRange kRanks[kLiteralCodes] = {{0, 3},  {8, 3},  {16, 4},  {32, 5},
                                            {64, 5}, {96, 5}, {128, 6}, {192, 6}};
// Lengths of the matches past the short ones, by code.
constexpr BitRange kLongMatches[] = {{17, 3}, {25, 3}, {33, 5}, {65, 6}, {129, 7}, {256, 0}};
static_assert(std::size(kLongMatches) == kLongestMatchCode - kShortMatchCodes + 1);

// The points at which codes are read again, each given with the output bytes until the next:
// the distance code gains a symbol each time until the 8 KiB reach is whole, and from then on
// a bit every 4 KiB says whether the encoder sends new codes.
enum class NewSymbols : uint8_t { kNo, kYes, kOnBit };
struct Refresh {
  uint16_t bytesUntilNext;
  uint8_t distanceSymbols;
  NewSymbols symbols;
  bool distancesAlways;  // whether the distance code comes even with no new symbol code
};
constexpr Refresh kRefreshes[] = {{1024, 5, NewSymbols::kYes, true},
                                  {1024, 6, NewSymbols::kNo, true},
                                  {2048, 7, NewSymbols::kNo, true},
                                  {4096, 8, NewSymbols::kOnBit, true},
                                  {4096, 8, NewSymbols::kOnBit, false}};  // the last repeats

class Pm2Decoder {
 public:
  Pm2Decoder(const OutputSink& sink, DecoderState& state, platform::FileHandle archive,
             const MemberData& member)
      : archive_(archive),
        reader_(StartBitReader(archive, state, member.packedSize)),
        out_(sink, state, member.unpackedSize) {
    // The window starts as spaces: a match may reach before the first byte.
    out_.PresetSpaces(kReach);
  }

  DecodeStatus Run() {
    if (!out_.Finished()) {
      TakeBits(reader_, 1);  // the stream's first bit carries nothing
      ReadCodes();
    }
    while (!out_.Finished() && reader_.status == kDecodeDone) Step();
    return EndMember(reader_, out_, archive_);
  }

 private:
  void ReadSymbolCode() {
    const uint32_t count = TakeBits(reader_, 5);
    const uint32_t shortest = TakeBits(reader_, 3);
    // Only the matches of symbols 9 to 27 read a distance code; when none of them can come up
    // (too few symbols, or the longest match alone), the encoder sends no distance code.
    const uint32_t longestAlone = kLiteralCodes + kLongestMatchCode + 1;
    needsDistances_ = count >= kLiteralCodes + 2 && !(count == longestAlone && shortest == 0);
    if (shortest == 0) {
      // A shortest length of 0 means the code has one symbol, the last counted.
      if (count == 0) return FailReader(reader_, kDecodeBadTable);
      return symbols_.SetSingle(count - 1);
    }
    const uint32_t width = TakeBits(reader_, 3);
    uint8_t lengths[kMaxCodes];
    for (uint32_t i = 0; i < count; ++i) {
      const uint32_t length = width == 0 ? 0 : TakeBits(reader_, width);
      lengths[i] = static_cast<uint8_t>(length == 0 ? 0 : shortest + length - 1);
    }
    if (!symbols_.BuildCanonical(lengths, count)) FailReader(reader_, kDecodeBadTable);
  }

  void ReadDistanceCode(uint32_t symbols) {
    if (!needsDistances_) return;
    uint8_t lengths[8];
    uint32_t used = 0;
    uint32_t last = 0;
    for (uint32_t i = 0; i < symbols; ++i) {
      lengths[i] = static_cast<uint8_t>(TakeBits(reader_, 3));
      if (lengths[i] != 0) ++used, last = i;
    }
    // One symbol with a length takes no bits.
    if (used == 1) {
      distances_.SetSingle(last);
    } else if (!distances_.BuildCanonical(lengths, symbols)) {
      FailReader(reader_, kDecodeBadTable);
    }
  }

  void ReadCodes() {
    const Refresh& refresh = kRefreshes[refreshes_];
    if (refreshes_ + 1 < std::size(kRefreshes)) ++refreshes_;
    untilRefresh_ = refresh.bytesUntilNext;
    const bool newSymbols = refresh.symbols == NewSymbols::kYes ||
                            (refresh.symbols == NewSymbols::kOnBit && TakeBits(reader_, 1) != 0);
    if (newSymbols) ReadSymbolCode();
    if (newSymbols || refresh.distancesAlways) ReadDistanceCode(refresh.distanceSymbols);
  }

  void Emit(uint8_t byte) {
    out_.Put(byte);
    history_.MoveToFront(byte);
    if (--untilRefresh_ == 0 && !out_.Finished()) ReadCodes();
  }

  uint32_t Distance(uint32_t matchCode) {
    if (matchCode == kLongestMatchCode) return 1;
    uint32_t bits = 6;
    uint32_t base = 0;
    if (matchCode != 0) {
      const uint32_t extra = distances_.Decode(reader_);
      if (extra != 0) bits = extra + 5, base = 1u << bits;
    }
    return base + TakeBits(reader_, bits) + 1;
  }

  void Step() {
    const uint32_t code = symbols_.Decode(reader_);
    if (code < kLiteralCodes) {
      const uint32_t rank = TakeRange(reader_, kRanks[code]);
      if (reader_.status == kDecodeDone) Emit(history_.At(rank));
      return;
    }
    const uint32_t matchCode = code - kLiteralCodes;
    if (matchCode > kLongestMatchCode) return FailReader(reader_, kDecodeBadTable);
    const uint32_t length = matchCode < kShortMatchCodes
                                ? matchCode + 2
                                : TakeRange(reader_, kLongMatches[matchCode - kShortMatchCodes]);
    const uint32_t distance = Distance(matchCode);
    for (uint32_t i = 0; i < length && !out_.Finished() && reader_.status == kDecodeDone; ++i) {
      Emit(out_.Back(distance));
    }
  }

  platform::FileHandle archive_;
  BitReader reader_;
  WindowOutput out_;
  ByteHistory history_;
  PrefixTree symbols_;
  PrefixTree distances_;
  bool needsDistances_ = false;
  uint32_t refreshes_ = 0;  // the next refresh in kRefreshes
  uint32_t untilRefresh_ = 0;
};

}  // namespace

DecodeStatus DecodePm2(const OutputSink& sink, DecoderState& state, platform::FileHandle archive,
                       const MemberData& member) {
  return Pm2Decoder(sink, state, archive, member).Run();
}
