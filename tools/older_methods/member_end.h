// How a member of an older method ends, once its output is whole or its stream has failed.
#pragma once

#include "decode/bit_reader.h"
#include "older_methods/window_output.h"

// The member's status: the reader's first failure, bits taken past the member's data being
// one, or else the output's. Bytes the stream left unread are passed over, so that the archive
// stands at the member's end, where the next header is.
DecodeStatus EndMember(BitReader& reader, WindowOutput& out, platform::FileHandle archive);
