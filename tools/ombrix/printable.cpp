#include "ombrix/printable.h"

#include <cstdio>
#include <ctime>

namespace {

// The length of the UTF-8 character that starts text, or 0 when it starts none.
size_t Utf8Length(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const size_t length = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (length == 0 || lead > 0xF4 || length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

}  // namespace

bool IsUtf8(std::string_view text) {
  for (size_t length; !text.empty(); text.remove_prefix(length)) {
    if ((length = Utf8Length(text)) == 0) return false;
  }
  return true;
}

std::string Printable(std::string_view text) {
  std::string shown;
  while (!text.empty()) {
    const auto byte = static_cast<unsigned char>(text[0]);
    const size_t length = Utf8Length(text);
    if (length != 0 && byte >= 0x20 && byte != 0x7F) {
      shown += text.substr(0, length);
      text.remove_prefix(length);
      continue;
    }
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    shown += escaped;
    text.remove_prefix(1);
  }
  return shown;
}

std::string UtcTime(uint32_t seconds) {
  const auto time = static_cast<time_t>(seconds);
  std::tm parts{};
  gmtime_r(&time, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}
