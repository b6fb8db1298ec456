#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora into fuzz/corpus/: small valid inputs of each kind and
the hostile cases the runtime must refuse with a message (huge declared sizes, an entry whose
directory and local header disagree, chained music whose links differ in channels). Needs ffmpeg
for the JPEG and Ogg Vorbis seeds. Deterministic: running it again gives the same files."""
import os, struct, subprocess, tempfile, zipfile, zlib, io

here = os.path.dirname(os.path.abspath(__file__))

def put(kind, name, data):
    folder = os.path.join(here, 'corpus', kind)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)

# ---- meshes ---------------------------------------------------------------------------------
def t3d(vertices, faces, count_v=None, count_f=None):
    out = b'T3D1' + struct.pack('<II', len(vertices) if count_v is None else count_v,
                                len(faces) if count_f is None else count_f)
    for v in vertices:
        out += struct.pack('<8f', *v)
    for (a, b, c) in faces:
        out += struct.pack('<3f3I', 0, 0, 1, a, b, c)
    return out

tri = t3d([(0, 0, 0, 0, 0, 1, 0, 0), (1, 0, 0, 0, 0, 1, 1, 0), (0, 1, 0, 0, 0, 1, 0, 1)], [(0, 1, 2)])
put('mesh', 'triangle.t3d', tri)
put('mesh', 'truncated.t3d', tri[:-1])
put('mesh', 'huge-counts.t3d', t3d([], [], 0xFFFFFFFF, 0x0AAAAAAB))
put('mesh', 'index-beyond.t3d', t3d([(0,) * 8] * 3, [(0, 1, 3)]))
put('mesh', 'empty.t3d', b'')

# ---- images ---------------------------------------------------------------------------------
def chunk(kind, body):
    return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))

def png(width, height, colour, depth, rows, extra=b''):
    ihdr = struct.pack('>IIBBBBB', width, height, depth, colour, 0, 0, 0)
    raw = b''.join(b'\0' + r for r in rows)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + extra + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b'')

put('image', 'rgba.png', png(4, 2, 6, 8, [bytes([255, 0, 0, 255] * 4), bytes([0, 0, 255, 128] * 4)]))
put('image', 'palette-transparent.png',
    png(2, 2, 3, 8, [b'\0\1', b'\1\0'], chunk(b'PLTE', bytes([10, 20, 30, 200, 100, 50])) + chunk(b'tRNS', b'\x80')))
put('image', 'grey16.png', png(3, 3, 0, 16, [b'\x12\x34' * 3] * 3))
# 16000 x 16000 declared in a file of under a hundred bytes: refused before decoding.
put('image', 'huge-declared.png', png(16000, 16000, 6, 8, [b''])[:33] +
    chunk(b'IDAT', zlib.compress(b'\0' * 64)) + chunk(b'IEND', b''))
put('image', 'truncated.png', png(4, 2, 6, 8, [bytes(16), bytes(16)])[:50])

with tempfile.TemporaryDirectory() as tmp:
    jpg = os.path.join(tmp, 'a.jpg')
    subprocess.run(['ffmpeg', '-v', 'error', '-y', '-f', 'lavfi', '-i', 'testsrc=size=16x16:rate=1',
                    '-frames:v', '1', '-pix_fmt', 'yuvj420p', '-bitexact', jpg], check=True)
    small = open(jpg, 'rb').read()
    put('image', 'small.jpg', small)
    # The frame header's height and width, declared 16000 x 16000.
    sof = small.find(b'\xff\xc0')
    huge = bytearray(small)
    struct.pack_into('>HH', huge, sof + 5, 16000, 16000)
    put('image', 'huge-declared.jpg', bytes(huge))
    # A Huffman table whose sixteen code counts add up to more than 256 symbols.
    dht = small.find(b'\xff\xc4')
    bad = bytearray(small)
    for i in range(16):
        bad[dht + 5 + i] = 0x20
    put('image', 'huffman-counts-over-256.jpg', bytes(bad))
    put('image', 'truncated.jpg', small[:len(small) // 2])

    # ---- music --------------------------------------------------------------------------------
    def ogg(channels, serial, seconds='0.2'):
        path = os.path.join(tmp, f'{channels}.ogg')
        subprocess.run(['ffmpeg', '-v', 'error', '-y', '-f', 'lavfi', '-i', f'sine=frequency=440:duration={seconds}',
                        '-ac', str(channels), '-ar', '44100', '-c:a', 'libvorbis', '-q:a', '0',
                        '-serial_offset', str(serial), '-fflags', '+bitexact', '-flags:a', '+bitexact', path],
                       check=True)
        return open(path, 'rb').read()
    stereo, mono = ogg(2, 1000), ogg(1, 2000)
    put('music', 'stereo.ogg', stereo)
    put('music', 'chained-stereo-then-mono.ogg', stereo + mono)
    put('music', 'truncated.ogg', stereo[:len(stereo) // 2])
    put('music', 'empty.ogg', b'')

# ---- archives -------------------------------------------------------------------------------
def stored_zip(files):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, 'w', zipfile.ZIP_STORED) as z:
        for name, data in files:
            info = zipfile.ZipInfo(name, date_time=(2020, 1, 1, 0, 0, 0))
            z.writestr(info, data)
    return bytearray(buffer.getvalue())

def directory_entries(data):
    at, found = 0, []
    while (at := data.find(b'PK\x01\x02', at)) >= 0:
        found.append(at)
        at += 4
    return found

files = [('a.glsl', b'void main() {}\n'), ('b.png', png(1, 1, 2, 8, [b'\1\2\3'])), ('c.t3d', tri)]
put('archive', 'good.zip', bytes(stored_zip(files)))
mismatch = stored_zip(files)
struct.pack_into('<I', mismatch, directory_entries(mismatch)[1] + 24, 5000)
put('archive', 'directory-size-mismatch.zip', bytes(mismatch))
huge = stored_zip(files)
entry = directory_entries(huge)[1]
struct.pack_into('<II', huge, entry + 20, 3 << 30, 3 << 30)
local = struct.unpack_from('<I', huge, entry + 42)[0]
struct.pack_into('<II', huge, local + 18, 3 << 30, 3 << 30)
put('archive', 'huge-declared-entry.zip', bytes(huge))
# A symbolic link (as Unix zip tools store one) whose target declares 3 GB: PhysicsFS sizes the
# buffer for the target from that.
link = stored_zip(files + [('link', b'a.glsl')])
entry = directory_entries(link)[3]
struct.pack_into('<H', link, entry + 4, 0x031e)            # made by Unix
struct.pack_into('<I', link, entry + 24, 3 << 30)          # uncompressed size
struct.pack_into('<I', link, entry + 38, 0o120777 << 16)   # external attributes: a link
local = struct.unpack_from('<I', link, entry + 42)[0]
struct.pack_into('<I', link, local + 22, 3 << 30)
put('archive', 'link-declaring-gigabytes.zip', bytes(link))
buffer = io.BytesIO()
with zipfile.ZipFile(buffer, 'w', zipfile.ZIP_DEFLATED) as z:
    info = zipfile.ZipInfo('zeros.txt', date_time=(2020, 1, 1, 0, 0, 0))
    info.compress_type = zipfile.ZIP_DEFLATED
    z.writestr(info, b'\0' * 100000)
put('archive', 'deflated.zip', buffer.getvalue())
put('archive', 'empty.zip', b'')
