#include "ombrix/pack_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>

#include "archive/member_header.h"
#include "ombrix/lzh_writer.h"
#include "ombrix/member_sources.h"
#include "ombrix/member_walk.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"

namespace {

// The stub seeks with signed 32-bit positions, so no byte of its file may lie beyond this.
constexpr uint64_t kMaxOutputSize = INT32_MAX;

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ToolError(FormatMessage(kCannotRead, path.c_str()));
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw ToolError(FormatMessage(kCannotRead, path.c_str()));
  return bytes;
}

// The output goes to a temporary file beside its final name and is renamed into place only once
// the stub's own walk accepts it, so a failure leaves an earlier file of that name as it was and
// nothing half-written behind.
class OutputFile {
 public:
  explicit OutputFile(const std::string& path) : path_(path), tempPath_(path + ".XXXXXX") {
    fd_ = ::mkstemp(tempPath_.data());
    if (fd_ < 0) throw ToolError(FormatMessage(kCannotWrite, path_.c_str()));
  }
  ~OutputFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(tempPath_.c_str());
  }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void Write(std::span<const uint8_t> bytes) {
    for (size_t done = 0; done < bytes.size();) {
      const ssize_t put = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (put <= 0) throw ToolError(FormatMessage(kCannotWrite, path_.c_str()));
      done += static_cast<size_t>(put);
    }
  }

  // A name for the written bytes that fits the walk's path buffer however long the output's own
  // name is.
  std::string WalkPath() const { return "/proc/self/fd/" + std::to_string(fd_); }

  void Commit() {
    // mkstemp makes the file private; the output gets the mode a new file would have.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const bool closed = ::fchmod(fd_, 0666 & ~mask) == 0 && ::close(fd_) == 0;
    fd_ = -1;
    if (!closed || std::rename(tempPath_.c_str(), path_.c_str()) != 0) {
      throw ToolError(FormatMessage(kCannotWrite, path_.c_str()));
    }
    committed_ = true;
  }

 private:
  std::string path_;
  std::string tempPath_;
  int fd_ = -1;
  bool committed_ = false;
};

Member MemberOf(const MemberSource& source) {
  StoredName name = StoredNameOf(source);
  if (source.isDirectory) return DirectoryMember(std::move(name.dirName), source.timeStamp);
  std::vector<uint8_t> bytes = ReadWholeFile(source.diskPath.string());
  if (bytes.size() > UINT32_MAX)
    throw ToolError(FormatMessage(kFileTooLarge, source.diskPath.c_str()));
  const uint8_t attributes = kAttrArchive | (source.readOnly ? kAttrReadOnly : 0);
  return StoredFileMember(std::move(name.dirName), std::move(name.fileName), std::move(bytes),
                          source.timeStamp, attributes);
}

// The stub keeps a reserved member's text in a fixed buffer and drops the rest.
Member ReservedMember(const std::string& path, const char* name, const char* what,
                      size_t capacity) {
  Member member = MemberOf(DescribeFile(path, name));
  if (member.data.size() >= capacity) {
    std::cerr << FormatMessage(kTextWillBeCut, what, path.c_str(), member.data.size(), capacity - 1)
              << '\n';
  }
  return member;
}

std::vector<uint8_t> StubWithSettings(const std::string& stubPath, PackSettings settings) {
  std::vector<uint8_t> stub = ReadWholeFile(stubPath);
  if (stub.size() < 2 || stub[0] != 'M' || stub[1] != 'Z') {
    throw ToolError(FormatMessage(kNotAStub, stubPath.c_str()));
  }
  settings.archiveOffset = static_cast<uint32_t>(stub.size());
  PutSettingsBlock(stub, MakeSettingsBlock(settings), stubPath);
  return stub;
}

}  // namespace

