// The stub built together with this host tool, so that packing needs no --stub. A host build
// made without the win32 tree holds none.
#pragma once

#include <cstdint>
#include <span>

// The stub's bytes; empty when none was built in.
std::span<const uint8_t> EmbeddedStub();
