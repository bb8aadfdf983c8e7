// What a visitor sees and hears when the pointer moves over the regions of a published page.

import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { defaultProject, makeFixture } from './fixture.mjs';
import {
  audioState, centreOf, eventually, hoverPicture, installAudioProbe, launchBrowser, openPage,
  panelState, regionOf, serveFolder, tempDir, watchErrors,
} from './harness.mjs';

let browser;
let server;
let project;

before(async () => {
  const fixture = await makeFixture(tempDir('hover'));
  project = fixture.project;
  server = await serveFolder(fixture.pageDir);
  browser = await launchBrowser({ autoplay: true });
});

after(async () => {
  await browser?.close();
  await server?.close();
});

async function openFixture() {
  const context = await browser.newContext({ viewport: { width: 900, height: 700 } });
  await installAudioProbe(context);
  const page = await context.newPage();
  const errors = watchErrors(page);
  await openPage(page, server.url('photo.html'));
  return { page, errors, close: () => context.close() };
}

async function hoverRegion(page, color) {
  const point = await centreOf(page, regionOf(project, color));
  await page.mouse.move(point.x, point.y, { steps: 3 });
  return point;
}

function regionSound(audio) {
  return audio.filter((a) => a.sources.length > 0);
}

describe('pointer over a region', () => {
  test('shows the tooltip with its colour style and line breaks beside the pointer', async () => {
    const { page, errors, close } = await openFixture();
    const point = await hoverRegion(page, 3);
    const state = await eventually(async () => {
      const s = await panelState(page);
      assert.ok(s.hint, 'tooltip shown');
      return s;
    });
    assert.equal(state.hint.text, 'Первая строка\nвторая строка');
    assert.equal(state.hint.lines, 2, 'the \\n of the tooltip is a line break');
    assert.equal(state.hint.background, 'rgb(208, 0, 0)', 'style 4 is red');
    assert.equal(state.hint.color, 'rgb(255, 255, 255)');
    assert.ok(state.rect.left >= point.x && state.rect.top >= point.y, 'below right of the pointer');
    assert.ok(state.rect.left - point.x < 40 && state.rect.top - point.y < 40, 'near the pointer');

    // The tooltip follows the pointer within the region.
    await page.mouse.move(point.x + 20, point.y + 10);
    const moved = await panelState(page);
    assert.equal(moved.rect.left - state.rect.left, 20);
    assert.equal(moved.rect.top - state.rect.top, 10);
    assert.deepEqual(errors.all(), []);
    await close();
  });

  test('shows the picture at its set width, in proportion, in its frame', async () => {
    const { page, close } = await openFixture();
    await hoverRegion(page, 3);
    const state = await eventually(async () => {
      const s = await panelState(page);
      assert.ok(s.picture && s.picture.height > 0, 'picture shown');
      return s;
    });
    // flower.png is 200 x 100; the region asks for width 120 and leaves the height empty.
    assert.match(state.picture.src, /\/qiv_zarim\/flower\.png$/);
    assert.equal(state.picture.width, 120);
    assert.equal(state.picture.height, 60);
    assert.equal(state.picture.borderWidth, '3px');
    assert.equal(state.picture.borderColor, 'rgb(255, 0, 0)', 'frame 4 is red');
    await close();
  });

  test('plays the sound from its mp3 copy with its loop and volume', async () => {
    const { page, close } = await openFixture();
    await hoverRegion(page, 7);
    const [sound] = await eventually(async () => {
      const playing = regionSound(await audioState(page)).filter((a) => !a.paused && a.time > 0);
      assert.equal(playing.length, 1);
      return playing;
    });
    assert.match(sound.src, /\/qiv_zarim\/bell\.mp3$/, 'bell.wav is published as bell.mp3 and bell.ogg');
    assert.deepEqual(sound.sources, ['qiv_zarim/bell.mp3', 'qiv_zarim/bell.ogg']);
    assert.equal(sound.loop, true);
    assert.equal(sound.volume, 0.5);
    await close();
  });

  test('shows and plays the video at its size, in its frame, looping at its volume', async () => {
    const { page, errors, close } = await openFixture();
    await hoverRegion(page, 12);
    const state = await eventually(async () => {
      const s = await panelState(page);
      assert.ok(s.video && !s.video.paused, 'video playing');
      return s;
    });
    assert.match(state.video.src, /\/qiv_zarim\/sea\.(mp4|webm)$/, 'sea.avi is published as sea.mp4, .webm, .ogv');
    assert.equal(state.video.width, 160);
    assert.equal(state.video.height, 120);
    assert.equal(state.video.borderColor, 'rgb(0, 0, 255)', 'frame 6 is blue');
    assert.equal(state.video.loop, true);
    assert.equal(state.video.volume, 0.3);
    assert.equal(state.video.muted, false);
    assert.deepEqual(errors.all(), []);
    await close();
  });

  test('leaving the region hides everything and stops the sound and the video', async () => {
    const { page, close } = await openFixture();
    await hoverRegion(page, 7);
    await eventually(async () => assert.ok(regionSound(await audioState(page)).some((a) => !a.paused)));
    await hoverPicture(page, 300, 170); // between the regions
    const state = await panelState(page);
    assert.equal(state.visible, false);
    assert.ok(regionSound(await audioState(page)).every((a) => a.paused), 'sound stopped');

    await hoverRegion(page, 12);
    await eventually(async () => assert.ok((await panelState(page)).video?.paused === false));
    await page.mouse.move(5, 690); // off the picture
    assert.equal((await panelState(page)).visible, false);
    assert.equal(await page.locator('.qz-panel video').evaluate((v) => v.paused), true);
    await close();
  });

  test('moving from one region straight into another swaps their sets', async () => {
    const { page, close } = await openFixture();
    await hoverRegion(page, 3);
    await eventually(async () => assert.ok((await panelState(page)).picture));
    await hoverRegion(page, 7);
    const state = await eventually(async () => {
      const s = await panelState(page);
      assert.equal(s.hint?.text, 'Колокол');
      return s;
    });
    assert.equal(state.picture, null, 'the first region\'s picture is gone');
    assert.equal(state.hint.background, 'rgb(143, 208, 255)', 'style 7 is sky blue');
    await close();
  });

  test('a pointer-over link is not followed on a pointer move, but shows the hand', async () => {
    const { page, close } = await openFixture();
    const cursor = () => page.locator('#qz-stage').evaluate((el) => getComputedStyle(el).cursor);
    await hoverRegion(page, 9);
    await page.waitForTimeout(300);
    assert.match(page.url(), /\/photo\.html$/);
    assert.equal((await panelState(page)).visible, false);
    assert.equal(await cursor(), 'pointer');
    await hoverRegion(page, 150); // painted in a colour past Count
    assert.equal((await panelState(page)).visible, false);
    assert.equal(await cursor(), 'auto');
    await hoverRegion(page, 3); // has a click set
    assert.equal(await cursor(), 'pointer');
    await close();
  });

  test('a click adds its set to what the pointer-over set shows', async () => {
    const { page, close } = await openFixture();
    const point = await hoverRegion(page, 12);
    await eventually(async () => assert.ok((await panelState(page)).video));
    await page.mouse.click(point.x, point.y);
    const [gong] = await eventually(async () => {
      const playing = regionSound(await audioState(page)).filter((a) => !a.paused && a.time > 0);
      assert.equal(playing.length, 1);
      return playing;
    });
    assert.match(gong.src, /\/qiv_zarim\/gong\.mp3$/);
    assert.equal(gong.loop, false);
    assert.equal(gong.volume, 1, 'an empty volume is full volume');
    assert.ok((await panelState(page)).video, 'the video stays');
    await close();
  });

  test('a picture without a size is shown at its natural size, and frame 0 draws none', async () => {
    const { page, close } = await openFixture();
    const point = await hoverRegion(page, 20);
    assert.equal((await panelState(page)).visible, false, 'region 20 has only a click set');
    const popup = page.waitForEvent('popup');
    await page.mouse.click(point.x, point.y);
    await (await popup).close();
    const state = await eventually(async () => {
      const s = await panelState(page);
      assert.ok(s.picture && s.picture.width > 0);
      return s;
    });
    assert.equal(state.picture.width, 90);
    assert.equal(state.picture.height, 60);
    assert.equal(state.picture.borderWidth, '0px');
    await close();
  });
});

