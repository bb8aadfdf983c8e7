// Clicks and double clicks on the regions of a published page: links, windows, and which set
// a double click performs.

import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { makeFixture } from './fixture.mjs';
import {
  centreOf, eventually, launchBrowser, openPage, panelState, regionOf, serveFolder, tempDir,
  watchErrors,
} from './harness.mjs';

let browser;
let server;
let project;

before(async () => {
  const fixture = await makeFixture(tempDir('click'));
  project = fixture.project;
  for (const name of ['target', 'same', 'double', 'tap', 'over']) {
    fs.writeFileSync(path.join(fixture.pageDir, `${name}.html`), `<!DOCTYPE html><title>${name}</title>`);
  }
  server = await serveFolder(fixture.pageDir);
  browser = await launchBrowser();
});

after(async () => {
  await browser?.close();
  await server?.close();
});

async function openFixture() {
  const context = await browser.newContext({ viewport: { width: 900, height: 700 } });
  const page = await context.newPage();
  const popups = [];
  page.on('popup', (popup) => popups.push(popup));
  const errors = watchErrors(page);
  await openPage(page, server.url('photo.html'));
  return { page, popups, errors, close: () => context.close() };
}

async function pointAt(page, color) {
  const point = await centreOf(page, regionOf(project, color));
  await page.mouse.move(point.x, point.y, { steps: 2 });
  return point;
}

// Lets a click that waits for a possible double click run out, and what it starts settle.
const settle = (page) => page.waitForTimeout(900);

describe('click', () => {
  test('a link with the new-window flag opens in a new window', async () => {
    const { page, popups, errors, close } = await openFixture();
    const point = await pointAt(page, 3);
    const popup = page.waitForEvent('popup');
    await page.mouse.click(point.x, point.y);
    const opened = await popup;
    await opened.waitForLoadState();
    assert.match(opened.url(), /\/target\.html$/);
    await settle(page);
    assert.match(page.url(), /\/photo\.html$/, 'the page itself stays');
    assert.equal(popups.length, 1);
    assert.deepEqual(errors.all(), []);
    await close();
  });

  test('a link without the flag opens in the same window', async () => {
    const { page, popups, close } = await openFixture();
    const point = await pointAt(page, 7);
    await page.mouse.click(point.x, point.y);
    await page.waitForURL(/\/same\.html$/);
    assert.equal(popups.length, 0);
    await close();
  });

  test('a double click performs the double-click set and not the click\'s link', async () => {
    const { page, popups, close } = await openFixture();
    const point = await pointAt(page, 7);
    await page.mouse.dblclick(point.x, point.y);
    await eventually(() => assert.equal(popups.length, 1));
    await popups[0].waitForLoadState();
    assert.match(popups[0].url(), /\/double\.html$/);
    await settle(page);
    assert.match(page.url(), /\/photo\.html$/, 'the click\'s same-window link was not followed');
    const state = await panelState(page);
    assert.equal(state.hint.text, 'Двойной щелчок');
    assert.equal(state.hint.background, 'rgb(255, 255, 0)', 'style 10 is yellow');
    assert.equal(popups.length, 1);
    await close();
  });

  test('a click shows the click set\'s tooltip in place of the pointer-over one', async () => {
    const { page, close } = await openFixture();
    // Region 7's click link leaves the page; stop that navigation to look at the tooltip.
    await page.route('**/same.html', (route) => route.fulfill({ status: 204 }));
    const point = await pointAt(page, 7);
    assert.equal((await panelState(page)).hint.text, 'Колокол');
    await page.mouse.click(point.x, point.y);
    await eventually(async () => assert.equal((await panelState(page)).hint?.text, 'Щелчок'));
    assert.equal((await panelState(page)).hint.background, 'rgb(0, 0, 0)', 'style 2 is black');
    await close();
  });

  test('a click follows the pointer-over set\'s link where the click set has none', async () => {
    const { page, popups, close } = await openFixture();
    const point = await pointAt(page, 9);
    await page.mouse.click(point.x, point.y);
    await page.waitForURL(/\/over\.html$/);
    assert.equal(popups.length, 0, 'its flag "0" keeps it in the same window');
    await close();
  });

  test('a double click on a region without a double-click set follows its link once', async () => {
    const { page, popups, close } = await openFixture();
    const point = await pointAt(page, 3);
    await page.mouse.dblclick(point.x, point.y);
    await eventually(() => assert.equal(popups.length, 1));
    await settle(page);
    assert.equal(popups.length, 1);
    assert.match(popups[0].url(), /\/target\.html$/);
    await close();
  });

  test('clicks off every region and on regions without a click set do nothing', async () => {
    const { page, popups, errors, close } = await openFixture();
    for (const color of [150, 12]) {
      const point = await pointAt(page, color);
      await page.mouse.click(point.x, point.y);
    }
    const { x, y } = await centreOf(page, { rect: [300, 160, 300, 160] });
    await page.mouse.click(x, y);
    await settle(page);
    assert.equal(popups.length, 0);
    assert.match(page.url(), /\/photo\.html$/);
    assert.deepEqual(errors.all(), []);
    await close();
  });
});
