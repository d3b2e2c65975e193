#!/usr/bin/env python3
"""Checks a built quorvel.exe for what an administrator relies on when dropping it on a
machine: it is small and stripped, it needs no DLL that Windows does not ship, and it
carries an application manifest and version information.

    check_binary.py --bits 64 --version 1.0.0 [--max-size 65536] quorvel.exe

The PE file is read here directly, so that the verdict does not depend on the wording of
some tool's listing. Prints what it found; exits 1 with one line per fault.
"""
import argparse
import struct
import sys
import xml.etree.ElementTree as ET

# DLLs found in every Windows installation's system folder. Anything else (a compiler's
# runtime such as libstdc++-6.dll, libgcc_s_seh-1.dll or libwinpthread-1.dll) would have
# to be shipped beside the program.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll",
    "msvcrt.dll", "ole32.dll", "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll",
    "version.dll",
}

MACHINES = {64: 0x8664, 32: 0x014C}
OPTIONAL_MAGIC = {64: 0x20B, 32: 0x10B}

RT_VERSION = 16
RT_MANIFEST = 24

ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPAT_V1 = "{urn:schemas-microsoft-com:compatibility.v1}"
SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Windows Vista",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}


class BadFile(Exception):
    pass


class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise BadFile("no MZ header")
        pe = self.u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise BadFile("no PE signature")
        (self.machine, section_count, _, self.symbol_table, self.symbol_count,
         optional_size, _) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = self.u16(optional)
        if self.magic == 0x20B:
            directories = optional + 112
        elif self.magic == 0x10B:
            directories = optional + 96
        else:
            raise BadFile("unknown optional header magic 0x%x" % self.magic)
        directory_count = self.u32(directories - 4)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i)
                            for i in range(directory_count)]
        self.sections = []
        table = optional + optional_size
        for i in range(section_count):
            name, virtual_size, rva, raw_size, raw_offset = struct.unpack_from(
                "<8sIIII", data, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode("latin-1"), rva,
                                  max(virtual_size, raw_size), raw_offset, raw_size))

    def u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def offset(self, rva):
        for _, start, size, raw_offset, raw_size in self.sections:
            if start <= rva < start + size:
                if rva - start >= raw_size:
                    raise BadFile("RVA 0x%x has no bytes in the file" % rva)
                return raw_offset + rva - start
        raise BadFile("RVA 0x%x is in no section" % rva)

    def c_string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("latin-1")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def imported_dlls(self):
        rva, _ = self.directory(1)
        dlls = []
        if rva == 0:
            return dlls
        at = self.offset(rva)
        while True:
            descriptor = struct.unpack_from("<IIIII", self.data, at)
            if descriptor == (0, 0, 0, 0, 0):
                return dlls
            dlls.append(self.c_string(descriptor[3]))
            at += 20

    def resources(self):
        """{(type, id): data} for every resource with numeric type and id (first language)."""
        rva, _ = self.directory(2)
        found = {}
        if rva == 0:
            return found
        base = self.offset(rva)

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, base + directory + 12)
            for i in range(named + numbered):
                name, target = struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)
                yield name, target

        for type_id, type_target in entries(0):
            if type_id & 0x80000000 or not type_target & 0x80000000:
                continue
            for name_id, name_target in entries(type_target & 0x7FFFFFFF):
                if name_id & 0x80000000 or not name_target & 0x80000000:
                    continue
                for _, leaf in entries(name_target & 0x7FFFFFFF):
                    if leaf & 0x80000000:
                        continue
                    data_rva, size = struct.unpack_from("<II", self.data, base + leaf)
                    start = self.offset(data_rva)
                    found.setdefault((type_id, name_id), self.data[start:start + size])
        return found


def align4(offset):
    return (offset + 3) & ~3


