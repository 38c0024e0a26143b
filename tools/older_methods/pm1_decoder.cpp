// -pm1-: runs of literals, each sent as its rank among the bytes written lately, between matches
// reaching some 10 KiB back. All its codes are fixed: a member only picks, at its start, one of
// 32 codes for the ranges of the literals' ranks. The codes of the matches grow with the output,
// since a match never reaches before the first byte.
#include <iterator>

#include "older_methods/byte_history.h"
#include "older_methods/member_end.h"
#include "older_methods/older_decoders.h"
#include "older_methods/prefix_tree.h"
#include "older_methods/window_output.h"

namespace {

// The codes of the rank ranges below that a member may pick, as nested pairs (see PrefixTree):
// the encoder picks the one that suits its literals best. The 18th never yields 'a', 'b' or 'f'
// and yields 'd' and 'e' by two codes each; it is kept as the other readers take it.
// clang-format off
constexpr const char* kRankCodes[32] = {
    "((((ab)c)d)(ef))", "(((ab)(cf))(de))", "(((ab)c)(d(ef)))", "((a(bc))(d(ef)))",
    "((a(bd))(c(ef)))", "((a(b(ef)))(cd))", "((ab)((cd)(ef)))", "((ab)((c(ef))d))",
    "((ab)(c(d(ef))))", "(a(((bf)c)(de)))", "(a(((b(ef))c)d))", "(a(((bc)d)(ef)))",
    "(a((b(cf))(de)))", "(a((bc)(d(ef))))", "(a((b(d(ef)))c))", "(a(b((cd)(ef))))",
    "(a(b(c(d(ef)))))", "(((de)c)(de))", "((a(be))(cd))", "((ab)(c(de)))",
    "(a(((be)c)d))", "(a((bc)(de)))", "(a((b(de))c))", "(a(b(c(de))))",
    "(((ab)c)d)", "((a(bd))c)", "((ab)(cd))", "(a((bd)c))",
    "(a(b(cd)))", "(a(bc))", "(ab)", "",
};
// clang-format on
constexpr BitRange kRanks[] = {{0, 4}, {16, 4}, {32, 5}, {64, 6}, {128, 6}, {192, 6}};

// A literal run this long may be followed by another run; any shorter one ends at a match.
inline constexpr uint32_t kLongestRun = 216;

// Distances, by match kind. A kind's distance takes the fewest bits, from minBits up to
// maxBits, that reach back to the first byte written, so the far kinds cost less early on.
struct DistanceRange {
  uint16_t base;
  uint8_t minBits;
  uint8_t maxBits;
};
constexpr DistanceRange kDistances[] = {{0, 6, 6},  {64, 8, 8},   {0, 6, 6},
                                        {64, 8, 9}, {576, 8, 11}, {2624, 8, 13}};
inline constexpr uint32_t kPairKinds = 2;  // kinds 0 and 1 are matches of 2 bytes

class Pm1Decoder {
 public:
  Pm1Decoder(const OutputSink& sink, DecoderState& state, platform::FileHandle archive,
             const MemberData& member)
      : archive_(archive),
        reader_(StartBitReader(archive, state, member.packedSize)),
        out_(sink, state, member.unpackedSize) {}

  DecodeStatus Run() {
    if (!out_.Finished()) ranks_.Parse(kRankCodes[TakeBits(reader_, 5)]);
    while (!out_.Finished() && reader_.status == kDecodeDone) {
      if (TakeBits(reader_, 1) == 0) {
        Match();
        continue;
      }
      const uint32_t run = RunLength();
      for (uint32_t i = 0; i < run && !out_.Finished() && reader_.status == kDecodeDone; ++i) {
        Literal();
      }
      if (run != kLongestRun && !out_.Finished() && reader_.status == kDecodeDone) Match();
    }
    return EndMember(reader_, out_, archive_);
  }

 private:
  // A bit the encoder sends only once `written` bytes are out; before, it can only be `fixed`.
  uint32_t BitFrom(uint32_t written, uint32_t fixed) {
    return out_.Produced() >= written ? TakeBits(reader_, 1) : fixed;
  }

  // Runs of 1-3, 4-10, 11-24, 25-88 and 89-216 literals, the shorter the cheaper.
  uint32_t RunLength() {
    if (const uint32_t x = TakeBits(reader_, 2); x < 3) return x + 1;
    if (const uint32_t x = TakeBits(reader_, 3); x < 7) return x + 4;
    const uint32_t x = TakeBits(reader_, 4);
    if (x < 14) return x + 11;
    return x == 14 ? TakeBits(reader_, 6) + 25 : TakeBits(reader_, 7) + 89;
  }

  // Matches of 3-5, 6-10, 11-14, 15-22, 23-84, 85-116 and 117-244 bytes.
  uint32_t MatchLength() {
    if (const uint32_t x = TakeBits(reader_, 2); x < 3) return x + 3;
    const uint32_t x = TakeBits(reader_, 3);
    if (x < 5) return x + 6;
    if (x == 5) return TakeBits(reader_, 2) + 11;
    if (x == 6) return TakeBits(reader_, 3) + 15;
    const uint32_t y = TakeBits(reader_, 6);
    if (y < 62) return y + 23;
    return y == 62 ? TakeBits(reader_, 5) + 85 : TakeBits(reader_, 7) + 117;
  }

  // The kind of a match, whose code grows as the output passes 64, 576 and 2624 bytes, the
  // bases of the farther distances.
  uint32_t MatchKind() {
    if (TakeBits(reader_, 1) == 0) return BitFrom(576, 0) != 0 ? 4 : BitFrom(64, 0);
    if (BitFrom(64, 1) == 0) return 3;
    return BitFrom(2624, 1) != 0 ? 2 : 5;
  }

  void Emit(uint8_t byte) {
    out_.Put(byte);
    history_.MoveToFront(byte);
  }

  void Literal() {
    const uint32_t range = ranks_.Decode(reader_);
    if (range >= std::size(kRanks)) return FailReader(reader_, kDecodeBadTable);
    const uint32_t rank = TakeRange(reader_, kRanks[range]);
    if (reader_.status == kDecodeDone) Emit(history_.At(rank));
  }

  void Match() {
    const uint32_t kind = MatchKind();
    const uint32_t length = kind < kPairKinds ? 2 : MatchLength();
    const DistanceRange& range = kDistances[kind];
    const uint32_t written = out_.Produced();
    uint32_t bits = range.minBits;
    while (bits < range.maxBits && written >= range.base + (1u << bits)) ++bits;
    const uint32_t back = TakeRange(reader_, {range.base, static_cast<uint8_t>(bits)}) + 1;
    if (back > written) return FailReader(reader_, kDecodeBadTable);
    for (uint32_t i = 0; i < length && !out_.Finished() && reader_.status == kDecodeDone; ++i) {
      Emit(out_.Back(back));
    }
  }

  platform::FileHandle archive_;
  BitReader reader_;
  WindowOutput out_;
  ByteHistory history_;
  PrefixTree ranks_;
};

}  // namespace

DecodeStatus DecodePm1(const OutputSink& sink, DecoderState& state, platform::FileHandle archive,
                       const MemberData& member) {
  return Pm1Decoder(sink, state, archive, member).Run();
}
