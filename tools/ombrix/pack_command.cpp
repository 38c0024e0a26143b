#include "ombrix/pack_command.h"

#include <map>
#include <memory>
#include <thread>

#include "ombrix/code_page.h"
#include "ombrix/code_signing.h"
#include "ombrix/project_file.h"
#include "ombrix/source_date.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"

namespace {

// The methods the stub reads that the packer writes, by the names the option takes.
const std::map<std::string, const Method*> kMethods = {
    {"lh0", FindMethod('0')},
    {"lh5", FindMethod('5')},
    {"lh6", FindMethod('6')},
    {"lh7", FindMethod('7')},
};

void AddSettingsOptions(CLI::App* pack, PackOptions& options, CLI::Option* plain) {
  PackSettings& settings = options.settings;
  // Everything that goes into the settings block means nothing in a plain archive.
  std::vector<CLI::Option*> settingsOptions{
      pack->add_option("--stub", options.stubPath,
                       "The stub program to copy (default: the one built with this tool)")
          ->type_name(kReadPathType)};
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
      pack->add_flag("--check-value", options.checkValue,
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
}

void AddCompressionOptions(CLI::App* pack, PackOptions& options) {
  pack->add_option_function<std::string>(
          "--method",
          [&options](const std::string& name) { options.compression.method = kMethods.at(name); },
          "lh5, lh6 or lh7 (8, 32 or 64 KiB back) compress, lh0 stores; a member that would not "
          "shrink is stored whatever the method (default: lh7)")
      ->transform(CLI::IsMember(kMethods, CLI::ignore_case));
  pack->add_option(
          "--level", options.compression.level,
          "From 1, fastest, to 9, smallest (default: " + std::to_string(kDefaultLevel) + ")")
      ->check(CLI::Range(kMinLevel, kMaxLevel));
  options.threads = std::max(1u, std::thread::hardware_concurrency());
  pack->add_option("--threads", options.threads,
                   "Members compressed at once (default: one per processor); the output is the "
                   "same for any number")
      ->check(CLI::Range(1u, 256u));
}

}  // namespace

void AddPackCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<PackOptions>();
  CLI::App* pack = app.add_subcommand(
      "pack",
      "Pack files and directories into a self-extracting distributable, or with --plain "
      "into a plain LZH archive");

  CLI::Option* plain =
      pack->add_flag("--plain", options->plain, "Write a plain LZH archive: no stub, no settings");
  pack->add_option("-o,--output", options->outPath, "The file to write")
      ->required()
      ->type_name(kWrittenPathType);
  AddSettingsOptions(pack, *options, plain);
  AddCompressionOptions(pack, *options);
  AddCodePageOption(*pack);
  auto signing = std::make_shared<SigningOptions>();
  AddSigningOptions(*pack, *signing, plain);

  pack->add_option_function<std::string>(
          "--notice", [options](const std::string& path) { options->noticePath = path; },
          "Text file shown with a Yes/No question before the dialog (member \"!\")")
      ->type_name(kReadPathType);
  pack->add_option_function<std::string>(
          "--script", [options](const std::string& path) { options->scriptPath = path; },
          "Setup script (member \"$\")")
      ->type_name(kReadPathType);
  CLI::Option* base =
      pack->add_option_function<std::string>(
              "--base", [options](const std::string& path) { options->base = path; },
              "Directory that member names are relative to (default: each path's parent)")
          ->type_name(kReadPathType);
  CLI::Option* paths =
      pack->add_option("paths", options->paths, "Files and directories to pack, recursively")
          ->type_name(kReadPathType);
  pack->add_option_function<std::string>(
          "--from-lzh", [options](const std::string& path) { options->foreignArchive = path; },
          "Carry the members of an LZH archive of any header level, re-headed as level 2: data "
          "of -lh0- and -lh4- to -lh7- as it is, of older methods (-lh1-, -lz5-, -lzs-, -pm1-, "
          "-pm2-) decoded, checked and compressed again with --method and --level")
      ->excludes(paths)
      ->excludes(base)
      ->type_name(kReadPathType);
  AddProjectOption(*pack);

  pack->footer(kPackFooter);
  pack->parse_complete_callback([pack, paths] {
    if (paths->empty() && pack->get_option("--from-lzh")->empty() &&
        pack->get_option("--notice")->empty() && pack->get_option("--script")->empty()) {
      throw CLI::ValidationError(kNothingToPack);
    }
  });
  pack->callback([options, signing, &status] {
    status = RunToolCommand([&] {
      options->latestTime = LatestTimeFromEnvironment();
      ArrangeSigning(signing, *options);
      Pack(*options);
      return 0;
    });
  });
}
