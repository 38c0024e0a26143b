#include "startup/command_line.h"

#include <string>

#include "test_support.h"

namespace {

struct TailCase {
  const char* name;
  const char* tail;
  uint8_t flags;
  int autoStart;
  int dateCompare;
  const char* dir;  // null: no directory taken
};

const TailCase kTails[] = {
    {"EmptyTailFollowsFlags", "", kFlagAutoStart | kFlagNoDateCompare, 1, 0, nullptr},
    {"FirstTokenIsNeverTheDirectory", "C:\\Setup", 0, 0, 1, nullptr},
    {"AutoStartThenDirectory", "-n C:\\Setup", 0, 1, 1, "C:\\Setup"},
    {"AnyFirstWordThenDirectory", "word C:\\Setup", 0, 0, 1, "C:\\Setup"},
    {"OptionAfterDirectoryIsIgnored", "-n C:\\Dir -c", 0, 1, 1, "C:\\Dir"},
    {"QuotedOptionActs", "\"-c-\" -n", kFlagNoDateCompare, 1, 0, nullptr},
    {"NoAutoStartBeatsFlag", "-n-", kFlagAutoStart, 0, 1, nullptr},
    {"CompareDatesDoesNotBeatFlag", "-c-", kFlagNoDateCompare, 0, 0, nullptr},
    {"NoDateCompareOption", "-c", 0, 0, 0, nullptr},
    {"UpperCaseLetter", "-N -C", 0, 1, 0, nullptr},
    {"LongerOptionWordCounts", "-nothing", 0, 1, 1, nullptr},
    {"UnknownOptionIsSkipped", "-x -n", 0, 1, 1, nullptr},
    {"LastRepetitionCounts", "-n -n- -c -c-", kFlagAutoStart, 0, 1, nullptr},
    {"QuotedDirectoryWithBlanks", "-n \"C:\\Program Files\\My App\"", 0, 1, 1,
     "C:\\Program Files\\My App"},
    {"QuotesInsideAToken", "-n C:\\\"a b\"\\c", 0, 1, 1, "C:\\a b\\c"},
    {"UnclosedQuoteRunsToTheEnd", "-n \"C:\\a b", 0, 1, 1, "C:\\a b"},
    {"ControlBytesSeparate", "-n\tC:\\Tab", 0, 1, 1, "C:\\Tab"},
    {"LoneDashIsIgnored", "- -c", 0, 0, 0, nullptr},
};

class TailTest : public CoreTest, public ::testing::WithParamInterface<TailCase> {};

TEST_P(TailTest, ResolvesAgainstFlags) {
  const TailCase& c = GetParam();
  TokenList tokens = TokenizeCommandTail(c.tail);
  const CommandOptions options = ReadOptions(tokens);
  FreeTokens(tokens);
  EXPECT_EQ(ResolveAutoStart(options.autoStart, c.flags), c.autoStart);
  EXPECT_EQ(ResolveDateCompare(options.noDateCompare, c.flags), c.dateCompare);
  EXPECT_EQ(options.dirGiven, c.dir != nullptr);
  if (c.dir != nullptr) {
    EXPECT_STREQ(options.dir, c.dir);
  }
}

INSTANTIATE_TEST_SUITE_P(Tails, TailTest, ::testing::ValuesIn(kTails),
                         [](const auto& test) { return test.param.name; });

using TokenizerTest = CoreTest;

TEST_F(TokenizerTest, SkipsProgramName) {
  EXPECT_STREQ(SkipProgramName("\"C:\\my dir\\x.exe\"  -n d"), "-n d");
  EXPECT_STREQ(SkipProgramName("x.exe\t -n"), "-n");
  EXPECT_STREQ(SkipProgramName("\"unclosed -n"), "");
  EXPECT_STREQ(SkipProgramName("x.exe"), "");
}

TEST_F(TokenizerTest, TokensPastTheTableAreIgnored) {
  std::string tail;
  for (int i = 0; i < 1100; ++i) tail += "-x ";
  tail += "-n";
  TokenList tokens = TokenizeCommandTail(tail.c_str());
  EXPECT_EQ(tokens.count, kMaxTokens);
  EXPECT_EQ(ReadOptions(tokens).autoStart, kOptionNotGiven);
  FreeTokens(tokens);
}

TEST_F(TokenizerTest, FailedTokenAllocationKeepsTheTokensGathered) {
  hooks().allocationsBeforeFailure = 3;  // the table and two tokens
  TokenList tokens = TokenizeCommandTail("-n -c dir");
  ASSERT_EQ(tokens.count, 2u);
  EXPECT_STREQ(tokens.tokens[1], "-c");
  FreeTokens(tokens);
}

TEST_F(TokenizerTest, FailedTableAllocationGivesNoTokens) {
  hooks().allocationsBeforeFailure = 0;
  TokenList tokens = TokenizeCommandTail("-n");
  EXPECT_EQ(tokens.count, 0u);
  EXPECT_EQ(ReadOptions(tokens).autoStart, kOptionNotGiven);
}

// The field holds 255 bytes; a double-byte character across that edge is left out whole.
TEST_F(TokenizerTest, LongDirectoryIsCutWithoutSplittingACharacter) {
  hooks().codePage932 = true;
  for (const auto& [tail, kept] : {std::pair{std::string(400, 'd'), std::string(255, 'd')},
                                   {std::string(254, 'd') + "\x95\x5Cz", std::string(254, 'd')}}) {
    TokenList tokens = TokenizeCommandTail(("-n " + tail).c_str());
    const CommandOptions options = ReadOptions(tokens);
    FreeTokens(tokens);
    EXPECT_EQ(std::string(options.dir), kept);
  }
}

}  // namespace
