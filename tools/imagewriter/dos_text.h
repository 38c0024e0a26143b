// The DOS program's message as DOS prints it: Japanese in code page 932 with CR LF line ends.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace imagewriter {

// Converts UTF-8 text with LF or CR LF line ends; the result always ends with CR LF.
std::vector<uint8_t> ConvertToDosText(std::string_view utf8);

}  // namespace imagewriter