describe('styles', () => {
  // The colour family each caption names, as a test on the background colour.
  const families = {
    white: ([r, g, b]) => r > 240 && g > 240 && b > 240,
    grey: ([r, g, b]) => Math.max(r, g, b) - Math.min(r, g, b) < 12 && r > 90 && r < 200,
    black: ([r, g, b]) => r < 30 && g < 30 && b < 30,
    lightRed: ([r, g, b]) => r > 220 && g > 120 && g < 200 && b > 120 && b < 200,
    red: ([r, g, b]) => r > 180 && g < 50 && b < 50,
    lightGreen: ([r, g, b]) => g > 200 && r > 120 && r < 200 && b < 200 && g - r > 40,
    green: ([r, g, b]) => g > 100 && g < 160 && r < 40 && b < 40,
    skyBlue: ([r, g, b]) => b > 220 && g > 160 && r < 170 && b - r > 80,
    blue: ([r, g, b]) => b > 150 && r < 40 && g < 40,
    lightYellow: ([r, g, b]) => r > 245 && g > 245 && b > 180 && b < 240,
    yellow: ([r, g, b]) => r > 240 && g > 240 && b < 40,
    lightBrown: ([r, g, b]) => r > 180 && r > g && g > b && r - b > 50 && b > 100,
    brown: ([r, g, b]) => r > 110 && r < 170 && g < 90 && b < 40 && r > g,
    pink: ([r, g, b]) => r > 240 && g > 170 && g < 215 && b > 180 && b > g,
    violet: ([r, g, b]) => r > 110 && b > 200 && g < 40,
    blueViolet: ([r, g, b]) => b > 180 && r > 50 && r < 110 && g < 70,
  };
  const hintStyles = [
    'white', 'grey', 'black', 'lightRed', 'red', 'lightGreen', 'green', 'skyBlue',
    'blue', 'lightYellow', 'yellow', 'lightBrown', 'brown', 'pink', 'violet', 'blueViolet',
  ];
  const frameStyles = [null, 'black', 'white', 'grey', 'red', 'green', 'blue', 'yellow', 'crimson', 'seaWave'];
  const frameFamilies = {
    ...families,
    green: ([r, g, b]) => g > 100 && r < 40 && b < 40,
    blue: ([r, g, b]) => b > 200 && r < 40 && g < 40,
    crimson: ([r, g, b]) => r > 180 && g < 60 && b > 30 && b < 110,
    seaWave: ([r, g, b]) => r < 40 && g > 110 && b > 110 && Math.abs(g - b) < 40,
  };

  function rgb(text) {
    return text.match(/\d+/g).slice(0, 3).map(Number);
  }

  // WCAG contrast ratio of two sRGB colours.
  function contrast(a, b) {
    const lum = (c) => {
      const [r, g, bl] = c.map((v) => {
        const s = v / 255;
        return s <= 0.03928 ? s / 12.92 : ((s + 0.055) / 1.055) ** 2.4;
      });
      return 0.2126 * r + 0.7152 * g + 0.0722 * bl;
    };
    const [hi, lo] = [lum(a), lum(b)].sort((x, y) => y - x);
    return (hi + 0.05) / (lo + 0.05);
  }

  test('the sixteen tooltip styles have the colours their captions name, in readable text', async () => {
    const { page, close } = await openFixture();
    const styles = await page.evaluate(() => Array.from({ length: 16 }, (_, i) => {
      const el = document.createElement('div');
      el.className = `qz-hint qz-hint-${i}`;
      el.textContent = 'x';
      document.body.appendChild(el);
      const s = getComputedStyle(el);
      return { background: s.backgroundColor, color: s.color };
    }));
    styles.forEach((style, i) => {
      const background = rgb(style.background);
      assert.ok(families[hintStyles[i]](background), `style ${i} (${hintStyles[i]}) is ${style.background}`);
      assert.ok(contrast(background, rgb(style.color)) >= 4.5, `style ${i} text contrast`);
    });
    await close();
  });

  test('the ten frame styles have the colours their captions name', async () => {
    const { page, close } = await openFixture();
    const frames = await page.evaluate(() => Array.from({ length: 10 }, (_, i) => {
      const el = document.createElement('img');
      el.className = `qz-media qz-frame-${i}`;
      document.body.appendChild(el);
      const s = getComputedStyle(el);
      return { width: parseFloat(s.borderTopWidth), color: s.borderTopColor, style: s.borderTopStyle };
    }));
    frames.forEach((frame, i) => {
      if (frameStyles[i] === null) {
        assert.equal(frame.width, 0, 'style 0 has no frame');
        return;
      }
      assert.ok(frame.width >= 2 && frame.style === 'solid', `frame ${i} is drawn`);
      assert.ok(frameFamilies[frameStyles[i]](rgb(frame.color)), `frame ${i} (${frameStyles[i]}) is ${frame.color}`);
    });
    await close();
  });
});
