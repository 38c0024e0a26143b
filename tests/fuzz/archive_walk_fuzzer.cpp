// Start-up over a program file made of the input: the settings block, the scan pass over the
// archive with the notice answered from the input, the script's first reading and the default
// directory, up to the moment the dialog would open.
#include <cstring>
#include <vector>

#include "archive/member_header.h"
#include "decode/member_decoder.h"
#include "fuzz_harness.h"
#include "fuzz_inputs.h"
#include "startup/main_procedure.h"
#include "startup/settings_block.h"
#include "startup/work_area.h"

namespace {

// The scan decodes the notice and the script whatever size their headers claim, and a constant
// code makes any size out of no data at all, so the work of one input is bounded where a member
// goes to the decoder. An input over the bound is dropped, not reported.
constexpr uint32_t kDecodeBudget = 4u << 20;
uint32_t decodeBudgetLeft;
struct OverBudget {};

bool trustHeaderCrcs;

void CheckStartupResult() {
  const SettingsBlock& settings = work->settings;
  CheckThat(IsTerminated(settings.windowTitle, sizeof settings.windowTitle) &&
                IsTerminated(settings.installTitle, sizeof settings.installTitle) &&
                IsTerminated(settings.installDir, sizeof settings.installDir) &&
                IsTerminated(settings.command, sizeof settings.command),
            "a settings text is not terminated when the dialog opens");
  CheckThat(IsTerminated(work->classCheckText, sizeof work->classCheckText) &&
                IsTerminated(work->groupCheckText, sizeof work->groupCheckText) &&
                IsTerminated(work->memberPath, sizeof work->memberPath) &&
                IsTerminated(work->scratch, sizeof work->scratch) &&
                IsTerminated(work->script, sizeof work->script),
            "a text of the scan is not terminated when the dialog opens");
  CheckThat(work->header == nullptr && !IsOpen(work->archiveFile),
            "the scan left its header or the program file behind");
}

std::vector<uint8_t> MakeProgramFile(const uint8_t* data, size_t size, uint8_t options) {
  std::vector<uint8_t> file(kSettingsOffset, 0);
  file[0] = 'M';
  file[1] = 'Z';
  file.insert(file.end(), data + kWalkControlSize, data + size);
  if (!(options & kWalkKeepArchiveOffset)) {
    constexpr uint32_t kAfterBlock = kSettingsOffset + kSettingsSize;
    if (file.size() < kSettingsOffset + sizeof kAfterBlock) {
      file.resize(kSettingsOffset + sizeof kAfterBlock);
    }
    std::memcpy(file.data() + kSettingsOffset, &kAfterBlock, sizeof kAfterBlock);
  }
  return file;
}

}  // namespace

// The linker sends the core's calls of DecodeMemberData and UpdateCrc from other files here, and
// the real names below to the originals.
void DecodeMemberDataWithinBudget() asm("__wrap__Z16DecodeMemberDatav");
void RealDecodeMemberData() asm("__real__Z16DecodeMemberDatav");
uint16_t UpdateCrcTrustingHeaders(const uint8_t* bytes,
                                  int32_t count) asm("__wrap__Z9UpdateCrcPKhi");
uint16_t RealUpdateCrc(const uint8_t* bytes, int32_t count) asm("__real__Z9UpdateCrcPKhi");

void DecodeMemberDataWithinBudget() {
  const char method = MethodLetter();
  if (method != '0' && method != 'd') {
    const uint32_t size = CurrentHeader().unpackedSize;
    if (size > decodeBudgetLeft) throw OverBudget{};
    decodeBudgetLeft -= size;
  }
  RealDecodeMemberData();
}

uint16_t UpdateCrcTrustingHeaders(const uint8_t* bytes, int32_t count) {
  const uint16_t crc = RealUpdateCrc(bytes, count);
  return trustHeaderCrcs && bytes == work->header ? work->headerCrc : crc;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kWalkControlSize) return -1;
  const uint8_t answers = data[kWalkAnswersByte];
  const uint8_t options = data[kWalkOptionsByte];
  const std::vector<uint8_t> file = MakeProgramFile(data, size, options);

  auto& hooks = ResetPlatform();
  hooks.moduleFileName = WriteProgramFile(file.data(), file.size());
  hooks.currentDirectory = "C:\\Current";
  hooks.codePage932 = (options & kWalkShiftJis) != 0;
  if (const int failing = options >> kWalkFailingAllocationShift; failing != 0) {
    hooks.allocationsBeforeFailure = failing - 1;
  }
  hooks.answerBox = [answers](const platform::posix::MessageBoxRecord&) {
    const size_t index = (platform::posix::GetHooks().boxes.size() - 1) % 8;
    return (answers >> index) & 1 ? platform::kAnswerYes : platform::kAnswerNo;
  };
  hooks.mainDialog = [] {
    CheckStartupResult();
    return 0;
  };
  decodeBudgetLeft = kDecodeBudget;
  trustHeaderCrcs = (options & kWalkTrustHeaderCrcs) != 0;
  work = nullptr;
  const char* tail = options & kWalkDirectoryArgument ? "-c \"C:\\Program Files\\Given\"" : "";

  bool dropped = false;
  try {
    RunProgram(nullptr, tail);
    if (work != nullptr) {
      CheckThat(work->header == nullptr && !IsOpen(work->archiveFile),
                "a failed scan left its header or the program file behind");
    }
  } catch (const ProcessEnded& ended) {
    CheckThat(ended.status == 1, "a stop during the scan with a status other than 1");
    CheckThat(!IsOpen(work->archiveFile), "the stop left the program file open");
  } catch (const OverBudget&) {
    platform::CloseRead(work->archiveFile);
    dropped = true;
  }
  ReleaseWorkArea();
  CheckNoDescriptorLeft();
  return dropped ? -1 : 0;
}
