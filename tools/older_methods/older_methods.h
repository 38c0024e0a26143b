// The methods of older archivers that the host tool decodes besides the stub's own.
#pragma once

#include "decode/member_decoder.h"

// The method named by a header's five method bytes, or null when it is none of them.
const OlderMethod* FindOlderMethod(const char (&name)[5]);
