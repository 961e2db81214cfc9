#!/usr/bin/python3
"""Mean SSIM between pictures of the same name in two folders, as bench/ssim.py computes it.

Usage: bench/ssim_pairs.py [--strip-prefix] [--each] FOLDER_A FOLDER_B [REFERENCE_FOLDER]
Pairs each picture of FOLDER_A with the one of FOLDER_B whose name is the same but for the
extension (with --strip-prefix also up to the first "_", so gross_p01.jpg pairs with p01.webp). Prints the mean SSIM of A against B over all pairs and the lowest pair; with a
REFERENCE_FOLDER (pictures of the same names, any extension), also the mean SSIM of
A and of B against the reference and their difference, which is how far the two ways of making
the pictures are apart in quality. --each prints these figures for every pair too.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from ssim import luma, ssim  # noqa: E402


def key(name, strip):
    stem = name.rsplit(".", 1)[0]
    return stem.split("_", 1)[1] if strip and "_" in stem else stem


def pictures(folder, strip):
    found = {}
    for name in sorted(os.listdir(folder)):
        if name.lower().rsplit(".", 1)[-1] in ("jpg", "jpeg", "webp", "avif", "png"):
            found[key(name, strip)] = os.path.join(folder, name)
    return found


def main():
    args = sys.argv[1:]
    strip, each = "--strip-prefix" in args, "--each" in args
    args = [a for a in args if a not in ("--strip-prefix", "--each")]
    if len(args) not in (2, 3):
        sys.exit(__doc__)
    a, b = pictures(args[0], strip), pictures(args[1], strip)
    reference = pictures(args[2], False) if len(args) == 3 else {}
    names = [n for n in a if n in b and (not reference or n in reference)]
    if not names:
        sys.exit("no pictures of the same name")
    pairs, to_ref_a, to_ref_b = [], [], []
    for name in names:
        x, y = luma(a[name]), luma(b[name])
        if x.shape != y.shape:
            sys.exit(f"{name}: sizes differ")
        pairs.append((ssim(x, y), name))
        if reference:
            r = luma(reference[name])
            to_ref_a.append(ssim(r, x))
            to_ref_b.append(ssim(r, y))
        if each:
            line = f"{pairs[-1][0]:.4f} {name}"
            if reference:
                line += f" (against the reference: A {to_ref_a[-1]:.4f}, B {to_ref_b[-1]:.4f})"
            print(line)
    mean = sum(s for s, _ in pairs) / len(pairs)
    print(f"{len(pairs)} pairs: SSIM A against B mean {mean:.4f}, lowest {min(pairs)[0]:.4f} "
          f"({min(pairs)[1]})")
    if reference:
        ma, mb = sum(to_ref_a) / len(names), sum(to_ref_b) / len(names)
        print(f"against the reference: A {ma:.4f}, B {mb:.4f}, A - B {ma - mb:+.4f}")


if __name__ == "__main__":
    main()
