// The command line taken apart: the program name skipped, the tail split, the options read.
#include <cstring>
#include <vector>

#include "fuzz_harness.h"
#include "startup/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<char> line(data, data + size);  // and its terminator: a read past it is caught
  line.push_back('\0');
  platform_double::ResetHooks();
  const char* tail = SkipProgramName(line.data());
  CheckThat(tail >= line.data() && tail <= &line.back(), "the tail lies outside the line");
  TokenList tokens = TokenizeCommandTail(tail);
  CheckThat(tokens.tokens != nullptr && tokens.count <= kMaxTokens, "a broken token table");
  size_t tokenBytes = 0;
  for (uint32_t i = 0; i < tokens.count; ++i) {
    CheckThat(std::strchr(tokens.tokens[i], '"') == nullptr, "a token kept a quote");
    tokenBytes += std::strlen(tokens.tokens[i]);
  }
  CheckThat(tokenBytes <= std::strlen(tail), "tokens hold more than the tail");
  CheckThat(AllTerminated(ReadOptions(tokens).dir), "the directory is not terminated");
  FreeTokens(tokens);
  return 0;
}
