// The web page played as people play it, in headless Chromium and Firefox
// (through puppeteer-core) and in WebKit (through its WebDriver, under a
// virtual X display): one table of cases, each played in every engine that
// can run it.
//
// A flight's dialogue is compared byte for byte with a terminal's view of
// it: the program's output (a transcript's NAME.out, or the same program
// run under Node) with each typed line echoed after the prompt that waited
// for it. The chart must hold one point per reported second.
//
//   node browser_test.mjs PAGE_DIR TRANSCRIPT_DIR --program NODE_PROGRAM_JS
//        [--cpack CPACK --cpack-config CPackConfig.cmake] [--screenshots DIR]
//        [--engines chromium,firefox,webkit]
//
// Exit status 77 (skipped) when puppeteer-core or every browser is missing;
// under CI (CI set in the environment) anything missing is a failure.

import {execFileSync, spawn, spawnSync} from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath, pathToFileURL} from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
let puppeteer;
try {
  puppeteer = (await import('puppeteer-core')).default;
} catch {
  console.log(`puppeteer-core is not installed: run npm ci in ${here}`);
  process.exit(process.env.CI ? 1 : 77);
}

const options = {
  engines: 'chromium,firefox,webkit'
};
const positional = [];
for (let i = 2; i < process.argv.length; i++) {
  const arg = process.argv[i];
  if (arg.startsWith('--'))
    options[arg.slice(2)] = process.argv[++i];
  else
    positional.push(arg);
}
const [page_dir, transcripts] = positional;
const END = null;  // Ctrl+D in place of a line
const PROMPT = /\(in meters\): |\(in liters\): |9=max thrust\): /g;
const MINIBROWSER = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';

// ---- What a flight should look like ----------------------------------------

// Returns the program's output for `typed` as a terminal shows it: each
// typed line after the prompt that waited for it, the one after all the
// answers typed before were used.
function terminal_view(output, typed) {
  const waits_at = new Map();
  let answers = 0;
  for (const line of typed) {
    waits_at.set(answers, line);
    if (line !== END) answers += line.split(/\s+/).filter(Boolean).length;
  }
  let view = '';
  let at = 0;
  let count = 0;
  for (const prompt of output.matchAll(PROMPT)) {
    const end = prompt.index + prompt[0].length;
    view += output.slice(at, end);
    at = end;
    const line = waits_at.get(count++);
    if (line !== undefined && line !== END) view += line + '\n';
  }
  return view + output.slice(at);
}

// Returns the program's own output for `input`, run under Node (whatever
// its exit status: input that ends before touchdown is not a flight).
function program_output(input) {
  const run = spawnSync(
      process.execPath, [options.program], {input, encoding: 'latin1', maxBuffer: 1 << 30});
  if (run.error || run.signal) throw new Error(`${options.program}: ${run.error || run.signal}`);
  return run.stdout;
}

// Returns how many seconds `output` reports: state reports and out-of-fuel
// lines, wherever a prompt puts them.
function reported_seconds(output) {
  return (output.match(/Elapsed Time: +-?\d+ s\n|OUT OF FUEL - Elapsed Time:/g) || []).length;
}

// Returns `view` as a dialogue that has let its oldest lines go shows it,
// when `shown` says so: the note, then every line after the ones it counts.
function scrolled_back(view, shown) {
  const note = /^\[([\d,]+) earlier lines are no longer shown\]\n/.exec(shown);
  if (!note) return view;
  return note[0] + view.split('\n').slice(Number(note[1].replace(/,/g, ''))).join('\n');
}

function first_difference(shown, expected) {
  let at = 0;
  while (at < shown.length && shown[at] === expected[at])
    at++;
  return `differs at byte ${at}:\n  shown    ${JSON.stringify(shown.slice(at - 40, at + 40))}` +
      `\n  expected ${JSON.stringify(expected.slice(at - 40, at + 40))}`;
}

// ---- In the page (each function runs there, on its own) --------------------

// Resolves with the page's state once it waits, has ended or failed, and
// the screen's last 80 characters.
async function settled() {
  const done = () => ['waiting', 'ended', 'failed'].includes(document.body.dataset.state);
  while (!done())
    await new Promise((resolve) => setTimeout(resolve, 2));
  return [document.body.dataset.state, document.getElementById('screen').textContent.slice(-80)];
}

function screen_text() { return document.getElementById('screen').textContent; }

