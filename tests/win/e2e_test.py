#!/usr/bin/env python3
"""End-to-end runs of the real plug-in (gen_ptly.dll) inside the stand-in player under Wine.

usage: e2e_test.py <case> <WinAmp.exe> <gen_ptly.dll> <work folder>

Each case lays out a Winamp folder of its own (WinAmp.exe, Plugins/gen_e2e_<case>.dll, a few MP3
files), so that its settings live under a registry application name of its own, which is deleted
before and after the case. The database file is read byte by byte from its documented layout,
not through the plug-in's own loader.

  playback          a scripted listening session is recorded exactly: full plays, a skip, a
                    pause left out of the played time, a track change, a track heard twice
  disabled          with "Disable" set, quit neither loads, saves nor touches the database
                    file; the hook on the main window exists all the same; nothing polls
  firstrun          a fresh user sees the welcome text once, at the first init only
  renamed           a renamed file ("gen_e2e_Renamed Copy.dll") has its own description,
                    settings and registry keys
  quitplaying       quitting while a track plays stores it with its time so far
  manifest          the first run in a folder writes winamp.exe.manifest and says so once
  manifest_readonly a Winamp folder that cannot be written to: no manifest, no message
  autosave          "AutoSave" 0 starts no save timer (nothing saved while running), and the
                    database is still saved at quit; a positive "AutoSave" starts timer 1
  settings          Winamp's config opens the settings sheet with the stored values; closing it
                    (the close box cancels) leaves every General and Publish key as it was
  editing           the Playtally window's record commands: removing, a path, a tag and playing
                    a missing file, for one play or its group, and while a question is open
  tags              ID3v2 tags (2.3 in UTF-16, 2.4 in UTF-8, unsynchronised, beside an ID3v1 tag
                    that lacks the artist), an Ogg file only the player describes, and a file
                    named in Cyrillic and Japanese are stored with the right tag and path, kept
                    byte for byte by a reload, shown by the window and the report; with
                    "ReadOtherTags" 0 only the MP3 with a whole ID3v1 tag is stored

Exit codes: 0 passed, 1 failed, 77 skipped (the machine cannot provide what the case needs).
"""
import collections
import itertools
import json
import os
import pwd
import re
import shutil
import struct
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
WINE_RUN = ROOT / 'scripts' / 'wine-run'
REGISTRY_KEY = r'HKEY_CURRENT_USER\software\Dozoderi Playtally v 1.2'
SIGNATURE = b'Dozoderi Playtally WinAmp Plug-in'
VERSION_HIGH, VERSION_LOW = 0x00010002, 0x00000000
TAG_BODY_SIZE = 125
SKIP = 77

# Texts the user sees, as the plug-in must show them.
APP_TITLE = 'Dozoderi Playtally v 1.4'
WELCOME_TEXT = ('Congratulations!\n\nThis is the first time you run WinAmp with Playtally plug-in. \n\n'
                '-Left-click the green circle icon located on system tray (near the clock) to open the main '
                'Playtally window.\n-Right click the icon to display a menu.\n\nEnjoy your Dozoderi Playtally!')
MANIFEST_CAPTION = 'Dozoderi Playtally (Winamp Plugin) -- v1.4'
MANIFEST_NOTICE = 'The Windows XP style for Playtally WinAmp plugin will be applyed after restarting WinAmp. '
MANIFEST_LINES = [
    '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>',
    '<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">',
    '<assemblyIdentity version="2.0.0.0" processorArchitecture="X86" name="Nullsoft.Winamp.Winamp" type="win32"/>',
    '<description>Winamp</description>',
    '<dependency>',
    '\t<dependentAssembly>',
    '\t\t<assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6.0.0.0" '
    'processorArchitecture="X86" publicKeyToken="6595b64144ccf1df" language="*"/>',
    '\t</dependentAssembly>',
    '</dependency>',
    '</assembly>',
]
MANIFEST_BYTES = '\r\n'.join(MANIFEST_LINES).encode('ascii')

# How far the plug-in's measurements may be from the player's own clock: the poll sees each edge
# up to half a second late, and dates and played times are whole seconds.
PLAYED_TOLERANCE = 1.6
DATE_TOLERANCE = 2.0


T0 = time.time()


def progress(text):
    """What the case does, with the time since it began (shown by ctest on failure)."""
    print(f'[{time.time() - T0:6.1f} s] {text}', flush=True)


class Failure(Exception):
    pass


class Skipped(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)


def winpath(path):
    return 'Z:' + str(path).replace('/', '\\')


# ---------------------------------------------------------------------------------------------
# Files the cases lay out

def tag_body(title, artist, album, year, comment, genre, track=None):
    """The 125 bytes after "TAG": title 30, artist 30, album 30, year 4, comment 30, genre 1."""
    def field(text, width):
        data = text.encode('cp1252')
        assert len(data) <= width
        return data + b'\0' * (width - len(data))
    body = field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4)
    if track is None:
        body += field(comment, 30)
    else:  # the comment's last two bytes hold a zero and the track number
        body += field(comment, 28) + b'\0' + bytes([track])
    body += bytes([genre])
    assert len(body) == TAG_BODY_SIZE
    return body


def write_mp3(path, body):
    frame = b'\xff\xfb\x90\x64' + b'\0' * 413  # one silent MPEG-1 Layer III frame
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(frame * 6 + b'TAG' + body)


def archive_string(data):
    n = len(data)
    if n < 255:
        prefix = bytes([n])
    elif n < 0xFFFE:
        prefix = b'\xff' + struct.pack('<H', n)
    else:
        prefix = b'\xff\xff\xff' + struct.pack('<I', n)
    return prefix + data


def database_bytes(records, high=VERSION_HIGH, low=VERSION_LOW):
    """A database file in the documented layout; records are (date, played, length, path, body)."""
    out = archive_string(SIGNATURE) + struct.pack('<II', high, low)
    for date, played, length, path, body in records:
        out += struct.pack('<iii', date, played, length) + archive_string(path) + body
    return out


class EndOfData(Exception):
    pass


def parse_database(data, wide_ok=False, original_reader=False):
    """Reads a database file strictly by its layout; raises Failure on anything else. With
    `wide_ok`, a path in the wide string form is read as text (a str; other paths are bytes).
    With `original_reader`, as a reader of the original layout does: a number or a string that
    cannot be read whole ends the records."""
    pos = 0

    def need(n, what):
        if original_reader and pos + n > len(data) and what.startswith(('record', 'the path')):
            raise EndOfData()
        check(pos + n <= len(data), f'database file ends inside {what} at offset {pos}')

    def string(what):
        nonlocal pos
        need(1, what)
        n = data[pos]
        pos += 1
        if n == 0xFF:
            need(2, what)
            n = struct.unpack_from('<H', data, pos)[0]
            pos += 2
            if n == 0xFFFE:
                check(wide_ok, f'{what}: the wide string form, where the ANSI form holds the text')
                need(1, what)
                n = data[pos]
                pos += 1
                if n == 0xFF:
                    need(2, what)
                    n = struct.unpack_from('<H', data, pos)[0]
                    pos += 2
                    check(255 <= n < 0xFFFE, f'{what}: wide length prefix for a length of {n}')
                need(2 * n, what)
                text = data[pos:pos + 2 * n].decode('utf-16-le')
                pos += 2 * n
                return text
            if n == 0xFFFF:
                need(4, what)
                n = struct.unpack_from('<I', data, pos)[0]
                pos += 4
                check(n >= 0xFFFE, f'{what}: 4-byte length prefix for a length of {n}')
            else:
                check(n >= 255, f'{what}: 2-byte length prefix for a length of {n}')
        need(n, what)
        text = data[pos:pos + n]
        pos += n
        return text

    signature = string('the signature')
    need(8, 'the version words')
    high, low = struct.unpack_from('<II', data, pos)
    pos += 8
    records = []
    while pos < len(data):
        try:
            need(12, f'record {len(records)}')
            date, played, length = struct.unpack_from('<iii', data, pos)
            pos += 12
            path = string(f'the path of record {len(records)}')
        except EndOfData:
            break
        need(TAG_BODY_SIZE, f'the tag body of record {len(records)}')
        body = data[pos:pos + TAG_BODY_SIZE]
        pos += TAG_BODY_SIZE
        records.append({'date': date, 'played': played, 'length': length, 'path': path, 'body': body})
    return signature, high, low, records


def show_records(records):
    for r in records:
        progress(f'  record: date {r["date"]} played {r["played"]} length {r["length"]} path {r["path"]!r}')


def check_header(signature, high, low):
    check(signature == SIGNATURE, f'database signature {signature!r}, expected {SIGNATURE!r}')
    check((high, low) == (VERSION_HIGH, VERSION_LOW),
          f'database version words {high:#010x} {low:#010x}, expected {VERSION_HIGH:#010x} {VERSION_LOW:#010x}')


def logon_names():
    names = {pwd.getpwuid(os.getuid()).pw_name}
    for var in ('USER', 'LOGNAME'):
        if os.environ.get(var):
            names.add(os.environ[var])
    return names


def default_database(plugins):
    """The database file of the default "DBPath": "<logon name>'s Playtally database.dat"."""
    found = sorted(plugins.glob("*'s Playtally database.dat"))
    check(len(found) <= 1, f'more than one database file: {[p.name for p in found]}')
    if found:
        user = found[0].name[:-len("'s Playtally database.dat")]
        check(user in logon_names(), f'database file named after {user!r}, not the logon name {logon_names()}')
        return found[0]
    return plugins / f"{pwd.getpwuid(os.getuid()).pw_name}'s Playtally database.dat"


# ---------------------------------------------------------------------------------------------
# Wine: the display, the registry and the stand-in player

