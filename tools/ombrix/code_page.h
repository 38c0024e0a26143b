// The Windows ANSI code page that member names and the settings' texts are written in, and the
// conversions between it and the UTF-8 that Linux speaks, with glibc's iconv.
#pragma once

#include <CLI/CLI.hpp>
#include <array>
#include <optional>
#include <string>
#include <string_view>

class CodePage {
 public:
  // The systems this format comes from write Japanese names.
  static constexpr unsigned kDefault = 932;

  // Throws ToolError when iconv has no such code page.
  explicit CodePage(unsigned number = kDefault);

  unsigned Number() const { return number_; }

  // Whether byte starts a two-byte character, whose second byte may be any, a backslash included.
  bool IsLeadByte(unsigned char byte) const { return leadBytes_[byte]; }

  // UTF-8 for text in the code page; a byte that is not valid there comes out as "\xNN".
  std::string ToUtf8(std::string_view text) const;

  // The text in the code page, or nothing when it is not UTF-8 or the code page lacks one of its
  // characters.
  std::optional<std::string> FromUtf8(std::string_view utf8) const;

 private:
  unsigned number_;
  std::string name_;  // iconv's
  std::array<bool, 256> leadBytes_{};
};

// The code page of this run's archives, as --codepage chose it; the platform's lead bytes follow
// it, so that names are split into directories as a Windows system of that code page splits them.
const CodePage& ArchiveCodePage();
void UseArchiveCodePage(unsigned number);

// The --codepage option of a command that reads or writes member names.
void AddCodePageOption(CLI::App& command);
