// The web page played as people play it in headless Chromium and Firefox (puppeteer-core) and in
// WebKit (its WebDriver under a virtual X display): one table of cases, each played in every engine
// able to, each within a minute or a few (--minutes scales them). Exit status 77 (skipped) when
// puppeteer-core or every browser is missing (1 under CI).
//   node browser_test.mjs PAGE_DIR TRANSCRIPT_DIR --program NODE_PROGRAM_JS [--cpack CPACK]
//   [--cpack-config CPackConfig.cmake] [--screenshots DIR] [--engines chromium,...]
//   [--only TEXT,...]
//   [--minutes 1]

import {execFileSync, spawn, spawnSync} from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import {pathToFileURL} from 'node:url';

const [page_dir, transcripts, ...rest] = process.argv.slice(2);
const options = {};
for (let i = 0; i < rest.length; i += 2) options[rest[i].replace(/^--/, '')] = rest[i + 1];
// Says why the test is skipped, here and in the file LM_SKIP_NOTE names, which
// ctest prints at the end of its run; returns the status of a skipped test.
const skipped = (reason) => {
  console.log(reason);
  const note = process.env.LM_SKIP_NOTE;
  if (note) fs.appendFileSync(note, `browser_page skipped: ${reason}\n`);
  return 77;
};
const puppeteer = (await import('puppeteer-core').catch(() => null))?.default;
if (!puppeteer) {
  const reason =
      `puppeteer-core is not installed: run npm ci in ${new URL('.', import.meta.url).pathname}`;
  process.exit(process.env.CI ? (console.log(reason), 1) : skipped(reason));
}
const END = null;  // Ctrl+D in place of a line
const MINIBROWSER = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
const input_of = (typed) => typed.filter((line) => line !== END).map((l) => `${l}\n`).join('');
const listen = (server) => new Promise((go) => server.listen(0, '127.0.0.1', () => go(server)));
const mb = (bytes) => (bytes / 1e6).toFixed(1);
const pc = (share) => `${(share * 100).toFixed(0)}%`;
// Logs a case's figures; returns them as its problem when they fall short.
const figures = ({name}, text, short) => (console.log(`  ${name}: ${text}`), short ? [text] : []);

// Returns the program's output for `typed` under Node (input ending before touchdown fails it).
function program_output(typed) {
  const input = typeof typed === 'string' ? typed : input_of(typed);  // a file of answers as it is
  const how = {input, encoding: 'latin1', maxBuffer: 1 << 30};
  const run = spawnSync(process.execPath, [options.program], how);
  if (run.error || run.signal) throw new Error(`${options.program}: ${run.error || run.signal}`);
  return run.stdout;
}

// The program's texts the test looks for, as the Node program writes them: each question (where
// the input ends at it, after the ones answered), the start of the verdict's line (what a soft and
// a hard landing's share), and the start of the lines that report a second.
const program_says = (() => {
  const lines = (input) => program_output(input).split('\n');
  const [altitude, both, rate] = ['', '1\n', '1 1\n'].map((input) => lines(input).at(-3));
  const fuel = both.slice(altitude.length);  // no echo between the two questions
  const [soft, hard] = ['1 100 3 5 8\n', '2 3 9\n'].map((input) => lines(input).at(-2));
  const verdict = soft.slice(0, [...soft].findIndex((c, i) => c !== hard[i]));
  const flight = lines('1 1\n');
  const time =
      flight[flight.findIndex((line) => line.startsWith(altitude)) + 2].replace(/ *\d.*/, '');
  const escaped = (text) => text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
  return {prompts: [altitude, fuel, rate], rate, verdict, time, escaped};
})();
const waiting_at = new RegExp(`(${program_says.prompts.map(program_says.escaped).join('|')})$`);

// Returns `output` as a terminal shows it: each typed line after the prompt reached once the
// answers before it were used; from its newest lines on when `shown` says older ones were let go.
function terminal_view(output, typed, shown) {
  const waits_at = new Map();
  let [answers, count] = [0, 0];
  for (const line of typed.filter((l) => l !== END)) {
    waits_at.set(answers, `${line}\n`);
    answers += line.split(/\s+/).filter(Boolean).length;
  }
  const prompts = new RegExp(program_says.prompts.map(program_says.escaped).join('|'), 'g');
  const view = output.replace(prompts, (prompt) => prompt + (waits_at.get(count++) || ''));
  const note = /^\[([\d,]+) earlier lines are no longer shown\]\n/.exec(shown);
  return note ? note[0] + view.split('\n').slice(note[1].replace(/,/g, '')).join('\n') : view;
}

// Runs in the page once it waits, has ended or failed; returns the screen, the chart (each text
// that leaves it or crosses another or the plot, which holds the axes and every vertex), what came
// from outside the page's folder, the answer's name, and what a phone shows.
async function look() {
  const state = () => document.body.dataset.state;
  while (!/waiting|ended|failed/.test(state())) await new Promise((go) => setTimeout(go, 2));
  // What a player sees: the page as drawn a few frames later.
  for (let frame = 0; frame < 3; frame++) await new Promise(requestAnimationFrame);
  const [screen, chart, answer, send] =
      ['screen', 'chart', 'answer', 'send'].map((id) => document.getElementById(id));
  const [b, l] = [...chart.querySelectorAll('line.axis')].map((axis) => axis.getBBox());
  const plot = {name: 'the plot', x: b.x, y: l.y, width: b.width, height: b.y - l.y};
  const [left, right, top, bottom] = [b.x, b.x + b.width, l.y, b.y];
  const seen = {state: state(), screen: screen.textContent, left, right, bottom, problems: []};
  for (const line of chart.querySelectorAll('polyline')) {
    const points = (seen[line.classList[0]] = Array.from(line.points, (p) => [p.x, p.y]));
    const outside =
        points.find(([x, y]) => x < left - .5 || x > right + .5 || y < top - .5 || y > bottom + .5);
    if (outside) seen.problems.push(`the ${line.classList[0]} line leaves the plot at ${outside}`);
  }
  const boxes = [plot];
  for (const text of chart.querySelectorAll('text'))
    boxes.push(Object.assign(text.getBBox(), {name: `"${text.textContent}"`}));
  const {width, height} = chart.viewBox.baseVal;
  boxes.forEach((a, i) => {
    if (a.x < 0 || a.y < 0 || a.x + a.width > width || a.y + a.height > height)
      seen.problems.push(`${a.name} lies outside the chart`);
    const crossed = boxes.slice(i + 1).filter(
        (b) => a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
            b.y < a.y + a.height);
    seen.problems.push(...crossed.map((b) => `${a.name} crosses ${b.name}`));
  });
  Object.assign(seen, {seconds: Number(chart.dataset.seconds), text: chart.textContent});
  seen.marked = !!chart.querySelector('.touchdown');
  const loaded = performance.getEntriesByType('resource').map((e) => e.name);
  seen.foreign = loaded.filter((name) => !name.startsWith(new URL('.', location.href).href));
  seen.below = screen.scrollHeight - screen.scrollTop - screen.clientHeight;
  const label = document.getElementById(answer.getAttribute('aria-labelledby'));
  seen.name = answer.disabled ? '' : answer.getAttribute('aria-label') || label?.textContent || '';
  // What a phone shows: the answer's, chart's, prompt's and Send's share in view (in the visual
  // viewport, and in the dialogue's scrolled box for what is in it), smallest text, send, keypad.
  const [t, box] = [visualViewport.offsetTop, screen.getBoundingClientRect()];
  const in_view = (r, [top, bottom]) =>
      Math.max(0, Math.min(r.bottom, bottom) - Math.max(r.top, top)) *
      Math.max(0, Math.min(r.right, innerWidth) - Math.max(r.left, 0)) / (r.width * r.height);
  seen.in_view = [answer, chart, document.getElementById('prompt'), send].map(
      (e) => in_view(
          e.getBoundingClientRect(),
          e.closest('#screen') ?
              [Math.max(t, box.top), Math.min(t + visualViewport.height, box.bottom)] :
              [t, t + visualViewport.height]));
  seen.smallest = [Infinity];
  for (const e of document.querySelectorAll('body *')) {
    const text = e.matches('input, button') ||
        [...e.childNodes].some((n) => n.nodeType === 3 && n.data.trim());
    if (!text || !e.getClientRects().length || getComputedStyle(e).visibility === 'hidden')
      continue;
    const size = parseFloat(getComputedStyle(e).fontSize) * (e.getScreenCTM?.().a ?? 1);
    if (size < seen.smallest[0])
      seen.smallest = [size, `${e.tagName} ${e.textContent.trim().slice(0, 30)}`];
  }
  seen.send = ['width', 'height'].map((side) => send.getBoundingClientRect()[side]);
  seen.keypad = `${answer.inputMode} with ${answer.getAttribute('enterkeyhint')}`;
  seen.sideways = document.documentElement.scrollWidth > innerWidth;
  seen.help = document.querySelector('.help').textContent.replace(/\s+/g, ' ');
  return seen;
}

