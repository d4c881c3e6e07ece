// The page's planner (in the page's lm_simulator.js, made by
// program_loader.js) under Node: the start read from what a player types as
// the program reads it, and each best landing, its answers flown by the
// program (lm_simulator.js under Node), landing as the summary says, second
// by second as the planner told the page to draw it.
// And a challenge's link, read as the page reads it.
//   node best_landing_test.mjs PAGE_PROGRAM_JS PROGRAM_LOADER_JS NODE_PROGRAM_JS
//   FLIGHT_CHALLENGE_JS

import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import vm from 'node:vm';

const [page_program_file, loader_file, program_file, challenge_file] = process.argv.slice(2);
const planner = await vm.runInThisContext(
    [page_program_file, loader_file].map((f) => fs.readFileSync(f, 'utf8')).join('\n') +
    '\ncreate_lm_planner()');
const failures = [];

// Returns the planner's text for `typed`, searched in slices, or null.
function best_of(typed) {
  const bytes = new TextEncoder().encode(typed);
  const at = planner._malloc(bytes.length + 1);
  planner.HEAPU8.set(bytes, at);
  const search = planner._lm_best_start(at, bytes.length);
  planner._free(at);
  if (!search) return null;
  while (!planner._lm_best_continue(search, 5))
    ;
  const text = planner.UTF8ToString(planner._lm_best_text(search));
  planner._lm_best_end(search);
  return text;
}

// What is typed, and the start the planner must read from it, as typed.
const starts = [
  ['1300\n500\n', '1300 500'],
  ['2 3', '2 3'],
  ['abc\n0\n1300.25 -1\n500\n9\n', '1300.25 500'],
  ['9999\n2000', '9999 2000'],
  ['13e2\n+0500abc', '13e2 +0500'],
  ['5abc 500', '5 500'],
  ['1300\n', null],
  ['', null],
  ['0\n10000\n', null],
  [`${' '.repeat(70000)}1300 500`, null],
  [`${'x '.repeat(30000)}1300 500`, '1300 500'],
];
for (const [typed, start] of starts) {
  const name = JSON.stringify(typed.slice(-30));
  try {
    const text = best_of(typed);
    assert.equal(text && text.split('\n')[1], start && `start ${start}`, name);
    if (!text) continue;
    const [summary, , ...seconds] = text.trimEnd().split('\n');
    const answers = [
      ...start.split(' '),
      ...seconds.slice(0, -1).filter((s) => s.split(' ')[1] !== '0').map((s) => s.split(' ')[2])
    ];
    const flown =
        execFileSync('node', [program_file], {input: `${answers.join('\n')}\n`}).toString();
    const field =
        (label) => [...flown.matchAll(new RegExp(`${label}:\\s+(\\S+)`, 'g'))].map((m) => m[1]);
    const verdict = /landed/.test(flown) ? 'soft' : /oxygen/.test(flown) ? 'hard' : 'crash';
    const said = `best: ${verdict} ${field('Fuel').at(-1)} l ${field('Time').at(-1)} s ` +
        `${field('Velocity').at(-1)} m/s proven`;
    assert.equal(summary, said, name);
    assert.deepEqual(
        seconds.map((s) => s.split(' ').slice(3).join(' ')),
        field('Altitude').map((h, i) => `${h} ${field('Velocity')[i]}`), name);
  } catch (error) { failures.push(error.message); }
}
// Links anyone may write: what each sends the program, the result to beat,
// and a word of what it says it cannot use.
const challenge =
    vm.runInNewContext(`${fs.readFileSync(challenge_file, 'utf8')}\nflight_challenge`);
const links = [
  ['#start=1300,500&beat=soft,150', '1300\n500\n', 'soft,150', null],
  ['#start=13e2,+500&beat=crash,-23.41', '13e2\n+500\n', 'crash,-23.41', null],
  ['#start=2,3&beat=hard,-3.89&x', '2\n3\n', 'hard,-3.89', '"x" means nothing'],
  ['#start=1300,500', '1300\n500\n', null, 'no result to beat'],
  ['#start=1300,500&beat=soft,1.5', '1300\n500\n', null, '"soft,1.5", is not'],
  ['#start=1300,500&beat=landed,150', '1300\n500\n', null, '"landed,150", is not'],
  ['#start=1300', '', null, 'not an altitude and a fuel'],
  ['#start=1300_500,9', '', null, 'not an altitude and a fuel'],
  ['#start=<b>,500&beat=soft,1', '', null, 'not an altitude and a fuel'],
  ['#answers=1300_500~', null, null, null],
];
for (const [fragment, sends, beat, said] of links) {
  try {
    const read = JSON.parse(JSON.stringify(challenge.of(fragment)));
    const got = read &&
        [read.flight.sends.join(''), read.beat && `${read.beat.verdict},${read.beat.figure}`];
    assert.deepEqual(got, sends === null ? null : [sends, beat], fragment);
    assert.equal(read?.flight.problem?.includes(said) ?? null, said && true, fragment);
  } catch (error) { failures.push(error.message); }
}
// Results compared as the page compares them, and a challenge written back.
const order =
    ['crash,-48.60', 'crash,-16.20', 'hard,-9.99', 'hard,-2.27', 'soft,0', 'soft,150', 'soft,203'];
order.forEach((a, i) => order.forEach((b, j) => {
  const result = (text) => ({verdict: text.split(',')[0], figure: text.split(',')[1]});
  const due = Math.sign(i - j);
  if (challenge.compare(result(a), result(b)) !== due) failures.push(`${a} against ${b}`);
}));
const written = challenge.fragment('1300.5', '500', {verdict: 'crash', figure: '-23.41'});
if (written !== '#start=1300.5,500&beat=crash,-23.41') failures.push(written);

for (const failure of failures) console.log(`FAILED: ${failure}`);
process.exitCode = failures.length ? 1 : 0;
