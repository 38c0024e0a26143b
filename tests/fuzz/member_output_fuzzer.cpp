// A member on its way to its file: the output path of a directory and a member's path, fitted to
// the volume, shown and made room for; its time in DOS form; the decision about a file already
// at the path, taken on a file of this process's own.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <sstream>

#include "archive/dos_time.h"
#include "archive/member_file.h"
#include "archive/name_sanitizer.h"
#include "archive/output_path.h"
#include "archive/path_names.h"
#include "base/text.h"
#include "fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 9) return -1;
  const uint8_t options = data[0];
  uint32_t stamp, existing;
  std::memcpy(&stamp, data + 1, 4), std::memcpy(&existing, data + 5, 4);
  std::string texts[3];  // the directory, the member's path, TZ
  std::istringstream rest(std::string(data + 9, data + size));
  for (std::string& text : texts) std::getline(rest, text, '\0');
  auto& hooks = platform_double::ResetHooks();
  hooks.codePage932 = options & kOutputShiftJis, hooks.environment["TZ"] = texts[2];
  hooks.searchPath[texts[1].substr(texts[1].find_last_of("/\\:\xFF") + 1)] = "D:\\FOUND\\x";
  hooks.callsBeforeFailure[platform_double::Fault::kMakeDirectory] = 0;  // none made anywhere
  RunContext run{};
  char member[kPathCapacity], inside[kPathCapacity];
  CopyText(run.extractDir, kDirCapacity, texts[0].c_str());
  CopyText(member, kPathCapacity, texts[1].c_str()), CopyText(inside, kPathCapacity, member);
  BuildOutputPath(run.output.path, run.extractDir, member, options & kOutputWin32s);
  CheckThat(AllTerminated(run.output.path, member), "a path without its end");
  ConvertSeparators(run.output.path, '/');
  char* names = run.output.path + (run.output.path[0] != '\0' && run.output.path[1] == ':' ? 2 : 0);
  const std::string built = run.output.path;
  SanitizePath(names, options & kOutputLongNames);
  const std::string once = run.output.path;
  SanitizePath(names, options & kOutputLongNames);
  CheckThat(once == run.output.path && once.size() <= built.size() &&
                std::ranges::count(once, '/') == std::ranges::count(built, '/'),
            "fitting names again changes them, or fitting added, dropped or grew a component");
  char shown[40];
  ShortenForDisplay(shown, sizeof shown, run.output.path, 32);
  CheckThat(AllTerminated(shown) && (once.size() < 32 ? once == shown : !strncmp(shown, ".../", 4)),
            "the status line is neither the path nor its title");
  CreateParentDirectories(run.output.path);
  ConvertSeparators(inside, '/');
  const char* kept = NameInsideTarget(inside);
  CheckThat(
      !kept || (*kept != '/' && ("/" + std::string(kept) + "/").find("/../") == std::string::npos),
      "a name leads out of its target");

  // The C library's calendar is the measure; DOS has nothing before 1980.
  const uint32_t dos = UnixToDosTime(stamp);
  const time_t since1980 = std::max(stamp, 315532800u);
  std::tm t{};
  gmtime_r(&since1980, &t);
  CheckThat(dos == uint32_t((t.tm_year - 80) << 25 | (t.tm_mon + 1) << 21 | t.tm_mday << 16 |
                            t.tm_hour << 11 | t.tm_min << 5 | t.tm_sec / 2),
            "a time is not its DOS time");
  CheckThat(texts[2].find_first_of("0123456789") != std::string::npos ||
                AdjustForTimeZone(stamp) == stamp,
            "a TZ without hours moved the time");

  // What lies at the path already, and what becomes of it.
  CopyText(run.output.path, kOutPathCapacity, OwnPath("existing").c_str());
  const char kind = kOutputExisting[existing & 3];
  if (kind == 'd') mkdir(run.output.path, 0700);
  if (kind == 'f' || kind == 'r') OwnPath("existing", {'o'});
  const timespec times[2] = {{time_t(existing), 0}, {time_t(existing), 0}};
  utimensat(AT_FDCWD, run.output.path, times, 0), chmod(run.output.path, kind == 'r' ? 0400 : 0700);
  run.options = {false, false, (options & kOutputDateCompare) != 0,
                 (options & kOutputSilently) != 0};
  run.settings.keepAttributes = options & kOutputKeep;
  const int answers[] = {platform::kAnswerYes, platform::kAnswerNo, platform::kAnswerCancel, 0};
  hooks.answerBox = [answer = answers[options >> kOutputAnswerShift]](auto&) { return answer; };
  const uint32_t existingTime = platform::ExistingFileTime(run.output.path);
  const int freeAtStart = LowestFreeDescriptor();
  const OpenResult result = OpenMemberFile(run, dos);
  if (result == kOpenCreated) CheckThat(platform::CloseOutput(run.output.file), "no file to close");
  struct stat info {};
  const bool old = stat(run.output.path, &info) == 0 && (kind == 'd' || info.st_size == 1);
  CheckThat((result == kOpenCreated) == (kind != 'd' && info.st_size == 0) &&
                (result != kOpenFailed || kind == 'd') && (kind != '-' || hooks.boxes.empty()) &&
                (result == kOpenCreated || old) &&
                (result != kOpenSkip || !hooks.boxes.empty() ||
                 (run.options.dateCompare && existingTime >= dos)),
            "a file made, kept or asked about against the settings and the answer");
  std::filesystem::remove(run.output.path);
  CheckThat(LowestFreeDescriptor() == freeAtStart, "a file left open");
  return 0;
}
