// The map page in a real browser engine (Debian's Chromium through playwright-core), with every
// request that would leave the machine blocked, so it also shows the page working offline.
//   LUM_MAP_PAGE_DIR  the staged page folder (map.html, 190.svg, leaflet/) from the build
//   LUM_CHROMIUM      the browser, /usr/bin/chromium unless set
//   LUM_MAP_PAGE_SHOT optional: where to save a picture of the page with a track drawn
import assert from 'node:assert/strict';
import { existsSync } from 'node:fs';
import path from 'node:path';
import { after, before, beforeEach, afterEach, describe, test } from 'node:test';
import { pathToFileURL } from 'node:url';

const pageDir = process.env.LUM_MAP_PAGE_DIR;
const chromiumPath = process.env.LUM_CHROMIUM || '/usr/bin/chromium';

let chromium;
try {
  ({ chromium } = await import('playwright-core'));
} catch (e) {
  throw new Error(`playwright-core is missing: run "npm ci --prefix tests/map" (${e.message})`);
}
if (!pageDir || !existsSync(path.join(pageDir, 'map.html'))) {
  throw new Error(`LUM_MAP_PAGE_DIR must name the built page folder (got "${pageDir}")`);
}
if (!existsSync(chromiumPath)) {
  throw new Error(`no browser at ${chromiumPath}: install Debian's chromium package`);
}

const pageUrl = pathToFileURL(path.join(pageDir, 'map.html')).href;
const CENTRE = { lat: 35.658517, lng: 139.745493 };

let browser;
let context;
let page;
let blocked;
let consoleMessages;

before(async () => {
  browser = await chromium.launch({
    executablePath: chromiumPath,
    headless: true,
    args: [
      '--no-sandbox',
      '--headless',
      '--disable-gpu',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      '--no-first-run',
    ],
  });
});

after(async () => {
  await browser?.close();
});

beforeEach(async () => {
  blocked = [];
  consoleMessages = [];
  context = await browser.newContext({ viewport: { width: 480, height: 300 } });
  await context.route('**/*', (route) => {
    const url = new URL(route.request().url());
    if (url.protocol === 'file:' || url.hostname === '127.0.0.1' || url.hostname === 'localhost') {
      return route.continue();
    }
    blocked.push(url.href);
    return route.abort();
  });
  page = await context.newPage();
  page.on('console', (m) => consoleMessages.push(m.text()));
  await page.goto(pageUrl, { waitUntil: 'load' });
});

afterEach(async () => {
  await context.close();
});

// Everything the tests read back from the page in one go.
function state() {
  return page.evaluate(() => {
    const pts = (ll) => ll.map((p) => [p.lat, p.lng]);
    const c = map.getCenter();
    const m = aitmarker.getLatLng();
    return {
      centre: { lat: c.lat, lng: c.lng },
      zoom: map.getZoom(),
      marker: { lat: m.lat, lng: m.lng },
      track: pts(poly.getLatLngs()),
      trackGlobal: pts(path),
      driven: pts(polyDrived.getLatLngs()),
      drivenGlobal: pts(pathDrived),
    };
  });
}

function assertNear(actual, expected, what, tolerance = 1e-9) {
  assert.ok(Math.abs(actual.lat - expected.lat) < tolerance, `${what} latitude ${actual.lat}`);
  assert.ok(Math.abs(actual.lng - expected.lng) < tolerance, `${what} longitude ${actual.lng}`);
}

// Leaflet puts the centre on a whole screen pixel: about 4e-5 degrees at zoom 15.
function assertCentre(actual, expected) {
  assertNear(actual, expected, 'centre', 1e-4);
}

