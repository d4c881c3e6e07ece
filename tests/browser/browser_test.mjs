// The web page played as people play it, in headless Chromium and Firefox
// (through puppeteer-core) and in WebKit (through its WebDriver, under a
// virtual X display): one table of cases, each played in every engine that
// can run it. A flight's dialogue must read byte for byte as a terminal
// shows the program's output (a transcript's NAME.out, or the program run
// under Node), and its chart hold one point per reported second.
//
//   node browser_test.mjs PAGE_DIR TRANSCRIPT_DIR --program NODE_PROGRAM_JS
//        [--cpack CPACK --cpack-config CPackConfig.cmake] [--screenshots DIR]
//        [--engines chromium,firefox,webkit] [--only PART_OF_A_CASE_NAME]
//
// Exit status 77 (skipped) when puppeteer-core or every browser is missing;
// under CI (CI set in the environment) anything missing is a failure.

import {execFileSync, spawn, spawnSync} from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath, pathToFileURL} from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const [page_dir, transcripts, ...rest] = process.argv.slice(2);
const options = {
  engines: 'chromium,firefox,webkit',
  only: ''
};
for (let i = 0; i < rest.length; i += 2)
  options[rest[i].replace(/^--/, '')] = rest[i + 1];
const puppeteer = (await import('puppeteer-core').catch(() => null))?.default;
if (!puppeteer) {
  console.log(`puppeteer-core is not installed: run npm ci in ${here}`);
  process.exit(process.env.CI ? 1 : 77);
}
const END = null;  // Ctrl+D in place of a line
const MINIBROWSER = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';

// ---- What a flight should look like ----------------------------------------

// Returns `output` as a terminal shows it: each typed line after the prompt
// that waited for it, the one reached once the answers before it were used;
// from its newest lines on when `shown` says the older ones are let go.
function terminal_view(output, typed, shown) {
  const waits_at = new Map();
  let answers = 0;
  for (const line of typed.filter((l) => l !== END)) {
    waits_at.set(answers, `${line}\n`);
    answers += line.split(/\s+/).filter(Boolean).length;
  }
  let count = 0;
  const view = output.replace(
      /\(in meters\): |\(in liters\): |9=max thrust\): /g,
      (prompt) => prompt + (waits_at.get(count++) || ''));
  const note = /^\[([\d,]+) earlier lines are no longer shown\]\n/.exec(shown);
  if (!note) return view;
  return note[0] + view.split('\n').slice(Number(note[1].replace(/,/g, ''))).join('\n');
}

// Returns the program's output for `typed` run under Node (whatever its
// exit status: input that ends before touchdown is not a flight).
function program_output(typed) {
  const input = input_of(typed);
  const run = spawnSync(
      process.execPath, [options.program], {input, encoding: 'latin1', maxBuffer: 1 << 30});
  if (run.error || run.signal) throw new Error(`${options.program}: ${run.error || run.signal}`);
  return run.stdout;
}

// ---- In the page (each function runs there, on its own) --------------------

