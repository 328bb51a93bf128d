// The Markdown web view's page, opened in headless Chromium: the page that the view writes
// (its template with the rendered Markdown in place of the placeholder) shows the document with
// the template's style sheet, and a clicked link is routed as the view routes it: cancelled in
// the page and handed to the system.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { once } from 'node:events';
import { existsSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, dirname } from 'node:path';
import { createInterface } from 'node:readline';
import { chromium } from 'playwright-core';

const binaryDir = process.env.QUELLORIN_BINARY_DIR ?? 'build';
const tool = join(binaryDir, 'tools', 'markdown-page', 'markdown-page');

const markdown = `# Browser check

Some *emphasis* and a [link out](https://example.org/elsewhere).

- one
- two

\`\`\`
let x = 1
\`\`\`
`;

// Runs markdown-page and reads its answers line by line.
function startTool(file) {
  const child = spawn(tool, [file], { stdio: ['pipe', 'pipe', 'inherit'] });
  const lines = [];
  const waiting = [];
  createInterface({ input: child.stdout }).on('line', (line) => {
    const next = waiting.shift();
    if (next) next(line); else lines.push(line);
  });
  const readLine = () => (lines.length > 0 ? Promise.resolve(lines.shift()) : new Promise((resolve) => waiting.push(resolve)));
  return { child, readLine, send: (command) => child.stdin.write(`${command}\n`) };
}

test('the written page shows the Markdown and routes a clicked link outside', async () => {
  const folder = mkdtempSync(join(tmpdir(), 'markdown-view-browser-'));
  const file = join(folder, 'document.md');
  writeFileSync(file, markdown);
  const tool = startTool(file);
  const browser = await chromium.launch({
    executablePath: '/usr/bin/chromium',
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  try {
    const pageLine = await tool.readLine();
    assert.match(pageLine, /^page \//);
    const pagePath = pageLine.slice('page '.length);

    const page = await browser.newPage();
    await page.goto(`file://${pagePath}`);
    assert.equal(await page.textContent('h1'), 'Browser check');
    assert.equal(await page.textContent('em'), 'emphasis');
    assert.equal(await page.locator('li').count(), 2);
    assert.equal((await page.textContent('pre code')).trim(), 'let x = 1');
    assert.equal(await page.content().then((html) => html.includes('MARKDOWN_HTML')), false);
    // The style sheet beside the page was copied with it and applies.
    const background = await page.$eval('pre', (element) => getComputedStyle(element).backgroundColor);
    assert.equal(background, 'rgb(243, 244, 246)');

    // The click leaves the page as a navigation; the view decides it, as its navigation
    // delegate would: a cancelled navigation is dropped, and the link goes to the system.
    const decisions = [];
    const opened = [];
    await page.route('https://example.org/**', async (route) => {
      if (!route.request().isNavigationRequest()) return route.continue();
      tool.send(`click ${route.request().url()}`);
      let answer = await tool.readLine();
      while (answer.startsWith('open ')) {
        opened.push(answer.slice('open '.length));
        answer = await tool.readLine();
      }
      decisions.push(answer);
      return answer === 'cancel' ? route.abort('aborted') : route.continue();
    });
    await Promise.all([page.waitForEvent('requestfailed'), page.click('a')]);
    assert.deepEqual(decisions, ['cancel']);
    assert.deepEqual(opened, ['https://example.org/elsewhere']);
    assert.equal(page.url(), `file://${pagePath}`);
    assert.equal(await page.textContent('h1'), 'Browser check');

    tool.send('finish');
    assert.equal(await tool.readLine(), 'loaded 1');

    tool.child.stdin.end();
    const [code] = await once(tool.child, 'exit');
    assert.equal(code, 0);
    assert.equal(existsSync(dirname(pagePath)), false, 'the copy is removed when the view goes');
  } finally {
    await browser.close();
    tool.child.kill();
    rmSync(folder, { recursive: true, force: true });
  }
});
