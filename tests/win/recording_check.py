#!/usr/bin/env python3
"""Checks the output of one recording_host case (see recording_real.sh).
Prints PASS/FAIL lines and exits non-zero on any failure."""
import math
import sys

mode, folder = sys.argv[1], sys.argv[2]
failures = []


def check(ok, what):
    print(("PASS " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


def read(name, binary=False):
    with open(f"{folder}/{name}", "rb" if binary else "r") as f:
        return f.read()


ready = read("ready.txt").split()
width, height = int(ready[2]), int(ready[3])
frame_bytes = width * height * 3
probe = read("probe.txt").strip().splitlines()
messages = read("messages.txt").split()
frames_raw = read("frames.rgb", True)
frames = [frames_raw[i:i + frame_bytes] for i in range(0, len(frames_raw), frame_bytes)]
shot = read("shot.rgb", True)

check(len(probe) == 1, f"one stream: {probe}")
check(probe and probe[0] == f"codec_name=msvideo1|codec_type=video|width={width}|height={height}|r_frame_rate=25/1",
      f"msvideo1 {width}x{height} at 25 fps: {probe}")
check(messages == ["WM_USER_GENERIC_MSG"], f"posted messages {messages}")
check(len(frames) > 0 and len(frames_raw) % frame_bytes == 0, f"{len(frames)} decoded frames")


def pixel(frame, x, y):
    i = (y * width + x) * 3
    return frame[i], frame[i + 1], frame[i + 2]


def luma(frame, x, y):
    r, g, b = pixel(frame, x, y)
    return (r * 299 + g * 587 + b * 114) // 1000


def psnr(a, b):
    mse = sum((p - q) ** 2 for p, q in zip(a, b)) / len(a)
    return float("inf") if mse == 0 else 10 * math.log10(255 * 255 / mse)


if mode == "counter":
    frozen = int(ready[4])
    values = []
    unreadable = 0
    for n, frame in enumerate(frames):
        gray = 0
        for bit in range(8):
            on = sum(luma(frame, bit * 40 + 15 + dx, 112 + dy) for dx in range(10) for dy in range(10)) / 100
            off = sum(luma(frame, bit * 40 + 15 + dx, 152 + dy) for dx in range(10) for dy in range(10)) / 100
            if not ((on > 200 and off < 55) or (on < 55 and off > 200)):
                unreadable += 1
            gray = (gray << 1) | (1 if on > off else 0)
        value = 0
        while gray:
            value ^= gray
            gray >>= 1
        values.append(value)
    check(unreadable == 0, f"counter blocks readable in every frame ({unreadable} unclear blocks)")
    backwards = [(i, values[i - 1], values[i]) for i in range(1, len(values)) if values[i] < values[i - 1]]
    check(not backwards, f"counter never goes backwards {backwards[:5]}")
    distinct = len(set(values))
    print(f"values: first {values[:8]} ... last {values[-4:]}, {distinct} distinct in {len(values)} frames")
    check(distinct >= 30, f"{distinct} distinct counter values over ~3 s")
    check(values[-1] == frozen, f"last frame shows the final counter {frozen}")
    db = psnr(frames[-1], shot)
    check(db >= 30, f"PSNR of the last frame against the screenshot {db:.1f} dB")
elif mode == "wide":
    # The page is still: every frame is the screenshot, but for the cursor X leaves out.
    px, py, hot_x, hot_y = (int(v) for v in ready[4:8])
    frame = frames[-1]
    db = psnr(frame, shot)
    check(db >= 30, f"PSNR of the last frame against the screenshot {db:.1f} dB")
    box_x, box_y = px - int(ready[0]) - hot_x, py - int(ready[1]) - hot_y
    dark = sum(1 for y in range(box_y, box_y + 32) for x in range(box_x, box_x + 32)
               if 0 <= x < width and 0 <= y < height and luma(frame, x, y) < 100
               and luma(shot, x, y) > 200)
    check(dark >= 15, f"cursor drawn at the pointer: {dark} dark pixels in its box")
else:
    px, py, hot_x, hot_y, drawable = (int(v) for v in ready[4:9])
    edit = [int(v) for v in ready[9:13]]
    print(f"Notepad's cursor drawable in our process: {bool(drawable)}")
    frame = frames[len(frames) // 2]
    box_x, box_y = px - int(ready[0]) - hot_x, py - int(ready[1]) - hot_y
    inside = outside = 0
    ex0, ey0 = edit[0] - int(ready[0]) + 4, edit[1] - int(ready[1]) + 4
    ex1, ey1 = edit[2] - int(ready[0]) - 4, edit[3] - int(ready[1]) - 4
    for y in range(max(0, ey0), min(height, ey1)):
        for x in range(max(0, ex0), min(width, ex1)):
            if luma(frame, x, y) < 100 and luma(shot, x, y) > 200:
                if box_x <= x < box_x + 32 and box_y <= y < box_y + 32:
                    inside += 1
                else:
                    outside += 1
    check(inside >= 15, f"cursor drawn at the pointer: {inside} dark pixels in its box")
    check(outside <= 40, f"nothing else drawn over the text area: {outside} dark pixels elsewhere")
    tip = luma(frame, px - int(ready[0]), py - int(ready[1]))
    check(tip < 100, f"the cursor's hotspot pixel is dark ({tip})")

sys.exit(1 if failures else 0)
