#!/usr/bin/env python3
"""Builds the built-in fax font (16384 bytes) from the misc-fixed bitmap fonts of xfonts-base.

usage: make_faxfont.py SMALL.pcf.gz STANDARD.pcf.gz OUTPUT.inc

The small font takes the 5x8 glyphs in 6x8 cells, the standard font the 9x15 glyphs in 10x16
cells; both are doubled sideways (12 and 20 pixels). Glyphs are indexed by the Windows Latin-1
byte value; control characters and bytes without a glyph stay blank. Layout: 256 small glyphs
of 8 rows x 2 bytes, then 256 standard glyphs of 16 rows x 3 bytes; leftmost pixel in the most
significant bit, 1 = black. The output is a C array initializer.
"""
import gzip
import struct
import sys

PCF_METRICS, PCF_BITMAPS, PCF_BDF_ENCODINGS, PCF_BDF_ACCELERATORS = 1 << 2, 1 << 3, 1 << 5, 1 << 8


class Pcf:
    def __init__(self, path):
        self.data = gzip.open(path).read()
        assert self.data[:4] == b"\x01fcp"
        count = struct.unpack_from("<i", self.data, 4)[0]
        self.tables = {}
        for i in range(count):
            kind, fmt, size, offset = struct.unpack_from("<iiii", self.data, 8 + 16 * i)
            self.tables[kind] = (fmt, offset)
        self.metrics = self._metrics()
        self.bitmaps = self._bitmaps()
        self.encoding = self._encodings()
        fmt, off = self.tables[PCF_BDF_ACCELERATORS]
        e = ">" if fmt & 4 else "<"
        self.ascent, self.descent = struct.unpack_from(e + "ii", self.data, off + 4 + 8)

    def _metrics(self):
        fmt, off = self.tables[PCF_METRICS]
        e = ">" if fmt & 4 else "<"
        out = []
        if fmt & 0x100:
            n = struct.unpack_from(e + "h", self.data, off + 4)[0]
            for i in range(n):
                l, r, w, a, d = [b - 0x80 for b in self.data[off + 6 + 5 * i: off + 11 + 5 * i]]
                out.append((l, r, w, a, d))
        else:
            n = struct.unpack_from(e + "i", self.data, off + 4)[0]
            for i in range(n):
                out.append(struct.unpack_from(e + "hhhhh", self.data, off + 8 + 12 * i))
        return out

    def _bitmaps(self):
        fmt, off = self.tables[PCF_BITMAPS]
        e = ">" if fmt & 4 else "<"
        n = struct.unpack_from(e + "i", self.data, off + 4)[0]
        offsets = struct.unpack_from(e + "%di" % n, self.data, off + 8)
        sizes = struct.unpack_from(e + "4i", self.data, off + 8 + 4 * n)
        base = off + 8 + 4 * n + 16
        pad = 1 << (fmt & 3)
        msb_bit = bool(fmt & 8)
        glyphs = []
        for i in range(n):
            l, r, w, a, d = self.metrics[i]
            width, height = r - l, a + d
            stride = ((width + 7) // 8 + pad - 1) // pad * pad
            rows = []
            for y in range(height):
                start = base + offsets[i] + y * stride
                row = self.data[start:start + stride]
                bits = []
                for x in range(width):
                    byte = row[x // 8]
                    bit = (byte >> (7 - x % 8)) & 1 if msb_bit else (byte >> (x % 8)) & 1
                    bits.append(bit)
                rows.append(bits)
            glyphs.append((l, a, rows))
        return glyphs

    def _encodings(self):
        fmt, off = self.tables[PCF_BDF_ENCODINGS]
        e = ">" if fmt & 4 else "<"
        min2, max2, min1, max1, default = struct.unpack_from(e + "hhhhh", self.data, off + 4)
        count = (max2 - min2 + 1) * (max1 - min1 + 1)
        idx = struct.unpack_from(e + "%dH" % count, self.data, off + 14)
        table = {}
        for b1 in range(min1, max1 + 1):
            for b2 in range(min2, max2 + 1):
                g = idx[(b1 - min1) * (max2 - min2 + 1) + (b2 - min2)]
                if g != 0xFFFF:
                    table[(b1 << 8) | b2] = g
        return table

    def cell(self, codepoint, cell_w, cell_h):
        """The glyph in a cell_w x cell_h cell, baseline at the font ascent, as rows of bits."""
        cell = [[0] * cell_w for _ in range(cell_h)]
        g = self.encoding.get(codepoint)
        if g is None:
            return cell
        left, ascent, rows = self.bitmaps[g]
        for y, bits in enumerate(rows):
            cy = self.ascent - ascent + y
            for x, bit in enumerate(bits):
                cx = left + x
                if bit and 0 <= cy < cell_h and 0 <= cx < cell_w:
                    cell[cy][cx] = 1
        return cell


def cp1252(byte):
    if byte < 0x20 or byte == 0x7F:
        return None
    try:
        return ord(bytes([byte]).decode("cp1252"))
    except UnicodeDecodeError:
        return None


def pack(cell, bytes_per_row):
    out = []
    for row in cell:
        doubled = [b for bit in row for b in (bit, bit)]
        value = 0
        for i, bit in enumerate(doubled):
            value |= bit << (bytes_per_row * 8 - 1 - i)
        out += list(value.to_bytes(bytes_per_row, "big"))
    return out


def main():
    small, standard, output = sys.argv[1:4]
    fonts = [(Pcf(small), 6, 8, 2), (Pcf(standard), 10, 16, 3)]
    data = []
    for font, w, h, bpr in fonts:
        for byte in range(256):
            cp = cp1252(byte)
            cell = font.cell(cp, w, h) if cp is not None else [[0] * w for _ in range(h)]
            data += pack(cell, bpr)
    assert len(data) == 16384, len(data)
    with open(output, "w") as f:
        f.write("// Generated by tools/faxfont/make_faxfont.py from the xfonts-base misc-fixed fonts\n")
        f.write("// 5x8 and 9x15 (public domain); see resources/faxfont/README.\n")
        for i in range(0, len(data), 16):
            f.write(",".join(str(b) for b in data[i:i + 16]) + ",\n")


main()
