// The picture's size in the window, region finding at every scale, and the brightness effect.

import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { defaultProject, makeFixture } from './fixture.mjs';
import {
  hoverPicture, launchBrowser, openPage, panelState, serveFolder, tempDir, watchErrors,
} from './harness.mjs';

let browser;
let withEffect;
let withoutEffect;

before(async () => {
  withEffect = await serveFolder((await makeFixture(tempDir('effect'))).pageDir);
  const plain = defaultProject();
  plain.effect = null;
  withoutEffect = await serveFolder((await makeFixture(tempDir('no-effect'), plain)).pageDir);
  browser = await launchBrowser();
});

after(async () => {
  await browser?.close();
  await withEffect?.close();
  await withoutEffect?.close();
});

async function openFixture(server, width) {
  const context = await browser.newContext({ viewport: { width, height: 700 } });
  const page = await context.newPage();
  const errors = watchErrors(page);
  await openPage(page, server.url('photo.html'));
  return { page, errors, close: () => context.close() };
}

const pictureStyle = (page) => page.locator('#qz-picture').getAttribute('style');

// Brightness the published script gives over a uniform area of mean intensity i at depth d.
function brightnessOver(intensity, depth) {
  const v = intensity / 255;
  return Math.round(v <= 0.5 ? 100 + (100 * depth) / 20 * (1 - 2 * v) : 100 + (50 * depth) / 20 * (1 - 2 * v));
}
const darkPercent = brightnessOver(Math.floor((40 + 40 + 48) / 3), 10);
const brightPercent = brightnessOver(Math.floor((225 + 225 + 215) / 3), 10);

describe('picture in the window', () => {
  const cases = [
    { viewport: 1200, shown: [600, 400], note: 'natural size, not enlarged' },
    { viewport: 300, shown: [300, 200], note: 'half size' },
    { viewport: 200, shown: [200, 400 / 3], note: 'a third' },
  ];
  for (const { viewport, shown, note } of cases) {
    test(`a ${viewport}-pixel window shows the picture at ${note}, without scrolling sideways`, async () => {
      const { page, close } = await openFixture(withEffect, viewport);
      const box = await page.locator('#qz-picture').boundingBox();
      assert.ok(Math.abs(box.width - shown[0]) < 1, `width ${box.width}`);
      assert.ok(Math.abs(box.height - shown[1]) < 1, `height ${box.height}`);
      const scrollWidth = await page.evaluate(() => document.documentElement.scrollWidth);
      assert.ok(scrollWidth <= viewport);
      await close();
    });
  }
});

describe('region finding at every scale', () => {
  // Region 3 covers picture pixels x 30..149, y 30..119; the map is sampled every third pixel
  // from x = 1, so its edges fall at 30 and 150.
  const points = [
    { at: [33, 75], hint: true },
    { at: [146, 32], hint: true },
    { at: [26, 75], hint: false },
    { at: [154, 75], hint: false },
    { at: [90, 124], hint: false },
  ];
  for (const viewport of [900, 300, 200]) {
    test(`edges of a region are where the map puts them in a ${viewport}-pixel window`, async () => {
      const { page, close } = await openFixture(withEffect, viewport);
      for (const { at, hint } of points) {
        await hoverPicture(page, ...at);
        const state = await panelState(page);
        assert.equal(state.hint?.text === 'Первая строка\nвторая строка', hint, `pixel ${at}`);
      }
      await close();
    });
  }
});

describe('brightness effect', () => {
  for (const viewport of [900, 300]) {
    test(`brightens a dark spot and darkens a bright one in a ${viewport}-pixel window`, async () => {
      const { page, errors, close } = await openFixture(withEffect, viewport);
      await hoverPicture(page, 150, 350);
      assert.equal(await pictureStyle(page), `-webkit-filter:brightness(${darkPercent}%)`);
      const filter = await page.locator('#qz-picture').evaluate((img) => getComputedStyle(img).filter);
      assert.equal(filter, `brightness(${darkPercent / 100})`, 'the browser applies the filter');
      await hoverPicture(page, 450, 200);
      assert.equal(await pictureStyle(page), `-webkit-filter:brightness(${brightPercent}%)`);
      assert.ok(darkPercent > 100 && brightPercent < 100);
      assert.deepEqual(errors.all(), []);
      await close();
    });
  }

  // In a 200-pixel window the picture is 133.33 pixels high, img.height 133.
  test('the last pixel row and column give a valid brightness', async () => {
    const { page, close } = await openFixture(withEffect, 200);
    const box = await page.locator('#qz-picture').boundingBox();
    await page.mouse.move(box.x + box.width - 0.1, box.y + box.height - 0.1);
    assert.equal(await pictureStyle(page), `-webkit-filter:brightness(${brightPercent}%)`);
    await page.mouse.move(box.x + 0.2, box.y + box.height - 0.1);
    assert.equal(await pictureStyle(page), `-webkit-filter:brightness(${darkPercent}%)`);
    await close();
  });

  test('leaving the picture gives it back its own brightness', async () => {
    const { page, close } = await openFixture(withEffect, 900);
    await hoverPicture(page, 150, 350);
    assert.notEqual(await pictureStyle(page), null);
    await page.mouse.move(5, 690);
    assert.equal(await pictureStyle(page), null);
    await close();
  });

  test('without the effect the picture keeps its brightness and the regions still work', async () => {
    const { page, errors, close } = await openFixture(withoutEffect, 900);
    await hoverPicture(page, 150, 350);
    await hoverPicture(page, 90, 75);
    assert.equal(await pictureStyle(page), null);
    assert.equal((await panelState(page)).hint?.text, 'Первая строка\nвторая строка');
    assert.deepEqual(errors.all(), []);
    await close();
  });
});