// Waits until the page waits, has ended or failed; returns what the cases
// look at: the screen, the chart (with each text of it that lies outside
// it, crosses another or reaches into the plot, which holds the axes and,
// since every vertex must lie in it, the curves), what came from outside
// the page's folder, the answer's name, and what a phone shows.
async function look() {
  while (!['waiting', 'ended', 'failed'].includes(document.body.dataset.state))
    await new Promise((resolve) => setTimeout(resolve, 2));
  const [screen, chart, answer, send] =
      ['screen', 'chart', 'answer', 'send'].map((id) => document.getElementById(id));
  const [bottom_axis, left_axis] = chart.querySelectorAll('line.axis');
  const [left, bottom, right] = ['x1', 'y1', 'x2'].map((a) => Number(bottom_axis.getAttribute(a)));
  const top = Number(left_axis.getAttribute('y1'));
  const lines = Object.fromEntries([...chart.querySelectorAll('polyline')].map(
      (line) =>
          [line.getAttribute('class'),
           line.getAttribute('points').split(/\s+/).filter(Boolean).map(
               (p) => p.split(',').map(Number))]));
  const boxes = [
    {name: 'the plot', x: left, y: top, width: right - left, height: bottom - top},
    ...[...chart.querySelectorAll('text')].map(
        (text) => Object.assign(text.getBBox(), {name: `"${text.textContent}"`}))
  ];
  const problems = [];
  const box = chart.viewBox.baseVal;
  boxes.forEach((a, i) => {
    if (a.x < 0 || a.y < 0 || a.x + a.width > box.width || a.y + a.height > box.height)
      problems.push(`${a.name} lies outside the chart`);
    for (const b of boxes.slice(i + 1)) {
      if (a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
          b.y < a.y + a.height)
        problems.push(`${a.name} crosses ${b.name}`);
    }
  });
  for (const [name, points] of Object.entries(lines)) {
    const outside = points.find(
        ([x, y]) => x < left - 0.5 || x > right + 0.5 || y < top - 0.5 || y > bottom + 0.5);
    if (outside) problems.push(`the ${name} line leaves the plot at ${outside}`);
  }
  const in_view = (element) => {
    const r = element.getBoundingClientRect();
    const w = Math.min(r.right, innerWidth) - Math.max(r.left, 0);
    const h = Math.min(r.bottom, innerHeight) - Math.max(r.top, 0);
    return w > 0 && h > 0 ? w * h / (r.width * r.height) : 0;
  };
  const texts = [...document.querySelectorAll('body *')].filter(
      (e) => e.getClientRects().length > 0 && getComputedStyle(e).visibility !== 'hidden' &&
          (['INPUT', 'BUTTON'].includes(e.tagName) ||
           [...e.childNodes].some((n) => n.nodeType === 3 && n.data.trim())));
  let smallest = [Infinity, ''];
  for (const e of texts) {
    const scale = e instanceof SVGElement ? e.getScreenCTM().a : 1;
    const size = parseFloat(getComputedStyle(e).fontSize) * scale;
    if (size < smallest[0]) smallest = [size, `${e.tagName} ${e.textContent.trim().slice(0, 30)}`];
  }
  const {width, height} = send.getBoundingClientRect();
  const keypad = `${answer.inputMode} with ${answer.getAttribute('enterkeyhint')}`;
  const sideways = document.documentElement.scrollWidth > innerWidth;
  const phone = {answer: in_view(answer), chart: in_view(chart), smallest, sideways, keypad};
  phone.send = [width, height];
  const folder = new URL('.', location.href).href;
  const label = document.getElementById(answer.getAttribute('aria-labelledby'));
  const name = answer.disabled || !label ? '' : label.textContent;
  const seen = {state: document.body.dataset.state, screen: screen.textContent, name, phone};
  seen.below = screen.scrollHeight - screen.scrollTop - screen.clientHeight;
  seen.foreign = performance.getEntriesByType('resource').map((e) => e.name);
  seen.foreign = seen.foreign.filter((entry) => !entry.startsWith(folder));
  seen.chart = {...lines, seconds: Number(chart.dataset.seconds), text: chart.textContent};
  const marked = !!chart.querySelector('.touchdown');
  Object.assign(seen.chart, {left, right, bottom, marked, problems});
  return seen;
}

// Drives the page as fast as it allows: `count` flights of "2 3 9" in a
// row with "Fly again" and Enter, or, given `text`, one flight of it pasted
// as the clipboard does (where a script's paste carries no text, as in
// Firefox, the answers go as one typed line). Returns how many flights
// ended with their verdict, in how long, the longest the page kept the
// browser from running a timer, the highest JavaScript heap seen, and what
// was sent.
async function drive(count, text) {
  const answer = document.getElementById('answer');
  const state = () => document.body.dataset.state;
  const until = (states) => new Promise((resolve) => {
    const watch =
        new MutationObserver(() => states.includes(state()) && (watch.disconnect(), resolve()));
    if (states.includes(state())) return resolve();
    watch.observe(document.body, {attributes: true});
  });
  const send = (line) => {
    answer.value = line;
    answer.dispatchEvent(new KeyboardEvent('keydown', {key: 'Enter', bubbles: true}));
  };
  let [landed, longest_gap, heap, last] = [0, 0, 0, performance.now()];
  const tick = setInterval(() => {
    longest_gap = Math.max(longest_gap, performance.now() - last);
    last = performance.now();
    if (performance.memory) heap = Math.max(heap, performance.memory.usedJSHeapSize);
  }, 10);
  const clipboard = new DataTransfer();
  clipboard.setData('text/plain', text || '');
  const paste =
      new ClipboardEvent('paste', {clipboardData: clipboard, bubbles: true, cancelable: true});
  const began = performance.now();
  for (let i = 0; i < count; i++) {
    if (text === undefined) {
      document.getElementById('fly-again').click();
      await until(['waiting', 'failed']);
      send('2 3 9');
    } else if (paste.clipboardData && paste.clipboardData.getData('text/plain')) {
      answer.dispatchEvent(paste);
    } else {
      text = text.trim().replace(/\n/g, ' ') + '\n';
      send(text.slice(0, -1));
    }
    await until(['ended', 'failed']);
    const screen = document.getElementById('screen').textContent;
    if (state() === 'ended' && /Status at landing - .*\n$/.test(screen)) landed++;
  }
  clearInterval(tick);
  return {landed, took: performance.now() - began, longest_gap, heap, sent: text};
}

