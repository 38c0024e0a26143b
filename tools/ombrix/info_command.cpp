#include "ombrix/info_command.h"

#include <fstream>
#include <iomanip>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

#include "ombrix/code_page.h"
#include "ombrix/explain.h"
#include "ombrix/member_walk.h"
#include "ombrix/pe_signature.h"
#include "ombrix/printable.h"
#include "ombrix/tool_messages.h"

namespace {

// Text of the archive, in its code page, as the terminal shows it.
std::string Shown(std::string_view text) {
  return Printable(ArchiveCodePage().ToUtf8(text));
}

std::string Hex(uint32_t value, int digits) {
  std::ostringstream text;
  text << "0x" << std::hex << std::setw(digits) << std::setfill('0') << value;
  return text.str();
}

std::string FlagNames(uint8_t flags) {
  static constexpr std::pair<uint8_t, const char*> kNames[] = {
      {kFlagAutoStart, "auto-start"},
      {kFlagOverwrite, "overwrite"},
      {kFlagCheckValue, "check-value"},
      {kFlagNoDateCompare, "no-date-compare"},
  };
  std::string text = Hex(flags, 2);
  uint8_t rest = flags;
  for (const auto& [bit, name] : kNames) {
    if (!(flags & bit)) continue;
    text += ' ';
    text += name;
    rest &= static_cast<uint8_t>(~bit);
  }
  if (rest != 0) text += ' ' + Hex(rest, 2);
  return text;
}

// Letters for the bits a DOS attribute byte knows, hex for anything else.
std::string AttributeText(uint16_t attributes) {
  static constexpr std::pair<uint16_t, char> kLetters[] = {
      {0x01, 'R'}, {0x02, 'H'}, {0x04, 'S'}, {0x10, 'D'}, {0x20, 'A'}};
  uint16_t known = 0;
  for (const auto& [bit, letter] : kLetters) known |= bit;
  if (attributes & ~known) return Hex(attributes, 4);
  std::string text;
  for (const auto& [bit, letter] : kLetters) text += (attributes & bit) ? letter : '-';
  return text;
}

std::string OsIdText(uint8_t osId) {
  if (osId > 0x20 && osId < 0x7F) return std::string(1, static_cast<char>(osId));
  return Hex(osId, 2);
}

void PrintSettings(std::ostream& out, const SettingsBlock& settings) {
  out << "archive offset   " << settings.archiveOffset << " (" << Hex(settings.archiveOffset, 0)
      << ")\n"
      << "window title     \"" << Shown(settings.windowTitle) << "\"\n"
      << "install title    \"" << Shown(settings.installTitle) << "\"\n"
      << "directory        \"" << Shown(settings.installDir) << "\"\n"
      << "command          \"" << Shown(settings.command) << "\"\n"
      << "flags            " << FlagNames(settings.flags) << '\n'
      << "keep attributes  " << (settings.keepAttributes ? "yes" : "no") << '\n';
}

void PrintMemberTitles(std::ostream& out) {
  out << "method     packed   unpacked  crc     time                  attr   os    path\n";
}

void PrintMember(std::ostream& out, const HeaderState& state) {
  const MemberHeader& header = CurrentHeader(state);
  out << std::string(header.method, sizeof header.method) << ' ' << std::setw(10)
      << header.packedSize << ' ' << std::setw(10) << header.unpackedSize << "  "
      << Hex(header.dataCrc, 4) << "  " << UtcTime(header.timeStamp) << "  " << std::left
      << std::setw(5) << AttributeText(state.attributes) << "  " << std::setw(4)
      << OsIdText(header.osId) << std::right << "  " << Printable(ShownMemberPath(state)) << '\n';
}

void PrintCheckValue(std::ostream& out, const PassArea& area) {
  const HeaderState& state = area.header;
  out << "check value      " << Hex(state.checkValue, 4);
  if (area.run.failed) {
    out << " (not verified: the walk failed)\n";
  } else if (state.crcXor == state.checkValue) {
    out << " (matches)\n";
  } else {
    out << " (the members give " << Hex(state.crcXor, 4) << ")\n";
  }
}

// The notice or the script, decoded as the stub decodes it, as much as the stub keeps of it.
struct ReservedText {
  const char* title;
  std::string text;
};

bool ReadReservedText(PassArea& area, std::vector<ReservedText>& texts) {
  const bool notice = ReservedMemberOf(area.header.memberPath) == kNoticeText;
  const uint32_t capacity = notice ? kNoticeCapacity : kScriptCapacity;
  std::vector<char> text(capacity, '\0');
  return PassOverFailure(area, [&] {
    const DecodeStatus status = DecodeCurrentMember(
        area, {platform::kNoFile, text.data(), capacity, area.crc, nullptr, nullptr});
    if (status == kDecodeDone) texts.push_back({notice ? "notice" : "script", text.data()});
    return status;
  });
}

// Each line shown as the terminal may show it, indented under its title.
void PrintReservedText(std::ostream& out, const ReservedText& reserved) {
  out << reserved.title << ":\n";
  std::istringstream lines(reserved.text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out << "  " << Shown(line) << '\n';
  }
}

}  // namespace

int ShowArchiveInfo(const std::string& path, std::ostream& out) {
  ToolJob job;
  job.opened = [&out](PassArea& area, bool hasSettings) {
    if (hasSettings) PrintSettings(out, area.run.settings);
    PrintMemberTitles(out);
  };
  std::vector<ReservedText> texts;
  job.member = [&](PassArea& area) {
    PrintMember(out, area.header);
    if (ReservedMemberOf(area.header.memberPath) != kOrdinaryMember) {
      return ReadReservedText(area, texts);
    }
    return SkipMemberData(area.run, area.header);
  };
  job.walked = [&](PassArea& area) {
    if (area.run.settings.flags & kFlagCheckValue) PrintCheckValue(out, area);
    if (HasSettingsBlock(path)) {
      out << "signature        " << DescribeSignature(ReadPeSignature(path)) << '\n';
    }
    for (const ReservedText& reserved : texts) PrintReservedText(out, reserved);
  };
  return WalkMembers(path, job);
}

void AddInfoCommand(CLI::App& app, int& status) {
  auto view = std::make_shared<std::optional<FactsView>>();
  CLI::App* info = AddArchiveCommand(
      app, "info", "Show the settings block and the members of a distributable or LZH archive",
      kInfoExitStatus, status, [view](const std::string& path) {
        return *view ? ExplainDistributable(path, **view, std::cout)
                     : ShowArchiveInfo(path, std::cout);
      });
  CLI::Option* explain = info->add_flag_callback(
      "--explain", [view] { *view = FactsView::kSentences; },
      "Say in sentences what running the distributable would do");
  info->add_flag_callback(
          "--json", [view] { *view = FactsView::kJson; },
          "The same facts as JSON for scripts (docs/info-json.md)")
      ->excludes(explain);
}
