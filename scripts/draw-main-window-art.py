#!/usr/bin/env python3
"""Draws the main window's pictures, the default avatar and the message sound into skin/.

The pictures are line glyphs on a 24-unit grid, drawn four times larger with
ImageMagick and scaled down for smooth edges. The sound is a short damped
two-tone knock. Run it again after changing a glyph; the results are
committed, so neither the build nor the tests need it.
"""

import math
import os
import struct
import subprocess
import wave

SKIN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "skin")
OVERSAMPLE = 4

RAIL_GLYPH = "#9AA5B4"
RAIL_ACTIVE_BACK = "#3FD1BE"
TOOL_GLYPH = "#646A73"
TAB_GLYPH = "#8F959E"
TAB_ACTIVE = "#2BB3A3"

# Glyphs as ImageMagick drawing primitives on a 24 x 24 grid: strokes unless
# a primitive fills on its own ("fill" items).
GLYPHS = {
    "chat": [
        "path 'M4 6.5 a2.5 2.5 0 0 1 2.5 -2.5 h11 a2.5 2.5 0 0 1 2.5 2.5 v8 a2.5 2.5 0 0 1 -2.5 2.5 h-6.5 l-4 3.5 v-3.5 h-0.5 a2.5 2.5 0 0 1 -2.5 -2.5 z'",
        "fill circle 8.5,10.5 9.6,10.5", "fill circle 12,10.5 13.1,10.5", "fill circle 15.5,10.5 16.6,10.5",
    ],
    "contacts": ["circle 12,8 12,12", "path 'M4.5 20.5 a7.5 7.5 0 0 1 15 0'"],
    "task": ["roundrectangle 4,4 20,20 3.5,3.5", "path 'M8 12.5 l3 3 l5.5 -6'"],
    "calendar": [
        "roundrectangle 4,5.5 20,20 3,3", "path 'M4 10 h16'", "path 'M8.5 3.5 v4'", "path 'M15.5 3.5 v4'",
        "fill circle 8.5,14.5 9.5,14.5", "fill circle 12,14.5 13,14.5", "fill circle 15.5,14.5 16.5,14.5",
    ],
    "netdisc": [
        "path 'M7.5 18.5 h9.5 a4 4 0 0 0 0.5 -7.95 a6 6 0 0 0 -11.5 -0.8 a4.4 4.4 0 0 0 1.5 8.75 z'",
    ],
    "applications": [
        "roundrectangle 4,4 10.5,10.5 2,2", "roundrectangle 13.5,4 20,10.5 2,2",
        "roundrectangle 4,13.5 10.5,20 2,2", "roundrectangle 13.5,13.5 20,20 2,2",
    ],
    "members": [
        "circle 9,8 9,11.2", "path 'M3 19.5 a6 6 0 0 1 12 0'",
        "path 'M15 5.2 a2.8 2.8 0 1 1 0 5.6'", "path 'M17 13.6 a5.5 5.5 0 0 1 4 5.9'",
    ],
    "add_members": [
        "circle 10,8 10,11.5", "path 'M3.5 19.5 a6.5 6.5 0 0 1 13 0'", "path 'M19 8 v6'", "path 'M16 11 h6'",
    ],
    "leave": [
        "path 'M10.5 4 h-4 a2.5 2.5 0 0 0 -2.5 2.5 v11 a2.5 2.5 0 0 0 2.5 2.5 h4'",
        "path 'M14.5 8 l4 4 l-4 4'", "path 'M18.5 12 h-9'",
    ],
    "file": [
        "path 'M3.5 7 a2 2 0 0 1 2 -2 h4 l2 2 h7 a2 2 0 0 1 2 2 v8.5 a2 2 0 0 1 -2 2 h-13 a2 2 0 0 1 -2 -2 z'",
    ],
    "call": [
        "path 'M7 4 h2.6 l1.5 4 l-2.1 1.4 a10 10 0 0 0 5.6 5.6 l1.4 -2.1 l4 1.5 v2.6 a2 2 0 0 1 -2.1 2 a15.5 15.5 0 0 1 -13 -13 a2 2 0 0 1 2.1 -2 z'",
    ],
    "drop_down": ["path 'M7 10 l5 5 l5 -5'"],
    "emoji": [
        "circle 12,12 12,20.5", "fill circle 9,10 10.1,10", "fill circle 15,10 16.1,10",
        "path 'M8.5 14 a4 4 0 0 0 7 0'",
    ],
    "upload": [
        "path 'M12 15 v-10.5'", "path 'M7.5 9 l4.5 -4.5 l4.5 4.5'",
        "path 'M4.5 15 v3 a2 2 0 0 0 2 2 h11 a2 2 0 0 0 2 -2 v-3'",
    ],
    "screenshot": ["path 'M7 3.5 v13.5 h13.5'", "path 'M3.5 7 h13.5 v13.5'"],
    "plus": ["path 'M12 5.5 v13'", "path 'M5.5 12 h13'"],
    "channel": ["path 'M9.5 4 l-2 16'", "path 'M16.5 4 l-2 16'", "path 'M5 9 h15'", "path 'M4 15 h15'"],
    "lock": ["roundrectangle 5,10.5 19,20 2.5,2.5", "path 'M8 10.5 v-2.5 a4 4 0 0 1 8 0 v2.5'"],
    "person_chat": [
        "circle 10,8 10,11.5", "path 'M3.5 19.5 a6.5 6.5 0 0 1 13 0'",
        "path 'M16 4.5 h5 v4 h-2.5 l-1.5 1.5 v-1.5 h-1 z'",
    ],
    "search": ["circle 10.5,10.5 10.5,16.5", "path 'M15 15 l5 5'"],
    "letters": [
        "path 'M9.5 7 h10'", "path 'M9.5 12 h10'", "path 'M9.5 17 h10'",
        "fill circle 5.5,7 6.6,7", "fill circle 5.5,12 6.6,12", "fill circle 5.5,17 6.6,17",
    ],
    "organization": [
        "roundrectangle 9,3.5 15,8.5 1.5,1.5", "roundrectangle 3.5,15.5 9.5,20.5 1.5,1.5",
        "roundrectangle 14.5,15.5 20.5,20.5 1.5,1.5", "path 'M12 8.5 v3.5 M6.5 15.5 v-3.5 h11 v3.5'",
    ],
    "fold": ["path 'M9.5 6.5 l5.5 5.5 l-5.5 5.5'"],
    "unfold": ["path 'M6.5 9.5 l5.5 5.5 l5.5 -5.5'"],
}


