// Checks the scripts published by the property test of the data block. Argument: the folder
// with manifest.json, listing for every project its script, the values the page must read
// from DATA (by index) and the colour index of every map sample, row by row.
//
// Each script must pass `node --check`; then it runs with a stand-in for the browser (no
// picture element, so the page's own code stops before it touches the page), and the page's
// own map decoder, taken from the template, must give back exactly the sampled indexes.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import vm from 'node:vm';

const dir = process.argv[2];
const template = process.argv[3];
const manifest = JSON.parse(fs.readFileSync(path.join(dir, 'manifest.json'), 'utf8'));

// The decoder is the template's "Map" section up to the grid's creation.
const source = fs.readFileSync(template, 'utf8');
const start = source.indexOf('// ---- Map ----');
const end = source.indexOf('var map = new MapGrid(mapRows);');
assert.ok(start > 0 && end > start, 'the template has its map section');
const decoderSource = `var eventMask = new Uint8Array(256);\n${source.slice(start, end)}\nMapGrid;`;

let failures = 0;
for (const project of manifest) {
  const script = path.join(dir, project.script);
  try {
    execFileSync(process.execPath, ['--check', script], { stdio: 'pipe' });
    const context = { window: {}, document: { getElementById: () => null } };
    vm.runInNewContext(fs.readFileSync(script, 'utf8'), context, { filename: script });
    for (const [index, value] of Object.entries(project.values)) {
      assert.equal(context.DATA[Number(index)], value, `DATA[${index}]`);
    }
    const MapGrid = vm.runInNewContext(decoderSource, {});
    const grid = new MapGrid(context.C);
    assert.equal(grid.rows, project.rows.length, 'map rows');
    project.rows.forEach((row, n) => {
      const decoded = row.map((_, sx) => grid.indexAt(sx, n));
      assert.deepEqual(decoded, row, `map row ${n}`);
    });
  } catch (error) {
    failures++;
    console.error(`${project.script}: ${error.message}`);
  }
}
console.log(`${manifest.length} scripts checked, ${failures} failed`);
process.exit(failures ? 1 : 0);
