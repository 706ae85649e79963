#!/usr/bin/env python3
"""A loopback server of the listen API, for the end-to-end cases: it checks the token header, the
JSON and the limits as the public service documents them, records every listen it accepts, and can
be told to answer 429 (with its rate-limit headers), 500 or 401, to stall, or to drop the
connection. Only the standard library; it listens on 127.0.0.1 alone, on a port of its own.

    server = ListenServer(token='...'); server.start(); ... server.url ...; server.stop()
"""
import http.server
import json
import threading
import time

EARLIEST = 1033430400  # 2002-10-01
MAX_LISTEN = 10240
MAX_BODY = 10240000


class Refused(Exception):
    pass


def check_listen(listen, listen_type, now):
    if not isinstance(listen, dict):
        raise Refused('a listen must be an object')
    allowed = {'track_metadata'} if listen_type == 'playing_now' else {'listened_at', 'track_metadata'}
    if set(listen) - allowed:
        raise Refused(f'unexpected keys {sorted(set(listen) - allowed)}')
    if listen_type != 'playing_now':
        at = listen.get('listened_at')
        if not isinstance(at, int) or isinstance(at, bool) or at < EARLIEST or at >= now + 3600:
            raise Refused(f'bad listened_at {at!r}')
    meta = listen.get('track_metadata')
    if not isinstance(meta, dict):
        raise Refused('track_metadata must be an object')
    for key in ('artist_name', 'track_name'):
        if not isinstance(meta.get(key), str) or not meta[key].strip():
            raise Refused(f'{key} must be a non-empty text')
    info = meta.get('additional_info', {})
    if not isinstance(info, dict):
        raise Refused('additional_info must be an object')
    duration = info.get('duration_ms')
    if duration is not None and (not isinstance(duration, int) or duration <= 0 or duration > 24 * 24 * 3600 * 1000):
        raise Refused(f'bad duration_ms {duration!r}')
    if '\\u0000' in json.dumps(listen):
        raise Refused('a NUL character')


def listen_type_of(raw):
    """The listen_type of a request's body, or None when it has none."""
    try:
        doc = json.loads(raw.decode('utf-8'))
    except ValueError:
        return None
    return doc.get('listen_type') if isinstance(doc, dict) else None


class ListenServer:
    def __init__(self, token, user='e2e-listener'):
        self.token, self.user = token, user
        self.accepted = []          # every listen taken, in order of arrival
        self.playing_now = []
        self.requests = []          # (method, path, listen_type, count, status)
        self.agents = set()
        self.script = []            # answers to give before the normal ones: 429, 500, 401, 'stall', 'drop'
        self.stall_seconds = 30
        self.refuse_titles = set()  # listens of these titles are refused (400), as an invalid one
        self.lock = threading.Lock()
        self.release = threading.Event()
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = 'HTTP/1.1'

            def log_message(self, *args):
                pass

            def answer(self, status, body, headers=()):
                data = json.dumps(body).encode()
                self.send_response(status)
                self.send_header('Content-Type', 'application/json')
                self.send_header('Content-Length', str(len(data)))
                self.send_header('X-RateLimit-Limit', '30')
                self.send_header('X-RateLimit-Remaining', '0' if status == 429 else '29')
                self.send_header('X-RateLimit-Reset-In', '2' if status == 429 else '10')
                self.send_header('X-RateLimit-Reset', str(int(time.time()) + 10))
                for name, value in headers:
                    self.send_header(name, value)
                self.end_headers()
                self.wfile.write(data)

            def scripted(self):
                with server.lock:
                    return server.script.pop(0) if server.script else None

            def authorised(self):
                header = self.headers.get('Authorization', '')
                return header == 'Token ' + server.token

            def do_GET(self):
                server.agents.add(self.headers.get('User-Agent', ''))
                if self.path != '/1/validate-token':
                    return self.answer(404, {'code': 404, 'error': 'not found'})
                valid = self.authorised()
                body = {'code': 200, 'message': 'Token valid.' if valid else 'Token invalid.', 'valid': valid}
                if valid:
                    body['user_name'] = server.user
                self.answer(200, body)

            def do_POST(self):
                server.agents.add(self.headers.get('User-Agent', ''))
                length = int(self.headers.get('Content-Length', '0'))
                raw = self.rfile.read(length) if 0 < length <= MAX_BODY else b''
                step = self.scripted()
                if step == 'drop':
                    self.close_connection = True
                    self.connection.shutdown(2)
                    return
                if step == 'stall':
                    server.release.wait(server.stall_seconds)
                    self.close_connection = True
                    return
                if isinstance(step, int):
                    with server.lock:
                        server.requests.append(('POST', self.path, listen_type_of(raw), 0, step))
                    return self.answer(step, {'code': step, 'error': 'scripted'})
                if not self.authorised():
                    return self.answer(401, {'code': 401, 'error': 'Invalid authorization token.'})
                try:
                    if length > MAX_BODY:
                        raise Refused('too large')
                    doc = json.loads(raw.decode('utf-8'))
                    listen_type = doc.get('listen_type')
                    payload = doc.get('payload')
                    if listen_type not in ('single', 'playing_now', 'import') or not isinstance(payload, list):
                        raise Refused('bad listen_type or payload')
                    if (listen_type != 'import' and len(payload) != 1) or not 1 <= len(payload) <= 1000:
                        raise Refused('bad number of listens')
                    if length > len(payload) * MAX_LISTEN:
                        raise Refused('payload too large')
                    now = int(time.time())
                    for listen in payload:
                        check_listen(listen, listen_type, now)
                        if listen['track_metadata']['track_name'] in server.refuse_titles:
                            raise Refused('refused by the test')
                except (Refused, ValueError, AttributeError) as e:
                    return self.answer(400, {'code': 400, 'error': str(e)})
                with server.lock:
                    server.requests.append(('POST', self.path, listen_type, len(payload), 200))
                    (server.playing_now if listen_type == 'playing_now' else server.accepted).extend(payload)
                self.answer(200, {'status': 'ok'})

        self.httpd = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
        self.httpd.daemon_threads = True
        self.url = f'http://127.0.0.1:{self.httpd.server_address[1]}'
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)

    def start(self):
        self.thread.start()
        return self

    def stop(self):
        self.release.set()
        self.httpd.shutdown()
        self.httpd.server_close()

    def titles(self, listens=None):
        with self.lock:
            return [l['track_metadata']['track_name'] for l in (self.accepted if listens is None else listens)]

    def tries(self, listen_type):
        """The statuses of the requests of this listen_type, in order."""
        with self.lock:
            return [r[4] for r in self.requests if r[2] == listen_type]