def glyph_primitives(name, color, stroke, scale, dx, dy):
    """The glyph's MVG, moved and scaled onto the oversampled canvas."""
    items = [f"translate {dx},{dy}", f"scale {scale},{scale}"]
    for primitive in GLYPHS[name]:
        if primitive.startswith("fill "):
            items.append(f"fill '{color}' stroke none {primitive[5:]}")
        else:
            items.append(f"fill none stroke '{color}' stroke-width {stroke} stroke-linecap round "
                         f"stroke-linejoin round {primitive}")
    return "push graphic-context " + " ".join(items) + " pop graphic-context"


def draw(path, width, height, layers):
    """Draws the layers (MVG texts) on a transparent canvas and saves the PNG."""
    big_w, big_h = width * OVERSAMPLE, height * OVERSAMPLE
    command = ["convert", "-size", f"{big_w}x{big_h}", "xc:none"]
    for layer in layers:
        command += ["-draw", layer]
    command += ["-resize", f"{width}x{height}", "-define", "png:color-type=6", path]
    os.makedirs(os.path.dirname(path), exist_ok=True)
    subprocess.run(command, check=True)


def glyph(name, color, size, glyph_size, stroke=1.8, x=None, y=None):
    """A glyph of glyph_size pixels on a canvas of `size`, centred unless placed."""
    width, height = size
    scale = glyph_size / 24.0 * OVERSAMPLE
    dx = ((width - glyph_size) / 2 if x is None else x) * OVERSAMPLE
    dy = ((height - glyph_size) / 2 if y is None else y) * OVERSAMPLE
    return glyph_primitives(name, color, stroke, scale, dx, dy)


def rounded_square(color, size, inset, radius):
    width, height = size
    o = OVERSAMPLE
    return (f"fill '{color}' stroke none roundrectangle {inset * o},{inset * o} "
            f"{(width - inset) * o - 1},{(height - inset) * o - 1} {radius * o},{radius * o}")


def dot(color, size, radius, ring=None, ring_width=0):
    width, height = size
    o = OVERSAMPLE
    cx, cy = width * o / 2, height * o / 2
    layers = []
    if ring:
        layers.append(f"fill '{ring}' stroke none circle {cx},{cy} {cx + radius * o},{cy}")
    inner = radius - ring_width
    layers.append(f"fill '{color}' stroke none circle {cx},{cy} {cx + inner * o},{cy}")
    return layers


