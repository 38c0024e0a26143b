#include "startup/command_line.h"

#include "base/text.h"
#include "platform/platform.h"

using namespace platform;

static bool IsBlankOrControl(char c) {
  const auto byte = static_cast<uint8_t>(c);
  return byte >= 1 && byte <= 32;
}

const char* SkipProgramName(const char* commandLine) {
  const char* p = commandLine;
  if (*p == '"') {
    ++p;
    while (*p != '\0' && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (static_cast<uint8_t>(*p) > 32) ++p;
  }
  while (IsBlankOrControl(*p)) ++p;
  return p;
}

// Measures one token's span from p: outside quotes bytes above 32 belong to it, inside quotes
// bytes of 32 or more; quotes belong to the span and toggle quoting.
static uint32_t TokenSpan(const char* p) {
  bool quoted = false;
  uint32_t span = 0;
  for (;; ++span) {
    const auto byte = static_cast<uint8_t>(p[span]);
    if (byte == '"') {
      quoted = !quoted;
      continue;
    }
    if (quoted ? byte < 32 : byte <= 32) return span;
  }
}

TokenList TokenizeCommandTail(const char* tail) {
  TokenList list{static_cast<char**>(AllocZeroed(kMaxTokens * sizeof(char*))), 0};
  if (list.tokens == nullptr) return list;
  const char* p = tail;
  for (;;) {
    while (IsBlankOrControl(*p)) ++p;
    if (*p == '\0') break;
    const uint32_t span = TokenSpan(p);
    if (list.count < kMaxTokens) {
      char* token = static_cast<char*>(AllocZeroed(span + 1));
      if (token == nullptr) break;
      uint32_t length = 0;
      for (uint32_t i = 0; i < span; ++i) {
        if (p[i] != '"') token[length++] = p[i];
      }
      list.tokens[list.count++] = token;
    }
    p += span;
  }
  return list;
}

void FreeTokens(TokenList& list) {
  if (list.tokens == nullptr) return;
  while (list.count > 0) Release(list.tokens[--list.count]);
  Release(list.tokens);
  list.tokens = nullptr;
}

CommandOptions ReadOptions(const TokenList& list) {
  CommandOptions options{};
  for (uint32_t i = 0; i < list.count; ++i) {
    const char* token = list.tokens[i];
    if (token[0] != '-') {
      if (i == 0) continue;
      CopyWholeCharacters(options.dir, sizeof options.dir, token);
      options.dirGiven = true;
      break;  // everything after the directory is ignored, options included
    }
    const char letter = LowerChar(token[1]);
    const OptionState state = token[1] != '\0' && token[2] == '-' ? kOptionOff : kOptionOn;
    if (letter == 'n') options.autoStart = state;
    if (letter == 'c') options.noDateCompare = state;
  }
  return options;
}
