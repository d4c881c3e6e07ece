// The cases of what a screen reader and axe-core find: what the live regions gain at each second
// and at the verdict, the answer's names and the help at three moments, in both colour schemes, and
// the best landing after a crash, heard once, shown, replayed and handed on as a challenge. Each
// case plays the page in an engine and returns its problems.

import {best_shown, watch_live} from './in_page.mjs';
import {figures, opened_afresh, play} from './play_and_check.mjs';
import {program_output, program_says} from './program_output.mjs';
import {axe_source, url} from './setting.mjs';

// What live regions gain: for one answered second one short addition with the numbers reported
// (the altitude typed as 1300,5 where decimals take a comma, sent and echoed as 1300.5); nothing
// for an empty line, after which the prompt still names the answer; for answers typed
// ahead to the touchdown a short last addition with the verdict in plain words and whole, which
// the chart's name and the answer's description give too.
export async function status_said_once_a_second(engine) {
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

export async function axe_core_at_three_moments(engine) {
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

// Chromium only: axe-core's rules in the light and the dark colour scheme.
export async function both_colour_schemes(engine) {
  const problems = [];
  for (const scheme of ['light', 'dark']) {
    await engine.scheme(scheme);
    problems.push(...(await axe_core_at_three_moments(engine)).map((p) => `${scheme}: ${p}`));
  }
  await engine.scheme('');
  return problems;
}

// A crash from 1300 m with 500 l: the best possible in words, drawn faint, a hint, its replay
// landing as claimed; then the challenge's link, which types the start, says what to beat, and
// after the best flight flown from it, reloaded midway, says that it was beaten.
export async function best_landing_and_challenge(engine) {
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
  // Reloaded midway, the flight still answers the challenge.
  await play(engine, [rates.slice(0, 5).join(' ')]).then(() => engine.reload());
  await play(engine, [rates.slice(5).join(' ')]);
  const {words} = await engine.run(best_shown);
  if (fragment !== `#start=1300,500&beat=crash,${you}` || !/: 1300\n[^]*: 500\n/.test(screen) ||
      told !== `A challenge: fly from this start and beat a crash at ${you} m/s.` ||
      !words.endsWith(`To beat: crash at ${you} m/s. You beat it!`))
    problems.push(`the challenge ${fragment}: ${JSON.stringify([told, words])}`);
  return problems;
}
