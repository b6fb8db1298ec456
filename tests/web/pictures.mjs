// The capture's PNG files read back (8-bit RGB or RGBA, not interlaced: what our writer and
// Chromium's screenshots make) and two pictures compared.
import { inflateSync } from 'node:zlib';

export function decodePng(bytes) {
  const signature = [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a];
  if (!signature.every((b, i) => bytes[i] === b)) throw new Error('not a PNG file');
  let offset = 8, width = 0, height = 0, channels = 0;
  const data = [];
  while (offset < bytes.length) {
    const length = bytes.readUInt32BE(offset);
    const type = bytes.toString('latin1', offset + 4, offset + 8);
    const body = bytes.subarray(offset + 8, offset + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      const [depth, colour, , , interlace] = body.subarray(8, 13);
      channels = { 2: 3, 6: 4 }[colour];
      if (depth !== 8 || !channels || interlace) throw new Error('an unexpected PNG layout');
    } else if (type === 'IDAT') {
      data.push(body);
    }
    offset += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const rgb = Buffer.alloc(width * height * 3);
  let previous = Buffer.alloc(stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    for (let i = 0; i < stride; ++i) {
      const left = i >= channels ? line[i - channels] : 0, up = previous[i], corner = i >= channels ? previous[i - channels] : 0;
      let predicted = 0;
      if (filter === 1) predicted = left;
      else if (filter === 2) predicted = up;
      else if (filter === 3) predicted = (left + up) >> 1;
      else if (filter === 4) {
        const p = left + up - corner, pa = Math.abs(p - left), pb = Math.abs(p - up), pc = Math.abs(p - corner);
        predicted = pa <= pb && pa <= pc ? left : pb <= pc ? up : corner;
      }
      line[i] = (line[i] + predicted) & 255;
    }
    for (let x = 0; x < width; ++x)
      for (let c = 0; c < 3; ++c) rgb[(y * width + x) * 3 + c] = line[x * channels + c];
    previous = line;
  }
  return { width, height, rgb };
}

// How far two pictures of one size are apart: the mean absolute difference of the channels
// (0..255), the shares of pixels whose largest channel difference passes 8 (`nearShare`: a dim
// layer missing in a dark scene) and 32 (`farShare`: a bright thing missing or misplaced), and the
// mean brightness of each.
export function comparePictures(a, b) {
  if (a.width !== b.width || a.height !== b.height) throw new Error(`sizes differ: ${a.width}x${a.height} and ${b.width}x${b.height}`);
  const pixels = a.width * a.height;
  let sum = 0, near = 0, far = 0, brightA = 0, brightB = 0;
  for (let p = 0; p < pixels; ++p) {
    let largest = 0;
    for (let c = 0; c < 3; ++c) {
      const x = a.rgb[p * 3 + c], y = b.rgb[p * 3 + c];
      const d = Math.abs(x - y);
      sum += d;
      brightA += x;
      brightB += y;
      if (d > largest) largest = d;
    }
    if (largest > 8) ++near;
    if (largest > 32) ++far;
  }
  return { meanDifference: sum / (pixels * 3), nearShare: near / pixels, farShare: far / pixels,
    brightnessA: brightA / (pixels * 3), brightnessB: brightB / (pixels * 3) };
}