// Returns the chart's vertices per line, the reported seconds it holds,
// whether the touchdown is marked, its text, and the plot's edges.
function chart_state() {
  const chart = document.getElementById('chart');
  const vertices = (name) => {
    const line = chart.querySelector(`polyline.${name}`);
    const points = line ? line.getAttribute('points').trim() : '';
    return points ? points.split(/\s+/).map((p) => p.split(',').map(Number)) : [];
  };
  const axes = [...chart.querySelectorAll('line.axis')].map(
      (l) => ['x1', 'y1', 'x2', 'y2'].map((a) => Number(l.getAttribute(a))));
  return {
    altitude: vertices('altitude'),
    velocity: vertices('velocity'),
    seconds: Number(chart.dataset.seconds),
    marked: !!chart.querySelector('.touchdown'),
    text: chart.textContent,
    bottom: axes[0][1],
    left: axes[0][0],
    right: axes[0][2]
  };
}

// Returns what is wrong with the chart's texts: one outside the chart,
// across another, or reaching into the plot, which holds the axes and,
// since every vertex must lie in it, the curves.
function chart_text_problems() {
  const chart = document.getElementById('chart');
  const axis = (i) => ['x1', 'y1', 'x2', 'y2'].map(
      (a) => Number(chart.querySelectorAll('line.axis')[i].getAttribute(a)));
  const [left, bottom, right] = axis(0);
  const plot = {name: 'the plot', x0: left, y0: axis(1)[1], x1: right, y1: bottom};
  const boxes = [
    plot, ...[...chart.querySelectorAll('text')].map((t) => {
      const b = t.getBBox();
      return {name: `"${t.textContent}"`, x0: b.x, y0: b.y, x1: b.x + b.width, y1: b.y + b.height};
    })
  ];
  const problems = [];
  const box = chart.viewBox.baseVal;
  boxes.forEach((a, i) => {
    if (a.x0 < 0 || a.y0 < 0 || a.x1 > box.width || a.y1 > box.height) {
      problems.push(`${a.name} lies outside the chart`);
    }
    for (const b of boxes.slice(i + 1)) {
      if (a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1) {
        problems.push(`${a.name} crosses ${b.name}`);
      }
    }
  });
  for (const line of chart.querySelectorAll('polyline')) {
    const outside = line.getAttribute('points')
                        .trim()
                        .split(/\s+/)
                        .filter(Boolean)
                        .map((p) => p.split(',').map(Number))
                        .find(
                            ([x, y]) => x < left - 0.5 || x > right + 0.5 || y < plot.y0 - 0.5 ||
                                y > bottom + 0.5);
    if (outside)
      problems.push(`the ${line.getAttribute('class')} line leaves the plot at ${outside}`);
  }
  return problems;
}

// Plays `count` flights of "2 3 9" in a row with "Fly again" and Enter, as
// fast as the page allows; returns how many ended with their verdict.
async function flights_in_a_row(count) {
  const answer = document.getElementById('answer');
  const state_becomes = (wanted) => new Promise((resolve) => {
    if (wanted.includes(document.body.dataset.state)) return resolve();
    const watch = new MutationObserver(() => {
      if (!wanted.includes(document.body.dataset.state)) return;
      watch.disconnect();
      resolve();
    });
    watch.observe(document.body, {attributes: true});
  });
  let landed = 0;
  for (let i = 0; i < count; i++) {
    document.getElementById('fly-again').click();
    await state_becomes(['waiting', 'failed']);
    answer.value = '2 3 9';
    answer.dispatchEvent(new KeyboardEvent('keydown', {key: 'Enter', bubbles: true}));
    await state_becomes(['ended', 'failed']);
    const screen = document.getElementById('screen').textContent;
    if (document.body.dataset.state === 'ended' && /Status at landing - .*\n$/.test(screen)) {
      landed++;
    }
  }
  return landed;
}

