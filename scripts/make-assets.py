#!/usr/bin/env python3
"""Draws the program's icon (a 32x32, 32-bit single-image .ico) and its start picture (PNG).

The files are committed under src/assets; run this again only to change their look.
"""
import math
import shutil
import struct
import subprocess
import sys
import zlib
from pathlib import Path

ASSETS = Path(__file__).resolve().parent.parent / "src" / "assets"


def play_badge(x, y, size):
    """A round badge with a play triangle: returns (r, g, b, a)."""
    c = (size - 1) / 2
    dx, dy = x - c, y - c
    r = math.hypot(dx, dy)
    if r > c:
        return (0, 0, 0, 0)
    # Triangle pointing right, centred.
    tx, ty = (x - c) / c, (y - c) / c
    inside = -0.35 <= tx <= 0.55 and abs(ty) <= (0.55 - tx) * 0.62
    if inside:
        return (255, 255, 255, 255)
    t = r / c
    return (int(230 - 60 * t), int(60 + 20 * t), int(40 + 10 * t), 255)


def write_icon(path):
    size = 32
    pixels = bytearray()
    for y in reversed(range(size)):  # bottom-up rows
        for x in range(size):
            r, g, b, a = play_badge(x, y, size)
            pixels += bytes((b, g, r, a))
    mask = bytes(size * size // 8)  # AND mask, all opaque (alpha decides)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask),
                         0, 0, 0, 0)
    image = header + pixels + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32,
                                                           len(image), 6 + 16)
    data = directory + image
    assert len(data) == 4286, len(data)
    path.write_bytes(data)


def png_chunk(kind, payload):
    return (struct.pack(">I", len(payload)) + kind + payload +
            struct.pack(">I", zlib.crc32(kind + payload) & 0xFFFFFFFF))


def write_start_picture(path, width=960, height=498):
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            # A dark cinema gradient with a soft spotlight towards the upper middle.
            d = math.hypot((x - width * 0.5) / width, (y - height * 0.35) / height)
            light = max(0.0, 1.0 - d * 1.8)
            r = int(18 + 70 * light)
            g = int(20 + 40 * light)
            b = int(36 + 90 * light)
            rows += bytes((r, g, b))
    png = b"\x89PNG\r\n\x1a\n"
    png += png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += png_chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    png += png_chunk(b"IEND", b"")
    path.write_bytes(png)


def write_title(path):
    """Writes the product's name and motto onto the start picture (needs ImageMagick and the
    Noto CJK fonts; without them the picture stays a plain gradient)."""
    if not shutil.which("convert"):
        return
    bold = "/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc"
    regular = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"
    subprocess.run(["convert", str(path),
                    "-gravity", "center", "-fill", "#F2E6FF", "-font", bold, "-pointsize", "72",
                    "-annotate", "+0-40", "Lumaru影视",
                    "-fill", "#B9A6D6", "-font", regular, "-pointsize", "22",
                    "-annotate", "+0+40", "点左侧“Lumaru”展开工具栏，粘贴视频地址，选择线路，按“播放”",
                    str(path)], check=True)


if __name__ == "__main__":
    ASSETS.mkdir(parents=True, exist_ok=True)
    write_icon(ASSETS / "lumaru.ico")
    write_start_picture(ASSETS / "start.png")
    write_title(ASSETS / "start.png")
    sys.exit(0)