void Pack(const PackOptions& options) {
  PackSettings settings = options.settings;
  if (options.checkValue) settings.flags |= kFlagCheckValue;
  // The stub looks for the check value wherever the flag says there is one, whichever option set
  // the flag.
  const bool checkValue = !options.plain && (settings.flags & kFlagCheckValue) != 0;
  const std::vector<uint8_t> stub =
      options.plain ? std::vector<uint8_t>{} : StubWithSettings(options.stubPath, settings);
  const std::vector<MemberSource> sources = CollectMemberSources(options.paths, options.base);

  std::vector<Member> members;
  if (options.noticePath) {
    members.push_back(
        ReservedMember(*options.noticePath, kNoticeMember, kNoticeField, kScratchCapacity));
  }
  if (options.scriptPath) {
    members.push_back(
        ReservedMember(*options.scriptPath, kScriptMember, kScriptField, kScriptCapacity));
  }
  for (const MemberSource& source : sources) members.push_back(MemberOf(source));
  const std::vector<uint8_t> archive = BuildArchive(members, {.checkValue = checkValue});
  if (stub.size() + archive.size() > kMaxOutputSize) {
    throw ToolError(FormatMessage(kOutputTooLarge, static_cast<unsigned>(kMaxOutputSize)));
  }

  OutputFile output(options.outPath);
  output.Write(stub);
  output.Write(archive);
  ToolJob skip;
  skip.member = [](PassArea& area) { return SkipMemberData(area.run, area.header) != 0; };
  if (WalkMembers(output.WalkPath(), skip) != 0) {
    throw ToolError(FormatMessage(kOutputRejected, options.outPath.c_str()));
  }
  output.Commit();
}

void AddPackCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<PackOptions>();
  CLI::App* pack = app.add_subcommand(
      "pack",
      "Pack files and directories into a self-extracting distributable, or with --plain "
      "into a plain LZH archive");
  PackSettings& settings = options->settings;

  CLI::Option* plain =
      pack->add_flag("--plain", options->plain, "Write a plain LZH archive: no stub, no settings");
  CLI::Option* stub = pack->add_option("--stub", options->stubPath, "The stub program to copy");
  pack->add_option("-o,--output", options->outPath, "The file to write")->required();

  // Everything that goes into the settings block means nothing in a plain archive.
  std::vector<CLI::Option*> settingsOptions{stub};
  settingsOptions.push_back(
      pack->add_option("--window-title", settings.windowTitle,
                       "Caption of the dialog and every message box (at most 40 bytes)"));
  settingsOptions.push_back(pack->add_option("--install-title", settings.installTitle,
                                             "Label above the directory box (at most 40 bytes)"));
  settingsOptions.push_back(pack->add_option("--dir", settings.installDir,
                                             "Default extraction directory (at most 255 bytes)"));
  settingsOptions.push_back(pack->add_option(
      "--command", settings.command, "Command started after extraction (at most 255 bytes)"));
  auto flagOption = [&](const char* name, uint8_t bit, const char* help) {
    settingsOptions.push_back(pack->add_flag_callback(
        name, [&settings, bit] { settings.flags |= bit; }, help));
  };
  flagOption("--auto-start", kFlagAutoStart, "Start extracting without waiting for OK");
  flagOption("--overwrite", kFlagOverwrite, "Overwrite existing files without asking");
  flagOption("--no-date-compare", kFlagNoDateCompare,
             "Never skip a file for being as new as the archived copy");
  settingsOptions.push_back(
      pack->add_flag("--check-value", options->checkValue,
                     "Precede the members with the XOR of their CRCs, which the stub verifies"));
  settingsOptions.push_back(pack->add_flag_callback(
      "--keep-attributes", [&settings] { settings.keepAttributes = true; },
      "Give extracted files the attributes stored in the archive"));
  settingsOptions.push_back(
      pack->add_option_function<unsigned>(
              "--flags",
              [&settings](unsigned value) { settings.flags |= static_cast<uint8_t>(value); },
              "Raw byte OR-ed into the flag byte (bits 4 to 7 are free)")
          ->check(CLI::Range(0u, 255u)));
  for (CLI::Option* option : settingsOptions) option->excludes(plain);

  pack->add_option_function<std::string>(
      "--notice", [options](const std::string& path) { options->noticePath = path; },
      "Text file shown with a Yes/No question before the dialog (member \"!\")");
  pack->add_option_function<std::string>(
      "--script", [options](const std::string& path) { options->scriptPath = path; },
      "Setup script (member \"$\")");
  pack->add_option_function<std::string>(
      "--base", [options](const std::string& path) { options->base = path; },
      "Directory that member names are relative to (default: each path's parent)");
  pack->add_option("paths", options->paths, "Files and directories to pack, recursively");

  pack->footer(kPackExitStatus);
  pack->callback([options, &status] {
    status = RunToolCommand([&] {
      if (!options->plain && options->stubPath.empty()) throw ToolError(kStubRequired);
      Pack(*options);
      return 0;
    });
  });
}
