#!/usr/bin/python3
"""Makes the test brand's picture: a PNG wider than high, a mountain under a
sky, with a transparent corner.   picture.py OUT.png"""
import sys
from PIL import Image, ImageDraw

im = Image.new("RGBA", (160, 100), (90, 150, 230, 255))
draw = ImageDraw.Draw(im)
draw.polygon([(10, 99), (80, 15), (150, 99)], fill=(40, 110, 50, 255))
draw.polygon([(66, 32), (80, 15), (94, 32)], fill=(250, 250, 250, 255))
draw.ellipse([120, 8, 145, 33], fill=(250, 200, 30, 255))
draw.rectangle([0, 0, 29, 19], fill=(0, 0, 0, 0))
im.save(sys.argv[1])
