// The evidence report of a sample-card recording in a real browser engine (Debian's Chromium
// through playwright-core) with every request that would leave the machine blocked: it opens
// offline, raises no script error and draws the track with its events and scale bar.
//   LUMTOOL        the lumtool executable
//   LUM_MAKE_CARD  the lum-make-card executable (needs ffmpeg)
//   LUM_CHROMIUM   the browser, /usr/bin/chromium unless set
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readdirSync, rmSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { pathToFileURL } from 'node:url';

const chromiumPath = process.env.LUM_CHROMIUM || '/usr/bin/chromium';
const { chromium } = await import('playwright-core');

let browser;
let scratch;
let report;

before(async () => {
  scratch = mkdtempSync(path.join(os.tmpdir(), 'lum-evidence-'));
  const card = path.join(scratch, 'card');
  execFileSync(process.env.LUM_MAKE_CARD, [card, '--minutes', '8', '--seconds-per-recording', '4',
    '--size', '160x90', '--fps', '5', '--seed', '7'], { stdio: 'ignore' });
  // The emergency recording holds the hard braking.
  const events = path.join(card, 'DCIM', '101EVENT');
  const emergency = readdirSync(events).find((n) => n.startsWith('EMER'));
  const folder = execFileSync(process.env.LUMTOOL, ['evidence', path.join(events, emergency),
    '--out', path.join(scratch, 'out')], { encoding: 'utf8' }).trim();
  report = path.join(folder, 'report.html');
  assert.ok(existsSync(report), report);
  browser = await chromium.launch({
    executablePath: chromiumPath,
    headless: true,
    args: ['--no-sandbox', '--headless', '--disable-gpu', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--no-first-run'],
  });
});

after(async () => {
  await browser?.close();
  if (scratch) rmSync(scratch, { recursive: true, force: true });
});

test('the report opens offline without script errors and draws the track', async () => {
  const context = await browser.newContext({ viewport: { width: 900, height: 1400 } });
  const requests = [];
  await context.route('**/*', (route) => {
    const url = new URL(route.request().url());
    if (url.protocol === 'file:') return route.continue();
    requests.push(url.href);
    return route.abort();
  });
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  await page.goto(pathToFileURL(report).href, { waitUntil: 'load' });

  const seen = await page.evaluate(() => {
    const line = document.querySelector('svg#track polyline.track');
    const box = line ? line.getBBox() : null;
    return {
      points: line ? line.points.numberOfItems : 0,
      width: box ? box.width : 0,
      height: box ? box.height : 0,
      events: document.querySelectorAll('svg#track g.event').length,
      scale: document.querySelector('svg#track g.scale text')?.textContent ?? '',
      rows: [...document.querySelectorAll('#events tr')].map((r) => r.textContent),
      title: document.title,
    };
  });
  assert.deepEqual(errors, []);
  assert.deepEqual(requests, [], 'the report asks for nothing outside its folder');
  assert.ok(seen.points > 1, `track points: ${seen.points}`);
  assert.ok(seen.width > 50 || seen.height > 50, 'the track spans the picture');
  assert.ok(seen.events >= 1, 'the braking is marked on the track');
  assert.match(seen.scale, /^\d+ (m|km)$/);
  assert.match(seen.title, /^EMER/);
  assert.ok(seen.rows.some((r) => r.includes('Harsh braking')), seen.rows.join('\n'));
  assert.ok(seen.rows.some((r) => r.includes('Emergency recording')), seen.rows.join('\n'));
  if (process.env.LUM_EVIDENCE_SHOT) await page.screenshot({ path: process.env.LUM_EVIDENCE_SHOT, fullPage: true });
  await context.close();
});
