#include "imagewriter/dos_text.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "imagewriter/pe_image.h"

namespace imagewriter {
namespace {

// Shift-JIS as DOS/V and Windows read it.
constexpr char kDosCodePage[] = "CP932";

std::string NormaliseLineEnds(std::string_view text) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\n') result += '\r';
    result += text[i];
  }
  if (!result.ends_with("\r\n")) result += "\r\n";
  return result;
}

}  // namespace

std::vector<uint8_t> ConvertToDosText(std::string_view utf8) {
  std::string input = NormaliseLineEnds(utf8);
  iconv_t converter = iconv_open(kDosCodePage, "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    throw pe::ImageError(std::string("no UTF-8 to ") + kDosCodePage + " converter");
  }
  // Never longer than the UTF-8 form: ASCII stays one byte, and every other character takes
  // at least two bytes in UTF-8 and at most two in code page 932.
  std::vector<uint8_t> output(input.size());
  char* in = input.data();
  size_t inLeft = input.size();
  char* out = reinterpret_cast<char*>(output.data());
  size_t outLeft = output.size();
  const size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
  const int error = errno;
  iconv_close(converter);
  if (result == static_cast<size_t>(-1)) {
    throw pe::ImageError("the DOS message cannot be written in " + std::string(kDosCodePage) +
                         " at byte " + std::to_string(input.size() - inLeft) + ": " +
                         std::strerror(error));
  }
  output.resize(output.size() - outLeft);
  return output;
}

}  // namespace imagewriter
