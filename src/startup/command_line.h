// The command tail: skipping the program name, tokenizing, and reading the options.
#pragma once

#include <cstdint>

#include "archive/program_settings.h"

inline constexpr uint32_t kMaxTokens = 1024;

// A token table: strings allocated one by one, zero-filled, from the platform.
struct TokenList {
  char** tokens;  // null when the table could not be allocated
  uint32_t count;
};

// Skips the program name at the start of a full command line and the blanks after it.
const char* SkipProgramName(const char* commandLine);

// Splits the tail into tokens; quotes group blanks and are removed. Tokens past the table's
// 1024 entries are ignored; a token that cannot be allocated ends tokenizing.
TokenList TokenizeCommandTail(const char* tail);
void FreeTokens(TokenList& list);

struct CommandOptions {
  OptionState autoStart;
  OptionState noDateCompare;  // -c gives on, -c- gives off
  bool dirGiven;
  char dir[256];  // bounded to installDir
};

CommandOptions ReadOptions(const TokenList& list);
