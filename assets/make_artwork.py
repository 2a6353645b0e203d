#!/usr/bin/python3
"""Draws every picture of the player's skin into assets/art/: panel skins, About picture, station logo, button
pictures, the volume slider's alpha strips and the program icon. Run with Debian's python3 (python3-pil):

    /usr/bin/python3 assets/make_artwork.py

GIFs carry no transparency flag of their own: the program keys magenta (buttons) or white (logo) out itself when
it draws them, so every keyed pixel is exactly that colour and no other pixel is.
"""
import io
import os
import struct

from PIL import Image, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "art")

BACKGROUND = (204, 227, 248)  # main window colour; the lower panel is built on it
TOP_DEEP = (22, 78, 150)      # top panel, deep blue so that white text reads well
TOP_LIGHT = (52, 124, 204)
MAGENTA = (255, 0, 255)
WHITE = (255, 255, 255)
ACCENT = (0, 136, 255)        # the station names' blue


def font(size, chinese=False):
    candidates = (["/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"] if chinese else []) + [
        "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"]
    for path in candidates:
        if os.path.exists(path):
            return ImageFont.truetype(path, size)
    return ImageFont.load_default()


def vertical_gradient(size, top, bottom):
    w, h = size
    img = Image.new("RGB", size)
    px = img.load()
    for y in range(h):
        t = y / max(1, h - 1)
        c = tuple(round(top[i] + (bottom[i] - top[i]) * t) for i in range(3))
        for x in range(w):
            px[x, y] = c
    return img


def rounded(draw, box, radius, fill=None, outline=None, width=1):
    draw.rounded_rectangle(box, radius=radius, fill=fill, outline=outline, width=width)


def overlay(base, box, radius, colour, alpha):
    """Blends a translucent rounded rectangle onto an RGB image."""
    layer = Image.new("RGBA", base.size, (0, 0, 0, 0))
    ImageDraw.Draw(layer).rounded_rectangle(box, radius=radius, fill=colour + (alpha,))
    base.paste(Image.alpha_composite(base.convert("RGBA"), layer).convert("RGB"))


