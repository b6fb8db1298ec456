#!/usr/bin/env python3
"""How far a supersampled frame is from today's: the same moments captured at 1x and with
--supersample 2 (in linear light, and averaging the stored values), each pair compared off the
edges and on them. Edges are the pixels where the 1x frame's brightest channel steps by more than
24 levels to a neighbour, and their neighbours. Standard library and ffmpeg only.

  bench/supersample_difference.py BUILD_DIR [SIZE [MOMENT ...]]   (DISPLAY set; LP_NUM_THREADS=2)
"""
import os
import subprocess
import sys
import tempfile

build = os.path.abspath(sys.argv[1])
size = sys.argv[2] if len(sys.argv) > 2 else '1280x720'
moments = [int(m) for m in sys.argv[3:]] or [85000, 96000, 190000, 240000, 270000, 330000]
width, height = (int(v) for v in size.split('x'))


def capture(folder, moment, extra):
    subprocess.run([os.path.join(build, 'orvalune-capture'), '--from', str(moment), '--to', str(moment), '--size',
                    size, '--out', folder] + extra, cwd=build, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    png = os.path.join(folder, 'frame_000000.png')
    return subprocess.run(['ffmpeg', '-nostdin', '-v', 'error', '-i', png, '-f', 'rawvideo', '-pix_fmt', 'rgb24', '-'],
                          check=True, stdout=subprocess.PIPE).stdout


def edges(rgb):
    bright = [max(rgb[i], rgb[i + 1], rgb[i + 2]) for i in range(0, len(rgb), 3)]
    step = [False] * len(bright)
    for y in range(height):
        row = y * width
        for x in range(width):
            i = row + x
            if (x + 1 < width and abs(bright[i] - bright[i + 1]) > 24) or \
               (y + 1 < height and abs(bright[i] - bright[i + width]) > 24):
                step[i] = True
                step[i + 1 if x + 1 < width else i] = step[i + width if y + 1 < height else i] = True
    near = step[:]
    for i, on in enumerate(step):
        if on:
            for j in (i - 1, i + 1, i - width, i + width):
                if 0 <= j < len(near):
                    near[j] = True
    return near


def summary(differences):
    if not differences:
        return 'none'
    differences.sort()
    mean = sum(differences) / len(differences)
    p99 = differences[min(len(differences) - 1, int(0.99 * len(differences)))]
    over = 100.0 * sum(1 for d in differences if d > 16) / len(differences)
    return f'mean {mean:.2f}, p99 {p99}, max {differences[-1]}, >16: {over:.2f}%'


print(f'| moment | average | off edges: share, mean, p99, max, >16 levels | on edges: share, mean, p99, max, >16 levels |')
print('|---|---|---|---|')
with tempfile.TemporaryDirectory() as work:
    for moment in moments:
        plain = capture(os.path.join(work, f'a{moment}'), moment, [])
        near = edges(plain)
        share = 100.0 * sum(near) / len(near)
        for name, extra in (('linear', ['--supersample', '2']),
                            ('stored', ['--supersample', '2', '--average-in', 'stored'])):
            sharper = capture(os.path.join(work, f'{name}{moment}'), moment, extra)
            off, on = [], []
            for p in range(len(near)):
                d = max(abs(plain[3 * p + c] - sharper[3 * p + c]) for c in range(3))
                (on if near[p] else off).append(d)
            print(f'| {moment} | {name} | {100 - share:.1f}%: {summary(off)} | {share:.1f}%: {summary(on)} |')
