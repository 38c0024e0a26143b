#include "ombrix/member_sources.h"

#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <utility>

#include "archive/member_header.h"
#include "lzh_encoder/lzh_encoder.h"
#include "ombrix/code_page.h"
#include "ombrix/member_record.h"
#include "ombrix/printable.h"
#include "ombrix/regular_file.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"
#include "platform/posix/file_kind.h"

namespace fs = std::filesystem;

namespace {

// What the stub can hold: its member path buffer less the terminator.
constexpr size_t kMaxMemberPath = kPathCapacity - 1;

uint32_t ClampedTime(time_t seconds, uint32_t latestTime) {
  if (seconds < 0) return 0;
  if (static_cast<uint64_t>(seconds) > latestTime) return latestTime;
  return static_cast<uint32_t>(seconds);
}

// A file too large for a member is refused from its size, before a byte of it is read.
MemberSource SourceOf(const fs::path& disk, std::string memberPath, const struct stat& info,
                      uint32_t latestTime) {
  if (S_ISREG(info.st_mode) && static_cast<uint64_t>(info.st_size) > kMaxEncoderInput) {
    throw ToolError(FormatMessage(kFileTooLarge, disk.c_str()));
  }
  return {disk,
          std::move(memberPath),
          S_ISDIR(info.st_mode),
          ClampedTime(info.st_mtime, latestTime),
          (info.st_mode & S_IWUSR) == 0,
          S_ISREG(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0};
}

// Absolute, without "." or ".." and without a trailing separator.
fs::path Normalised(const std::string& path) {
  fs::path normal = fs::absolute(path).lexically_normal();
  if (!normal.has_filename() && normal != normal.root_path()) normal = normal.parent_path();
  return normal;
}

class Collector {
 public:
  explicit Collector(uint32_t latestTime) : latestTime_(latestTime) {}

  void Add(const fs::path& disk, const std::string& name) {
    struct stat info {};
    if (::stat(disk.c_str(), &info) != 0) throw ToolError(FormatMessage(kNotFound, disk.c_str()));
    if (S_ISDIR(info.st_mode)) {
      AddDirectory(disk, name, info);
    } else if (S_ISREG(info.st_mode)) {
      if (name.empty()) throw ToolError(FormatMessage(kNoMemberName, disk.c_str()));
      Push(disk, name, info);
    } else {
      throw ToolError(FormatMessage(kNotFileOrDirectory, disk.c_str(),
                                    platform::posix::FileKind(info.st_mode)));
    }
  }

  std::vector<MemberSource> Take() { return std::move(sources_); }

 private:
  void AddDirectory(const fs::path& disk, const std::string& name, const struct stat& info) {
    const std::pair<dev_t, ino_t> identity{info.st_dev, info.st_ino};
    if (std::find(ancestors_.begin(), ancestors_.end(), identity) != ancestors_.end()) {
      throw ToolError(FormatMessage(kDirectoryLoop, disk.c_str()));
    }
    if (!name.empty()) Push(disk, name + "/", info);
    std::vector<std::string> entries;
    std::error_code error;
    for (fs::directory_iterator it(disk, error), end; !error && it != end; it.increment(error)) {
      entries.push_back(it->path().filename().string());
    }
    if (error) throw ToolError(FormatMessage(kCannotRead, disk.c_str()));
    std::sort(entries.begin(), entries.end());
    ancestors_.push_back(identity);
    for (const std::string& entry : entries) {
      Add(disk / entry, name.empty() ? entry : name + "/" + entry);
    }
    ancestors_.pop_back();
  }

  void Push(const fs::path& disk, const std::string& memberPath, const struct stat& info) {
    sources_.push_back(SourceOf(disk, StoredName(disk, memberPath), info, latestTime_));
  }

  // The name in the archive's code page, as the member stores it.
  std::string StoredName(const fs::path& disk, const std::string& memberPath) {
    const char* name = memberPath.c_str();
    const CodePage& codePage = ArchiveCodePage();
    std::optional<std::string> stored = codePage.FromUtf8(memberPath);
    if (!stored) {
      throw ToolError(IsUtf8(memberPath)
                          ? FormatMessage(kNameNotInCodePage, disk.c_str(), codePage.Number())
                          : FormatMessage(kNameNotUtf8, disk.c_str()));
    }
    if (stored->size() > kMaxMemberPath) {
      throw ToolError(FormatMessage(kNameTooLong, name, kMaxMemberPath));
    }
    if (memberPath.find_first_of(std::string{'\\', static_cast<char>(kDirSeparator)}) !=
        std::string::npos) {
      throw ToolError(FormatMessage(kNameHasSeparator, name));
    }
    if (ReservedMemberOf(name) != kOrdinaryMember)
      throw ToolError(FormatMessage(kNameReserved, name));
    if (!names_.insert(memberPath).second) throw ToolError(FormatMessage(kDuplicateName, name));
    return std::move(*stored);
  }

  uint32_t latestTime_;
  std::vector<MemberSource> sources_;
  std::set<std::string> names_;
  std::vector<std::pair<dev_t, ino_t>> ancestors_;
};

}  // namespace

std::vector<MemberSource> CollectMemberSources(const std::vector<std::string>& paths,
                                               const std::optional<std::string>& base,
                                               uint32_t latestTime) {
  Collector collector(latestTime);
  const std::optional<fs::path> baseDir =
      base ? std::optional<fs::path>(Normalised(*base)) : std::nullopt;
  for (const std::string& path : paths) {
    const fs::path disk = Normalised(path);
    if (!baseDir && !disk.has_filename()) {
      throw ToolError(FormatMessage(kNoMemberName, path.c_str()));
    }
    const fs::path relative = disk.lexically_relative(baseDir ? *baseDir : disk.parent_path());
    if (baseDir && (relative.empty() || *relative.begin() == "..")) {
      throw ToolError(FormatMessage(kOutsideBase, path.c_str(), base->c_str()));
    }
    collector.Add(disk, relative == "." ? std::string() : relative.generic_string());
  }
  return collector.Take();
}

MemberSource DescribeFile(const std::string& path, std::string memberPath, uint32_t latestTime) {
  return SourceOf(path, std::move(memberPath), RequireRegularFile(path, kNotFound), latestTime);
}

StoredName StoredNameOf(const MemberSource& source) {
  if (source.isDirectory) return {ToStoredDirName(source.memberPath), ""};
  const size_t slash = source.memberPath.rfind('/');
  if (slash == std::string::npos) return {"", source.memberPath};
  return {ToStoredDirName(source.memberPath.substr(0, slash + 1)),
          source.memberPath.substr(slash + 1)};
}