// Runs in the page: `text` pasted at once, or `count` flights of "2 3 9" in a row, fast; returns
// the flights landed, the time taken, the longest the timers were held up, and the highest heap.
async function drive(count, text, verdict) {
  const [answer, screen] = ['answer', 'screen'].map((id) => document.getElementById(id));
  const state = () => document.body.dataset.state;
  const until = (...states) => new Promise((go) => {
    const done = () => states.includes(state()) && (watch.disconnect(), go(), true);
    const watch = new MutationObserver(done);
    if (!done()) watch.observe(document.body, {attributes: true});
  });
  let [landed, longest_gap, heap, last] = [0, 0, 0, performance.now()];
  const tick = setInterval(() => {
    [longest_gap, last] = [Math.max(longest_gap, performance.now() - last), performance.now()];
    heap = Math.max(heap, performance.memory?.usedJSHeapSize || 0);
  }, 10);
  const paste = new ClipboardEvent('paste', {clipboardData: new DataTransfer(), cancelable: true});
  if (text) paste.clipboardData.setData('text/plain', text);  // fails where a paste has no data
  const began = performance.now();
  if (text) answer.dispatchEvent(paste);
  for (let i = 0; i < count; i++) {
    document.getElementById('fly-again').click();
    await until('waiting', 'failed');
    answer.value = '2 3 9';
    answer.dispatchEvent(new KeyboardEvent('keydown', {key: 'Enter'}));
    await until('ended', 'failed');
    const last_line = screen.textContent.split('\n').at(-2);
    if (state() === 'ended' && last_line.startsWith(verdict)) landed++;
  }
  await until('ended', 'failed');
  clearInterval(tick);
  return {landed, took: performance.now() - began, longest_gap, heap};
}

// An engine opens a URL, runs a function in the page, types, clicks, shoots; `can` says what else.
async function puppeteer_engine(name) {
  const chromium = name === 'chromium';
  const paths = chromium ? ['/usr/bin/chromium'] : ['/usr/bin/firefox-esr', '/usr/bin/firefox'];
  const executablePath = paths.find(fs.existsSync);
  if (!executablePath) return null;
  // Chromium as root, without its own traffic, and with the heap's exact size.
  const flags = '--no-sandbox --disable-gpu --disable-quic --disable-component-update ' +
      '--enable-precise-memory-info';
  const args = chromium ? flags.split(' ') : [];
  const browser =
      await puppeteer.launch({browser: chromium ? 'chrome' : name, executablePath, args});
  const page = (await browser.pages())[0] || (await browser.newPage());
  const desktop = {width: 1280, height: 900};
  await page.setViewport(desktop);
  page.setDefaultNavigationTimeout(0);  // the case's own deadline holds
  const can = chromium ? ['offline', 'phone', 'axe', 'paste', 'schemes'] : ['axe', 'paste'];
  const engine = {name, can, messages: [], close: () => browser.close()};
  engine.kill = () => browser.process()?.kill('SIGKILL');
  page.on('console', (m) => engine.messages.push(`console.${m.type()}: ${m.text()}`));
  page.on('pageerror', (e) => engine.messages.push(`error: ${e.message}`));
  engine.open = (url) => ((engine.messages.length = 0), page.goto(url));  // logs from here on
  engine.run = (fn, ...args) => page.evaluate(fn, ...args);
  engine.type = async (line) => {
    await page.focus('#answer');
    if (line !== END) return page.keyboard.type(`${line}\n`);
    for (const [act, key] of [['down', 'Control'], ['press', 'KeyD'], ['up', 'Control']])
      await page.keyboard[act](key);
  };
  engine.click = (selector) => page.click(selector);
  engine.enter = () => page.keyboard.press('Enter');  // where the focus is
  engine.screenshot = (file) => page.screenshot({path: file});
  engine.viewport = (width, height, mobile = chromium) =>
      page.setViewport(width ? {width, height, isMobile: mobile, hasTouch: mobile} : desktop);
  engine.scheme = (value) => page.emulateMediaFeatures([{name: 'prefers-color-scheme', value}]);
  engine.offline = (on) => page.setOfflineMode(on);
  engine.reload = () => page.reload();
  // The JavaScript heap and array buffers' memory (WebAssembly's too) after a full collection.
  const cdp = chromium && await page.createCDPSession();
  if (cdp)
    engine.heap = async () =>
        (await cdp.send('HeapProfiler.collectGarbage'), cdp.send('Runtime.getHeapUsage'));
  return engine;
}

