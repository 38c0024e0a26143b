// The command tail: skipping the program name, tokenizing, and reading the options.
#pragma once

#include <cstdint>

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

// An option as the command line gave it, before it is resolved against the settings flags.
enum OptionState : int { kOptionNotGiven = 0, kOptionOn = 1, kOptionOff = 2 };

struct CommandOptions {
  OptionState autoStart;
  OptionState noDateCompare;  // -c gives on, -c- gives off
  bool dirGiven;
  char dir[256];  // bounded to installDir
};

CommandOptions ReadOptions(const TokenList& list);

// The final switches, from the options and the settings flags.
int ResolveAutoStart(OptionState given, uint8_t flags);
int ResolveDateCompare(OptionState noDateCompare, uint8_t flags);
