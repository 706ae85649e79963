#!/usr/bin/env python3
"""Checks that every include of the product's sources points down the layers (or stays in its folder).

Layers, bottom first: resources (texts and ids), core (the product's vocabulary), tags (the ID3v1
and ID3v2 formats, which the record's body is built on), database and report (side by side,
neither sees the other), exchange (the plays' way out and in, over the
database), plugin (the glue, which sends plays through the exchange's writers), ui, window, app (the application
object). framework/ is a platform layer that knows nothing of the product: it includes only itself,
and every product folder may use it. tools/ (the stand-in player), tests/ and bench/ may include anything,
but nothing of the product includes them. Windows reach the application only through interfaces
they are given at construction: no file in ui/ or window/ names the application's global or one
of the globals that once stood in for such an interface (the application profile, the help sink),
nor defines a mutable global of its own (a `g_` variable outside a function). Every registry
section and key is declared once, in the settings tables of core/: no product file hands the
profile a section or a key written as a literal. Every text is named by its IDS_ id from
resources/resource.h: no control table gives a tooltip as a bare number, and no product file
loads a string by one, nor by a constant of its own that it defines as one.

Usage: check_layers.py [root]   (exit 1 and one line per fault when an include runs the wrong way)
"""
import pathlib
import re
import sys

LEVELS = {"resources": 0, "core": 1, "framework": 1, "tags": 2, "database": 3, "report": 3, "exchange": 4,
          "plugin": 5, "ui": 6, "window": 7, "app": 8}
TOOLS = {"tools", "tests", "bench"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/[^"]*"', re.M)
APP_GLOBAL = re.compile(r'\btheApp\s*\(')
STAND_IN_GLOBAL = re.compile(r'\b(applicationProfile|setApplicationProfile|PlaytallyHelpSink|SetPlaytallyHelpSink)\s*\(')
# A variable at namespace scope (not indented, not const) named as a global: `Type* g_name = ...;`.
# A profile call whose first or second argument is a string literal (the first may be a call).
PROFILE_LITERAL = re.compile(r'\b(getInt|getString|writeInt|writeString|deleteValue|getBinary|writeBinary)\s*\(\s*'
                             r'("|[^,();"]*(\([^()]*\))?[^,();"]*,\s*")')
# A settings page's control table, and an entry of it whose last field (the tooltip) is a number.
CONTROL_TABLE = re.compile(r'\bSettingsControl\s+\w+\s*\[\s*\]\s*=\s*\{(.*?)\n\s*\};', re.S)
BARE_TOOLTIP = re.compile(r'\{[^{}]*,\s*(\d+)\s*\}')
BARE_STRING_ID = re.compile(r'\bloadString\s*\(\s*\d')
# A string loaded by a name of the file's own (not an IDS_ name), and that name's definition as a number.
NAMED_STRING_ID = re.compile(r'\bloadString\s*\(\s*(?!IDS_)([A-Za-z_]\w*)\s*\)')
NUMBER_DEFINITION = r'\b{}\s*=\s*\d'
MUTABLE_GLOBAL = re.compile(r'^(?!.*\b(const|constexpr)\b)(static\s+)?[\w:<>,*& ]+?[\s*&]g_\w+\s*(=[^;]*)?;', re.M)


def faults(root):
    for path in sorted(root.rglob("*")):
        if path.suffix not in (".h", ".cpp", ".inc") or not path.is_file():
            continue
        relative = path.relative_to(root)
        top = relative.parts[0]
        if top not in LEVELS:
            continue
        text = path.read_text(encoding="utf-8", errors="replace")
        for match in INCLUDE.finditer(text):
            target = match.group(1)
            line = text.count("\n", 0, match.start()) + 1
            where = f"{relative}:{line}: includes {match.group(0).strip().split(None, 1)[-1]}"
            if target == top or (target not in LEVELS and target not in TOOLS):
                continue
            if target in TOOLS:
                yield f"{where}: the product never includes a tool's folder"
            elif top == "framework":
                yield f"{where}: framework/ knows nothing of the product"
            elif target == "framework":
                continue
            elif LEVELS[target] >= LEVELS[top]:
                yield f"{where}: {target}/ is not below {top}/"
        for match in PROFILE_LITERAL.finditer(text):
            line = text.count("\n", 0, match.start()) + 1
            yield f"{relative}:{line}: a registry section or key written as a literal, not taken from a settings table"
        for table in CONTROL_TABLE.finditer(text):
            for entry in BARE_TOOLTIP.finditer(table.group(1)):
                line = text.count("\n", 0, table.start(1) + entry.start()) + 1
                yield f"{relative}:{line}: a tooltip written as a number ({entry.group(1)}), not as its IDS_ name"
        for match in BARE_STRING_ID.finditer(text):
            line = text.count("\n", 0, match.start()) + 1
            yield f"{relative}:{line}: a string id written as a number, not as its IDS_ name"
        definitions = [(match.start(), name) for name in set(NAMED_STRING_ID.findall(text))
                       for match in re.finditer(NUMBER_DEFINITION.format(name), text)]
        for start, name in sorted(definitions):
            line = text.count("\n", 0, start) + 1
            yield f"{relative}:{line}: a string id {name} defined as a number, not as its IDS_ name"
        if top in ("ui", "window"):
            for match in APP_GLOBAL.finditer(text):
                line = text.count("\n", 0, match.start()) + 1
                yield f"{relative}:{line}: a window reaches the application through its global"
            for match in STAND_IN_GLOBAL.finditer(text):
                line = text.count("\n", 0, match.start()) + 1
                yield f"{relative}:{line}: a window reaches {match.group(1)}(), a global, instead of what it is given"
            for match in MUTABLE_GLOBAL.finditer(text):
                line = text.count("\n", 0, match.start()) + 1
                yield f"{relative}:{line}: a window keeps a mutable global: {match.group(0).strip()}"


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
    found = list(faults(root.resolve()))
    for fault in found:
        print(fault)
    print(f"layers: {len(found)} fault(s)" if found else "layers: every include points down, every registry name comes from a table, every text id has its name")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
