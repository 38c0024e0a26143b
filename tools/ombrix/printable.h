// Text from an archive as a terminal may show it: a name can hold any byte, and control bytes
// would reach the terminal as commands.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Control bytes, DEL and bytes that are not UTF-8 written as \xNN; every other character as it is.
std::string Printable(std::string_view text);

// Whether text is UTF-8 throughout.
bool IsUtf8(std::string_view text);

// A member's time, seconds since 1970, as ISO 8601 in UTC: "2021-03-04T05:06:08Z".
std::string UtcTime(uint32_t seconds);
