// The header walk over archives that are valid: which members it finds, under which paths, with
// which attributes.
#include "archive_fixture.h"

namespace {

Member Packed(char letter, const std::string& fileName) {
  Member member = TextMember("", fileName, "not really compressed");
  member.method = std::string("-lh") + letter + "-";
  return member;
}

Member WithOs(uint8_t osId) {
  Member member = TextMember("", "f");
  member.osId = osId;
  member.attributes = kAttrReadOnly | kAttrHidden;
  return member;
}

Member WithLevel(uint8_t level) {
  Member member = TextMember("", "level");
  member.headerLevel = level;
  return member;
}

Member WithExtra(Member member, std::vector<ExtHeader> extra) {
  member.extraHeaders = std::move(extra);
  return member;
}

struct WalkCase {
  const char* name;
  std::vector<Member> members;
  std::vector<WalkedMember> expected;
};

const WalkCase kWalkCases[] = {
    {"FilesDirectoriesAndEveryMethod",
     {TextMember("", "a.txt"), DirectoryMember("sub" + kSep, 0),
      TextMember("sub" + kSep + "deep" + kSep, "c.txt", std::string(3000, 'c')), Packed('4', "p4"),
      Packed('5', "p5"), Packed('6', "p6"), Packed('7', "p7")},
     {{"a.txt", '0', 0x20},
      {"sub/", 'd', 0x10},
      {"sub/deep/c.txt", '0', 0x20},
      {"p4", '4', 0x20},
      {"p5", '5', 0x20},
      {"p6", '6', 0x20},
      {"p7", '7', 0x20}}},
    {"ReservedNamesInsideADirectoryAreOrdinaryPaths",
     {TextMember("x" + kSep, "!"), TextMember("y" + kSep, "$"), TextMember("", "!")},
     {{"x/!", '0', 0x20}, {"y/$", '0', 0x20}, {"!", '0', 0x20}}},
    {"AttributeHeaderCountsOnlyFromDosAndWindows",
     {WithOs('U'), WithOs(0), WithOs('M'), WithOs('W'), WithOs('w')},
     {{"f", '0', 0x20}, {"f", '0', 0x20}, {"f", '0', 0x03}, {"f", '0', 0x03}, {"f", '0', 0x03}}},
    {"LaterDuplicateExtendedHeaderWins",
     {WithExtra(TextMember("first" + kSep, "first"), {{kExtFileName, Bytes("second")},
                                                      {kExtDirName, Bytes("other" + kSep)},
                                                      {kExtAttributes, {kAttrSystem, 0}}})},
     {{"other/second", '0', kAttrSystem}}},
    {"HeaderLevelIsNotChecked",
     {WithLevel(0), WithLevel(1), WithLevel(255)},
     {{"level", '0', 0x20}, {"level", '0', 0x20}, {"level", '0', 0x20}}},
    {"DirectoryNameWithoutAClosingSeparatorGetsOne",
     {TextMember("subdir" + kSep + "subdir2", "hello.txt"), TextMember(kSep + "root" + kSep, "r")},
     {{"subdir/subdir2/hello.txt", '0', 0x20}, {"/root/r", '0', 0x20}}},
    {"EverySeparatorBecomesASlash",
     {TextMember("", "dir\\file.txt"), TextMember("a/b\\c" + kSep, "d")},
     {{"dir/file.txt", '0', 0x20}, {"a/b/c/d", '0', 0x20}}},
    {"WithoutAFileNameThePathIsTheDirectoryName",
     {[] {
       Member member = TextMember("only" + kSep + "dir" + kSep, "ignored");
       member.fileName.reset();
       return member;
     }()},
     {{"only/dir/", '0', 0x20}}},
    {"PathOfTheFullCapacity",
     {TextMember(std::string(200, 'd') + kSep, std::string(58, 'f'))},
     {{std::string(200, 'd') + "/" + std::string(58, 'f'), '0', 0x20}}},
    {"UnknownExtendedHeadersAreSkipped",
     {WithExtra(TextMember("", "u"), {{0x7F, Bytes("whatever")}, {0x41, {}}})},
     {{"u", '0', 0x20}}},
};

class ArchiveWalkTest : public ArchiveTest, public ::testing::WithParamInterface<WalkCase> {};

TEST_P(ArchiveWalkTest, FindsEveryMemberThenTheEnd) {
  UseMembers(GetParam().members);
  EXPECT_EQ(Walk(), GetParam().expected);
  EXPECT_FALSE(work->failed);
  EXPECT_TRUE(hooks().boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Archives, ArchiveWalkTest, ::testing::ValuesIn(kWalkCases),
                         [](const auto& test) { return std::string(test.param.name); });

using ArchiveHeaderTest = ArchiveTest;

// In Shift-JIS a trail byte may be 0x5C: a directory name ending in such a character still needs
// its separator.
TEST_F(ArchiveHeaderTest, DirectoryEndingInATrailByteOfBackslashGetsASeparator) {
  hooks().codePage932 = true;
  UseMembers({TextMember("\x95\x5C", "f"), TextMember("\x95\x5C" + kSep, "g")});
  EXPECT_EQ(Walk(),
            (std::vector<WalkedMember>{{"\x95\x5C/f", '0', 0x20}, {"\x95\x5C/g", '0', 0x20}}));
}

// Tools that look at one byte take a header size whose low byte is 0 for the end mark.
TEST_F(ArchiveHeaderTest, HeaderSizeWithALowByteOfZeroIsPaddedAndStillReadWhole) {
  // 26 fixed + 5 CRC + 5 attributes + 3 + name = 256 without padding.
  const Member member = TextMember("", std::string(217, 'n'));
  const std::vector<uint8_t> header = EncodeMemberHeader(member);
  ASSERT_EQ(header.size(), 257u);
  EXPECT_EQ(header[0], 1);
  UseMembers({member, TextMember("", "next")});
  EXPECT_EQ(Walk(),
            (std::vector<WalkedMember>{{std::string(217, 'n'), '0', 0x20}, {"next", '0', 0x20}}));
}

}  // namespace
