// One member's data in a program file, set up as the archive pass leaves it before decoding:
// the file stands at the member's first data byte, and another member's header follows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "decode/bit_reader.h"
#include "test_support.h"

// What follows the member in the file, where the next header would begin.
inline const std::vector<uint8_t> kNextHeader = {'N', 'E', 'X', 'T'};

class DecodeTest : public CoreTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // method is the method letter ('0', '4' to '7'); packedSize is data's size.
  void UseMember(char method, const std::vector<uint8_t>& data, uint32_t unpackedSize);

  // A bit reader at the start of a compressed member made of bytes, as the decoder starts one.
  BitReader StartOn(const std::vector<uint8_t>& bytes);
  // Decodes into a new output file and returns what it holds.
  std::vector<uint8_t> DecodeToFile();
  // Decodes with no output file, into the text sink of kind.
  void DecodeToMemory(uint8_t kind);

  // The next bytes of the program file, read without seeking: what the pass would take for the
  // next member's header.
  std::vector<uint8_t> FollowingBytes();
  bool OutputExists() const;
  std::vector<std::string> ProgressTexts() const;

  std::string outPath_;
};