def to_gif_bytes(img, keyed=None, colours=255):
    """Palette GIF without a transparency flag. Pixels equal to `keyed` keep that exact colour; no other pixel
    is allowed to come out as it."""
    rgb = img.convert("RGB")
    q = rgb.quantize(colors=colours, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    palette = q.getpalette()[: 3 * colours]
    palette += [0] * (3 * 256 - len(palette))
    if keyed is not None:
        for i in range(colours):  # nudge any quantised colour that collides with the key
            if tuple(palette[3 * i: 3 * i + 3]) == keyed:
                palette[3 * i + 1] = 1 if keyed[1] == 0 else keyed[1] - 1
        palette[3 * 255: 3 * 256] = list(keyed)
        src = rgb.load()
        dst = q.load()
        for y in range(rgb.height):
            for x in range(rgb.width):
                if src[x, y] == keyed:
                    dst[x, y] = 255
    q.putpalette(palette)
    out = io.BytesIO()
    q.save(out, format="GIF", optimize=False)
    return out.getvalue()


def pad_gif(data, target):
    """Pads a GIF to exactly `target` bytes with a comment extension placed before the trailer."""
    assert data[-1:] == b"\x3b"
    # Extension blocks such as comments belong to GIF89a.
    data = b"GIF89a" + data[6:]
    need = target - len(data)
    if need == 0:
        return data
    if need < 4:
        raise ValueError("GIF too close to its target size to pad")
    # A comment of n bytes in k sub-blocks costs 2 + k + n + 1 bytes.
    for k in range(1, need):
        n = need - 3 - k
        if n >= k and n <= 255 * k:
            break
    text = (b"TiroRadio station picture. " * (n // 27 + 1))[:n]
    blocks = b""
    rest = text
    for i in range(k):
        size = len(rest) if i == k - 1 else min(255, len(rest) - (k - 1 - i))
        blocks += bytes([size]) + rest[:size]
        rest = rest[size:]
    out = data[:-1] + b"\x21\xfe" + blocks + b"\x00" + b"\x3b"
    assert len(out) == target, (len(out), target)
    return out


def save(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def keyed_button(size, draw_fn, behind, key=MAGENTA, scale=4):
    """Draws a button at 4x on transparency, scales it down, and flattens it: covered pixels are blended with
    the panel colour `behind` (so edges stay smooth on the panel), uncovered pixels become the key colour."""
    w, h = size
    big = Image.new("RGBA", (w * scale, h * scale), (0, 0, 0, 0))
    draw_fn(ImageDraw.Draw(big), scale)
    small = big.resize(size, Image.LANCZOS)
    out = Image.new("RGB", size, key)
    src = small.load()
    dst = out.load()
    for y in range(h):
        for x in range(w):
            r, g, b, a = src[x, y]
            if a < 96:
                continue
            t = a / 255.0
            bg = behind(x, y) if callable(behind) else behind
            c = tuple(round(v * t + bg[i] * (1 - t)) if a < 250 else v for i, v in enumerate((r, g, b)))
            if c == key:
                c = (c[0], c[1] + 1, c[2])
            dst[x, y] = c
    return out


# ---------------------------------------------------------------------------------------------------- panels

def top_panel():
    img = vertical_gradient((286, 180), TOP_LIGHT, TOP_DEEP)
    d = ImageDraw.Draw(img)
    # Title band with a soft gloss.
    overlay(img, (0, 0, 285, 22), 0, WHITE, 28)
    d = ImageDraw.Draw(img)
    d.line((0, 22, 285, 22), fill=(120, 175, 230))
    d.text((8, 3), "TiroRadio", font=font(12), fill=WHITE)
    # Display screen where the video shows while a station plays.
    rounded(d, (6, 52, 131, 100), 5, fill=(10, 40, 88), outline=(110, 170, 230))
    for i, hgt in enumerate([10, 18, 26, 14, 30, 22, 12, 24, 16, 8, 20, 28, 12, 18]):
        x = 14 + i * 8
        d.rectangle((x, 94 - hgt, x + 4, 94), fill=(40 + i * 6, 140 + i * 4, 230))
    # Status card behind the labels and the volume slider.
    overlay(img, (138, 28, 280, 108), 6, WHITE, 36)
    overlay(img, (4, 28, 136, 49), 5, WHITE, 24)
    # Control deck: a bright bar behind the play button and the two list buttons.
    overlay(img, (12, 124, 274, 168), 12, WHITE, 40)
    d = ImageDraw.Draw(img)
    d.ellipse((119, 121, 174, 172), fill=(18, 66, 132))
    return img


def top_colour_at(x, y):
    return top_panel_cache.getpixel((x, y))


def lower_panel():
    img = Image.new("RGB", (286, 369), BACKGROUND)
    d = ImageDraw.Draw(img)
    # The first rows lie over the top panel's last rows: a rounded header on the deep blue.
    d.rectangle((0, 0, 285, 8), fill=TOP_DEEP)
    rounded(d, (0, 0, 285, 60), 8, fill=(226, 240, 252), outline=(150, 195, 236))
    d.rectangle((1, 44, 284, 60), fill=BACKGROUND)
    d.line((1, 43, 284, 43), fill=(170, 205, 240))
    # The header band carries no painted words: the list title (列表标题) and the search box (搜索框) are
    # controls over it.
    # Frame of the channel list's host (9, 50, 267 x 310).
    rounded(d, (6, 47, 279, 363), 4, fill=WHITE, outline=(128, 176, 226))
    return img


def about_picture():
    img = vertical_gradient((286, 180), (44, 116, 200), (16, 64, 132))
    overlay(img, (0, 0, 285, 22), 0, WHITE, 28)
    overlay(img, (16, 40, 270, 162), 10, WHITE, 26)
    d = ImageDraw.Draw(img)
    d.text((8, 3), "关于 TiroRadio", font=font(12, chinese=True), fill=WHITE)
    d.line((128, 67, 262, 67), fill=(150, 200, 245))
    d.line((128, 91, 262, 91), fill=(150, 200, 245))
    return img


def logo():
    s = 4
    big = Image.new("RGB", (100 * s, 99 * s), WHITE)
    d = ImageDraw.Draw(big)
    # A round blue badge with a radio: body, speaker grille and aerial.
    d.ellipse((4 * s, 3 * s, 96 * s, 95 * s), fill=(0, 120, 230))
    d.ellipse((10 * s, 9 * s, 90 * s, 89 * s), fill=(30, 150, 245))
    d.line((38 * s, 34 * s, 66 * s, 16 * s), fill=WHITE, width=3 * s)
    d.ellipse((63 * s, 13 * s, 70 * s, 20 * s), fill=WHITE)
    d.rounded_rectangle((20 * s, 34 * s, 80 * s, 72 * s), radius=7 * s, fill=WHITE)
    d.ellipse((26 * s, 40 * s, 52 * s, 66 * s), fill=(0, 110, 215))
    d.ellipse((33 * s, 47 * s, 45 * s, 59 * s), fill=(120, 190, 250))
    for i in range(3):
        d.rounded_rectangle((57 * s, (42 + i * 8) * s, 74 * s, (45 + i * 8) * s), radius=s, fill=(0, 110, 215))
    img = big.resize((100, 99), Image.LANCZOS)
    # Pixels that came out nearly white from the scaling would be keyed out; keep them clearly off-white.
    px = img.load()
    for y in range(99):
        for x in range(100):
            if px[x, y] != WHITE and min(px[x, y]) > 245:
                px[x, y] = WHITE
    return img


# --------------------------------------------------------------------------------------------------- buttons

def window_button(kind, hot, width):
    def draw(d, s):
        fill = (236, 90, 80) if (kind == "close" and hot) else ((255, 255, 255, 90) if hot else (255, 255, 255, 0))
        if hot:
            d.rounded_rectangle((0, 0, width * s - 1, 18 * s - 1), radius=3 * s, fill=fill)
        c = WHITE
        cx, cy = width * s / 2, 9 * s
        if kind == "min":
            d.rectangle((cx - 5 * s, cy + 2 * s, cx + 5 * s, cy + 4 * s), fill=c)
        elif kind == "pin":
            d.ellipse((cx - 4 * s, cy - 6 * s, cx + 4 * s, cy + 2 * s), outline=c, width=2 * s)
            d.line((cx, cy + 2 * s, cx, cy + 7 * s), fill=c, width=2 * s)
        else:
            d.line((cx - 4 * s, cy - 4 * s, cx + 4 * s, cy + 4 * s), fill=c, width=2 * s)
            d.line((cx - 4 * s, cy + 4 * s, cx + 4 * s, cy - 4 * s), fill=c, width=2 * s)
    return draw


def play_button(hot):
    def draw(d, s):
        ring = (120, 200, 255) if hot else (90, 165, 235)
        d.ellipse((1 * s, 0, 45 * s, 42 * s), fill=ring)
        d.ellipse((4 * s, 3 * s, 42 * s, 39 * s), fill=(30, 110, 205) if not hot else (45, 135, 230))
        # Stop square: the button stops playback.
        d.rounded_rectangle((16 * s, 14 * s, 30 * s, 28 * s), radius=2 * s, fill=WHITE)
    return draw


def list_button(hot, variant):
    def draw(d, s):
        d.rounded_rectangle((0, 0, 34 * s - 1, 27 * s - 1), radius=6 * s,
                            fill=(70, 150, 235) if hot else (40, 110, 200), outline=(150, 205, 250), width=s)
        if variant == 0:  # list lines: fold or unfold the channel list
            for i in range(3):
                y = (8 + i * 5) * s
                d.ellipse((8 * s, y - s, 10 * s, y + s), fill=WHITE)
                d.line((13 * s, y, 26 * s, y), fill=WHITE, width=2 * s)
        else:  # musical note
            d.ellipse((10 * s, 16 * s, 16 * s, 21 * s), fill=WHITE)
            d.line((15 * s, 18 * s, 15 * s, 6 * s), fill=WHITE, width=2 * s)
            d.line((15 * s, 6 * s, 23 * s, 9 * s), fill=WHITE, width=2 * s)
    return draw


def speaker(hot, w, h):
    def draw(d, s):
        c = WHITE if hot else (220, 235, 250)
        d.polygon([(2 * s, 6 * s), (6 * s, 6 * s), (11 * s, 2 * s), (11 * s, 15 * s), (6 * s, 11 * s),
                   (2 * s, 11 * s)], fill=c)
        d.arc((8 * s, 4 * s, 16 * s, 13 * s), -50, 50, fill=c, width=s + 1)
        if hot:
            d.arc((9 * s, 1 * s, 20 * s, 16 * s), -50, 50, fill=c, width=s + 1)
    return draw


# ---------------------------------------------------------------------------------------------- alpha strips

def bmp32(img):
    """32-bit bottom-up BMP with straight alpha (BITMAPINFOHEADER, BI_RGB)."""
    w, h = img.size
    rows = []
    px = img.load()
    for y in range(h - 1, -1, -1):
        rows.append(b"".join(struct.pack("<BBBB", px[x, y][2], px[x, y][1], px[x, y][0], px[x, y][3])
                             for x in range(w)))
    pixels = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 32, 0, len(pixels), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + 40 + len(pixels), 0, 0, 54) + header + pixels


def strip(size, top, bottom, edge, scale=4):
    w, h = size
    big = Image.new("RGBA", (w * scale, h * scale), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    grad = vertical_gradient((w * scale, h * scale), top, bottom).convert("RGBA")
    mask = Image.new("L", big.size, 0)
    ImageDraw.Draw(mask).rounded_rectangle((0, 0, w * scale - 1, h * scale - 1), radius=3 * scale, fill=255)
    big.paste(grad, (0, 0), mask)
    d.rounded_rectangle((0, 0, w * scale - 1, h * scale - 1), radius=3 * scale, outline=edge + (255,), width=scale)
    return big.resize(size, Image.LANCZOS)


def thumb(scale=4):
    big = Image.new("RGBA", (8 * scale, 10 * scale), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    d.rounded_rectangle((0, 0, 8 * scale - 1, 10 * scale - 1), radius=3 * scale, fill=(255, 255, 255, 255),
                        outline=(20, 90, 170, 255), width=scale)
    d.line((4 * scale, 3 * scale, 4 * scale, 7 * scale), fill=(80, 150, 225, 255), width=scale)
    return big.resize((8, 10), Image.LANCZOS)


# ------------------------------------------------------------------------------------------------------ icon

def icon_image(n):
    s = 8
    big = Image.new("RGBA", (n * s, n * s), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    m = n * s
    d.ellipse((m * 0.02, m * 0.02, m * 0.98, m * 0.98), fill=(0, 120, 230, 255))
    d.ellipse((m * 0.08, m * 0.08, m * 0.92, m * 0.92), fill=(40, 155, 245, 255))
    d.line((m * 0.38, m * 0.36, m * 0.66, m * 0.16), fill=(255, 255, 255, 255), width=max(s, int(m * 0.05)))
    d.rounded_rectangle((m * 0.2, m * 0.34, m * 0.8, m * 0.74), radius=m * 0.07, fill=(255, 255, 255, 255))
    d.ellipse((m * 0.26, m * 0.4, m * 0.52, m * 0.66), fill=(0, 110, 215, 255))
    for i in range(3):
        y = m * (0.42 + i * 0.08)
        d.rectangle((m * 0.57, y, m * 0.74, y + m * 0.035), fill=(0, 110, 215, 255))
    return big.resize((n, n), Image.LANCZOS)


def ico(sizes):
    """ICO with one 32-bit BMP-format entry per size (XOR bitmap with alpha + AND mask)."""
    entries = []
    for n in sizes:
        img = icon_image(n)
        px = img.load()
        xor = b"".join(struct.pack("<BBBB", px[x, y][2], px[x, y][1], px[x, y][0], px[x, y][3])
                       for y in range(n - 1, -1, -1) for x in range(n))
        row_bytes = ((n + 31) // 32) * 4
        andmask = b""
        for y in range(n - 1, -1, -1):
            bits = bytearray(row_bytes)
            for x in range(n):
                if px[x, y][3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            andmask += bytes(bits)
        header = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
        entries.append((n, header + xor + andmask))
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for n, data in entries:
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in entries)


# ------------------------------------------------------------------------------------------------------ main

def main():
    global top_panel_cache
    os.makedirs(OUT, exist_ok=True)
    top_panel_cache = top_panel()
    save("top_panel.gif", to_gif_bytes(top_panel_cache))
    save("lower_panel.gif", to_gif_bytes(lower_panel()))
    save("about.gif", to_gif_bytes(about_picture()))
    logo_gif = to_gif_bytes(logo(), keyed=WHITE, colours=24)
    save("logo.gif", pad_gif(logo_gif, 3098))

    def behind(ox, oy):
        return lambda x, y: top_colour_at(ox + x, oy + y)

    buttons = [
        ("min", 26, 184), ("pin", 26, 208), ("close", 43, 232),
    ]
    for kind, width, left in buttons:
        for hot in (False, True):
            img = keyed_button((width, 18), window_button(kind, hot, width), behind(left, 0))
            save("%s_%s.gif" % (kind, "hot" if hot else "normal"), to_gif_bytes(img, keyed=MAGENTA))
    for hot in (False, True):
        suffix = "hot" if hot else "normal"
        save("play_%s.gif" % suffix, to_gif_bytes(keyed_button((46, 43), play_button(hot), behind(124, 125)),
                                                  keyed=MAGENTA))
        save("list_%s.gif" % suffix, to_gif_bytes(keyed_button((34, 27), list_button(hot, 0), behind(32, 133)),
                                                  keyed=MAGENTA))
        save("music_%s.gif" % suffix, to_gif_bytes(keyed_button((34, 27), list_button(hot, 1), behind(224, 133)),
                                                   keyed=MAGENTA))
    save("speaker_normal.gif", to_gif_bytes(keyed_button((20, 17), speaker(False, 20, 17), behind(144, 85)),
                                            keyed=MAGENTA))
    save("speaker_hot.gif", to_gif_bytes(keyed_button((21, 18), speaker(True, 21, 18), behind(144, 85)),
                                         keyed=MAGENTA))

    save("slider_rail.bmp", bmp32(strip((21, 6), (10, 48, 100), (30, 80, 140), (120, 170, 225))))
    save("slider_fill.bmp", bmp32(strip((48, 6), (140, 215, 255), (40, 150, 240), (200, 235, 255))))
    save("slider_fill_hot.bmp", bmp32(strip((48, 6), (190, 235, 255), (80, 180, 255), (230, 245, 255))))
    save("slider_thumb.bmp", bmp32(thumb()))
    save("trradio.ico", ico([16, 32, 48, 64, 72, 96, 128]))


if __name__ == "__main__":
    main()
