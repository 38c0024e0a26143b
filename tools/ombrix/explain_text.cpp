// The facts in plain sentences, for a person deciding whether to run the distributable.
#include <iomanip>
#include <map>
#include <sstream>

#include "ombrix/explain.h"
#include "ombrix/printable.h"

namespace {

constexpr char kTypical[] = "on a typical Windows installation";

std::string Quoted(const std::string& text) {
  return "\"" + Printable(text) + "\"";
}

std::string Hex(uint16_t value) {
  std::ostringstream text;
  text << "0x" << std::hex << std::setw(4) << std::setfill('0') << value;
  return text.str();
}

// What a resolved path was written as, when a macro was resolved in it.
std::string MacroNote(const WindowsPath& path) {
  return path.macro.empty() ? "" : Printable(path.macro) + " " + kTypical;
}

std::string Where(const WindowsPath& path) {
  if (path.typical == ".") return "the folder it is run from";
  const std::string note = MacroNote(path);
  return Printable(path.typical) + (note.empty() ? "" : " (" + note + ")");
}

std::string Count(size_t count, const char* one, const char* many) {
  return count == 1 ? std::string("1 ") + one : std::to_string(count) + " " + many;
}

std::string ReplaceRule(const DistributableFacts& facts) {
  if (!facts.dateCompare) {
    return facts.overwrite ? "replaces it without asking, whatever its date"
                           : "asks before replacing it, whatever its date";
  }
  return facts.overwrite
             ? "skips it when it is at least as new as the member, and replaces an older one "
               "without asking"
             : "skips it when it is at least as new as the member, and asks before replacing an "
               "older one";
}

void WriteIndented(std::ostream& out, const std::string& text) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out << "    " << Printable(line) << '\n';
  }
}

void WriteDialog(std::ostream& out, const DistributableFacts& facts) {
  if (facts.notice) {
    out << "First it shows this notice and asks Yes or No; No ends it before anything is "
           "extracted:\n";
    WriteIndented(out, *facts.notice);
  }
  out << "It opens a dialog titled " << Quoted(facts.windowTitle) << " that asks for a folder";
  if (!facts.installTitle.empty()) out << " under the words " << Quoted(facts.installTitle);
  out << "; the folder it offers is " << Where(facts.folder) << ".\n";
  if (facts.autoStart) {
    out << "It starts extracting by itself 0.7 seconds after the dialog opens.\n";
  } else {
    out << "It waits until the user presses OK.\n";
  }
}

void WriteMembers(std::ostream& out, const DistributableFacts& facts) {
  out << "An existing file at a member's place: it " << ReplaceRule(facts) << ".\n";
  if (facts.keepAttributes) out << "Files keep the attributes stored with them.\n";
  if (facts.members.empty()) out << "It extracts no file.\n";
  if (!facts.members.empty()) {
    out << "It extracts " << Count(facts.members.size(), "member", "members") << ":\n";
  }
  for (const MemberFact& member : facts.members) {
    std::vector<std::string> notes = {member.directory ? "a folder"
                                                       : std::to_string(member.size) + " bytes, " +
                                                             UtcTime(member.time)};
    if (!member.lands.macro.empty()) notes.push_back(MacroNote(member.lands));
    if (!member.outside.empty()) notes.push_back("outside the chosen folder");
    out << "    " << Printable(member.lands.typical) << " (";
    for (size_t i = 0; i < notes.size(); ++i) out << (i == 0 ? "" : "; ") << notes[i];
    out << ")\n";
  }
}

// The lines of one kind: the box that offers them, or why they are never carried out.
void WriteActionHeader(std::ostream& out, const std::optional<std::string>& box, size_t lines,
                       const std::string& offered, const char* titleDirective) {
  if (box) {
    out << "Its dialog offers the box " << Quoted(*box)
        << ", checked; unless the user clears it, it " << offered << ":\n";
    if (lines == 0) out << "  (the script names none)\n";
  } else if (lines != 0) {
    out << "Its script has " << Count(lines, "line", "lines") << " that it never carries out, as "
        << "there is no " << titleDirective << " line and so no box in the dialog to offer them:\n";
  }
}

