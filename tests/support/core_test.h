// A fresh platform double, pass area and temporary working directory for each test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "archive/archive_pass.h"
#include "archive_builder.h"
#include "decode/bit_reader.h"
#include "host_files.h"
#include "ombrix/tool_error.h"
#include "platform_double.h"
#include "process_ended.h"

inline const std::string kSep(1, static_cast<char>(kDirSeparator));

inline std::vector<uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}
inline Member TextMember(const std::string& dirName, const std::string& fileName,
                         const std::string& text = "data") {
  return StoredFileMember(dirName, fileName, Bytes(text), 1700000000, kAttrArchive);
}

class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  platform_double::Hooks& hooks() { return platform_double::GetHooks(); }
  RunContext& run() { return area_->run; }
  std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) const;
  // Runs the tool on the words of line; out and err (after "ombrix: ") are whole, or a part of
  // it after '~'.
  void CheckCommand(const std::string& line, int status, const std::string& out,
                    const std::string& err = "") const;
  std::vector<std::string> BoxTexts() const;
  std::vector<std::string> ItemTexts(int item) const;
  // Each box as "; message subject", the subject left out when it is program or none.
  std::string BoxMessages(const std::string& program) const;
  // "\"subject\" message", as ReportError shows it; the subject is the program file unless given.
  std::string ErrorText(const char* message, const std::string& subject = "") const {
    return "\"" + (subject.empty() ? std::string(area_->run.program.path) : subject) + "\" " +
           message;
  }

  // A program file with the archive, set up as start-up leaves it.
  void UseArchive(const std::vector<uint8_t>& archive);
  // Decodes data (more bytes follow it) into outPath_ or the text sink; what outPath_ then holds.
  std::vector<uint8_t> DecodeToFile(char method, const std::vector<uint8_t>& data,
                                    uint32_t unpackedSize, uint32_t packedSize = UINT32_MAX,
                                    uint8_t sink = kOrdinaryMember);

  std::filesystem::path tempDir_;
  std::string outPath_;
  std::unique_ptr<PassArea> area_;
};
