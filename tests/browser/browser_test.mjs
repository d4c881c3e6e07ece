// The web page played as people play it in headless Chromium and Firefox (puppeteer-core) and in
// WebKit (its WebDriver under a virtual X display): one table of cases, each played in every engine
// able to, each within a minute or a few (--minutes scales them). Exit status 77 (skipped) when
// puppeteer-core or every browser is missing (1 under CI). The cases, the engines, the functions
// run in the page and the checks live in the modules beside this one, by concern.
//   node browser_test.mjs PAGE_DIR TRANSCRIPT_DIR --program NODE_PROGRAM_JS [--cpack CPACK]
//   [--cpack-config CPackConfig.cmake] [--screenshots DIR] [--engines chromium,...]
//   [--only TEXT,...]
//   [--minutes 1]

import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import {pathToFileURL} from 'node:url';

import {axe_core_at_three_moments, best_landing_and_challenge, both_colour_schemes, status_said_once_a_second} from './accessibility_cases.mjs';
import {listen, puppeteer, puppeteer_engine, webkit_engine} from './engines.mjs';
import {answers_typed_ahead, cpack_zip_opened_from_disk, flights_as_transcribed, flights_in_a_row, offline_after_loading, paste_of_200_000_answers, phone_in_portrait, place_held, program_that_cannot_start, rate_keys_on_a_touch_screen, touchdown_kept} from './flight_cases.mjs';
import {read_program_says} from './program_output.mjs';
import {address_of_the_flight, earlier_flights_kept, flights_kept_by_their_answers, hostile_links, long_link_stopped, reload_mid_flight, status_replayed} from './record_cases.mjs';
import {settle} from './setting.mjs';

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
if (!puppeteer) {
  const reason =
      `puppeteer-core is not installed: run npm ci in ${new URL('.', import.meta.url).pathname}`;
  process.exit(process.env.CI ? (console.log(reason), 1) : skipped(reason));
}
settle({options, transcripts});
read_program_says();

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

// Serves the page, without its program, with it damaged, or in a browser too old to inflate it,
// never to be cached.
const serve = (root) => listen(http.createServer((request, response) => {
  const [, variant, name] = /^\/(?:(without|broken|old)_program\/)?(.*)$/.exec(request.url);
  const file = path.join(root, name || 'index.html');
  const program = name === 'lm_simulator.js' && variant;
  if (!fs.existsSync(file) || program === 'without') return response.writeHead(404).end();
  let body = fs.readFileSync(file, 'latin1');
  // The deflated WebAssembly's first bytes no longer inflate.
  if (program === 'broken') body = body.replace(/(lm_program_wasm = ')..../, '$1////');
  if (program === 'old') body = `DecompressionStream = undefined;\n${body}`;
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
settle({url, zip, axe_source});
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
