// @ts-check
// report_reader: reads the program's output, as it comes, into the flight's
// track: its state reports, out-of-fuel lines, touchdown and verdict, and
// the lines that are no report. Only the program's own bytes are read, so
// nothing the player types can pass for a report. It knows no page: it runs
// under Node too, where it is tested against the flights' transcripts.
'use strict';

/**
 * A reported state, each number as the report writes it.
 * @typedef {{time: number, altitude: string, velocity: string, fuel: string | null}} reported_state
 */
/**
 * The flight as its reports tell it.
 * @typedef {object} flight_track
 * @property {number[]} times  each report's elapsed seconds, in order
 * @property {number[]} altitudes  with each, the altitude
 * @property {number[]} velocities  and the velocity
 * @property {reported_state | null} latest  the newest report
 * @property {{altitude: string, fuel: string} | null} start  the first report's
 * @property {string | null} fuel_text  the newest fuel report
 * @property {{time: number, velocity_text: string, fuel_text: string | null} | null} touchdown
 * @property {string | null} verdict  the verdict's grade: soft, hard or crash
 * @property {string | null} verdict_text  its words
 * @property {string | null} verdict_line  its whole line
 * @property {string[]} notes  the lines that are no report
 */

// The page's plain words for each grade of verdict.
/** @type {Readonly<Record<string, string>>} */
const grade_words = Object.freeze({soft: 'Soft landing', hard: 'Hard landing', crash: 'Crash'});

/**
 * Returns a track with nothing reported yet.
 * @returns {flight_track}
 */
function empty_track() {
  return {
    times: [],
    altitudes: [],
    velocities: [],
    latest: null,
    start: null,
    fuel_text: null,
    touchdown: null,
    verdict: null,
    verdict_text: null,
    verdict_line: null,
    notes: []
  };
}

/**
 * Returns a reader of the output of the program whose texts are `texts`
 * (the `program` of lm_simulator.js); without them it reads nothing.
 * @param {Readonly<Record<string, string | number>> | null} texts
 */
function report_reader(texts) {
  const track = empty_track();
  const patterns = texts && report_patterns(texts);
  let line = '';  // the line not yet ended
  /** @type {number | null} */
  let time = null;
  let altitude = '';
  let landing_next = false;

  function add(
      /** @type {number} */ t, /** @type {string} */ h, /** @type {string} */ v,
      /** @type {string | null} */ f) {
    if (landing_next) track.touchdown = {time: t, velocity_text: v, fuel_text: track.fuel_text};
    landing_next = false;
    track.times.push(t);
    track.altitudes.push(Number(h));
    track.velocities.push(Number(v));
    track.latest = {time: t, altitude: h, velocity: v, fuel: f};
    if (!track.start && f !== null) track.start = {altitude: h, fuel: f};
  }

  // A report follows its prompt on the same line when the answer was typed
  // ahead, so a line is told by its end (a unit), then read whole.
  function take(/** @type {string} */ text) {
    if (!patterns) return;
    const p = patterns;
    let m;
    if (text.endsWith(p.velocity.end)) {
      if ((m = p.velocity.line.exec(text)) && time !== null)
        add(time, altitude, m[1], track.fuel_text);
      time = null;
    } else if (text.endsWith(p.altitude.end)) {
      if ((m = p.altitude.line.exec(text))) altitude = m[1];
    } else if (text.endsWith(p.fuel.end)) {
      if ((m = p.fuel.line.exec(text))) track.fuel_text = m[1];
    } else if (text.endsWith(p.time.end)) {
      if ((m = p.time.line.exec(text))) time = Number(m[1]);
    } else if (p.rate.line.test(text)) {
      // the rate, which the player chose
    } else if ((m = p.out_of_fuel.exec(text))) {
      add(Number(m[1]), m[2], m[3], null);
    } else if (text === p.landing_heading) {
      landing_next = true;
    } else if ((m = p.verdict.exec(text))) {
      const [, words] = m;
      track.verdict = p.verdicts.find(([, said]) => said === words)?.[0] ?? null;
      track.verdict_text = words;
      track.verdict_line = text;
    } else if (text.trim()) {
      track.notes.push(text);
    }
  }

  return {
    track,
    // Reads the next piece of the output.
    read(/** @type {string} */ text) {
      const all = line + text;
      let from = 0;
      for (let end = all.indexOf('\n'); end >= 0; end = all.indexOf('\n', from)) {
        take(all.slice(from, end));
        from = end + 1;
      }
      line = all.slice(from);
    },
    // Returns the line not yet ended: the prompt, when the program waits.
    pending: () => line,
  };
}

/**
 * Returns the lines of the program's reports as patterns made from its own
 * texts: each label, a number padded to its width, and its unit. A report may
 * follow a prompt answered ahead on the same line, so only lines that begin
 * with padding are anchored there. The verdicts go by their grade's name.
 * @param {Readonly<Record<string, string | number>>} texts
 */
function report_patterns(texts) {
  const text = (/** @type {string} */ name) => String(texts[name]);
  const escaped = (/** @type {string} */ t) => t.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
  const as_line = (/** @type {string} */ t) => t.replace(/^\n|\n$/g, '');
  const report_line = (/** @type {string} */ name) => {
    const [label, end] = [text(`${name}_label`), as_line(text(`${name}_unit`))];
    const from = label.startsWith(' ') ? '^' : '';
    return {end, line: new RegExp(`${from}${escaped(label)} *(\\S+)${escaped(end)}$`)};
  };
  const out_of_fuel = ['time', 'altitude', 'velocity'].map(
      (name) => `${escaped(text(`out_of_fuel_${name}_label`))} *(\\S+)`);
  return {
    time: report_line('time'),
    fuel: report_line('fuel'),
    rate: report_line('rate'),
    altitude: report_line('altitude'),
    velocity: report_line('velocity'),
    out_of_fuel: new RegExp(`${out_of_fuel.join('')}$`),
    landing_heading: as_line(text('landing_heading')),
    verdict: new RegExp(`^${escaped(as_line(text('status_at_landing')))}(.*)$`),
    verdicts: Object.keys(texts)
                  .filter((name) => name.startsWith('verdict_'))
                  .map((name) => [name.slice('verdict_'.length), as_line(text(name))]),
  };
}
