#!/usr/bin/env python3
"""End to end: the real plug-in in the stand-in player sends its plays to a loopback listen server
of our own (listen_server.py). The user sets sending up on the ListenBrainz page (token, server,
Check); then each stored play reaches the server exactly once, in order, through an outage, a 429,
a stall the player quits in, and a player killed between storing a play and sending it. With "Send
what is playing now" on, a track that has played a few seconds is announced once (never retried),
and with it off never. The token is nowhere in plain text: not in the registry, the log or any
file the plug-in wrote.

usage: e2e_listen.py <WinAmp.exe> <gen_ptly.dll> <work folder>
"""
import os
import subprocess
import sys
import threading
import time
import zlib
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import e2e_test as e2e  # noqa: E402
from e2e_test import Case, Failure, Registry, check, progress, tag_body, winpath, write_mp3  # noqa: E402
from listen_server import ListenServer  # noqa: E402

TOKEN = 'e2e7c0ffee-token-51d3'
SHEET = '"Zudazide Playtally - Settings"'


def waiting_in_outbox(outbox):
    if not outbox.exists():
        return []
    return [line for line in outbox.read_bytes().split(b'\n') if line.startswith(b'W ')]


def outbox_of(listens, first_id=1):
    """An outbox file holding these listens (JSON texts) waiting, as the plug-in writes it."""
    lines = [b'PLAYTALLY OUTBOX 1\n']
    for n, listen in enumerate(listens, first_id):
        rest = f'{n} {listen}'.encode()
        lines.append(b'W %08x %s\n' % (zlib.crc32(b'W' + rest), rest))
    return b''.join(lines)


def plays(case, titles):
    paths = []
    for title in titles:
        path = case.music / f'{title}.mp3'
        write_mp3(path, tag_body(title, 'E2E Artist', 'E2E Album', '2020', '', 12))
        paths.append(winpath(path))
    script = []
    for path in paths:
        script += [f'play "{path}" 3', 'wait 4']
    return script


def run_killed(case, script, kill_when):
    """Runs the stand-in and kills it (the whole Wine prefix's processes) once a log line holds
    `kill_when`: a crash at that moment."""
    killed = threading.Event()

    def kill():
        prefix = os.environ.get('WINEPREFIX', str(e2e.ROOT / 'build' / 'wineprefix'))
        subprocess.run(['/usr/lib/wine/wineserver', '-k'], env={**os.environ, 'WINEPREFIX': prefix})

    def on_line(text):
        if kill_when in text and not killed.is_set():
            killed.set()
            # The poll stores the play within half a second of the stop; the send stalls for 30.
            threading.Timer(2.0, kill).start()
    try:
        case.run(script, on_line=on_line)
    except Failure:
        pass
    check(killed.is_set(), f'the stand-in was not killed at {kill_when!r}')


