#!/usr/bin/env python3
"""Synthesises the game's two sounds into assets/sounds/ (mono, 16-bit, 22050 Hz).

    scripts/make-sounds.py [output folder]

rotation.wav  a soft whirr with a light ratchet, played in a loop while a layer turns. Every part of it
              repeats a whole number of times in the file, and the file starts at a zero crossing, so
              the loop point needs no fade and makes no click.
restart.wav   a short two-note chime for a restarted game.

The output is the same on every run (fixed seed), so the committed files can be regenerated and compared.
Standard library only.
"""

import math
import pathlib
import random
import struct
import sys
import wave

RATE = 22050

# 0.4 s of loop: every frequency below is a whole multiple of RATE / LOOP_FRAMES = 2.5 Hz and every
# repeating pattern divides the loop, so sample LOOP_FRAMES would equal sample 0 again.
LOOP_FRAMES = 8820


def write_wave(path, samples):
    frames = b"".join(struct.pack("<h", max(-32767, min(32767, round(s * 32767)))) for s in samples)
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames)


def circular_lowpass(samples, coefficient):
    """One-pole low-pass run around the loop twice, so that its state at the end meets the start."""
    y = 0.0
    out = [0.0] * len(samples)
    for _ in range(2):
        for i, x in enumerate(samples):
            y += coefficient * (x - y)
            out[i] = y
    return out


def normalise(samples, peak):
    top = max(abs(s) for s in samples)
    return [s * peak / top for s in samples]


def rotation(rng):
    n = LOOP_FRAMES
    t = [i / RATE for i in range(n)]

    # Motor-like whirr: a 100 Hz tone with falling harmonics, its phase swaying at 5 Hz.
    whirr = [0.0] * n
    for harmonic, level in ((1, 1.0), (2, 0.45), (3, 0.25), (4, 0.12), (6, 0.05)):
        for i in range(n):
            sway = 0.6 * math.sin(2 * math.pi * 5.0 * t[i])
            whirr[i] += level * math.sin(2 * math.pi * 100.0 * harmonic * t[i] + harmonic * sway)
    # The whirr breathes with the ratchet: louder just after each tick.
    ticks_per_loop = 10  # 25 ticks a second
    period = n // ticks_per_loop

    # Ratchet: each tick a short burst of softened noise that dies away in a few milliseconds. The
    # bursts wrap round the end of the loop, so the last one carries on into the first samples.
    ratchet = [0.0] * n
    for k in range(ticks_per_loop):
        start = k * period
        level = 0.8 + 0.2 * rng.random()
        for j in range(int(0.012 * RATE)):
            ratchet[(start + j) % n] += level * math.exp(-j / (0.0025 * RATE)) * rng.uniform(-1.0, 1.0)
    ratchet = circular_lowpass(ratchet, 0.35)

    # A little air beneath it all.
    air = circular_lowpass([rng.uniform(-1.0, 1.0) for _ in range(n)], 0.08)

    pulse = [0.75 + 0.25 * math.cos(2 * math.pi * ((i % period) / period)) for i in range(n)]
    mix = [0.55 * whirr[i] * pulse[i] + 1.6 * ratchet[i] + 0.5 * air[i] for i in range(n)]
    mix = normalise(mix, 0.35)

    # Start the loop where the signal rises through zero most gently, so that both the first and the
    # last sample lie next to zero and a restarted loop starts without a jump.
    best = min(
        (i for i in range(n) if mix[i - 1] < 0.0 <= mix[i]),
        key=lambda i: abs(mix[i]) + abs(mix[i - 1]) + abs(mix[(i + 1) % n] - mix[i - 1]),
    )
    return mix[best:] + mix[:best]


def restart():
    n = int(0.9 * RATE)
    out = [0.0] * n
    # Two bell-like notes a fourth apart (G5, then C6), mostly harmonic partials with a faint bell tone.
    for onset, pitch, level in ((0.0, 783.99, 0.8), (0.13, 1046.50, 1.0)):
        first = int(onset * RATE)
        for i in range(first, n):
            s = (i - first) / RATE
            attack = 0.5 - 0.5 * math.cos(math.pi * min(1.0, s / 0.004))
            tone = (
                math.exp(-s / 0.28) * math.sin(2 * math.pi * pitch * s)
                + 0.35 * math.exp(-s / 0.12) * math.sin(2 * math.pi * 2.0 * pitch * s)
                + 0.12 * math.exp(-s / 0.07) * math.sin(2 * math.pi * 2.76 * pitch * s)
                + 0.08 * math.exp(-s / 0.05) * math.sin(2 * math.pi * 3.0 * pitch * s)
            )
            out[i] += level * attack * tone
    # Let the tail die out to silence over the last 80 ms: the sound plays once and must end quietly.
    tail = int(0.08 * RATE)
    for j in range(tail):
        out[n - tail + j] *= 0.5 + 0.5 * math.cos(math.pi * (j + 1) / tail)
    return normalise(out, 0.6)


def main():
    folder = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent / "assets" / "sounds"
    folder.mkdir(parents=True, exist_ok=True)
    write_wave(folder / "rotation.wav", rotation(random.Random(20240611)))
    write_wave(folder / "restart.wav", restart())


if __name__ == "__main__":
    main()
