// A fresh work area and scripted platform for each test, with the process stop turned into an
// exception that carries the exit status.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix/posix_hooks.h"
#include "startup/work_area.h"

struct ProcessEnded {
  int status;
};

class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  platform::posix::Hooks& hooks() { return platform::posix::GetHooks(); }
  // A path in a directory of this test's own, removed afterwards.
  std::string TempPath(const std::string& name) const;
  std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) const;
  std::vector<uint8_t> ReadFileBytes(const std::string& path) const;
  // The texts of the message boxes shown so far.
  std::vector<std::string> BoxTexts() const;
  // "\"<subject>\" message", as ReportError shows it; the subject is the program file unless
  // given.
  static std::string ErrorText(const char* message, const std::string& subject = "");

  std::filesystem::path tempDir_;
};

// Runs statement and returns the status it ended the process with; fails the test when it
// returns normally.
std::vector<uint8_t> Bytes(const std::string& text);

#define EXPECT_PROCESS_ENDS(statement, expected)               \
  do {                                                         \
    try {                                                      \
      statement;                                               \
      ADD_FAILURE() << "the process did not end: " #statement; \
    } catch (const ProcessEnded& ended) {                      \
      EXPECT_EQ(ended.status, expected);                       \
    }                                                          \
  } while (0)