def case_listen(case, registry, server):
    registry.reset({('Main', 'First Time'): 0, ('General', 'StoreAfterIntervalSec'): 2})
    case.lay_out()
    outbox = Path(str(e2e.default_database(case.plugins)) + '.outbox')

    # 1. The user turns sending on, types the token and the server, and checks the token.
    setup = ['dismiss off', 'tray right', 'menu 32773', f'wait-window {SHEET}', f'pick {SHEET} 12320 3',
             f'click {SHEET} 1400', f'type {SHEET} 1401 {TOKEN}', f'type {SHEET} 1402 {server.url}',
             f'click {SHEET} 1403', 'wait 2', f'log-window {SHEET}', f'click {SHEET} 1', f'wait-gone {SHEET}',
             'dismiss 1']
    first = case.run(setup + plays(case, ['t1', 't2', 't3']) + ['wait 3', 'quit'])
    first.has('The token is valid: it belongs to e2e-listener.')
    check(server.titles() == ['t1', 't2', 't3'], f'the server took {server.titles()}')
    check(all(a.startswith('DozoderiPlaytally/') and '( http' in a for a in server.agents), f'user agents {server.agents}')

    # 2. An outage: the plays wait in the outbox across the quit and go at the next start.
    server.script = [500] * 100
    case.run(plays(case, ['t4', 't5']) + ['quit'])
    check(len(waiting_in_outbox(outbox)) == 2, f'the outbox holds {waiting_in_outbox(outbox)}')
    server.script = []
    case.run(['wait 4', 'quit'])
    check(server.titles() == ['t1', 't2', 't3', 't4', 't5'], f'after the outage the server took {server.titles()}')

    # 3. A 429: the play goes once the server's wait is over.
    server.script = [429]
    case.run(plays(case, ['t6']) + ['wait 4', 'quit'])
    check(server.titles()[-1:] == ['t6'], f'after a 429 the server took {server.titles()}')

    # 4. A stall the player quits in: the window answers meanwhile, the quit is not held up, and the
    # play stays in the outbox. The script runs on the player's window thread: how late its steps
    # come after their waits is how long that thread could not answer.
    server.script = ['stall']
    watch = ['tray right', 'menu 32773', f'wait-window {SHEET}', f'pick {SHEET} 12320 3']
    for _ in range(6):
        watch += ['wait 0.5', f'log-window {SHEET}']
    watch += [f'click {SHEET} 2', f'wait-gone {SHEET}']
    run = case.run(plays(case, ['t7']) + watch + ['quit'])
    steps = [(t, text) for t, text in run.lines if text.startswith('script line ')]
    late = [b[0] - a[0] - 0.5 for a, b in zip(steps, steps[1:]) if a[1].endswith(': wait 0.5 s')]
    progress(f'while the server stalls, the window thread answered at most {max(late) * 1000:.0f} ms late')
    check(late and max(late) < 0.25, f'the window thread was held up: {late}')
    run.has('Plays waiting: 1.')
    quit_at = run.find(': calling quit')
    check(quit_at and run.end_time - quit_at[0][0] < 10, f'the quit took until {run.end_time}: {quit_at}')
    check(len(waiting_in_outbox(outbox)) == 1, 'the stalled play is not in the outbox')

    # 5. Killed between storing a play and sending it (the send stalls): it goes at the next start.
    server.script = ['stall', 'stall']
    run_killed(case, ['wait 3'] + plays(case, ['t8']) + ['wait 30', 'quit'], 'end of the playlist')
    check(len(waiting_in_outbox(outbox)) == 2, f'after the kill the outbox holds {waiting_in_outbox(outbox)}')
    server.release.set()
    server.script = []
    case.run(['wait 4', 'quit'])
    expected = [f't{i}' for i in range(1, 9)]
    check(server.titles() == expected, f'the server took {server.titles()}, expected each of {expected} once')
    check(not waiting_in_outbox(outbox), 'the outbox still holds listens')

    # 6. A listen the server refuses does not hold back the ones after it: it is set aside.
    server.refuse_titles = {'t9'}
    case.run(plays(case, ['t9', 't10', 't11']) + ['wait 6', 'quit'])
    check(server.titles() == expected + ['t10', 't11'], f'after a refused listen the server took {server.titles()}')
    refused = [line for line in outbox.read_bytes().split(b'\n') if line.startswith(b'R ')]
    check(len(refused) == 1 and b'"t9"' in refused[0], f'the refused list holds {refused}')

    # 7. "Send what is playing now": a track is announced once it has played a few seconds (not one
    # stopped before), without listened_at; a failed announcement is never sent again; with the
    # setting off, nothing is announced. (Short plays of long tracks: stored, but never listens.)
    toggle = ['tray right', 'menu 32773', f'wait-window {SHEET}', f'pick {SHEET} 12320 3',
              f'click {SHEET} 1405', f'click {SHEET} 1', f'wait-gone {SHEET}']

    def long_play(title, seconds):
        path = case.music / f'{title}.mp3'
        write_mp3(path, tag_body(title, 'E2E Artist', 'E2E Album', '2020', '', 12))
        return [f'play "{winpath(path)}" 90', f'wait {seconds}', 'stop', 'wait 2']
    case.run(toggle + long_play('n1', 4) + long_play('n2', 14) + ['quit'])
    check(server.titles(server.playing_now) == ['n2'], f'playing now was sent for {server.titles(server.playing_now)}')
    check('listened_at' not in server.playing_now[0], f'playing now holds {server.playing_now[0]}')
    server.script = [500]
    case.run(long_play('n3', 14) + ['wait 4', 'quit'])
    check(server.tries('playing_now') == [200, 500], f'playing now was tried {server.tries("playing_now")}')
    case.run(toggle + long_play('n4', 14) + ['quit'])
    check(server.tries('playing_now') == [200, 500], f'with the setting off, playing now was tried {server.tries("playing_now")}')
    check(server.titles() == expected + ['t10', 't11'], f'the short plays went as listens: {server.titles()}')

    # 8. 10,000 listens waiting at the start reach the server in at most 11 requests.
    now = int(time.time())
    bulk = [f'b{i}' for i in range(10000)]
    outbox.write_bytes(outbox_of(
        '{"listened_at":%d,"track_metadata":{"artist_name":"E2E Artist","track_name":"%s",'
        '"additional_info":{"duration_ms":180000,"media_player":"Winamp"}}}' % (now - 20000 + i, title)
        for i, title in enumerate(bulk)))
    before = len(server.requests)
    case.run(['wait 16', 'quit'])
    with server.lock:
        bulk_requests = [r for r in server.requests[before:] if r[4] == 200]
    progress(f'10,000 waiting listens reached the server in {len(bulk_requests)} requests')
    check(server.titles()[-10000:] == bulk, f'of the 10,000 the server took {len(server.titles()) - len(expected) - 2}')
    check(len(bulk_requests) <= 11, f'10,000 listens took {len(bulk_requests)} requests')
    check(not waiting_in_outbox(outbox), 'the outbox still holds listens')

    # The token is nowhere in plain text.
    values = registry.read()
    check(('ListenBrainz', 'Token') in values, f'no stored token in {values}')
    for key, value in values.items():
        check(TOKEN not in str(value), f'the registry value {key} holds the token')
    # (The scripts are the test's own input: they hold what the user typed.)
    first.has('control 1401 Edit password of')
    for path in [p for p in case.work.parent.rglob('*') if p.is_file() and '-script' not in p.name]:
        data = path.read_bytes()
        check(TOKEN.encode() not in data and TOKEN.encode('utf-16-le') not in data, f'{path} holds the token')


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    exe, dll, work = sys.argv[1:]
    case = Case('listen', exe, dll, work, 'gen_e2e_listen.dll')
    case.work.parent.mkdir(parents=True, exist_ok=True)
    registry = Registry(case.work, 'gen_e2e_listen')
    server = ListenServer(TOKEN).start()
    try:
        return e2e.run_under_wine('listen', case, registry, lambda: case_listen(case, registry, server))
    finally:
        server.stop()


if __name__ == '__main__':
    sys.exit(main())
