#!/usr/bin/env python3
"""Measures the A/V offset in a merged movie from its decoded streams: the onsets of the
flash (mean brightness of a frame jumping up) against the onsets of the click (the
first loud sample after silence). Prints each pair and the mean; exit 1 when the mean
is a frame (40 ms) or more, a pair is two frames or more apart, or nothing was found.
  analyze.py MOVIE [START SECONDS]     (only that stretch of the movie)

The wave-in device returns its first buffer some time after it was started (0.4 to
0.9 s on 32-bit Wine 8, over a second on a fresh 64-bit bench) and the sound of that time
never reaches us; the capture puts that much silence at the start of the WAV file
(measured from the device's own position against the video clock), so both streams
start together. drive.py raises the flash when the click is heard on the sink's monitor.
Single pairs sit up to one frame slot apart: a frame's place in the movie is the
truncated elapsed time at the start of its grab, so a flash can show up to a frame
early."""
import subprocess
import sys

movie = sys.argv[1]
# Decoded from the start and cut after decoding: a seek in the input lands the video on
# a frame boundary and the audio on a sample, which shifts one against the other.
stretch = ["-ss", sys.argv[2], "-t", sys.argv[3]] if len(sys.argv) > 3 else []
probe = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                        "stream=r_frame_rate", "-of", "csv=p=0", movie],
                       capture_output=True, text=True, check=True).stdout.strip()
num, den = probe.split("/")
fps = float(num) / float(den)
W, H = 16, 12
frames = subprocess.run(["ffmpeg", "-v", "error", "-i", movie, *stretch, "-map", "0:v:0", "-vf",
                         "scale=%d:%d" % (W, H), "-pix_fmt", "gray", "-vsync", "cfr",
                         "-f", "rawvideo", "-"], capture_output=True, check=True).stdout
means = [sum(frames[i:i + W * H]) / (W * H) for i in range(0, len(frames), W * H)]
flashes = [i / fps for i in range(1, len(means)) if means[i] > 128 and means[i - 1] <= 128]

RATE = 8000
audio = subprocess.run(["ffmpeg", "-v", "error", "-i", movie, *stretch, "-map", "0:a:0", "-ac", "1", "-ar",
                        str(RATE), "-f", "s16le", "-"], capture_output=True, check=True).stdout
samples = [int.from_bytes(audio[i:i + 2], "little", signed=True) for i in range(0, len(audio) - 1, 2)]
clicks, quiet_until = [], 0
for i, s in enumerate(samples):
    if abs(s) > 4000 and i >= quiet_until:
        clicks.append(i / RATE)
        quiet_until = i + RATE // 2
print("video %d frames at %.0f fps (%.2f s), audio %.2f s" % (len(means), fps, len(means) / fps,
                                                             len(samples) / RATE))
print("flashes: " + " ".join("%.3f" % t for t in flashes))
print("clicks:  " + " ".join("%.3f" % t for t in clicks))
if not flashes or not clicks:
    print("FAIL nothing to pair")
    sys.exit(1)
offsets = []
for f in flashes:
    c = min(clicks, key=lambda c: abs(c - f))
    if abs(c - f) < 1.0:
        offsets.append(c - f)
print("offsets (click - flash, ms): " + " ".join("%+.0f" % (o * 1000) for o in offsets))
mean = sum(offsets) / len(offsets) if offsets else float("nan")
worst = max((abs(o) for o in offsets), default=float("inf"))
print("pairs %d of %d flashes, mean %+.1f ms, worst %.1f ms" % (len(offsets), len(flashes),
                                                                 mean * 1000, worst * 1000))
sys.exit(0 if offsets and len(offsets) >= len(flashes) - 1 and abs(mean) < 0.040 and worst < 0.080
         else 1)
