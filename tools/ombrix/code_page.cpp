#include "ombrix/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"
#include "platform/posix/posix_system.h"

namespace {

// One conversion at a time, its state closed with it.
class Converter {
 public:
  Converter(const std::string& to, const std::string& from)
      : handle_(iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (Open()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool Open() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much of in as it can onto out; says why it stopped (0: all of it) and leaves in
  // at the first byte it did not take.
  int Step(std::string_view& in, std::string& out) {
    char buffer[256];
    char* from = const_cast<char*>(in.data());
    size_t left = in.size();
    int error = 0;
    while (left != 0 && error == 0) {
      char* to = buffer;
      size_t room = sizeof buffer;
      if (iconv(handle_, &from, &left, &to, &room) == static_cast<size_t>(-1) && errno != E2BIG) {
        error = errno;
      }
      out.append(buffer, static_cast<size_t>(to - buffer));
    }
    in.remove_prefix(in.size() - left);
    return error;
  }

 private:
  iconv_t handle_;
};

std::unique_ptr<CodePage> archiveCodePage;

}  // namespace

CodePage::CodePage(unsigned number) : number_(number), name_("CP" + std::to_string(number)) {
  Converter probe("UTF-8", name_);
  if (!probe.Open() || !Converter(name_, "UTF-8").Open()) {
    throw ToolError(FormatMessage(kUnknownCodePage, number));
  }
  // A lead byte is one that iconv finds incomplete on its own.
  for (unsigned byte = 0x80; byte < 0x100; ++byte) {
    const char alone = static_cast<char>(byte);
    std::string_view in(&alone, 1);
    std::string out;
    leadBytes_[byte] = probe.Step(in, out) == EINVAL;
  }
}

std::string CodePage::ToUtf8(std::string_view text) const {
  std::string out;
  while (!text.empty()) {
    Converter converter("UTF-8", name_);
    if (converter.Step(text, out) == 0) break;
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(text[0]));
    out += escaped;
    text.remove_prefix(1);
  }
  return out;
}

std::optional<std::string> CodePage::FromUtf8(std::string_view utf8) const {
  Converter converter(name_, "UTF-8");
  std::string out;
  if (converter.Step(utf8, out) != 0) return std::nullopt;
  return out;
}

const CodePage& ArchiveCodePage() {
  if (!archiveCodePage) UseArchiveCodePage(CodePage::kDefault);
  return *archiveCodePage;
}

void UseArchiveCodePage(unsigned number) {
  archiveCodePage = std::make_unique<CodePage>(number);
  platform::posix::System().isLeadByte = [](uint8_t byte) {
    return archiveCodePage->IsLeadByte(byte);
  };
}

void AddCodePageOption(CLI::App& command) {
  command.add_option_function<unsigned>(
      "--codepage",
      [](unsigned number) {
        try {
          UseArchiveCodePage(number);
        } catch (const ToolError& error) {
          throw CLI::ValidationError("--codepage", error.what());
        }
      },
      "Windows code page of the member names and texts (default 932, Japanese; 1252 Western)");
}
