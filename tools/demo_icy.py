"""ICY streams as Shoutcast and Icecast servers send them, for the demo server: silent MP3 frames at 128 kbit/s
and, when the client sends "Icy-MetaData: 1", a metadata block after every `metaint` bytes with the current
song title, which changes every few seconds. Paths:

  /icy/<variant>[?metaint=N]   variant utf8, gbk or latin1: the titles' encoding
  /icy/<mode>                  the hostile ones: metaint0, metaintbig, shortblock, notitle, html, loop, https2http,
                               login (a 302 to an HTML page), endless (audio with no metadata), trickledbody
                               (the stream at 100 bytes a second), playlist kinds pls, m3u, asx leading to
                               /icy/utf8

Every stream ends after STREAM_SECONDS; a reader that wants only the first title closes it long before.
Tests set a fixed title with set_title() (the demo server's /__control/icytitle). Each stream counts the bytes
it wrote before its reader hung up (bytes_sent(), /__control/icybytes), for the reader's traffic figures."""
import threading
import time

STREAM_SECONDS = 120
BYTES_PER_SECOND = 128000 // 8
TITLE_SECONDS = 4
DEFAULT_METAINT = 8192
# Icecast sends a burst at the start so that players fill their buffers; about a second of audio here.
BURST_BYTES = BYTES_PER_SECOND

TITLES = {
    "utf8": ("utf-8", ["周杰伦 - 晴天", "Beyond - 海阔天空", "王菲 - 红豆", "Queen - Bohemian Rhapsody"]),
    "gbk": ("gbk", ["邓丽君 - 月亮代表我的心", "张学友 - 吻别", "蔡琴 - 恰似你的温柔"]),
    "latin1": ("latin-1", ["Édith Piaf - Non, je ne regrette rien", "Café del Mar - Été", "Björk - Jóga"]),
}

_lock = threading.Lock()
_fixed = None  # (bytes, set at) while a test has set the title
_sent = 0      # bytes written by the streams since the last reset


def bytes_sent(reset=False):
    global _sent
    with _lock:
        value = _sent
        if reset:
            _sent = 0
        return value


def count(n):
    global _sent
    with _lock:
        _sent += n


def set_title(text, encoding="utf-8"):
    """Sets the title every stream sends from now on, in `encoding`, or back to the changing ones when empty."""
    global _fixed
    with _lock:
        _fixed = (text.encode(encoding, "replace"), time.time()) if text else None


def title_bytes(variant, now):
    with _lock:
        if _fixed is not None:
            return _fixed[0]
    encoding, titles = TITLES[variant]
    return titles[int(now / TITLE_SECONDS) % len(titles)].encode(encoding)


def silent_frame():
    # One MPEG-1 Layer III frame, 128 kbit/s, 44.1 kHz, no padding: 417 bytes of a header and silence.
    return b"\xff\xfb\x90\x64" + b"\x00" * 413


def metadata_block(text):
    body = b"StreamTitle='" + text + b"';StreamUrl='';"
    length = (len(body) + 15) // 16
    return bytes([length]) + body.ljust(length * 16, b"\0")


def serve(handler, path, query):
    """Answers one /icy/ request on `handler` (the demo server's request handler)."""
    name = path[len("/icy/"):].lower()
    wants_titles = handler.headers.get("Icy-MetaData", "") == "1"
    if name == "loop":
        return redirect(handler, "/icy/loop")
    if name == "https2http":
        return redirect(handler, "http://127.0.0.1:%d/icy/utf8" % handler.server.plain_port)
    if name == "login":
        return redirect(handler, "/icy/html")
    if name == "html":
        body = b"<!DOCTYPE html><html><body><form action=/login method=post>Sign in</form></body></html>"
        return send_text(handler, body, "text/html")
    if name in ("pls", "m3u", "asx"):
        return send_playlist(handler, name)
    metaint = DEFAULT_METAINT
    try:
        metaint = int(query.get("metaint", [str(DEFAULT_METAINT)])[0])
    except ValueError:
        pass
    if name == "metaint0":
        metaint = 0
    elif name == "metaintbig":
        metaint = 100000
    variant = name if name in TITLES else "utf8"
    handler.send_response(200)
    handler.send_header("Content-Type", "audio/mpeg")
    handler.send_header("icy-name", "TiroRadio Demo")
    handler.send_header("icy-br", "128")
    if wants_titles and name != "endless":
        handler.send_header("icy-metaint", str(metaint))
    handler.send_header("Connection", "close")
    handler.end_headers()
    handler.close_connection = True
    stream(handler, variant, metaint if wants_titles and name != "endless" else 0, name)


def stream(handler, variant, metaint, mode):
    frame = silent_frame()
    audio = frame * (max(metaint, 8192) // len(frame) + 2)
    start = time.monotonic()
    sent = 0
    try:
        while time.monotonic() - start < STREAM_SECONDS:
            if metaint <= 0:
                piece = audio[:4096]
            else:
                piece = audio[:metaint]
                if mode == "shortblock":
                    # Announces 255 * 16 bytes of metadata and sends a few, then nothing more.
                    handler.wfile.write(piece + b"\xff" + b"StreamTitle='cut")
                    handler.wfile.flush()
                    time.sleep(30)
                    return
                text = b"StreamUrl='http://example.invalid/';" if mode == "notitle" else None
                if text is not None:
                    length = (len(text) + 15) // 16
                    piece += bytes([length]) + text.ljust(length * 16, b"\0")
                else:
                    piece += metadata_block(title_bytes(variant, time.time()))
            # Written as a server writes: in pieces of a few kilobytes at the stream's pace, after a burst.
            step = 10 if mode == "trickledbody" else 4096
            for at in range(0, len(piece), step):
                part = piece[at:at + step]
                handler.wfile.write(part)
                handler.wfile.flush()
                sent += len(part)
                count(len(part))
                if mode == "trickledbody":
                    time.sleep(0.1)
                    if time.monotonic() - start > 60:
                        return
                    continue
                ahead = (sent - BURST_BYTES) / BYTES_PER_SECOND - (time.monotonic() - start)
                if ahead > 0:
                    time.sleep(ahead)
    except OSError:
        pass  # the reader hung up, as it should after its first title


def redirect(handler, location):
    handler.send_response(302)
    handler.send_header("Location", location)
    handler.send_header("Content-Length", "0")
    handler.end_headers()


def send_text(handler, body, content_type):
    handler.send_response(200)
    handler.send_header("Content-Type", content_type)
    handler.send_header("Content-Length", str(len(body)))
    handler.end_headers()
    handler.wfile.write(body)


def send_playlist(handler, kind):
    scheme, host = handler.server.public_address
    target = "%s://%s/icy/utf8" % (scheme, host)
    if kind == "pls":
        body = "[playlist]\r\nNumberOfEntries=1\r\nFile1=%s\r\nTitle1=Demo\r\nLength1=-1\r\nVersion=2\r\n" % target
        # Served as text/plain: recognised by its first line, not by its type.
        return send_text(handler, body.encode("ascii"), "text/plain")
    if kind == "m3u":
        body = "#EXTM3U\n#EXTINF:-1,Demo\n%s\n" % target
        return send_text(handler, body.encode("ascii"), "audio/x-mpegurl")
    body = '<asx version="3.0"><entry><title>Demo</title><ref href="%s"/></entry></asx>' % target
    return send_text(handler, body.encode("ascii"), "video/x-ms-asf")