class Display:
    """One Xvfb display for every Wine process of a case (wine-run starts one per call otherwise)."""

    def __init__(self):
        self.server = None

    def __enter__(self):
        if os.environ.get('DISPLAY'):
            return self
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(['Xvfb', '-displayfd', str(write_end), '-screen', '0', '1024x768x24',
                                        '-nolisten', 'tcp'], pass_fds=(write_end,), stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b''
        with os.fdopen(read_end, 'rb') as pipe:
            while not number.endswith(b'\n'):
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            raise Failure('Xvfb did not start')
        os.environ['DISPLAY'] = ':' + number.decode().strip()
        return self

    @staticmethod
    def warm_up():
        """Starts Wine's server and its service processes with nothing to inherit: started by a
        call whose output we read, they would hold its pipe open for seconds after it ended."""
        subprocess.run([str(WINE_RUN), 'cmd', '/c', 'exit'], stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def __exit__(self, *exc):
        if self.server:
            # Wine's desktop process lives on this display: the display goes after the server has
            # ended, so that the next case never meets a desktop whose display is gone.
            prefix = os.environ.get('WINEPREFIX', str(ROOT / 'build' / 'wineprefix'))
            subprocess.run(['timeout', '60', '/usr/lib/wine/wineserver', '-w'], env={**os.environ, 'WINEPREFIX': prefix},
                           stderr=subprocess.DEVNULL)
            self.server.terminate()
            self.server.wait()
            del os.environ['DISPLAY']


def wine(*args, check_rc=True):
    progress('wine ' + ' '.join(args))
    result = subprocess.run([str(WINE_RUN), *args], capture_output=True)
    if check_rc and result.returncode != 0:
        raise Failure(f'wine {" ".join(args)} failed ({result.returncode}): '
                      f'{result.stdout.decode("latin-1")}{result.stderr.decode("latin-1")}')
    return result


class Registry:
    """The settings of one application name, below the plug-in's registry key."""

    def __init__(self, work, app):
        self.work, self.app = work, app
        self.key = REGISTRY_KEY + '\\' + app

    def reset(self, values=None):
        """Deletes the application's key, then writes `values`: {(section, name): int or str}."""
        lines = ['Windows Registry Editor Version 5.00', '', f'[-{self.key}]', '']
        sections = {}
        for (section, name), value in (values or {}).items():
            sections.setdefault(section, []).append((name, value))
        for section, entries in sections.items():
            lines.append(f'[{self.key}\\{section}]')
            for name, value in entries:
                if isinstance(value, int):
                    lines.append(f'"{name}"=dword:{value & 0xFFFFFFFF:08x}')
                else:
                    escaped = value.replace('\\', '\\\\').replace('"', '\\"')
                    lines.append(f'"{name}"="{escaped}"')
            lines.append('')
        reg_file = self.work.parent / f'{self.work.name}.reg'
        reg_file.write_bytes(('\r\n'.join(lines) + '\r\n').encode('cp1252'))
        wine('reg', 'import', winpath(reg_file))
        reg_file.unlink()

    def delete(self):
        wine('reg', 'delete', self.key, '/f', check_rc=False)

    def read(self):
        """{(section, name): value} of every value below the application's key."""
        result = wine('reg', 'query', self.key, '/s', check_rc=False)
        values = {}
        section = None
        for line in result.stdout.decode('cp1252', 'replace').splitlines():
            line = line.rstrip('\r')
            if line.lower().startswith(self.key.lower()):
                section = line[len(self.key):].lstrip('\\')
                continue
            m = re.match(r'^ {4}(.+?) {4}(REG_[A-Z_]+)(?: {4}(.*))?$', line)
            if m and section is not None:
                name, kind, data = m.group(1), m.group(2), m.group(3) or ''
                values[(section, name)] = int(data, 16) if kind == 'REG_DWORD' else data
        return values


class HostRun:
    """One run of the stand-in: its log lines with their times, and the wall clock around it."""

    def __init__(self, lines, started, ended):
        self.lines, self.started, self.ended = lines, started, ended
        self.end_time = lines[-1][0] if lines else 0.0

    def texts(self):
        return [text for _, text in self.lines]

    def find(self, part):
        return [(t, text) for t, text in self.lines if part in text]

    def has(self, part):
        check(self.find(part), f'the player\'s log lacks: {part}')

    def closed_windows(self):
        """(caption, class, texts) of every window the player closed (its "dismiss" setting)."""
        found = []
        for _, text in self.lines:
            m = re.match(r'^closing window "(.*)" \(class (.*?)\)(?:: (.*))?$', text)
            if m:
                found.append((m.group(1), m.group(2), (m.group(3) or '').replace('\\n', '\n')))
        return found

    def epoch_bounds(self, t):
        """The wall-clock range in which the player's log time t fell."""
        return self.started + t, self.ended - (self.end_time - t)


class Case:
    def __init__(self, name, exe, dll, work, dll_name):
        self.name, self.exe, self.dll, self.work = name, Path(exe), Path(dll), Path(work).resolve()
        self.dll_name = dll_name  # the plug-in's file name in the Winamp folder
        self.plugins = self.work / 'Plugins'
        self.music = self.work / 'music'
        self.runs = 0

    def lay_out(self, manifest=True):
        """A Winamp folder: WinAmp.exe, the plug-in in Plugins; a manifest of the user's own there
        already unless told not to (the plug-in leaves it alone and says nothing)."""
        folder = self.work
        release(folder)
        if folder.exists():
            shutil.rmtree(folder)
        (folder / 'Plugins').mkdir(parents=True)
        shutil.copy(self.exe, folder / 'WinAmp.exe')
        shutil.copy(self.dll, folder / 'Plugins' / self.dll_name)
        if manifest:
            (folder / 'winamp.exe.manifest').write_bytes(b'<!-- the user\'s own manifest -->\r\n')

    def run(self, script, on_line=None, encoding='cp1252'):
        """Runs the stand-in with the script lines; `on_line(text)` sees each log line as it comes.
        A script with "wide-paths on" is written in UTF-8."""
        self.runs += 1
        script_file = self.work.parent / f'{self.work.name}-script{self.runs}.txt'
        script_file.write_bytes(('\n'.join(script) + '\n').encode(encoding))
        out_file = self.work.parent / f'{self.work.name}-run{self.runs}.out'
        self.last_log = out_file
        progress(f'the stand-in, run {self.runs}: {len(script)} script lines')
        lines = []
        started = time.time()
        with open(out_file, 'wb') as out:
            # Started in its own folder: whatever it writes beside itself (an export's default
            # folder) stays there and never lands in the caller's tree.
            host = subprocess.Popen([str(WINE_RUN), winpath(self.work / 'WinAmp.exe'), winpath(script_file)],
                                    stdout=subprocess.PIPE, stderr=subprocess.STDOUT, cwd=self.work)
            for raw in host.stdout:
                out.write(raw)
                out.flush()
                text = raw.decode('cp1252', 'replace').rstrip('\r\n')
                m = re.match(r'^\[\s*([0-9.]+)\] (.*)$', text)
                if not m:
                    continue
                lines.append((float(m.group(1)), m.group(2)))
                if on_line:
                    on_line(m.group(2))
            rc = host.wait()
        ended = time.time()
        progress(f'the stand-in ended after {ended - started:.1f} s; its log ends at {lines[-1][0] if lines else 0:.1f} s')
        if rc != 0:
            raise Failure(f'the stand-in exited with {rc}')
        run = HostRun(lines, started, ended)
        run.has('exit 0')
        return run


def release(folder):
    """Gives a folder that an earlier run made unwritable back its permissions, so it can go."""
    if folder.exists():
        if shutil.which('chattr'):
            subprocess.run(['chattr', '-i', str(folder)], capture_output=True)
        os.chmod(folder, 0o755)


# ---------------------------------------------------------------------------------------------
# The plays the player's log shows, measured with the player's own clock

def plays_from_log(run):
    """Each play the log shows: path, length, seconds heard (pauses left out), and the log time
    at which its last uninterrupted stretch began. A new entry with another path, or any entry
    after a stop, begins a new play."""
    plays = []
    current = None
    running_since = None

    def end_stretch(t):
        nonlocal running_since
        if current is not None and running_since is not None:
            current['heard'] += t - running_since
        running_since = None

    for t, text in run.lines:
        m = re.match(r'^playing entry \d+ "(.*)", length (-?\d+) s', text)
        if m:
            if current is not None and running_since is not None and current['path'] == m.group(1):
                continue  # the same file goes on playing: still the same play
            end_stretch(t)
            current = {'path': m.group(1), 'length': int(m.group(2)), 'heard': 0.0, 'stretch': t}
            plays.append(current)
            running_since = t
        elif text.startswith('paused at '):
            end_stretch(t)
        elif text.startswith('resumed at ') and current is not None:
            running_since = t
            current['stretch'] = t
        elif text.startswith('stopped at ') or text == 'end of the playlist: stopped' or \
                re.match(r'^plugin .*: calling quit$', text):
            end_stretch(t)
            current = None
    return plays


def check_record(record, play, body, run, what):
    path = play['path'].encode('cp1252')
    check(record['path'] == path, f'{what}: path {record["path"]!r}, expected {path!r}')
    check(record['length'] == play['length'], f'{what}: length {record["length"]}, expected {play["length"]}')
    heard, length = play['heard'], play['length']
    near_heard = abs(record['played'] - heard) <= PLAYED_TOLERANCE
    # Within ten per cent of the length, a play counts as complete.
    counted_complete = record['played'] == length and abs(length - heard) <= 0.1 * length + PLAYED_TOLERANCE
    check(near_heard or counted_complete,
          f'{what}: played {record["played"]} s, but the player played it {heard:.1f} s (length {length})')
    earliest, latest = run.epoch_bounds(play['stretch'])
    check(earliest - DATE_TOLERANCE <= record['date'] <= latest + DATE_TOLERANCE,
          f'{what}: date {record["date"]} outside {earliest:.1f}..{latest:.1f}, when its last stretch began')
    check(record['body'] == body, f'{what}: tag body {record["body"]!r}, expected {body!r}')


def check_dates_follow_the_log(records, plays):
    """The dates lie as far apart as the player's log says the plays began."""
    for i in range(1, len(records)):
        apart = records[i]['date'] - records[0]['date']
        expected = plays[i]['stretch'] - plays[0]['stretch']
        check(abs(apart - expected) <= DATE_TOLERANCE,
              f'record {i} dated {apart} s after record 0; the log says {expected:.1f} s')


def check_hook(run, what):
    """The script's check-hook found the plug-in's hook; after quit the player logs its own."""
    states = [text for text in run.texts() if text.startswith('main window procedure: ')]
    check(len(states) == 2, f'{what}: expected two hook checks in the log, found {states}')
    check(states[0] == "main window procedure: replaced (a plug-in's hook)",
          f'{what}: the hook is not on the main window while the player runs')
    check(states[1] == "main window procedure: the player's own", f'{what}: quit left the hook on the main window')


def check_quiet(run, what):
    windows = run.closed_windows()
    check(not windows, f'{what}: the plug-in showed windows: {windows}')


# ---------------------------------------------------------------------------------------------
# The cases

def case_playback(case, registry):
    registry.reset({('Main', 'First Time'): 0, ('General', 'StoreAfterIntervalSec'): 5})
    case.lay_out()
    tracks = {
        'a': ('A Song.mp3', tag_body('Érable', 'Artist One', 'First Album', '1999', 'heard fully', 17, track=3)),
        'b': ('b.mp3', tag_body('Skipped', 'Artist Two', 'Second Album', '2001', 'skipped early', 24)),
        'c': ('c paused.mp3', tag_body('Paused Title Of Thirty Chars!!', 'Artist Three', 'Third Album',
                                       '2010', 'paused for a while', 255)),
        'd': ('d.mp3', tag_body('Twice', 'Artist Four', '', '', '', 0)),
    }
    for name, body in tracks.values():
        write_mp3(case.music / name, body)
    path = {k: winpath(case.music / name) for k, (name, _) in tracks.items()}
    run = case.run([
        'dismiss 1',
        'check-hook',
        f'play "{path["a"]}" 4',   # heard fully: the playlist ends and the player stops
        'wait 5',
        f'play "{path["b"]}" 30',  # skipped after 2 s: below 70 % and below 5 s
        'wait 2',
        f'next "{path["c"]}" 40',  # a track change
        'wait 3',
        'pause',
        'wait 4',                  # the pause does not count
        'resume',
        'wait 4',
        f'next "{path["d"]}" 4',   # c ends with 7 s heard, d plays to its end
        'wait 5',
        f'play "{path["d"]}" 4',   # d again after the stop: a play of its own
        'wait 5',
        'quit',
    ])
    check_hook(run, 'playback')
    check_quiet(run, 'playback')

    plays = plays_from_log(run)
    order = [p['path'] for p in plays]
    check(order == [path['a'], path['b'], path['c'], path['d'], path['d']], f'the log shows the plays {order}')
    check(plays[1]['heard'] < 4, f'the skip lasted {plays[1]["heard"]:.1f} s: the script ran too slowly')
    stored = [plays[0], plays[2], plays[3], plays[4]]
    bodies = [tracks['a'][1], tracks['c'][1], tracks['d'][1], tracks['d'][1]]

    db = default_database(case.plugins)
    check(db.exists(), f'no database file {db.name} after quit')
    data = db.read_bytes()
    # The records in the original layout; the paused play's first start follows them.
    signature, high, low, records = parse_database(data, original_reader=True)
    show_records(records)
    check_header(signature, high, low)
    check(len(records) == len(stored),
          f'{len(records)} records, expected {len(stored)} (a, c, d, d): '
          f'{[(r["path"], r["played"], r["length"]) for r in records]}')
    for i, (record, play, body) in enumerate(zip(records, stored, bodies)):
        check_record(record, play, body, run, f'record {i}')
    check_dates_follow_the_log(records, stored)
    # The paused track (checked above against the time heard and the moment of resuming): the
    # pause is long enough that counting it could not pass for measuring late.
    pause = run.find('resumed at ')[0][0] - run.find('paused at ')[0][0]
    check(pause > 2 * PLAYED_TOLERANCE, f'the pause lasted only {pause:.1f} s')
    # Its first start: the mark, the path's claim, version, records, entries; then the one entry.
    at = data.find(b'PTLY-WHOLE')
    check(at > 0, 'the paused play keeps no first start')
    version, count, entries, index, what = struct.unpack_from('<IIIIB', data, at + 19)
    check((version, count, entries, index, what) == (1, len(stored), 1, 1, 2),
          f'the first starts: {(version, count, entries, index, what)}')
    first_start = struct.unpack_from('<i', data, at + 36)[0]
    check(pause - 1 <= records[1]['date'] - first_start <= pause + 3 + 2 * PLAYED_TOLERANCE,
          f'first start {first_start}, resumed at {records[1]["date"]}, paused for {pause:.1f} s')


def case_disabled(case, registry):
    registry.reset({('Main', 'First Time'): 0, ('General', 'Disable'): 1})
    case.lay_out()
    body = tag_body('Old Play', 'Someone', 'Somewhere', '1990', '', 12)
    write_mp3(case.music / 'a.mp3', body)
    # A database from a newer plug-in: loading it would say so (message "DBFileIsNewerFormat"),
    # saving it would write it back with this plug-in's version words.
    db = default_database(case.plugins)
    old = database_bytes([(1000000000, 200, 210, b'C:\\Music\\old one.mp3', body),
                          (1000000500, 150, 150, b'C:\\Music\\old two.mp3', body)], high=VERSION_HIGH + 1)
    db.write_bytes(old)
    stamp = 981173106  # 2001-02-03: any write would move the file's time
    os.utime(db, ns=(stamp * 10**9, stamp * 10**9))
    before = sorted(p.name for p in case.plugins.iterdir())

    run = case.run([
        'dismiss 1',
        'check-hook',
        f'play "{winpath(case.music / "a.mp3")}" 3',
        'wait 4',                  # a full play: it would be stored if the plug-in ran
        'kill-timer 0',            # the playback poll
        'quit',
    ])
    check_hook(run, 'with "Disable" set')
    run.has('timer 0 of the main window: none')
    run.has('requests answered: none')  # nothing asked the player what it plays
    check_quiet(run, 'disabled (a load would report the newer file)')
    check(db.read_bytes() == old, 'the database file was changed')
    check(db.stat().st_mtime_ns == stamp * 10**9, 'the database file was written to (its time changed)')
    after = sorted(p.name for p in case.plugins.iterdir())
    check(after == before, f'the plug-in folder changed: {before} -> {after}')


def case_firstrun(case, registry):
    registry.reset()  # a fresh user
    case.lay_out()
    run1 = case.run(['dismiss 1'])  # settings only: the plug-in still starts and quits
    windows = run1.closed_windows()
    check(windows == [(APP_TITLE, '#32770', WELCOME_TEXT)], f'the first run showed {windows}')
    times = [t for t, text in run1.lines if text.startswith('closing window')]
    init_start = run1.find('calling init')[0][0]
    init_end = run1.find('init returned 0')[0][0]
    check(init_start <= times[0] <= init_end, 'the welcome text was not shown during init')
    check(registry.read().get(('Main', 'First Time')) == 0, '"First Time" is not 0 after the first run')

    run2 = case.run(['dismiss 1'])
    check_quiet(run2, 'the second run')
    run2.has('init returned 0')
    check(registry.read().get(('Main', 'First Time')) == 0, '"First Time" is not 0 after the second run')


def case_renamed(case, registry):
    # The registry application name is the file name without its extension: "gen_e2e_Renamed Copy".
    registry.reset({('Main', 'First Time'): 0, ('General', 'DBPath'): 'renamed tally.dat'})
    case.lay_out()
    run = case.run(['dismiss 1', 'quit'])
    dll = case.dll_name
    run.has(f'plugin {dll}: init returned 0, description "{APP_TITLE} Plug-In ({dll})"')
    check_quiet(run, 'renamed (its own "First Time" is 0)')
    # Its own "DBPath": the bare name is taken from the plug-in folder.
    own = case.plugins / 'renamed tally.dat'
    check(own.exists(), 'the renamed plug-in did not save to the "DBPath" of its own settings')
    signature, high, low, records = parse_database(own.read_bytes())
    check_header(signature, high, low)
    check(records == [], 'records appeared from nowhere')
    check(not list(case.plugins.glob("*'s Playtally database.dat")), 'a database of the default name appeared')
    # What it writes goes under its own name too: the welcome flag and the last auto-publish time.
    values = registry.read()
    expected = {('Main', 'First Time'): 0, ('Main', 'Year (AutoPublish)'): 1980,
                ('Main', 'Month (AutoPublish)'): 1, ('Main', 'Day (AutoPublish)'): 1,
                ('Main', 'Hour (AutoPublish)'): 1, ('Main', 'Minute (AutoPublish)'): 1}
    for key, value in expected.items():
        check(values.get(key) == value, f'{key} under {registry.app!r}: {values.get(key)!r}, not {value}')


def case_quitplaying(case, registry):
    registry.reset({('Main', 'First Time'): 0, ('General', 'StoreAfterIntervalSec'): 2})
    case.lay_out()
    body = tag_body('Long One', 'Patient Artist', 'Slow Album', '2020', 'still playing at quit', 8)
    write_mp3(case.music / 'long.mp3', body)
    run = case.run(['dismiss 1', f'play "{winpath(case.music / "long.mp3")}" 120', 'wait 5', 'quit'])
    check_quiet(run, 'quitplaying')
    check(not [text for text in run.texts() if text.startswith('stopped at ') or text.startswith('end of the playlist')],
          'the track stopped before quit')
    plays = plays_from_log(run)
    check(len(plays) == 1, f'the log shows {len(plays)} plays')
    signature, high, low, records = parse_database(default_database(case.plugins).read_bytes())
    check_header(signature, high, low)
    check(len(records) == 1, f'{len(records)} records, expected the one playing at quit')
    check_record(records[0], plays[0], body, run, 'the track playing at quit')


def case_manifest(case, registry):
    registry.reset({('Main', 'First Time'): 0})
    case.lay_out(manifest=False)
    manifest = case.work / 'winamp.exe.manifest'
    run1 = case.run(['dismiss 1'])
    check(manifest.exists(), 'no winamp.exe.manifest after the first run (does Wine still report Windows x.1?)')
    check(manifest.read_bytes() == MANIFEST_BYTES, f'the manifest reads {manifest.read_bytes()!r}')
    check(run1.closed_windows() == [(MANIFEST_CAPTION, '#32770', MANIFEST_NOTICE)],
          f'the first run showed {run1.closed_windows()}')
    written = manifest.stat().st_mtime_ns

    run2 = case.run(['dismiss 1'])
    check_quiet(run2, 'the second run')
    check(manifest.read_bytes() == MANIFEST_BYTES and manifest.stat().st_mtime_ns == written,
          'the second run touched the manifest')


def case_manifest_readonly(case, registry):
    registry.reset({('Main', 'First Time'): 0})
    case.lay_out(manifest=False)
    # Unix permissions do not bind root; the immutable attribute does.
    os.chmod(case.work, 0o555)
    probe = case.work / 'probe'
    try:
        probe.write_bytes(b'')
        probe.unlink()
        os.chmod(case.work, 0o755)
        if not shutil.which('chattr') or \
                subprocess.run(['chattr', '+i', str(case.work)], capture_output=True).returncode != 0:
            raise Skipped('the Winamp folder cannot be made read-only here (root, and no chattr +i)')
    except PermissionError:
        pass
    try:
        run = case.run(['dismiss 1'])
    finally:
        release(case.work)
    check(not (case.work / 'winamp.exe.manifest').exists(), 'a manifest appeared in a read-only folder')
    check_quiet(run, 'a read-only Winamp folder')
    run.has('init returned 0')
    # The plug-in goes on as usual: its own folder is writable, and the database is saved there.
    check(default_database(case.plugins).exists(), 'the database was not saved at quit')


def case_autosave(case, registry):
    registry.reset({('Main', 'First Time'): 0, ('General', 'AutoSave'): 0,
                    ('General', 'StoreAfterIntervalSec'): 2})
    case.lay_out()
    body = tag_body('Saved At Quit', 'Artist', 'Album', '2000', '', 1)
    write_mp3(case.music / 'a.mp3', body)
    seen_while_running = []

    def on_line(text):
        if text == 'echo: stored, still running':
            seen_while_running.append(sorted(p.name for p in case.plugins.glob('*.dat')))

    # A timer of 0 ms would save over and over: the file would be there long before quit.
    run = case.run(['dismiss 1', f'play "{winpath(case.music / "a.mp3")}" 3', 'wait 4',
                    'echo stored, still running', 'wait 1.5', 'kill-timer 1', 'quit'], on_line=on_line)
    check(seen_while_running == [[]],
          f'with "AutoSave" 0 the database was saved while the player ran: {seen_while_running}')
    run.has('timer 1 of the main window: none')
    check_quiet(run, 'autosave 0')
    db = default_database(case.plugins)
    check(db.exists(), 'with "AutoSave" 0 the database was not saved at quit')
    signature, high, low, records = parse_database(db.read_bytes())
    check_header(signature, high, low)
    check(len(records) == 1 and records[0]['body'] == body, f'records saved at quit: {records}')

    # The same check sees the timer when there is one.
    registry.reset({('Main', 'First Time'): 0, ('General', 'AutoSave'): 1})
    case.lay_out()
    run = case.run(['dismiss 1', 'kill-timer 1', 'quit'])
    run.has('timer 1 of the main window: was running, killed')


def case_settings(case, registry):
    publish = 'Zudazide Playtally - Settings'
    registry.reset({('Main', 'First Time'): 0, ('General', 'RefreshOnEachTrack'): 1,
                    ('General', 'GroupPlaytallyBy'): '0,0,0,0,0,1,1,1,0,0,0,',
                    (publish, 'Log'): 1, (publish, 'Hour'): 7, (publish, 'Minute'): 5})
    case.lay_out()
    before = {k: v for k, v in registry.read().items() if k[0] != 'Main'}
    run = case.run(['config 2', 'quit'])
    sheets = [w for w in run.closed_windows() if w[0] == 'Zudazide Playtally - Settings']
    check(len(sheets) == 1, f'config showed {run.closed_windows()}')
    texts = sheets[0][2]
    for part in ('Path to database:', 'Group Playtally records by fields: Artist, Title, Album'):
        check(part in texts, f'the settings sheet lacks {part!r}: {texts}')
    after = {k: v for k, v in registry.read().items() if k[0] != 'Main'}
    check(after == before, f'closing the sheet changed the settings: {before} -> {after}')

    # The same sheet from the tray menu, driven as a user drives it. Each step: what the script
    # does, then (when it expects texts) a log of the sheet that must show each of them.
    sheet, box = f'"{publish}"', '"Dozoderi Playtally v 1.4"'
    steps = [  # (script lines, texts the log that follows them shows)
        (['tray right', 'menu 32773', f'wait-window {sheet}'],
         ['tabs "General" | "Publish To HTML" | "Extras" | "ListenBrainz" selection 0', 'control 1094 Static "Group Playtally records by fields: Artist, Title, Album"']),
        ([f'click {sheet} 1056'], ['tabs "General" selection 0', 'control 1058 Button "Do not store tracks anymore" unchecked disabled']),
        ([f'click {sheet} 1056'], ['tabs "General" | "Publish To HTML" | "Extras" | "ListenBrainz" selection 0', 'control 1058 Button "Do not store tracks anymore" unchecked']),
        ([f'type {sheet} 1061 100001', f'click {sheet} 12321', f'wait-window {box}', f'log-window {box}',
          f'click {box} 1', f'wait-gone {box}'], ['control 1061 Edit "100001"']),
        ([f'type {sheet} 1061 100000', f'type {sheet} 1064 0', f'click {sheet} 12321'], ['control 1061 Edit "100000"']),
        ([f'pick {sheet} 12320 1'], ['control 1036 SysDateTimePick32 date', '07:05:00', 'selection 1']),
        ([f'type {sheet} 1042 "<p>cancelled</p>"', f'click {sheet} 2', f'wait-gone {sheet}'], []),
    ]
    script = ['dismiss off']
    for lines, texts in steps:
        script += lines + ['wait 0.3'] + ([f'log-window {sheet}'] if texts else [])
    run = case.run(script + ['quit'])
    logs = [w for w in logged_windows(run.texts()) if w.caption == publish]
    expected = [texts for _, texts in steps if texts]
    check(len(logs) == len(expected), f'{len(logs)} logs of the sheet, expected {len(expected)}')
    for n, (logged, texts) in enumerate(zip(logs, expected)):
        shown = logged.lines or []
        for part in texts:
            check(any(part in text for text in shown), f'step {n + 1}: no {part!r} in {shown}')
    run.has('"Please enter an integer between 1 and 100000."')
    settings = registry.read()
    check(settings[('General', 'DBSize')] == 100000 and settings[('General', 'AutoSave')] == 0,
          f'Apply stored {settings.get(("General", "DBSize"))} and {settings.get(("General", "AutoSave"))}')
    check(settings.get((publish, 'Header')) == before.get((publish, 'Header')),
          f'Cancel kept the typed header: {settings.get((publish, "Header"))!r}')


Logged = collections.namedtuple('Logged', 'caption header columns controls lines rows')


def logged_windows(lines):
    """Every log-window in the lines, in order: its caption, the window's own line, the list's
    columns line, {control id: the rest of its first line}, the control lines and the list rows as
    cell lists; a log-window of a missing window has its caption only (the rest None)."""
    found = []
    for i, text in enumerate(lines):
        m = re.match(r'^log-window: no window "(.*)"$', text)
        if m:
            found.append(Logged(m.group(1), None, None, None, None, None))
            continue
        m = re.match(r'^window "(.*)" class \S+ at ', text)
        if not m:
            continue
        block = list(itertools.takewhile(lambda line: line.startswith('control '), lines[i + 1:]))
        columns, controls, rows = None, {}, []
        for line in block:
            cid, rest = line[len('control '):].split(' ', 1)
            r = re.match(r'^row \d+ data -?\d+[^:]*: (.*)$', rest)
            if r:
                rows.append([cell.strip('"') for cell in r.group(1).split(' | ')])
            elif rest.startswith('columns:'):
                columns = line
            else:
                controls.setdefault(int(cid), rest)
        found.append(Logged(m.group(1), text, columns, controls, block, rows))
    return found


def window_logs(run):
    """For each log-window of the Playtally window: (its line, the columns line, rows, control lines)."""
    return [(w.header, w.columns, w.rows, w.lines) for w in logged_windows(run.texts())
            if w.header and w.caption.startswith('Dozoderi Playtally (Winamp Plugin)') and 'size 2' not in w.header]


def case_window(case, registry):
    registry.reset({('Main', 'First Time'): 0, ('Zudazide Playtally - Settings', 'OpenPublishedFile'): 0})
    case.lay_out()
    now = int(time.time())
    plays = [  # (hours ago, artist, title); the window shows the newest play first in Log mode
        (60, 'beta', 'Old One'), (5, 'Alpha', 'Twice'), (4, 'gamma', 'Thrice'),
        (3, 'Alpha', 'Twice'), (2, 'gamma', 'Thrice'), (1, 'gamma', 'Thrice'),
    ]
    records = []
    for hours, artist, title in plays:
        records.append((now - hours * 3600, 100, 120, f'C:\\Music\\{title}.mp3'.encode(),
                        tag_body(title, artist, 'Album', '2001', '', 1)))
    default_database(case.plugins).write_bytes(database_bytes(records))
    w = '"Dozoderi Playtally (Winamp Plugin) -- v1.4"'
    shots = case.work / 'shots'
    shots.mkdir()
    script = [
        'dismiss 30', 'tray left', f'wait-window {w}', 'wait 0.3', f'log-window {w}',
        f'screenshot {w} "{winpath(shots / "playtally.png")}"',
        f'pick {w} 1019 "From Beginning"', 'wait 0.3', f'log-window {w}',
        f'click {w} 1110', 'wait 0.3', f'log-window {w}',
        f'pick {w} 1019 Day', 'wait 0.3', f'log-window {w}',
        f'type {w} 1022 2', 'wait 0.3', f'log-window {w}',
        f'click {w} 1053', 'wait 0.3', f'log-window {w}',
        f'type {w} 1022 50', f'column {w} 1010 2 click', 'wait 0.3', f'log-window {w}',
        f'column {w} 1010 2 click', 'wait 0.3', f'log-window {w}',
        f'column {w} 1010 0 click', 'wait 0.3', f'log-window {w}',
        f'screenshot {w} "{winpath(shots / "log.png")}"',
        f'close {w}', f'wait-gone {w}', 'tray left', f'wait-window {w}', 'wait 0.3', f'log-window {w}',
        f'column {w} 1010 1 click', f'row {w} 1010 1 click', 'wait 0.3', f'log-window {w}',
        f'click {w} 1100', 'wait 0.3', f'log-window {w}',  # "html it!": the report builds rows of its own
        'echo right click on a row', f'row {w} 1010 0 right', 'menu none',
        'echo right click below the rows', f'row {w} 1010 30 right', 'menu none',
        'tray left', 'wait 0.3', 'tray right', 'menu none', 'wait 0.3', 'quit',
    ]
    run = case.run(script)
    logs = window_logs(run)
    check(len(logs) == 12, f'{len(logs)} logs of the window, expected 12')
    first = logs[0]
    check('size 353x500' in first[0], f'first window: {first[0]}')
    check('"#" 25, "Artist" 130, "Title" 160' in first[1], f'default columns: {first[1]}')
    # Playtally mode, the last month: the play of 60 hours ago counts, ranked by hits.
    check([r[1:] for r in first[2]] == [['gamma', 'Thrice'], ['Alpha', 'Twice'], ['beta', 'Old One']],
          f'Playtally rows {first[2]}')
    check(len(logs[1][2]) == 3, f'From Beginning: {logs[1][2]}')
    log_rows = logs[2][2]
    check([r[2] for r in log_rows] == ['Thrice', 'Thrice', 'Twice', 'Thrice', 'Twice', 'Old One'],
          f'Log rows newest first: {log_rows}')
    check(len(logs[3][2]) == 5, f'Log of the last day: {logs[3][2]}')
    check(len(logs[4][2]) == 2, f'top count 2: {logs[4][2]}')
    check('"Date"' in logs[5][1], f'Date column switched on: {logs[5][1]}')
    artists = [r[2] for r in logs[6][2]]
    check(artists == sorted(artists, key=str.lower), f'Artist A to Z: {artists}')
    artists = [r[2] for r in logs[7][2]]
    check(artists == sorted(artists, key=str.lower, reverse=True), f'Artist Z to A: {artists}')
    numbers = [int(r[0]) for r in logs[8][2]]
    check(numbers == sorted(numbers), f'"#" numerically: {numbers}')
    reopened = logs[9]
    check('"Date"' in reopened[1] and any('1110 Button "Log" checked' in c for c in reopened[3]) and
          any('selection 1 "Day"' in c for c in reopened[3]) and any('Edit "50"' in c for c in reopened[3]),
          f'reopened with its state: {reopened[1]} {reopened[3]}')
    check(len(run.find('window "Dozoderi Playtally (Winamp Plugin) -- v1.4" class')) == 12, 'window logs')
    # Sorted by date, oldest first; a click selects the row and enables the record links; a right
    # click opens the record menu over a row only.
    selected = logs[10]
    check([r[3] for r in selected[2]] == ['Twice', 'Thrice', 'Twice', 'Thrice', 'Thrice'],
          f'Log mode sorted by date: {selected[2]}')
    check(any(re.match(r'^control 1010 row 1 data -?\d+ selected', t) for _, t in run.lines) and
          any(c.startswith('control 1091 ') and 'disabled' not in c for c in selected[3]),
          f'row 1 selected, "remove" enabled: {selected[3]}')
    check(len(selected[2]) == 5, f'the click left the rows as they were: {selected[2]}')
    # The report (Playtally mode) leaves the window's rows, their sort and the selection alone.
    published = logs[11]
    check(published[2] == selected[2] and
          [t for t in published[3] if ' row ' in t] == [t for t in selected[3] if ' row ' in t] and
          any(re.match(r'^control 1010 row 1 data -?\d+ selected', t) for t in published[3]),
          f'after "html it!" the rows, sort and selection as they were: {published[3]}')
    check((case.plugins / 'MyPlaytally.html').exists(), 'the report was not published')
    opened = [c[0] for c in run.closed_windows()]
    check(not any(c in ('id3v1 Tag Editor', 'Path To Source File') or c.startswith(APP_TITLE) for c in opened),
          f'selecting a row ran a record command: {opened}')
    texts = run.texts()
    on_row = texts[texts.index('echo: right click on a row') + 1:texts.index('echo: right click below the rows')]
    below = texts[texts.index('echo: right click below the rows') + 1:]
    check('menu: closed without a choice' in on_row, f'no menu over a row: {on_row}')
    check(any(t.startswith('menu: no menu opened') for t in below[:2]), f'a menu below the rows: {below[:2]}')
    run.has('message 1152 wParam 1224 lParam 516 reached the player')
    for name in ('playtally.png', 'log.png'):
        check((shots / name).stat().st_size > 10000, f'screenshot {name}')


def case_window_state(case, registry):
    """The window's stored state from an older version, a crash or a hand edit, and typed top counts."""
    w = '"Dozoderi Playtally (Winamp Plugin) -- v1.4"'
    message = 'Static "Please enter a positive integer value."'
    now = int(time.time())
    records = [(now - h * 3600, 100, 120, f'C:\\Music\\{t}.mp3'.encode(), tag_body(t, 'Band', 'Album', '2001', '', 1))
               for h, t in ((3, 'One'), (2, 'Two'), (1, 'Two'))]
    dialog = 'Playtally Dialog'
    setups = [  # (stored values, texts the first log of the window shows)
        ({}, ['at {centre} size 353x500', '"#" 25, "Artist" 130, "Title" 160', '1013 Button "Last:" checked',
              'selection 3 "Month"', '1031 Button "ShowTop:" checked', 'Edit "100"', '1109 Button "Playtally" checked']),
        ({'Left': -30000, 'Top': -5, 'CX': 0, 'CY': 100000, 'ListWidth': 'abc,,-5,99999999,', 'LastCombo': 9,
          'TimePeriod': 7, 'SYear': 2025, 'SMonth': 2, 'SDay': 31, 'TopCnt': -4},
         ['at 0,0 size 353x500', '"#" 0, "Artist" 130, "Title" 160', '1013 Button "Last:" checked',
          'selection 3 "Month"', 'Edit "100"']),
        ({'Left': 2147483647, 'Top': 2147483600, 'CX': 400, 'CY': 520, 'ListWidth': '30,60,', 'TimePeriod': 0},
         ['at {pulled_back} size 400x520', '"#" 30, "Artist" 130, "Title" 160', '1012 Button "Period:" checked']),
    ]
    today = time.strftime('%Y-%m-%d', time.localtime(now))
    for n, (stored, texts) in enumerate(setups):
        registry.reset({('Main', 'First Time'): 0, **{(dialog, k): v for k, v in stored.items()}})
        case.lay_out()
        default_database(case.plugins).write_bytes(database_bytes(records))
        script = ['tray left', f'wait-window {w}', 'wait 0.3', f'log-window {w}', 'tray left', 'wait 0.3']
        if n == 0:  # the sizing border stops at the minimum; other tray messages pass to the player
            script += [f'resize {w} 100 100', 'wait 0.3', f'log-window {w}', 'tray move', 'tray left 99', 'wait 0.3']
        if n == 2:  # the window's own corner drag: larger, then not below the minimum
            script += [f'drag {w} 50 30', 'wait 0.3', f'log-window {w}', f'drag {w} -200 -200', 'wait 0.3',
                       f'log-window {w}']
        if n == 1:  # typed top counts: empty is one row; 0 and a count beyond an int are refused
            # (each typed character is checked: the prefixes of 2147483648 are all good counts)
            script += [f'type {w} 1022 ""', 'wait 0.3', f'log-window {w}',
                       f'type {w} 1022 0', 'wait 0.5', f'log-window {w}', f'close {w}', 'wait 0.3',
                       f'type {w} 1022 2147483648', 'wait 0.5', f'log-window {w}', f'close {w}', 'wait 0.3',
                       f'log-window {w}']
        run = case.run(script + ['tray right', 'menu none', 'wait 0.3', 'quit'])
        logs = window_logs(run)
        first = logs[0]
        shown = [first[0], first[1]] + first[3]
        # The Wine desktop's size depends on which display started its server.
        width, height = map(int, re.search(r'screen (\d+)x(\d+)', run.find('main window of class')[0][1]).groups())
        places = {'centre': f'{width // 2 - 176},{height // 2 - 250}', 'pulled_back': f'{width - 400},{height - 520}'}
        for part in (t.format(**places) for t in texts):
            check(any(part in t for t in shown), f'setup {n + 1}: no {part!r} in {shown}')
        if n == 0:
            check('size 353x500' in logs[1][0], f'resized below the minimum: {logs[1][0]}')
            for event in ('wParam 1224 lParam 512', 'wParam 99 lParam 513'):
                run.has(f'message 1152 {event} reached the player')
        if n == 2:
            check(['size 450x550' in logs[1][0], 'size 450x550' in logs[2][0]] == [True, True],
                  f'corner drags: {logs[1][0]}, {logs[2][0]}')
        if n == 1:
            check(any(today in c and '1024' in c for c in first[3]), f'a date the calendar lacks shows today: {first[3]}')
            check(len(logs[1][2]) == 1, f'an empty top count shows one row: {logs[1][2]}')
            check(len(run.find(message)) == 2, f'message 46 for 0 and for 2147483648: {run.find(message)}')
            check('Edit "2147483648"' in ' '.join(logs[-1][3]), f'the refused count stays to be mended: {logs[-1][3]}')
            # The player quits with the refused count in the edit: no box holds it up, and the last
            # good count (the last prefix typed) is the one stored.
            stored_count = registry.read().get((dialog, 'TopCnt'))
            check(stored_count == 214748364, f'"TopCnt" after quit: {stored_count}')


# --- editing: the record commands of the Playtally window --------------------------------------

PLAYTALLY = '"Dozoderi Playtally (Winamp Plugin) -- v1.4"'
QUESTION = '"Winamp - Dozoderi Playtally"'
PATH_DLG = '"Path To Source File"'
TAG_DLG = '"id3v1 Tag Editor"'
BROWSE_BOX = '"Mp3 file"'
NO_WINDOW = None  # an expected log-window of a window that must not be there


def step_logs(run):
    """The log lines of each step of the script, by the step's name (its "echo step <name>")."""
    steps, name = {}, None
    for text in run.texts():
        if text.startswith('echo: step '):
            name = text[len('echo: step '):]
            steps[name] = []
        elif name:
            steps[name].append(text)
    return steps


def check_steps(run, steps):
    """Each step's log-windows against its expectations: (caption, {id: control line}, titles);
    NO_WINDOW in place of the controls for a window that must not be shown."""
    logs = step_logs(run)
    for name, _, expected in steps:
        check(name in logs, f'step {name} never ran')
        seen = logged_windows(logs[name])
        check(len(seen) == len(expected), f'step {name}: {len(seen)} log-windows, expected {len(expected)}: {seen}')
        for logged, (want_caption, want_controls, want_titles) in zip(seen, expected):
            caption, controls, rows = logged.caption, logged.controls, logged.rows
            what = f'step {name}, window {want_caption}'
            check(caption == want_caption.strip('"'), f'{what}: logged {caption!r}')
            if want_controls is NO_WINDOW:
                check(controls is None, f'{what}: the window is shown: {controls}')
                continue
            check(controls is not None, f'{what}: the window is not shown')
            for cid, line in want_controls.items():
                check(controls.get(cid) == line, f'{what}: control {cid} is {controls.get(cid)!r}, expected {line!r}')
            if want_titles is not None:
                titles = [r[2] for r in rows]
                check(titles == want_titles, f'{what}: rows {titles}, expected {want_titles}')


def editing_record(hours, played, length, path, body):
    return {'date': int(time.time() - hours * 3600), 'played': played, 'length': length,
            'path': path.encode('cp1252'), 'body': body}


def case_editing(case, registry):
    """One listening history, edited through the window's links, keys, menu and dialogs."""
    general = {('Main', 'First Time'): 0, ('General', 'GroupPlaytallyBy'): '0,0,0,0,0,1,1,0,0,0,0,',
               ('General', 'StoreAfterIntervalSec'): 1000}
    registry.reset(general)
    case.lay_out()
    shots = case.work.parent / f'{case.work.name}-shots'
    shutil.rmtree(shots, ignore_errors=True)
    shots.mkdir()
    forty = 'Forty-Byte-Title-From-A-Tagger-That-Ran!'
    duo_tag = tag_body('Instance Song', 'Duo', 'Pair', '2002', 'two of them', 255)
    odd_tag = tag_body('Odd Genre', 'Other Tagger', 'Elsewhere', '2005', 'from another tagger', 200)
    mp3 = {'duo': case.music / 'duo.mp3', 'odd': case.music / 'odd.mp3', 'moved': case.music / 'moved.mp3'}
    write_mp3(mp3['duo'], duo_tag)
    write_mp3(mp3['odd'], odd_tag)
    write_mp3(mp3['moved'], tag_body('Moved Song', 'Traveller', 'Road', '1999', '', 5))
    mp3_bytes = {k: p.read_bytes() for k, p in mp3.items()}
    duo, moved = winpath(mp3['duo']), winpath(mp3['moved'])
    group = lambda: tag_body('Group Song', 'Trio', 'Three', '2001', '', 17)
    # Oldest first, as the file keeps them. "Day" shows the last five hours only: Trio (3 hits),
    # Duo (2) and Solo (1) rank without ties.
    records = [
        editing_record(96, 200, 210, r'C:\Music\moved away.mp3', tag_body('Moved Song', 'Traveller', 'Road', '1999', '', 5)),
        editing_record(72, 150, 160, winpath(mp3['odd']), odd_tag),
        editing_record(5, 100, 120, r'C:\Music\trio.mp3', group()),
        editing_record(4, 90, 100, duo, duo_tag),
        editing_record(3, 110, 120, r'C:\Music\trio.mp3', group()),
        editing_record(2.5, 60, 70, r'C:\Music\solo.mp3', tag_body('Lone Song', 'Solo', '', '', '', 1)),
        editing_record(2, 95, 100, duo, duo_tag),
        editing_record(1, 120, 120, r'C:\Music\trio.mp3', group()),
    ]
    db = default_database(case.plugins)
    db.write_bytes(database_bytes([(r['date'], r['played'], r['length'], r['path'], r['body']) for r in records]))
    fixed = r'C:\Music\duo fixed.mp3'
    w, q = PLAYTALLY, QUESTION
    no_question = (q, NO_WINDOW, None)
    ask = lambda text: (q, {1071: f'Static "{text}"', 1069: 'Button "&Do not show this message again" unchecked disabled'}, None)
    listed = lambda *titles: (w, {}, list(titles))
    log_rows = ['Instance Song', 'Instance Song', 'Odd Genre', 'Moved Song']
    rows = lambda n: f'row {w} 1010 {n}'
    # (step, script lines, the log-windows it shows). Posted input is handled before the next
    # line runs, so no line waits for a time; dialogs and questions are waited for.
    steps = [
        ('open', ['tray left', f'wait-window {w}', f'pick {w} 1019 Day', f'log-window {w}'],
         [listed('Group Song', 'Instance Song', 'Lone Song')]),
        ('remove lone', [f'{rows(2)} click', f'key {w} 1010 delete', f'log-window {q}', f'log-window {w}'],
         [no_question, listed('Group Song', 'Instance Song')]),
        ('remove group, No', [f'{rows(0)} click', f'key {w} 1010 delete', f'wait-window {q}', f'log-window {q}',
                              f'click {q} 2', f'wait-gone {q}', f'log-window {w}'],
         [ask('Delete the grouped records?'), listed('Group Song', 'Instance Song')]),
        ('remove group, Yes', [f'{rows(0)} click', f'click {w} 1091', f'wait-window {q}', f'click {q} 6',
                               f'wait-gone {q}', f'log-window {w}'],
         [listed('Instance Song')]),
        ('log mode', [f'click {w} 1110', f'pick {w} 1019 "From Beginning"', f'log-window {w}'], [listed(*log_rows)]),
        # The older instance's path, from the context menu; "Browse..." cancelled puts it back.
        ('path of one instance', [
            f'{rows(1)} right', 'menu 32777', f'wait-window {PATH_DLG}', f'log-window {PATH_DLG}',
            f'screenshot {PATH_DLG} "{winpath(shots / "path.png")}"',
            f'type {PATH_DLG} 1107 "C:\\typed over.mp3"', f'log-window {PATH_DLG}',
            f'click {PATH_DLG} 1106', f'wait-window {BROWSE_BOX}', f'close {BROWSE_BOX}', f'wait-gone {BROWSE_BOX}',
            f'log-window {PATH_DLG}', f'type {PATH_DLG} 1107 "{fixed}"', f'click {PATH_DLG} 1', f'wait-window {q}',
            f'log-window {q}', f'click {q} 2', f'wait-gone {q}', f'log-window {w}'],
         [(PATH_DLG, {1108: 'Static "" hidden', 1107: f'Edit "{duo}"',
                      1109: 'Static "Mp3 file location (please specify new location if the file was moved):"'}, None),
          (PATH_DLG, {1107: 'Edit "C:\\typed over.mp3"'}, None),
          (PATH_DLG, {1107: f'Edit "{duo}"'}, None),
          ask('Do you want to change paths for all instances of selected record?\\n\\n'
              'Press No to change path for selected record only.'),
          listed(*log_rows)]),
        # The newer instance's tag, both instances changed; the year edit takes digits only.
        ('tag of both instances', [
            f'{rows(0)} click', f'click {w} 1092', f'wait-window {TAG_DLG}', f'log-window {TAG_DLG}',
            f'screenshot {TAG_DLG} "{winpath(shots / "tag.png")}"',
            f'type {TAG_DLG} 1007 19x8', f'type {TAG_DLG} 1009 "edited twice"', f'log-window {TAG_DLG}',
            f'click {TAG_DLG} 1', f'wait-window {q}', f'log-window {q}', f'click {q} 6', f'wait-gone {q}',
            f'log-window {w}'],
         [(TAG_DLG, {1004: 'Edit "Instance Song"', 1005: 'Edit "Duo"', 1006: 'Edit "Pair"', 1007: 'Edit "2002"',
                     1008: 'ComboBox selection 0 "" of 127', 1009: 'Edit "two of them"'}, None),
          (TAG_DLG, {1007: 'Edit "198"', 1009: 'Edit "edited twice"'}, None),
          ask('Do you want to change all instances of this record?\\n\\nPress No to change the selected record only.'),
          listed(*log_rows)]),
        # A genre the list does not name: no entry selected, and the record keeps its byte.
        ('tag of an odd genre', [
            f'{rows(2)} right', 'menu 1092', f'wait-window {TAG_DLG}', f'log-window {TAG_DLG}',
            f'type {TAG_DLG} 1004 {forty}', f'click {TAG_DLG} 1', f'wait-gone {TAG_DLG}', f'log-window {q}',
            f'log-window {w}'],
         [(TAG_DLG, {1004: 'Edit "Odd Genre"', 1008: 'ComboBox selection -1 "" of 127'}, None), no_question,
          listed('Instance Song', 'Instance Song', forty, 'Moved Song')]),
        # A missing file asks for its new place, then the player's second instance hands it over.
        ('play a missing file', [
            f'{rows(3)} double', f'wait-window {PATH_DLG}', f'log-window {PATH_DLG}',
            f'screenshot {PATH_DLG} "{winpath(shots / "path-missing.png")}"',
            f'type {PATH_DLG} 1107 "{moved}"', f'click {PATH_DLG} 1', 'wait-log "handed over by another instance" 20',
            f'log-window {PATH_DLG}', f'log-window {q}'],
         [(PATH_DLG, {1108: 'Static "File not found: "C:\\Music\\moved away.mp3""',
                      1109: 'Static "If the file was moved - please specify its new location:"',
                      1107: 'Edit "C:\\Music\\moved away.mp3"'}, None),
          (PATH_DLG, NO_WINDOW, None), no_question]),
    ]
    script = []
    for name, lines, _ in steps:
        script += [f'echo step {name}'] + lines
    run = case.run(script + ['echo step quit', 'quit'])
    check_steps(run, steps)
    check_quiet(run, 'editing')
    run.has(f'handed over by another instance: "{moved}"')
    run.has(f'playing entry 0 "{moved}"')

    p, k, g1, i1, g2, lone, i2, g3 = records
    edited = tag_body('Instance Song', 'Duo', 'Pair', '198', 'edited twice', 255)
    want = [dict(p, path=moved.encode()),
            dict(k, body=tag_body(forty[:30], 'Other Tagger', 'Elsewhere', '2005', 'from another tagger', 200)),
            dict(i1, path=fixed.encode(), body=edited),   # its own date, path and time heard
            dict(i2, body=edited)]
    # The forty-byte title is kept whole after the records; the records read as always.
    signature, high, low, saved = parse_database(db.read_bytes(), original_reader=True)
    check(forty.encode() in db.read_bytes(), 'the title is not kept whole')
    check_header(signature, high, low)
    show_records(saved)
    check(saved == want, f'the database after quit:\n{saved}\nexpected\n{want}')
    for key, data in mp3_bytes.items():
        check(mp3[key].read_bytes() == data, f'{mp3[key].name} was written to')
    for name in ('path.png', 'path-missing.png', 'tag.png'):
        check((shots / name).stat().st_size > 3000, f'screenshot {name}')

    # While the user reads "Delete the grouped records?", a play of the same song is stored
    # (and the list rebuilt) and a save trims the oldest play: Yes removes the two plays the
    # question was about, not the new one nor any that moved into their places.
    registry.reset({**general, ('General', 'StoreAfterIntervalSec'): 2, ('General', 'AutoSave'): 1,
                    ('General', 'NoLarger'): 1, ('General', 'DBSize'): 4, ('General', 'RefreshOnEachTrack'): 1})
    during = []

    def on_line(text):
        if text == 'echo: saved while asking':
            during.append(parse_database(db.read_bytes(), original_reader=True)[3])

    run = case.run([
        'tray left', f'wait-window {w}', f'pick {w} 1019 "From Beginning"', f'{rows(0)} click',
        f'play "{duo}" 3', f'key {w} 1010 delete', f'wait-window {q}', 'wait-log "end of the playlist"',
        f'wait-change "{winpath(db)}" 80', 'echo saved while asking', f'click {q} 6', f'wait-gone {q}', 'quit',
    ], on_line=on_line)
    check_quiet(run, 'editing while a question is open')
    plays = plays_from_log(run)
    check(len(plays) == 1, f'{len(plays)} plays in the log')
    check(len(during) == 1 and len(during[0]) == 4 and during[0][:3] == want[1:],
          f'the save while asking did not trim the oldest play: {during}')
    signature, high, low, saved = parse_database(db.read_bytes(), original_reader=True)
    show_records(saved)
    check(len(saved) == 2 and saved[0] == want[1], f'after Yes: {saved}')
    check_record(saved[1], plays[0], duo_tag, run, 'the play stored while asking')


# Each case and the file name its copy of the plug-in gets (gen_e2e_<case>.dll when not given).
def id3v2_tag(version, frames, flags=0):
    """An ID3v2 tag: "ID3", version, revision 0, flags, the syncsafe size, the frames."""
    n = len(frames)
    size = bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])
    return b'ID3' + bytes([version, 0, flags]) + size + frames


