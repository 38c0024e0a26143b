#include <sys/stat.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "lzh_block_writer.h"
#include "ombrix/data_crc.h"
#include "ombrix/extract_command.h"
#include "ombrix/lzh_writer.h"
#include "ombrix/test_command.h"
#include "startup/messages.h"
#include "test_support.h"

namespace {

constexpr uint32_t kTime = 1600000000;

// "abcabcabc..." compressed: three literals and a match.
Member CompressedMember(const std::string& dirName, const std::string& fileName) {
  LzhBlockWriter writer('5');
  writer.StartBlock(4, EveryoneCodes(14));
  for (char c : std::string("abc")) writer.Literal(static_cast<uint8_t>(c));
  writer.Match(30, 2);
  Member member = StoredFileMember(dirName, fileName, writer.bits().Bytes(), kTime, kAttrArchive);
  member.method = "-lh5-";
  member.unpackedSize = static_cast<uint32_t>(writer.expected().size());
  member.dataCrc = Crc16(writer.expected());
  return member;
}

}  // namespace

class ToolCommandTest : public CoreTest {
 protected:
  std::string Archive(const std::vector<Member>& members) {
    return WriteFile("archive.lzh", BuildArchive(members));
  }
  std::filesystem::path Target() const { return tempDir_ / "out"; }
  std::string Written(const std::string& name) const {
    const auto bytes = ReadFileBytes((Target() / name).string());
    return {bytes.begin(), bytes.end()};
  }
};

TEST_F(ToolCommandTest, TestNamesEveryGoodMember) {
  const std::string archive = Archive({StoredFileMember("", "plain.txt", Bytes("hi"), kTime, 0),
                                       DirectoryMember(ToStoredDirName("docs/"), kTime),
                                       CompressedMember(ToStoredDirName("docs/"), "abc.txt")});
  std::ostringstream out;
  EXPECT_EQ(TestArchive(archive, out), 0);
  EXPECT_EQ(out.str(), "plain.txt: OK\ndocs/: OK\ndocs/abc.txt: OK\n");
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(ToolCommandTest, TestStopsAtAMemberThatMissesItsCrc) {
  Member bad = CompressedMember("", "bad.txt");
  bad.dataCrc ^= 1;
  const std::string archive =
      Archive({bad, StoredFileMember("", "after.txt", Bytes("x"), kTime, 0)});
  std::ostringstream out;
  EXPECT_EQ(TestArchive(archive, out), 1);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"\"bad.txt\" CRC ERROR"});
}

TEST_F(ToolCommandTest, ExtractWritesFilesAndDirectoriesButNotTheReservedMembers) {
  const std::string archive = Archive({StoredFileMember("", "!", Bytes("notice"), kTime, 0),
                                       StoredFileMember("", "$", Bytes("$Command=x"), kTime, 0),
                                       DirectoryMember(ToStoredDirName("empty/"), kTime),
                                       CompressedMember(ToStoredDirName("docs/"), "abc.txt")});
  EXPECT_EQ(ExtractArchive(archive, Target().string()), 0);
  EXPECT_EQ(Written("docs/abc.txt"), "abcabcabcabcabcabcabcabcabcabcabc");
  EXPECT_TRUE(std::filesystem::is_directory(Target() / "empty"));
  EXPECT_FALSE(std::filesystem::exists(Target() / "!"));
  EXPECT_FALSE(std::filesystem::exists(Target() / "$"));
  struct stat info {};
  ASSERT_EQ(::stat((Target() / "docs/abc.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mtime, kTime);
}

TEST_F(ToolCommandTest, ExtractDeletesAMemberThatMissesItsCrc) {
  Member bad = StoredFileMember("", "bad.txt", Bytes("data"), kTime, 0);
  bad.dataCrc ^= 1;
  EXPECT_EQ(ExtractArchive(Archive({bad}), Target().string()), 1);
  EXPECT_FALSE(std::filesystem::exists(Target() / "bad.txt"));
  EXPECT_EQ(BoxTexts(),
            std::vector<std::string>{"\"" + (Target() / "bad.txt").string() + "\" " + kCrcError});
}

// Rooted and drive-named members land inside the target; one with a way up is refused by name
// while the members after it are still written.
TEST_F(ToolCommandTest, ExtractPlacesRootedNamesInsideAndRefusesAWayUp) {
  const std::string sep(1, static_cast<char>(kDirSeparator));
  const std::string archive = Archive(
      {StoredFileMember(sep + "r" + sep, "rooted.txt", Bytes("r"), kTime, 0),
       StoredFileMember("C:" + sep, "drive.txt", Bytes("d"), kTime, 0),
       StoredFileMember("in" + sep + ".." + sep + ".." + sep, "up.txt", Bytes("x"), kTime, 0),
       StoredFileMember("", "after.txt", Bytes("a"), kTime, 0)});
  testing::internal::CaptureStderr();
  EXPECT_EQ(ExtractArchive(archive, Target().string()), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("\"in/../../up.txt\""), std::string::npos);
  EXPECT_EQ(Written("r/rooted.txt"), "r");
  EXPECT_EQ(Written("drive.txt"), "d");
  EXPECT_EQ(Written("after.txt"), "a");
  EXPECT_FALSE(std::filesystem::exists(tempDir_ / "up.txt"));
}
