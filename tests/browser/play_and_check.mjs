// Playing the page as a person types at it, and what is wrong with what it then shows: each flight
// against the program's own output, a page against the same page opened again.

import fs from 'node:fs';
import path from 'node:path';

import {look} from './in_page.mjs';
import {program_output, program_says, terminal_view, waiting_at} from './program_output.mjs';
import {options, transcripts} from './setting.mjs';

export const mb = (bytes) => (bytes / 1e6).toFixed(1);
export const pc = (share) => `${(share * 100).toFixed(0)}%`;
// Logs a case's figures; returns them as its problem when they fall short.
export const figures = ({name}, text, short) =>
    (console.log(`  ${name}: ${text}`), short ? [text] : []);

// Types each line once a prompt waits for it; returns what the page shows.
export async function play(engine, typed) {
  for (const line of typed) {
    const {state, screen} = await engine.run(look);
    if (state !== 'waiting' || !waiting_at.test(screen))
      throw new Error(`no prompt waits for ${JSON.stringify([line, state, screen.slice(-80)])}`);
    await engine.type(line);
  }
  return engine.run(look);
}

// Returns what is wrong with the flight that `seen` shows, given the lines typed and the output.
export function check(engine, typed, output, seen) {
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
export async function flights(engine, at, table) {
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

// Returns how `again` differs from `seen`, the chart's vertices too when `drawn` (same engine).
export function differences(what, seen, again, drawn) {
  const keys = ['state', 'screen', 'seconds', 'text', ...(drawn ? ['altitude', 'velocity'] : [])];
  return keys.filter((key) => JSON.stringify(seen[key]) !== JSON.stringify(again[key]))
      .map((key) => `${what}: ${key} ${JSON.stringify(again[key])?.slice(-80)}`);
}

export async function opened_afresh(engine, link) {
  await engine.open('about:blank');
  await engine.open(link);
  return engine.run(look);
}
