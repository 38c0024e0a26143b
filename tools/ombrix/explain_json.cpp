// The facts as one JSON object for scripts; docs/info-json.md describes every field.
#include <nlohmann/json.hpp>

#include "ombrix/explain.h"
#include "ombrix/printable.h"

namespace {

// Fields in the documented order.
using json = nlohmann::ordered_json;

json OrNull(const std::optional<std::string>& text) {
  return text ? json(*text) : json(nullptr);
}

json OrNull(const std::string& text) {
  return text.empty() ? json(nullptr) : json(text);
}

json PathJson(const WindowsPath& path) {
  return {{"written", path.written}, {"typical", path.typical}, {"macro", OrNull(path.macro)}};
}

json MemberJson(const MemberFact& member) {
  return {{"path", member.path},
          {"directory", member.directory},
          {"size", member.size},
          {"time", UtcTime(member.time)},
          {"lands", PathJson(member.lands)},
          {"outside", OrNull(member.outside)}};
}

json ClassJson(const FileClassFact& fact) {
  json registry = json::array();
  for (const RegistryValue& value : fact.registry) {
    registry.push_back({{"key", value.key}, {"value", value.value}});
  }
  return {{"extension", fact.extension},
          {"description", fact.description},
          {"program", fact.program},
          {"class_key", fact.classKey},
          {"offered", fact.offered},
          {"passed_over", fact.passedOver},
          {"registry", registry},
          {"win_ini",
           {{"section", "Extensions"}, {"key", fact.winIniKey}, {"value", fact.winIniValue}}}};
}

json GroupJson(const GroupFact& fact) {
  return {{"group", fact.group},           {"item", fact.item},
          {"program", fact.program},       {"icon", OrNull(fact.icon)},
          {"offered", fact.offered},       {"passed_over", fact.passedOver},
          {"dde_command", fact.ddeCommand}};
}

json CommandJson(const std::optional<CommandFact>& command) {
  if (!command) return nullptr;
  return {{"text", command->text},
          {"program", command->program},
          {"parameters", command->parameters},
          {"folder", command->folder}};
}

json CheckValueJson(const std::optional<CheckValueFact>& check) {
  if (!check) return nullptr;
  return {{"stored", check->stored},
          {"computed", check->verified ? json(check->computed) : json(nullptr)},
          {"matches", check->verified ? json(check->stored == check->computed) : json(nullptr)}};
}

template <typename Fact>
json ArrayOf(const std::vector<Fact>& facts, json (*convert)(const Fact&)) {
  json array = json::array();
  for (const Fact& fact : facts) array.push_back(convert(fact));
  return array;
}

}  // namespace

void WriteFactsJson(std::ostream& out, const DistributableFacts& facts) {
  const json document = {
      {"file", facts.file},
      {"window_title", facts.windowTitle},
      {"install_title", facts.installTitle},
      {"folder", PathJson(facts.folder)},
      {"auto_start", facts.autoStart},
      {"overwrite", facts.overwrite},
      {"date_compare", facts.dateCompare},
      {"keep_attributes", facts.keepAttributes},
      {"notice", OrNull(facts.notice)},
      {"script", facts.script},
      {"class_box", OrNull(facts.classBox)},
      {"group_box", OrNull(facts.groupBox)},
      {"ask_before_class", facts.askBeforeClass},
      {"members", ArrayOf(facts.members, MemberJson)},
      {"file_classes", ArrayOf(facts.classes, ClassJson)},
      {"program_groups", ArrayOf(facts.groups, GroupJson)},
      {"command", CommandJson(facts.command)},
      {"check_value", CheckValueJson(facts.checkValue)},
      {"stops", facts.stops},
      {"leads_up", OrNull(facts.leadsUp)},
  };
  // Names come from the archive: any byte iconv could not map is replaced, not refused.
  out << document.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
}
