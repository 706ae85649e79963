#!/usr/bin/env python3
"""Checks that a plug-in DLL carries its version resource: file version 1.2.0.0, and the U.S.
English (1033, code page 1200) "FileDescription" "Dozoderi Playtally WinAmp Plug-in". The plug-in
signs its database file with them; without the resource it would write files no one can read back.

usage: check_version_resource.py gen_ptly.dll
"""
import struct
import sys

FILE_VERSION = (0x00010002, 0x00000000)
DESCRIPTION = 'Dozoderi Playtally WinAmp Plug-in'
TRANSLATION_KEY = '040904b0'  # language 1033, code page 1200


def align4(n):
    return (n + 3) & ~3


def read_block(data, start):
    """One node of the version tree: (key, value bytes, value is text, children, end offset)."""
    length, value_length, kind = struct.unpack_from('<HHH', data, start)
    if length < 6 or start + length > len(data):
        raise ValueError(f'a version block at {start:#x} claims {length} bytes')
    end = start + length
    pos = start + 6
    key_end = pos
    while data[key_end:key_end + 2] != b'\0\0':
        key_end += 2
    key = data[pos:key_end].decode('utf-16-le')
    pos = align4(key_end + 2)
    size = value_length * 2 if kind == 1 else value_length  # text values count characters
    value = data[pos:pos + size]
    pos = align4(pos + size)
    children = []
    while pos < end:
        child = read_block(data, pos)
        children.append(child)
        pos = align4(child[4])
    return key, value, kind == 1, children, end


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    data = open(sys.argv[1], 'rb').read()
    marker = 'VS_VERSION_INFO\0'.encode('utf-16-le')
    at = data.find(marker)
    problems = []
    if at < 6:
        print(f'check_version_resource: {sys.argv[1]} has no version resource')
        return 1
    try:
        _, fixed, _, children, _ = read_block(data, at - 6)
    except (ValueError, struct.error, UnicodeDecodeError) as e:
        print(f'check_version_resource: {sys.argv[1]}: damaged version resource: {e}')
        return 1
    signature, _, high, low = struct.unpack_from('<IIII', fixed) if len(fixed) >= 16 else (0, 0, 0, 0)
    if signature != 0xFEEF04BD:
        problems.append(f'fixed file information has the signature {signature:#x}')
    elif (high, low) != FILE_VERSION:
        problems.append(f'file version {high:#010x} {low:#010x}, expected {FILE_VERSION[0]:#010x} {FILE_VERSION[1]:#010x}')

    description = None
    translations = []
    for child in children:
        if child[0] == 'StringFileInfo':
            for table in child[3]:
                if table[0].lower() == TRANSLATION_KEY:
                    for entry in table[3]:
                        if entry[0] == 'FileDescription':
                            description = entry[1].decode('utf-16-le').rstrip('\0')
        elif child[0] == 'VarFileInfo':
            for var in child[3]:
                if var[0] == 'Translation':
                    translations += [struct.unpack_from('<HH', var[1], i) for i in range(0, len(var[1]) - 3, 4)]
    if description != DESCRIPTION:
        problems.append(f'"FileDescription" of {TRANSLATION_KEY} is {description!r}, expected {DESCRIPTION!r}')
    if (1033, 1200) not in translations:
        problems.append(f'the translations {translations} lack 1033/1200')
    for p in problems:
        print(f'check_version_resource: {sys.argv[1]}: {p}')
    if not problems:
        print(f'check_version_resource: {sys.argv[1]} is version 1.2.0.0, "{DESCRIPTION}"')
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
