// A small encoder for hand-built compressed members: raw bit fields for streams no encoder
// would write, and whole blocks of literals and matches with chosen code lengths. It also
// expands what it wrote the plain way, into one growing buffer, as the expected output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

class LzhBitWriter {
 public:
  // The low `width` bits of value, most significant first.
  void Put(uint32_t value, uint32_t width);
  // Several fields in turn, each {value, width}.
  void PutFields(std::initializer_list<std::pair<uint32_t, uint32_t>> fields) {
    for (const auto& [value, width] : fields) Put(value, width);
  }
  // The bits written so far, the last byte filled with zero bits.
  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  size_t BitCount() const { return bytes_.size() * 8 - (8 - used_) % 8; }

 private:
  std::vector<uint8_t> bytes_;
  uint32_t used_ = 0;  // bits used in the last byte, 0 meaning all 8
};

// The canonical code values of a set of lengths: shorter codes first, equal lengths in symbol
// order.
std::vector<uint32_t> CanonicalCodes(const std::vector<uint8_t>& lengths);

// The code lengths of one block.
struct LzhCodes {
  std::vector<uint8_t> codeLength;  // 19
  std::vector<uint8_t> literal;     // 510
  std::vector<uint8_t> position;    // np
};

// Complete codes in which every symbol has a code: literals and lengths of 8 or 9 bits,
// positions of 3 to 5 bits.
LzhCodes EveryoneCodes(uint32_t positionCount);

class LzhBlockWriter {
 public:
  explicit LzhBlockWriter(char method);

  // A block header for size symbols (0 meaning 65536) with these codes: the four fields below.
  void StartBlock(uint16_t size, const LzhCodes& codes);
  void PutBlockSize(uint16_t size) { bits_.Put(size, 16); }
  // Each code's lengths in the stream's form, trailing zeros left out; the code then serves the
  // symbols that follow.
  void PutCodeLengthCode(const std::vector<uint8_t>& lengths);
  void PutLiteralCode(const std::vector<uint8_t>& lengths);
  void PutPositionCode(const std::vector<uint8_t>& lengths);
  void PutCodeLengthSymbol(uint32_t symbol) { PutSymbol(codeLengthCode_, symbol); }

  void Literal(uint8_t byte);
  // A match of length 3 to 256 bytes whose source starts position + 1 bytes back.
  void Match(uint32_t length, uint32_t position);

  LzhBitWriter& bits() { return bits_; }
  const std::vector<uint8_t>& expected() const { return expected_; }
  uint32_t positionCount() const { return positionCount_; }
  uint32_t positionWidth() const { return positionWidth_; }

 private:
  // A small code's lengths: count, lengths, and for the code-length code the zero run (sent as
  // 0) after the third length.
  void PutSmallLengths(const std::vector<uint8_t>& lengths, uint32_t countWidth, bool zeroRun);

  struct Code {
    std::vector<uint8_t> lengths;
    std::vector<uint32_t> values;
  };
  static Code MakeCode(const std::vector<uint8_t>& lengths);
  void PutSymbol(const Code& code, uint32_t symbol);

  LzhBitWriter bits_;
  Code codeLengthCode_;
  Code literalCode_;
  Code positionCode_;
  uint32_t positionCount_;
  uint32_t positionWidth_;
  std::vector<uint8_t> expected_;
};
