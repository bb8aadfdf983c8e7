// The page under unusual data and conditions: empty data, missing media, file://, blocked
// autoplay, odd tooltip texts, map edge cases, global names; and its start-up time for a
// large map.

import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, describe, test } from 'node:test';
import { defaultProject, makeFixture } from './fixture.mjs';
import {
  audioState, centreOf, eventually, hoverPicture, installAudioProbe, launchBrowser, openPage,
  panelState, regionOf, serveFolder, tempDir, watchErrors, watchMedia,
} from './harness.mjs';

let browser;
const servers = [];

async function publish(prefix, project) {
  const fixture = await makeFixture(tempDir(prefix), project);
  const server = await serveFolder(fixture.pageDir);
  servers.push(server);
  return { ...fixture, server: { ...server, dir: fixture.pageDir } };
}

before(async () => {
  browser = await launchBrowser();
});

after(async () => {
  await browser?.close();
  for (const server of servers) await server.close();
});

async function newPage(options = {}) {
  const context = await browser.newContext({ viewport: { width: 900, height: 700 }, ...options });
  await installAudioProbe(context);
  const page = await context.newPage();
  return { page, errors: watchErrors(page), media: watchMedia(page), close: () => context.close() };
}

// Sweeps the pointer over the whole picture and clicks here and there.
async function sweep(page, width, height) {
  for (let y = 5; y < height; y += height / 6) {
    for (let x = 5; x < width; x += width / 8) await hoverPicture(page, x, y);
  }
  await hoverPicture(page, width / 2, height / 2);
  await page.mouse.down();
  await page.mouse.up();
}

describe('data', () => {
  const emptyCases = [
    { note: 'a new project: every colour line empty', change: (p) => { p.cells = {}; } },
    { note: 'no colour lines and no map rows', change: (p) => { p.cells = {}; p.rowCount = 0; p.mapRows = []; } },
    { note: 'map rows of the end group only', change: (p) => { p.mapRows = Array(10).fill('2323'); } },
    { note: 'map rows longer than the picture', change: (p) => { p.mapRows = Array(200).fill('03FF03FF2323'); } },
  ];
  for (const { note, change } of emptyCases) {
    test(`${note}: no errors, nothing shown where nothing is set`, async () => {
      const project = defaultProject();
      change(project);
      const { server } = await publish('empty', project);
      const { page, errors, close } = await newPage();
      await openPage(page, server.url('photo.html'));
      await sweep(page, project.width, project.height);
      await page.keyboard.press('Tab');
      assert.deepEqual(errors.all(), []);
      if (Object.keys(project.cells).length === 0) {
        assert.equal((await panelState(page)).visible, false);
        assert.equal(await page.locator('.qz-region').count(), 0);
      }
      await close();
    });
  }

  test('a tooltip shows apostrophes, backslashes, markup and placeholder names as typed', async () => {
    const project = defaultProject();
    const text = 'It\'s <b>bold</b> & C:\\temp [NAME] [FILENAME]\\n"quoted"';
    project.cells[3][0].hint = text;
    const { server } = await publish('text', project);
    const { page, errors, close } = await newPage();
    await openPage(page, server.url('photo.html'));
    await hoverPicture(page, 90, 75);
    assert.equal((await panelState(page)).hint?.text,
        'It\'s <b>bold</b> & C:\\temp [NAME] [FILENAME]\n"quoted"');
    assert.equal(await page.locator('.qz-hint b').count(), 0, 'markup stays text');
    assert.equal(await page.getByRole('button', { name: 'It\'s <b>bold</b> & C:\\temp [NAME] [FILENAME] "quoted"' }).count(), 1);
    assert.deepEqual(errors.all(), []);
    await close();
  });

  test('an address the browser cannot use leaves the visitor on the page without errors', async () => {
    const project = defaultProject();
    project.cells[3][1] = { link: 'http://[bad', linkNewWindow: '0' };
    project.cells[7][1] = { link: 'http://[bad', linkNewWindow: '1' };
    project.cells[7][2] = {};
    const { server } = await publish('badlink', project);
    const { page, errors, close } = await newPage();
    await openPage(page, server.url('photo.html'));
    for (const color of [3, 7]) {
      const point = await centreOf(page, regionOf(project, color));
      await page.mouse.click(point.x, point.y);
    }
    await page.waitForTimeout(300);
    assert.match(page.url(), /\/photo\.html$/);
    assert.deepEqual(errors.scriptErrors(), []);
    await close();
  });
});

