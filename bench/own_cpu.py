#!/usr/bin/env python3
# Our own CPU per frame from `perf script -F comm,tid,ip,sym,dso` on stdin.
# Usage: own_cpu.py BINARY_NAME FRAMES SAMPLE_PERIOD_MS
# A sample is ours when it lies inside drawFrame and its first frame outside libm, libc and
# libstdc++ is in BINARY_NAME.
import sys, re, collections
binname = sys.argv[1]; frames = float(sys.argv[2]); period_ms = float(sys.argv[3])
ours = collections.Counter(); total_in_frame = 0; allsamples = 0
def classify(stack):
    # stack: list of (sym, dso) leaf first
    if not any('drawFrame' in s for s, d in stack):
        return None
    # The leaf counts as ours when the first frame outside libm, libc and libstdc++ is ours.
    for s, d in stack:
        if any(k in d for k in ('libm.so', 'libc.so', 'libstdc++')):
            continue
        return stack[0][0] if binname in d else False
    return False
stack = []
def flush():
    global total_in_frame, allsamples
    if not stack: return
    allsamples += 1
    c = classify(stack)
    if c is not None:
        total_in_frame += 1
        if c: ours[c] += 1
for line in sys.stdin:
    line = line.rstrip('\n')
    if not line.strip():
        flush(); stack = []; continue
    if line.startswith('\t') or line.startswith(' '):
        m = re.match(r'\s+[0-9a-f]+\s+(.*?)\s+\((.*)\)$', line)
        if m: stack.append((m.group(1), m.group(2)))
flush()
n = sum(ours.values())
print(f"samples {allsamples}, in frames {total_in_frame}, ours {n}: {n*period_ms/frames:.3f} ms/frame own CPU, {total_in_frame*period_ms/frames:.2f} ms/frame main thread in drawFrame")
for s, c in ours.most_common(15):
    print(f"  {c*period_ms/frames:.3f} ms  {s[:110]}")
