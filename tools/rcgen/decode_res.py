#!/usr/bin/env python3
"""Decodes the dialogs and strings of a compiled resource file (.res, as windres -O res writes it)
into the text dump that `rcgen --dump` prints, so the two can be compared line by line.

A .res file is a run of entries, each a RESOURCEHEADER (sizes, type, name, flags, language) and its
data, DWORD-aligned. Dialogs (type 5) hold a DLGTEMPLATE or DLGTEMPLATEEX with its items; strings
(type 6) come in blocks of sixteen counted UTF-16 strings, block n holding ids 16(n-1) to 16n-1.
Anything the tables cannot hold (a menu, a window class, help ids, creation data) is printed as an
extra field, so it shows up as a difference instead of vanishing.
"""

import struct
import sys

RT_DIALOG = 5
RT_STRING = 6
DS_SETFONT = 0x40
PREDEFINED_CLASSES = {0x80: "BUTTON", 0x81: "EDIT", 0x82: "STATIC", 0x83: "LISTBOX", 0x84: "SCROLLBAR", 0x85: "COMBOBOX"}


class Reader:
    def __init__(self, data, pos=0):
        self.data = data
        self.pos = pos

    def unpack(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.pos)
        self.pos += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def align(self, base=0):
        self.pos = base + ((self.pos - base + 3) & ~3)

    def text(self):
        """A zero-terminated UTF-16 string."""
        units = []
        while True:
            unit = self.unpack("H")
            if unit == 0:
                return decode_units(units)
            units.append(unit)

    def name(self):
        """A string or, after 0xFFFF, a 16-bit ordinal."""
        first = self.unpack("H")
        if first == 0xFFFF:
            return self.unpack("H")
        units = [first] if first else []
        while first:
            first = self.unpack("H")
            if first:
                units.append(first)
        return decode_units(units)


def decode_units(units):
    """UTF-16 back to the narrow bytes of the .rc, in the code page windres reads them in."""
    text = struct.pack("<%dH" % len(units), *units).decode("utf-16-le")
    return text.encode("cp1252", errors="backslashreplace")


def dump_text(raw):
    out = '"'
    for byte in raw:
        if byte in (0x22, 0x5C):
            out += "\\" + chr(byte)
        elif 0x20 <= byte < 0x7F:
            out += chr(byte)
        else:
            out += "\\x%02X" % byte
    return out + '"'


def signed16(value):
    return value - 0x10000 if value & 0x8000 else value


def signed32(value):
    return value - 0x100000000 if value & 0x80000000 else value


def resources(data):
    pos = 0
    while pos + 8 <= len(data):
        size, header_size = struct.unpack_from("<II", data, pos)
        reader = Reader(data, pos + 8)
        rtype = reader.name()
        rname = reader.name()
        body = data[pos + header_size : pos + header_size + size]
        pos = (pos + header_size + size + 3) & ~3
        if size == 0 and rtype == 0:
            continue  # the empty entry that marks a 32-bit .res file
        yield rtype, rname, body


def rect(x, y, cx, cy):
    return "rect=%d,%d,%d,%d" % (signed16(x), signed16(y), signed16(cx), signed16(cy))


def decode_dialog(rid, body):
    r = Reader(body)
    extended = struct.unpack_from("<HH", body, 0) == (1, 0xFFFF)
    extras = []
    if extended:
        _, _, help_id, exstyle, style, count, x, y, cx, cy = r.unpack("HHIIIHHHHH")
        if help_id:
            extras.append("help=%d" % help_id)
    else:
        style, exstyle, count, x, y, cx, cy = r.unpack("IIHHHHH")
    menu = r.name()
    window_class = r.name()
    if menu:
        extras.append("menu=%r" % menu)
    if window_class:
        extras.append("class=%r" % window_class)
    caption = r.text()
    font = "none"
    if style & DS_SETFONT:
        size = r.unpack("H")
        if extended:
            r.unpack("HBB")  # weight, italic, character set: not in the tables
        font = "%d,%s" % (size, dump_text(r.text()))
    lines = [
        "%s %d style=0x%08X exstyle=0x%08X %s font=%s caption=%s%s"
        % ("DIALOGEX" if extended else "DIALOG", rid, style, exstyle, rect(x, y, cx, cy), font,
           dump_text(caption), "".join(" " + e for e in extras))
    ]
    for _ in range(count):
        r.align()
        extras = []
        if extended:
            help_id, exstyle, style, x, y, cx, cy, cid = r.unpack("IIIHHHHI")
            cid = signed32(cid)
            if help_id:
                extras.append("help=%d" % help_id)
        else:
            style, exstyle, x, y, cx, cy, cid = r.unpack("IIHHHHH")
            cid = signed16(cid)
        window_class = r.name()
        if isinstance(window_class, int):
            window_class = PREDEFINED_CLASSES.get(window_class, "#%d" % window_class)
        else:
            window_class = window_class.decode("cp1252").upper()
        title = r.name()
        title = "#%d" % title if isinstance(title, int) else dump_text(title)
        creation_data = r.unpack("H")
        if creation_data:
            extras.append("data=%d" % creation_data)
            r.pos += creation_data
        lines.append(
            "  CONTROL id=%d class=%s text=%s style=0x%08X exstyle=0x%08X %s%s"
            % (cid, window_class, title, style, exstyle, rect(x, y, cx, cy), "".join(" " + e for e in extras))
        )
    return lines


def decode_strings(block, body):
    r = Reader(body)
    for index in range(16):
        length = r.unpack("H")
        units = [r.unpack("H") for _ in range(length)]
        if length:
            yield (block - 1) * 16 + index, decode_units(units)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: decode_res.py <file.res>")
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    dialogs, strings = {}, {}
    for rtype, rname, body in resources(data):
        if rtype == RT_DIALOG:
            if not isinstance(rname, int) or rname in dialogs:
                sys.exit("dialog %r: named or defined twice" % (rname,))
            dialogs[rname] = decode_dialog(rname, body)
        elif rtype == RT_STRING:
            for sid, text in decode_strings(rname, body):
                if sid in strings:
                    sys.exit("string %d defined twice" % sid)
                strings[sid] = text
    for rid in sorted(dialogs):
        print("\n".join(dialogs[rid]))
    for sid in sorted(strings):
        print("STRING %d %s" % (sid, dump_text(strings[sid])))


if __name__ == "__main__":
    main()