describe('names and encodings', () => {
  test('a picture named in Cyrillic with a blank: its page finds picture and script, shows the name', async () => {
    const project = defaultProject();
    project.name = 'фото заката';
    const { server, htmlPath } = await publish('cyrillic', project);
    for (const url of [server.url('фото заката.html'), pathToFileURL(htmlPath).href]) {
      const { page, errors, close } = await newPage();
      await openPage(page, url);
      const page_ = await page.evaluate(() => ({
        title: document.title, charset: document.characterSet, text: document.body.innerText,
        picture: document.getElementById('qz-picture').naturalWidth,
      }));
      assert.equal(page_.title, 'фото заката');
      assert.equal(page_.charset, 'UTF-8');
      assert.equal(page_.picture, 600);
      assert.ok(!page_.text.includes('\uFEFF') && !page_.text.includes('ï»¿'), 'no byte-order mark shows');
      await hoverPicture(page, 90, 75);
      assert.equal((await panelState(page)).hint?.text, 'Первая строка\nвторая строка', url);
      assert.deepEqual(errors.all(), []);
      await close();
    }
  });
});

describe('map edge cases', () => {
  // A picture 301 x 30 with a stored map of only three sampled rows (100 samples each):
  //   row 0: 5 x none, 35 x colour 35 (written "2323" like the end mark), 59 x none, 1 x colour 99
  //   row 1: 80 x colour 120 (past Count), 20 x none
  //   row 2: 100 x colour 99
  function project() {
    const p = defaultProject();
    p.width = 301;
    p.height = 30;
    p.effect = null;
    p.regions = [];
    p.mapRows = ['0005' + '2323' + '003B' + '6301' + '2323', '7850' + '0014' + '2323', '6364' + '2323'];
    p.cells = { 35: { 0: { hint: 'тридцать пять' } }, 99: { 0: { hint: 'девяносто девять' } } };
    p.rowCount = 100;
    return p;
  }
  const points = [
    { at: [50, 2], hint: 'тридцать пять', note: 'a run that reads like the end mark' },
    { at: [14, 2], hint: null, note: 'just before it' },
    { at: [300, 1], hint: 'девяносто девять', note: 'the last, partial column belongs to the last sample' },
    { at: [100, 5], hint: null, note: 'a colour past Count' },
    { at: [150, 8], hint: 'девяносто девять', note: 'the last map row' },
    { at: [150, 10], hint: 'девяносто девять', note: 'the partial cell below the last map row' },
    { at: [150, 14], hint: null, note: 'below the stored map' },
  ];

  test('regions are found where the encoded rows put them', async () => {
    const { server } = await publish('edges', project());
    const { page, errors, close } = await newPage();
    await openPage(page, server.url('photo.html'));
    for (const { at, hint, note } of points) {
      await hoverPicture(page, at[0] + 0.5, at[1] + 0.5);
      assert.equal((await panelState(page)).hint?.text ?? null, hint, `${note} (pixel ${at})`);
    }
    assert.deepEqual(errors.all(), []);
    await close();
  });
});

