#include "ombrix/init_command.h"

#include <toml++/toml.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>

#include "ombrix/output_file.h"
#include "ombrix/pack_command.h"
#include "ombrix/project_file.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"

namespace {

namespace fs = std::filesystem;
using Kind = ProjectKey::Kind;

struct InitOptions {
  std::string folder = ".";
  std::string outPath;  // empty: standard output
  bool force = false;
};

// The output that a new project names, beside the project file.
constexpr char kDefaultOutput[] = "setup.exe";
constexpr size_t kCommentWidth = 100;

// Absolute, without "." or ".." components or a closing separator, so that paths compare.
fs::path Normal(const fs::path& path) {
  const fs::path normal = fs::absolute(path).lexically_normal();
  return normal.has_filename() || normal == normal.root_path() ? normal : normal.parent_path();
}

// As the project file gives it: relative to its folder where that can be said.
std::string FromProject(const fs::path& path, const fs::path& projectDir) {
  const fs::path relative = Normal(path).lexically_relative(projectDir);
  return relative.empty() ? Normal(path).string() : relative.string();
}

// A TOML string, in double quotes as a person writes one.
std::string Quoted(const std::string& text) {
  std::ostringstream out;
  out << toml::toml_formatter(
      toml::value<std::string>(text),
      toml::toml_formatter::default_flags & ~toml::format_flags::allow_literal_strings);
  return out.str();
}

void WriteComment(std::ostream& out, const std::string& text) {
  std::istringstream words(text);
  std::string line = "#";
  for (std::string word; words >> word;) {
    if (line.size() + 1 + word.size() > kCommentWidth) out << line << '\n', line = "#";
    line += ' ' + word;
  }
  out << line << '\n';
}

// What a key that the publisher uncomments takes: a flag's default, or else a placeholder that
// the file refuses until it is filled in (the description gives any default).
const char* Placeholder(const ProjectKey& key) {
  if (key.kind == Kind::kFlag) return "false";
  if (key.kind == Kind::kInteger) return "<whole number>";
  const std::string type = key.option->get_type_name();
  return type.starts_with(kReadPathType) || type.starts_with(kWrittenPathType) ? "<path>"
                                                                               : "<text>";
}

std::string ProjectText(CLI::App& pack, const InitOptions& options) {
  const fs::path projectDir =
      Normal(options.outPath.empty() ? "." : fs::path(options.outPath).parent_path());
  const fs::path folder = Normal(options.folder);
  std::error_code error;
  fs::directory_iterator entries(folder, error);
  if (error) {
    throw ToolError(
        FormatMessage(kCannotReadBecause, options.folder.c_str(), error.message().c_str()));
  }
  const fs::path output = projectDir / kDefaultOutput;
  std::vector<std::string> found;
  for (const fs::directory_entry& entry : entries) {
    const fs::path path = Normal(entry.path());
    if (path == output || (!options.outPath.empty() && path == Normal(options.outPath))) continue;
    found.push_back(FromProject(path, projectDir));
  }
  std::ranges::sort(found);

  std::ostringstream out;
  out << kProjectHeader << '\n';
  for (const ProjectKey& key : ProjectKeys(pack)) {
    out << '\n';
    WriteComment(out, key.option->get_description());
    if (key.name == "output") {
      out << "output = " << Quoted(kDefaultOutput) << '\n';
    } else if (key.name == "base") {
      out << "base = " << Quoted(FromProject(folder, projectDir)) << '\n';
    } else if (key.name == "paths") {
      out << "paths = [\n";
      for (const std::string& path : found) out << "  " << Quoted(path) << ",\n";
      out << "]\n";
    } else {
      out << "# " << key.name << " = " << Placeholder(key) << '\n';
    }
  }
  return out.str();
}

void WriteProject(const InitOptions& options) {
  CLI::App app;
  int status = 0;
  AddPackCommand(app, status);
  const std::string text = ProjectText(*app.get_subcommand("pack"), options);
  if (options.outPath.empty()) {
    std::cout << text;
    return;
  }
  std::error_code error;
  if (!options.force && fs::exists(fs::symlink_status(options.outPath, error))) {
    throw ToolError(FormatMessage(kProjectExists, options.outPath.c_str()));
  }
  OutputFile file(options.outPath);
  file.Write({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
  file.Commit();
}

}  // namespace

void AddInitCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<InitOptions>();
  CLI::App* init = app.add_subcommand(
      "init", "Write a project file for `pack --project`, each key explained, packing a folder");
  init->add_option("folder", options->folder,
                   "The folder whose entries to pack (default: this one)")
      ->type_name("DIR");
  init->add_option("-o,--output", options->outPath,
                   "The project file to write, its paths relative to its folder (default: standard "
                   "output, its paths relative to this folder)")
      ->type_name("FILE");
  init->add_flag("--force", options->force, "Replace an existing project file");
  init->callback([options, &status] {
    status = RunToolCommand([&] {
      WriteProject(*options);
      return 0;
    });
  });
}
