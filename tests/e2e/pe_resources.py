"""Reads resources out of a built Windows executable: the dialog templates,
the icon, the version information and the manifest as the system will load
them, not as the resource script meant them."""

import struct

RT_DIALOG, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 5, 14, 16, 24
DS_SETFONT, DS_SHELLFONT = 0x40, 0x48
CLASS_ATOMS = {0x80: "button", 0x81: "edit", 0x82: "static", 0x83: "listbox", 0x84: "scrollbar", 0x85: "combobox"}


class DialogControl:
    def __init__(self, cls, control_id, text, box, style, exstyle):
        self.cls, self.id, self.text, self.box, self.style, self.exstyle = cls, control_id, text, box, style, exstyle

    def fields(self):
        return (self.cls, self.id, self.text, self.box, f"0x{self.style:08X}", f"0x{self.exstyle:08X}")


class DialogTemplate:
    def __init__(self):
        self.extended = False
        self.style = self.exstyle = 0
        self.box = (0, 0, 0, 0)  # x, y, width, height in dialog units
        self.menu = self.window_class = self.title = None
        self.font = None  # (points, face name)
        self.controls = []


class PeImage:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        if self.data[:2] != b"MZ":
            raise ValueError(f"{path} is not a Windows executable")
        pe, = struct.unpack_from("<I", self.data, 0x3C)
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError(f"{path} has no PE header")
        sections, = struct.unpack_from("<H", self.data, pe + 6)
        optional_size, = struct.unpack_from("<H", self.data, pe + 20)
        optional = pe + 24
        magic, = struct.unpack_from("<H", self.data, optional)
        directories = optional + (112 if magic == 0x20B else 96)
        self.resource_rva, _ = struct.unpack_from("<II", self.data, directories + 2 * 8)
        self.sections = []
        for i in range(sections):
            header = optional + optional_size + i * 40
            virtual_size, virtual_address, raw_size, raw_offset = struct.unpack_from("<IIII", self.data, header + 8)
            self.sections.append((virtual_address, max(virtual_size, raw_size), raw_offset))

    def offset(self, rva):
        for virtual_address, size, raw_offset in self.sections:
            if virtual_address <= rva < virtual_address + size:
                return rva - virtual_address + raw_offset
        raise ValueError(f"RVA 0x{rva:x} is in no section")

    def _entries(self, directory):
        """(name or id, is_directory, offset) of one resource directory."""
        base = self.offset(self.resource_rva)
        named, numbered = struct.unpack_from("<HH", self.data, base + directory + 12)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", self.data, base + directory + 16 + i * 8)
            if name & 0x80000000:
                length, = struct.unpack_from("<H", self.data, base + (name & 0x7FFFFFFF))
                start = base + (name & 0x7FFFFFFF) + 2
                name = self.data[start:start + 2 * length].decode("utf-16-le")
            yield name, bool(target & 0x80000000), target & 0x7FFFFFFF

    def resource(self, kind, name):
        """The bytes of the first language of resource (kind, name)."""
        base = self.offset(self.resource_rva)
        for kind_name, _, kind_dir in self._entries(0):
            if kind_name != kind:
                continue
            for entry_name, _, name_dir in self._entries(kind_dir):
                if entry_name != name:
                    continue
                for _, is_directory, data_entry in self._entries(name_dir):
                    rva, size = struct.unpack_from("<II", self.data, base + data_entry)
                    return self.data[self.offset(rva):self.offset(rva) + size]
        raise KeyError(f"no resource {name!r} of type {kind}")


class _Reader:
    def __init__(self, data):
        self.data, self.at = data, 0

    def take(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.at)
        self.at += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def text(self):
        end = self.at
        while self.data[end:end + 2] != b"\0\0":
            end += 2
        value = self.data[self.at:end].decode("utf-16-le")
        self.at = end + 2
        return value

    def name_or_ordinal(self, atoms=None):
        first, = struct.unpack_from("<H", self.data, self.at)
        if first == 0:
            self.at += 2
            return None
        if first == 0xFFFF:
            self.at += 2
            ordinal = self.take("H")
            return atoms.get(ordinal, ordinal) if atoms else ordinal
        return self.text()

    def align(self):
        self.at = (self.at + 3) & ~3


