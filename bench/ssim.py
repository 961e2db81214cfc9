#!/usr/bin/python3
"""Mean SSIM of pictures against a reference, on luma, as scikit-image computes it by default
(7 x 7 uniform window, K1 0.01, K2 0.03, sample covariance).

Usage: bench/ssim.py REFERENCE PICTURE...   prints "SSIM PICTURE" per picture.
Pictures are read through `vips` (any format it loads: JPEG, WebP, AVIF, PNG) as 8-bit sRGB.
"""
import os
import subprocess
import sys
import tempfile

import numpy as np


def luma(path):
    with tempfile.TemporaryDirectory() as work:
        ppm = os.path.join(work, "p.ppm")
        subprocess.run(["vips", "colourspace", path, ppm, "srgb"], check=True,
                       stderr=subprocess.DEVNULL)
        with open(ppm, "rb") as f:
            data = f.read()
    # Binary PPM: "P6\n<w> <h>\n<max>\n" then the pixels.
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    width, height = int(fields[1]), int(fields[2])
    rgb = np.frombuffer(data[pos + 1:pos + 1 + width * height * 3], dtype=np.uint8)
    rgb = rgb.reshape(height, width, 3).astype(np.float64)
    return 0.299 * rgb[..., 0] + 0.587 * rgb[..., 1] + 0.114 * rgb[..., 2]


def window_mean(image, size=7):
    total = np.cumsum(np.cumsum(np.pad(image, ((1, 0), (1, 0))), axis=0), axis=1)
    sums = (total[size:, size:] - total[:-size, size:] - total[size:, :-size] +
            total[:-size, :-size])
    return sums / (size * size)


def ssim(x, y, size=7):
    c1, c2 = (0.01 * 255) ** 2, (0.03 * 255) ** 2
    n = size * size
    cov = n / (n - 1)
    ux, uy = window_mean(x, size), window_mean(y, size)
    vx = cov * (window_mean(x * x, size) - ux * ux)
    vy = cov * (window_mean(y * y, size) - uy * uy)
    vxy = cov * (window_mean(x * y, size) - ux * uy)
    s = ((2 * ux * uy + c1) * (2 * vxy + c2)) / ((ux * ux + uy * uy + c1) * (vx + vy + c2))
    pad = (size - 1) // 2
    return s[pad:s.shape[0] - pad, pad:s.shape[1] - pad].mean()


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    reference = luma(sys.argv[1])
    for path in sys.argv[2:]:
        picture = luma(path)
        if picture.shape != reference.shape:
            sys.exit(f"{path}: size differs from the reference")
        print(f"{ssim(reference, picture):.4f} {path}")


if __name__ == "__main__":
    main()