// ---- The engines -------------------------------------------------------------

const BROWSERS = {
  chromium: ['/usr/bin/chromium'],
  firefox: ['/usr/bin/firefox-esr', '/usr/bin/firefox']
};
// Chromium as root, without its own traffic, and with the heap's exact size.
const CHROMIUM_FLAGS = [
  '--no-sandbox', '--disable-gpu', '--disable-quic', '--disable-component-update',
  '--enable-precise-memory-info'
];

// Each engine can open a URL, run one of the functions above in the page,
// type a line (or Ctrl+D), click and take a screenshot; `can` says what
// else: Chromium its viewport, network and heap, both of these axe and the
// paste.
async function puppeteer_engine(name) {
  const chromium = name === 'chromium';
  const executablePath = BROWSERS[name].find((p) => fs.existsSync(p));
  if (!executablePath) return null;
  const args = chromium ? CHROMIUM_FLAGS : [];
  const browser =
      await puppeteer.launch({browser: chromium ? 'chrome' : name, executablePath, args});
  const page = (await browser.pages())[0] || (await browser.newPage());
  const desktop = {width: 1280, height: 900};
  await page.setViewport(desktop);
  const messages = [];
  page.on('console', (m) => messages.push(`console.${m.type()}: ${m.text()}`));
  page.on('pageerror', (e) => messages.push(`error: ${e.message}`));
  const cdp = chromium && await page.createCDPSession();
  return {
    name,
    can: chromium ? ['heap', 'offline', 'phone', 'axe', 'paste'] : ['axe', 'paste'],
    messages,
    open: (url) => page.goto(url),
    run: (fn, ...args) => page.evaluate(fn, ...args),
    async type(line) {
      await page.focus('#answer');
      const keys = line === END ? [['down', 'Control'], ['press', 'KeyD'], ['up', 'Control']] :
                                  [['type', line], ['press', 'Enter']];
      for (const [act, key] of keys)
        await page.keyboard[act](key);
    },
    click: (selector) => page.click(selector),
    screenshot: (file) => page.screenshot({path: file}),
    viewport: (width, height) =>
        page.setViewport(width ? {width, height, isMobile: true, hasTouch: true} : desktop),
    offline: (on) => page.setOfflineMode(on),
    // The JavaScript heap and the memory of array buffers (WebAssembly's
    // included) after a full collection, in bytes.
    heap: async () => {
      await cdp.send('HeapProfiler.collectGarbage');
      const usage = await cdp.send('Runtime.getHeapUsage');
      return [usage.usedSize, usage.backingStorageSize];
    },
    close: () => browser.close(),
  };
}

