// Pictures with names that are hard on a page (quotes, "#", "?", "&", "%", "<", Cyrillic), and
// values holding placeholder names, published by the editor itself (headless --publish mode).
// Skipped when the editor has not been built.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { after, before, describe, test } from 'node:test';
import { launchBrowser, openPage, serveFolder, tempDir, watchErrors } from './harness.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const editor = path.join(process.env.QZ_BUILD_DIR ?? path.join(root, 'build'), 'qiv-zarim-editor');
const sample = path.join(root, 'data/sample');
const available = fs.existsSync(editor) && fs.existsSync(path.join(sample, 'sample.png'));

const names = [
  'x" onerror="alert(1)" y="',
  'Дом "у моря" #2',
  '50% & more',
  "it's <b>?&amp;",
  'zarm_[NAME] [EFFECT]',
];
// A tooltip holding what the templates use as placeholders, quotes and a backslash.
const hint = 'Дом [EFFECT] [DATA] [NAME] "q" \'a\' C:\\dir';

let browser;
let server;
let dir;

// The sample project copied under `name`, its tooltip of colour line 74 replaced.
function copySample(name) {
  fs.copyFileSync(path.join(sample, 'sample.png'), path.join(dir, `${name}.png`));
  fs.copyFileSync(path.join(sample, 'sample.map'), path.join(dir, `${name}.map`));
  const lines = fs.readFileSync(path.join(sample, 'sample.zarm'), 'utf8').split('\r\n');
  const fields = lines[73].split('\t');
  fields[15] = hint;
  lines[73] = fields.join('\t');
  fs.writeFileSync(path.join(dir, `${name}.zarm`), lines.join('\r\n'));
}

before(async () => {
  if (!available) return;
  dir = tempDir('names');
  for (const name of names) {
    copySample(name);
    execFileSync(editor, ['--publish', path.join(dir, `${name}.png`)], {
      env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' }, stdio: 'pipe', timeout: 120000,
    });
  }
  server = await serveFolder(dir);
  browser = await launchBrowser();
});

after(async () => {
  await browser?.close();
  await server?.close();
});

describe('names that are hard on a page', { skip: !available && 'the editor is not built' }, () => {
  for (const name of names) {
    test(`"${name}": picture and script load, the name shows as text, nothing of it runs`, async () => {
      assert.ok(fs.existsSync(path.join(dir, `${name}.html`)));
      assert.ok(fs.existsSync(path.join(dir, `zarm_${name}.js`)));
      for (const url of [server.url(`${name}.html`), pathToFileURL(path.join(dir, `${name}.html`)).href]) {
        const context = await browser.newContext({ viewport: { width: 1000, height: 700 } });
        const page = await context.newPage();
        const errors = watchErrors(page);
        const dialogs = [];
        page.on('dialog', (dialog) => { dialogs.push(dialog.message()); dialog.dismiss(); });
        await openPage(page, url);
        const state = await page.evaluate(() => ({
          title: document.title,
          alt: document.getElementById('qz-picture').alt,
          width: document.getElementById('qz-picture').naturalWidth,
          regions: document.querySelectorAll('.qz-region').length,
          injected: [...document.querySelectorAll('*')].some((e) => e.hasAttribute('onerror') || e.hasAttribute('y')),
          // eslint-disable-next-line no-undef
          data: typeof DATA !== 'undefined' ? DATA : [],
        }));
        assert.equal(state.title, name, url);
        assert.equal(state.alt, name, url);
        assert.equal(state.width, 800, `${url}: the picture loads`);
        assert.ok(state.regions > 0, `${url}: the page script ran`);
        assert.equal(state.injected, false, url);
        assert.ok(state.data.includes(hint), `${url}: the tooltip arrives as typed`);
        assert.deepEqual(dialogs, [], url);
        assert.deepEqual(errors.all(), [], url);
        await context.close();
      }
    });
  }
});
