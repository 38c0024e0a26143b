// What running a distributable would do on a typical Windows installation, read by the stub's own
// walk and rules: one collection of facts, told in sentences (`info --explain`) or as JSON for
// scripts (`info --json`, docs/info-json.md).
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// A folder or file as the distributable writes it and where that is on a typical Windows
// installation (docs/info-json.md has the table); every text is UTF-8.
struct WindowsPath {
  std::string written;
  std::string typical;  // backslashes; "." when it is the folder the distributable is run from
  std::string macro;    // the path macro at its start that was resolved, or empty
};

struct MemberFact {
  std::string path;  // in the archive
  bool directory = false;
  uint32_t size = 0;
  uint32_t time = 0;  // seconds since 1970, UTC
  WindowsPath lands;
  // Why it lands outside the chosen folder: "macro", "drive" or "root"; empty when inside.
  std::string outside;
};

struct RegistryValue {
  std::string key;  // below HKEY_CLASSES_ROOT; the key's default value is set
  std::string value;
};

struct FileClassFact {
  std::string extension, description, program, classKey;
  bool offered = false;     // the script offers the Set Class box, so the line is carried out
  bool passedOver = false;  // the key or the program's path is too long: nothing is written
  std::vector<RegistryValue> registry;
  std::string winIniKey, winIniValue;  // [Extensions] on Win32s
};

struct GroupFact {
  std::string group, item, program, icon;  // icon empty when there is none
  bool offered = false;                    // the script offers the Start Menu box
  bool passedOver = false;                 // a path is too long: Program Manager is not asked
  std::string ddeCommand;
};

struct CommandFact {
  std::string text, program, parameters, folder;
};

struct CheckValueFact {
  uint16_t stored = 0, computed = 0;
  bool verified = false;  // the walk reached the end, so computed covers every member
};

struct DistributableFacts {
  std::string file;
  std::string windowTitle, installTitle;
  WindowsPath folder;
  bool autoStart = false, overwrite = false, dateCompare = true, keepAttributes = false;
  std::optional<std::string> notice;
  bool script = false;
  std::optional<std::string> classBox, groupBox;  // the check boxes' labels, when offered
  bool askBeforeClass = false;
  std::vector<MemberFact> members;
  std::vector<FileClassFact> classes;
  std::vector<GroupFact> groups;
  std::optional<CommandFact> command;
  std::optional<CheckValueFact> checkValue;
  // The stub's messages that would end it before extracting anything (a bad header, a check value
  // that does not match), in its own words; and the member whose ".." refused the archive.
  std::vector<std::string> stops;
  std::string leadsUp;
};

// The facts of the distributable at path; a file without a settings block is a ToolError.
DistributableFacts CollectFacts(const std::string& path);

void WriteExplanation(std::ostream& out, const DistributableFacts& facts);
void WriteFactsJson(std::ostream& out, const DistributableFacts& facts);

// `info --explain` or `info --json`: the facts in one view. Returns 0 when nothing would stop the
// stub before its dialog, 1 otherwise.
enum class FactsView { kSentences, kJson };
int ExplainDistributable(const std::string& path, FactsView view, std::ostream& out);
