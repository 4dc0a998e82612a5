#include "mime_binhex_crc.h"

namespace {

struct CrcTable {
    WORD entries[256];
    CrcTable() {
        for (unsigned i = 0; i < 256; ++i) {
            unsigned crc = i << 8;
            for (int bit = 0; bit < 8; ++bit) {
                crc = (crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1;
            }
            entries[i] = static_cast<WORD>(crc);
        }
    }
};

const CrcTable& Table() {
    static const CrcTable table;
    return table;
}

} // namespace

WORD BinHexCrc(WORD crc, const BYTE* bytes, size_t count) {
    const CrcTable& table = Table();
    for (size_t i = 0; i < count; ++i) {
        crc = static_cast<WORD>((crc << 8) ^ table.entries[((crc >> 8) ^ bytes[i]) & 0xFF]);
    }
    return crc;
}
