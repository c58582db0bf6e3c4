#!/usr/bin/env python3
"""Plays a click into the null sink every PERIOD seconds and creates FLAG (removed
again after 200 ms) at the moment the click is heard, so the bench host paints its
flash then.

"Heard" is when the click shows up on the sink's monitor, the source the recorder's
wave-in reads: a second stream (parec) listens there. The moment pacat was handed the
click is no reference: pacat keeps whatever it was given before its stream ran, and
since it is fed at the rate it plays, that backlog (0.4 to 0.7 s on some machines)
would delay every click by the same amount. parec hands over its data within its
10 ms latency, so a flash may come that much after its click.
  drive.py FLAG SECONDS [PERIOD]"""
import array
import os
import subprocess
import sys
import threading
import time

RATE, CHUNK = 44100, 220  # 5 ms
flag, seconds = sys.argv[1], float(sys.argv[2])
period = float(sys.argv[3]) if len(sys.argv) > 3 else 2.0
silence = bytes(2 * CHUNK)
click = b"".join(int(20000 if (i // 10) % 2 else -20000).to_bytes(2, "little", signed=True)
                 for i in range(CHUNK))
stream = ["--raw", "--format=s16le", "--rate=%d" % RATE, "--channels=1", "--latency-msec=10"]
listener = subprocess.Popen(["parec", *stream, "--device=nullsink.monitor"], stdout=subprocess.PIPE)
player = subprocess.Popen(["pacat", "--playback", *stream, "--device=nullsink"],
                          stdin=subprocess.PIPE)
start = time.monotonic()


def listen():
    """Raises the flag for every click that reaches the monitor, lowers it 200 ms later."""
    fd, quiet_until, n, flag_off = listener.stdout.fileno(), 0, 0, None
    while True:
        data = os.read(fd, 65536)
        if not data:
            return
        now = time.monotonic()
        samples = array.array("h")
        samples.frombytes(data[:len(data) // 2 * 2])
        for i, s in enumerate(samples):
            if abs(s) > 4000 and n + i >= quiet_until:
                open(flag, "w").close()
                flag_off = now + 0.2
                quiet_until = n + i + RATE // 2
                print("click %.3f" % (now - start), flush=True)
                break
        if flag_off is not None and now >= flag_off:
            os.remove(flag)
            flag_off = None
        n += len(samples)


threading.Thread(target=listen, daemon=True).start()
next_click, k = 1.5, 0
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
        data = click
        next_click += period
    player.stdin.write(data)
    player.stdin.flush()
    k += 1
time.sleep(1)  # the last click is still on its way to the monitor
player.stdin.close()
player.wait()
listener.kill()
if os.path.exists(flag):
    os.remove(flag)
