#!/usr/bin/env python3
"""Compares the sample data of float WAV renders (headers may carry dates).
Usage: compare_wav.py A.wav B.wav -> prints 'same' or 'differ <max abs difference>'."""
import struct
import sys


def samples(path):
    data = open(path, 'rb').read()
    pos = 12
    while pos + 8 <= len(data):
        tag, size = data[pos:pos + 4], struct.unpack('<I', data[pos + 4:pos + 8])[0]
        if tag == b'data':
            body = data[pos + 8:pos + 8 + size]
            return struct.unpack('<%df' % (len(body) // 4), body[:len(body) // 4 * 4])
        pos += 8 + size + (size & 1)
    sys.exit('no data chunk in ' + path)


a, b = samples(sys.argv[1]), samples(sys.argv[2])
if len(a) != len(b):
    print('differ length %d %d' % (len(a), len(b)))
elif a == b:
    print('same %d %.6f' % (len(a), max(abs(x) for x in a)))
else:
    print('differ %.6f' % max(abs(x - y) for x, y in zip(a, b)))