// Pastes `text` into the answer as the clipboard does, and resolves once
// the flight has ended with how long that took, the longest the page kept
// the browser from running a timer, the highest JavaScript heap seen, and
// what was sent: where a script's paste carries no text (Firefox), the
// answers go as one typed line.
async function paste_and_time(text) {
  const answer = document.getElementById('answer');
  let longest_gap = 0;
  let heap = 0;
  let last = performance.now();
  const tick = setInterval(() => {
    const now = performance.now();
    longest_gap = Math.max(longest_gap, now - last);
    last = now;
    if (performance.memory) heap = Math.max(heap, performance.memory.usedJSHeapSize);
  }, 10);
  const clipboard = new DataTransfer();
  clipboard.setData('text/plain', text);
  const paste =
      new ClipboardEvent('paste', {clipboardData: clipboard, bubbles: true, cancelable: true});
  const began = performance.now();
  if (paste.clipboardData && paste.clipboardData.getData('text/plain')) {
    answer.dispatchEvent(paste);
  } else {
    text = text.trim().replace(/\n/g, ' ') + '\n';
    answer.value = text.slice(0, -1);
    answer.dispatchEvent(new KeyboardEvent('keydown', {key: 'Enter', bubbles: true}));
  }
  while (document.body.dataset.state !== 'ended') {
    await new Promise((resolve) => setTimeout(resolve, 5));
  }
  const took = performance.now() - began;
  clearInterval(tick);
  return {took, longest_gap, heap, sent: text};
}

// Returns how much of each part is in view, the smallest text in pixels
// (and where), whether anything scrolls sideways, the send button's size
// and the answer's keypad.
function phone_view() {
  const share = (element) => {
    const r = element.getBoundingClientRect();
    const w = Math.max(0, Math.min(r.right, innerWidth) - Math.max(r.left, 0));
    const h = Math.max(0, Math.min(r.bottom, innerHeight) - Math.max(r.top, 0));
    return r.width * r.height > 0 ? w * h / (r.width * r.height) : 0;
  };
  let smallest = [Infinity, ''];
  for (const element of document.querySelectorAll('body *')) {
    const own_text = [...element.childNodes].some((n) => n.nodeType === 3 && n.data.trim()) ||
        element.tagName === 'INPUT' || element.tagName === 'BUTTON';
    if (!own_text || element.getClientRects().length === 0) continue;
    const style = getComputedStyle(element);
    if (style.visibility === 'hidden' || style.display === 'none') continue;
    let size = parseFloat(style.fontSize);
    if (element instanceof SVGElement) size *= element.getScreenCTM().a;
    if (size < smallest[0])
      smallest = [size, element.tagName + ' ' + element.textContent.slice(0, 30)];
  }
  const send = document.getElementById('send').getBoundingClientRect();
  const answer = document.getElementById('answer');
  return {
    answer: share(answer),
    chart: share(document.getElementById('chart')),
    smallest,
    sideways: document.documentElement.scrollWidth > innerWidth,
    send: [send.width, send.height],
    inputmode: answer.inputMode,
    enterkeyhint: answer.getAttribute('enterkeyhint')
  };
}

// ---- The engines -------------------------------------------------------------

// Each engine offers the same few calls: open a URL, run one of the
// functions above in the page, type a line (or Ctrl+D), click, take a
// screenshot. `can` says what else it has.
async function chromium_engine(profile) {
  if (!fs.existsSync('/usr/bin/chromium')) return null;
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    protocolTimeout: 120000,
    args: [
      '--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage', '--disable-quic',
      '--no-first-run', '--disable-background-networking', '--disable-component-update',
      '--disable-sync', '--enable-precise-memory-info'
    ],
  });
  return puppeteer_engine(
      'chromium', browser, ['console', 'heap', 'offline', 'paste', 'phone', 'axe']);
}

async function firefox_engine() {
  const executable = ['/usr/bin/firefox-esr', '/usr/bin/firefox'].find((p) => fs.existsSync(p));
  if (!executable) return null;
  const browser = await puppeteer.launch(
      {browser: 'firefox', executablePath: executable, headless: true, protocolTimeout: 120000});
  return puppeteer_engine('firefox', browser, ['console', 'axe', 'paste']);
}

async function puppeteer_engine(name, browser, can) {
  const page = (await browser.pages())[0] || await browser.newPage();
  await page.setViewport({width: 1280, height: 900});
  const messages = [];
  page.on('console', (m) => messages.push(`console.${m.type()}: ${m.text()}`));
  page.on('pageerror', (e) => messages.push(`error: ${e.message}`));
  const cdp = can.includes('heap') ? await page.createCDPSession() : null;
  return {
    name,
    can,
    messages,
    open: (url) => page.goto(url),
    run: (fn, ...args) => page.evaluate(fn, ...args),
    async type(line) {
      await page.focus('#answer');
      if (line === END) {
        await page.keyboard.down('Control');
        await page.keyboard.press('KeyD');
        await page.keyboard.up('Control');
      } else {
        await page.keyboard.type(line);
        await page.keyboard.press('Enter');
      }
    },
    click: (selector) => page.click(selector),
    screenshot: (file) => page.screenshot({path: file}),
    viewport: (width, height) => page.setViewport({width, height, isMobile: true, hasTouch: true}),
    desktop: () => page.setViewport({width: 1280, height: 900}),
    offline: (on) => page.setOfflineMode(on),
    // The JavaScript heap and the memory of array buffers (WebAssembly's
    // included) after a full collection, in bytes.
    async heap() {
      await cdp.send('HeapProfiler.collectGarbage');
      const usage = await cdp.send('Runtime.getHeapUsage');
      return [usage.usedSize, usage.backingStorageSize];
    },
    close: () => browser.close(),
  };
}

