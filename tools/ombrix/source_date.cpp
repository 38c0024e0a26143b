#include "ombrix/source_date.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

#include "ombrix/member_sources.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"

uint32_t LatestTimeFromEnvironment() {
  const char* text = std::getenv("SOURCE_DATE_EPOCH");
  if (text == nullptr || *text == '\0') return kNoLatestTime;
  const char* end = text + std::strlen(text);
  uint64_t seconds = 0;
  const auto [stop, error] = std::from_chars(text, end, seconds);
  if (stop != end) throw ToolError(FormatMessage(kBadSourceDate, text));
  if (error == std::errc::result_out_of_range || seconds > kNoLatestTime) return kNoLatestTime;
  return static_cast<uint32_t>(seconds);
}
