#!/usr/bin/env python3
"""The setup program (gen_ptly-setup.exe) and its uninstaller under Wine, in a stand-in Winamp folder.

usage: installer_test.py <case> <gen_ptly-setup.exe> <WinAmp.exe> <work folder>

  roundtrip   a silent install into the folder: the DLL and the uninstaller in Plugins, the
              Add/Remove Programs entry; the stand-in then loads the installed plug-in and records
              a play; the silent uninstall removes the DLL, itself and the entry, and keeps the
              database and the settings
  removedata  the silent uninstall with /REMOVEDATA removes the database the settings name (the
              default name, or a name of the user's) and the plug-in's registry key, nothing else;
              the second install finds the folder through Winamp's own registry key
  running     while the stand-in runs, setup and uninstaller end non-zero and change nothing
  screens     (by hand) screenshots of the setup's folder page, its warning and its question,
              and the uninstaller's page, beside the work folder

The plug-in is installed under its real name, so its settings are the real gen_ptly key, which
each case deletes before and after. Exit codes: 0 passed, 1 failed.
"""
import os
import signal
import subprocess
import sys
import threading
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from e2e_test import (WINE_RUN, Case, Display, Failure, Registry, check, default_database,  # noqa: E402
                      parse_database, progress, tag_body, wine, winpath, write_mp3)

ENTRY = r'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Dozoderi Playtally (gen_ptly)'
WINAMP_KEY = r'HKCU\Software\Winamp'
UNINSTALLER = 'gen_ptly-uninstall.exe'
RUNNING = 2  # the exit code of a setup that would not copy while Winamp runs
DEADLINE = 60


def wait_for(condition, what):
    """Polls until condition() holds (the uninstaller goes on in a copy of itself after it returns)."""
    end = time.time() + DEADLINE
    while not condition():
        if time.time() > end:
            raise Failure(f'after {DEADLINE} s still not: {what}')
        time.sleep(0.2)


def entry():
    """The values of the Add/Remove Programs entry; None when there is none."""
    result = wine('reg', 'query', ENTRY, check_rc=False)
    if result.returncode != 0:
        return None
    values = {}
    for line in result.stdout.decode('cp1252', 'replace').splitlines():
        parts = line.strip().split('    ')
        if len(parts) == 3:
            values[parts[0]] = int(parts[2], 16) if parts[1] == 'REG_DWORD' else parts[2]
    return values


def snapshot(folder):
    return sorted((str(p.relative_to(folder)), p.stat().st_size, p.stat().st_mtime_ns) for p in folder.rglob('*'))


class Installer:
    def __init__(self, setup, exe, work):
        self.setup = Path(setup)
        self.dll = self.setup.parent / 'gen_ptly.dll'
        self.case = Case('setup', exe, self.dll, work, 'gen_ptly.dll')
        self.registry = Registry(self.case.work, 'gen_ptly')
        self.plugins = self.case.plugins

    def lay_out(self, settings):
        """A Winamp folder with the stand-in only, the plug-in's settings, and no entry."""
        self.case.lay_out(manifest=True)
        (self.plugins / 'gen_ptly.dll').unlink()
        self.registry.reset(settings)
        wine('reg', 'delete', ENTRY, '/f', check_rc=False)

    def install(self, found=False):
        """Into the folder given with /D=, or (found) the one Winamp's own registry key names."""
        if found:
            wine('reg', 'add', WINAMP_KEY, '/ve', '/d', winpath(self.case.work), '/f')
        folder = [] if found else ['/D=' + winpath(self.case.work)]
        rc = wine(str(self.setup), '/S', *folder, check_rc=False).returncode
        check(rc == 0, f'the silent setup ended with {rc}')
        check((self.plugins / 'gen_ptly.dll').read_bytes() == self.dll.read_bytes(), 'the installed DLL differs')
        check((self.plugins / UNINSTALLER).exists(), 'no uninstaller beside the DLL')

    def uninstall(self, *options):
        wine(winpath(self.plugins / UNINSTALLER), '/S', *options)
        wait_for(lambda: not (self.plugins / UNINSTALLER).exists() and entry() is None,
                 'the uninstaller and the entry are gone')
        check(not (self.plugins / 'gen_ptly.dll').exists(), 'the uninstall left the DLL')

    def clean_up(self):
        self.registry.delete()
        wine('reg', 'delete', WINAMP_KEY, '/f', check_rc=False)
        wine('reg', 'delete', ENTRY, '/f', check_rc=False)


