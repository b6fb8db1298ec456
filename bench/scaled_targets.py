#!/usr/bin/env python3
"""Fine detail and faithfulness of a 4K master with scaled targets, against the 720p frame.

For each moment: the played frame at 1280x720, and at 3840x2160 --supersample 2 with and
without --scale-targets; then four frames of a range at 4K from the first moment, with and
without, for the seconds a frame. Detail is the mean absolute 4-neighbour Laplacian of the luma (BT.709
weights on the stored values) over a 640x360 crop of the 4K frame; the 720p frame is scaled 3x
with Lanczos and cropped alike (its 213x120 region at a third of the crop's place). Faithfulness
is the mean absolute difference per colour value between the 4K frame reduced to 1280x720 (area
average) and the 720p frame. Standard library and ffmpeg only.

  bench/scaled_targets.py BUILD_DIR [MOMENT:CROP_X:CROP_Y ...]   (LP_NUM_THREADS=2)

Default moments: the ropes at 230 s (crop at 1200,1140) and the forest at 80 s (crop at 1200,1140).
"""
import os
import re
import subprocess
import sys
import tempfile

build = os.path.abspath(sys.argv[1])
moments = [tuple(int(v) for v in m.split(':')) for m in sys.argv[2:]] or [(230000, 1200, 1140), (80000, 1200, 1140)]
CROP_W, CROP_H = 640, 360


def capture(folder, extra):
    """Runs the capture into a fresh folder: its log, the wall seconds and the peak resident MB."""
    timing = folder + '.time'
    run = subprocess.run(['/usr/bin/time', '-f', '%e %M', '-o', timing, os.path.join(build, 'orvalune-capture'),
                          '--out', folder] + extra, cwd=build, check=True, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, text=True)
    wall, kb = open(timing).read().split()[-2:]
    return run.stderr, float(wall), int(kb) // 1024


def frames_time(log):
    """Seconds the capture spent on its frames (drawing, finishing and reading back, encoding)."""
    found = re.search(r'([0-9.]+) s drawing, ([0-9.]+) s finishing and reading back, ([0-9.]+) s waiting', log)
    return sum(float(v) for v in found.groups())


def rgb(png, filters):
    return subprocess.run(['ffmpeg', '-nostdin', '-v', 'error', '-i', png, '-vf', filters, '-f', 'rawvideo',
                           '-pix_fmt', 'rgb24', '-'], check=True, stdout=subprocess.PIPE).stdout


def detail(pixels, width, height):
    luma = [0.2126 * pixels[i] + 0.7152 * pixels[i + 1] + 0.0722 * pixels[i + 2] for i in range(0, len(pixels), 3)]
    total = 0.0
    for y in range(1, height - 1):
        row = y * width
        for x in range(1, width - 1):
            i = row + x
            total += abs(4 * luma[i] - luma[i - 1] - luma[i + 1] - luma[i - width] - luma[i + width])
    return total / ((width - 2) * (height - 2))


def difference(a, b):
    return sum(abs(p - q) for p, q in zip(a, b)) / len(a)


MASTER = ['--size', '3840x2160', '--supersample', '2']
with tempfile.TemporaryDirectory() as work:
    for moment, cx, cy in moments:
        crop = f'crop={CROP_W}:{CROP_H}:{cx}:{cy}'
        frame = f'at_{moment:06d}.png'
        folder = os.path.join(work, f'{moment}-720p')
        capture(folder, ['--at', str(moment), '--size', '1280x720'])
        plain = os.path.join(folder, frame)
        upscaled = detail(rgb(plain, f'scale=3840:2160:flags=lanczos,{crop}'), CROP_W, CROP_H)
        plain_rgb = rgb(plain, 'null')
        print(f'{moment / 1000:g} s, 720p scaled 3x with Lanczos: detail {upscaled:.2f}')
        for name, extra in (('4K --supersample 2', []), ('4K --supersample 2 --scale-targets', ['--scale-targets'])):
            folder = os.path.join(work, f'{moment}-{len(extra)}')
            _, wall, mb = capture(folder, ['--at', str(moment)] + MASTER + extra)
            png = os.path.join(folder, frame)
            sharp = detail(rgb(png, crop), CROP_W, CROP_H)
            reduced = difference(rgb(png, 'scale=1280:720:flags=area'), plain_rgb)
            print(f'{moment / 1000:g} s, {name}: detail {sharp:.2f} ({sharp / upscaled:.2f}x); reduced to 1280x720, '
                  f'{reduced:.2f} levels from the 720p frame on average; {wall:.0f} s, {mb} MB peak')
    # Seconds a frame of a played range: four frames from the first moment, as the capture times
    # them (start-up left out).
    first = moments[0][0]
    for name, extra in (('4K --supersample 2', []), ('4K --supersample 2 --scale-targets', ['--scale-targets'])):
        log, _, mb = capture(os.path.join(work, f'range-{len(extra)}'),
                             ['--from', str(first), '--to', str(first + 300), '--fps', '10'] + MASTER + extra)
        print(f'{name}: {frames_time(log) / 4:.2f} s a frame over 4 frames from {first / 1000:g} s, {mb} MB peak')