// WebKit through its own WebDriver: a few HTTP calls are all it takes.
async function webkit_engine() {
  if (![MINIBROWSER, '/usr/bin/WebKitWebDriver', '/usr/bin/xvfb-run'].every(fs.existsSync))
    return null;
  const probe = await listen(http.createServer());
  const port = probe.address().port;
  await new Promise((resolve) => probe.close(resolve));
  const driver = spawn(
      'xvfb-run', ['-a', 'WebKitWebDriver', `--port=${port}`], {detached: true, stdio: 'ignore'});
  let session = '';
  const call = async (method, where, body) => {
    const address = `http://127.0.0.1:${port}${session}${where}`;
    const response = await fetch(address, {method, body: body && JSON.stringify(body)});
    const {value} = await response.json();
    if (value && value.error) throw new Error(`WebKit ${where}: ${value.error}: ${value.message}`);
    return value;
  };
  for (let tries = 0; !(await call('GET', '/status').catch(() => null))?.ready; tries++) {
    if (tries > 100) throw new Error('WebKitWebDriver does not start');
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  const browser = {'webkitgtk:browserOptions': {binary: MINIBROWSER, args: ['--automation']}};
  session = `/session/${
      (await call('POST', '/session', {capabilities: {alwaysMatch: browser}})).sessionId}`;
  await call('POST', '/timeouts', {script: 120000});
  await call('POST', '/window/rect', {width: 1280, height: 900});
  const element = async (selector) => `/element/${
      Object.values(await call('POST', '/element', {using: 'css selector', value: selector}))[0]}`;
  return {
    name: 'webkit',
    can: [],
    messages: [],
    open: (url) => call('POST', '/url', {url}),
    run: (fn, ...args) =>
        call('POST', '/execute/sync', {script: `return (${fn}).apply(null, arguments);`, args}),
    // Enter as the Enter key: WebKit types "\n" as a character.
    type: async (line) => call(
        'POST', `${await element('#answer')}/value`,
        {text: line === END ? '\uE009d' : `${line}\uE007`}),
    click: async (selector) => call('POST', `${await element(selector)}/click`, {}),
    screenshot: async (file) =>
        fs.writeFileSync(file, Buffer.from(await call('GET', '/screenshot'), 'base64')),
    close: () => call('DELETE', '').finally(() => process.kill(-driver.pid)),
  };
}

// ---- The cases -------------------------------------------------------------

// Types each line once a prompt waits for it; returns what the page shows.
async function play(engine, typed) {
  for (const line of typed) {
    const {state, screen} = await engine.run(look);
    if (state !== 'waiting' || !/(meters|liters|thrust)\): $/.test(screen))
      throw new Error(`no prompt waits for ${JSON.stringify([line, state, screen.slice(-80)])}`);
    await engine.type(line);
  }
  return engine.run(look);
}

// Returns what is wrong with a flight that `seen` shows, its dialogue and
// its chart, given the lines typed and the program's output; logs figures.
function check(engine, typed, output, {state, screen, chart, foreign}) {
  const name = JSON.stringify(typed.join(' ').slice(0, 24));
  const seconds =
      (output.match(/Elapsed Time: +-?\d+ s\n|OUT OF FUEL - Elapsed Time:/g) || []).length;
  console.log(
      `  ${engine.name}: ${name}: ${seconds} reported seconds, ${chart.seconds} in the chart, ` +
      `${chart.altitude.length} vertices`);
  const problems = [...chart.problems, ...(seconds > 300 ? long_shape(chart) : [])];
  if (state !== 'ended') problems.push(`the flight has not ended after the last answer: ${state}`);
  const expected = terminal_view(output, typed, screen);
  const at = [...expected, ''].findIndex((c, i) => c !== screen[i]);
  if (screen !== expected)
    problems.push(
        `the screen differs at byte ${at}: ${JSON.stringify(screen.slice(at - 40, at + 40))}` +
        ` where ${JSON.stringify(expected.slice(at - 40, at + 40))} was due`);
  for (const line of ['altitude', 'velocity']) {
    if (seconds <= 300 && chart[line].length !== seconds)
      problems.push(`${chart[line].length} ${line} vertices for ${seconds} seconds`);
  }
  if (chart.seconds !== seconds)
    problems.push(`the chart holds ${chart.seconds} of ${seconds} reported seconds`);
  const verdict = /Status at landing - (.*)/.exec(output);
  const unspaced = (text) => text.replace(/\s/g, '');
  if (verdict && (!chart.marked || !unspaced(chart.text).includes(unspaced(verdict[1]))))
    problems.push(`touchdown marked ${chart.marked}, chart text ${chart.text}`);
  if (foreign.length > 0) problems.push(`the page loaded from elsewhere: ${foreign}`);
  return problems.map((problem) => `${name}: ${problem}`);
}