def parse_version_block(data, at=0):
    """One VS_VERSIONINFO-style block: (key, value bytes, is_text, children, end)."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, at)
    end = at + length
    key_start = at + 6
    key_end = key_start
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[key_start:key_end].decode("utf-16-le")
    value_start = align4(key_end + 2)
    # A text value's length counts UTF-16 characters, a binary one's counts bytes.
    value_bytes = value_length * 2 if value_type == 1 else value_length
    value = data[value_start:value_start + value_bytes]
    children = []
    child = align4(value_start + value_bytes)
    while child < end:
        block = parse_version_block(data, child)
        children.append(block)
        child = align4(block[4])
    return key, value, value_type == 1, children, end


def check_version(data, version, faults):
    key, fixed, _, children, _ = parse_version_block(data)
    if key != "VS_VERSION_INFO" or len(fixed) < 52:
        faults.append("version resource: not a VS_VERSION_INFO block with fixed information")
        return
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    if signature != 0xFEEF04BD:
        faults.append("version resource: bad VS_FIXEDFILEINFO signature 0x%08x" % signature)
        return
    parts = [int(p) for p in version.split(".")]
    parts += [0] * (4 - len(parts))
    want_ms, want_ls = (parts[0] << 16) | parts[1], (parts[2] << 16) | parts[3]
    for what, ms, ls in (("file", file_ms, file_ls), ("product", product_ms, product_ls)):
        shown = "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
        print("  fixed %s version: %s" % (what, shown))
        if (ms, ls) != (want_ms, want_ls):
            faults.append("version resource: fixed %s version %s, expected %s" %
                          (what, shown, version))

    strings = {}
    for child_key, _, _, tables, _ in children:
        if child_key != "StringFileInfo":
            continue
        for _, _, _, values, _ in tables:
            for name, value, is_text, _, _ in values:
                if is_text:
                    strings[name] = value.decode("utf-16-le").rstrip("\0")
    for name in ("ProductName", "FileDescription", "FileVersion", "ProductVersion"):
        print("  %s: %r" % (name, strings.get(name)))
        if not strings.get(name):
            faults.append("version resource: no %s" % name)
    for name in ("FileVersion", "ProductVersion"):
        if strings.get(name) and strings[name] != version:
            faults.append("version resource: %s is %r, expected %r" %
                          (name, strings[name], version))


def check_manifest(text, faults):
    try:
        root = ET.fromstring(text)
    except ET.ParseError as error:
        faults.append("manifest: not well-formed XML (%s)" % error)
        return
    levels = [e.attrib for e in root.iter(ASM_V3 + "requestedExecutionLevel")]
    print("  requestedExecutionLevel: %s" % levels)
    if len(levels) != 1 or levels[0].get("level") != "asInvoker":
        faults.append("manifest: requestedExecutionLevel is not exactly one asInvoker")
    elif levels[0].get("uiAccess", "false") != "false":
        faults.append("manifest: uiAccess must be false")
    listed = {e.attrib.get("Id", "").lower() for e in root.iter(COMPAT_V1 + "supportedOS")}
    print("  supportedOS: %s" % ", ".join(SUPPORTED_OS.get(i, i) for i in sorted(listed)))
    for guid, name in SUPPORTED_OS.items():
        if guid not in listed:
            faults.append("manifest: no supportedOS entry for %s" % name)


def check(path, bits, version, max_size):
    faults = []
    with open(path, "rb") as file:
        data = file.read()
    print("%s: %d bytes" % (path, len(data)))
    if len(data) > max_size:
        faults.append("size %d bytes is over the limit of %d" % (len(data), max_size))
    try:
        image = PeImage(data)
        if image.machine != MACHINES[bits] or image.magic != OPTIONAL_MAGIC[bits]:
            faults.append("not a %d-bit image (machine 0x%x, magic 0x%x)" %
                          (bits, image.machine, image.magic))

        if image.symbol_table or image.symbol_count:
            faults.append("not stripped: %d COFF symbols" % image.symbol_count)
        debug_sections = [s[0] for s in image.sections
                          if s[0].startswith(".debug") or s[0].startswith("/")]
        if debug_sections or image.directory(6)[0]:
            faults.append("carries debugging information (%s)" %
                          (", ".join(debug_sections) or "debug directory"))

        dlls = image.imported_dlls()
        print("  imports: %s" % ", ".join(dlls))
        if not dlls:
            faults.append("no import table")
        for dll in dlls:
            if dll.lower() not in SYSTEM_DLLS:
                faults.append("imports %s, which is not a Windows system DLL" % dll)

        resources = image.resources()
        manifest = resources.get((RT_MANIFEST, 1))
        if manifest is None:
            faults.append("no application manifest (resource 1 of type RT_MANIFEST)")
        else:
            check_manifest(manifest, faults)
        version_info = resources.get((RT_VERSION, 1))
        if version_info is None:
            faults.append("no version resource")
        else:
            check_version(version_info, version, faults)
    except (BadFile, struct.error, ValueError, IndexError) as error:
        faults.append("unreadable PE file: %s" % error)

    for fault in faults:
        print("FAULT: " + fault)
    print("%s: %s" % (path, "FAILED" if faults else "all checks passed"))
    return not faults


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--bits", type=int, choices=(32, 64), required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--max-size", type=int, default=64 * 1024)
    parser.add_argument("program")
    arguments = parser.parse_args()
    ok = check(arguments.program, arguments.bits, arguments.version, arguments.max_size)
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