function free_port() {
  return new Promise((resolve) => {
    const server = net.createServer().listen(0, '127.0.0.1', () => {
      const {port} = server.address();
      server.close(() => resolve(port));
    });
  });
}

// WebKit through its own WebDriver: a few HTTP calls are all it takes.
async function webkit_engine() {
  if (!fs.existsSync(MINIBROWSER) || !fs.existsSync('/usr/bin/WebKitWebDriver') ||
      !fs.existsSync('/usr/bin/xvfb-run'))
    return null;
  const port = await free_port();
  const driver = spawn(
      'xvfb-run', ['-a', 'WebKitWebDriver', `--port=${port}`], {detached: true, stdio: 'ignore'});
  const base = `http://127.0.0.1:${port}`;
  const call = async (method, where, body) => {
    const response = await fetch(base + where, {
      method,
      headers: {'content-type': 'application/json'},
      body: body === undefined ? undefined : JSON.stringify(body)
    });
    const {value} = await response.json();
    if (value && value.error) throw new Error(`WebKit ${where}: ${value.error}: ${value.message}`);
    return value;
  };
  for (let tries = 0;; tries++) {
    try {
      if ((await call('GET', '/status')).ready) break;
    } catch (error) {
      if (tries > 100) throw error;
    }
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  const {sessionId} = await call('POST', '/session', {
    capabilities:
        {alwaysMatch: {'webkitgtk:browserOptions': {binary: MINIBROWSER, args: ['--automation']}}}
  });
  const session = `/session/${sessionId}`;
  await call('POST', `${session}/timeouts`, {script: 120000});
  await call('POST', `${session}/window/rect`, {width: 1280, height: 900});
  const element_key = 'element-6066-11e4-a52e-4f735466cecf';
  const find = async (selector) => (await call(
      'POST', `${session}/element`, {using: 'css selector', value: selector}))[element_key];
  return {
    name: 'webkit',
    can: [],
    messages: [],
    open: (url) => call('POST', `${session}/url`, {url}),
    run: async (fn, ...args) => {
      const result = await call('POST', `${session}/execute/async`, {
        script: `const done = arguments[arguments.length - 1];
                 Promise.resolve().then(() => (${fn}).apply(null, [].slice.call(arguments, 0, -1)))
                   .then((value) => done({ value }), (error) => done({ error: String(error) }));`,
        args
      });
      if ('error' in result) throw new Error(result.error);
      return result.value;
    },
    async type(line) {
      if (line === END) {
        await call('POST', `${session}/actions`, {
          actions: [{
            type: 'key',
            id: 'keys',
            actions: [
              {type: 'keyDown', value: '\uE009'}, {type: 'keyDown', value: 'd'},
              {type: 'keyUp', value: 'd'}, {type: 'keyUp', value: '\uE009'}
            ]
          }]
        });
      } else {
        // Enter as the Enter key: WebKit types "\n" as a character.
        await call(
            'POST', `${session}/element/${await find('#answer')}/value`, {text: line + '\uE007'});
      }
    },
    click: async (selector) => call('POST', `${session}/element/${await find(selector)}/click`, {}),
    screenshot: async (file) =>
        fs.writeFileSync(file, Buffer.from(await call('GET', `${session}/screenshot`), 'base64')),
    close: async () => {
      try {
        await call('DELETE', session);
      } finally {
        process.kill(-driver.pid);
      }
    },
  };
}

// ---- The cases -------------------------------------------------------------

// Types each line once a prompt waits for it; returns the dialogue.
async function play(engine, typed) {
  for (const line of typed) {
    const [state, tail] = await engine.run(settled);
    if (state !== 'waiting' || !/(meters|liters|thrust)\): $/.test(tail)) {
      throw new Error(
          `no prompt waits for ${JSON.stringify(line)}: ${state}, ` + JSON.stringify(tail));
    }
    await engine.type(line);
  }
  const [state] = await engine.run(settled);
  if (state !== 'ended')
    throw new Error(`the flight has not ended after the last answer: ${state}`);
  return engine.run(screen_text);
}