// A hover then a fall: level at the top for most of the way, then only
// down, to the ground at the end, with at most two vertices per pixel
// column (a line from the first point to the last is no such drawing).
function long_shape({altitude, left, right, bottom}) {
  const [xs, ys] = [altitude.map(([x]) => x), altitude.map(([, y]) => y)];
  const departs = ys.findIndex((y) => Math.abs(y - ys[0]) > 1);
  const level_share = (xs[departs] - xs[0]) / (xs[xs.length - 1] - xs[0]);
  const columns = Math.ceil(right - left) + 1;
  if (departs > 0 && level_share >= 0.9 && ys.every((y, i) => i === 0 || y >= ys[i - 1]) &&
      Math.abs(ys[ys.length - 1] - bottom) <= 1 && ys.length <= 2 * columns)
    return [];
  return [
    `${ys.length} vertices for ${columns} columns do not draw a hover then a fall: ` +
    `${JSON.stringify(altitude.slice(0, 2))} ... ${JSON.stringify(altitude.slice(-4))}`
  ];
}

const input_of = (typed) => typed.filter((line) => line !== END).map((l) => `${l}\n`).join('');
const listen = (server) =>
    new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
const mb = (bytes) => (bytes / 1e6).toFixed(1);
const pc = (share) => `${(share * 100).toFixed(0)}%`;

// Opens `url` (unless null) and flies each flight: a transcript's name and
// its lines, or lines alone, whose output comes from the program under Node.
async function flights(engine, url, table, screenshots) {
  if (url) await engine.open(url);
  const problems = [];
  for (const [name, typed] of table) {
    const output = name ? fs.readFileSync(path.join(transcripts, `${name}.out`), 'latin1') :
                          program_output(typed);
    problems.push(...check(engine, typed, output, await play(engine, typed)));
    if (screenshots && name === 'one_metre_soft_landing')
      await engine.screenshot(path.join(screenshots, `web_page_${engine.name}.png`));
    await engine.click('#fly-again');
  }
  const {below} = await engine.run(look);
  return below > 1 ? [...problems, `the newest line is ${below} px out of sight`] : problems;
}

const two_three_nine = [['two_metres_three_litres', ['2', '3', '9']]];
const transcribed = [
  ...two_three_nine, ['one_metre_soft_landing', ['1', '100', '3', '5', '8']],
  ['refusals_at_every_prompt', '0 20000 abc 2 0 -5 xyz 3 10 -1 q 9'.split(' ')],
  ['end_at_rate', ['1300 500', '5 5', END]],
  ['', ['1300 500', ...Array(14).fill('0'), END]]  // free fall from 1300 m
];
const typed_ahead = [
  ['', ['1300 500', '0 0 0 0 0 0 0 0 0 0', END]], ['', ['1000', '30', '9 9 9 9']], ['', ['2 3 9']],
  ['', ['1 100 3 5 8']],
  // Over 300 seconds: a pixel column's lowest and highest value.
  ['', ['100', String(495 * 5), ...Array(9).fill(Array(55).fill('5').join(' '))]]
];
const mid_flight = ['1300', '500', ...Array(14).fill('0'), ...Array(6).fill('9')];