def read_dialog(exe_path, name):
    """The dialog template name from the executable, decoded."""
    reader = _Reader(PeImage(exe_path).resource(RT_DIALOG, name))
    dialog = DialogTemplate()
    if reader.data[2:4] == b"\xff\xff":
        dialog.extended = True
        _, _, _, dialog.exstyle, dialog.style, count = reader.take("HHIIIH")
    else:
        dialog.style, dialog.exstyle, count = reader.take("IIH")
    dialog.box = reader.take("hhhh")
    dialog.menu = reader.name_or_ordinal()
    dialog.window_class = reader.name_or_ordinal()
    dialog.title = reader.text()
    if dialog.style & DS_SETFONT:
        points = reader.take("H")
        if dialog.extended:
            reader.take("HBB")  # weight, italic, character set
        dialog.font = (points, reader.text())
    for _ in range(count):
        reader.align()
        if dialog.extended:
            _, exstyle, style = reader.take("III")
            box = reader.take("hhhh")
            control_id = reader.take("I")
        else:
            style, exstyle = reader.take("II")
            box = reader.take("hhhh")
            control_id = reader.take("H")
        cls = reader.name_or_ordinal(CLASS_ATOMS)
        text = reader.name_or_ordinal()
        extra = reader.take("H")
        reader.at += extra
        cls = cls.lower() if isinstance(cls, str) else cls
        dialog.controls.append(DialogControl(cls, control_id, text, box, style, exstyle))
    return dialog


def first_icon(exe_path):
    """The name of the executable's first icon group, the one Explorer shows,
    and its images as (width, height, bits per pixel)."""
    image = PeImage(exe_path)
    kinds = {kind: directory for kind, _, directory in image._entries(0)}
    name = next(image._entries(kinds[RT_GROUP_ICON]))[0]
    group = image.resource(RT_GROUP_ICON, name)
    count, = struct.unpack_from("<H", group, 4)
    entries = [struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i) for i in range(count)]
    return name, [(width or 256, height or 256, bits) for width, height, _, _, _, bits, _, _ in entries]


def _version_blocks(data, at, end):
    """(key, value, children start, block end) of the VS_VERSIONINFO blocks
    from at to end; a text value (type 1) is decoded, a binary one kept."""
    while at + 6 <= end:
        length, value_length, kind = struct.unpack_from("<HHH", data, at)
        if length == 0:
            return
        reader = _Reader(data)
        reader.at = at + 6
        key = reader.text()
        reader.align()
        size = value_length * 2 if kind == 1 else value_length
        value = data[reader.at:reader.at + size]
        if kind == 1:
            value = value.decode("utf-16-le").rstrip("\0")
        children = (reader.at + size + 3) & ~3
        yield key, value, children, at + length
        at = (at + length + 3) & ~3


def version_info(exe_path):
    """The version resource: its strings by name, and the file and product
    versions of its fixed part as (major, minor, patch, build)."""
    data = PeImage(exe_path).resource(RT_VERSION, 1)
    [(key, fixed, children, end)] = list(_version_blocks(data, 0, len(data)))
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    assert key == "VS_VERSION_INFO" and signature == 0xFEEF04BD, "not a version resource"
    info = {"file version": (file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16, file_ls & 0xFFFF),
            "product version": (product_ms >> 16, product_ms & 0xFFFF, product_ls >> 16, product_ls & 0xFFFF)}
    for key, _, table_start, table_end in _version_blocks(data, children, end):
        if key != "StringFileInfo":
            continue
        for _, _, strings_start, strings_end in _version_blocks(data, table_start, table_end):
            for name, text, _, _ in _version_blocks(data, strings_start, strings_end):
                info[name] = text
    return info


def manifest(exe_path):
    """The manifest Windows reads when the process starts (resource id 1)."""
    return PeImage(exe_path).resource(RT_MANIFEST, 1).decode("utf-8")
