// The files and directories that `pack` turns into members, with their member names.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct MemberSource {
  std::filesystem::path diskPath;
  // Relative, '/'-separated; a directory's ends with '/'.
  std::string memberPath;
  bool isDirectory = false;
  uint32_t timeStamp = 0;  // last write, Unix seconds, clamped to 32 bits and to the latest time
  bool readOnly = false;
  uint64_t size = 0;  // of a file, when it was found
  // Text that the stub shows or reads (the notice, the script): UTF-8 goes into the code page.
  bool codePageText = false;
};

// No time stamp comes out later than this: by default the end of 32-bit time, and for
// reproducible builds the time that SOURCE_DATE_EPOCH gives.
inline constexpr uint32_t kNoLatestTime = UINT32_MAX;

// Expands each path recursively, in the order given, each directory before its entries and the
// entries of a directory sorted by name, so the same tree always packs the same way. Names are
// relative to base, or, without one, to each path's parent; a path equal to base contributes its
// entries only. Throws ToolError for a path that does not exist or lies outside base, a name the
// stub could not extract as given, a duplicate name, or a directory that contains itself
// through a link.
std::vector<MemberSource> CollectMemberSources(const std::vector<std::string>& paths,
                                               const std::optional<std::string>& base,
                                               uint32_t latestTime = kNoLatestTime);

// One file under a member name of the caller's choice, unchecked: the notice and the script
// take the reserved names this way.
MemberSource DescribeFile(const std::string& path, std::string memberPath,
                          uint32_t latestTime = kNoLatestTime);

// The directory name and file name that a source's member header stores.
struct StoredName {
  std::string dirName;
  std::string fileName;
};
StoredName StoredNameOf(const MemberSource& source);
