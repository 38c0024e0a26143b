#include "core_test.h"

#include <unistd.h>

#include <cstring>

#include "base/text.h"
#include "decode_into_sink.h"
#include "ombrix/commands.h"

using platform_double::GetHooks;

void CoreTest::SetUp() {
  platform_double::ResetHooks();
  area_ = std::make_unique<PassArea>();
  run().program.file = run().output.file = platform::kNoFile;
  BuildCrcTable(area_->crc, kCrcPolynomial);
  tempDir_ = std::filesystem::temp_directory_path() / ("ombrix-test-" + std::to_string(::getpid()));
  std::filesystem::remove_all(tempDir_);
  std::filesystem::create_directories(tempDir_);
  std::filesystem::current_path(tempDir_);
  outPath_ = (tempDir_ / "member.out").string();
}

void CoreTest::TearDown() {
  if (run().program.file != platform::kNoFile) platform::CloseRead(run().program.file);
  ReleaseHeader(area_->header);
  std::filesystem::current_path(tempDir_.parent_path());
  std::filesystem::remove_all(tempDir_);
}

std::string CoreTest::WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) const {
  const std::filesystem::path path = tempDir_ / name;
  std::filesystem::create_directories(path.parent_path());
  WriteBytes(path, bytes);
  return path.string();
}

std::vector<std::string> CoreTest::BoxTexts() const {
  std::vector<std::string> texts;
  for (const auto& box : GetHooks().boxes) texts.push_back(box.text);
  return texts;
}

std::string CoreTest::BoxMessages(const std::string& program) const {
  std::string messages;
  for (const std::string& text : BoxTexts()) {
    const size_t end = text[0] == '"' ? text.rfind("\" ") : std::string::npos;
    const std::string subject = end == std::string::npos ? "" : text.substr(1, end - 1);
    messages += "; " + (subject.empty() ? text : text.substr(end + 2));
    messages += subject.empty() || subject == program ? "" : " " + subject;
  }
  return messages;
}

std::vector<std::string> CoreTest::ItemTexts(int item) const {
  std::vector<std::string> texts;
  for (const auto& [id, text] : GetHooks().itemTexts)
    if (id == item) texts.push_back(text);
  return texts;
}

void CoreTest::UseArchive(const std::vector<uint8_t>& archive) {
  std::vector<uint8_t> file(kSettingsOffset + kSettingsSize);
  file[0] = 'M', file[1] = 'Z';
  run().settings.archiveOffset = uint32_t(file.size());
  CopyText(run().settings.windowTitle, sizeof run().settings.windowTitle, "T");
  std::memcpy(&file[kSettingsOffset], &run().settings, kSettingsSize);
  file.insert(file.end(), archive.begin(), archive.end());
  CopyText(run().program.path, kPathCapacity, WriteFile("program.exe", file).c_str());
}

std::vector<uint8_t> CoreTest::DecodeToFile(char method, const std::vector<uint8_t>& data,
                                            uint32_t unpackedSize, uint32_t packedSize,
                                            uint8_t sink) {
  std::vector<uint8_t> file = data;
  file.insert(file.end(), {'N', 'E', 'X', 'T'});
  if (run().program.file != platform::kNoFile) platform::CloseRead(run().program.file);
  DecodeIntoSink(*area_, WriteFile("program.exe", file).c_str(), outPath_.c_str(), method,
                 packedSize == UINT32_MAX ? uint32_t(data.size()) : packedSize, unpackedSize, sink);
  if (sink == kOrdinaryMember) platform::CloseOutput(run().output.file);
  run().output.file = platform::kNoFile;
  return ReadFileBytes(outPath_);
}

void CoreTest::CheckCommand(const std::string& line, int status, const std::string& out,
                            const std::string& err) const {
  std::string words = "ombrix " + line;  // each space ends an argument
  std::vector<const char*> argv = {words.data()};
  for (char& c : words)
    if (c == ' ') c = '\0', argv.push_back(&c + 1);
  testing::internal::CaptureStdout(), testing::internal::CaptureStderr();
  EXPECT_EQ(RunCommandLine(int(argv.size()), argv.data()), status) << line;
  const std::string gotOut = testing::internal::GetCapturedStdout(),
                    gotErr = testing::internal::GetCapturedStderr();
  const auto matches = [](const std::string& text, const std::string& expected) {
    return expected.starts_with('~') ? text.find(expected.substr(1)) != std::string::npos
                                     : text == expected;
  };
  EXPECT_TRUE(matches(gotOut, out)) << line << " wrote:\n" << gotOut;
  EXPECT_TRUE(matches(gotErr, err.empty() || err[0] == '~' ? err : "ombrix: " + err))
      << line << ": " << gotErr;
}