// Plays a flight and checks its dialogue and chart; `output` is the
// program's output for it.
async function fly(engine, name, typed, output) {
  const problems = [];
  const shown = await play(engine, typed);
  const expected = scrolled_back(terminal_view(output, typed), shown);
  if (shown !== expected) problems.push(`${name}: the screen ${first_difference(shown, expected)}`);
  const chart = await engine.run(chart_state);
  const seconds = reported_seconds(output);
  if (chart.seconds !== seconds) {
    problems.push(`${name}: the chart holds ${chart.seconds} of ${seconds} reported seconds`);
  }
  if (seconds <= 300 && chart.altitude.length !== seconds) {
    problems.push(`${name}: ${chart.altitude.length} altitude vertices for ${seconds} seconds`);
  }
  const verdict = /Status at landing - (.*)/.exec(output);
  const unspaced = (text) => text.replace(/\s/g, '');
  if (verdict && (!chart.marked || !unspaced(chart.text).includes(unspaced(verdict[1])))) {
    problems.push(`${name}: touchdown marked ${chart.marked}, chart text ${chart.text}`);
  }
  for (const problem of await engine.run(chart_text_problems))
    problems.push(`${name}: ${problem}`);
  return {problems, seconds, vertices: chart.altitude.length, chart};
}

const transcript = (name) => fs.readFileSync(path.join(transcripts, `${name}.out`), 'latin1');
const input_of = (typed) => typed.filter((line) => line !== END).map((l) => l + '\n').join('');
const page_url = (server, where = '') => `http://127.0.0.1:${server.address().port}/${where}`;