def case_roundtrip(inst):
    inst.lay_out({('Main', 'First Time'): 0, ('General', 'StoreAfterIntervalSec'): 2})
    inst.install()
    values = entry()
    check(values is not None, 'no Add/Remove Programs entry')
    size_kb = ((inst.plugins / 'gen_ptly.dll').stat().st_size + (inst.plugins / UNINSTALLER).stat().st_size) / 1024
    expected = {'DisplayName': 'Dozoderi Playtally (Winamp plug-in)', 'DisplayVersion': '1.2.0.0',
                'Publisher': 'Dozoderi', 'UninstallString': '"' + winpath(inst.plugins / UNINSTALLER) + '"'}
    for name, value in expected.items():
        check(values.get(name) == value, f'entry {name}: {values.get(name)!r}, expected {value!r}')
    check(abs(values.get('EstimatedSize', 0) - size_kb) <= 2, f'entry EstimatedSize {values.get("EstimatedSize")} KB, '
                                                               f'the files take {size_kb:.0f} KB')

    body = tag_body('Installed', 'Setup Artist', 'Setup Album', '2026', '', 7)
    write_mp3(inst.case.music / 'a.mp3', body)
    run = inst.case.run(['dismiss 1', f'play "{winpath(inst.case.music / "a.mp3")}" 3', 'wait 4', 'quit'])
    run.has('plugin gen_ptly.dll: init returned 0')
    database = default_database(inst.plugins)
    _, _, _, records = parse_database(database.read_bytes())
    check([r['body'] for r in records] == [body], f'the installed plug-in recorded {records}')

    inst.uninstall()
    check(database.exists(), 'the uninstall removed the database')
    check(inst.registry.read().get(('Main', 'First Time')) == 0, 'the uninstall removed the settings')


def case_removedata(inst):
    # The database the settings name goes; files that only look like one stay. A path relative to
    # some folder depends on the player's working folder, so that file stays too.
    elsewhere = inst.case.work.parent / 'elsewhere.dat'
    rows = [(None, None), ('my plays.dat', inst.plugins / 'my plays.dat'),
            (winpath(elsewhere), elsewhere), ('data\\plays.dat', None)]
    for found, (db_path, named) in enumerate(rows):
        progress(f'"DBPath": {db_path!r}')
        settings = {('Main', 'First Time'): 0}
        if db_path:
            settings[('General', 'DBPath')] = db_path
        inst.lay_out(settings)
        inst.install(found=found % 2 == 1)
        default = default_database(inst.plugins)
        named = named or (default if db_path is None else None)
        files = {default, inst.plugins / 'other.dat', inst.plugins / (default.name + '.damaged-20260101-000000'),
                 inst.plugins / 'data' / 'plays.dat', elsewhere}
        for f in files:
            f.parent.mkdir(exist_ok=True)
            f.write_bytes(b'plays')
        if named:
            named.write_bytes(b'plays')
        inst.uninstall('/REMOVEDATA')
        check(named is None or not named.exists(), f'{named} is still there')
        for f in files - {named}:
            check(f.exists(), f'{f.name} was removed too')
        check(not inst.registry.read(), 'the settings are still there')


