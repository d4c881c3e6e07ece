// @ts-check
// best_landing: the best landing possible from the flight's start, shown
// after every touchdown beside the flight: in words in #best with how the
// flight compares (and, for a challenge, how it stands against the result
// to beat), its altitude and velocity faint in the chart, a hint after a
// crash or a hard landing, a link that replays it, and a link that
// challenges someone else to beat this flight. The planner that finds it is
// the C++ that lm_autopilot flies, compiled to WebAssembly with the program
// (see web/best_landing_calls.cpp); it reads the start from what the
// player typed, as the program does, and searches in slices of at most slice_ms,
// between which the browser draws and takes input. Every number shown is
// the planner's or the program's: the page compares them, and computes
// none.
'use strict';

/**
 * A second of the best flight, each number as the planner wrote it.
 * @typedef {{time: number, fuel: string, rate: number, altitude: string, velocity: string}}
 *     best_second
 */
/**
 * The best landing: its result, the start it is from, whether it is proven
 * (else the gap, with its unit, that may separate it from the best), and
 * every second of it.
 * @typedef {object} best_flight
 * @property {flight_result} result
 * @property {string} fuel  left at touchdown
 * @property {string} seconds  flown
 * @property {string} velocity  at touchdown
 * @property {string | null} gap  null when proven
 * @property {string} altitude  the start's
 * @property {string} start_fuel
 * @property {best_second[]} flown
 */

/**
 * Returns the best landing from the start that `typed` (what the player
 * typed, in order) answers, or null when it answers none; `timing` gets
 * the search's slices, each at most slice_ms long but for the planner's
 * first flight.
 * @param {string} typed @param {{slices: number, longest: number, total: number}} timing
 * @returns {Promise<best_flight | null>}
 */
async function find_best_landing(typed, timing) {
  const slice_ms = 20;
  const planner = await best_landing_planner();
  const bytes = new TextEncoder().encode(typed);
  const at = planner._malloc(Math.max(1, bytes.length));
  planner.HEAPU8.set(bytes, at);
  const search = planner._lm_best_start(at, bytes.length);
  planner._free(at);
  if (!search) return null;
  try {
    for (let done = false; !done;) {
      const began = performance.now();
      done = planner._lm_best_continue(search, slice_ms) !== 0;
      const took = performance.now() - began;
      [timing.slices, timing.total] = [timing.slices + 1, timing.total + took];
      timing.longest = Math.max(timing.longest, took);
      if (!done) await new Promise((resume) => setTimeout(resume, 0));
    }
    return best_flight_of(planner.UTF8ToString(planner._lm_best_text(search)));
  } finally { planner._lm_best_end(search); }
}

/** @type {Promise<lm_planner_module> | null} */
let best_landing_module = null;
// Returns the planner, made once for the page.
function best_landing_planner() {
  if (!best_landing_module) {
    best_landing_module = program_loaded() ?
        create_lm_planner() :
        Promise.reject(new Error('lm_simulator.js did not load'));
  }
  return best_landing_module;
}

/**
 * Returns the best landing the planner's text tells (see
 * best_landing_calls.cpp): its summary line, its start, then its seconds.
 * @param {string} text @returns {best_flight}
 */
function best_flight_of(text) {
  const [summary, start, ...seconds] = text.trimEnd().split('\n');
  const [, verdict, fuel, , time, , velocity, , proof, gap_amount] = summary.split(' ');
  const [, altitude, start_fuel] = start.split(' ');
  const gap_unit = verdict === 'soft' ? 'l' : 'm/s';
  return {
    result: {verdict, figure: verdict === 'soft' ? fuel : velocity},
    fuel,
    seconds: time,
    velocity,
    gap: proof === 'proven' ? null : `${gap_amount} ${gap_unit}`,
    altitude,
    start_fuel,
    flown: seconds.map((line) => {
      const [t, f, rate, h, v] = line.split(' ');
      return {time: Number(t), fuel: f, rate: Number(rate), altitude: h, velocity: v};
    }),
  };
}

/**
 * Returns the page's view of the best landing: `begin` with each flight
 * (and the challenge it answers, if any), `landed` after its touchdown.
 * @param {{best: HTMLElement, hint: HTMLElement, links: HTMLElement, replay: HTMLAnchorElement,
 *     challenge: HTMLAnchorElement}} elements
 * @param {{chart: {draw: (track: flight_track, faint?: {name: string, track: flight_track}[])
 *     => void}, texts: Readonly<Record<string, string | number>> | null}} needs
 */