// Every case gets the engine and what it needs to reach the page; returns
// its problems (and may log its figures). `needs` names what the engine
// must offer for the case to run there.
const CASES = [
  {
    name: 'flights compared with their transcripts',
    async run(engine, {server, screenshots}) {
      await engine.open(page_url(server));
      const problems = [];
      for (const [name, typed] of [
               ['two_metres_three_litres', ['2', '3', '9']],
               ['one_metre_soft_landing', ['1', '100', '3', '5', '8']],
               [
                 'refusals_at_every_prompt',
                 ['0', '20000', 'abc', '2', '0', '-5', 'xyz', '3', '10', '-1', 'q', '9']
               ],
               ['end_at_rate', ['1300 500', '5 5', END]],
               ['free fall from 1300 m', ['1300 500', ...Array(14).fill('0'), END]],
      ]) {
        const output = name.includes(' ') ? program_output(input_of(typed)) : transcript(name);
        problems.push(...(await fly(engine, name, typed, output)).problems);
        if (name === 'one_metre_soft_landing' && screenshots) {
          await engine.screenshot(path.join(screenshots, `web_page_${engine.name}.png`));
        }
        await engine.click('#fly-again');
      }
      const foreign = await engine.run(
          (origin) => performance.getEntriesByType('resource')
                          .map((e) => e.name)
                          .filter((n) => !n.startsWith(origin)),
          page_url(server));
      if (foreign.length > 0) problems.push(`the page loaded from elsewhere: ${foreign}`);
      return problems;
    },
  },
  {
    name: 'answers typed ahead: a chart point per reported second',
    async run(engine, {server}) {
      await engine.open(page_url(server));
      const problems = [];
      for (const typed
               of [['1300 500', '0 0 0 0 0 0 0 0 0 0', END],
                   ['1000', '30', '9 9 9 9'],
                   ['2 3 9'],
                   ['1 100 3 5 8'],
                   // Over 300 seconds: a pixel column's lowest and highest value.
                   ['100', String(495 * 5), ...Array(9).fill(Array(55).fill('5').join(' '))],
      ]) {
        const output = program_output(input_of(typed));
        const flown = await fly(engine, typed.join(' | ').slice(0, 40), typed, output);
        problems.push(...flown.problems);
        console.log(
            `  ${engine.name}: ${JSON.stringify(typed.join(' ').slice(0, 24))}: ` +
            `${flown.seconds} reported seconds, ${flown.chart.seconds} in the chart, ` +
            `${flown.vertices} vertices`);
        if (flown.seconds > 300) problems.push(...long_shape('typed-ahead hover', flown.chart));
        await engine.click('#fly-again');
      }
      const newest = await engine.run(() => {
        const s = document.getElementById('screen');
        return s.scrollTop + s.clientHeight >= s.scrollHeight - 1;
      });
      if (!newest) problems.push('the newest line is out of sight');
      return problems;
    },
  },
  {
    name: 'flights in a row',
    async run(engine, {server}) {
      await engine.open(page_url(server));
      const count = engine.can.includes('heap') ? 1000 : 200;
      const warm = 20;
      engine.messages.length = 0;
      let landed = await engine.run(flights_in_a_row, warm);
      const before = engine.can.includes('heap') ? await engine.heap() : null;
      const began = Date.now();
      landed += await engine.run(flights_in_a_row, count - warm);
      const took = (Date.now() - began) / 1000;
      const problems = [];
      let figures = `${landed} of ${count} flights ended with their verdict ` +
          `(${((count - warm) / took).toFixed(0)} a second)`;
      if (before) {
        const after = await engine.heap();
        const growth = after.map((a, i) => a - before[i]);
        figures += `; JavaScript heap ${mb(before[0])} -> ${mb(after[0])} MB, ` +
            `array buffers ${mb(before[1])} -> ${mb(after[1])} MB`;
        if (growth[0] > 2e6 || growth[1] > 4e6) problems.push(`memory grew: ${figures}`);
      }
      console.log(`  ${engine.name}: ${figures}`);
      if (landed !== count) problems.push(figures);
      if (engine.messages.length > 0) {
        problems.push(`the flights logged: ${engine.messages.slice(0, 3).join(' | ')}`);
      }
      return problems;
    },
  },
  {
    name: 'the ZIP made by cpack, opened from disk',
    needs_option: 'cpack-config',
    async run(engine, {zip_page}) {
      await engine.open(pathToFileURL(zip_page).href);
      const typed = ['2', '3', '9'];
      return (await fly(engine, 'from disk', typed, transcript('two_metres_three_litres')))
          .problems;
    },
  },
  {
    name: 'offline after loading',
    needs: ['offline'],
    async run(engine, {server}) {
      await engine.open(page_url(server));
      await engine.run(settled);
      await engine.offline(true);
      try {
        await engine.click('#end-input');
        await engine.run(settled);
        await engine.click('#fly-again');
        return (await fly(
                    engine, 'offline', ['2', '3', '9'], transcript('two_metres_three_litres')))
            .problems;
      } finally {
        await engine.offline(false);
      }
    },
  },
  {
    name: 'a program that cannot start is explained',
    async run(engine, {server}) {
      const problems = [];
      for (const where of ['without_program/', 'broken_program/']) {
        await engine.open(page_url(server, where));
        const [state] = await engine.run(settled);
        const text = await engine.run(screen_text);
        if (state !== 'failed' || !/reload/i.test(text)) {
          problems.push(`${where}: state ${state}, screen ${JSON.stringify(text.slice(0, 200))}`);
        }
      }
      return problems;
    },
  },
  {
    name: 'a phone in portrait',
    needs: ['phone'],
    async run(engine, {server, screenshots}) {
      const problems = [];
      for (const [width, height] of [[390, 844], [360, 640]]) {
        await engine.viewport(width, height);
        await engine.open(page_url(server));
        for (const [moment, typed] of [
                 ['first prompt', []],
                 ['mid-flight', ['1300', '500', ...Array(14).fill('0'), ...Array(6).fill('9')]]]) {
          for (const line of typed) {
            await engine.run(settled);
            await engine.type(line);
          }
          await engine.run(settled);
          const view = await engine.run(phone_view);
          const figures = `${width}x${height} at the ${moment}: answer ` +
              `${pc(view.answer)} in view, chart ${pc(view.chart)}, smallest text ` +
              `${view.smallest[0].toFixed(1)} px (${view.smallest[1].trim()}), send button ` +
              `${view.send.map(Math.round).join('x')} px`;
          console.log(`  ${engine.name}: ${figures}`);
          if (view.answer < 1 || view.chart < 0.6 || view.smallest[0] < 12 || view.sideways ||
              view.send[0] < 44 || view.send[1] < 44 || view.inputmode !== 'numeric' ||
              view.enterkeyhint !== 'send') {
            problems.push(
                `${figures}, sideways ${view.sideways}, keypad ${view.inputmode} ` +
                `with ${view.enterkeyhint}`);
          }
        }
        if (screenshots && width === 390) {
          await engine.screenshot(path.join(screenshots, 'web_page_phone.png'));
        }
      }
      await engine.desktop();
      return problems;
    },
  },
  {
    name: 'axe-core at the first prompt, mid-flight and after the verdict',
    needs: ['axe'],
    async run(engine, {server, axe_source}) {
      await engine.open(page_url(server));
      const problems = [];
      const names = [];
      for (const [moment, typed] of [
               ['first prompt', []], ['mid-flight', ['1300', '500', '5']],
               ['verdict', [Array(45).fill('0').join(' ')]]]) {
        for (const line of typed) {
          await engine.run(settled);
          await engine.type(line);
        }
        const [state] = await engine.run(settled);
        if (moment === 'verdict' && state !== 'ended') problems.push(`no verdict: ${state}`);
        names.push(await engine.run(() => {
          const a = document.getElementById('answer');
          return a.disabled ?
              '' :
              document.getElementById(a.getAttribute('aria-labelledby')).textContent;
        }));
        const violations = await engine.run(async (source) => {
          if (!window.axe) (0, eval)(source);
          const result = await window.axe.run(document);
          return result.violations.map((v) => `${v.id}: ${v.nodes.length} (${v.help})`);
        }, axe_source);
        console.log(`  ${engine.name}: ${violations.length} axe violations at the ${moment}`);
        problems.push(...violations.map((v) => `${moment}: ${v}`));
      }
      if (!names[0].includes('altitude') || !names[1].includes('fuel rate')) {
        problems.push(`the answer's names: ${JSON.stringify(names)}`);
      }
      return problems;
    },
  },
  {
    name: 'a paste of 200,000 answers',
    needs: ['paste'],
    async run(engine, {server}) {
      await engine.open(page_url(server));
      await engine.run(settled);
      const hover = 199998;
      const typed = ['100', String(hover * 5), ...Array(hover).fill('5')];
      const input = input_of(typed);
      const output = program_output(input);
      const {took, longest_gap, heap, sent} = await engine.run(paste_and_time, input);
      const chart = await engine.run(chart_state);
      const shown = await engine.run(screen_text);
      const seconds = reported_seconds(output);
      const figures =
          `${typed.length} answers pasted: verdict after ${(took / 1000).toFixed(2)} s, ` +
          `the page busy at most ${longest_gap.toFixed(0)} ms at a time, JavaScript heap at most ` +
          `${heap ? mb(heap) : '(not measured)'} MB; ${chart.seconds} of ${
              seconds} seconds in the chart with ` +
          `${chart.altitude.length} vertices`;
      console.log(`  ${engine.name}: ${figures}`);
      const problems = [];
      if (took > 5000 || longest_gap > 400 || heap > 300e6 || chart.seconds !== seconds) {
        problems.push(figures);
      }
      problems.push(...long_shape('the paste', chart), ...await engine.run(chart_text_problems));
      // The scrollback keeps the newest lines, byte for byte, and says how
      // many older ones it let go (the echo of the paste among them).
      const prompt_end = output.indexOf('(in meters): ') + 13;
      const expected =
          scrolled_back(output.slice(0, prompt_end) + sent + output.slice(prompt_end), shown);
      if (!shown.startsWith('[') || shown !== expected) {
        problems.push(`the paste's dialogue ${first_difference(shown, expected)}`);
      }
      return problems;
    },
  },
];

