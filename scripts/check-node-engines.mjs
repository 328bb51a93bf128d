// Checks the running Node against the `engines.node` ranges of every package in a lock file, so that a
// Node the locked packages refuse is reported once, at set-up, instead of as a failing test later.
// Usage: node check-node-engines.mjs package-lock.json
// Exit 0 when every range accepts this Node (or names nothing this reader understands: npm then warns on its
// own), 1 with one line on stderr naming the first package that refuses it, 2 when the lock file is unreadable.
import { readFileSync } from 'node:fs';
import { range } from './node-range.mjs';

const lockPath = process.argv[2];
let lock;
try {
  lock = JSON.parse(readFileSync(lockPath, 'utf8'));
} catch (error) {
  console.error(`check-node-engines: cannot read ${lockPath}: ${error.message}`);
  process.exit(2);
}

const running = process.versions.node.split('.').map(Number);
for (const [path, entry] of Object.entries(lock.packages ?? {})) {
  const wanted = entry?.engines?.node;
  if (typeof wanted !== 'string') continue;
  const accepts = range(wanted.trim());
  if (accepts && !accepts(running)) {
    const name = path === '' ? lock.name ?? 'the project' : path.replace(/^.*node_modules\//, '');
    const version = entry.version ? ` ${entry.version}` : '';
    console.error(`Node ${process.versions.node} is refused by the locked web packages: ${name}${version} needs node `
      + `${wanted}; install such a Node, or pin an older ${name} in package.json`);
    process.exit(1);
  }
}
