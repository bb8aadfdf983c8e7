// Visitors without a mouse: taps on a touch screen, and the keyboard with a screen reader.

import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { makeFixture } from './fixture.mjs';
import {
  centreOf, eventually, launchBrowser, openPage, panelState, pointOnPicture, regionOf,
  serveFolder, tempDir, watchErrors,
} from './harness.mjs';

let browser;
let server;
let project;

before(async () => {
  const fixture = await makeFixture(tempDir('touch'));
  project = fixture.project;
  for (const name of ['target', 'tap']) {
    fs.writeFileSync(path.join(fixture.pageDir, `${name}.html`), `<!DOCTYPE html><title>${name}</title>`);
  }
  server = await serveFolder(fixture.pageDir);
  browser = await launchBrowser();
});

after(async () => {
  await browser?.close();
  await server?.close();
});

async function openFixture(options = {}) {
  const context = await browser.newContext({ viewport: { width: 900, height: 700 }, ...options });
  const page = await context.newPage();
  const popups = [];
  page.on('popup', (popup) => popups.push(popup));
  // Region 7's click link leaves the page; a 204 answer keeps the page where it is.
  const navigations = [];
  await page.route('**/same.html', (route) => {
    navigations.push(route.request().url());
    return route.fulfill({ status: 204 });
  });
  const errors = watchErrors(page);
  await openPage(page, server.url('photo.html'));
  return { page, popups, navigations, errors, close: () => context.close() };
}

const settle = (page) => page.waitForTimeout(600);

describe('touch', () => {
  const touch = { hasTouch: true, isMobile: true };

  async function tap(page, color) {
    const point = await centreOf(page, regionOf(project, color));
    await page.touchscreen.tap(point.x, point.y);
  }

  test('a first tap shows the pointer-over set, a second tap performs the click set', async () => {
    const { page, popups, errors, close } = await openFixture(touch);
    await tap(page, 3);
    await eventually(async () => assert.equal((await panelState(page)).hint?.text, 'Первая строка\nвторая строка'));
    await settle(page);
    assert.equal(popups.length, 0, 'the first tap follows no link');
    await tap(page, 3);
    await eventually(() => assert.equal(popups.length, 1));
    await popups[0].waitForLoadState();
    assert.match(popups[0].url(), /\/target\.html$/);
    assert.deepEqual(errors.all(), []);
    await close();
  });

  test('a tap on another region moves the preview there instead of performing anything', async () => {
    const { page, popups, navigations, close } = await openFixture(touch);
    await tap(page, 3);
    await tap(page, 7);
    await eventually(async () => assert.equal((await panelState(page)).hint?.text, 'Колокол'));
    await settle(page);
    assert.equal(popups.length, 0);
    assert.equal(navigations.length, 0);
    await tap(page, 7);
    await eventually(() => assert.equal(navigations.length, 1));
    assert.match(navigations[0], /\/same\.html$/);
    await close();
  });

  test('a tap off the regions closes the preview, so the next tap is a first tap again', async () => {
    const { page, popups, close } = await openFixture(touch);
    await tap(page, 3);
    const empty = await pointOnPicture(page, 300, 170);
    await page.touchscreen.tap(empty.x, empty.y);
    assert.equal((await panelState(page)).visible, false);
    await tap(page, 3);
    await settle(page);
    assert.equal(popups.length, 0);
    assert.equal((await panelState(page)).visible, true);
    await close();
  });

  test('a region with nothing to preview performs its click set on the first tap', async () => {
    const { page, popups, close } = await openFixture(touch);
    await tap(page, 20);
    await eventually(() => assert.equal(popups.length, 1));
    await popups[0].waitForLoadState();
    assert.match(popups[0].url(), /\/tap\.html$/);
    await close();
  });

  test('a tap sets the brightness for the tapped spot', async () => {
    const { page, close } = await openFixture(touch);
    const dark = await pointOnPicture(page, 150, 350);
    await page.touchscreen.tap(dark.x, dark.y);
    const style = await page.locator('#qz-picture').getAttribute('style');
    assert.match(style ?? '', /brightness\(1[1-9]\d%\)/);
    await close();
  });
});