def draw_left_bar():
    # The rail's buttons are 44 x 44; code sets these as whole-button images.
    for name, file in [("chat", "chat"), ("contacts", "contacts"), ("task", "task"), ("calendar", "calendar"),
                       ("netdisc", "netdisc"), ("applications", "applications")]:
        size = (44, 44)
        draw(f"{SKIN}/session/{file}.png", *size, [glyph(name, RAIL_GLYPH, size, 24)])
        draw(f"{SKIN}/session/{file}_push.png", *size,
             [rounded_square(RAIL_ACTIVE_BACK, size, 2, 11), glyph(name, "#FFFFFF", size, 24)])
    # The contacts panel's two tabs, 110 x 36 each.
    for name, file in [("letters", "contact__members"), ("organization", "contact_organization")]:
        size = (110, 36)
        draw(f"{SKIN}/session/{file}.png", *size, [glyph(name, TAB_GLYPH, size, 22)])
        draw(f"{SKIN}/session/{file}_push.png", *size, [glyph(name, TAB_ACTIVE, size, 22, stroke=2.1)])


def draw_sys_buttons():
    size = (28, 28)
    draw(f"{SKIN}/SysBtn/public_group.png", *size, [glyph("channel", "#FFFFFF", size, 16, stroke=2.2)])
    draw(f"{SKIN}/SysBtn/private_group.png", *size, [glyph("lock", "#FFFFFF", size, 16, stroke=2.2)])
    for name in ("fold", "unfold"):
        draw(f"{SKIN}/SysBtn/treenode_{name}.png", 18, 18, [glyph(name, TAB_GLYPH, (18, 18), 16, stroke=2)])


def draw_status():
    for file, color in [("status_offline.png.png", "#B0B5BC"), ("status_online.png", "#22C55E"),
                        ("status_busy_normal.png", "#EF4444"), ("status_away_normal.png", "#F5A524")]:
        draw(f"{SKIN}/status/{file}", 12, 12, dot(color, (12, 12), 6, "#FFFFFF", 1.5))


def draw_tools():
    # Header and input-bar buttons: 20-pixel glyphs, placed by the skin.
    for name in ("members", "add_members", "leave", "file", "call", "drop_down", "emoji", "upload", "screenshot",
                 "plus", "channel", "lock", "person_chat", "search"):
        draw(f"{SKIN}/main/{name}.png", 20, 20, [glyph(name, TOOL_GLYPH, (20, 20), 20, stroke=1.7)])


def draw_default_avatar():
    """The face of a member without a picture: a light silhouette, head and
    shoulders, on a calm blue-grey square. Drawn large; every avatar control
    scales it down and rounds its corners as its own picture would be."""
    size = 160
    o = OVERSAMPLE
    c = size * o / 2
    layers = [
        f"fill '#C9D3DF' stroke none rectangle 0,0 {size * o - 1},{size * o - 1}",
        # The head, then the shoulders: an ellipse whose lower half the square cuts off.
        f"fill '#F4F6F9' stroke none circle {c},{62 * o} {c + 27 * o},{62 * o}",
        f"fill '#F4F6F9' stroke none ellipse {c},{160 * o} {52 * o},{58 * o} 0,360",
    ]
    draw(f"{SKIN}/chat/default_avatar.png", size, size, layers)


def draw_knock_sound():
    """Two soft knocks: short damped tones, 16-bit mono at 22,050 Hz."""
    rate = 22050
    samples = []
    for start, pitch in ((0.0, 880.0), (0.11, 660.0)):
        offset = int(start * rate)
        length = int(0.16 * rate)
        while len(samples) < offset + length:
            samples.append(0.0)
        for i in range(length):
            t = i / rate
            envelope = math.exp(-t * 38.0) * min(1.0, t * 900.0)
            samples[offset + i] += 0.45 * envelope * (math.sin(2 * math.pi * pitch * t) +
                                                      0.3 * math.sin(2 * math.pi * pitch * 2.01 * t))
    path = f"{SKIN}/sound/knock_brush.wav"
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(b"".join(struct.pack("<h", int(max(-1.0, min(1.0, s)) * 32767)) for s in samples))


if __name__ == "__main__":
    draw_left_bar()
    draw_sys_buttons()
    draw_status()
    draw_tools()
    draw_default_avatar()
    draw_knock_sound()
