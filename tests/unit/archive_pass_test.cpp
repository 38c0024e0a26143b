// The archive walk's members and paths, and the scan's boxes, in order, and verdict.
#include <functional>

#include "base/text.h"
#include "core_test.h"
#include "ombrix/extract_command.h"
#include "setup/scan_pass.h"

namespace {

using platform_double::GetHooks;
using ArchivePassTest = CoreTest;

Member With(Member member, const std::function<void(Member&)>& change) {
  change(member);
  return member;
}

Member WithOs(uint8_t osId) {
  return With(TextMember("", "f"),
              [osId](Member& m) { m.osId = osId, m.attributes = kAttrReadOnly | kAttrHidden; });
}

// A directory name gets its closing separator, also after a Shift-JIS trail byte of 0x5C.
TEST_F(ArchivePassTest, TheWalkFindsEveryMemberUnderItsPath) {
  // clang-format off
  const std::pair<Member, std::string> cases[] = {
      {DirectoryMember("sub" + kSep, 0), "sub/ d16"},
      {WithOs('M'), "f 03"}, {WithOs('W'), "f 03"}, {WithOs('w'), "f 03"},
      {TextMember("a/b\\c" + kSep, "d\\e"), "a/b/c/d/e 032"},
      {With(TextMember("only" + kSep, "x"), [](Member& m) { m.fileName.reset(); }), "only/ 032"},
      {With(TextMember("only", "x"), [](Member& m) { m.fileName.reset(); }), "only 032"},
      {TextMember("\x95\x5C", "f"), "\x95\x5C/f 032"},
      {TextMember("\x95\x5C" + kSep, "g"), "\x95\x5C/g 032"},
  };
  // clang-format on
  std::vector<Member> members;
  std::vector<std::string> expected, walked;  // "path, method letter, attributes"
  for (const auto& [member, path] : cases) members.push_back(member), expected.push_back(path);
  hooks().isLeadByte = platform_double::ShiftJisLeadByte;
  UseArchive(BuildArchive(members));
  const auto walk = [](PassArea& area, void* context) {
    const auto& h = area.header;
    static_cast<std::vector<std::string>*>(context)->push_back(
        std::string(h.memberPath) + " " + CurrentMethod(h).letter + std::to_string(h.attributes));
    return SkipMemberData(area.run, area.header);
  };
  EXPECT_TRUE(RunArchivePass(*area_, nullptr, {walk, nullptr, &walked}));
  EXPECT_EQ(walked, expected);
  EXPECT_TRUE(hooks().boxes.empty());
}

std::vector<uint8_t> Archive(const std::vector<Member>& members, int checkValue = -1) {
  std::vector<uint8_t> archive = BuildArchive(members, {.checkValue = checkValue >= 0});
  if (checkValue >= 0) PutU16(archive, 0, uint16_t(checkValue));
  return archive;
}
std::vector<uint8_t> Archive(const std::function<void(Member&)>& change) {
  return Archive({With(TextMember("", "f"), change)});
}

// The member "f" with value at header byte `at` (from the end when negative), under its CRC.
std::vector<uint8_t> Patched(ptrdiff_t at, uint32_t value, int bytes = 2) {
  return Archive([=](Member& m) {
    m.editBeforeCrc = [=](std::vector<uint8_t>& h) {
      for (int i = 0; i < bytes; ++i)
        h.at(size_t(at < 0 ? ptrdiff_t(h.size()) + at : at) + i) = uint8_t(value >> 8 * i);
    };
  });
}

// A scan and the extraction after it: exit code, final window title, BoxMessages.
struct Verdict {
  int exit;
  std::string title, boxes;
};
struct Row {
  std::string what;
  std::vector<uint8_t> archive;
  Verdict verdict;
  std::function<void(PassArea&)> arrange = [](PassArea&) {};
};

// One row per branch of damage, surroundings, notices and scripts, and a cut at each boundary the
// walk treats apart; scan_boxes.py runs more damage in the stub, the walk's fuzzer the bounds.
std::vector<Row> Catalogue() {
  const auto checked = [](PassArea& area) { area.run.settings.flags |= kFlagCheckValue; };
  const auto declined = [](PassArea& area) {
    area.run.settings.flags |= kFlagCheckValue;
    GetHooks().answerBox = [](const auto&) { return platform::kAnswerNo; };
  };
  const std::vector<uint8_t> plain = Archive([](Member&) {});
  const Member corrupt =
      With(TextMember("", "c"), [](Member& m) { m.editAfterCrc = [](auto& h) { h[15] ^= 1; }; });
  const std::vector<Member> members = {
      TextMember("", "!", "Read."), TextMember("", "$", "$WindowTitle=S\r\n"), TextMember("", "a")};
  const Member &notice = members[0], &script = members[1];
  const std::vector<uint8_t> whole = BuildArchive(members);
  const auto cut = [&](size_t size) { return std::vector(whole.begin(), whole.begin() + size); };
  const size_t scriptAt = EncodeMemberHeader(notice).size() + notice.data.size(),
               file = scriptAt + EncodeMemberHeader(script).size() + script.data.size();
  // A size that a 16-bit walk would wrap back to the first extended header with.
  const auto wrap = uint32_t(0x10000 + 26 - EncodeMemberHeader(TextMember("", "f")).size());
  const Verdict bad = {0, "T", "; Bad header"}, sound = {1, "T", ""};
  // clang-format off
  std::vector<Row> rows = {
      {"packed size past the file", Archive([](Member& m) { m.method = "-lh5-", m.editBeforeCrc =
         [](auto& h) { PutU32(h, kPackedSizeOffset, 1u << 31); }; }), {0, "T", "; Unexpeted EOF"}},
      // A stored member or a directory whose sizes would make passes see different members.
      {"stored sizes apart", Patched(kUnpackedSizeOffset, 5, 4), bad},
      {"directory with data", Archive([](Member& m) { m.method = "-lhd-"; }), bad},
      {"a name leading up", Archive({TextMember(".." + kSep, "escape.txt")}), bad},
      // An encoder flushes its last bits into the member: one that needs more is cut short, at once.
      {"compressed data that runs out", Archive([](Member& m) { m.method = "-lh5-", m.data.clear(),
         m.unpackedSize = 0xFFFFFFFF; }), {1, "T", "; Unexpeted EOF"}},
      {"chain wrapping back to its start", Patched(-2, wrap), bad},
      {"name of 259 bytes", Archive({TextMember("", std::string(259, 'n'))}), sound},
      {"name of 260 bytes", Archive({TextMember("", std::string(260, 'n'))}), bad},
      {"header size 25", Patched(kHeaderSizeOffset, 25), bad},  // 0 and 1: the end mark and a cut
      {"header size 0x80xx", Patched(kHeaderSizeOffset + 1, 0x80, 1),
       {0, "T", "; Not enough memory"}},
      {"no program file", plain, {0, "T", "; Open ERROR"}, [](PassArea& a) { a.run.program.path[1] = 'X'; }},
      {"no memory", plain, {0, "T", "; Not enough memory"},
       [](auto&) { GetHooks().allocationsBeforeFailure = 0; }},
      {"no header CRC", Archive([](Member& m) { m.withHeaderCrc = false; }), bad},
      {"header CRC broken", Archive({corrupt}), bad},
      {"CRC of 0 bytes", Patched(kFirstExtSizeOffset, 3), bad},
      // Archives without members, or that end early, are no error.
      {"no check value", {}, {0, "T", "; Unexpeted EOF"}, checked},
      {"end mark", {0, 0, 0}, sound, checked},
      // Only a notice at the top is one; an empty notice must not show what an earlier one left.
      {"notices", Archive({TextMember("x" + kSep, "!"), notice, TextMember("y" + kSep, "!"),
                           TextMember("", "!", "")}), {1, "T", "; Read.; "}},
      // The check value covers the reserved members; a script is read as it is met.
      {"checked", Archive(members, CheckValueOf(members)), {1, "S", "; Read."}, checked},
      {"checked without the reserved members", Archive(members,
         CheckValueOf(std::span(members).subspan(2))), {0, "S", "; Read.; Tampered DATA"}, checked},
      // After No the headers are still checked; a later script is decoded but ends the walk,
      // unread, and the check value is not tested.
      {"declined", Archive({notice, TextMember("", "a"), corrupt}, 0), {0, "T", "; Read.; Bad header"},
       declined},
      {"declined before a script", Archive({notice, TextMember("", "a"), script, corrupt}, 0),
       {0, "T", "; Read."}, declined},
      {"cut in the first header size", cut(1), {1, "T", ""}},
      {"cut in the notice", cut(scriptAt - 1), {1, "T", "; Unexpeted EOF"}},
      {"cut in the script", cut(file - 1), {1, "T", "; Read.; Unexpeted EOF"}},
      {"cut before the file", cut(file), {1, "S", "; Read."}},
      {"cut in the file's header", cut(file + 10), {0, "S", "; Read.; Bad header"}},
      {"cut in the file", cut(whole.size() - 2), {0, "S", "; Read.; Unexpeted EOF"}},
      {"notice holding a zero byte", Archive({TextMember("", "!", std::string("Before\0After", 12))}),
       {1, "T", "; Before"}},
  };
  // clang-format on
  for (const auto& [index, byte] :
       {std::pair<int, char>{0, '+'}, {1, 'L'}, {2, 'z'}, {4, '_'}, {3, '3'}, {3, '8'}, {3, 'D'}}) {
    rows.push_back({std::string("method ") + byte,
                    Patched(ptrdiff_t(kMethodOffset) + index, uint8_t(byte), 1), bad});
  }
  return rows;
}

TEST_F(ArchivePassTest, TheCatalogueOfDamagedArchives) {
  for (const Row& row : Catalogue()) {
    SetUp();
    UseArchive(row.archive);
    row.arrange(*area_);
    int exit = 1;
    try {
      SetupState setup{};
      if ((exit = RunScanPass(*area_, setup)) != 0) {  // the extraction reads the block anew
        std::vector<uint8_t> file = ReadFileBytes(run().program.path);
        std::memcpy(&file[kSettingsOffset], &run().settings, kSettingsSize);
        WriteFile("program.exe", file), ExtractArchive(run().program.path, "x");
      }
    } catch (const ProcessEnded&) {
      ReleaseHeader(area_->header);  // a stop leaves it to the end of the process
    }
    EXPECT_EQ(exit, row.verdict.exit) << row.what;
    EXPECT_EQ(run().settings.windowTitle, row.verdict.title) << row.what;
    EXPECT_EQ(BoxMessages(run().program.path), row.verdict.boxes) << row.what;
  }
}

}  // namespace