const char* PassedOver(bool passedOver) {
  return passedOver ? " It is passed over: a path or the key is too long for the stub." : "";
}

void WriteSetup(std::ostream& out, const DistributableFacts& facts) {
  WriteActionHeader(out, facts.classBox, facts.classes.size(),
                    std::string("registers these file classes") +
                        (facts.askBeforeClass ? ", asking before each" : ""),
                    "$ClassTitle=");
  for (const FileClassFact& fact : facts.classes) {
    out << "  Files ending in " << Printable(fact.extension) << ", " << Quoted(fact.description)
        << ", open with " << Printable(fact.program) << " (by its short 8.3 path)."
        << PassedOver(fact.passedOver) << " It sets:\n";
    for (const RegistryValue& value : fact.registry) {
      out << "    " << Printable(value.key) << " = " << Printable(value.value) << '\n';
    }
    out << "    on Win32s, in WIN.INI instead: [Extensions] " << Printable(fact.winIniKey) << "="
        << Printable(fact.winIniValue) << '\n';
  }
  WriteActionHeader(out, facts.groupBox, facts.groups.size(),
                    "asks Program Manager for these groups", "$GroupTitle=");
  for (const GroupFact& fact : facts.groups) {
    out << "  The group " << Quoted(fact.group) << " with the item " << Quoted(fact.item)
        << ", which starts " << Printable(fact.program) << " with "
        << (fact.icon.empty() ? "that program's icon" : "the icon of " + Printable(fact.icon))
        << " (by their short 8.3 paths)." << PassedOver(fact.passedOver) << " It sends:\n";
    WriteIndented(out, fact.ddeCommand);
  }
  if (facts.command) {
    const CommandFact& command = *facts.command;
    out << "Last, unless the extraction failed, it starts " << Quoted(command.program);
    if (!command.parameters.empty()) out << " with the parameters " << Quoted(command.parameters);
    out << " in "
        << (command.folder == "." ? "the folder it is run from" : Printable(command.folder))
        << " (or the folder the user chose).\n";
  }
}

void WriteUnusual(std::ostream& out, const DistributableFacts& facts) {
  std::vector<std::string> notes;
  if (!facts.leadsUp.empty()) {
    notes.push_back("Member " + Quoted(facts.leadsUp) +
                    " has a \"..\" component, which would lead out of the chosen folder: the "
                    "stub takes its header for a bad one.");
  }
  if (facts.checkValue && facts.checkValue->verified &&
      facts.checkValue->stored != facts.checkValue->computed) {
    notes.push_back("The check value " + Hex(facts.checkValue->stored) +
                    " does not match the members, which give " + Hex(facts.checkValue->computed) +
                    ": the file was changed after packing.");
  }
  static const std::map<std::string, std::string> kThrough = {
      {"macro", "through a path macro"},
      {"drive", "because its name starts with a drive"},
      {"root", "because its name starts at the root of a drive"}};
  for (const MemberFact& member : facts.members) {
    if (member.outside.empty()) continue;
    notes.push_back("Member " + Quoted(member.path) + " lands outside the chosen folder, " +
                    kThrough.at(member.outside) + ": " + Where(member.lands) + ".");
  }
  if (notes.empty()) return;
  out << "Unusual:\n";
  for (const std::string& note : notes) out << "  - " << note << '\n';
}

}  // namespace

void WriteExplanation(std::ostream& out, const DistributableFacts& facts) {
  out << "Run " << kTypical << " (64-bit Windows on drive C:), " << Printable(facts.file)
      << " does this.\n";
  for (const std::string& stop : facts.stops) {
    out << "It stops before its dialog with the message " << Quoted(stop)
        << " and extracts nothing; the rest tells what it holds.\n";
  }
  WriteDialog(out, facts);
  WriteMembers(out, facts);
  WriteSetup(out, facts);
  if (facts.checkValue && facts.checkValue->verified &&
      facts.checkValue->stored == facts.checkValue->computed) {
    out << "Its check value " << Hex(facts.checkValue->stored) << " matches the members.\n";
  }
  WriteUnusual(out, facts);
}
