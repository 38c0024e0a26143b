#include "ombrix/project_file.h"

#include <toml++/toml.h>

#include <filesystem>

#include "ombrix/file_bytes.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"

namespace {

namespace fs = std::filesystem;
using Kind = ProjectKey::Kind;

// An option's type name without the validators' descriptions that CLI11 appends to it.
std::string TypeOf(const CLI::Option& option) {
  const std::string name = option.get_type_name();
  return name.substr(0, name.find(':'));
}

Kind KindOf(const CLI::Option& option) {
  if (option.get_expected_min() == 0) return Kind::kFlag;
  if (option.get_items_expected_max() > 1) return Kind::kTexts;
  const std::string type = TypeOf(option);
  return type == "INT" || type == "UINT" ? Kind::kInteger : Kind::kText;
}

// What a value of the file means, where it stands in it.
class ProjectReader {
 public:
  explicit ProjectReader(std::string file) : file_(std::move(file)) {}

  [[noreturn]] void Refuse(const char* format, const toml::source_region& where,
                           const std::string& subject, const std::string& reason = "") const {
    throw CLI::ValidationError(FormatMessage(format, file_.c_str(), unsigned{where.begin.line},
                                             subject.c_str(), reason.c_str()));
  }

  // The node's values as the command line would give them; nothing for a flag that is false,
  // which is no flag at all.
  std::vector<std::string> Values(const ProjectKey& key, const toml::node& node) const {
    std::vector<std::string> values;
    const auto wrongType = [&](const toml::node& at, const char* expected) {
      Refuse(kProjectWrongType, at.source(), key.name, expected);
    };
    switch (key.kind) {
      case Kind::kFlag:
        if (!node.is_boolean()) wrongType(node, "true or false");
        if (node.value_or(false)) values.emplace_back("true");
        break;
      case Kind::kInteger:
        if (!node.is_integer()) wrongType(node, "a whole number");
        values.push_back(std::to_string(node.value_or(int64_t{0})));
        break;
      case Kind::kText:
        if (!node.is_string()) wrongType(node, "a string");
        values.push_back(Text(key, node));
        break;
      case Kind::kTexts:
        if (!node.is_array()) wrongType(node, "an array of strings");
        for (const toml::node& item : *node.as_array()) {
          if (!item.is_string()) wrongType(item, "an array of strings");
          values.push_back(Text(key, item));
        }
        break;
    }
    return values;
  }

 private:
  // A path is relative to the project's folder and, when it is read, must be there.
  std::string Text(const ProjectKey& key, const toml::node& node) const {
    std::string text = node.value_or(std::string());
    const std::string type = TypeOf(*key.option);
    if (type != kReadPathType && type != kWrittenPathType) return text;
    text = (fs::path(file_).parent_path() / text).string();
    std::error_code error;
    if (type == kReadPathType && !fs::exists(text, error)) {
      Refuse(kProjectBadValue, node.source(), key.name, FormatMessage(kNotFound, text.c_str()));
    }
    return text;
  }

  std::string file_;
};

void ApplyProject(CLI::App& pack, const std::string& file) {
  std::vector<uint8_t> bytes;
  try {
    bytes = ReadInputFile(file, kNotFound);
  } catch (const ToolError& error) {
    throw CLI::ValidationError(error.what());
  }
  const ProjectReader reader(file);
  toml::table table;
  try {
    table = toml::parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                        file);
  } catch (const toml::parse_error& error) {
    reader.Refuse(kProjectSyntax, error.source(), std::string(error.description()));
  }
  const std::vector<ProjectKey> keys = ProjectKeys(pack);
  for (const auto& [name, node] : table) {
    const auto key = std::ranges::find(keys, name.str(), &ProjectKey::name);
    if (key == keys.end())
      reader.Refuse(kProjectUnknownKey, name.source(), std::string(name.str()));
    const std::vector<std::string> values = reader.Values(*key, node);
    if (key->option->count() > 0 || values.empty()) continue;  // the command line's stands
    key->option->add_result(values);
    try {
      key->option->run_callback();
    } catch (const CLI::Error& error) {
      std::string reason = error.what();
      const std::string prefix = key->option->get_name() + ": ";
      if (reason.starts_with(prefix)) reason.erase(0, prefix.size());
      reader.Refuse(kProjectBadValue, node.source(), key->name, reason);
    }
  }
}

}  // namespace

std::vector<ProjectKey> ProjectKeys(CLI::App& pack) {
  std::vector<ProjectKey> keys;
  for (CLI::Option* option : pack.get_options()) {
    if (option == pack.get_help_ptr() || option->get_name() == "--project") continue;
    const std::vector<std::string>& longNames = option->get_lnames();
    keys.push_back(
        {longNames.empty() ? option->get_name() : longNames.front(), option, KindOf(*option)});
  }
  return keys;
}

void AddProjectOption(CLI::App& pack) {
  pack.add_option_function<std::string>(
          "--project", [&pack](const std::string& file) { ApplyProject(pack, file); },
          "TOML project file whose keys are these options' long names, and 'paths' what to pack; "
          "its paths are relative to its folder, and options given here override its keys")
      ->type_name(kReadPathType);
}
