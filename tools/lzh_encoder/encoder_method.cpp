#include "lzh_encoder/encoder_method.h"

#include "decode/methods.h"

std::optional<EncoderMethod> FindEncoderMethod(char letter) {
  // Other readers size their windows by these reaches, although the stub's reaches 64 KiB for
  // every method.
  uint32_t maxDistance;
  switch (letter) {
    case '5':
      maxDistance = 8192;
      break;
    case '6':
      maxDistance = 32768;
      break;
    case '7':
      maxDistance = 65536;
      break;
    default:
      return std::nullopt;
  }
  // The position code's shape is the decoder's own.
  const char name[5] = {'-', 'l', 'h', letter, '-'};
  const Method* method = FindMethod(name);
  return EncoderMethod{letter, maxDistance, method->np, method->pBit};
}
