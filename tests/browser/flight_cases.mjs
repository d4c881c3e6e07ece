// The cases of flights and layout: flights as transcribed and typed ahead, from the ZIP, many in a
// row, offline, without their program, a paste of 200,000 answers, Enter held through touchdown,
// and the answer, chart and keys in view on phones, turned, resized, zoomed and keyboards up.
// Each case plays the page in an engine and returns its problems.

import path from 'node:path';

import {drive, keyboard_over, look} from './in_page.mjs';
import {check, figures, flights, mb, pc, play} from './play_and_check.mjs';
import {END, input_of, program_output, program_says} from './program_output.mjs';
import {options, url, zip} from './setting.mjs';

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
export const flights_as_transcribed = (engine) => flights(engine, url, transcribed);
export const answers_typed_ahead = (engine) => flights(engine, url, typed_ahead);
export const cpack_zip_opened_from_disk = (engine) => flights(engine, zip, two_three_nine);

export async function flights_in_a_row(engine) {
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

export async function offline_after_loading(engine) {
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

export async function program_that_cannot_start(engine) {
  const problems = [];
  for (const where of ['without_program/', 'broken_program/', 'old_program/']) {
    await engine.open(url + where);
    const {state, screen} = await engine.run(look);
    if (state !== 'failed' || !/reload/i.test(screen))
      problems.push(`${where}: ${state}: ${screen}`);
  }
  return problems;
}

export async function phone_in_portrait(engine) {
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

export async function paste_of_200_000_answers(engine) {
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

// In every engine, mid-flight, a phone turned and a window narrowed; in Chromium a keyboard up
// (resizing the page, or over it, told by a shorter visual viewport), 200% zoom (640x400 CSS px),
// and a 1280x800 window at the first prompt: the least shares in view of the answer,
// the chart, its prompt and Send.
export async function place_held(engine) {
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

// Enter held through touchdown: the keys after the last answer land on the verdict.
export async function touchdown_kept(engine) {
  await engine.open(url).then(() => play(engine, ['2', '3'])).then(() => engine.type('9'));
  for (let i = 0; i < 8; i++) await engine.enter();
  const typed = ['2', '3', '9'];
  const problems = check(engine, typed, program_output(typed), await engine.run(look));
  const focus = await engine.run(() => document.activeElement.id);
  return focus === 'fly-again' ? [...problems, 'Fly again has the focus'] : problems;
}

// Chromium as a phone: while the rate is asked, ten keys 0 to 9 in view, a tap answers.
export async function rate_keys_on_a_touch_screen(engine) {
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
