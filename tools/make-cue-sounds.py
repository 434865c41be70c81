#!/usr/bin/env python3
"""Writes the two listening cues into resources/sounds: a short rising tone
(listen-start.wav) and a falling one (listen-stop.wav). 16-bit mono WAV.

Run again only to change the sounds; the files are committed."""
import math
import struct
import sys
import wave
from pathlib import Path

RATE = 22050
SECONDS = 0.14
AMPLITUDE = 0.35


def sweep(start_hz, end_hz):
    frames = int(RATE * SECONDS)
    phase = 0.0
    out = bytearray()
    for i in range(frames):
        t = i / frames
        freq = start_hz + (end_hz - start_hz) * t
        phase += 2 * math.pi * freq / RATE
        # Short fades at both ends so the cue does not click.
        envelope = min(1.0, i / (0.01 * RATE), (frames - i) / (0.03 * RATE))
        out += struct.pack("<h", int(32767 * AMPLITUDE * envelope * math.sin(phase)))
    return bytes(out)


def write(path, data):
    with wave.open(str(path), "wb") as f:
        f.setnchannels(1)
        f.setsampwidth(2)
        f.setframerate(RATE)
        f.writeframes(data)


def main():
    root = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "resources" / "sounds"
    root.mkdir(parents=True, exist_ok=True)
    write(root / "listen-start.wav", sweep(660, 990))
    write(root / "listen-stop.wav", sweep(990, 660))


if __name__ == "__main__":
    main()
