// The sample project published by the editor itself (headless --publish mode), opened in the
// browser. Skipped when the editor has not been built.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { after, before, test } from 'node:test';
import {
  launchBrowser, openPage, panelState, serveFolder, tempDir, watchErrors,
} from './harness.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const editor = path.join(process.env.QZ_BUILD_DIR ?? path.join(root, 'build'), 'qiv-zarim-editor');
const sample = path.join(root, 'data/sample');
const available = fs.existsSync(editor) && fs.existsSync(path.join(sample, 'sample.png'));

let browser;
let server;

before(async () => {
  if (!available) return;
  const dir = tempDir('published');
  for (const name of fs.readdirSync(sample)) fs.copyFileSync(path.join(sample, name), path.join(dir, name));
  execFileSync(editor, ['--publish', path.join(dir, 'sample.png')], {
    env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' }, stdio: 'pipe', timeout: 120000,
  });
  server = await serveFolder(dir);
  browser = await launchBrowser();
});

after(async () => {
  await browser?.close();
  await server?.close();
});

test('the published sample: every region reachable by Tab shows its set, without errors',
    { skip: !available && 'the editor is not built' }, async () => {
      const context = await browser.newContext({ viewport: { width: 1000, height: 700 } });
      const page = await context.newPage();
      const errors = watchErrors(page);
      await openPage(page, server.url('sample.html'));
      const regions = await page.locator('.qz-region').count();
      assert.ok(regions > 0, 'the sample has regions');
      for (let i = 0; i < regions; i++) {
        await page.keyboard.press('Tab');
        const label = await page.evaluate(() => document.activeElement.getAttribute('aria-label'));
        const state = await panelState(page);
        if (state.hint) assert.equal(state.hint.text.replace(/\s+/g, ' ').trim(), label);
      }
      // The pointer over the middle of each region's box finds a region there or nearby.
      const boxes = await page.locator('.qz-region').evaluateAll((buttons) => buttons.map((b) => b.getBoundingClientRect().toJSON()));
      let shown = 0;
      for (const box of boxes) {
        await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2, { steps: 2 });
        if ((await panelState(page)).visible) shown++;
      }
      assert.ok(shown > 0, 'hovering shows something');
      const style = await page.locator('.qz-picture').getAttribute('style');
      assert.match(style ?? '', /brightness\(\d+%\)/, 'the brightness effect is on by default');
      assert.deepEqual(errors.scriptErrors(), []);
      await context.close();
    });
