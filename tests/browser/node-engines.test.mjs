// The set-up check of the running Node against the lock file's `engines` ranges: the range reader on the
// forms packages write, and the check itself on lock files that accept and refuse this Node.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { range } from '../../scripts/node-range.mjs';

const checkScript = fileURLToPath(new URL('../../scripts/check-node-engines.mjs', import.meta.url));

test('ranges accept and refuse the versions semantic versioning gives them', () => {
  const cases = [
    // [range, version, accepted]
    ['>=18', '18.20.4', true],
    ['>=20', '18.20.4', false],
    ['>= 18', '17.9.9', false],
    ['>=18.0.0', '18.0.0', true],
    ['>18', '18.20.4', false],
    ['>18', '19.0.0', true],
    ['>18.2.0', '18.2.0', false],
    ['>18.2.0', '18.2.1', true],
    ['<20', '19.9.9', true],
    ['<20', '20.0.0', false],
    ['<=18', '18.99.0', true],
    ['<=18', '19.0.0', false],
    ['18.20.4', '18.20.4', true],
    ['=18.20.4', '18.20.5', false],
    ['18.x', '18.1.0', true],
    ['18.x', '19.0.0', false],
    ['18', '17.9.0', false],
    ['^18.17.0 || >=20.3.0', '18.20.4', true],
    ['^18.17.0 || >=20.3.0', '18.16.0', false],
    ['^18.17.0 || >=20.3.0', '20.1.0', false],
    ['^18.17.0 || >=20.3.0', '20.3.0', true],
    ['^14.17.0 || ^16.13.0 || >=18.0.0', '18.20.4', true],
    ['^14.17.0 || ^16.13.0 || >=18.0.0', '17.0.0', false],
    ['^0.2.3', '0.2.9', true],
    ['^0.2.3', '0.3.0', false],
    ['^0.0.3', '0.0.4', false],
    ['^0.x', '0.9.0', true],
    ['~18.20.0', '18.20.9', true],
    ['~18.20.0', '18.21.0', false],
    ['~18', '18.99.0', true],
    ['~18', '19.0.0', false],
    ['16 - 18', '18.99.0', true],
    ['16 - 18', '19.0.0', false],
    ['16 - 18', '15.9.9', false],
    ['>=16 <19', '18.20.4', true],
    ['>=16 <19', '19.0.0', false],
    ['*', '0.1.0', true],
    ['', '22.0.0', true],
  ];
  for (const [text, version, accepted] of cases) {
    const accepts = range(text);
    assert.ok(accepts, `"${text}" is read`);
    assert.equal(accepts(version.split('.').map(Number)), accepted, `"${text}" on ${version}`);
  }
});

test('ranges that cannot be read are reported as such', () => {
  for (const text of ['latest', '>=eighteen', '18.0.0.1', '>=']) assert.equal(range(text), undefined, text);
});

test('the check passes the Node a lock file accepts and names the package that refuses it', () => {
  const folder = mkdtempSync(join(tmpdir(), 'node-engines-'));
  try {
    const major = Number(process.versions.node.split('.')[0]);
    const lockWith = (engines) => {
      const file = join(folder, 'package-lock.json');
      writeFileSync(file, JSON.stringify({
        name: 'sample',
        lockfileVersion: 3,
        packages: {
          '': { name: 'sample' },
          'node_modules/plain': { version: '1.0.0' },
          'node_modules/outer/node_modules/inner-driver': { version: '2.3.4', engines },
        },
      }));
      return file;
    };
    const run = (file) => spawnSync(process.execPath, [checkScript, file], { encoding: 'utf8' });
    const cases = [
      // [engines, exit status, text on stderr]
      [{ node: `>=${major}` }, 0, ''],
      [{ node: `^${major - 2}.0.0 || >=${major}` }, 0, ''],
      [{ npm: '>=99' }, 0, ''],
      [{ node: 'latest' }, 0, ''],
      [{ node: `>=${major + 1}` }, 1, `inner-driver 2.3.4 needs node >=${major + 1}`],
      [{ node: `<${major}` }, 1, `Node ${process.versions.node} is refused`],
    ];
    for (const [engines, status, text] of cases) {
      const result = run(lockWith(engines));
      assert.equal(result.status, status, JSON.stringify(engines));
      assert.ok(result.stderr.includes(text), result.stderr);
      assert.equal(result.stderr.trim().split('\n').length, 1, 'one line');
      if (status === 0) assert.equal(result.stderr, '');
    }
    writeFileSync(join(folder, 'broken.json'), '{ "packages": ');
    assert.equal(run(join(folder, 'broken.json')).status, 2);
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
});
