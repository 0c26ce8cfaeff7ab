#!/usr/bin/env python3
"""Writes every frame of an animated GIF, as Pillow composes it, to standard output as
raw 8-bit RGB, one frame after another. Usage: gif_frames.py FILE.gif"""
import sys

from PIL import Image, ImageSequence

with Image.open(sys.argv[1]) as gif:
    for frame in ImageSequence.Iterator(gif):
        sys.stdout.buffer.write(frame.convert("RGB").tobytes())
