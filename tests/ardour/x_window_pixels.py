#!/usr/bin/env python3
"""Reads an X window's pixels (XGetImage through ctypes) and compares them with a PNG
picture of the same size: prints the size, how many pixels differ, and whether the
window is blank (a single colour). Optionally writes the window as a PNG.
Usage: x_window_pixels.py WINDOW_ID REFERENCE.png [SHOT.png]"""
import ctypes
import struct
import sys
import zlib


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


def window_rgb(window):
    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XGetGeometry.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_void_p] * 7
    x11.XGetImage.restype = ctypes.POINTER(XImage)
    x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                              ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("no X display")
    root, x, y = ctypes.c_ulong(), ctypes.c_int(), ctypes.c_int()
    w, h, border, depth = ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint()
    x11.XGetGeometry(display, window, ctypes.byref(root), ctypes.byref(x), ctypes.byref(y), ctypes.byref(w),
                     ctypes.byref(h), ctypes.byref(border), ctypes.byref(depth))
    image = x11.XGetImage(display, window, 0, 0, w.value, h.value, 0xFFFFFFFF, 2).contents  # ZPixmap
    if image.bits_per_pixel != 32:
        sys.exit("unexpected pixel format: %d bits" % image.bits_per_pixel)
    rows = []
    for row in range(h.value):
        line = ctypes.string_at(image.data + row * image.bytes_per_line, w.value * 4)
        rgb = bytearray(w.value * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = line[2::4], line[1::4], line[0::4]  # BGRX in memory
        rows.append(bytes(rgb))
    return w.value, h.value, rows


def png_rgb(path):
    data = open(path, "rb").read()
    pos, idat = 8, b""
    while pos < len(data):
        size, kind = struct.unpack(">I4s", data[pos:pos + 8])
        if kind == b"IHDR":
            w, h, bits, colour = struct.unpack(">IIBB", data[pos + 8:pos + 18])
        elif kind == b"IDAT":
            idat += data[pos + 8:pos + 8 + size]
        pos += 12 + size
    if bits != 8 or colour not in (2, 6):
        sys.exit("%s: only 8-bit RGB or RGBA pictures" % path)
    channels = 3 if colour == 2 else 4
    raw, stride = zlib.decompress(idat), w * channels
    previous, rows = bytearray(stride), []
    for row in range(h):
        kind = raw[row * (stride + 1)]
        line = bytearray(raw[row * (stride + 1) + 1:(row + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up, corner = previous[i], previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        previous = line
        rows.append(bytes(line) if channels == 3 else bytes(b for i, b in enumerate(line) if i % 4 != 3))
    return w, h, rows


def write_png(path, w, h, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
    pixels = zlib.compress(b"".join(b"\0" + row for row in rows), 6)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)) +
                  chunk(b"IDAT", pixels) + chunk(b"IEND", b""))


def main():
    w, h, shot = window_rgb(int(sys.argv[1], 0))
    if len(sys.argv) > 3:
        write_png(sys.argv[3], w, h, shot)
    rw, rh, reference = png_rgb(sys.argv[2])
    colours = {row[i:i + 3] for row in shot[::7] for i in range(0, len(row), 21)}
    differing = sum(1 for a, b in zip(shot, reference) for i in range(0, min(len(a), len(b)), 3)
                    if a[i:i + 3] != b[i:i + 3]) if (w, h) == (rw, rh) else w * h
    print("size %dx%d reference %dx%d differing %d of %d blank %d" %
          (w, h, rw, rh, differing, w * h, 1 if len(colours) <= 1 else 0))


main()
