#!/usr/bin/env python3
"""Plays a click into the null sink every PERIOD seconds and, in the same instant,
creates FLAG (removed again after 200 ms) so the bench host paints its flash.
The audio goes to pacat in 5 ms chunks paced by the clock, so the stream's delay stays
at pacat's small latency instead of growing with a pipe full of samples.
  drive.py FLAG SECONDS [PERIOD]"""
import os
import subprocess
import sys
import time

RATE, CHUNK = 44100, 220  # 5 ms
flag, seconds = sys.argv[1], float(sys.argv[2])
period = float(sys.argv[3]) if len(sys.argv) > 3 else 2.0
silence = bytes(2 * CHUNK)
click = b"".join(int(20000 if (i // 10) % 2 else -20000).to_bytes(2, "little", signed=True)
                 for i in range(CHUNK))
player = subprocess.Popen(["pacat", "--playback", "--raw", "--format=s16le", "--rate=%d" % RATE,
                           "--channels=1", "--latency-msec=10", "--device=nullsink"],
                          stdin=subprocess.PIPE)
start = time.monotonic()
next_click, flag_off, k = 1.5, None, 0
while True:
    t = start + k * CHUNK / RATE
    now = time.monotonic()
    if t > now:
        time.sleep(t - now)
    elapsed = k * CHUNK / RATE
    if elapsed >= seconds:
        break
    data = silence
    if elapsed >= next_click:
        open(flag, "w").close()
        data = click
        flag_off = elapsed + 0.2
        next_click += period
        print("click %.3f" % (time.monotonic() - start), flush=True)
    elif flag_off is not None and elapsed >= flag_off:
        os.remove(flag)
        flag_off = None
    player.stdin.write(data)
    player.stdin.flush()
    k += 1
player.stdin.close()
player.wait()
