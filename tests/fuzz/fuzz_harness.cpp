#include "fuzz_harness.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/platform.h"
#include "startup/work_area.h"

void CheckThat(bool condition, const char* message) {
  if (condition) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", message);
  std::abort();
}

bool IsTerminated(const char* text, size_t capacity) {
  return std::memchr(text, '\0', capacity) != nullptr;
}

void StartWorkArea() {
  work = static_cast<WorkArea*>(platform::AllocZeroed(sizeof(WorkArea)));
  CheckThat(work != nullptr, "no memory for the work area");
  program = ProgramState{};
}

bool IsOpen(platform::FileHandle file) {
  // A fresh work area holds 0 in its handles, which nothing has opened.
  return file != 0 && file != platform::kNoFile;
}

void ReleaseWorkArea() {
  if (work == nullptr) return;
  platform::Release(work->header);
  platform::Release(work);
  work = nullptr;
}

namespace {

int LowestFreeDescriptor() {
  const int probe = open("/dev/null", O_RDONLY | O_CLOEXEC);
  close(probe);
  return probe;
}

// The lowest descriptor free when the input started, which it must leave free again; the
// fuzzer's own files come and go between inputs.
int freeDescriptorAtStart = -1;

// What the harness keeps for the life of the process: the memory file that stands for the
// program file and a directory for output files.
struct Resources {
  int programFile = memfd_create("ombrix-program", MFD_CLOEXEC);
  std::string programPath = "/proc/self/fd/" + std::to_string(programFile);
  std::filesystem::path outputDirectory = MakeOutputDirectory();
  std::string outputPath = (outputDirectory / "member.out").string();

  ~Resources() {
    std::error_code ignored;
    std::filesystem::remove_all(outputDirectory, ignored);
  }

  static std::filesystem::path MakeOutputDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ombrix-fuzz-XXXXXX").string();
    CheckThat(mkdtemp(pattern.data()) != nullptr, "cannot make the output directory");
    return pattern;
  }
};

Resources& Shared() {
  static Resources resources;
  CheckThat(resources.programFile >= 0, "no memory file for the program file");
  return resources;
}

}  // namespace

platform::posix::Hooks& ResetPlatform() {
  Shared();
  freeDescriptorAtStart = LowestFreeDescriptor();
  platform::posix::ResetHooks();
  auto& hooks = platform::posix::GetHooks();
  hooks.endProcess = [](int status) { throw ProcessEnded{status}; };
  hooks.answerBox = [](const platform::posix::MessageBoxRecord&) { return platform::kAnswerYes; };
  return hooks;
}

const std::string& WriteProgramFile(const uint8_t* bytes, size_t size) {
  const Resources& shared = Shared();
  CheckThat(ftruncate(shared.programFile, 0) == 0, "cannot empty the program file");
  size_t done = 0;
  while (done < size) {
    const ssize_t put =
        pwrite(shared.programFile, bytes + done, size - done, static_cast<off_t>(done));
    CheckThat(put > 0, "cannot write the program file");
    done += static_cast<size_t>(put);
  }
  return shared.programPath;
}

const std::string& OutputFilePath() {
  return Shared().outputPath;
}

void CheckNoDescriptorLeft() {
  CheckThat(LowestFreeDescriptor() == freeDescriptorAtStart,
            "an input left a file descriptor open or closed one it did not own");
}
