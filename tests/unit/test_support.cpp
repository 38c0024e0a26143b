#include "test_support.h"

#include <unistd.h>

#include <fstream>
#include <iterator>

#include "platform/platform.h"

void CoreTest::SetUp() {
  platform::posix::ResetHooks();
  hooks().endProcess = [](int status) { throw ProcessEnded{status}; };
  hooks().answerBox = [](const platform::posix::MessageBoxRecord&) { return platform::kAnswerYes; };
  work = static_cast<WorkArea*>(platform::AllocZeroed(sizeof(WorkArea)));
  program = ProgramState{};
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  tempDir_ = std::filesystem::temp_directory_path() /
             ("ombrix-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
              std::to_string(::getpid()));
  std::filesystem::remove_all(tempDir_);
  std::filesystem::create_directories(tempDir_);
}

void CoreTest::TearDown() {
  if (work != nullptr) {
    platform::Release(work->header);
    platform::Release(work);
    work = nullptr;
  }
  platform::posix::ResetHooks();
  std::filesystem::remove_all(tempDir_);
}

std::string CoreTest::TempPath(const std::string& name) const {
  return (tempDir_ / name).string();
}

std::string CoreTest::WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) const {
  const std::string path = TempPath(name);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::vector<uint8_t> CoreTest::ReadFileBytes(const std::string& path) const {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> CoreTest::BoxTexts() const {
  std::vector<std::string> texts;
  for (const auto& box : platform::posix::GetHooks().boxes) texts.push_back(box.text);
  return texts;
}

std::string CoreTest::ErrorText(const char* message, const std::string& subject) {
  return "\"" + (subject.empty() ? std::string(work->modulePath) : subject) + "\" " + message;
}

std::vector<uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}