// Every case gets the engine and what it needs to reach the page; returns
// its problems. `needs` names what the engine must offer for it to run.
const CASES = [
  {
    name: 'flights compared with their transcripts',
    run: (engine, {url, screenshots}) => flights(engine, url, transcribed, screenshots),
  },
  {
    name: 'answers typed ahead: a chart point per reported second',
    run: (engine, {url}) => flights(engine, url, typed_ahead),
  },
  {
    name: 'flights in a row',
    async run(engine, {url}) {
      await engine.open(url);
      const [count, warm] = [engine.can.includes('heap') ? 1000 : 200, 20];
      engine.messages.length = 0;
      let {landed} = await engine.run(drive, warm);
      const before = engine.can.includes('heap') && await engine.heap();
      const began = Date.now();
      landed += (await engine.run(drive, count - warm)).landed;
      let figures = `${landed} of ${count} flights ended with their verdict ` +
          `(${((count - warm) / ((Date.now() - began) / 1000)).toFixed(0)} a second)`;
      const problems =
          engine.messages.map((message) => `the flights logged ${message}`).slice(0, 3);
      if (before) {
        const after = await engine.heap();
        figures += `; JavaScript heap ${mb(before[0])} -> ${mb(after[0])} MB, ` +
            `array buffers ${mb(before[1])} -> ${mb(after[1])} MB`;
        if (after[0] - before[0] > 2e6 || after[1] - before[1] > 4e6)
          problems.push(`memory grew: ${figures}`);
      }
      console.log(`  ${engine.name}: ${figures}`);
      return landed === count ? problems : [...problems, figures];
    },
  },
  {
    name: 'the ZIP made by cpack, opened from disk',
    needs: 'zip',
    run: (engine, {zip_page}) => flights(engine, pathToFileURL(zip_page).href, two_three_nine),
  },
  {
    name: 'offline after loading',
    needs: 'offline',
    async run(engine, {url}) {
      await engine.open(url);
      await engine.run(look);
      await engine.offline(true);
      try {
        // The next flight's program has to start with the network gone.
        await engine.click('#end-input');
        await engine.run(look);
        await engine.click('#fly-again');
        return await flights(engine, null, two_three_nine);
      } finally {
        await engine.offline(false);
      }
    },
  },
  {
    name: 'a program that cannot start is explained',
    async run(engine, {url}) {
      const problems = [];
      for (const where of ['without_program/', 'broken_program/']) {
        await engine.open(url + where);
        const {state, screen} = await engine.run(look);
        if (state !== 'failed' || !/reload/i.test(screen))
          problems.push(`${where}: state ${state}, screen ${JSON.stringify(screen.slice(0, 200))}`);
      }
      return problems;
    },
  },
  {
    name: 'a phone in portrait',
    needs: 'phone',
    async run(engine, {url, screenshots}) {
      const problems = [];
      for (const [width, height] of [[390, 844], [360, 640]]) {
        await engine.viewport(width, height);
        await engine.open(url);
        for (const [moment, typed] of [['first prompt', []], ['mid-flight', mid_flight]]) {
          const {state, phone} = await play(engine, typed);
          const figures =
              `${width}x${height} at the ${moment}: answer ${pc(phone.answer)} in view, ` +
              `chart ${pc(phone.chart)}, smallest text ${phone.smallest[0].toFixed(1)} px ` +
              `(${phone.smallest[1]}), send button ${phone.send.map(Math.round).join('x')} px`;
          console.log(`  ${engine.name}: ${figures}`);
          if (state !== 'waiting' || phone.answer < 1 || phone.chart < 0.6 ||
              phone.smallest[0] < 12 || phone.sideways || Math.min(...phone.send) < 44 ||
              phone.keypad !== 'numeric with send')
            problems.push(
                `${figures}, ${state}, sideways ${phone.sideways}, keypad ${phone.keypad}`);
        }
        if (screenshots && width === 390)
          await engine.screenshot(path.join(screenshots, 'web_page_phone.png'));
      }
      await engine.viewport();
      return problems;
    },
  },
  {
    name: 'axe-core at the first prompt, mid-flight and after the verdict',
    needs: 'axe',
    async run(engine, {url, axe_source}) {
      await engine.open(url);
      const [problems, names] = [[], []];
      for (const [moment, typed] of [
               ['first prompt', []], ['mid-flight', ['1300', '500', '5']],
               ['verdict', [Array(45).fill('0').join(' ')]]]) {
        const {state, name} = await play(engine, typed);
        if (moment === 'verdict' && state !== 'ended') problems.push(`no verdict: ${state}`);
        names.push(name);
        const violations = await engine.run(async (source) => {
          if (!window.axe) (0, eval)(source);
          return (await window.axe.run(document))
              .violations.map((v) => `${v.id}: ${v.nodes.length} (${v.help})`);
        }, axe_source);
        console.log(`  ${engine.name}: ${violations.length} axe violations at the ${moment}`);
        problems.push(...violations.map((v) => `${moment}: ${v}`));
      }
      if (!names[0].includes('altitude') || !names[1].includes('fuel rate'))
        problems.push(`the answer's names: ${JSON.stringify(names)}`);
      return problems;
    },
  },
  {
    name: 'a paste of 200,000 answers',
    needs: 'paste',
    async run(engine, {url}) {
      await engine.open(url);
      await engine.run(look);
      const typed = ['100', String(199998 * 5), ...Array(199998).fill('5')];
      const {took, longest_gap, heap, sent} = await engine.run(drive, 1, input_of(typed));
      const figures =
          `${typed.length} answers pasted: verdict after ${(took / 1000).toFixed(2)} s, ` +
          `the page busy at most ${longest_gap.toFixed(0)} ms at a time, JavaScript heap at most ` +
          `${heap ? mb(heap) : '(not measured)'} MB`;
      console.log(`  ${engine.name}: ${figures}`);
      // The dialogue keeps its newest lines, byte for byte, and says how many
      // older ones it let go (the echo of the paste among them).
      const seen = await engine.run(look);
      const problems = check(engine, [sent.slice(0, -1)], program_output(typed), seen);
      if (!seen.screen.startsWith('[')) problems.push('the dialogue keeps every line of the paste');
      return took > 5000 || longest_gap > 400 || heap > 300e6 ? [...problems, figures] : problems;
    },
  },
];

