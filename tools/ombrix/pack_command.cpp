#include "ombrix/pack_command.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>

#include "ombrix/lzh_writer.h"
#include "ombrix/member_sources.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"
#include "startup/work_area.h"

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

// The output is written beside its final name and renamed into place once complete, so a
// failure leaves any earlier file of that name as it was.
class OutputFile {
 public:
  explicit OutputFile(std::string path) : path_(std::move(path)), partPath_(path_ + ".part") {
    out_.open(partPath_, std::ios::binary | std::ios::trunc);
    if (!out_) throw ToolError(FormatMessage(kCannotWrite, path_.c_str()));
  }
  ~OutputFile() {
    if (committed_) return;
    out_.close();
    std::remove(partPath_.c_str());
  }

  uint64_t Size() const { return size_; }

  void Write(std::span<const uint8_t> bytes) {
    if (size_ + bytes.size() > kMaxOutputSize) {
      throw ToolError(FormatMessage(kOutputTooLarge, static_cast<unsigned>(kMaxOutputSize)));
    }
    out_.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    Check();
    size_ += bytes.size();
  }

  void Overwrite(uint64_t position, std::span<const uint8_t> bytes) {
    out_.seekp(static_cast<std::streamoff>(position));
    out_.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    out_.seekp(0, std::ios::end);
    Check();
  }

  void Commit() {
    out_.close();
    Check();
    if (std::rename(partPath_.c_str(), path_.c_str()) != 0) {
      throw ToolError(FormatMessage(kCannotWrite, path_.c_str()));
    }
    committed_ = true;
  }

 private:
  void Check() {
    if (!out_) throw ToolError(FormatMessage(kCannotWrite, path_.c_str()));
  }

  std::string path_;
  std::string partPath_;
  std::ofstream out_;
  uint64_t size_ = 0;
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

std::vector<uint8_t> StubWithSettings(const PackOptions& options) {
  std::vector<uint8_t> stub = ReadWholeFile(options.stubPath);
  if (stub.size() < 2 || stub[0] != 'M' || stub[1] != 'Z') {
    throw ToolError(FormatMessage(kNotAStub, options.stubPath.c_str()));
  }
  PackSettings settings = options.settings;
  settings.archiveOffset = options.archiveOffset.value_or(static_cast<uint32_t>(stub.size()));
  if (options.checkValue) settings.flags |= kFlagCheckValue;
  PutSettingsBlock(stub, MakeSettingsBlock(settings), options.stubPath);
  return stub;
}

}  // namespace

void Pack(const PackOptions& options) {
  const std::vector<uint8_t> stub =
      options.plain ? std::vector<uint8_t>{} : StubWithSettings(options);
  const std::vector<MemberSource> sources = CollectMemberSources(options.paths, options.base);

  OutputFile output(options.outPath);
  output.Write(stub);
  const uint64_t checkValuePosition = output.Size();
  if (options.checkValue) output.Write(std::vector<uint8_t>(2, 0));

  uint16_t checkValue = 0;
  auto add = [&](const Member& member) {
    output.Write(EncodeMemberHeader(member));
    output.Write(member.data);
    checkValue ^= member.dataCrc;
  };
  if (options.noticePath) {
    add(ReservedMember(*options.noticePath, kNoticeMember, kNoticeField, kScratchCapacity));
  }
  if (options.scriptPath) {
    add(ReservedMember(*options.scriptPath, kScriptMember, kScriptField, kScriptCapacity));
  }
  for (const MemberSource& source : sources) add(MemberOf(source));
  output.Write(std::vector<uint8_t>(1, 0));  // the end mark

  if (options.checkValue) {
    const uint8_t bytes[2] = {static_cast<uint8_t>(checkValue),
                              static_cast<uint8_t>(checkValue >> 8)};
    output.Overwrite(checkValuePosition, bytes);
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
  settingsOptions.push_back(pack->add_option_function<uint32_t>(
      "--archive-offset", [options](uint32_t value) { options->archiveOffset = value; },
      "Archive offset to store instead of the stub's size (for tests)"));
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