// WebKit through its own WebDriver: a few HTTP calls are all it takes.
async function webkit_engine() {
  if (![MINIBROWSER, '/usr/bin/WebKitWebDriver', '/usr/bin/xvfb-run'].every(fs.existsSync))
    return null;
  const probe = await listen(http.createServer());
  const {port} = probe.address();
  await new Promise((go) => probe.close(go));
  const driver = spawn(
      'xvfb-run', ['-a', 'WebKitWebDriver', `--port=${port}`], {detached: true, stdio: 'ignore'});
  let session = '';
  const call = async (method, where, body) => {
    const request = {method, body: body && JSON.stringify(body)};
    const {value} =
        await (await fetch(`http://127.0.0.1:${port}${session}${where}`, request)).json();
    if (value?.error) throw new Error(`WebKit ${where}: ${value.error}: ${value.message}`);
    return value;
  };
  for (let tries = 0; !(await call('GET', '/status').catch(() => null))?.ready; tries++) {
    if (tries > 100) throw new Error('WebKitWebDriver does not start');
    await new Promise((go) => setTimeout(go, 100));
  }
  const browser = {'webkitgtk:browserOptions': {binary: MINIBROWSER, args: ['--automation']}};
  const {sessionId} = await call('POST', '/session', {capabilities: {alwaysMatch: browser}});
  session = `/session/${sessionId}`;
  await call('POST', '/timeouts', {script: 120000});
  await call('POST', '/window/rect', {width: 1280, height: 900});
  const found = (css) => call('POST', '/element', {using: 'css selector', value: css});
  const element = async (css) => `/element/${Object.values(await found(css))[0]}`;
  const engine = {name: 'webkit', can: ['axe', 'paste'], messages: []};
  engine.open = (url) => call('POST', '/url', {url});
  engine.reload = () => call('POST', '/refresh', {});
  const script = (fn) => `return (${fn}).apply(null, arguments);`;
  engine.run = (fn, ...args) => call('POST', '/execute/sync', {script: script(fn), args});
  // Enter as the Enter key: WebKit types "\n" as a character.
  const keys = (line) => ({text: line === END ? '\uE009d' : `${line}\uE007`});
  engine.type = async (line) => call('POST', `${await element('#answer')}/value`, keys(line));
  engine.click = async (selector) => call('POST', `${await element(selector)}/click`, {});
  const press = (key) => [{type: 'keyDown', value: key}, {type: 'keyUp', value: key}];
  engine.enter = () =>
      call('POST', '/actions', {actions: [{type: 'key', id: 'keys', actions: press('\uE007')}]});
  engine.screenshot = async (to) =>
      fs.writeFileSync(to, await call('GET', '/screenshot'), 'base64');
  engine.close = () => call('DELETE', '').finally(() => process.kill(-driver.pid));
  engine.kill = () => process.kill(-driver.pid, 'SIGKILL');
  engine.viewport = (width = 1280, height = 900) => call('POST', '/window/rect', {width, height});
  return engine;
}

// Types each line once a prompt waits for it; returns what the page shows.
async function play(engine, typed) {
  for (const line of typed) {
    const {state, screen} = await engine.run(look);
    if (state !== 'waiting' || !waiting_at.test(screen))
      throw new Error(`no prompt waits for ${JSON.stringify([line, state, screen.slice(-80)])}`);
    await engine.type(line);
  }
  return engine.run(look);
}

// Returns what is wrong with the flight that `seen` shows, given the lines typed and the output.
function check(engine, typed, output, seen) {
  const name = JSON.stringify(typed.join(' ').slice(0, 24));
  const seconds = output.split('\n').filter((line) => line.includes(program_says.time)).length;
  const {state, screen, altitude, velocity, marked, text} = seen;
  const charted = `${seen.seconds} in the chart, ${altitude.length} vertices`;
  figures(engine, `${name}: ${seconds} reported seconds, ${charted}`);
  const problems = [...seen.problems];
  if (seconds > 300 && !hover_then_fall(seen))
    problems.push('the altitude draws no hover then fall');
  if (state !== 'ended') problems.push(`the flight has not ended after the last answer: ${state}`);
  const expected = terminal_view(output, typed, screen);
  const at = [...expected, ''].findIndex((c, i) => c !== screen[i]);
  const near = (text) => JSON.stringify(text.slice(at - 40, at + 40));
  if (screen !== expected) problems.push(`screen at ${at}: ${near(screen)}, not ${near(expected)}`);
  if (seconds <= 300 && (altitude.length !== seconds || velocity.length !== seconds))
    problems.push(`${altitude.length} and ${velocity.length} vertices for ${seconds} seconds`);
  if (seen.seconds !== seconds) problems.push(`${seen.seconds} of ${seconds} seconds charted`);
  const verdict_line = output.split('\n').find((line) => line.startsWith(program_says.verdict));
  const verdict = verdict_line?.slice(program_says.verdict.length).replace(/\s/g, '');
  if (verdict && (!marked || !text.replace(/\s/g, '').includes(verdict)))
    problems.push(`touchdown marked ${marked}, chart text ${text}`);
  // The program's landing limits on the velocity's axis.
  if (!/-1 soft.*-10 hard/.test(text)) problems.push(`no landing limits in ${text}`);
  if (seen.below > 1) problems.push(`the newest line is ${seen.below} px out of sight`);
  if (seen.foreign.length > 0) problems.push(`the page loaded from elsewhere: ${seen.foreign}`);
  return problems.map((problem) => `${name}: ${problem}`);
}

// Returns whether the altitude is level at the top most of the way, then only falls to the ground,
// with at most two vertices per pixel column (a line from the first point to the last is not).
function hover_then_fall({altitude, left, right, bottom}) {
  const [xs, ys] = [altitude.map(([x]) => x), altitude.map(([, y]) => y)];
  const departs = ys.findIndex((y) => Math.abs(y - ys[0]) > 1);
  const level_share = (xs[departs] - xs[0]) / (xs.at(-1) - xs[0]);
  const falls = ys.every((y, i) => i === 0 || y >= ys[i - 1]) && Math.abs(ys.at(-1) - bottom) <= 1;
  return departs > 0 && level_share >= 0.9 && falls && ys.length <= 2 * Math.ceil(right - left + 1);
}

// Opens `at` (unless null) and flies each flight: a transcript's name and its lines, or lines.
async function flights(engine, at, table) {
  if (at) await engine.open(at);
  const problems = [];
  for (const [name, typed] of table) {
    const output =
        name ? fs.readFileSync(`${transcripts}/${name}.out`, 'latin1') : program_output(typed);
    problems.push(...check(engine, typed, output, await play(engine, typed)));
    if (options.screenshots && name === 'one_metre_soft_landing')
      await engine.screenshot(path.join(options.screenshots, `web_page_${engine.name}.png`));
    await engine.click('#fly-again');
  }
  return problems;
}

const two_three_nine = [['two_metres_three_litres', ['2', '3', '9']]];
// The last of these flights falls freely from 1300 m.
const transcribed = [
  ...two_three_nine, ['one_metre_soft_landing', ['1', '100', '3', '5', '8']],
  ['refusals_at_every_prompt', '0 20000 abc 2 0 -5 xyz 3 10 -1 q 9'.split(' ')],
  ['end_at_rate', ['1300 500', '5 5', END]], ['', ['1300 500', ...Array(14).fill('0'), END]]
];
// The last of these flights lasts over 300 seconds: a pixel column's lowest and highest value.
const typed_ahead = [
  ['', ['1300 500', '0 0 0 0 0 0 0 0 0 0', END]], ['', ['1000', '30', '9 9 9 9']], ['', ['2 3 9']],
  ['', ['1 100 3 5 8']], ['', ['100', String(495 * 5), ...Array(9).fill('5 '.repeat(55).trim())]]
];
const mid_flight = ['1300', '500', ...Array(14).fill('0'), ...Array(6).fill('9')];