function best_landing_view({best, hint, links, replay, challenge}, {chart, texts}) {
  const unit = (/** @type {string} */ name) => texts ? String(texts[`${name}_unit`]).trim() : '';
  /** @type {Record<string, string>} */
  const grades = {soft: 'soft landing', hard: 'hard landing', crash: 'crash'};
  const page_address = () => location.href.split('#')[0];
  /** @type {flight_result | null} */
  let beat = null;
  let flight_number = 0;  // a search finished after its flight is left is not shown
  const after_verdict_ms = 500;

  // Returns a result in words: "soft landing, 203 l left after 60 s", or
  // "crash at -23.41 m/s".
  function result_words(/** @type {flight_result} */ result, /** @type {string | null} */ time) {
    if (result.verdict !== 'soft') {
      return `${grades[result.verdict]} at ${result.figure} ${unit('velocity')}`;
    }
    const after = time === null ? '' : ` after ${time} ${unit('time')}`;
    return `soft landing, ${result.figure} ${unit('fuel')} left${after}`;
  }

  // #best stays in place, empty or not, so that a screen reader hears what
  // it is given.
  function show(/** @type {string} */ words) { best.textContent = words; }

  // Returns the hint of the best flight: when it first burns, and when it
  // burns at full thrust, at what altitude.
  function hint_of(/** @type {best_flight} */ flight) {
    const burn = flight.flown.find((second) => second.rate > 0);
    const full = flight.flown.find((second) => second.rate === Number(texts?.highest_rate));
    if (!burn) return 'Hint: from this start the best flight burns nothing at all.';
    const at = (/** @type {best_second} */ s) =>
        `${s.time} ${unit('time')}, at ${s.altitude} ${unit('altitude')}`;
    const first =
        burn.time === 0 ? 'burns from the start' : `falls freely until ${at(burn)}, then burns`;
    const thrust = full ? `, at full thrust from ${at(full)}` : '';
    return `Hint: the best flight ${first}${thrust}.`;
  }

  // Returns the address that replays `flight`: its start, then its rates.
  function replay_address(/** @type {best_flight} */ flight) {
    const answers = [
      flight.altitude, flight.start_fuel,
      ...flight.flown.slice(0, -1).filter((s) => Number(s.fuel) > 0).map((s) => String(s.rate))
    ];
    const link = answers.map((answer) => flight_link.piece(`${answer}\n`)).join('');
    return page_address() + flight_link.fragment({link, ended: false});
  }

  /**
   * Returns a flight's track as the chart draws it, from the best flight's
   * seconds.
   * @param {best_flight} flight @returns {flight_track}
   */
  function track_of(flight) {
    return {
      ...empty_track(),
      times: flight.flown.map((s) => s.time),
      altitudes: flight.flown.map((s) => Number(s.altitude)),
      velocities: flight.flown.map((s) => Number(s.velocity))
    };
  }

  // Shows the comparison once the best is found: the best from this start,
  // this flight, and the result to beat.
  function compare(
      /** @type {best_flight} */ flight, /** @type {flight_track} */ track,
      /** @type {flight_result} */ result) {
    const from = `${flight.altitude} ${unit('altitude')} with ${flight.start_fuel} ${unit('fuel')}`;
    const proof = flight.gap === null ?
        '' :
        ` (the search was cut short: one up to ${flight.gap} better may exist)`;
    const none = flight.result.verdict === 'soft' ? '' : ', as no soft landing is possible';
    const you = result_words(result, track.touchdown ? String(track.touchdown.time) : null);
    const equal = flight_challenge.compare(result, flight.result) >= 0 ? ', the best possible' : '';
    let words = `Best possible from ${from}: ` +
        `${result_words(flight.result, flight.seconds)}${none}${proof}. You: ${you}${equal}.`;
    if (beat) {
      const outcome = ['You did not beat it.', 'You matched it.', 'You beat it!'];
      words += ` To beat: ${result_words(beat, null)}. ` +
          outcome[flight_challenge.compare(result, beat) + 1];
    }
    show(words);
    hint.textContent = result.verdict === 'soft' ? '' : hint_of(flight);
    hint.hidden = hint.textContent === '';
    replay.href = replay_address(flight);
    challenge.href =
        page_address() + flight_challenge.fragment(flight.altitude, flight.start_fuel, result);
    links.hidden = false;
    chart.draw(track, [{name: 'best', track: track_of(flight)}]);
  }

  return {
    // A new flight, which answers `opened`'s challenge if there is one.
    begin(/** @type {challenge | null} */ opened) {
      flight_number++;
      beat = opened ? opened.beat : null;
      show(beat ? `A challenge: fly from this start and beat a ${result_words(beat, null)}.` : '');
      hint.hidden = links.hidden = true;
      delete best.dataset.searchMs;
    },
    // The flight touched down (`track`), after `typed`.
    async landed(/** @type {flight_track} */ track, /** @type {string} */ typed) {
      const number = flight_number;
      const touchdown = track.touchdown;
      if (!touchdown || !track.verdict) return;
      const figure = track.verdict === 'soft' ? touchdown.fuel_text : touchdown.velocity_text;
      const result = {verdict: track.verdict, figure: String(figure)};
      const timing = {slices: 0, longest: 0, total: 0};
      // Heard after the verdict, which the status says as the flight ends: a
      // screen reader given both at once may drop one.
      await new Promise((later) => setTimeout(later, after_verdict_ms));
      if (number !== flight_number) return;
      try {
        const flight = await find_best_landing(typed, timing);
        if (number !== flight_number || !flight) return;
        // For scripts and tests: how long the search took, and its longest slice.
        best.dataset.searchMs = timing.total.toFixed(1);
        best.dataset.longestSliceMs = timing.longest.toFixed(1);
        compare(flight, track, result);
      } catch (error) {
        if (number !== flight_number) return;
        show(`The best landing from this start could not be found here (${
            /** @type {Error} */ (error).message || error}).`);
      }
    },
  };
}
