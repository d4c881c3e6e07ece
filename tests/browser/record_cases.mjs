// The cases of the flight's record: its answers copied and saved, its link opened again (in each
// engine, from disk, by the engines after it), a reload, links anyone may write, the address as the
// flight grows, the status after a replay, a long link stopped, and the earlier flights listed.
// Each case plays the page in an engine and returns its problems.

import fs from 'node:fs';

import {kept_by_page, look, record_seen} from './in_page.mjs';
import {check, differences, figures, opened_afresh, play} from './play_and_check.mjs';
import {END, input_of, program_output, program_says, terminal_view} from './program_output.mjs';
import {transcripts, url, zip} from './setting.mjs';

// Flights kept by their answers, each with a refused answer or answers typed ahead: left waiting,
// landed, with the input ended, and longer than the screen keeps. Each engine's links are opened
// again by the engines after it.
const kept_flights = [
  ['1300 500', 'abc 0 0 0', '0 0 99 1'], ['2', '3 abc', '9 9'], ['100 50', '5 -1 5', END],
  ['100 x 2000', '5 '.repeat(400)], ['2', '3 _~*!\'()%&#+?/=é\\', '9']
];
const links_made = [];

export async function flights_kept_by_their_answers(engine) {
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

export async function reload_mid_flight(engine) {
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

export async function hostile_links(engine) {
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

// The address names the flight on screen as it grows; its own link followed twice adds no
// earlier flight and no history; mid-flight Fly again asks; after it, the address holds nothing.
export async function address_of_the_flight(engine) {
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
export async function status_replayed(engine) {
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
export async function long_link_stopped(engine) {
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
export async function earlier_flights_kept(engine) {
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
