#include "setup/setup_fields.h"

static bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool TakeField(const char** cursor, char* dest, uint32_t capacity) {
  const char* p = *cursor;
  bool quoted = false;
  uint32_t length = 0;
  bool fits = true;
  for (; IsLineByte(*p); ++p) {
    if (*p == ',' && !quoted) {
      ++p;
      break;
    }
    if (*p == '"') {
      quoted = !quoted;
    } else if (length + 1 < capacity) {
      dest[length++] = *p;
    } else {
      fits = false;
    }
  }
  dest[length] = '\0';
  *cursor = p;
  return fits;
}

const char* SplitCommand(char* dest, uint32_t capacity, const char* command) {
  const char* p = command;
  while (IsBlank(*p)) ++p;
  uint32_t length = 0;
  const bool quoted = *p == '"';
  if (quoted) ++p;
  for (; *p != '\0' && (quoted ? *p != '"' : !IsBlank(*p)); ++p) {
    if (length + 1 < capacity) dest[length++] = *p;
  }
  if (quoted && *p == '"') ++p;
  dest[length] = '\0';
  while (IsBlank(*p)) ++p;
  return p;
}
