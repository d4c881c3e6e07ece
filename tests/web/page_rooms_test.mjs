// The page's rooms that know no page, under Node: the report reader on the
// transcripts the native program is tested with, read whole and in pieces
// of every size, and the flight's link on every character it must carry.
//   node page_rooms_test.mjs PROGRAM_TEXTS_JS WEB_DIR TRANSCRIPT_DIR

import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import vm from 'node:vm';

const [texts_file, web, transcripts] = process.argv.slice(2);
const source = [texts_file, path.join(web, 'report_reader.js'), path.join(web, 'flight_link.js')]
                   .map((file) => fs.readFileSync(file, 'utf8'))
                   .join('\n');
const {program, report_reader, flight_link} =
    vm.runInNewContext(`${source}\n({program, report_reader, flight_link})`, {});
// Values from the context as this one's, for comparing.
const plain = (value) => JSON.parse(JSON.stringify(value));
const failures = [];
const check = (what, test) => {
  try {
    test();
  } catch (error) { failures.push(`${what}: ${error.message}`); }
};

// Returns the track of `output` read in pieces of `size` characters.
function track_of(output, size) {
  const reader = report_reader(program);
  for (let at = 0; at < output.length; at += size) reader.read(output.slice(at, at + size));
  return plain(reader.track);
}

// Transcripts and what their reports say: reports (the cutoff's included),
// touchdown velocity, verdict, fuel last reported, lines that are no report.
const landings = [
  ['two_metres_three_litres', 4, '-3.89', 'hard', '0', 7],
  ['one_metre_soft_landing', 4, '0.32', 'soft', '84', 8],
  ['crash', 13, '-19.12', 'crash', '0', 7],
  ['fuel_out_on_touchdown', 3, '-2.92', 'hard', '0', 8],
  ['climb_above_9999', 121, '-181.44', 'crash', '0', 7],
  ['refusals_at_every_prompt', 4, '-3.89', 'hard', '0', 16],
  ['end_at_rate', 3, null, null, '490', 9],
  ['end_at_altitude', 0, null, null, null, 7],
];
for (const [name, reports, velocity, verdict, fuel, notes] of landings) {
  check(name, () => {
    const track = track_of(fs.readFileSync(path.join(transcripts, `${name}.out`), 'latin1'), 1e9);
    const said = [
      track.times.length, track.touchdown?.velocity_text ?? null, track.verdict, track.fuel_text,
      track.notes.length
    ];
    assert.deepEqual(said, [reports, velocity, verdict, fuel, notes]);
  });
}

// Every transcript of the full dialogue, which the page reads (brief mode's
// .brief.out are not its to read): each second reported once and in order,
// each number read, the same however the output is cut into pieces.
const full_dialogue = (/** @type {string} */ f) => f.endsWith('.out') && !f.endsWith('.brief.out');
for (const file of fs.readdirSync(transcripts).filter(full_dialogue)) {
  check(file, () => {
    const output = fs.readFileSync(path.join(transcripts, file), 'latin1');
    const whole = track_of(output, output.length);
    assert.deepEqual(whole.times, whole.times.map((_, i) => i));
    for (const values of [whole.altitudes, whole.velocities])
      assert.ok(values.length === whole.times.length && values.every(Number.isFinite));
    if (whole.touchdown) assert.equal(whole.touchdown.time, whole.times.at(-1));
    assert.equal(!!whole.verdict_line, !!whole.touchdown);
    for (const size of [1, 2, 7, 64])
      assert.deepEqual(track_of(output, size), whole, `pieces of ${size}`);
  });
}

// Links: what a flight sent comes back from its link exactly, in characters a
// mail or chat leaves alone; what a link cannot carry is said.
const every_ascii = Array.from({length: 95}, (_, i) => String.fromCharCode(32 + i)).join('');
for (const [sends, ended] of [
         [['1300 500\n', 'abc 0 0 0\n', '0 0 99 1'], false], [['2\n', '3 abc\n', '9 9\n'], true],
         [[`${every_ascii}\n`, 'é✓ 𝑥\t\r\n', '\n', '~_*%&#\n'], false], [['1\n2\n3 '], true]]) {
  check(JSON.stringify(sends), () => {
    const fragment = flight_link.fragment({link: sends.map(flight_link.piece).join(''), ended});
    assert.match(fragment, /^#answers=[A-Za-z0-9.\-_~*%]*(&end)?$/);
    assert.deepEqual(plain(flight_link.flight_of(fragment)), {sends, ended, problem: null});
  });
}
for (const [fragment, sends, ended, problem] of [
         ['#answers=1300_500~0_%E0%A4%A~0~&end', ['1300 500\n'], false, /^Line 2 .*"0_%E0%A4%A"/],
         ['#<img src=x>', [], false, /"#<img src=x>", which holds no flight/],
         ['#answers=2_3~9&end', ['2 3\n', '9'], true, null],
         ['#answers=2~&beat=x', ['2\n'], false, /"beat=x" means nothing here/]]) {
  check(fragment, () => {
    const flight = plain(flight_link.flight_of(fragment));
    assert.deepEqual([flight.sends, flight.ended], [sends, ended]);
    problem ? assert.match(flight.problem, problem) : assert.equal(flight.problem, null);
  });
}

for (const failure of failures) console.log(`FAILED: ${failure}`);
console.log(`${failures.length ? 'FAILED' : 'passed'}: the report reader and the flight's link`);
process.exitCode = failures.length ? 1 : 0;
