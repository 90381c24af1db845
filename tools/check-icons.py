#!/usr/bin/env python3
"""Checks that Windows can read every image of the given icon files.

  check-icons.py FILE...

A FILE ending in .rc stands for every ICON its script names. Windows loads an
icon image either as an uncompressed bitmap (BITMAPINFOHEADER, BI_RGB) or as
a PNG with colour type 6 (RGBA) and bit depth 8; it leaves any other PNG
blank, while Wine decodes them all. Exits 1 naming each image of another
kind.
"""
import os
import re
import struct
import sys

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
PNG_RGBA = 6
BI_RGB = 0
BITMAP_HEADER_SIZE = 40
BITMAP_DEPTHS = (1, 4, 8, 24, 32)


def icons_of_script(path):
    folder = os.path.dirname(path)
    with open(path, encoding="utf-8", errors="replace") as script:
        names = re.findall(r'^\s*\w+\s+ICON\s+"([^"]+)"', script.read(), re.MULTILINE)
    return [os.path.join(folder, name.replace("\\\\", "/")) for name in names]


def png_problem(image, width, height):
    if len(image) < 33 or image[12:16] != b"IHDR":
        return "PNG without its header"
    png_width, png_height, depth, colour = struct.unpack(">IIBB", image[16:26])
    if colour != PNG_RGBA or depth != 8:
        return f"PNG of colour type {colour}, bit depth {depth}"
    if (png_width, png_height) != (width, height):
        return f"PNG of {png_width}x{png_height} in an entry of {width}x{height}"
    return None


def bitmap_problem(image, width, height):
    if len(image) < BITMAP_HEADER_SIZE:
        return "neither PNG nor bitmap"
    size, bmp_width, bmp_height, planes, depth, compression = struct.unpack(
        "<IiiHHI", image[:20])
    if size != BITMAP_HEADER_SIZE or compression != BI_RGB or depth not in BITMAP_DEPTHS:
        return f"bitmap of header {size}, compression {compression}, {depth} bits"
    # The height counts the colour image and the mask below it.
    if (bmp_width, bmp_height) != (width, 2 * height) or planes != 1:
        return f"bitmap of {bmp_width}x{bmp_height} in an entry of {width}x{height}"
    return None


def problems(path):
    with open(path, "rb") as icon:
        data = icon.read()
    if len(data) < 6:
        return ["no icon directory"]
    reserved, kind, count = struct.unpack("<HHH", data[:6])
    if reserved != 0 or kind != 1 or count == 0:
        return ["not an icon file"]
    found = []
    for index in range(count):
        entry = data[6 + 16 * index:22 + 16 * index]
        if len(entry) < 16:
            return found + [f"entry {index} cut short"]
        width, height, _, _, _, _, size, offset = struct.unpack("<BBBBHHII", entry)
        width, height = width or 256, height or 256
        image = data[offset:offset + size]
        if len(image) != size:
            found.append(f"entry {index} ({width}x{height}) lies beyond the file")
            continue
        check = png_problem if image.startswith(PNG_SIGNATURE) else bitmap_problem
        problem = check(image, width, height)
        if problem:
            found.append(f"entry {index} ({width}x{height}): {problem}")
    return found


def main(arguments):
    files = []
    for argument in arguments:
        files += icons_of_script(argument) if argument.endswith(".rc") else [argument]
    failed = False
    for path in files:
        for problem in problems(path):
            print(f"{path}: {problem}")
            failed = True
    print(f"{len(files)} icon files checked")
    return 1 if failed or not files else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