describe('keyboard and screen readers', () => {
  // Regions with content in reading order (top, then left) and their accessible names.
  const expected = [
    { color: 3, name: 'Первая строка вторая строка' },
    { color: 7, name: 'Колокол' },
    { color: 9, name: 'Область 9' },
    { color: 12, name: 'Область 12' },
    { color: 20, name: 'Область 20' },
  ];

  test('Tab reaches every region with content, in reading order, named by its tooltip or number', async () => {
    const { page, close } = await openFixture();
    const reached = [];
    for (let i = 0; i < expected.length + 1; i++) {
      await page.keyboard.press('Tab');
      reached.push(await page.evaluate(() => {
        const el = document.activeElement;
        return el && el.classList.contains('qz-region') ? Number(el.dataset.color) : null;
      }));
    }
    assert.deepEqual(reached, [...expected.map((r) => r.color), null], 'nothing else is a tab stop');
    for (const { name } of expected) {
      assert.equal(await page.getByRole('button', { name, exact: true }).count(), 1, name);
    }
    await close();
  });

  test('focus shows the pointer-over set and a visible mark around the region', async () => {
    const { page, close } = await openFixture();
    await page.keyboard.press('Tab');
    const state = await panelState(page);
    assert.equal(state.hint?.text, 'Первая строка\nвторая строка');
    assert.ok(state.picture, 'the picture of the pointer-over set');

    const mark = await page.evaluate(() => {
      const s = getComputedStyle(document.activeElement);
      return { outline: s.outlineStyle, outlineWidth: parseFloat(s.outlineWidth), shadow: s.boxShadow };
    });
    assert.equal(mark.outline, 'solid');
    assert.ok(mark.outlineWidth >= 2);
    // The mark stands around the region's bounding box (picture pixels 30..150 x 30..120).
    const box = await page.locator(':focus').boundingBox();
    const topLeft = await pointOnPicture(page, 30, 30);
    const bottomRight = await pointOnPicture(page, 150, 120);
    assert.ok(Math.abs(box.x - topLeft.x) <= 3 && Math.abs(box.y - topLeft.y) <= 3, JSON.stringify(box));
    assert.ok(Math.abs(box.x + box.width - bottomRight.x) <= 3, JSON.stringify(box));
    assert.ok(Math.abs(box.y + box.height - bottomRight.y) <= 3, JSON.stringify(box));

    // Moving on hides it and shows the next region's set.
    await page.keyboard.press('Tab');
    const next = await panelState(page);
    assert.equal(next.hint?.text, 'Колокол');
    assert.equal(next.picture, null);
    await page.keyboard.press('Escape');
    assert.equal((await panelState(page)).visible, false, 'Escape closes it');
    await close();
  });

  test('the focus mark follows the picture when the window is narrow', async () => {
    const { page, close } = await openFixture({ viewport: { width: 300, height: 700 } });
    await page.keyboard.press('Tab');
    await page.keyboard.press('Tab');
    const box = await page.locator(':focus').boundingBox();
    const topLeft = await pointOnPicture(page, 180, 30);
    assert.ok(Math.abs(box.x - topLeft.x) <= 2 && Math.abs(box.y - topLeft.y) <= 2, JSON.stringify(box));
    await close();
  });

  test('Enter performs the click set: a new window, or the same window', async () => {
    const { page, popups, navigations, errors, close } = await openFixture();
    await page.keyboard.press('Tab');
    await page.keyboard.press('Enter');
    await eventually(() => assert.equal(popups.length, 1));
    await popups[0].waitForLoadState();
    assert.match(popups[0].url(), /\/target\.html$/);

    await page.keyboard.press('Tab');
    await page.keyboard.press('Enter');
    await eventually(() => assert.equal(navigations.length, 1));
    assert.equal(popups.length, 1);
    assert.deepEqual(errors.all(), []);
    await close();
  });

  test('the mouse still reaches the picture through the keyboard layer', async () => {
    const { page, popups, close } = await openFixture();
    const point = await centreOf(page, regionOf(project, 3));
    await page.mouse.click(point.x, point.y);
    await eventually(() => assert.equal(popups.length, 1));
    assert.equal(await page.evaluate(() => document.activeElement.classList.contains('qz-region')), false);
    await close();
  });
});