// A hover then a fall: level at the top for most of the way, then only
// down, to the ground at the end, with at most two vertices per pixel
// column (a line from the first point to the last is no such drawing).
function long_shape(name, chart) {
  const ys = chart.altitude.map(([, y]) => y);
  const xs = chart.altitude.map(([x]) => x);
  const top = ys[0];
  const departs = ys.findIndex((y) => Math.abs(y - top) > 1);
  const level_share = (xs[departs] - xs[0]) / (xs[xs.length - 1] - xs[0]);
  const only_down = ys.every((y, i) => i === 0 || y >= ys[i - 1]);
  const columns = Math.ceil(chart.right - chart.left) + 1;
  if (departs < 0 || level_share < 0.9 || !only_down ||
      Math.abs(ys[ys.length - 1] - chart.bottom) > 1 || ys.length > 2 * columns) {
    return [
      `${name}: ${ys.length} vertices for ${columns} columns do not draw a hover ` +
      `then a fall: ${JSON.stringify(chart.altitude.slice(0, 2))} ... ` +
      JSON.stringify(chart.altitude.slice(-4))
    ];
  }
  return [];
}

const mb = (bytes) => (bytes / 1e6).toFixed(1);
const pc = (share) => `${(share * 100).toFixed(0)}%`;

// ---- Running them ------------------------------------------------------------

