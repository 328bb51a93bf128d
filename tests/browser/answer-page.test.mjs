// The answer page in headless Chromium: answers are converted and pushed by the script the answer
// web view hands its page (written by tools/answer-page over the simulated desktop), and the page
// highlights code, turns diagrams into images, takes the dark scheme, shows the placeholder, keeps
// the content unchanged, reports heights that follow it, and runs nothing that an answer carries.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { chromium } from 'playwright-core';

const binaryDir = process.env.QUELLORIN_BINARY_DIR ?? 'build';
const tool = join(binaryDir, 'tools', 'answer-page', 'answer-page');
const folders = [];
let browser;

before(async () => {
  browser = await chromium.launch({
    executablePath: '/usr/bin/chromium',
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
});

after(async () => {
  await browser?.close();
  for (const folder of folders) rmSync(folder, { recursive: true, force: true });
});

// Writes the page and the pushes of `answers` (Markdown) with the interface language `language`.
function writePage(answers, language) {
  const folder = mkdtempSync(join(tmpdir(), 'answer-page-'));
  folders.push(folder);
  const args = [folder, ...(language ? ['--language', language] : [])];
  const run = spawnSync(tool, args, { input: JSON.stringify(answers), encoding: 'utf8' });
  assert.equal(run.status, 0, run.stderr);
  const [pageLine, pushes] = run.stdout.trim().split('\n');
  assert.match(pageLine, /^page \//);
  return { path: pageLine.slice('page '.length), pushes: JSON.parse(pushes) };
}

// Opens the page as the card shows it: 360 points wide, as tall as the last height measured
// (42 to start with), up to 300.
async function openPage(answers, { language, colorScheme = 'light' } = {}) {
  const { path, pushes } = writePage(answers, language);
  const page = await browser.newPage({ colorScheme, viewport: { width: 360, height: 42 } });
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  await page.goto(`file://${path}`);
  // Pushes answer `index` as the view does, lets the page's diagram pass run, and measures.
  const push = async (index, settle = 700) => {
    await page.evaluate(pushes[index].script);
    await page.waitForTimeout(settle);
    const height = Number(await page.evaluate('document.body.scrollHeight'));
    await page.setViewportSize({ width: 360, height: Math.max(1, Math.min(height, 300)) });
    return height;
  };
  return { page, pushes, push, errors };
}

const fence = (language, body) => `\`\`\`${language}\n${body}\n\`\`\``;

test('the scripts the page calls are there', async () => {
  const { page } = await openPage([]);
  const calls = await page.evaluate(() => [typeof hljs.configure, typeof hljs.highlightAll,
    typeof hljs.highlightElement, typeof mermaid.initialize, typeof mermaid.init]);
  assert.deepEqual(calls, Array(5).fill('function'));
  await page.close();
});

test('code blocks are highlighted, by their language or by detection', async () => {
  const cases = [
    { answer: fence('python', 'def add(a, b):\n    return a + b  # sum'), token: '.hljs-keyword' },
    { answer: fence('javascript', 'const x = "text";'), token: '.hljs-string' },
    { answer: fence('', 'SELECT id FROM jobs WHERE id = 1;'), token: '[class^="hljs-"]' },
  ];
  for (const { answer, token } of cases) {
    const { page, push } = await openPage([answer]);
    await push(0);
    assert.equal(await page.locator('pre code.hljs').count(), 1, answer);
    assert.ok(await page.locator(`pre code ${token}`).count() > 0, answer);
    await page.close();
  }
});

test('a diagram becomes an image whose download button shows on hover', async () => {
  const cases = [
    { answer: fence('mermaid', 'graph TD\nA[Start] --> B[End]'), label: 'Start' },
    { answer: fence('mermaid', 'flowchart LR\nAlice --> Bob'), label: 'Alice' },
    // Labels outside Latin-1 are encoded as UTF-8 before Base64.
    { answer: fence('mermaid', 'graph TD\nA[开始] --> B[終わり é]'), label: '开始' },
  ];
  for (const { answer, label } of cases) {
    const { page, push, errors } = await openPage([answer]);
    await push(0, 1500);
    const image = page.locator('.mermaid-container img.mermaid-img');
    assert.equal(await image.count(), 1, answer);
    const source = await image.getAttribute('src');
    assert.match(source, /^data:image\/svg\+xml;base64,/);
    const svg = Buffer.from(source.slice(source.indexOf(',') + 1), 'base64').toString('utf8');
    assert.ok(svg.includes(label), `the image carries "${label}"`);
    const button = page.locator('.mermaid-container .download-btn');
    assert.equal(await button.textContent(), '下载');
    assert.equal(await button.evaluate((element) => getComputedStyle(element).display), 'none');
    await page.hover('.mermaid-container');
    assert.equal(await button.evaluate((element) => getComputedStyle(element).display), 'block');
    assert.deepEqual(errors, []);
    await page.close();
  }
});

test('the colour schemes', async () => {
  const cases = [
    { colorScheme: 'dark', body: ['rgb(31, 31, 31)', 'rgb(209, 209, 209)'], link: 'rgb(156, 220, 254)',
      code: ['rgb(31, 31, 31)', 'rgb(209, 209, 209)'] },
    { colorScheme: 'light', body: ['rgb(255, 255, 255)', 'rgb(51, 51, 51)'], link: 'rgb(0, 122, 255)',
      code: null },
  ];
  for (const { colorScheme, body, link, code } of cases) {
    const { page, push } = await openPage([`[a link](https://example.org)\n\n${fence('c', 'int x = 1;')}`],
      { colorScheme });
    await push(0);
    const style = (selector, ...properties) => page.$eval(selector,
      (element, names) => names.map((name) => getComputedStyle(element)[name]), properties);
    assert.deepEqual(await style('body', 'backgroundColor', 'color'), body, colorScheme);
    assert.deepEqual(await style('a', 'color'), [link], colorScheme);
    const inline = await page.$eval('pre code', (element) => [element.style.backgroundColor, element.style.color]);
    assert.deepEqual(inline, code ?? ['', ''], colorScheme);
    await page.close();
  }
});

test('the placeholder follows the interface language', async () => {
  const cases = [[undefined, 'Loading...'], ['en', 'Loading...'], ['zh', '加载中...'], ['jp', '読み込み中...'],
    ['fr', 'Chargement...'], ['de', '加载中...']];
  for (const [language, text] of cases) {
    const { page, push } = await openPage([''], { language });
    await push(0, 0);
    assert.equal(await page.evaluate(() => document.body.innerHTML), `<p>${text}</p>`, language);
    await page.close();
  }
});

test('backticks, backslashes and "${" arrive unchanged', async () => {
  const cases = [
    'Price: ${total} and \\\\ and \\` here',
    'Template `a${b}` and `\\`',
    '${ \\${ $\\{ \\\\${',
  ];
  const { page, pushes } = await openPage(cases);
  for (let index = 0; index < cases.length; index++) {
    // Read before the page's own highlighting reworks the code spans.
    const body = await page.evaluate((script) => {
      (0, eval)(script);
      return document.body.innerHTML;
    }, pushes[index].script);
    assert.equal(body, pushes[index].html, cases[index]);
  }
  const code = 'let s = `${a}\\n` + "\\\\";';
  const withCode = await openPage([fence('javascript', code)]);
  await withCode.push(0);
  assert.equal(await withCode.page.textContent('pre code'), `${code}\n`);
  await page.close();
  await withCode.page.close();
});

test('the measured height grows and shrinks with the content', async () => {
  const short = 'One line.';
  const long = Array.from({ length: 12 }, (_, index) => `Paragraph ${index + 1}.`).join('\n\n');
  const { page, push } = await openPage([short, long, short]);
  const heights = [await push(0), await push(1), await push(2)];
  assert.ok(heights[1] > heights[0], `grows: ${heights}`);
  assert.ok(heights[1] > 300, `a long answer goes past the card: ${heights}`);
  assert.equal(heights[2], heights[0], `shrinks back: ${heights}`);
  await page.close();
});

test('nothing an answer carries runs in the page', async () => {
  const payload = '<img src=x onerror="window.ran=(window.ran||0)+1">';
  const cases = [
    ['known language', fence('html', payload)],
    ['unknown language', fence('nosuchlanguage', payload)],
    ['no language', fence('', payload)],
    ['starts like a diagram', fence('nosuchlanguage', `graph TD\n${payload}`)],
    ['raw HTML block', payload],
    ['raw HTML inline', `text ${payload} more`],
    ['diagram label', fence('mermaid', `graph TD\nA["${payload}"] --> B`)],
    ['diagram text', fence('mermaid', `graph TD\nA --> B\nclick A "javascript:window.ran=1"\n${payload}`)],
    ['sequence message', fence('mermaid', `sequenceDiagram\nAlice->>Bob: ${payload}`)],
  ];
  for (const [name, answer] of cases) {
    const { page, push } = await openPage([answer]);
    await push(0, 1500);
    for (const [x, y] of [[5, 5], [100, 20], [180, 100]]) await page.mouse.move(x, y);
    assert.equal(await page.evaluate(() => window.ran), undefined, name);
    assert.equal(await page.locator('body img:not(.mermaid-img)').count(), 0, name);
    await page.close();
  }
});
