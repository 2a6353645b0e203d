#!/usr/bin/python3
"""Loopback demo server for trRadio: channel directory, stream look-up, online counter, version file, the
updater's download and the community directory's JSON API (tools/demo_community.py). Tests steer it through /__control/... paths (faults, fixed bodies, the request log)."""
import argparse
import io
import math
import os
import socket
import struct
import sys
import threading
import time
import urllib.parse
import wave
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

import demo_icy
from demo_community import Community

HERE = os.path.dirname(os.path.abspath(__file__))


def read_directory_document():
    # Kept as UTF-8 in the repository; served as GBK like the real directory server.
    with open(os.path.join(HERE, "demo", "channels.txt"), encoding="utf-8") as f:
        text = f.read()
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("gbk")


def make_tone_wav(frequency, seconds=3.0, rate=22050):
    buffer = io.BytesIO()
    with wave.open(buffer, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        frames = bytearray()
        for i in range(int(seconds * rate)):
            frames += struct.pack("<h", int(8000 * math.sin(2 * math.pi * frequency * i / rate)))
        w.writeframes(bytes(frames))
    return buffer.getvalue()



def make_directory(stations, groups, repeat=1, pad=0):
    """A channel directory of `stations` stations spread over `groups` groups; the group list names every group
    `repeat` times; each station line carries `pad` extra bytes in a fourth field (to reach a given size)."""
    names = ["组%d" % g for g in range(groups)]
    group_list = ";".join(name for name in names for _ in range(repeat))
    lines = ["电台%d|%d|%s%s" % (i, 1000 + i, names[i % groups], "|" + "p" * pad if pad else "")
             for i in range(stations)]
    return ("<type>" + group_list + "</type>\r\n<tvdata>" + "\r\n".join(lines) + "</tvdata>").encode("gbk")


# Stations of the demo directory whose look-up leads to a stream with song titles, and the titles' encoding.
ICY_STATIONS = {"2001": "utf8", "2002": "gbk", "2003": "latin1"}


class Fault:
    """How the server answers one path: `mode` with its `param` (seconds, or bytes per second for "drip"),
    `target` (the address a "redirect" sends to), for the next `count` requests only (None: for all)."""

    def __init__(self, mode="normal", param=0.0, target="", count=None):
        self.mode, self.param, self.target, self.count = mode, param, target, count


NO_FAULT = Fault()


class State:
    def __init__(self, args):
        self.lock = threading.Lock()
        self.args = args
        self.directory = read_directory_document()
        self.tones = {}
        self.reset()

    def reset(self):
        with self.lock:
            self.log = []
            self.agents = []  # "agent path" per request, in arrival order
            self.community = Community()
            self.faults = {}  # path -> Fault
            self.generated_directory = None  # bytes made by /__control/directory, served instead of the file
            self.bodies = {}  # path -> bytes
            self.files = {}  # path -> file name on disk
            self.rate = self.args.rate  # bytes per second for downloads, 0 = unthrottled
            self.version = self.args.version.encode("ascii")
            self.count = 128
            self.generation = getattr(self, "generation", 0) + 1
            demo_icy.set_title("")
            demo_icy.bytes_sent(reset=True)

    def tone(self, station_id):
        with self.lock:
            if station_id not in self.tones:
                self.tones[station_id] = make_tone_wav(330 + (sum(station_id.encode()) % 20) * 22)
            return self.tones[station_id]


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "TiroDemo/1.0"

    def log_message(self, fmt, *args):
        if self.server.state.args.verbose:
            sys.stderr.write("%s\n" % (fmt % args))

    # -- helpers --------------------------------------------------------------------------------------------
    def send_body(self, body, content_type="text/html; charset=gb2312", status=200):
        if status == 200 and self.send_hostile(body, content_type):
            return
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-cache")
        self.end_headers()
        if self.command != "HEAD":
            self.write_throttled(body)

    def write_throttled(self, body):
        rate = self.server.state.rate if len(body) > 65536 else 0
        if not rate:
            self.wfile.write(body)
            return
        chunk = max(1024, rate // 20)
        start = time.monotonic()
        sent = 0
        while sent < len(body):
            part = body[sent:sent + chunk]
            self.wfile.write(part)
            sent += len(part)
            ahead = sent / rate - (time.monotonic() - start)
            if ahead > 0:
                time.sleep(ahead)

    # -- hostile answers ------------------------------------------------------------------------------------
    # Modes that change how a good body is delivered; each is bounded in time and ends the connection.
    HOSTILE_LIMIT_SECONDS = 90

    def send_hostile(self, body, content_type):
        path = urllib.parse.urlsplit(self.path).path
        if path.startswith("/__control/"):
            return False
        fault = getattr(self, "fault", NO_FAULT)
        mode, param = fault.mode, fault.param
        if mode not in ("endless", "cut", "cutnolength", "nolength", "chunked", "chunkedcut", "html", "drip",
                        "scrambled"):
            return False
        if mode == "html":
            body = (b"<!DOCTYPE html><html><head><title>Login</title></head><body>"
                    b"<form action=/login method=post>Please sign in to use this network.</form></body></html>")
            mode, content_type = "normal", "text/html"
        if mode == "scrambled":
            # The same length, but none of the original bytes' meaning.
            body = bytes((i * 7 + 3) & 0xFF for i in range(len(body)))
            mode, content_type = "normal", "application/octet-stream"
        self.send_response(200)
        self.send_header("Content-Type", content_type)
        self.send_header("Cache-Control", "no-cache")
        if mode in ("chunked", "chunkedcut"):
            self.send_header("Transfer-Encoding", "chunked")
        elif mode in ("normal", "cut", "drip"):
            self.send_header("Content-Length", str(len(body)))
        if mode in ("endless", "cutnolength", "nolength", "chunkedcut", "cut"):
            self.send_header("Connection", "close")
        self.end_headers()
        if self.command == "HEAD":
            return True
        try:
            if mode == "normal":
                self.wfile.write(body)
            elif mode == "endless":
                # Sends text for as long as the client reads, up to the time limit.
                block = (b"<tr><td>" + b"x" * 56 + b"</td></tr>\r\n") * 1024
                start = time.monotonic()
                while time.monotonic() - start < self.HOSTILE_LIMIT_SECONDS:
                    self.wfile.write(block)
            elif mode in ("cut", "cutnolength"):
                self.wfile.write(body[: len(body) // 2])
            elif mode == "nolength":
                self.wfile.write(body)
            elif mode in ("chunked", "chunkedcut"):
                step = max(1, min(8192, len(body) // 4 or 1))
                end = len(body) if mode == "chunked" else len(body) // 2
                for at in range(0, end, step):
                    part = body[at:min(at + step, end)]
                    self.wfile.write(b"%x\r\n%s\r\n" % (len(part), part))
                if mode == "chunked":
                    self.wfile.write(b"0\r\n\r\n")
            elif mode == "drip":
                self.write_at_rate(body, int(param) or 1024)
            self.wfile.flush()
        except OSError:
            pass
        if mode != "normal" and mode not in ("chunked", "drip"):
            self.close_connection = True
            try:
                self.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
        return True

    def write_at_rate(self, body, rate):
        # Small pieces at `rate` bytes per second, stopped at the time limit.
        chunk = max(64, rate // 10)
        start = time.monotonic()
        sent = 0
        while sent < len(body) and time.monotonic() - start < self.HOSTILE_LIMIT_SECONDS:
            part = body[sent:sent + chunk]
            self.wfile.write(part)
            self.wfile.flush()
            sent += len(part)
            ahead = sent / rate - (time.monotonic() - start)
            if ahead > 0:
                time.sleep(ahead)

    def take_fault(self, path):
        """The fault for this request; a fault for a number of requests counts this one."""
        state = self.server.state
        with state.lock:
            # A fault set for a path with its query ("/fm/count.asp?id=3") wins over one for the bare path.
            fault = state.faults.get(self.path, state.faults.get(path, NO_FAULT))
            if fault.count is not None:
                if fault.count <= 0:
                    return NO_FAULT
                fault.count -= 1
            return fault

    def apply_fault(self, path):
        state = self.server.state
        fault = self.fault
        mode, delay = fault.mode, fault.param
        with state.lock:
            generation = state.generation
        if mode == "fail":
            self.close_connection = True
            self.connection.shutdown(2)
            return True
        if mode == "error":
            self.send_body(b"server error", status=500)
            return True
        if mode == "hang":
            # Hold the request until a reset or two minutes pass, answering nothing.
            for _ in range(1200):
                time.sleep(0.1)
                if state.generation != generation:
                    break
            self.close_connection = True
            return True
        if mode == "trickle":
            self.trickle_headers(delay or self.TRICKLE_SECONDS, generation)
            return True
        if mode == "redirect":
            self.send_response(302)
            self.send_header("Location", fault.target)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return True
        if mode == "slow":
            time.sleep(delay)
        return False

    # A status line at once, then one header byte every half second (well inside any client's idle limit) for
    # `seconds` (at most the hostile limit) or until a reset; then the connection closes without ending the
    # headers.
    TRICKLE_SECONDS = 60

    def trickle_headers(self, seconds, generation):
        state = self.server.state
        self.close_connection = True
        try:
            self.wfile.write(b"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nX-Trickle: ")
            self.wfile.flush()
            start = time.monotonic()
            while time.monotonic() - start < min(seconds, self.HOSTILE_LIMIT_SECONDS):
                time.sleep(0.5)
                if state.generation != generation:
                    break
                self.wfile.write(b"x")
                self.wfile.flush()
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass

    # -- requests -------------------------------------------------------------------------------------------
    def do_GET(self):
        state = self.server.state
        self.fault = NO_FAULT
        parsed = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(parsed.query, keep_blank_values=True, encoding="latin-1")
        if parsed.path.startswith("/__control/"):
            return self.control(parsed.path[len("/__control/"):], query)
        with state.lock:
            state.log.append(self.path)
            state.agents.append("%s %s" % (self.headers.get("User-Agent", ""), self.path))
            fixed = state.bodies.get(parsed.path)
            disk = state.files.get(parsed.path)
        self.fault = self.take_fault(parsed.path)
        if self.apply_fault(parsed.path):
            return
        if fixed is not None:
            return self.send_body(fixed)
        if disk is not None:
            return self.send_file(disk)
        route = parsed.path.lower()
        if route.startswith("/json/"):
            _, host = self.server.public_address
            with state.lock:
                body = state.community.answer(parsed.path, query, host)
            if body is not None:
                return self.send_body(body, content_type="application/json")
        if route == "/data.asp":
            with state.lock:
                generated = state.generated_directory
            return self.send_body(generated if generated is not None else state.directory)
        if route == "/url.asp":
            raw_id = urllib.parse.unquote_to_bytes(parsed.query.split("ID=", 1)[-1]).decode("latin-1")
            if raw_id in ICY_STATIONS:
                return demo_icy.redirect(self, "/icy/" + ICY_STATIONS[raw_id])
            return self.send_body(state.tone(raw_id), content_type="audio/wav")
        if route.startswith("/icy/"):
            return demo_icy.serve(self, parsed.path, query)
        if route.startswith("/media/") and route.endswith(".wav"):
            return self.send_body(state.tone(parsed.path[7:-4]), content_type="audio/wav")
        if route == "/fm/count.asp":
            ident = query.get("id", [""])[0]
            with state.lock:
                state.count += 1 if ident == "1" else 0
                count = state.count
            if ident == "1":
                body = b'<html><body><span style=display:none>%04d</span></body></html>' % count
            else:
                body = b"<html><body>ok</body></html>"
            return self.send_body(body)
        if route == "/upload/b.txt":
            with state.lock:
                version = state.version
            return self.send_body(version, content_type="text/plain")
        if route.startswith("/bench/") and route.endswith(".bin") and route[7:-4].isdigit():
            return self.send_generated(int(route[7:-4]))
        if route == "/trftv/trradio.exe" and state.args.player_exe:
            return self.send_file(state.args.player_exe)
        if route == "/trftv/x64/trradio.exe" and state.args.player_exe_x64:
            return self.send_file(state.args.player_exe_x64)
        self.send_body(b"not found", status=404)

    do_HEAD = do_GET

    def send_generated(self, size):
        # A large body made on the fly for the download benchmark, streamed in 1 MiB blocks at the set rate.
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(size))
        self.end_headers()
        block = bytes(range(256)) * 4096
        rate = self.server.state.rate
        start = time.monotonic()
        sent = 0
        while sent < size:
            part = block[: min(len(block), size - sent)] if not rate else block[: min(len(block), max(1024, rate // 20), size - sent)]
            self.wfile.write(part)
            sent += len(part)
            if rate:
                ahead = sent / rate - (time.monotonic() - start)
                if ahead > 0:
                    time.sleep(ahead)

    def send_file(self, name):
        try:
            with open(name, "rb") as f:
                body = f.read()
        except OSError:
            return self.send_body(b"not found", status=404)
        self.send_body(body, content_type="application/octet-stream")

    def control(self, action, query):
        state = self.server.state
        arg = lambda name, default="": query.get(name, [default])[0]
        if action == "reset":
            state.reset()
        elif action == "log":
            with state.lock:
                log = "\n".join(state.log).encode("latin-1")
            return self.send_body(log, content_type="text/plain")
        elif action == "fault":
            # delay: seconds for "slow" and "trickle"; rate: bytes per second for "drip"; to: the address of a
            # "redirect"; count: for that many requests, then answered normally again.
            count = arg("count")
            fault = Fault(arg("mode", "normal"), float(arg("delay", "0") or arg("rate", "0") or 0), arg("to"),
                          int(count) if count else None)
            with state.lock:
                state.faults[arg("path")] = fault
        elif action == "agents":
            with state.lock:
                agents = "\n".join(state.agents).encode("latin-1", "replace")
            return self.send_body(agents, content_type="text/plain")
        elif action == "community":
            # stations=N: a generated set of N stations (hostile=1: names made to break careless readers first;
            # addresses=hostile or bloated, demo_community.Community.generate).
            with state.lock:
                state.community.generate(int(arg("stations", "0") or 0), arg("hostile") == "1", arg("addresses"))
        elif action == "directory":
            document = make_directory(int(arg("stations", "0") or 0), int(arg("groups", "1") or 1),
                                      int(arg("repeat", "1") or 1), int(arg("pad", "0") or 0))
            with state.lock:
                state.generated_directory = document
        elif action == "body":
            with state.lock:
                state.bodies[arg("path")] = arg("text").encode("latin-1")
        elif action == "file":
            with state.lock:
                state.files[arg("path")] = arg("file")
        elif action == "rate":
            with state.lock:
                state.rate = int(arg("bytes", "0") or 0)
        elif action == "icytitle":
            # text: UTF-8, percent-encoded; encoding: what the streams send it in (utf-8, gbk, latin-1).
            demo_icy.set_title(arg("text").encode("latin-1").decode("utf-8", "replace"), arg("encoding", "utf-8"))
        elif action == "icybytes":
            return self.send_body(str(demo_icy.bytes_sent(arg("reset") == "1")).encode("ascii"),
                                  content_type="text/plain")
        elif action == "version":
            with state.lock:
                state.version = arg("text").encode("latin-1")
        else:
            return self.send_body(b"unknown control", status=404)
        self.send_body(b"ok", content_type="text/plain")


def serve_tls(port, cert, key, state):
    """The same answers over https on `port`, for the certificate `cert` (one for "localhost" that a test
    authority signs, or one signed by nobody, which no client may accept)."""
    import ssl
    secure = ThreadingHTTPServer(("127.0.0.1", port), Handler)
    secure.daemon_threads = True
    secure.state = state
    secure.public_address = ("https", "localhost:%d" % port)
    secure.plain_port = state.args.port
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    secure.socket = context.wrap_socket(secure.socket, server_side=True)
    threading.Thread(target=secure.serve_forever, daemon=True).start()
    print("demo server on https://localhost:%d" % port, flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--port", type=int, default=8080)
    parser.add_argument("--version", default="1.0", help="text of /upload/b.txt")
    parser.add_argument("--player-exe", default="", help="file served as /trftv/trRadio.exe (32-bit player)")
    parser.add_argument("--player-exe-x64", default="", help="file served as /trftv/x64/trRadio.exe")
    parser.add_argument("--rate", type=int, default=0, help="download throttle in bytes per second")
    parser.add_argument("--verbose", action="store_true")
    parser.add_argument("--tls-port", type=int, default=0, help="also serve https on this port")
    parser.add_argument("--tls-cert", default="", help="certificate chain (PEM) of the https server")
    parser.add_argument("--tls-key", default="", help="its private key (PEM)")
    parser.add_argument("--untrusted-tls-port", type=int, default=0,
                        help="also serve https on this port with a certificate that does not verify")
    parser.add_argument("--untrusted-tls-cert", default="", help="that certificate (PEM, self-signed)")
    parser.add_argument("--untrusted-tls-key", default="", help="its private key (PEM)")
    args = parser.parse_args()
    state = State(args)
    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    server.state = state
    server.public_address = ("http", "127.0.0.1:%d" % args.port)
    server.plain_port = args.port
    for port, cert, key in ((args.tls_port, args.tls_cert, args.tls_key),
                            (args.untrusted_tls_port, args.untrusted_tls_cert, args.untrusted_tls_key)):
        if not port:
            continue
        try:
            serve_tls(port, cert, key, state)
        except (OSError, ValueError) as error:
            # The https ports are test aids: without them everything else still runs.
            print("no https on port %d: %s" % (port, error), flush=True)
    print("demo server on http://127.0.0.1:%d" % args.port, flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