// The cases: each plays the page (at `url`) in an engine and returns its problems.
const flights_as_transcribed = (engine) => flights(engine, url, transcribed);
const answers_typed_ahead = (engine) => flights(engine, url, typed_ahead);
const cpack_zip_opened_from_disk = (engine) => flights(engine, zip, two_three_nine);

async function flights_in_a_row(engine) {
  await engine.open(url);
  const [count, warm] = [engine.heap ? 1000 : 200, 20];  // the heap is compared once warm
  let {landed} = await engine.run(drive, warm, '', program_says.verdict);
  const before = engine.heap && await engine.heap();
  landed += (await engine.run(drive, count - warm, '', program_says.verdict)).landed;
  const problems = engine.messages.slice(0, 3).map((message) => `the flights logged ${message}`);
  problems.push(...figures(
      engine, `${landed} of ${count} flights ended with their verdict`, landed !== count));
  if (!before) return problems;
  const after = await engine.heap();
  const grew = ['usedSize', 'backingStorageSize'].map((n) => after[n] - before[n]);
  const text = `JavaScript heap grew ${mb(grew[0])} MB, array buffers ${mb(grew[1])} MB`;
  return problems.concat(figures(engine, text, grew[0] > 2e6 || grew[1] > 4e6));
}

async function offline_after_loading(engine) {
  await engine.open(url);
  await engine.run(look);
  await engine.offline(true);
  // The next flight's program has to start with the network gone.
  const ended =
      engine.click('#end-input').then(() => engine.click('#end-yes')).then(() => engine.run(look));
  const flown = ended.then(() => engine.click('#fly-again'))
                    .then(() => flights(engine, null, two_three_nine));
  return flown.finally(() => engine.offline(false));
}

async function program_that_cannot_start(engine) {
  const problems = [];
  for (const where of ['without_program/', 'broken_program/']) {
    await engine.open(url + where);
    const {state, screen} = await engine.run(look);
    if (state !== 'failed' || !/reload/i.test(screen))
      problems.push(`${where}: ${state}: ${screen}`);
  }
  return problems;
}

async function phone_in_portrait(engine) {
  const problems = [];
  for (const [width, height] of [[390, 844], [360, 640]]) {
    await engine.viewport(width, height);
    await engine.open(url);
    for (const [moment, typed] of [['first prompt', []], ['mid-flight', mid_flight]]) {
      const {state, in_view: [answer, chart], smallest, send, keypad, sideways} =
          await play(engine, typed);
      const short = state !== 'waiting' || answer < 1 || chart < 0.6 || smallest[0] < 12 ||
          Math.min(...send) < 44 ||
          keypad !== `${typed.length ? 'numeric' : 'decimal'} with send` || sideways;
      const text =
          `${width}x${height} at the ${moment} (${state}${sideways ? ', sideways' : ''}):` +
          ` answer ${pc(answer)} in view, chart ${pc(chart)}, smallest text ${smallest[0]} px` +
          ` (${smallest[1]}), send ${send.map(Math.round).join('x')} px, ${keypad} keypad`;
      problems.push(...figures(engine, text, short));
    }
    if (options.screenshots && width === 390)
      await engine.screenshot(path.join(options.screenshots, 'web_page_phone.png'));
  }
  await engine.viewport();
  return problems;
}

async function axe_core_at_three_moments(engine) {
  await engine.open(url);
  await engine.run((source) => (0, eval)(source), axe_source);
  const [problems, names, helps] = [[], [], []];
  const verdict = [Array(45).fill('0').join(' ')];
  for (const [moment, typed] of [
           ['first prompt', []], ['mid-flight', ['1300', '500', '5']], ['verdict', verdict]]) {
    const {state, name, help} = await play(engine, typed);
    if (moment === 'verdict' && state !== 'ended') problems.push(`no verdict: ${state}`);
    names.push(name);
    helps.push(help);
    const found = await engine.run(async () => (await axe.run()).violations.map((v) => v.id));
    problems.push(...figures(
        engine, `${found.length} axe violations at the ${moment} [${found}]`, found.length));
  }
  if (names[0] !== program_says.prompts[0].trim() || names[1] !== program_says.rate.trim())
    problems.push(`the answer's names: ${names}`);
  // The help's figures come from the program's own limits.
  const limits =
      ['(1 to 9999 m)', 'from 0 to 9: 0 lets', '5 holds', '9 brakes', 'at 1 m/s', '10 m/s'];
  if (!limits.every((figure) => helps[0].includes(figure))) problems.push(`the help: ${helps[0]}`);
  return problems;
}

async function paste_of_200_000_answers(engine) {
  await engine.open(url);
  await engine.run(look);
  const typed = ['100', String(199998 * 5), ...Array(199998).fill('5')];
  const {took, longest_gap, heap} =
      await engine.run(drive, 0, input_of(typed), program_says.verdict);
  const text =
      `${typed.length} answers pasted: verdict after ${(took / 1000).toFixed(2)} s, busy ` +
      `${longest_gap.toFixed(0)} ms at most at a time, heap at most ${heap ? mb(heap) : '?'} MB`;
  // How fast is bench/browser_paste.sh's to measure; a tab held up for seconds at once has hung.
  const problems = figures(engine, text, longest_gap > 10000);
  // The dialogue keeps its newest lines byte for byte, saying how many it let go (the echo too).
  const seen = await engine.run(look);
  if (!seen.screen.startsWith('[')) problems.push('the dialogue keeps every line of the paste');
  const kept = seen.screen.split('\n').length - 2;  // less the note and the line being written
  if (kept !== 2000) problems.push(`the dialogue keeps ${kept} lines, not a terminal's 2,000`);
  return [
    ...problems, ...check(engine, [input_of(typed).slice(0, -1)], program_output(typed), seen)
  ];
}

// Flights kept by their answers, each with a refused answer or answers typed ahead: left waiting,
// landed, with the input ended, and longer than the screen keeps. Each engine's links are opened
// again by the engines after it.
const kept_flights = [
  ['1300 500', 'abc 0 0 0', '0 0 99 1'], ['2', '3 abc', '9 9'], ['100 50', '5 -1 5', END],
  ['100 x 2000', '5 '.repeat(400)], ['2', '3 _~*!\'()%&#+?/=é\\', '9']
];
const links_made = [];

// Runs in the page: Copy answers, Save dialogue and Save chart pressed; returns what each gave,
// and what the page offers when the clipboard refuses the copy.
async function kept_by_page() {
  const [files, real_click] = [{}, HTMLAnchorElement.prototype.click];
  URL.createObjectURL = (blob) => ((files[blob.type] = blob), 'blob:kept');
  HTMLAnchorElement.prototype.click = function() { this.download || real_click.call(this); };
  let copied = null;
  Object.defineProperty(navigator, 'clipboard', {value: {writeText: async (t) => (copied = t)}});
  for (const id of ['copy-answers', 'save-dialogue', 'save-chart'])
    document.getElementById(id).click();
  while (!files['text/plain']) await new Promise((go) => setTimeout(go, 10));
  const [dialogue, chart] =
      await Promise.all(['text/plain', 'image/svg+xml'].map((t) => files[t].text()));
  navigator.clipboard.writeText = () => Promise.reject(new Error('refused'));
  await document.getElementById('copy-answers').onclick();
  const refused = ['keep-note', 'answers-text'].map((id) => document.getElementById(id));
  const by_hand = /refused/.test(refused[0].textContent) && !refused[1].hidden && refused[1].value;
  return {copied, by_hand, dialogue, chart, link: document.getElementById('share').href};
}

