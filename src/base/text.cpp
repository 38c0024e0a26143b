#include "base/text.h"

#include "platform/platform.h"

uint32_t TextLength(const char* text) {
  uint32_t length = 0;
  while (text[length] != '\0') ++length;
  return length;
}

uint32_t CopyBytes(char* dest, uint32_t capacity, const char* source, uint32_t count) {
  if (capacity == 0) return 0;
  uint32_t length = 0;
  while (length < count && length + 1 < capacity && source[length] != '\0') {
    dest[length] = source[length];
    ++length;
  }
  dest[length] = '\0';
  return length;
}

uint32_t CopyText(char* dest, uint32_t capacity, const char* source) {
  return CopyBytes(dest, capacity, source, UINT32_MAX);
}

uint32_t CopyWholeCharacters(char* dest, uint32_t capacity, const char* source) {
  uint32_t length = 0;
  while (source[length] != '\0' && length + 1 < capacity) {
    const bool lead = platform::IsLeadByte(static_cast<uint8_t>(source[length]));
    if (lead && (source[length + 1] == '\0' || length + 2 >= capacity)) break;
    length += lead ? 2 : 1;
  }
  return CopyBytes(dest, capacity, source, length);
}

uint32_t AppendText(char* dest, uint32_t capacity, const char* source) {
  uint32_t length = 0;
  while (length < capacity && dest[length] != '\0') ++length;
  if (length >= capacity) return length;
  return length + CopyText(dest + length, capacity - length, source);
}

bool ComparePrefix(const char* text, const char* prefix, uint32_t length) {
  for (uint32_t i = 0; i < length; ++i) {
    if (text[i] != prefix[i]) return false;
    if (text[i] == '\0') return true;
  }
  return true;
}
