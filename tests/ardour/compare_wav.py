#!/usr/bin/env python3
"""Compares two 32-bit float WAV renders by their samples (headers may carry dates).
Usage: compare_wav.py A.wav B.wav
Prints one line of key/value pairs: frames_a frames_b channels peak_a peak_b rms_a
rms_b finite_a finite_b max_diff (largest sample difference over the common frames)."""
import math
import struct
import sys

WAVE_FORMAT_IEEE_FLOAT = 3
WAVE_FORMAT_EXTENSIBLE = 0xFFFE


def read_float_wav(path):
    """Returns (channels, samples) of a RIFF/WAVE file of 32-bit float samples."""
    data = open(path, 'rb').read()
    if data[:4] != b'RIFF' or data[8:12] != b'WAVE':
        sys.exit('%s: not a RIFF/WAVE file' % path)
    channels = None
    pos = 12
    while pos + 8 <= len(data):
        tag, size = data[pos:pos + 4], struct.unpack('<I', data[pos + 4:pos + 8])[0]
        body = data[pos + 8:pos + 8 + size]
        if tag == b'fmt ':
            code, channels, _, _, _, bits = struct.unpack('<HHIIHH', body[:16])
            if code == WAVE_FORMAT_EXTENSIBLE:
                code = struct.unpack('<H', body[24:26])[0]  # the sub-format GUID's first field
            if code != WAVE_FORMAT_IEEE_FLOAT or bits != 32:
                sys.exit('%s: not 32-bit float samples (format %d, %d bits)' % (path, code, bits))
        elif tag == b'data':
            if channels is None:
                sys.exit('%s: data before the format chunk' % path)
            count = len(body) // 4
            return channels, struct.unpack('<%df' % count, body[:count * 4])
        pos += 8 + size + (size & 1)
    sys.exit('%s: no data chunk' % path)


def rms(samples):
    return math.sqrt(sum(x * x for x in samples) / len(samples)) if samples else 0.0


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    (channels_a, a), (channels_b, b) = read_float_wav(sys.argv[1]), read_float_wav(sys.argv[2])
    if channels_a != channels_b:
        sys.exit('channel counts differ: %d and %d' % (channels_a, channels_b))
    finite_a = all(math.isfinite(x) for x in a)
    finite_b = all(math.isfinite(x) for x in b)
    max_diff = max((abs(x - y) for x, y in zip(a, b)), default=0.0)
    print('frames_a %d frames_b %d channels %d peak_a %.6f peak_b %.6f rms_a %.6f rms_b %.6f '
          'finite_a %d finite_b %d max_diff %.9g' % (
              len(a) // channels_a, len(b) // channels_b, channels_a,
              max(map(abs, a), default=0.0), max(map(abs, b), default=0.0), rms(a), rms(b),
              finite_a, finite_b, max_diff))


if __name__ == '__main__':
    main()
