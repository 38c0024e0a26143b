// CRC-16 of member data for the host tool.
#pragma once

#include <cstdint>
#include <span>

// Computed with the core's own table and update, so that the packer and the stub can never
// disagree about a member's CRC.
// A CRC is carried on over more bytes by giving the one so far as start.
uint16_t Crc16(std::span<const uint8_t> bytes, uint16_t start = 0);
