// The stub started under DOS (DOSBox, headless): it prints its Japanese message and exits with 1.
#include "imagewriter/dos_program.h"

#include <cstdlib>
#include <string>

#include "image_test_support.h"
#include "imagewriter/dos_text.h"

namespace {

using StubDosProgramTest = StubImageTest;

class TempDirectory {
 public:
  TempDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ombrix-dos-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempDirectory() {
    if (!path_.empty()) std::filesystem::remove_all(path_);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

TEST_F(StubDosProgramTest, PrintsTheMessageInShiftJisAndExitsWithOne) {
  ASSERT_EQ(std::system("command -v dosbox >/dev/null"), 0)
      << "dosbox is not installed (Debian package dosbox)";
  TempDirectory dir;
  ASSERT_FALSE(dir.path().empty());
  // DOS needs an 8.3 name.
  std::filesystem::copy_file(OMBRIX_STUB_PATH, dir.path() / "SFX.EXE");

  // Redirection truncates its file even when the IF is false, so each level gets its own file.
  const std::string command = "cd '" + dir.path().string() + "' && HOME=. SDL_VIDEODRIVER=dummy " +
                              "SDL_AUDIODRIVER=dummy timeout 30 dosbox -noconsole " +
                              "-c 'mount c .' -c c: -c 'SFX.EXE > OUT.TXT' " +
                              "-c 'if errorlevel 1 echo 1 > LEVEL1.TXT' " +
                              "-c 'if errorlevel 2 echo 2 > LEVEL2.TXT' -c exit >DOSBOX.LOG 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0)
      << "dosbox failed or timed out; see " << ReadFileText(dir.path() / "DOSBOX.LOG");

  const std::vector<uint8_t> expected =
      imagewriter::ConvertToDosText(ReadFileText(OMBRIX_DOS_MESSAGE_PATH));
  const std::vector<uint8_t> printed = ReadFileBytes(dir.path() / "OUT.TXT");
  EXPECT_EQ(printed, expected);
  // "自己解凍" in Shift-JIS: the text really is Japanese in the DOS code page.
  const std::string selfExtracting = "\x8E\xA9\x8C\xC8\x89\xF0\x93\x80";
  EXPECT_NE(std::string(printed.begin(), printed.end()).find(selfExtracting), std::string::npos);

  EXPECT_EQ(ReadFileText(dir.path() / "LEVEL1.TXT").substr(0, 1), "1") << "exit code below 1";
  EXPECT_EQ(ReadFileText(dir.path() / "LEVEL2.TXT"), "") << "exit code above 1";
}

TEST(DosTextTest, LineEndsBecomeCrLfAndTheLastLineIsEnded) {
  const struct {
    const char* utf8;
    std::string dos;
  } cases[] = {
      {"a\nb\n", "a\r\nb\r\n"},
      {"a\r\nb\r\n", "a\r\nb\r\n"},
      {"a\nb", "a\r\nb\r\n"},
      {"\xE6\x9B\xB8\xE5\xBA\xAB", "\x8F\x91\x8C\xC9\r\n"},  // 書庫
  };
  for (const auto& c : cases) {
    const std::vector<uint8_t> dos = imagewriter::ConvertToDosText(c.utf8);
    EXPECT_EQ(std::string(dos.begin(), dos.end()), c.dos) << c.utf8;
  }
}

TEST(DosTextTest, RefusesWhatDosCannotPrint) {
  // No code page 932 form.
  EXPECT_THROW(imagewriter::ConvertToDosText("\xF0\x9F\x98\x80"), pe::ImageError);
  // '$' would end the text early.
  const std::vector<uint8_t> dollar = {'U', 'S', '$', '\r', '\n'};
  EXPECT_THROW(imagewriter::BuildDosProgram(dollar), pe::ImageError);
}

}  // namespace