// Returns how `again` differs from `seen`, the chart's vertices too when `drawn` (same engine).
function differences(what, seen, again, drawn) {
  const keys = ['state', 'screen', 'seconds', 'text', ...(drawn ? ['altitude', 'velocity'] : [])];
  return keys.filter((key) => JSON.stringify(seen[key]) !== JSON.stringify(again[key]))
      .map((key) => `${what}: ${key} ${JSON.stringify(again[key])?.slice(-80)}`);
}

async function opened_afresh(engine, link) {
  await engine.open('about:blank');
  await engine.open(link);
  return engine.run(look);
}

async function flights_kept_by_their_answers(engine) {
  const problems = [];
  for (const typed of kept_flights) {
    const seen = await opened_afresh(engine, url).then(() => play(engine, typed));
    const {copied, by_hand, dialogue, chart, link} = await engine.run(kept_by_page);
    const [name, fragment] = [JSON.stringify(typed.join(' ')), link.slice(link.indexOf('#'))];
    figures(engine, `${name}: link ${JSON.stringify(fragment)}`);
    // The copy is what was typed, and the program given it as a file writes the dialogue saved
    // (and, for a flight left waiting, what ending the input there adds).
    const terminal = terminal_view(program_output(copied), typed, '');
    const ended = seen.state === 'ended';
    if (copied !== input_of(typed) || by_hand !== copied ||
        !(ended ? terminal === dialogue : terminal.startsWith(dialogue)))
      problems.push(`${name}: copied ${JSON.stringify(copied)}`);
    const line = /<polyline class="altitude" points="[\d., ]+" style="[^"]*stroke:\s*rgb/;
    if (!line.test(chart) || seen.marked !== /touchdown at/.test(chart))
      problems.push(
          `${name}: saved ${JSON.stringify(dialogue.slice(-80))} and ${chart.slice(0, 200)}`);
    problems.push(...differences(`${name} again`, seen, await opened_afresh(engine, link), 1));
    if (zip)
      problems.push(
          ...differences(`${name} from disk`, seen, await opened_afresh(engine, zip + fragment)));
    links_made.push({maker: engine.name, fragment, seen});
  }
  for (const {maker, fragment, seen} of links_made.filter(({maker}) => maker !== engine.name))
    problems.push(...differences(
        `${maker}'s ${fragment}`, seen, await opened_afresh(engine, url + fragment)));
  return problems;
}

async function reload_mid_flight(engine) {
  const first = await opened_afresh(engine, url);
  const seen = await play(engine, kept_flights[0]);
  await engine.reload();
  const problems = differences('after a reload', seen, await engine.run(look), 1);
  // Its input ended and a new flight begun: that one starts clean, after a reload too, and the
  // last one is listed last with its start and the link that ends its input.
  await engine.run(() => void (document.getElementById('answer').value = '7'));
  await engine.click('#end-input');
  await engine.click('#end-yes');
  const ended = await engine.run(look);
  const {link} = await engine.run(kept_by_page);
  await engine.reload();
  problems.push(...differences('ended, then reloaded', ended, await engine.run(look), 1));
  if (!link.endsWith('~7&end') || ended.state !== 'ended') problems.push(`ended as ${link}`);
  await engine.click('#fly-again');
  problems.push(...differences('a new flight', first, await engine.run(look)));
  await engine.reload();
  problems.push(...differences('a new flight reloaded', first, await engine.run(look)));
  const listed = await engine.run(
      () => [...document.querySelectorAll('#earlier li')].map(
          (item) => [item.textContent, item.querySelector('a').href]));
  // The last second and fuel the program reported, the 7 sent at the input's end included.
  const [, flown, left] = /.*Time: +(\d+) s\n +Fuel: +(\d+)(?![^]*Time:)/.exec(
      program_output(`${input_of(kept_flights[0])}7`));
  if (`${listed.at(-1)}` !==
      `from 1300.00 m with 500 l: ${flown} s flown, ${left} l left, no touchdown replay,${link}`)
    problems.push(`earlier flights: ${JSON.stringify(listed)}, not ${link}`);
  return problems;
}

// Links anyone may write: markup, not the page's fragment, a broken escape, megabytes of refusals
// (2 MB, the most Chromium opens; 1 MB in Firefox, which opens no longer address). Each shows what
// it holds as text only, says what it cannot use, and the page takes answers after it.
const hostile = '<img src=x onerror="window.ran=1"><script>window.ran=1</script>';
const refusals = (mb) => `#answers=${`%3Cb%3E${'x'.repeat(1000)}_`.repeat(mb * 990)}`;
const hostile_fragments = [
  [`#answers=${encodeURIComponent(hostile)}~`, hostile, ''], [`#${hostile}`, '', 'holds no flight'],
  ['#answers=1300_500~0_%E0%A4%A~0~', '1300 500\n', 'Line 2'], [null, '', '']
];

async function hostile_links(engine) {
  const problems = [];
  await engine.viewport(390, 844);  // what cannot be used said in view on a phone too
  for (let [fragment, shown, said] of hostile_fragments) {
    fragment ??= refusals(engine.name === 'firefox' ? 1 : 2);
    const {screen} = await opened_afresh(engine, url + fragment);
    const [, , , , status, note, in_view] = await engine.run(record_seen);
    if (said &&
        !(note.includes(`${url}#`) && note.includes(said) && in_view && status.includes(said)))
      problems.push(`${fragment}: ${JSON.stringify([note, in_view, status])}`);
    const page = await engine.run(
        () => ({
          ran: window.ran,
          said: document.getElementById('keep-note').textContent,
          markup: document
                      .querySelector(
                          '#screen :not(#prompt, #answer, div), #keep-note *, #link-note *, img')
                      ?.outerHTML
        }));
    const after = await play(engine, ['1300 500']);
    if (page.ran || page.markup || !screen.includes(shown) || !page.said.includes(said) ||
        (!said && page.said) || !after.screen.endsWith(program_says.rate))
      problems.push(
          `${JSON.stringify(fragment.slice(0, 30))}: ${JSON.stringify(page)}, shows ` +
          JSON.stringify(screen.slice(0, 120)));
  }
  await engine.viewport();
  return problems;
}

// Runs in the page: from now on keeps in window.live_added each text added to a live region.
function watch_live() {
  window.live_added = [];
  const live = '[aria-live]:not([aria-live=off]), [role=status], [role=log]:not([aria-live=off])';
  new MutationObserver((changes) => changes.forEach(({target, addedNodes: [added = target]}) => {
    const region = (target.closest ? target : target.parentElement).closest(live);
    if (region && added.textContent) live_added.push(added.textContent);
  })).observe(document.body, {childList: true, characterData: true, subtree: true});
}

