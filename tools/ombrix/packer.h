// Packing: a stub with its settings block and the members behind it, or a plain LZH archive.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ombrix/member_builder.h"
#include "ombrix/member_sources.h"
#include "ombrix/settings_writer.h"

class OutputFile;

struct PackOptions {
  bool plain = false;
  std::string stubPath;  // empty: the stub built into the tool
  std::string outPath;
  PackSettings settings;  // archiveOffset is the stub's size
  bool checkValue = false;
  std::optional<std::string> noticePath;
  std::optional<std::string> scriptPath;
  std::optional<std::string> base;
  std::vector<std::string> paths;
  // Members of another archiver's archive, carried as they are after the notice and the script.
  std::optional<std::string> foreignArchive;
  MemberCompression compression{FindMethod('7'), kDefaultLevel};
  unsigned threads = 1;
  uint32_t latestTime = kNoLatestTime;
  // Runs on the complete output before it takes its name: signing it, when asked for.
  std::function<void(OutputFile& output)> beforeCommit;
};

// Writes options.outPath; throws ToolError, leaving an earlier file of that name untouched and
// nothing else behind.
void Pack(const PackOptions& options);
