// The program's own output under Node for the lines typed at the page, the texts of it the cases
// look for, and that output as a terminal shows it, the typed lines echoed.

import {spawnSync} from 'node:child_process';

import {options} from './setting.mjs';

export const END = null;  // Ctrl+D in place of a line
export const input_of = (typed) =>
    typed.filter((line) => line !== END).map((l) => `${l}\n`).join('');

// Returns the program's output for `typed` under Node (input ending before touchdown fails it).
export function program_output(typed) {
  const input = typeof typed === 'string' ? typed : input_of(typed);  // a file of answers as it is
  const how = {input, encoding: 'latin1', maxBuffer: 1 << 30};
  const run = spawnSync(process.execPath, [options.program], how);
  if (run.error || run.signal) throw new Error(`${options.program}: ${run.error || run.signal}`);
  return run.stdout;
}

// The program's texts the test looks for, as the Node program writes them: each question (where
// the input ends at it, after the ones answered), the start of the verdict's line (what a soft and
// a hard landing's share), and the start of the lines that report a second; and a screen that ends
// at a question. Both read by read_program_says, once the program is known.
export let program_says;
export let waiting_at;

export function read_program_says() {
  const lines = (input) => program_output(input).split('\n');
  const [altitude, both, rate] = ['', '1\n', '1 1\n'].map((input) => lines(input).at(-3));
  const fuel = both.slice(altitude.length);  // no echo between the two questions
  const [soft, hard] = ['1 100 3 5 8\n', '2 3 9\n'].map((input) => lines(input).at(-2));
  const verdict = soft.slice(0, [...soft].findIndex((c, i) => c !== hard[i]));
  const flight = lines('1 1\n');
  const time =
      flight[flight.findIndex((line) => line.startsWith(altitude)) + 2].replace(/ *\d.*/, '');
  const escaped = (text) => text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
  program_says = {prompts: [altitude, fuel, rate], rate, verdict, time, escaped};
  waiting_at = new RegExp(`(${program_says.prompts.map(program_says.escaped).join('|')})$`);
}

// Returns `output` as a terminal shows it: each typed line after the prompt reached once the
// answers before it were used; from its newest lines on when `shown` says older ones were let go.
export function terminal_view(output, typed, shown) {
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