// Runs in the page: a keyboard over the page, `over` px high, told by the visual viewport.
function keyboard_over(over) {
  Object.defineProperty(visualViewport, 'height', {value: innerHeight - over});
  visualViewport.dispatchEvent(new Event('resize'));
}

// What live regions gain: for one answered second one short addition with the numbers reported
// (the altitude typed as 1300,5 where decimals take a comma, sent and echoed as 1300.5); nothing
// for an empty line, after which the prompt still names the answer; for answers typed
// ahead to the touchdown a short last addition with the verdict in plain words and whole, which
// the chart's name and the answer's description give too.
async function status_said_once_a_second(engine) {
  await engine.open(url);
  await engine.run(() => void Object.defineProperty(navigator, 'language', {value: 'de-DE'}));
  await play(engine, ['1300,5', '500']);
  await engine.run(watch_live);
  const {name, screen} = await play(engine, ['9', '']);
  const said = (await engine.run(() => live_added)).join(' | ');
  const output = program_output(['1300.5', '500', '9']);
  // The second's report: its time, fuel, altitude and velocity (the rate is the one typed).
  const state =
      [-9, -8, -6, -5].map((at) => output.split('\n').at(at).match(/-?\d+(\.\d+)?/g).at(-1));
  const wrong = said.includes('|') || said.split(' ').length > 12 ||
      name !== program_says.rate.trim() || !screen.includes(': 1300.5\n');
  const problems = figures(
      engine, `a second, an empty line: "${said}", name "${name}"`,
      wrong || state.some((value) => !said.match(/-?\d+(\.\d+)?/g).includes(value)));
  for (const [typed, plain] of [
           [['1300 500', '0 '.repeat(45)], 'Crash'], [['2 3 9'], 'Hard landing'],
           [['1 100 3 5 8'], 'Soft landing']]) {
    await engine.open(url);
    await engine.run(watch_live);
    await play(engine, typed);
    const texts = await engine.run(
        () =>
            // The best landing's words come after the verdict, from a region of their own.
            [live_added.filter((text) => !text.startsWith('Best possible')).at(-1),
             chart.getAttribute('aria-label'), window['answer-state'].textContent]);
    const verdict = [plain, program_output(typed).split('\n').at(-2)].join('. ');
    const wrong = texts.some((text) => !text.includes(verdict)) || texts[0].split(' ').length > 40;
    problems.push(...figures(engine, `${typed[0]}: "${texts[0]}"`, wrong));
  }
  return problems;
}

// Runs in the page: once the best landing is shown, its words, hint, links and ghost's vertices.
async function best_shown() {
  const best = document.getElementById('best');
  while (!best.textContent.startsWith('Best') && !best.textContent.includes('could not'))
    await new Promise((go) => setTimeout(go, 20));
  const link = (id) =>
      !document.getElementById('best-links').hidden && document.getElementById(id).href;
  const ghost = (name) => document.querySelector(`#chart .best .${name}`)?.points.length ?? 0;
  return {
    words: best.textContent,
    hint: document.getElementById('best-hint').textContent,
    replay: link('best-replay'),
    challenge: link('challenge'),
    ghost: [ghost('altitude'), ghost('velocity')],
    slice: Number(best.dataset.longestSliceMs),
    search: Number(best.dataset.searchMs)
  };
}

// A crash from 1300 m with 500 l: the best possible in words, drawn faint, a hint, its replay
// landing as claimed; then the challenge's link, which types the start, says what to beat, and
// after the best flight flown from it says that it was beaten.
async function best_landing_and_challenge(engine) {
  const problems = [];
  const crash = ['1300 500', '0 '.repeat(45)];
  await opened_afresh(engine, url)
      .then(() => engine.run(watch_live))
      .then(() => play(engine, crash));
  const you = program_output(crash).match(/-\d+\.\d\d(?= m\/s)/g).at(-1);
  const seen = await engine.run(best_shown);
  // Heard once, last, after the verdict.
  const heard = await engine.run(() => live_added);
  if (heard.filter((text) => text.startsWith('Best')).length !== 1 ||
      !heard.at(-1).startsWith('Best') || !heard.at(-2).includes('Crash'))
    problems.push(`live regions gained ${JSON.stringify(heard.slice(-2))}`);
  figures(engine, `searched in ${seen.search} ms, the longest slice ${seen.slice} ms`);
  const said = 'Best possible from 1300 m with 500 l: soft landing, 203 l left after 60 s. ' +
      `You: crash at ${you} m/s.`;
  if (seen.words !== said || !/^Hint: .* full thrust from \d+ s, at [\d.]+ m\.$/.test(seen.hint) ||
      `${seen.ghost}` !== '61,61' || !seen.replay || !seen.challenge)
    problems.push(`after a crash: ${JSON.stringify(seen)}`);
  const replayed = await opened_afresh(engine, seen.replay);
  const again = await engine.run(best_shown);
  if (replayed.state !== 'ended' || !/Fuel: +203 l[^]*landed/.test(replayed.screen) ||
      !again.words.endsWith('You: soft landing, 203 l left after 60 s, the best possible.'))
    problems.push(`the best replayed: ${JSON.stringify(again)}`);
  const fragment = seen.challenge.slice(seen.challenge.indexOf('#'));
  const rates = decodeURIComponent(seen.replay.split('#answers=')[1]).split('~').slice(2, -1);
  const {screen} = await opened_afresh(engine, url + fragment);
  const told = await engine.run(() => document.getElementById('best').textContent);
  await play(engine, [rates.join(' ')]);
  const {words} = await engine.run(best_shown);
  if (fragment !== `#start=1300,500&beat=crash,${you}` || !/: 1300\n[^]*: 500\n/.test(screen) ||
      told !== `A challenge: fly from this start and beat a crash at ${you} m/s.` ||
      !words.endsWith(`To beat: crash at ${you} m/s. You beat it!`))
    problems.push(`the challenge ${fragment}: ${JSON.stringify([told, words])}`);
  return problems;
}

// In every engine, mid-flight, a phone turned and a window narrowed; in Chromium a keyboard up
// (resizing the page, or over it, told by a shorter visual viewport), 200% zoom (640x400 CSS px),
// and a 1280x800 window at the first prompt: the least shares in view of the answer,
// the chart, its prompt and Send.
async function place_held(engine) {
  const problems = [];
  for (const [what, size, change, least, typed = mid_flight, needs = 'phone'] of [
           ['turned', [390, 844], [844, 390], [1, 0, 1, 0], mid_flight, null],
           ['narrowed', [1280, 800], [900, 800], [1, 0, 1, 0], mid_flight, null],
           ['keyboard up', [390, 844], [390, 544], [1, 0.4, 1, 1]],
           ['keyboard up', [360, 640], [360, 380], [1, 0, 1, 1]],
           ['keyboard over the page', [390, 844], 300, [1, 0, 1, 1]],
           ['200% zoom', [640, 400, false], 0, [1, 0.3, 1, 0]],
           ['window', [1280, 800, false], 0, [1, 0, 1, 1], []]]) {
    if (needs && !engine.can.includes(needs)) continue;
    await engine.viewport(...size);
    await engine.open(url);
    await play(engine, typed);
    if (change.length) await engine.viewport(...change);
    if (change > 0) await engine.run(keyboard_over, change);
    const seen = (await engine.run(look)).in_view;
    const text = `${size.slice(0, 2).join('x')} ${what} ${change || ''} at ${typed.length} ` +
        `answers: answer, chart, prompt, send ${seen.map(pc).join(', ')} in view`;
    problems.push(...figures(engine, text, seen.some((share, i) => !(share >= least[i]))));
  }
  await engine.viewport();
  return problems;
}