// Serves the page, a copy without its program, and one whose program is
// damaged, always fresh (as a server that forbids caching does).
function serve(root) {
  const server = http.createServer((request, response) => {
    const where = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    let file = path.join(root, where.endsWith('/') ? `${where}index.html` : where);
    const variant = /^\/(without_program|broken_program)\/(.*)$/.exec(where);
    if (variant) file = path.join(root, variant[2] || 'index.html');
    if (variant && variant[2] === 'lm_simulator.js' && variant[1] === 'without_program') {
      file = '';
    }
    if (!file.startsWith(root) || !fs.existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    let body = fs.readFileSync(file);
    if (variant && variant[1] === 'broken_program' && variant[2] === 'lm_simulator.js') {
      // The WebAssembly's first bytes after its magic number and version
      // no longer make a module.
      body = Buffer.from(
          body.toString('latin1').replace(/(base64,AGFzbQEAAAAB)..../, '$1////'), 'latin1');
    }
    const types = {'.html': 'text/html', '.js': 'text/javascript'};
    response.writeHead(200, {
      'content-type': types[path.extname(file)] || 'application/octet-stream',
      'cache-control': 'no-store'
    });
    response.end(body);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// Makes the ZIP with cpack and unpacks it; returns its index.html.
function unpack_zip(work) {
  execFileSync(
      options.cpack || 'cpack', ['--config', options['cpack-config'], '-B', work],
      {stdio: 'ignore'});
  const zip = fs.readdirSync(work).find((f) => f.endsWith('.zip'));
  const listed = execFileSync('unzip', ['-Z1', path.join(work, zip)], {encoding: 'utf8'})
                     .trim()
                     .split('\n')
                     .map((f) => f.replace(/^[^/]*\//, ''))
                     .sort()
                     .join(' ');
  if (listed !== 'LICENSE README.md flight_page.js index.html lm_simulator.js') {
    throw new Error(`the ZIP holds ${listed}`);
  }
  execFileSync('unzip', ['-q', path.join(work, zip), '-d', path.join(work, 'unpacked')]);
  return path.join(work, 'unpacked', zip.replace(/\.zip$/, ''), 'index.html');
}

async function main() {
  const failures = [];
  const weight = ['index.html', 'flight_page.js', 'lm_simulator.js'].reduce(
      (sum, f) => sum + fs.statSync(path.join(page_dir, f)).size, 0);
  console.log(`the page weighs ${(weight / 1024).toFixed(1)} KB in all`);
  if (weight > 150 * 1024) failures.push(`the page weighs ${weight} bytes`);
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'lm-browser-'));
  const server = await serve(path.resolve(page_dir));
  const context = {
    server,
    screenshots: options.screenshots,
    axe_source: fs.readFileSync(path.join(here, 'node_modules/axe-core/axe.min.js'), 'utf8'),
    zip_page: options['cpack-config'] ? unpack_zip(path.join(work, 'zip')) : null,
  };
  const makers = {
    chromium: () => chromium_engine(path.join(work, 'chromium')),
    firefox: firefox_engine,
    webkit: webkit_engine
  };
  let engines_run = 0;
  for (const name of options.engines.split(',')) {
    const engine = await makers[name]();
    if (!engine) {
      const missing = `${name} is not installed`;
      if (process.env.CI) failures.push(missing);
      console.log(`${missing}: its cases are skipped`);
      continue;
    }
    engines_run++;
    try {
      for (const test_case of CASES) {
        const lacking = (test_case.needs || []).filter((n) => !engine.can.includes(n));
        if (lacking.length > 0 || (test_case.needs_option && !options[test_case.needs_option]) ||
            (options.only && !test_case.name.includes(options.only))) {
          continue;
        }
        const began = Date.now();
        let problems;
        try {
          problems = await test_case.run(engine, context);
        } catch (error) {
          problems = [error.stack || String(error)];
        }
        console.log(
            `${problems.length ? 'FAILED' : 'passed'}: ${name}: ${test_case.name} ` +
            `(${((Date.now() - began) / 1000).toFixed(1)} s)`);
        for (const problem of problems)
          failures.push(`${name}: ${test_case.name}: ${problem}`);
      }
    } finally {
      await engine.close();
    }
  }
  server.close();
  fs.rmSync(work, {recursive: true, force: true});
  for (const failure of failures)
    console.log(`FAILED: ${failure}`);
  if (engines_run === 0 && failures.length === 0) return 77;
  return failures.length ? 1 : 0;
}

process.exitCode = await main();