def id3v2_frame(version, frame_id, data):
    n = len(data)
    size = bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F]) if version == 4 else struct.pack('>I', n)
    return frame_id.encode('ascii') + size + b'\0\0' + data


def id3v2_text(encoding, text):
    return bytes([encoding]) + {0: lambda t: t.encode('latin-1'), 1: lambda t: b'\xff\xfe' + t.encode('utf-16-le'),
                                3: lambda t: t.encode('utf-8')}[encoding](text)


def id3v2_frames(version, encoding, title, artist, album='', year='', comment='', genre=''):
    ids = ['TIT2', 'TPE1', 'TALB', 'TDRC' if version == 4 else 'TYER', 'TCON']
    out = b''
    for frame_id, text in zip(ids, [title, artist, album, year, genre]):
        if text:
            out += id3v2_frame(version, frame_id, id3v2_text(encoding, text))
    if comment:
        term = b'\0\0' if encoding == 1 else b'\0'
        data = id3v2_text(encoding, '')[:1] + b'eng' + id3v2_text(encoding, '')[1:] + term + id3v2_text(encoding, comment)[1:]
        out += id3v2_frame(version, 'COMM', data)
    return out


def unsynchronise(data):
    out = bytearray()
    for i, b in enumerate(data):
        out.append(b)
        if b == 0xFF and (i + 1 == len(data) or data[i + 1] == 0 or data[i + 1] >= 0xE0):
            out.append(0)
    return bytes(out)


