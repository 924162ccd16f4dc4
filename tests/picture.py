#!/usr/bin/python3
"""Makes the test brands' pictures: a PNG wider than high, a mountain under a
sky, with a transparent corner; and, if asked, an emblem: a round one on a
transparent ground, its edge smoothed.   picture.py OUT.png [EMBLEM.png]"""
import sys
from PIL import Image, ImageDraw

im = Image.new("RGBA", (160, 100), (90, 150, 230, 255))
draw = ImageDraw.Draw(im)
draw.polygon([(10, 99), (80, 15), (150, 99)], fill=(40, 110, 50, 255))
draw.polygon([(66, 32), (80, 15), (94, 32)], fill=(250, 250, 250, 255))
draw.ellipse([120, 8, 145, 33], fill=(250, 200, 30, 255))
draw.rectangle([0, 0, 29, 19], fill=(0, 0, 0, 0))
im.save(sys.argv[1])

if len(sys.argv) > 2:
    big = Image.new("RGBA", (400, 400), (0, 0, 0, 0))
    draw = ImageDraw.Draw(big)
    draw.ellipse([20, 20, 380, 380], fill=(160, 30, 40, 255))
    draw.polygon([(100, 300), (200, 110), (300, 300)], fill=(250, 250, 250, 255))
    big.resize((100, 100), Image.LANCZOS).save(sys.argv[2])
