#include "platform/posix/confined_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/posix/file_kind.h"
#include "platform/posix/interrupt_guard.h"
#include "platform/posix/posix_platform.h"

namespace platform::posix {

namespace {

// A descriptor that closes itself.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  Descriptor(Descriptor&& other) noexcept : fd_(other.Release()) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  ~Descriptor() { Reset(); }
  int get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }
  void Reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

// The directory that holds a path's last component, and that component.
struct Place {
  Descriptor directory;
  std::string name;
};

struct Confinement {
  Descriptor root;
  std::string prefix;  // with its closing '/'
  LinuxName linuxName;
  // The member being written: its temporary file beside its place.
  std::optional<Place> pending;
  std::string pendingTemp, pendingPath;
  unsigned tempCount = 0;
};
Confinement confinement;

// Opens each directory of path beneath the root without following a link; the reason is noted
// when one is missing, is a link or is not a directory.
std::optional<Place> Resolve(const char* path) {
  std::string_view rest(path);
  if (!rest.starts_with(confinement.prefix)) {
    NoteFailure("it lies outside the target directory");
    return std::nullopt;
  }
  rest.remove_prefix(confinement.prefix.size());
  Descriptor directory(::fcntl(confinement.root.get(), F_DUPFD_CLOEXEC, 0));
  std::string walked = confinement.prefix;
  for (size_t slash; (slash = rest.find('/')) != std::string_view::npos;) {
    const std::string component = confinement.linuxName(rest.substr(0, slash));
    rest.remove_prefix(slash + 1);
    if (component.empty() || component == ".") continue;
    walked += component;
    if (component == "..") {
      NoteFailure(("\"" + walked + "\" leads out of the target directory").c_str());
      return std::nullopt;
    }
    const int next =
        ::openat(directory.get(), component.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0) {
      struct stat info {};
      if (::fstatat(directory.get(), component.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
          !S_ISDIR(info.st_mode)) {
        NoteFailure(("\"" + walked + "\" is " + FileKind(info.st_mode) +
                     (S_ISLNK(info.st_mode) ? ", which extraction never follows" : ""))
                        .c_str());
      } else {
        NoteSystemFailure();
      }
      return std::nullopt;
    }
    directory.Reset(next);
    walked += '/';
  }
  if (rest.empty() || rest == "." || rest == "..") {
    NoteFailure("it names no file");
    return std::nullopt;
  }
  return Place{std::move(directory), confinement.linuxName(rest)};
}

bool Pending(const char* path) {
  return confinement.pending && confinement.pendingPath == path;
}

void DropPending() {
  if (!confinement.pending) return;
  ::unlinkat(confinement.pending->directory.get(), confinement.pendingTemp.c_str(), 0);
  ReleaseInterruptGuard();
  confinement.pending.reset();
}

}  // namespace

bool ConfineOutput(const char* root, const char* prefix, LinuxName linuxName) {
  EndConfinement();
  const int fd = ::open(root, O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return NoteSystemFailure(), false;
  confinement.root.Reset(fd);
  confinement.prefix = std::string(prefix) + "/";
  confinement.linuxName = std::move(linuxName);
  return true;
}

void EndConfinement() {
  DropPending();
  confinement.root.Reset();
}

bool OutputConfined() {
  return confinement.root.get() >= 0;
}

namespace {

// A file or a link at a member's place is replaced; anything else there is left alone.
bool Replaceable(const Place& place, bool& existed) {
  struct stat info {};
  existed = ::fstatat(place.directory.get(), place.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
  if (existed && !S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) {
    NoteFailure((std::string("it is ") + FileKind(info.st_mode) + ", which is left alone").c_str());
    return false;
  }
  return true;
}

// Names to try for a temporary file beside a member's place; a name that is taken, even by a
// link planted to catch it, is passed by.
constexpr int kTempAttempts = 1000;
std::string NextTempName() {
  return ".ombrix-" + std::to_string(::getpid()) + "-" + std::to_string(confinement.tempCount++);
}

}  // namespace

FileHandle CreateConfined(const char* path) {
  DropPending();
  std::optional<Place> place = Resolve(path);
  bool existed;
  if (!place || !Replaceable(*place, existed)) return kNoFile;
  const int directory = place->directory.get();
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    const std::string temp = NextTempName();
    const int fd = ::openat(directory, temp.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0) {
      GuardAgainstInterrupt(directory, temp.c_str());
      confinement.pending = std::move(place);
      confinement.pendingTemp = temp;
      confinement.pendingPath = path;
      return fd;
    }
    if (errno != EEXIST) break;
  }
  NoteSystemFailure();
  return kNoFile;
}

void DeleteConfined(const char* path) {
  if (Pending(path)) DropPending();
}

void MakeConfinedDirectory(const char* path) {
  if (std::optional<Place> place = Resolve(path)) {
    ::mkdirat(place->directory.get(), place->name.c_str(), 0777);
  }
  TakeFailureReason();  // failures here are ignored, as the seam's are; the create says why
}

void SetConfinedAttributes(const char* path, uint32_t attributes) {
  if (!Pending(path)) return;  // the file that was there keeps its own until it is replaced
  const int directory = confinement.pending->directory.get();
  struct stat info {};
  if (::fstatat(directory, confinement.pendingTemp.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
    return;
  }
  const mode_t writable = S_IWUSR | S_IWGRP | S_IWOTH;
  const mode_t mode = (attributes & 0x01) ? info.st_mode & ~writable : info.st_mode | S_IWUSR;
  ::fchmodat(directory, confinement.pendingTemp.c_str(), mode & 07777, 0);
}

uint32_t ConfinedAttributes(const char* path, int64_t* modified) {
  std::optional<Place> place = Resolve(path);
  TakeFailureReason();  // a path that cannot be resolved is reported when it is created
  struct stat info {};
  if (!place ||
      ::fstatat(place->directory.get(), place->name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
    return kNoAttributes;
  }
  // Only a file's own date can make it as new as a member: a link or a FIFO is never kept for its
  // date, but replaced, or refused when the member is created.
  if (modified != nullptr) *modified = S_ISREG(info.st_mode) ? info.st_mtime : 0;
  if (S_ISDIR(info.st_mode)) return kAttributeDirectory;
  return S_ISREG(info.st_mode) && !(info.st_mode & S_IWUSR) ? 0x21 : 0x20;
}

Placed MakeConfinedLink(const char* path, const std::string& target) {
  DropPending();
  std::optional<Place> place = Resolve(path);
  bool existed;
  if (!place || !Replaceable(*place, existed)) return Placed::kFailed;
  const int directory = place->directory.get();
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    const std::string temp = NextTempName();
    if (::symlinkat(target.c_str(), directory, temp.c_str()) != 0) {
      if (errno == EEXIST) continue;
      break;
    }
    if (::renameat(directory, temp.c_str(), directory, place->name.c_str()) == 0) {
      return existed ? Placed::kReplaced : Placed::kCreated;
    }
    NoteSystemFailure();
    ::unlinkat(directory, temp.c_str(), 0);
    return Placed::kFailed;
  }
  NoteSystemFailure();
  return Placed::kFailed;
}

namespace {

int OpenPending(int flags) {
  return ::openat(confinement.pending->directory.get(), confinement.pendingTemp.c_str(),
                  flags | O_NOFOLLOW | O_CLOEXEC);
}

}  // namespace

bool ReadPendingStart(uint8_t* buffer, size_t count) {
  if (!confinement.pending) return false;
  const Descriptor file(OpenPending(O_RDONLY));
  return file.get() >= 0 && ::pread(file.get(), buffer, count, 0) == static_cast<ssize_t>(count);
}

bool KeepPendingStretch(uint64_t offset, uint64_t length) {
  if (!confinement.pending) return false;
  const int directory = confinement.pending->directory.get();
  const char* temp = confinement.pendingTemp.c_str();
  struct stat info {};
  if (::fstatat(directory, temp, &info, AT_SYMLINK_NOFOLLOW) != 0)
    return NoteSystemFailure(), false;
  ::fchmodat(directory, temp, (info.st_mode | S_IWUSR) & 07777, 0);  // a read-only member too
  const Descriptor file(OpenPending(O_RDWR));
  bool kept = file.get() >= 0;
  std::vector<char> chunk(65536);
  for (uint64_t done = 0; kept && done < length;) {
    const auto want = static_cast<ssize_t>(std::min<uint64_t>(chunk.size(), length - done));
    kept = ::pread(file.get(), chunk.data(), want, static_cast<off_t>(offset + done)) == want &&
           ::pwrite(file.get(), chunk.data(), want, static_cast<off_t>(done)) == want;
    done += static_cast<uint64_t>(want);
  }
  const timespec times[2] = {info.st_atim, info.st_mtim};
  kept = kept && ::ftruncate(file.get(), static_cast<off_t>(length)) == 0 &&
         ::futimens(file.get(), times) == 0;
  if (!kept) NoteSystemFailure();
  ::fchmodat(directory, temp, info.st_mode & 07777, 0);
  return kept;
}

Placed PlaceOutput() {
  if (!confinement.pending) return Placed::kNothing;
  const int directory = confinement.pending->directory.get();
  const char* name = confinement.pending->name.c_str();
  struct stat info {};
  const bool existed = ::fstatat(directory, name, &info, AT_SYMLINK_NOFOLLOW) == 0;
  if (::renameat(directory, confinement.pendingTemp.c_str(), directory, name) != 0) {
    NoteSystemFailure();
    DropPending();
    return Placed::kFailed;
  }
  ReleaseInterruptGuard();
  confinement.pending.reset();
  return existed ? Placed::kReplaced : Placed::kCreated;
}

}  // namespace platform::posix