def audio_file(path, head=b'', body=None, audio=None):
    """A file of one silent MPEG frame six times (or `audio`), after `head`, with an ID3v1 tag of
    `body` at its end when given."""
    path.parent.mkdir(parents=True, exist_ok=True)
    frame = b'\xff\xfb\x90\x64' + b'\0' * 413
    path.write_bytes(head + (audio if audio is not None else frame * 6) + (b'TAG' + body if body else b''))


def case_tags(case, registry):
    registry.reset({('Main', 'First Time'): 0, ('General', 'StoreAfterIntervalSec'): 1,
                    ('Zudazide Playtally - Settings', 'OpenPublishedFile'): 0})
    case.lay_out()
    m = case.music
    wide_name = 'Музыка 東京.mp3'
    files = [  # (file name, expected body or None when only the player's answer counts)
        ('plain.mp3', tag_body('Plain Title', 'Plain Artist', 'Plain Album', '1995', 'v1 only', 17)),
        ('v23 utf16.mp3', tag_body('Ça plane', 'Zoë', 'Noël', '2001', 'utf16', 13)),
        ('v24 utf8.mp3', tag_body('Über', 'Beyoncé', 'Déjà', '2004', 'utf8', 17)),
        ('both tags.mp3', tag_body('V2 Title', 'V2 Artist', 'V1 Album', '1980', 'v1 comment', 2)),
        ('unsync.mp3', tag_body('ÿes', 'Unsync Artist', '', '', '', 255)),
        ('song.ogg', tag_body('Ogg Title', 'Ogg Artist', 'Ogg Album', '2019', '', 13)),
        (wide_name, tag_body('Moscow Tokyo', 'Wide Name', '', '', '', 255)),
    ]
    audio_file(m / 'plain.mp3', body=files[0][1])
    audio_file(m / 'v23 utf16.mp3', head=id3v2_tag(3, id3v2_frames(3, 1, 'Ça plane', 'Zoë', 'Noël', '2001', 'utf16', '(13)')))
    audio_file(m / 'v24 utf8.mp3', head=id3v2_tag(4, id3v2_frames(4, 3, 'Über', 'Beyoncé', 'Déjà', '2004-05-06', 'utf8', 'Rock')))
    audio_file(m / 'both tags.mp3', head=id3v2_tag(3, id3v2_frames(3, 0, 'V2 Title', 'V2 Artist')),
               body=tag_body('V1 Title', '', 'V1 Album', '1980', 'v1 comment', 2))
    # UTF-16 little-endian: the mark and the letter y with diaeresis hold 0xFF bytes that the
    # unsynchronisation guards.
    unsync_frames = id3v2_frames(3, 1, 'ÿes', 'Unsync Artist')
    check(b'\xff\xfe\xff\x00' in unsync_frames, 'the unsynchronised tag holds no false sync')
    audio_file(m / 'unsync.mp3', head=id3v2_tag(3, unsynchronise(unsync_frames), flags=0x80))
    audio_file(m / 'song.ogg', audio=b'OggS' + b'\0' * 2000)
    audio_file(m / wide_name, body=files[6][1])

    def script(extra=()):
        lines = ['dismiss 30', 'wide-paths on',
                 f'metadata "{winpath(m / "song.ogg")}" artist "Ogg Artist"',
                 f'metadata "{winpath(m / "song.ogg")}" title "Ogg Title"',
                 f'metadata "{winpath(m / "song.ogg")}" album "Ogg Album"',
                 f'metadata "{winpath(m / "song.ogg")}" year 2019',
                 f'metadata "{winpath(m / "song.ogg")}" genre Pop']
        for name, _ in files:
            lines += [f'play "{winpath(m / name)}" 2', 'wait 2.8']
        return lines + list(extra) + ['quit']

    def expected_path(name):
        path = winpath(m / name)
        try:
            return path.encode('cp1252')
        except UnicodeEncodeError:
            return path  # the wide form, as text

    run = case.run(script(), encoding='utf-8')
    check_quiet(run, 'tags')
    # The stand-in logs wide names in UTF-8; the log is read as cp1252.
    as_logged = ('"' + winpath(m / wide_name) + '"').encode('utf-8').decode('cp1252', 'replace')
    run.has('request 214 (wide path of entry 0) -> ' + as_logged)
    run.has('request 3026 (file info "artist" of "' + winpath(m / 'song.ogg') + '") -> 1 "Ogg Artist"')
    db = default_database(case.plugins)
    stored = db.read_bytes()
    signature, high, low, records = parse_database(stored, wide_ok=True)
    show_records(records)
    check_header(signature, high, low)
    check(len(records) == len(files), f'{len(records)} records, expected {len(files)}')
    for record, (name, body) in zip(records, files):
        check(record['path'] == expected_path(name), f'{name}: path {record["path"]!r}')
        check(record['body'] == body, f'{name}: tag body {record["body"]!r}, expected {body!r}')
        check(record['length'] == 2, f'{name}: length {record["length"]}')
    # The ANSI paths are stored in the one-byte form, exactly as before.
    for name, _ in files[:-1]:
        check(archive_string(expected_path(name)) in stored, f'{name}: its path is not in the ANSI form')

    # A reload keeps every record byte for byte; the window and the report show them.
    w = '"Dozoderi Playtally (Winamp Plugin) -- v1.4"'
    run = case.run(['dismiss 30', 'tray left', f'wait-window {w}', 'wait 0.3', f'pick {w} 1019 "From Beginning"',
                    'wait 0.3', f'log-window {w}', f'click {w} 1100', 'wait 1', 'quit'])
    check(db.read_bytes() == stored, 'the reload and the save at quit changed the database file')
    rows = window_logs(run)[-1][2]
    shown = sorted(r[1:3] for r in rows)
    want = sorted([['Plain Artist', 'Plain Title'], ['Zoë', 'Ça plane'], ['Beyoncé', 'Über'], ['V2 Artist', 'V2 Title'],
                   ['Unsync Artist', 'ÿes'], ['Ogg Artist', 'Ogg Title'], ['Wide Name', 'Moscow Tokyo']])
    check(shown == want, f'the window shows {shown}')
    report = (case.plugins / 'MyPlaytally.html').read_bytes()
    for title in ('Ça plane', 'Über', 'V2 Title', 'ÿes', 'Ogg Title', 'Moscow Tokyo'):
        check(title.encode('cp1252') in report, f'the report lacks {title}')

    # "ReadOtherTags" 0: the ID3v1 tag alone, as before; the player is never asked.
    db.unlink()
    registry.reset({('Main', 'First Time'): 0, ('General', 'StoreAfterIntervalSec'): 1, ('General', 'ReadOtherTags'): 0})
    run = case.run(script(), encoding='utf-8')
    check(not run.find('request 3026') and not run.find('request 290'), 'the player was asked with ReadOtherTags 0')
    signature, high, low, records = parse_database(db.read_bytes())
    check([(r['path'], r['body']) for r in records] == [(expected_path('plain.mp3'), files[0][1])],
          f'with ReadOtherTags 0: {[(r["path"], r["body"][:30]) for r in records]}')


