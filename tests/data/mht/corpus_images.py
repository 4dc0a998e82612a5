# The small images of the peer corpus: 4 x 4 PNG files of one colour each.
import struct
import zlib


def png(r, g, b):
    raw = b"".join(b"\x00" + bytes((r, g, b)) * 4 for _ in range(4))
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 4, 4, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))