// Chromium only: axe-core's rules in the light and the dark colour scheme.
async function both_colour_schemes(engine) {
  const problems = [];
  for (const scheme of ['light', 'dark']) {
    await engine.scheme(scheme);
    problems.push(...(await axe_core_at_three_moments(engine)).map((p) => `${scheme}: ${p}`));
  }
  await engine.scheme('');
  return problems;
}

// Runs in the page: the address, the history's length, the earlier flights (numbers and texts)
// with their storage's note, the status line, the note on the link and whether it is in view.
function record_seen() {
  const text = (id) => document.getElementById(id).textContent;
  const {top, bottom} = document.getElementById('link-note').getBoundingClientRect();
  const listed =
      [...document.querySelectorAll('#earlier li')].map((li) => [li.value, li.textContent]);
  return [
    location.hash, history.length, listed, text('earlier-note'), text('status'), text('link-note'),
    top >= 0 && bottom <= innerHeight, document.getElementById('share').href
  ];
}

// Enter held through touchdown: the keys after the last answer land on the verdict.
async function touchdown_kept(engine) {
  await engine.open(url).then(() => play(engine, ['2', '3'])).then(() => engine.type('9'));
  for (let i = 0; i < 8; i++) await engine.enter();
  const typed = ['2', '3', '9'];
  const problems = check(engine, typed, program_output(typed), await engine.run(look));
  const focus = await engine.run(() => document.activeElement.id);
  return focus === 'fly-again' ? [...problems, 'Fly again has the focus'] : problems;
}

// The address names the flight on screen as it grows; its own link followed twice adds no
// earlier flight and no history; mid-flight Fly again asks; after it, the address holds nothing.
async function address_of_the_flight(engine) {
  await engine.open(url).then(() => play(engine, ['2', '3 x']));
  const before = JSON.stringify((await engine.run(record_seen)).slice(0, 3));
  for (const _ of [1, 2]) await engine.click('a#share');
  const after = JSON.stringify((await engine.run(record_seen)).slice(0, 3));
  const asked = await engine.click('#fly-again').then(() => engine.run(look));
  await engine.click('#end-no')
      .then(() => play(engine, ['9']))
      .then(() => engine.click('#fly-again'));
  const [hash, , listed] = await engine.run(look).then(() => engine.run(record_seen));
  const [address, , earlier] = JSON.parse(before);  // the flight landed, numbered next
  return before === after && address === '#answers=2~3_x~' && asked.state === 'waiting' &&
          hash === '' && listed.at(-1)[0] === (earlier.at(-1)?.[0] ?? 0) + 1 ?
      [] :
      [`${before}, then ${after}, and after Fly again "${hash}", ${listed.length} listed`];
}

// The status line after a replay says what it said in play: the end of input, refusals (each
// with its question once).
async function status_replayed(engine) {
  const problems = [];
  for (const typed of [['1300 500', '5 5', END], ['abc', '2 3 x'], ['2 3 abc']]) {
    await opened_afresh(engine, url).then(() => play(engine, typed));
    const [, , , , status, , , link] = await engine.run(record_seen);
    const again = (await opened_afresh(engine, link).then(() => engine.run(record_seen)))[4];
    if (again !== status || status.split('Enter ').length > 2 || !status)
      problems.push(`${typed}: played "${status}", replayed "${again}"`);
  }
  return problems;
}

// A long link, stopped midway: the flight waits where it got to, and its link holds what was read.
async function long_link_stopped(engine) {
  const fragment = `#answers=100_999990~${'5_'.repeat(199998)}~`;
  await engine.open('about:blank');
  await engine.run((link) => void setTimeout(() => location.assign(link)), url + fragment);
  const stop = () => document.getElementById('replaying')?.hidden === false;
  for (let tries = 0; !(await engine.run(stop).catch(() => false)); tries++) {
    if (tries > 300) return ['no Stop button'];
    await new Promise((go) => setTimeout(go, 100));
  }
  const {state, screen, seconds} = await engine.click('#replay-stop').then(() => engine.run(look));
  const kept = (await engine.run(record_seen))[7].split('#')[1];
  const after = await play(engine, ['5']);
  // Each 5 kept is a second the program reported, after the start's report.
  return state === 'waiting' && fragment.startsWith(`#${kept}`) &&
          kept.length < fragment.length - 1 && /thrust\): $/.test(after.screen) &&
          kept.split('~')[1].split('5').length === seconds ?
      [] :
      [`stopped ${state} at ${seconds} s, ${kept.length} kept: ${screen.slice(-80)}`];
}

// A landed flight listed last, past the tab's own storage, with its start and figures as the
// program reported them, numbered oldest first; the list forgotten; storage refused, said, and
// the flight unharmed.
async function earlier_flights_kept(engine) {
  const output = fs.readFileSync(`${transcripts}/two_metres_three_litres.out`, 'latin1');
  const start = /Fuel: +(\S+) l\n.*\n +Altitude: +(\S+)/.exec(output);
  const end =
      /impact\n.*?(\S+) s\n.*?(\S+) l\n(?:.*\n){2}.*?(\S+) m\/s(?:.*\n)*.* - (.*)/.exec(output);
  const entry = `from ${start[2]} m with ${start[1]} l: ${end[1]} s flown, ${end[2]} l left, ` +
      `touchdown at ${end[3]} m/s: Hard landing (${end[4]}) replay`;
  await opened_afresh(engine, url).then(() => play(engine, ['2 3 9']));
  await engine.click('#fly-again').then(() => engine.run(() => sessionStorage.clear()));
  const [, , listed] = await opened_afresh(engine, url).then(() => engine.run(record_seen));
  const cleared = await engine.click('#clear-earlier')
                      .then(() => opened_afresh(engine, url))
                      .then(() => engine.run(record_seen));
  await engine.run(
      () => void (
          Storage.prototype.setItem =
              () => { throw new DOMException('full', 'QuotaExceededError'); }));
  const seen = await play(engine, ['2 3 9']);
  const refused = await engine.click('#fly-again').then(() => engine.run(record_seen));
  const numbers = listed.map(([number]) => number);
  const right = listed.at(-1)?.[1] === entry && numbers.every((n, i) => !i || n > numbers[i - 1]) &&
      !cleared[2].length && refused[2].length === 1 && /QuotaExceeded/.test(refused[3]);
  const problems =
      right ? [] : [`listed ${JSON.stringify([listed.at(-1), cleared[2], refused[2]])}`];
  return [...problems, ...check(engine, ['2 3 9'], output, seen)];
}