def case_wholetext(case, registry):
    """Texts kept whole from the tag and the player to the database, the report and the export,
    while a reader of the original layout still reads every record with its ID3v1 body."""
    registry.reset({('Main', 'First Time'): 0, ('General', 'StoreAfterIntervalSec'): 1,
                    ('Zudazide Playtally - Settings', 'OpenPublishedFile'): 0})
    case.lay_out()
    m = case.music
    long_title = 'Symphony No. 9 in D minor, Op. 125: IV. Presto (Live, 1990s)'
    check(len(long_title) == 60, 'a title of 60 characters')
    tracks = [  # (file, title, artist, album, genre name, the ID3v2 frames or None for the player's answer)
        ('long.mp3', long_title, 'Berliner Philharmoniker', 'Beethoven', 'Synthwave', (4, 3)),
        ('tokyo.mp3', '群青日和', '東京事変', 'Κύκλος', 'Pop', (3, 1)),
        ('kino.mp3', 'Группа крови', 'Кино', '', '', (4, 3)),
        ('song.flac', 'Ночь 東京', 'Σωκράτης', '', '', None),
    ]
    for name, title, artist, album, genre, frames in tracks:
        if frames:
            audio_file(m / name, head=id3v2_tag(frames[0], id3v2_frames(frames[0], frames[1], title, artist, album, '', '', genre)))
        else:
            audio_file(m / name, audio=b'fLaC' + b'\0' * 2000)
    flac = winpath(m / 'song.flac')
    out = case.work / 'out'
    out.mkdir()
    lb = out / 'whole_lb.json'
    lines = ['dismiss off', f'metadata "{flac}" title "Ночь 東京"', f'metadata "{flac}" artist "Σωκράτης"']
    for name, *_ in tracks:
        lines += [f'play "{winpath(m / name)}" 2', 'wait 2.8']
    lines += ['stop', 'wait 0.5', 'tray right', 'menu 32779', 'wait-window "Export Plays"',
              f'type "Export Plays" 1148 "{winpath(lb)}"', 'wait 0.5', 'click "Export Plays" 1', 'wait-gone "Export Plays"',
              'wait-window "Winamp - Dozoderi Playtally"', 'click "Winamp - Dozoderi Playtally" 1',
              'wait-gone "Winamp - Dozoderi Playtally"', 'tray right', 'menu 32775',
              f'wait-file "{winpath(case.plugins / "MyPlaytally.html")}" 60', 'quit']
    check(not (case.plugins / 'MyPlaytally.html').exists(), 'no report before the run')
    run = case.run(lines, encoding='utf-8')
    db = default_database(case.plugins)
    stored = db.read_bytes()
    # The original layout: every record and its body, as the ID3v1 rules make it.
    signature, high, low, records = parse_database(stored, original_reader=True)
    check_header(signature, high, low)
    check(len(records) == len(tracks), f'{len(records)} records, expected {len(tracks)}')
    check(records[0]['body'][:30] == long_title[:30].encode('cp1252'), f'the long title\'s body {records[0]["body"][:30]!r}')
    check(records[0]['body'][124] == 255, 'a genre outside the table has no byte')
    check(records[1]['body'][124] == 13, 'Pop is genre 13')
    check(b'PTLY-WHOLE' in stored, 'the whole texts are not in the file')
    # The report holds every text, what cp1252 lacks as character references.
    report = (case.plugins / 'MyPlaytally.html').read_bytes().decode('cp1252')
    for _, title, artist, *_ in tracks:
        for text in (title, artist):
            shown = ''.join(c if c.encode('cp1252', 'ignore') else f'&#x{ord(c):X};' for c in text)
            check(shown in report, f'the report lacks {text!r} as {shown!r}')
    # The export carries the texts whole.
    listens = json.loads(lb.read_bytes().decode('utf-8'))
    got = sorted((l['track_metadata']['track_name'], l['track_metadata']['artist_name']) for l in listens)
    check(got == sorted((t[1], t[2]) for t in tracks), f'exported listens: {got}')