describe('media', () => {
  test('missing copies of a sound, a video and a picture leave no broken box and no script error', async () => {
    const project = defaultProject();
    project.missingMedia = ['bell', 'sea', 'flower'];
    const { server } = await publish('missing', project);
    const { page, errors, close } = await newPage();
    await openPage(page, server.url('photo.html'));
    for (const color of [3, 7, 12]) {
      await hoverPicture(page, ...regionOf(project, color).rect.slice(0, 2).map((v) => v + 20));
      await page.waitForTimeout(400);
      const state = await panelState(page);
      assert.equal(state.picture, null, `colour ${color}: no broken picture`);
      assert.equal(state.video, null, `colour ${color}: no empty video box`);
    }
    await hoverPicture(page, 90, 75);
    assert.equal((await panelState(page)).hint?.text, 'Первая строка\nвторая строка', 'the tooltip still shows');
    assert.deepEqual(errors.scriptErrors(), []);
    await close();
  });

  test('the page works from file:// with its media', async () => {
    const fixture = await makeFixture(tempDir('file'));
    const { page, errors, close } = await newPage();
    await openPage(page, pathToFileURL(fixture.htmlPath).href);
    await hoverPicture(page, 90, 75);
    const state = await eventually(async () => {
      const s = await panelState(page);
      assert.ok(s.picture?.height > 0);
      return s;
    });
    assert.equal(state.hint?.text, 'Первая строка\nвторая строка');
    assert.match(state.picture.src, /^file:.*\/qiv_zarim\/flower\.png$/);
    await hoverPicture(page, 90, 250);
    await eventually(async () => assert.match((await panelState(page)).video?.src ?? '', /^file:.*\/qiv_zarim\/sea\.mp4$/));
    assert.deepEqual(errors.all(), []);
    await close();
  });

  test('media files with blanks and "#" in their names are found', async () => {
    const project = defaultProject();
    project.cells[7][0].sound = '/home/author/sounds/big bell #2.wav';
    project.cells[3][0].picture = '/home/author/pictures/flower 100%.png';
    project.pictures['flower 100%.png'] = project.pictures['flower.png'];
    const { server } = await publish('names', project);
    const { page, close } = await newPage({});
    await openPage(page, server.url('photo.html'));
    await hoverPicture(page, 90, 75);
    await eventually(async () => assert.ok((await panelState(page)).picture?.height > 0));
    await hoverPicture(page, 230, 75);
    await eventually(async () => {
      const sound = (await audioState(page)).find((a) => a.src.includes('bell'));
      assert.ok(sound && sound.src.endsWith('/qiv_zarim/big%20bell%20%232.mp3'), JSON.stringify(await audioState(page)));
    });
    await eventually(() => assert.ok(server.requests.includes('/qiv_zarim/big bell #2.mp3')));
    await close();
  });
});

