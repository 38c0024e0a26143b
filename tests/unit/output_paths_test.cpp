// The path macros as the system answers them, and where members land under which names.
#include <filesystem>
#include <functional>

#include "archive/name_sanitizer.h"
#include "archive/output_path.h"
#include "archive/path_macros.h"
#include "base/text.h"
#include "core_test.h"

namespace {

using platform_double::Hooks;
using OutputPathTest = CoreTest;

TEST_F(OutputPathTest, NamesAreFittedToTheVolume) {
  // clang-format off
  const std::tuple<std::string, int, std::string> cases[] = {  // more run in the stub end to end
      {"..", 0, "_."}, {"..", 1, ".."}, {"a+b,c;d", 0, "a_b_c_d"}, {"a+,; b:c*", 1, "a+,; b_c_"},
      {std::string(300, 'n'), 1, std::string(255, 'n')},
      {"abcdefg\x82\xA0.txt", 0, "abcdefg.txt"},  // the double-byte character is not split
      {"\x83\x5B\x83\x5B.txt", 0, "\x83\x5B\x83\x5B.txt"},  // a trail byte is no '['
      {"\x81.abcdefghij", 0, "\x81.abcdef"},                   // nor a '.', were it one
  };
  // clang-format on
  hooks().isLeadByte = platform_double::ShiftJisLeadByte;
  for (auto [path, longNames, expected] : cases) {
    SanitizePath(path.data(), longNames);
    EXPECT_EQ(path.c_str(), expected);
  }
}

struct MacroCase {
  std::string text, expected;
  std::function<void(Hooks&)> arrange = {};
  const char* fileName = "";
};

// The default system answers C:\WINDOWS, C:\WINDOWS\SYSTEM, TEMP C:\WINDOWS\TEMP and a
// registered C:\Program Files; extraction.py runs %WinDir% and %WORK% in the stub.
TEST_F(OutputPathTest, MacrosExpandInOrderWithTheirFallBacks) {
  // clang-format off
  const MacroCase cases[] = {
      {"%WORK%\\a", "D:\\TMP\\a",
       [](Hooks& h) { h.environment = {{"TEMP", std::string(256, 't')}, {"TMP", "D:\\TMP"}}; }},
      {"%WORK%", ".\\TEMP", [](Hooks& h) { h.environment.clear(), h.windowsDirectory = "."; }},
      {"%WORK%", "E:\\CUR", [](Hooks& h) {
         h.environment.clear(), h.windowsDirectory.clear(), h.currentDirectory = "E:\\CUR"; }},
      {"%WinRoot%\\f", "C:\\f"}, {"%SystemDir%/x/y", "C:\\WINDOWS\\SYSTEM\\x\\y"},
      {"%ProgramFiles%\\A", "C:\\Program Files\\A"},
      {"%ProgramFiles%\\A", "C:\\A", [](Hooks& h) { h.win32s = true; }},
      {"%Search%\\f", "C:\\WINDOWS\\SYSTEM\\f", {}, "f"},  // found, but too long to take
      {"%Search%", "%Search%"}, {"%windir%/a", "%windir%\\a"}, {"x%WinDir%", "x%WinDir%"},
  };
  // clang-format on
  for (const MacroCase& c : cases) {
    platform_double::ResetHooks();
    hooks().searchPath = {{"f", "D:\\" + std::string(253, 's') + "\\f"}};
    if (c.arrange) c.arrange(hooks());
    char text[kPathCapacity];
    CopyText(text, sizeof text, c.text.c_str());
    ExpandPathMacro(text, sizeof text, c.fileName, platform::IsWin32s());
    EXPECT_EQ(text, c.expected) << c.text;
  }
  EXPECT_TRUE(std::filesystem::is_directory("TEMP"));
}

TEST_F(OutputPathTest, WhereMembersLand) {
  // clang-format off
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"", "a/b", "a\\b"}, {"D:", "a", "D:a"}, {"C:\\Dir", "E:/x/f", "E:\\x\\f"},
      {"C:\\Dir", "/r/f", "C:\\r\\f"}, {"\\\\srv\\share", "/r/f", "\\r\\f"},
      {"C:\\Dir", "a/f", "C:\\Dir/a\\f"}, {"C:\\", "f", "C:\\f"},
      {"C:\\\x95\x5C", "f", "C:\\\x95\x5C/f"},  // its last character is no backslash
      {"C:\\Dir", "%Search%/f.dll", "D:\\BIN\\f.dll"},  // found by the member's own name
      {"C:\\Dir", "%Search%/\x95\x5Cz", "D:\\BIN\\\x95\x5Cz"},  // whose trail byte is no backslash
  };
  // clang-format on
  hooks().isLeadByte = platform_double::ShiftJisLeadByte;
  hooks().searchPath = {{"f.dll", "D:\\BIN\\f.dll"}, {"\x95\x5Cz", "D:\\BIN\\x"}};
  for (const auto& [dir, member, expected] : cases) {
    char memberPath[kPathCapacity], out[kOutPathCapacity];
    CopyText(memberPath, sizeof memberPath, member);
    BuildOutputPath(out, dir, memberPath, 0);
    EXPECT_EQ(std::string(out), expected) << dir << " " << member;
  }
}

}  // namespace