def case_exchange(case, registry):
    """The plays leave and come back: the Extras page's "Export plays..." (ListenBrainz JSON) and
    "Import plays..." (a scrobbler log), and the tray menu's "Export plays..." (a scrobbler log)."""
    registry.reset({('Main', 'First Time'): 0, ('General', 'NoLarger'): 0})
    case.lay_out()
    stored = [('Alpha', 'One'), ('Beta', 'Two'), ('Gamma', 'Three')]
    records = [(1100000000 + i * 600, 100, 120, f'C:\\Music\\{title}.mp3'.encode(), tag_body(title, artist, 'Album', '2001', '', 1))
               for i, (artist, title) in enumerate(stored)]
    db = default_database(case.plugins)
    db.write_bytes(database_bytes(records))
    out = case.work / 'out'
    out.mkdir()
    lb, tray_log, incoming = out / 'plays_lb.json', out / 'tray.log', out / 'in.scrobbler.log'
    # A repeat of a stored play 10 s later, a new play, a skipped one.
    incoming.write_bytes(b'#AUDIOSCROBBLER/1.1\n#TZ/UTC\n#CLIENT/Rockbox\n'
                         b'Alpha\tAlbum\tOne\t\t120\tL\t1100000010\t\n'
                         b'Delta\tNew\tFour\t3\t200\tL\t1100000300\t\n'
                         b'Eps\t\tSkipped\t\t100\tS\t1100000400\t\n')
    shots = case.work / 'shots'
    shots.mkdir()
    sheet, box = '"Zudazide Playtally - Settings"', '"Winamp - Dozoderi Playtally"'

    def choose(dialog, path, file_type=None):
        # The name typed without its extension when a file type is picked: the dialog adds the type's.
        name = winpath(path.with_suffix('') if file_type else path)
        pick = [f'pick "{dialog}" 1136 "{file_type}"'] if file_type else []
        return [f'wait-window "{dialog}"', f'type "{dialog}" 1148 "{name}"'] + pick + ['wait 0.5', f'log-window "{dialog}"',
                f'click "{dialog}" 1', f'wait-gone "{dialog}"']
    message = [f'wait-window {box}', f'log-window {box}', f'click {box} 1', f'wait-gone {box}']
    script = (['dismiss off', 'tray right', 'menu 32773', f'wait-window {sheet}', f'pick {sheet} 12320 2', 'wait 0.3',
               f'log-window {sheet}', f'screenshot {sheet} "{winpath(shots / "extras.png")}"',
               f'click {sheet} 1201'] + choose('Export Plays', lb) + message +
              [f'click {sheet} 1202'] + choose('Import Plays', incoming) + message +
              [f'click {sheet} 2', f'wait-gone {sheet}', 'tray right', 'menu 32779'] + choose('Export Plays', tray_log, 'Scrobbler log (*.log)') +
              message + ['quit'])
    run = case.run(script)
    logs = [w for w in logged_windows(run.texts()) if w.caption == 'Zudazide Playtally - Settings']
    check(len(logs) == 1 and logs[0].lines, f'no log of the sheet: {logs}')
    shown = logs[0].lines
    for part in ('control 1201 Button "Export plays..."', 'control 1202 Button "Import plays..."', 'selection 2'):
        check(any(part in line for line in shown), f'the Extras page lacks {part!r}: {shown}')
    check((shots / 'extras.png').stat().st_size > 3000, 'screenshot extras.png')
    texts = [w.lines for w in logged_windows(run.texts()) if w.caption == 'Winamp - Dozoderi Playtally']
    check(len(texts) == 3, f'{len(texts)} messages, expected 3')
    check(any('3 plays were exported to:' in line for line in texts[0]), f'first message: {texts[0]}')
    check(any('1 plays were added to your database; 1 were there already' in line for line in texts[1]),
          f'second message: {texts[1]}')
    check(any('4 plays were exported to:' in line for line in texts[2]), f'third message: {texts[2]}')

    # The exported listens, read with a standard JSON parser, are the stored plays.
    listens = json.loads(lb.read_bytes().decode('utf-8'))
    check([(l['listened_at'], l['track_metadata']['artist_name'], l['track_metadata']['track_name'],
            l['track_metadata']['release_name'], l['track_metadata']['additional_info']['duration_ms'])
           for l in listens] == [(r[0], a, t, 'Album', 120000) for r, (a, t) in zip(records, stored)],
          f'exported listens: {listens}')
    # The tray's export, a scrobbler log by the file type picked in the dialog, holds the imported
    # play in its place by date; the database keeps it.
    check(not tray_log.with_suffix('.json').exists() and tray_log.exists(), f'the tray export wrote {sorted(out.iterdir())}')
    lines = tray_log.read_bytes().decode('utf-8').split('\n')
    check(lines[:3] == ['#AUDIOSCROBBLER/1.1', '#TZ/UTC', '#CLIENT/Dozoderi Playtally 1.4'], f'log header: {lines[:3]}')
    rows = [line.split('\t') for line in lines[3:] if line]
    check([(r[0], r[2], r[3], r[4], r[5], r[6]) for r in rows] ==
          [('Alpha', 'One', '', '120', 'L', '1100000000'), ('Delta', 'Four', '3', '200', 'L', '1100000300'),
           ('Beta', 'Two', '', '120', 'L', '1100000600'), ('Gamma', 'Three', '', '120', 'L', '1100001200')],
          f'tray export: {rows}')
    saved = parse_database(db.read_bytes())[3]
    check([r['date'] for r in saved] == [1100000000, 1100000300, 1100000600, 1100001200], f'saved dates: {saved}')


