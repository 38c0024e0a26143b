// Start-up as the stub runs it, up to the moment the dialog would open. Input: an answers byte (bit
// i mod 8 answers the i-th box, 1 Yes), an options byte (n in its high nibble fails the nth
// allocation), the command line ended by 0, then the program file from offset 512 on.
#include <sanitizer/allocator_interface.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "fuzz_harness.h"
#include "startup/command_line.h"
#include "startup/main_procedure.h"
#include "startup/work_area.h"
#include "ui/main_dialog.h"

namespace {

// A constant code makes any size of no data: sizes wherever a header could begin total 1 MiB.
void CutSizes(std::vector<uint8_t>& file) {
  uint32_t budget = 1 << 20, size;
  for (size_t at = 0; at + kFixedHeaderSize <= file.size(); ++at) {
    uint8_t* h = file.data() + at;
    if (std::memcmp(h + 2, "-lh", 3) != 0 || h[5] < '4' || h[5] > '7' || h[6] != '-') continue;
    std::memcpy(&size, h + 11, 4), size = std::min(size, budget), budget -= size;
    std::memcpy(h + 11, &size, 4);
  }
}

// RunProgram's work area: a fatal stop leaves it to the process exit, here the input's end.
void* workArea;
void NoteAllocation(const volatile void* block, size_t size) {
  if (size == sizeof(WorkArea)) workArea = const_cast<void*>(block);
}

}  // namespace

int CheckDialogOpening(void*, PassArea& area, SetupState& setup, DialogState&) {
  const SettingsBlock& s = area.run.settings;
  CheckThat(AllTerminated(s.windowTitle, s.installTitle, s.installDir, s.command,
                          setup.classCheckText, setup.groupCheckText, area.header.memberPath,
                          area.run.scratch, area.run.notice, area.run.script) &&
                area.header.header == nullptr && area.run.program.file == platform::kNoFile,
            "the dialog opens on a text without its end, or with the header or program file left");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const int hooked = __sanitizer_install_malloc_and_free_hooks(
      NoteAllocation, +[](const volatile void*) {});
  if (size < 2 || !hooked) return -1;
  const size_t lineLength = size_t(std::find(data + 2, data + size, 0) - (data + 2));
  const auto line = std::make_unique<char[]>(lineLength + 1);  // a read past its end is caught
  std::memcpy(line.get(), data + 2, lineLength);
  std::vector<uint8_t> file(data + std::min(size, lineLength + 3), data + size);
  file.insert(file.begin(), kSettingsOffset, 0), file[0] = 'M', file[1] = 'Z';
  CutSizes(file);
  const int freeAtStart = LowestFreeDescriptor();
  auto& hooks = platform_double::ResetHooks();
  hooks.moduleFileName = OwnPath("program.exe", file);
  hooks.allocationsBeforeFailure = (data[1] >> 4) - 1;
  hooks.answerBox = [answers = data[0], &hooks](const auto&) {
    return answers >> (hooks.boxes.size() - 1) % 8 & 1 ? platform::kAnswerYes : platform::kAnswerNo;
  };
  try {
    RunProgram(nullptr, SkipProgramName(line.get()), CheckDialogOpening);
  } catch (const ProcessEnded& ended) {
    CheckThat(ended.status == 1, "a stop during the scan with a status other than 1");
    ReleaseHeader(static_cast<WorkArea*>(workArea)->pass.header);
    platform::Release(workArea);
  }
  CheckThat(LowestFreeDescriptor() == freeAtStart, "an input left a descriptor open or closed one");
  return 0;
}
