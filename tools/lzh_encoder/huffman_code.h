// Prefix codes of limited length from symbol frequencies, and their canonical code values.
#pragma once

#include <cstdint>
#include <span>

// The lengths of an optimal prefix code over the symbols with non-zero frequency whose codes are
// at most maxLength bits long. Symbols that do not occur get 0; so does a lone symbol, which the
// stream sends as a constant code costing no bits. There must be no more symbols in use than
// maxLength bits can tell apart.
void BuildCodeLengths(std::span<const uint32_t> frequencies, uint32_t maxLength,
                      std::span<uint8_t> lengths);

// The code values of a complete set of lengths as the decoder assigns them: shorter codes first,
// equal lengths in symbol order, each value to be sent most significant bit first.
void AssignCanonicalCodes(std::span<const uint8_t> lengths, std::span<uint16_t> codes);

// How many symbols have a non-zero frequency, and the last of them (0 when none does).
struct SymbolUse {
  uint32_t count;
  uint32_t last;
};
SymbolUse FindSymbolUse(std::span<const uint32_t> frequencies);