describe('map page', () => {
  test('starts at the initial centre with the pin, empty tracks and the attribution', async () => {
    const s = await state();
    assertCentre(s.centre, CENTRE);
    assert.equal(s.zoom, 15);
    assertNear(s.marker, CENTRE, 'marker');
    assert.deepEqual([s.track, s.driven, s.trackGlobal, s.drivenGlobal], [[], [], [], []]);

    const looks = await page.evaluate(() =>
      [poly, polyDrived].map((p) => [p.options.color, p.options.opacity, p.options.weight]));
    // The driven part is a dark line along the middle of the (coloured) track.
    assert.deepEqual(looks, [['#8833FF', 0.5, 6], ['#202020', 0.85, 3]]);
    assert.equal(await page.$('.speed-legend'), null);

    const pin = await page.evaluate(() => {
      const img = document.querySelector('.leaflet-marker-pane img');
      return { src: img.getAttribute('src'), w: img.naturalWidth, h: img.naturalHeight,
               box: [img.width, img.height], title: img.title };
    });
    assert.deepEqual(pin, { src: '190.svg', w: 32, h: 41, box: [32, 41], title: '' });

    const attribution = await page.textContent('.leaflet-control-attribution');
    assert.match(attribution, /OpenStreetMap/);
    // The page asked for its tiles and carried on without them.
    assert.ok(blocked.some((u) => u.startsWith('https://tile.openstreetmap.org/15/')),
              `tile requests: ${blocked.slice(0, 3).join(', ')}`);
  });

  test('path_plot appends to the full track, path_delete empties it, also when empty', async () => {
    await page.evaluate(() => {
      path_plot(35.6585, 139.7455);
      path_plot(35.659, 139.746);
      path_plot(35.6595, 139.7465);
    });
    let s = await state();
    assert.deepEqual(s.track, [[35.6585, 139.7455], [35.659, 139.746], [35.6595, 139.7465]]);
    assert.deepEqual(s.trackGlobal, s.track);
    assert.deepEqual(s.driven, []);
    // The track is really drawn, in its colour, with tiles absent.
    const drawn = await page.evaluate(() => poly.getElement().getAttribute('d'));
    assert.match(drawn, /^M[-\d.]+ [-\d.]+L/);

    await page.evaluate(() => path_delete());
    s = await state();
    assert.deepEqual([s.track, s.trackGlobal], [[], []]);
    // Deleting what is already empty changes nothing and throws nothing.
    await page.evaluate(() => { path_delete(); pathdrived_delete(); });
    s = await state();
    assert.deepEqual([s.track, s.driven], [[], []]);
    assertNear(s.marker, CENTRE, 'marker');
  });

  test('path_plot_all appends a whole track in one call; a bad point changes nothing', async () => {
    await page.evaluate(() => {
      path_plot(35.6585, 139.7455);
      path_plot_all([[35.659, 139.746], [35.6595, 139.744]]);
      path_plot_all([]);
    });
    let s = await state();
    assert.deepEqual(s.track, [[35.6585, 139.7455], [35.659, 139.746], [35.6595, 139.744]]);
    assert.deepEqual(s.trackGlobal, s.track);
    // Drawn as one line through all three points (they do not lie on one straight line).
    const drawn = await page.evaluate(() => poly.getElement().getAttribute('d'));
    assert.match(drawn, /^M[-\d.]+ [-\d.]+L[-\d.]+ [-\d.]+L[-\d.]+ [-\d.]+$/);

    const threw = await page.evaluate(() => {
      try {
        path_plot_all([[35.7, 139.8], ['x', 1]]);
        return false;
      } catch (e) {
        return true;
      }
    });
    assert.ok(threw);
    s = await state();
    assert.equal(s.track.length, 3);
  });

  test('speeds colour the track by a fixed scale with a legend; events are dots with a tip', async () => {
    // Offline, like every test here: the lines, legend and dots need no tile.
    await page.evaluate(() => {
      path_plot_all([[35.6585, 139.7455, 10], [35.659, 139.746, 20], [35.6595, 139.7465, 70],
                     [35.66, 139.747], [35.6605, 139.7475, 120], [35.661, 139.748, 125]]);
      pathdrived_plot_to_n(3);
    });
    const lines = () => page.evaluate(() => speedLayer.getLayers().map((l) =>
      [l.options.color, l.getLatLngs().length, !!l.getElement()]));
    // Each segment takes the speed of the point it leads to: a slow segment,
    // a 60-80 one, none into the point of unknown speed (the purple track shows
    // there), then a fast run of two.
    assert.deepEqual(await lines(), [['#2c7bb6', 2, true], ['#f9d057', 2, true],
                                     ['#d7191c', 3, true]]);
    const legend = await page.textContent('.speed-legend');
    assert.match(legend, /0\u201330.*100\+.*km\/h/);
    // The driven part is drawn above the colours.
    assert.ok(await page.evaluate(() =>
      polyDrived.getElement().parentNode.lastChild === polyDrived.getElement()));

    await page.evaluate(() => events_plot([[35.659, 139.746, '#ff3030', 'Harsh braking <b>0.52 g</b>'],
                                           [35.661, 139.748, 'javascript:x', 'Impact']]));
    const dots = await page.evaluate(() => eventLayer.getLayers().map((d) =>
      [d.options.fillColor, d.getTooltip().getContent().textContent]));
    assert.deepEqual(dots, [['#ff3030', 'Harsh braking <b>0.52 g</b>'], ['#ff00ff', 'Impact']]);
    assert.equal(await page.$$eval('path.leaflet-interactive', (p) => p.length) >= 5, true);

    // A bad event leaves the dots as they were; path_delete and events_delete clear all.
    const threw = await page.evaluate(() => {
      try { events_plot([[NaN, 1, '#000000', 'x']]); return false; } catch (e) { return true; }
    });
    assert.ok(threw);
    assert.equal(await page.evaluate(() => eventLayer.getLayers().length), 2);
    await page.evaluate(() => { path_delete(); events_delete(); });
    assert.deepEqual(await lines(), []);
    assert.equal(await page.evaluate(() => eventLayer.getLayers().length), 0);
    assert.equal(await page.$('.speed-legend'), null);
  });

  test('movpos centres the map, moves the marker and extends the driven path', async () => {
    await page.evaluate(() => {
      movpos(35.658517, 139.743827);
      movpos(35.66, 139.75, 90);
    });
    let s = await state();
    assertCentre(s.centre, { lat: 35.66, lng: 139.75 });
    assertNear(s.marker, { lat: 35.66, lng: 139.75 }, 'marker');
    assert.deepEqual(s.driven, [[35.658517, 139.743827], [35.66, 139.75]]);
    assert.deepEqual(s.drivenGlobal, s.driven);
    assert.deepEqual(s.track, []);
    assert.equal(s.zoom, 15);

    await page.evaluate(() => pathdrived_plot(35.67, 139.76));
    s = await state();
    assert.equal(s.driven.length, 3);
    assertNear(s.marker, { lat: 35.66, lng: 139.75 }, 'marker after pathdrived_plot');

    await page.evaluate(() => pathdrived_delete());
    s = await state();
    assert.deepEqual([s.driven, s.drivenGlobal], [[], []]);
  });

  test('set_center moves only the view', async () => {
    await page.evaluate(() => { path_plot(1, 2); set_center(-37.5, 144.833333); });
    const s = await state();
    assertCentre(s.centre, { lat: -37.5, lng: 144.833333 });
    assertNear(s.marker, CENTRE, 'marker');
    assert.deepEqual([s.track, s.driven], [[[1, 2]], []]);
  });

  test('pathdrived_plot_to_n copies the first n points of the track', async () => {
    await page.evaluate(() => {
      for (let i = 0; i < 5; i++) {
        path_plot(35 + i / 100, 139 + i / 100);
      }
      movpos(10, 20);
      movpos(11, 21);
    });
    const track = (await state()).track;

    await page.evaluate(() => pathdrived_plot_to_n(3));
    let s = await state();
    assert.deepEqual(s.driven, track.slice(0, 3));
    assert.deepEqual(s.drivenGlobal, s.driven);
    assert.equal(s.track.length, 5);

    await page.evaluate(() => pathdrived_plot_to_n(9));
    assert.deepEqual((await state()).driven, track);
    await page.evaluate(() => pathdrived_plot_to_n(0));
    assert.deepEqual((await state()).driven, []);
    // The driven path is a copy: emptying it leaves the track alone.
    await page.evaluate(() => { pathdrived_plot_to_n(2); pathdrived_delete(); });
    s = await state();
    assert.deepEqual([s.driven, s.track], [[], track]);
  });

  test('a right click on the map is refused by the page', async () => {
    await page.evaluate(() => {
      window.prevented = null;
      window.addEventListener('contextmenu', (e) => { window.prevented = e.defaultPrevented; });
    });
    await page.click('#map_canvas', { button: 'right', position: { x: 100, y: 100 } });
    assert.equal(await page.evaluate(() => window.prevented), true);
  });

  test('script errors and console output stay inside the page', async () => {
    // A failing call leaves everything as it was, and the calls before it stand.
    await page.addScriptTag({ content: 'path_plot(1, 2); movpos("north", 3); no_such_function();' });
    await page.addScriptTag({ content: 'console.log("chatter"); console.error("noise");' });
    const s = await state();
    assert.deepEqual(s.track, [[1, 2]]);
    assert.deepEqual(s.driven, []);
    assertNear(s.marker, CENTRE, 'marker');
    assert.equal(await page.evaluate(() => window.onerror('x', 'y', 1, 1, new Error('x'))), true);
    // The browser's own notes on the blocked tiles are not the page's output.
    const fromPage = consoleMessages.filter((m) => !m.startsWith('Failed to load resource'));
    assert.deepEqual(fromPage, []);
    assert.ok(blocked.length > 0);

    // Left for a person to look at: the track, the driven part and the pin on the empty ground.
    if (process.env.LUM_MAP_PAGE_SHOT) {
      await page.evaluate(() => {
        path_delete();
        for (let i = 0; i <= 20; i++) {
          path_plot(35.658517 + i * 0.0004, 139.740 + i * 0.0006 + (i % 5) * 0.0002);
        }
        pathdrived_plot_to_n(12);
        movpos(35.658517 + 12 * 0.0004, 139.740 + 12 * 0.0006 + 2 * 0.0002);
      });
      await page.screenshot({ path: process.env.LUM_MAP_PAGE_SHOT });
    }
  });
});
