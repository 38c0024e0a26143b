#include "ombrix/code_signing.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "ombrix/output_file.h"
#include "ombrix/pe_signature.h"
#include "ombrix/project_file.h"
#include "ombrix/regular_file.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr char kSigner[] = "osslsigncode";

bool OnPath(const std::string& program) {
  const char* variable = std::getenv("PATH");
  std::string_view rest = variable != nullptr ? variable : "";
  for (;;) {
    const size_t colon = rest.find(':');
    const std::string directory(rest.substr(0, colon));
    if (::access(((directory.empty() ? "." : directory) + "/" + program).c_str(), X_OK) == 0) {
      return true;
    }
    if (colon == std::string_view::npos) return false;
    rest.remove_prefix(colon + 1);
  }
}

// A private directory for what osslsigncode writes: it writes over no existing file.
class WorkDirectory {
 public:
  WorkDirectory() {
    std::string pattern = (fs::temp_directory_path() / "ombrix-sign-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw ToolError(FormatMessage(kCannotWrite, pattern.c_str(), std::strerror(errno)));
    }
    path_ = pattern;
  }
  ~WorkDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  WorkDirectory(const WorkDirectory&) = delete;
  WorkDirectory& operator=(const WorkDirectory&) = delete;

  fs::path operator/(const char* name) const { return path_ / name; }

 private:
  fs::path path_;
};

// Runs osslsigncode with nothing to read, its output in log; its wait status.
int RunSigner(const std::vector<std::string>& arguments, const fs::path& log) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  const int error = ::posix_spawnp(&child, kSigner, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error == ENOENT) throw ToolError(kSignerMissing);
  if (error != 0) throw ToolError(FormatMessage(kCannotReadBecause, kSigner, std::strerror(error)));
  int status = 0;
  while (::waitpid(child, &status, 0) == -1 && errno == EINTR) {
  }
  return status;
}

// What osslsigncode said first, which names the file or setting it could not use.
std::string FirstComplaint(const fs::path& log, int status) {
  std::ifstream in(log);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) return line;
  }
  return WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                           : "ended by signal " + std::to_string(WTERMSIG(status));
}

void SignOutput(OutputFile& output, const SigningOptions& signing, const std::string& outPath) {
  const WorkDirectory work;
  const fs::path signedPath = work / "signed.exe";
  const fs::path log = work / "osslsigncode.log";
  const int status =
      RunSigner({kSigner, "sign", "-h", "sha256", "-certs", signing.certPath, "-key",
                 signing.keyPath, "-in", output.TempPath(), "-out", signedPath.string()},
                log);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw ToolError(
        FormatMessage(kSigningFailed, outPath.c_str(), FirstComplaint(log, status).c_str()));
  }
  // Read back as `test` reads it, as the packer reads back what it packs.
  const PeSignature signature = ReadPeSignature(signedPath.string());
  if (signature.status != PeSignature::kCovers) {
    throw ToolError(
        FormatMessage(kSignedNotCovering, outPath.c_str(), DescribeSignature(signature).c_str()));
  }
  std::ifstream in(signedPath, std::ios::binary);
  output.Truncate(0);
  std::vector<char> chunk(1 << 20);
  while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
    output.Write(
        {reinterpret_cast<const uint8_t*>(chunk.data()), static_cast<size_t>(in.gcount())});
  }
  if (in.bad()) throw ToolError(FormatMessage(kCannotRead, signedPath.c_str()));
}

}  // namespace

void AddSigningOptions(CLI::App& pack, SigningOptions& signing, CLI::Option* plain) {
  CLI::Option* cert = pack.add_option(
      "--sign-cert", signing.certPath,
      "Sign the distributable (Authenticode, with osslsigncode) with this certificate, PEM or "
      "DER, any intermediate certificates after it");
  CLI::Option* key =
      pack.add_option("--sign-key", signing.keyPath, "The certificate's private key, unencrypted");
  cert->needs(key)->excludes(plain)->type_name(kReadPathType);
  key->needs(cert)->excludes(plain)->type_name(kReadPathType);
}

void ArrangeSigning(const std::shared_ptr<const SigningOptions>& signing, PackOptions& options) {
  if (signing->certPath.empty()) return;
  if (!OnPath(kSigner)) throw ToolError(kSignerMissing);
  RequireRegularFile(signing->certPath, kNotFound);
  RequireRegularFile(signing->keyPath, kNotFound);
  options.beforeCommit = [signing, outPath = options.outPath](OutputFile& output) {
    SignOutput(output, *signing, outPath);
  };
}