describe('sound before the visitor interacts', () => {
  // Any evaluation from the test would count as a gesture, so these tests only move the
  // mouse, press keys and read the page's media reports. The picture stands centred at
  // x = 150 in the 900-pixel window, at its natural size.
  const left = 150;

  async function musicProject() {
    const project = defaultProject();
    project.music = { file: '/home/author/music/theme.wav', volume: '0.4', loop: '1' };
    return publish('music', project);
  }

  test('background music and a region sound wait for the first key press, then play as set', async () => {
    const { server } = await musicProject();
    const { page, errors, media, close } = await newPage();
    await page.goto(server.url('photo.html'));
    await page.mouse.move(left + 230, 75, { steps: 3 }); // region 7: the bell
    await page.waitForTimeout(800);
    assert.deepEqual(media.filter((e) => e.type === 'playing'), [], 'nothing plays before a gesture');

    await page.keyboard.press('Enter');
    await eventually(() => {
      const playing = media.filter((e) => e.type === 'playing').map((e) => e.src.replace(/^.*\//, ''));
      assert.deepEqual(playing.sort(), ['bell.mp3', 'theme.mp3']);
    });
    const theme = media.find((e) => e.type === 'playing' && e.src.endsWith('theme.mp3'));
    assert.equal(theme.volume, 0.4);
    assert.equal(theme.loop, true);
    const bell = media.find((e) => e.type === 'playing' && e.src.endsWith('bell.mp3'));
    assert.equal(bell.volume, 0.5);
    assert.deepEqual(errors.all(), [], 'no console error for the refused plays');
    await close();
  });

  test('music starts on the first click too, and keeps its volume and loop while regions play', async () => {
    const { server } = await musicProject();
    const { page, errors, media, close } = await newPage();
    await page.goto(server.url('photo.html'));
    await page.mouse.click(left + 300, 170); // on the picture, off every region
    await eventually(() => assert.ok(media.some((e) => e.type === 'playing' && e.src.endsWith('theme.mp3'))));
    await page.mouse.move(left + 230, 75, { steps: 3 });
    await eventually(() => assert.ok(media.some((e) => e.type === 'playing' && e.src.endsWith('bell.mp3'))));
    await page.mouse.move(left + 300, 170);
    const music = (await audioState(page)).find((a) => a.src.endsWith('theme.mp3'));
    assert.equal(music.paused, false);
    assert.equal(music.volume, 0.4);
    assert.equal(music.loop, true);
    assert.deepEqual(errors.all(), []);
    await close();
  });

  test('a video plays muted until the visitor interacts, then with its sound', async () => {
    const { server } = await publish('video', defaultProject());
    const { page, errors, media, close } = await newPage();
    await page.goto(server.url('photo.html'));
    await page.mouse.move(left + 90, 250, { steps: 3 }); // region 12: the video
    await eventually(() => assert.ok(media.some((e) => e.tag === 'video' && e.type === 'playing')));
    assert.equal(media.find((e) => e.tag === 'video' && e.type === 'playing').muted, true);
    await page.keyboard.press('Enter');
    await eventually(() => assert.ok(media.some((e) => e.tag === 'video' && e.type === 'volumechange' && !e.muted)));
    const state = await panelState(page);
    assert.equal(state.video.paused, false);
    assert.equal(state.video.muted, false);
    assert.equal(state.video.volume, 0.3);
    assert.deepEqual(errors.all(), []);
    await close();
  });
});

describe('global names', () => {
  test('the page adds only the data block\'s and the brightness script\'s names', async () => {
    const { server, pageDir } = await publish('globals', defaultProject());
    fs.writeFileSync(path.join(pageDir, 'blank.html'), '<!DOCTYPE html><title>blank</title>');
    const context = await browser.newContext();
    const page = await context.newPage();
    await page.goto(server.url('blank.html'));
    const baseline = new Set(await page.evaluate(() => Object.getOwnPropertyNames(window)));
    await openPage(page, server.url('photo.html'));
    await sweep(page, 600, 400);
    const added = (await page.evaluate(() => Object.getOwnPropertyNames(window))).filter((n) => !baseline.has(n));
    const allowed = ['SRC_WIDTH', 'SRC_HEIGHT', 'DATA', 'Count', 'C',
      'MM', 'NN', 'IN', 'px', 'py', 'X1', 'X2', 'Y1', 'Y2', 'V1', 'V2', 'V'];
    assert.deepEqual(added.filter((n) => !allowed.includes(n)), []);
    assert.ok(added.includes('C') && added.includes('MM'));
    // The block's values are as it wrote them after all that.
    assert.deepEqual(await page.evaluate(() => [SRC_WIDTH, SRC_HEIGHT, Count, DATA.length, C.length]),
        [600, 400, 21, 21 * 51 + 3, 133]);
    await context.close();
  });
});

describe('start-up time', () => {
  // A 6000 x 4000 map: 1333 rows of 2000 samples. Reported, not asserted.
  const cases = [
    { note: 'forty painted regions', rows: null },
    { note: 'a new run at every sample (worst case)', rows: () => Array(1333).fill('01010201'.repeat(1000) + '2323') },
  ];
  for (const { note, rows } of cases) {
    test(`6000 x 4000 map, ${note}`, async (t) => {
      const project = defaultProject();
      Object.assign(project, { width: 6000, height: 4000, pictureFileSize: [60, 40], effect: null });
      project.regions = Array.from({ length: 40 }, (_, i) => ({
        color: 3 + (i % 4) * 4 + (i % 2), rect: [(i % 8) * 700 + 50, Math.floor(i / 8) * 780 + 40, (i % 8) * 700 + 600, Math.floor(i / 8) * 780 + 700],
      }));
      if (rows) project.mapRows = rows();
      const { server } = await publish('large', project);
      const runs = [];
      for (let i = 0; i < 3; i++) {
        const { page, errors, close } = await newPage({ viewport: { width: 1200, height: 800 } });
        const cdp = await page.context().newCDPSession(page);
        await cdp.send('Performance.enable');
        await openPage(page, server.url('photo.html'));
        const timing = await page.evaluate(() => {
          const start = performance.getEntriesByName('qiv-zarim-start')[0].startTime;
          const ready = performance.getEntriesByName('qiv-zarim-ready')[0].startTime;
          return { dataAndSetup: ready - start, sinceNavigation: ready };
        });
        const metrics = await cdp.send('Performance.getMetrics');
        timing.script = metrics.metrics.find((m) => m.name === 'ScriptDuration').value * 1000;
        runs.push(timing);
        await hoverPicture(page, 30, 20);
        assert.deepEqual(errors.all(), []);
        await close();
      }
      const median = (key) => runs.map((r) => r[key]).sort((a, b) => a - b)[1];
      const scriptSize = fs.statSync(path.join(server.dir, 'zarm_photo.js')).size;
      t.diagnostic(`${note}: script ${(scriptSize / 1e6).toFixed(1)} MB; median of 3 loads: data block ` +
          `and set-up ${median('dataAndSetup').toFixed(1)} ms, all script ${median('script').toFixed(1)} ms, ` +
          `ready ${median('sinceNavigation').toFixed(0)} ms after navigation`);
    });
  }
});