// ---- Running them ------------------------------------------------------------

// Serves the page, a copy without its program, and one whose program is
// damaged, always fresh (as a server that forbids caching does).
function serve(root) {
  return listen(http.createServer((request, response) => {
    const where = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const [, variant, name] = /^\/(?:(without_program|broken_program)\/)?(.*)$/.exec(where);
    const file = path.join(root, name || 'index.html');
    const program = name === 'lm_simulator.js';
    if (!file.startsWith(root) || !fs.existsSync(file) ||
        (program && variant === 'without_program'))
      return response.writeHead(404).end();
    let body = fs.readFileSync(file);
    // The WebAssembly's first bytes after its magic number and version no
    // longer make a module.
    if (program && variant === 'broken_program')
      body = Buffer.from(
          body.toString('latin1').replace(/(base64,AGFzbQEAAAAB)..../, '$1////'), 'latin1');
    const type = {'.html': 'text/html', '.js': 'text/javascript'}[path.extname(file)];
    response.writeHead(
        200, {'content-type': type || 'application/octet-stream', 'cache-control': 'no-store'});
    response.end(body);
  }));
}

// Makes the ZIP with cpack and unpacks it; returns its index.html.
function unpack_zip(work) {
  execFileSync(
      options.cpack || 'cpack', ['--config', options['cpack-config'], '-B', work],
      {stdio: 'ignore'});
  const zip = path.join(work, fs.readdirSync(work).find((f) => f.endsWith('.zip')));
  const listed = execFileSync('unzip', ['-Z1', zip], {encoding: 'utf8'})
                     .trim()
                     .split('\n')
                     .map((f) => f.replace(/^[^/]*\//, ''));
  if (listed.sort().join(' ') !== 'LICENSE README.md flight_page.js index.html lm_simulator.js')
    throw new Error(`the ZIP holds ${listed}`);
  execFileSync('unzip', ['-q', zip, '-d', path.join(work, 'unpacked')]);
  return path.join(work, 'unpacked', path.basename(zip, '.zip'), 'index.html');
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
    url: `http://127.0.0.1:${server.address().port}/`,
    screenshots: options.screenshots,
    axe_source: fs.readFileSync(path.join(here, 'node_modules/axe-core/axe.min.js'), 'utf8'),
    zip_page: options['cpack-config'] && unpack_zip(work),
  };
  let engines_run = 0;
  for (const name of options.engines.split(',')) {
    const engine = await (name === 'webkit' ? webkit_engine() : puppeteer_engine(name));
    if (!engine) {
      if (process.env.CI) failures.push(`${name} is not installed`);
      console.log(`${name} is not installed: its cases are skipped`);
      continue;
    }
    engines_run++;
    const offers = [...engine.can, ...(context.zip_page ? ['zip'] : [])];
    try {
      for (const test_case of CASES.filter(
               (c) => (!c.needs || offers.includes(c.needs)) && c.name.includes(options.only))) {
        const began = Date.now();
        const problems =
            await test_case.run(engine, context).catch((error) => [error.stack || String(error)]);
        console.log(`${problems.length ? 'FAILED' : 'passed'}: ${name}: ${test_case.name} (${
            ((Date.now() - began) / 1000).toFixed(1)} s)`);
        failures.push(...problems.map((problem) => `${name}: ${test_case.name}: ${problem}`));
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