// Chromium as a phone: while the rate is asked, ten keys 0 to 9 in view, a tap answers.
async function rate_keys_on_a_touch_screen(engine) {
  await engine.viewport(390, 844);
  await engine.open(url).then(() => play(engine, ['1300', '500']));
  const shown =
      await engine.run(() => [...document.querySelectorAll('#rate-keys button')].map((key) => {
        const {left, top, right, bottom, width, height} = key.getBoundingClientRect();
        const seen = left >= 0 && top >= 0 && right <= innerWidth && bottom <= innerHeight;
        return `${key.textContent} ${seen && width >= 44 && height >= 44}`;
      }));
  const {state, screen, seconds} =
      await engine.click('#rate-keys button:nth-child(10)').then(() => engine.run(look));
  await engine.viewport();
  return `${shown}` === `${[...Array(10).keys()].map((d) => `${d} true`)}` && state === 'waiting' &&
          seconds === 2 && /: 9\n/.test(screen) ?
      [] :
      [`keys ${shown}, then ${state} at ${seconds} s`];
}

// Each case with what the engine must offer for it to run.
// clang-format off
const CASES = [
  [flights_as_transcribed], [answers_typed_ahead], [flights_in_a_row],
  [cpack_zip_opened_from_disk, 'zip'], [offline_after_loading, 'offline'],
  [program_that_cannot_start], [phone_in_portrait, 'phone'], [axe_core_at_three_moments, 'axe'],
  [paste_of_200_000_answers, 'paste'], [flights_kept_by_their_answers], [reload_mid_flight],
  [hostile_links], [status_said_once_a_second], [place_held], [both_colour_schemes, 'schemes'],
  [touchdown_kept], [address_of_the_flight], [status_replayed], [long_link_stopped],
  [earlier_flights_kept], [rate_keys_on_a_touch_screen, 'phone'],
  [best_landing_and_challenge]
];
// clang-format on

// Serves the page, without its program, or with it damaged, never to be cached.
const serve = (root) => listen(http.createServer((request, response) => {
  const [, variant, name] = /^\/(?:(without|broken)_program\/)?(.*)$/.exec(request.url);
  const file = path.join(root, name || 'index.html');
  const program = name === 'lm_simulator.js' && variant;
  if (!fs.existsSync(file) || program === 'without') return response.writeHead(404).end();
  let body = fs.readFileSync(file, 'latin1');
  // The deflated WebAssembly's first bytes no longer inflate.
  if (program === 'broken') body = body.replace(/(lm_program_wasm = ')..../, '$1////');
  const type = file.endsWith('.html') ? 'text/html' : 'text/javascript';
  response.writeHead(200, {'content-type': type, 'cache-control': 'no-store'}).end(body, 'latin1');
}));

// Makes the ZIP with cpack and unpacks it; returns its index.html.
function unpack_zip(work) {
  execFileSync(options.cpack || 'cpack', ['--config', options['cpack-config'], '-B', work]);
  const zip = path.join(work, fs.readdirSync(work).find((f) => f.endsWith('.zip')));
  const listed = execFileSync('unzip', ['-Z1', zip], {encoding: 'utf8'}).trim().split('\n').sort();
  const due = ['LICENSE', 'README.md', ...page_files].sort();
  if (`${listed}` !== `${due.map((f) => `${path.basename(zip, '.zip')}/${f}`)}`)
    throw new Error(`the ZIP holds ${listed}`);
  execFileSync('unzip', ['-q', zip, '-d', work]);
  return pathToFileURL(path.join(zip.slice(0, -4), 'index.html')).href;
}

const failures = [];
// The page's files: index.html and the scripts it loads.
const page_files = [
  'index.html',
  ...Array.from(
      fs.readFileSync(path.join(page_dir, 'index.html'), 'utf8').matchAll(/<script src="([^"]+)"/g),
      (m) => m[1])
];
const weight = page_files.reduce((sum, f) => sum + fs.statSync(path.join(page_dir, f)).size, 0);
console.log(`the page weighs ${(weight / 1024).toFixed(1)} KB in all`);
if (weight >= 150 * 1000) failures.push(`the page weighs ${weight} bytes`);
const work = fs.mkdtempSync(path.join(page_dir, '..', 'browser-test-'));
const server = await serve(path.resolve(page_dir));
const url = `http://127.0.0.1:${server.address().port}/`;
const axe_source =
    fs.readFileSync(new URL('node_modules/axe-core/axe.min.js', import.meta.url), 'utf8');
const zip = options['cpack-config'] && unpack_zip(work);
// Each case has a minute (those named here more) before it counts as hung: it is named as failed,
// its engine is stopped by force and started afresh, and the cases after it still run.
const minute = 60000 * Number(options.minutes || 1);
const minutes = {
  flights_in_a_row: 2,
  paste_of_200_000_answers: 3,
  hostile_links: 3
};
const HUNG = Symbol('hung');
// Returns what `work` gives, or HUNG once `ms` have passed.
function within(ms, work) {
  let timer;
  const late = new Promise((go) => (timer = setTimeout(() => go(HUNG), ms)));
  return Promise.race([work, late]).finally(() => clearTimeout(timer));
}
const launch = (name) =>
    within(minute, name === 'webkit' ? webkit_engine() : puppeteer_engine(name))
        .then(
            (engine) => engine === HUNG ? Promise.reject(new Error('it does not start')) : engine);
// Closes the engine, by force if it does not close within seconds.
const stop = async (engine) =>
    (await within(10000, engine.close().catch(() => null))) === HUNG && engine.kill();

let engines_run = 0;
for (const name of (options.engines || 'chromium,firefox,webkit').split(',')) {
  let engine = await launch(name).catch((error) => (failures.push(`${name}: ${error}`), false));
  if (engine === null) console.log(`${name} is not installed: its cases are skipped`);
  if (engine === null && process.env.CI) failures.push(`${name} is not installed`);
  if (!engine) continue;
  engines_run++;
  const offers = [undefined, ...engine.can, zip && 'zip'];  // undefined: a case that needs nothing
  for (const [run, needs] of CASES) {
    const title = run.name.replace(/_/g, ' ');
    const only = (options.only || '').split(',');
    if (!engine || !offers.includes(needs) || !only.some((text) => title.includes(text))) continue;
    const began = Date.now();
    const limit = minute * (minutes[run.name] || 1);
    let problems =
        await within(limit, run(engine).catch((error) => [error.stack || String(error)]));
    if (problems === HUNG) {
      problems = [`hung: no end after ${limit / 1000} s`];
      engine.kill();
      engine = await launch(name).catch((error) => (failures.push(`${name}: ${error}`), null));
    }
    const took = `(${((Date.now() - began) / 1000).toFixed(1)} s)`;
    console.log(`${problems.length ? 'FAILED' : 'passed'}: ${name}: ${title} ${took}`);
    failures.push(...problems.map((problem) => `${name}: ${title}: ${problem}`));
  }
  if (engine) await stop(engine);
}
server.close();
fs.rmSync(work, {recursive: true, force: true});
for (const failure of failures) console.log(`FAILED: ${failure}`);
const no_browser = 'no browser is installed (Debian\'s chromium, firefox-esr, webkit2gtk-driver)';
// Whatever a hung case left running does not hold the test up.
process.exit(failures.length ? 1 : engines_run === 0 ? skipped(no_browser) : 0);
