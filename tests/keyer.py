#!/usr/bin/env python3
"""Morse keyed as a clean tone, for a microphone a test speaks into.

Usage: keyer.py MORSE WPM SPACING_WPM > FILE (48 kHz, mono, s16le)
MORSE is written as the program writes it: ".-" a letter, spaces between
letters, "/" between words. 700 Hz, 5 ms raised-cosine edges, half a second
of silence before and after.
"""
import math
import struct
import sys

RATE, PITCH, EDGE = 48000, 700, 0.005
morse, wpm, spacing = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
dot, gap = 1.2 / wpm, 1.2 / spacing
samples = [0.0] * (RATE // 2)


def tone(seconds):
    n, edge = round(seconds * RATE), round(EDGE * RATE)
    for i in range(n):
        rise = min(1.0, i / edge, (n - i) / edge)
        samples.append(0.5 * (1 - math.cos(math.pi * rise)) * math.sin(2 * math.pi * PITCH * len(samples) / RATE))


def silence(seconds):
    samples.extend([0.0] * round(seconds * RATE))


for word in morse.split("/"):
    for letter in word.split():
        for element in letter:
            tone(dot if element == "." else 3 * dot)
            silence(dot)
        silence(3 * gap - dot)
    silence(4 * gap)
silence(0.5)
sys.stdout.buffer.write(b"".join(struct.pack("<h", round(16000 * s)) for s in samples))
