// CRC-16 of member data for the host tool.
#pragma once

#include <cstdint>
#include <span>

// Computed with the core's own table and update, so that the packer and the stub can never
// disagree about a member's CRC.
uint16_t Crc16(std::span<const uint8_t> bytes);
