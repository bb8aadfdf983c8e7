// Shared pieces of the page tests: Debian's Chromium through playwright-core, a static file
// server on 127.0.0.1, and a record of everything a page reports as an error.

import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';

const baseArgs = [
  '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];

// autoplay: let media play without a prior gesture (tests that look at playback itself).
export function launchBrowser({ autoplay = false } = {}) {
  const args = autoplay ? [...baseArgs, '--autoplay-policy=no-user-gesture-required'] : baseArgs;
  return chromium.launch({ executablePath: '/usr/bin/chromium', args });
}

// A fresh folder under the system's temporary folder, removed when the test file ends.
const madeDirs = [];
process.on('exit', () => {
  for (const dir of madeDirs) fs.rmSync(dir, { recursive: true, force: true });
});

export function tempDir(prefix) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), `qz-page-${prefix}-`));
  madeDirs.push(dir);
  return dir;
}

const mimeTypes = {
  '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.png': 'image/png',
  '.jpg': 'image/jpeg', '.mp3': 'audio/mpeg', '.ogg': 'audio/ogg', '.mp4': 'video/mp4',
  '.webm': 'video/webm', '.ogv': 'video/ogg',
};

// Serves dir on a free port of 127.0.0.1, with byte ranges (media elements ask for them).
// Every request path is noted in `requests`.
export async function serveFolder(dir) {
  const requests = [];
  const server = http.createServer((req, res) => {
    const urlPath = decodeURIComponent(new URL(req.url, 'http://localhost').pathname);
    requests.push(urlPath);
    const file = path.join(dir, path.normalize(urlPath).replace(/^([/\\])+/, ''));
    if (!file.startsWith(dir) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      res.writeHead(404, { 'Content-Type': 'text/plain' });
      res.end('not found');
      return;
    }
    const size = fs.statSync(file).size;
    const type = mimeTypes[path.extname(file).toLowerCase()] ?? 'application/octet-stream';
    const range = /^bytes=(\d*)-(\d*)$/.exec(req.headers.range ?? '');
    if (range && size > 0) {
      const start = range[1] === '' ? Math.max(0, size - Number(range[2])) : Number(range[1]);
      const end = range[1] !== '' && range[2] !== '' ? Math.min(Number(range[2]), size - 1) : size - 1;
      res.writeHead(206, {
        'Content-Type': type, 'Accept-Ranges': 'bytes', 'Content-Length': end - start + 1,
        'Content-Range': `bytes ${start}-${end}/${size}`,
      });
      fs.createReadStream(file, { start, end }).pipe(res);
      return;
    }
    res.writeHead(200, { 'Content-Type': type, 'Accept-Ranges': 'bytes', 'Content-Length': size });
    fs.createReadStream(file).pipe(res);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const { port } = server.address();
  return {
    url: (name) => `http://127.0.0.1:${port}/${name.split('/').map(encodeURIComponent).join('/')}`,
    requests,
    close: () => new Promise((resolve) => { server.closeAllConnections(); server.close(resolve); }),
  };
}

// Collects script errors, unhandled rejections and console errors of a page. A failed load
// of a file that is really missing is the browser's own report, and tests that expect one
// filter it out with `scriptErrors`.
export function watchErrors(page) {
  const errors = [];
  page.on('pageerror', (error) => errors.push(`pageerror: ${error.message}`));
  page.on('console', (message) => {
    if (message.type() === 'error' || message.type() === 'warning') {
      errors.push(`console.${message.type()}: ${message.text()}`);
    }
  });
  return {
    all: () => errors.slice(),
    scriptErrors: () => errors.filter((e) => !/Failed to load resource|ERR_FILE_NOT_FOUND/.test(e)),
  };
}

// Opens a page and waits until its script has set everything up.
export async function openPage(page, url) {
  await page.goto(url);
  await page.waitForFunction(() => performance.getEntriesByName('qiv-zarim-ready').length > 0);
  await page.locator('#qz-picture').evaluate((img) => img.decode().catch(() => {}));
}

// Viewport point of picture pixel (x, y), wherever and at whatever scale the picture is shown.
export async function pointOnPicture(page, x, y) {
  return page.locator('#qz-picture').evaluate((img, [px, py]) => {
    const rect = img.getBoundingClientRect();
    return { x: rect.left + (px * rect.width) / img.naturalWidth, y: rect.top + (py * rect.height) / img.naturalHeight };
  }, [x, y]);
}

// Viewport centre of a fixture region's rectangle.
export async function centreOf(page, region) {
  const [x0, y0, x1, y1] = region.rect;
  return pointOnPicture(page, (x0 + x1) / 2, (y0 + y1) / 2);
}

export async function hoverPicture(page, x, y) {
  const point = await pointOnPicture(page, x, y);
  await page.mouse.move(point.x, point.y, { steps: 2 });
  return point;
}

export function regionOf(project, color) {
  return project.regions.find((r) => r.color === color);
}

// State of the panel beside the pointer as a visitor sees it.
export function panelState(page) {
  return page.evaluate(() => {
    const panel = document.querySelector('.qz-panel');
    const hint = panel.querySelector('.qz-hint');
    const [picture] = panel.querySelectorAll('img');
    const video = panel.querySelector('video');
    const shown = (el) => !!el && !panel.hidden && !el.hidden && el.getBoundingClientRect().width > 0;
    const box = (el) => {
      const s = getComputedStyle(el);
      return {
        width: el.clientWidth, height: el.clientHeight, borderWidth: s.borderTopWidth,
        borderColor: s.borderTopColor, src: el.currentSrc,
      };
    };
    return {
      visible: !panel.hidden,
      hint: shown(hint) ? {
        text: hint.innerText, background: getComputedStyle(hint).backgroundColor,
        color: getComputedStyle(hint).color, lines: Math.round(hint.clientHeight / parseFloat(getComputedStyle(hint).lineHeight)),
      } : null,
      picture: shown(picture) ? box(picture) : null,
      video: shown(video) ? { ...box(video), paused: video.paused, loop: video.loop, volume: video.volume, muted: video.muted } : null,
      rect: panel.getBoundingClientRect().toJSON(),
    };
  });
}

// Every audio element the page makes is kept in __qzAudio, and every audio or video element
// reports "playing" and "volumechange" as console.debug messages "qz-media {...}". Tests of
// the autoplay rules read those messages: an evaluation from the test would count as a
// visitor's gesture and lift the rules.
export async function installAudioProbe(context) {
  await context.addInitScript(() => {
    const made = [];
    const create = Document.prototype.createElement;
    const report = (type) => (event) => {
      const m = event.target;
      console.debug('qz-media ' + JSON.stringify({
        type, tag: m.tagName.toLowerCase(), src: m.currentSrc, volume: m.volume, loop: m.loop, muted: m.muted,
      }));
    };
    Document.prototype.createElement = function (name, ...rest) {
      const el = create.call(this, name, ...rest);
      const tag = String(name).toLowerCase();
      if (tag === 'audio') made.push(el);
      if (tag === 'audio' || tag === 'video') {
        el.addEventListener('playing', report('playing'));
        el.addEventListener('volumechange', report('volumechange'));
      }
      return el;
    };
    Object.defineProperty(window, '__qzAudio', { value: made });
  });
}

export function watchMedia(page) {
  const events = [];
  page.on('console', (message) => {
    if (message.type() === 'debug' && message.text().startsWith('qz-media ')) {
      events.push(JSON.parse(message.text().slice('qz-media '.length)));
    }
  });
  return events;
}

export function audioState(page) {
  return page.evaluate(() => window.__qzAudio.map((a) => ({
    src: a.currentSrc, paused: a.paused, loop: a.loop, volume: a.volume, time: a.currentTime,
    sources: [...a.querySelectorAll('source')].map((s) => s.getAttribute('src')),
  })));
}

// Retries an async check (one that throws while unmet) until it passes or time runs out.
export async function eventually(check, timeoutMs = 5000) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    try {
      return await check();
    } catch (error) {
      if (Date.now() > end) throw error;
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
  }
}
