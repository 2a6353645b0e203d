#!/usr/bin/env python3
"""Writes a small DLL whose import slots lie over names that a loader still has to read.

    make_overlap_seed.py x86|x64 OUTPUT

The DLL has one read-write-execute section (RVA 0x1000) holding an entry point that returns TRUE, one relocation
block, and two import descriptors:
  kernel32.dll: GetTickCount, whose slot (the image's last 4 or 8 bytes) covers the zero that ends the name
  "user32.dll", the image's last byte;
  user32.dll: GetDesktopWindow and GetShellWindow, whose first slot (RVA 0x140E) covers the zero that ends
  "GetShellWindow".
A loader that fills each slot as soon as it has resolved it hands LoadLibraryA and GetProcAddress names that run
on past their end, and past the end of the image. The image is a seed of the loader fuzz targets and is mapped
by the loader tests.
"""
import struct
import sys

SECTION_RVA, FILE_ALIGN, HEADERS = 0x1000, 0x200, 0x200
RAW_SIZE = 0x1000


def build(arch):
    wide = arch == "x64"
    ptr = 8 if wide else 4
    pack_ptr = (lambda v: struct.pack("<Q", v)) if wide else (lambda v: struct.pack("<I", v))
    image_base = 0x180000000 if wide else 0x10000000
    body = bytearray(RAW_SIZE)

    def put(offset, data):
        body[offset:offset + len(data)] = data

    # mov eax, 1; ret (x64) / ret 12 (the stdcall DllMain of x86)
    put(0x000, b"\xb8\x01\x00\x00\x00" + (b"\xc3" if wide else b"\xc2\x0c\x00"))
    rva = lambda offset: SECTION_RVA + offset
    put(0x100, b"kernel32.dll\0")
    put(0x120, b"\0\0GetTickCount\0")
    put(0xFF5, b"user32.dll\0")              # its zero is the image's last byte, inside kernel32's slot
    put(0x300, b"\0\0GetDesktopWindow\0")
    put(0x400, b"\0\0GetShellWindow\0")      # the name's zero at 0x410 lies in user32's first slot at 0x40E
    put(0x500, pack_ptr(rva(0x120)) + pack_ptr(0))
    put(0x540, pack_ptr(rva(0x300)) + pack_ptr(rva(0x400)) + pack_ptr(0))
    descriptors = struct.pack("<5I", rva(0x500), 0, 0, rva(0x100), rva(0x1000 - ptr))
    descriptors += struct.pack("<5I", rva(0x540), 0, 0, rva(0xFF5), rva(0x40E))
    put(0x010, descriptors + bytes(20))
    # One relocation block: the address at 0x5F0, and a padding entry.
    put(0x5F0, pack_ptr(image_base + rva(0)))
    reloc_type = 10 if wide else 3
    put(0x580, struct.pack("<IIHH", SECTION_RVA, 12, (reloc_type << 12) | 0x5F0, 0))

    directories = [(0, 0)] * 16
    directories[1] = (rva(0x010), 60)
    directories[5] = (rva(0x580), 12)
    optional = struct.pack("<HBBIIIII", 0x20B if wide else 0x10B, 2, 0, RAW_SIZE, 0, 0, SECTION_RVA, SECTION_RVA)
    if wide:
        optional += struct.pack("<Q", image_base)
    else:
        optional += struct.pack("<II", 0, image_base)
    optional += struct.pack("<IIHHHHHHIIIIHH", 0x1000, FILE_ALIGN, 4, 0, 0, 0, 4, 0, 0, 0x2000, HEADERS, 0, 2, 0)
    sizes = (0x100000, 0x1000, 0x100000, 0x1000)
    optional += struct.pack("<4Q" if wide else "<4I", *sizes)
    optional += struct.pack("<II", 0, 16)
    optional += b"".join(struct.pack("<II", *d) for d in directories)
    machine, characteristics = (0x8664, 0x2022) if wide else (0x14C, 0x2102)
    file_header = struct.pack("<HHIIIHH", machine, 1, 0, 0, 0, len(optional), characteristics)
    section = struct.pack("<8sIIIIIIHHI", b".text", 0x1000, SECTION_RVA, RAW_SIZE, HEADERS, 0, 0, 0, 0, 0xE0000060)
    dos = bytearray(0x40)
    dos[0:2] = b"MZ"
    struct.pack_into("<I", dos, 0x3C, 0x40)
    headers = bytes(dos) + b"PE\0\0" + file_header + optional + section
    return headers.ljust(HEADERS, b"\0") + bytes(body)


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("x86", "x64"):
        sys.exit(__doc__)
    with open(sys.argv[2], "wb") as out:
        out.write(build(sys.argv[1]))