CASES = {
    'playback': (case_playback, None),
    'disabled': (case_disabled, None),
    'firstrun': (case_firstrun, None),
    'renamed': (case_renamed, 'gen_e2e_Renamed Copy.dll'),
    'quitplaying': (case_quitplaying, None),
    'manifest': (case_manifest, None),
    'manifest_readonly': (case_manifest_readonly, None),
    'autosave': (case_autosave, None),
    'settings': (case_settings, None),
    'window': (case_window, None),
    'window_state': (case_window_state, None),
    'editing': (case_editing, None),
    'tags': (case_tags, None),
    'exchange': (case_exchange, None),
    'wholetext': (case_wholetext, None),
}


def main():
    if len(sys.argv) != 5 or sys.argv[1] not in CASES:
        sys.exit(__doc__)
    name, exe, dll, work = sys.argv[1:]
    run_case, dll_name = CASES[name]
    case = Case(name, exe, dll, work, dll_name or f'gen_e2e_{name}.dll')
    case.work.parent.mkdir(parents=True, exist_ok=True)
    registry = Registry(case.work, Path(case.dll_name).stem)
    return run_under_wine(name, case, registry, lambda: run_case(case, registry))


def run_under_wine(name, case, registry, act):
    """Runs a case's `act` on a display of its own, its registry key deleted afterwards; the exit
    code, with the last run's log when it failed."""
    try:
        with Display():
            progress('starting Wine')
            Display.warm_up()
            try:
                act()
            finally:
                registry.delete()
    except Skipped as e:
        print(f'SKIP ({name}): {e}')
        return SKIP
    except Failure as e:
        print(f'FAIL ({name}): {e}')
        if case.runs:
            print(f'--- the last run\'s log: {case.last_log}')
            sys.stdout.write(case.last_log.read_text('cp1252', 'replace'))
        return 1
    progress(f'PASS ({name})')
    return 0


if __name__ == '__main__':
    sys.exit(main())
