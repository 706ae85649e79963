#!/usr/bin/env python3
"""Reads the STRINGTABLE blocks of a resource script (Windows-1252) and writes a C++ table of
{id, "text"} entries, so that portable code uses the very texts the plug-in's resources hold.

Resource strings use C escapes (\\n, \\t, \\\\, \\") and "" for a double quote. A string's id is a number
or a name that a header the script includes (beside it) defines as one."""
import os
import re
import sys


def parse_literal(src, pos):
    """Parses the RC string literal starting at src[pos] == '"'; returns (bytes, next position)."""
    assert src[pos] == '"'
    out = bytearray()
    i = pos + 1
    escapes = {'n': 10, 't': 9, 'r': 13, 'a': 7, '\\': 92, '"': 34, '0': 0}
    while True:
        if i >= len(src):
            raise ValueError("unterminated string")
        c = src[i]
        if c == '"':
            if i + 1 < len(src) and src[i + 1] == '"':
                out.append(34)
                i += 2
                continue
            return bytes(out), i + 1
        if c == '\\':
            n = src[i + 1]
            if n in escapes:
                out.append(escapes[n])
                i += 2
                continue
            if n == 'x':
                m = re.match(r'[0-9a-fA-F]{1,4}', src[i + 2:])
                out.append(int(m.group(0), 16) & 0xFF)
                i += 2 + len(m.group(0))
                continue
            out.append(92)
            i += 1
            continue
        out.extend(c.encode('cp1252'))
        i += 1


def read_defines(rc_path, text):
    """The numeric #defines of the headers the script includes from its own folder. A string's number
    has one IDS_ name: a text used for two things is named once, with a comment."""
    defines = {}
    strings = {}
    for include in re.findall(r'^\s*#\s*include\s+"([^"]+)"', text, re.M):
        header = os.path.join(os.path.dirname(rc_path), include)
        if os.path.isfile(header):
            with open(header, encoding='cp1252') as f:
                for name, value in re.findall(r'^\s*#\s*define\s+(\w+)\s+(\d+)\b', f.read(), re.M):
                    defines[name] = int(value)
                    if name.startswith('IDS_'):
                        if int(value) in strings:
                            raise ValueError("%s and %s are both string %s" % (strings[int(value)], name, value))
                        strings[int(value)] = name
    return defines


def read_table(text, defines=None):
    defines = defines or {}
    entries = {}
    for block in re.finditer(r'STRINGTABLE[^\n]*\n\s*(?:BEGIN|\{)(.*?)\n\s*(?:END|\})', text, re.S):
        body = block.group(1)
        pos = 0
        while True:
            # skip comments before the entry
            while True:
                c = re.compile(r'\s*//[^\n]*').match(body, pos)
                if not c:
                    break
                pos = c.end()
            m = re.compile(r'\s*(\d+|[A-Za-z_]\w*)\s*,?\s*(?=")').match(body, pos)
            if not m:
                rest = body[pos:].strip()
                if rest and not rest.startswith('//'):
                    raise ValueError("cannot parse string table near: " + rest[:60])
                break
            value, pos = parse_literal(body, m.end())
            token = m.group(1)
            if token.isdigit():
                sid = int(token)
            elif token in defines:
                sid = defines[token]
            else:
                raise ValueError("string id %s is not defined in an included header" % token)
            if sid in entries:
                raise ValueError("string %d defined twice" % sid)
            entries[sid] = value
    return entries


def c_literal(data):
    parts = []
    for b in data:
        if b == 34:
            parts.append('\\"')
        elif b == 92:
            parts.append('\\\\')
        elif 32 <= b < 127:
            parts.append(chr(b))
        else:
            parts.append('\\%03o' % b)
    return '"' + ''.join(parts) + '"'


def main():
    src, dst = sys.argv[1], sys.argv[2]
    with open(src, encoding='cp1252') as f:
        text = f.read()
    entries = read_table(text, read_defines(src, text))
    lines = ["// Generated from %s: do not edit." % src.split('/')[-1]]
    for sid in sorted(entries):
        lines.append('{%d, %s, %d},' % (sid, c_literal(entries[sid]), len(entries[sid])))
    with open(dst, 'w') as f:
        f.write('\n'.join(lines) + '\n')


if __name__ == '__main__':
    main()