def start_host(inst):
    """The stand-in, running until stopped; returns its process once its plug-ins are loaded."""
    lines = []
    script = inst.case.work.parent / 'running-script.txt'
    script.write_text('dismiss 1\ncheck-hook\necho ready\nwait 120\n')
    host = subprocess.Popen([str(WINE_RUN), winpath(inst.case.work / 'WinAmp.exe'), winpath(script)],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, start_new_session=True,
                            cwd=inst.case.work)  # its own folder, never the caller's
    threading.Thread(target=lambda: lines.extend(host.stdout), daemon=True).start()
    try:
        wait_for(lambda: any(b'echo: ready' in line for line in lines), 'the stand-in runs')
    except Failure:
        stop(host)
        raise
    return host


def stop(process):
    """Ends a process this driver started, with the Wine programs it runs."""
    os.killpg(process.pid, signal.SIGTERM)
    process.wait()


def case_running(inst):
    inst.lay_out({('Main', 'First Time'): 0})
    inst.install()
    host = start_host(inst)
    try:
        before, entry_before = snapshot(inst.case.work), entry()
        rc = wine(str(inst.setup), '/S', '/D=' + winpath(inst.case.work), check_rc=False).returncode
        check(rc == RUNNING, f'the setup ended with {rc} while the stand-in ran')
        # In place (_?=), the uninstaller's exit code is its own.
        rc = wine(winpath(inst.plugins / UNINSTALLER), '/S', '/REMOVEDATA', '_?=' + winpath(inst.plugins),
                  check_rc=False).returncode
        check(rc == RUNNING, f'the uninstaller ended with {rc} while the stand-in ran')
        check(snapshot(inst.case.work) == before, 'files changed while the stand-in ran')
        check(entry() == entry_before, 'the entry changed while the stand-in ran')
        check(inst.registry.read(), 'the settings went while the stand-in ran')
    finally:
        stop(host)


def press_return():
    """The Return key on the display, as a user would press it (the X test extension)."""
    import ctypes
    x11, xtest = ctypes.CDLL('libX11.so.6'), ctypes.CDLL('libXtst.so.6')
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XFlush.argtypes = x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    xtest.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
    display = x11.XOpenDisplay(os.environ['DISPLAY'].encode())
    code = x11.XKeysymToKeycode(display, 0xFF0D)
    for down in (1, 0):
        xtest.XTestFakeKeyEvent(display, code, down, 0)
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def case_screens(inst):
    """The setup's folder page, its warning for a folder without winamp.exe, its question while the
    stand-in runs, and the uninstaller's page: each shown, captured from the display, and ended."""
    inst.lay_out({('Main', 'First Time'): 0})
    inst.install()
    empty = inst.case.work.parent / 'no-winamp'
    empty.mkdir(exist_ok=True)
    setup = [str(inst.setup), '/D=' + winpath(inst.case.work)]
    uninstall = [winpath(inst.plugins / UNINSTALLER), '_?=' + winpath(inst.plugins)]
    for name, command, running, enter in (
            ('setup', setup, False, False), ('uninstall', uninstall, False, False),
            ('setup-running', setup, True, False),
            ('setup-no-winamp', [str(inst.setup), '/D=' + winpath(empty)], False, True)):
        host = start_host(inst) if running else None
        shown = subprocess.Popen([str(WINE_RUN), *command], start_new_session=True)
        time.sleep(4)  # for the picture only: nothing is checked
        if enter:
            press_return()
            time.sleep(2)
        subprocess.run(['import', '-window', 'root', str(inst.case.work.parent / f'screen-{name}.png')])
        stop(shown)
        if host:
            stop(host)


CASES = {'roundtrip': case_roundtrip, 'removedata': case_removedata, 'running': case_running,
         'screens': case_screens}


def main():
    if len(sys.argv) != 5 or sys.argv[1] not in CASES:
        sys.exit(__doc__)
    name, setup, exe, work = sys.argv[1:]
    inst = Installer(setup, exe, work)
    inst.case.work.parent.mkdir(parents=True, exist_ok=True)
    try:
        with Display():
            Display.warm_up()
            try:
                CASES[name](inst)
            finally:
                inst.clean_up()
    except Failure as e:
        print(f'FAIL ({name}): {e}')
        return 1
    progress(f'PASS ({name})')
    return 0


if __name__ == '__main__':
    sys.exit(main())
