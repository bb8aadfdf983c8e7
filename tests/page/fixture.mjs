// Makes a published page in a folder, the way the editor publishes a project: the picture,
// NAME.html, zarm_NAME.js (script template with the data block and the brightness script),
// qiv_zarim.css and the media folder "qiv_zarim" with its browser copies.
//
//   makeFixture(dir[, project]) -> { htmlPath, pageDir, name, project }
//
// A project is plain data (see defaultProject): picture size and pixels, regions painted as
// rectangles of palette indexes, the attribute cells by field name, background music and the
// brightness settings. Media files are made with ffmpeg and kept in a cache between runs.

import { execFileSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import zlib from 'node:zlib';

const here = path.dirname(fileURLToPath(import.meta.url));
export const templateDir = path.resolve(here, '../../data/template');
const ffmpeg = '/usr/bin/ffmpeg';
const mediaCache = path.join(os.tmpdir(), 'qiv-zarim-page-media');

// Order of the 17 values of one event in the data block.
export const valueOrder = [
  'link', 'linkNewWindow', 'sound', 'soundLoop', 'soundVolume', 'picture', 'pictureWidth',
  'pictureHeight', 'pictureFrame', 'video', 'videoLoop', 'videoWidth', 'videoHeight',
  'videoVolume', 'videoFrame', 'hint', 'hintStyle',
];
const contentFields = ['link', 'sound', 'picture', 'video', 'hint'];

const dark = [40, 40, 48];
const bright = [225, 225, 215];

// The picture is dark on its left half and bright on its right half.
export function defaultProject() {
  return {
    name: 'photo',
    pictureExtension: '.png',
    width: 600,
    height: 400,
    pixel: (x, y, w) => (x < w / 2 ? dark : bright),
    regions: [
      { color: 3, rect: [30, 30, 150, 120] },
      { color: 7, rect: [180, 30, 280, 120] },
      { color: 12, rect: [30, 200, 150, 300] },
      { color: 20, rect: [400, 250, 560, 370] },
      { color: 9, rect: [400, 30, 560, 120] },
      { color: 150, rect: [180, 200, 280, 300] },
    ],
    cells: {
      3: {
        0: {
          hint: 'Первая строка\\nвторая строка', hintStyle: '4',
          picture: '/home/author/pictures/flower.png', pictureWidth: '120', pictureHeight: '',
          pictureFrame: '4',
        },
        1: { link: 'target.html', linkNewWindow: '1' },
      },
      7: {
        0: { hint: 'Колокол', hintStyle: '7', sound: '/home/author/sounds/bell.wav', soundLoop: '1', soundVolume: '0.5' },
        1: { link: 'same.html', linkNewWindow: '0', hint: 'Щелчок', hintStyle: '2' },
        2: { link: 'double.html', linkNewWindow: '1', hint: 'Двойной щелчок', hintStyle: '10' },
      },
      12: {
        0: {
          video: '/home/author/clips/sea.avi', videoWidth: '160', videoHeight: '120', videoFrame: '6',
          videoLoop: '1', videoVolume: '0.3',
        },
        1: { sound: '/home/author/sounds/gong.ogg', soundLoop: '0', soundVolume: '' },
      },
      // Only a click set: no tooltip, so the keyboard layer names it by its number.
      20: { 1: { link: 'tap.html', linkNewWindow: '1', picture: '/home/author/pictures/leaf.png', pictureFrame: '0' } },
      // A link alone in the pointer-over set: followed on a click, not on a pointer move.
      // Flags and volumes alone do nothing.
      9: { 0: { link: 'over.html', linkNewWindow: '0', soundVolume: '0.5', hintStyle: '3' } },
    },
    music: null, // { file, volume, loop }
    effect: { mm: 20, nn: 20, depth: 10 },
    pictures: { 'flower.png': [200, 100, [200, 60, 60]], 'leaf.png': [90, 60, [60, 160, 60]] },
    missingMedia: [], // base names whose copies are left out
  };
}

export async function makeFixture(dir, project = defaultProject()) {
  fs.mkdirSync(dir, { recursive: true });
  const pictureName = project.name + project.pictureExtension;
  // A project may bring a smaller picture file than its size (the page shows it stretched).
  const [fileWidth, fileHeight] = project.pictureFileSize ?? [project.width, project.height];
  fs.writeFileSync(path.join(dir, pictureName),
      encodePng(fileWidth, fileHeight, (x, y) => project.pixel(x, y, fileWidth, fileHeight)));

  const indexes = paintMap(project);
  const block = buildDataBlock(project, indexes);
  const effect = project.effect ? buildEffectScript(project) : '';

  const page = fillTemplate('index.html', { '[FILENAME]': pictureName, '[NAME]': project.name });
  fs.writeFileSync(path.join(dir, project.name + '.html'), page);
  const script = fillTemplate('index.js', { '[FILENAME]': pictureName, '[NAME]': project.name },
      { '[DATA]': block, '[EFFECT]': effect });
  fs.writeFileSync(path.join(dir, 'zarm_' + project.name + '.js'), script);
  fs.copyFileSync(path.join(templateDir, 'qiv_zarim.css'), path.join(dir, 'qiv_zarim.css'));

  writeMedia(path.join(dir, 'qiv_zarim'), project);
  return { htmlPath: path.join(dir, project.name + '.html'), pageDir: dir, name: project.name, project };
}

// ---- Template filling ---------------------------------------------------------------------

const utf8Bom = Buffer.from([0xef, 0xbb, 0xbf]);

function replaceEvery(text, token, value) {
  return text.split(token).join(value);
}

// Reads a template (UTF-8, with or without its mark), makes every line break CR LF, replaces
// the per-line placeholders and then the whole-text ones in order, and writes it back in the
// template's encoding.
function fillTemplate(file, lineValues, textValues = {}) {
  const bytes = fs.readFileSync(path.join(templateDir, file));
  const hasBom = bytes.subarray(0, 3).equals(utf8Bom);
  let text = bytes.subarray(hasBom ? 3 : 0).toString('utf8').replace(/\r\n|\r|\n/g, '\r\n');
  for (const [token, value] of Object.entries(lineValues)) text = replaceEvery(text, token, value);
  for (const [token, value] of Object.entries(textValues)) text = replaceEvery(text, token, value);
  const body = Buffer.from(text, 'utf8');
  return hasBom ? Buffer.concat([utf8Bom, body]) : body;
}

// ---- Data block ---------------------------------------------------------------------------

function fileNameOf(p) {
  return p.slice(Math.max(p.lastIndexOf('\\'), p.lastIndexOf('/')) + 1);
}

function stripExtension(p) {
  const dot = p.lastIndexOf('.');
  return dot < 0 ? '' : p.slice(0, dot);
}

export function mediaUrl(p) {
  return p ? 'qiv_zarim/' + fileNameOf(p) : '';
}

export function videoUrl(p) {
  return p ? 'qiv_zarim/' + fileNameOf(stripExtension(p)) + '.mp4' : '';
}

function hexByte(v) {
  return v.toString(16).toUpperCase().padStart(2, '0');
}

// Apostrophes and backslashes are escaped, except the backslash of a "\n" line break.
function escapeValue(value) {
  let out = '';
  for (let i = 0; i < value.length; i++) {
    const c = value[i];
    if (c === "'") out += "\\'";
    else if (c === '\\') out += value[i + 1] === 'n' ? '\\' : '\\\\';
    else out += c;
  }
  return out;
}

function cellValue(project, color, event, field) {
  return project.cells[color]?.[event]?.[field] ?? '';
}

export function isInUse(project, color) {
  return [0, 1, 2].some((e) => contentFields.some((f) => cellValue(project, color, e, f) !== ''));
}

// Colour lines written: up to the last colour in use; all 200 when none is.
export function rowCountOf(project) {
  for (let c = 199; c >= 1; c--) if (isInUse(project, c)) return c + 1;
  return 200;
}

// Palette index of every map pixel; later regions paint over earlier ones.
function paintMap(project) {
  const { width, height } = project;
  const indexes = new Uint8Array(width * height);
  if (project.mapRows) return indexes; // the project brings its own encoded rows
  for (const { color, rect } of project.regions) {
    const [x0, y0, x1, y1] = rect;
    for (let y = Math.max(0, y0); y < Math.min(height, y1); y++) {
      indexes.fill(color, y * width + Math.max(0, x0), y * width + Math.min(width, x1));
    }
  }
  return indexes;
}

export function encodeMapRow(indexes, width, y) {
  let out = '';
  let x = 1;
  while (x < width) {
    const index = indexes[y * width + x];
    let run = 0;
    while (x < width && indexes[y * width + x] === index && run < 255) {
      run++;
      x += 3;
    }
    out += hexByte(index) + hexByte(run);
  }
  return out + '2323';
}

export function buildDataBlock(project, indexes) {
  const lines = [];
  lines.push(`SRC_WIDTH=${project.width}; SRC_HEIGHT=${project.height};`);
  lines.push('var DATA=new Array(');
  const rowCount = project.rowCount ?? rowCountOf(project);
  for (let c = 0; c < rowCount; c++) {
    let line = '';
    for (let e = 0; e < 3; e++) {
      for (const field of valueOrder) {
        let value = cellValue(project, c, e, field);
        if (field === 'sound' || field === 'picture') value = mediaUrl(value);
        if (field === 'video') value = videoUrl(value);
        line += "'" + escapeValue(value) + "',";
      }
    }
    lines.push(line);
  }
  const music = project.music ?? { file: '', volume: '1', loop: '0' };
  lines.push(`'${escapeValue(mediaUrl(music.file))}','${music.volume}','${music.loop}');`);
  lines.push(`var Count=${rowCount};`);
  if (project.mapRows) {
    project.mapRows.forEach((row, n) => lines.push(`C[${n}]="${row}";`));
  } else {
    for (let y = 1, n = 0; y < project.height; y += 3, n++) {
      lines.push(`C[${n}]="${encodeMapRow(indexes, project.width, y)}";`);
    }
  }
  return lines.map((line) => line + '\r\n').join('');
}

// ---- Brightness script ---------------------------------------------------------------------

const effectLines = [
  '// Image effects',
  'MM=[MM]; NN=[NN];',
  'IN=new Array([INTENSITIES]);',
  'px=MM*x/img.width;',
  'py=NN*y/img.height;',
  'X1=Math.floor(px); X2=X1+1; if (X2>=MM) X2=MM-1;',
  'Y1=Math.floor(py); Y2=Y1+1; if (Y2>=NN) Y2=NN-1;',
  'V1=IN[Y1*MM+X1]+(IN[Y1*MM+X2]-IN[Y1*MM+X1])*(px-X1);',
  'V2=IN[Y2*MM+X1]+(IN[Y2*MM+X2]-IN[Y2*MM+X1])*(px-X1);',
  'V=(V1+(V2-V1)*(py-Y1))/255;',
  'if (V<=0.5) V=1*100+100*[DEPTH]/20*(1-2*V);',
  'else V=1*100+50*[DEPTH]/20*(1-2*V);',
  'img.setAttribute("style","-webkit-filter:brightness(" + Math.round(V) + "%)");',
];

export function buildIntensities(project, mm, nn) {
  const { width: w, height: h } = project;
  const sums = new Float64Array(mm * nn);
  const counts = new Float64Array(mm * nn);
  for (let y = 0; y < h; y++) {
    for (let x = 0; x < w; x++) {
      const [r, g, b] = project.pixel(x, y, w, h);
      const cell = Math.floor((nn * y) / h) * mm + Math.floor((mm * x) / w);
      sums[cell] += r + g + b;
      counts[cell] += 3;
    }
  }
  let text = '';
  for (let row = 0; row < nn; row++) {
    for (let col = 0; col < mm; col++) {
      const cell = row * mm + col;
      let value;
      if (counts[cell]) value = Math.floor(sums[cell] / counts[cell]);
      else {
        const [r, g, b] = project.pixel(Math.floor(((col + 0.5) * w) / mm), Math.floor(((row + 0.5) * h) / nn), w, h);
        value = Math.floor((r + g + b) / 3);
      }
      text += value + (cell === mm * nn - 1 ? '' : ',');
    }
    text += '\n';
  }
  return text;
}

export function buildEffectScript(project) {
  const { mm, nn, depth } = project.effect;
  let script = effectLines.map((line) => line + '\n').join('');
  script = replaceEvery(script, '[MM]', String(mm));
  script = replaceEvery(script, '[NN]', String(nn));
  script = replaceEvery(script, '[DEPTH]', String(depth));
  return replaceEvery(script, '[INTENSITIES]', buildIntensities(project, mm, nn));
}

// ---- Media --------------------------------------------------------------------------------

function runFfmpegCached(args, extension, destination) {
  const key = createHash('sha256').update(args.join('\0')).digest('hex').slice(0, 16);
  const cached = path.join(mediaCache, key + extension);
  if (!fs.existsSync(cached)) {
    fs.mkdirSync(mediaCache, { recursive: true });
    const partial = path.join(mediaCache, `${key}.${process.pid}.part${extension}`);
    execFileSync(ffmpeg, ['-hide_banner', '-loglevel', 'error', ...args, '-y', partial], { stdio: 'pipe' });
    fs.renameSync(partial, cached);
  }
  fs.copyFileSync(cached, destination);
}

// A tone whose pitch tells the sounds apart.
function toneFrequency(name) {
  let sum = 0;
  for (const ch of name) sum += ch.codePointAt(0);
  return 300 + (sum % 50) * 10;
}

function makeSound(folder, base) {
  const tone = ['-f', 'lavfi', '-i', `sine=frequency=${toneFrequency(base)}:duration=1`];
  runFfmpegCached([...tone, '-c:a', 'libmp3lame', '-b:a', '64k'], '.mp3', path.join(folder, base + '.mp3'));
  runFfmpegCached([...tone, '-c:a', 'libvorbis', '-q:a', '2'], '.ogg', path.join(folder, base + '.ogg'));
}

function makeVideo(folder, base) {
  const input = [
    '-f', 'lavfi', '-i', 'testsrc=size=160x120:rate=15:duration=1',
    '-f', 'lavfi', '-i', `sine=frequency=${toneFrequency(base)}:duration=1`, '-shortest',
  ];
  runFfmpegCached([...input, '-c:v', 'libx264', '-pix_fmt', 'yuv420p', '-c:a', 'aac'], '.mp4', path.join(folder, base + '.mp4'));
  runFfmpegCached([...input, '-c:v', 'libvpx', '-b:v', '200k', '-c:a', 'libvorbis'], '.webm', path.join(folder, base + '.webm'));
  runFfmpegCached([...input, '-c:v', 'libtheora', '-c:a', 'libvorbis'], '.ogv', path.join(folder, base + '.ogv'));
}

function writeMedia(folder, project) {
  const sounds = new Set();
  const videos = new Set();
  const pictures = new Set();
  for (const events of Object.values(project.cells)) {
    for (const cell of Object.values(events)) {
      if (cell.sound) sounds.add(stripExtension(fileNameOf(cell.sound)));
      if (cell.video) videos.add(stripExtension(fileNameOf(cell.video)));
      if (cell.picture) pictures.add(fileNameOf(cell.picture));
    }
  }
  if (project.music?.file) sounds.add(stripExtension(fileNameOf(project.music.file)));
  const skip = new Set(project.missingMedia ?? []);
  if (!sounds.size && !videos.size && !pictures.size) return;
  fs.mkdirSync(folder, { recursive: true });
  for (const base of sounds) if (!skip.has(base)) makeSound(folder, base);
  for (const base of videos) if (!skip.has(base)) makeVideo(folder, base);
  for (const name of pictures) {
    const size = project.pictures?.[name];
    if (!size || skip.has(stripExtension(name))) continue;
    const [w, h, rgb] = size;
    fs.writeFileSync(path.join(folder, name), encodePng(w, h, () => rgb));
  }
}

// ---- PNG ----------------------------------------------------------------------------------

const crcTable = new Int32Array(256).map((_, n) => {
  let c = n;
  for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c;
});

function crc32(bytes) {
  let c = -1;
  for (const b of bytes) c = crcTable[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ -1) >>> 0;
}

function chunk(type, data) {
  const head = Buffer.alloc(8);
  head.writeUInt32BE(data.length, 0);
  head.write(type, 4, 'ascii');
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), data])), 0);
  return Buffer.concat([head, data, crc]);
}

// 8-bit RGB PNG; rgbAt(x, y) gives [r, g, b].
export function encodePng(width, height, rgbAt) {
  const raw = Buffer.alloc((width * 3 + 1) * height);
  for (let y = 0; y < height; y++) {
    const row = y * (width * 3 + 1);
    for (let x = 0; x < width; x++) {
      const [r, g, b] = rgbAt(x, y);
      raw[row + 1 + x * 3] = r;
      raw[row + 2 + x * 3] = g;
      raw[row + 3 + x * 3] = b;
    }
  }
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header.set([8, 2, 0, 0, 0], 8);
  return Buffer.concat([
    Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    chunk('IHDR', header),
    chunk('IDAT', zlib.deflateSync(raw)),
    chunk('IEND', Buffer.alloc(0)),
  ]);
}
