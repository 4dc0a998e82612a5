// CRC-16 of the BinHex stream: polynomial 0x1021, initial value 0, most
// significant bit first.
#pragma once

#include "wintypes.h"

#include <cstddef>

WORD BinHexCrc(WORD crc, const BYTE* bytes, size_t count);
