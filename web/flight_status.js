// @ts-check
// flight_status: the page's own account of the flight, for the ear as much
// as the eye: what the program reported since the player last answered,
// put briefly and at once into a polite live region, one addition at a time
// (a screen reader given two together may drop the older). The dialogue
// itself is not live: read aloud, its prompt came back with every report
// and every key. Every value is the program's, as the report reader took
// it; every unit and question is the program's text.
'use strict';

/**
 * Returns the status of the flights, said in `status`; the answer's name is
 * the question waited at and its description (in `state`) the state, as is
 * the chart's name.
 * @param {{status: HTMLElement, state: HTMLElement, answer: HTMLInputElement,
 *     chart: Element}} elements
 * @param {Readonly<Record<string, string | number>> | null} texts the program's
 */
function flight_status({status, state, answer, chart}, texts) {
  const text = (/** @type {string} */ name) => texts ? String(texts[name]) : '';
  const unit = (/** @type {string} */ name) => text(`${name}_unit`).trim();
  const word = (/** @type {string} */ name) =>
      text(`${name}_label`).replace(':', '').trim().toLowerCase();
  // The questions, as they begin a line of the program's output.
  const questions = ['altitude_prompt', 'fuel_prompt', 'rate_prompt']
                        .map((name) => text(name).replace(/^\n/, ''))
                        .filter(Boolean);
  const chart_name = chart.getAttribute('aria-label');
  /** @type {flight_track} */
  let track;
  /** @type {string | null} */
  let prompt = null;  // the question waited at last
  let [reports_said, notes_said] = [0, 0];
  let now = '';  // the state in words
  /** @type {string | null} */
  let first = null;  // said before the news of the first wait

  // Returns the texts as sentences, each ended by its stop.
  const sentences = (/** @type {(string | null | undefined)[]} */ texts) =>
      texts.filter(Boolean).map((t) => /[.!?:]$/.test(String(t)) ? t : `${t}.`).join(' ');

  // Returns a report's state in words, with the program's units; `labelled`
  // names each number, else the units alone tell them apart, with no pause
  // between, which is quicker to hear.
  function state_words(
      /** @type {reported_state} */ {time, altitude, velocity, fuel},
      /** @type {boolean} */ labelled) {
    const [h, v, f] = ['altitude', 'velocity', 'fuel'].map((n) => labelled ? `${word(n)} ` : '');
    const and = labelled ? ', ' : ' ';
    const left = fuel === null ? 'out of fuel' : `${f}${fuel} ${unit('fuel')}`;
    return `${time} ${unit('time')}${labelled ? ',' : ':'} ${h}${altitude} ${unit('altitude')}` +
        `${and}${v}${velocity} ${unit('velocity')}${and}${left}`;
  }

  // Returns `line` less the questions it begins with (a line of the
  // program's output starts with the questions answered on it); `keep`
  // keeps a last one.
  function unasked(/** @type {string} */ line, /** @type {boolean} */ keep) {
    const next = (/** @type {string} */ rest) =>
        questions.find((q) => rest.startsWith(q) && rest.length > (keep ? q.length : 0));
    let rest = line;
    for (let q = next(rest); q; q = next(rest)) rest = rest.slice(q.length);
    return rest;
  }

  const verdict = () =>
      track.verdict_line ? [grade_words[track.verdict || ''] || '', track.verdict_line] : [];

  // Returns what is new since the last question: the lines that are no
  // report, less the questions they follow, then the reported state, or how
  // many reports came and the last, and at touchdown the verdict.
  function news() {
    // Before the first question there is only the banner, which the screen and the help show.
    const notes = prompt === null ? [] : track.notes.slice(notes_said);
    notes_said = track.notes.length;
    const count = track.times.length - reports_said;
    reports_said = track.times.length;
    const said = notes.map((note) => unasked(note, false));
    if (count > 1) said.push(`${count} reports`);
    const {latest} = track;
    if (count > 0 && latest && track.touchdown) {
      said.push(`Touchdown at ${state_words(latest, true)}`, ...verdict());
    } else if (count > 0 && latest) {
      said.push(state_words(latest, count === reports_said));
    }
    return said;
  }

  // A screen reader says the focused field's new description at once: the
  // live region has just said it, so the description follows when the field
  // is not focused, and on leaving it.
  answer.addEventListener('blur', () => { state.textContent = now; });

  return {
    // Starts telling a new flight, whose reports make `new_track`, `note`
    // said first when there is one.
    begin(/** @type {flight_track} */ new_track, /** @type {string | null} */ note) {
      track = new_track;
      prompt = null;
      [reports_said, notes_said, now, first] = [0, 0, '', note];
      status.textContent = state.textContent = '';
      answer.removeAttribute('aria-label');
    },
    // Says what is new: when the program waits, `pending` is the line it
    // waits on, the question last. A replay's waits are heard `quiet`ly, as
    // they come, and what is new at its last said as in play.
    update(
        /** @type {boolean} */ waiting, /** @type {string} */ pending,
        /** @type {boolean} */ quiet) {
      const said = news();
      const asked = waiting ? unasked(pending, true) : '';
      if (asked.trim() && asked !== prompt) {
        if (prompt !== null) said.push(asked.trim());
        prompt = asked;
      }
      if (quiet) return;
      if (first) said.unshift(first);
      first = null;
      if (prompt) answer.setAttribute('aria-label', prompt.trim());
      if (said.some(Boolean)) status.textContent = sentences(said.map((t) => t.trim()));
      now = sentences([track.latest && state_words(track.latest, true), ...verdict()]);
      chart.setAttribute('aria-label', [chart_name, now].filter(Boolean).join(': '));
      if (document.activeElement !== answer) state.textContent = now;
    },
    // Says `text` first at the next update.
    say(/** @type {string} */ text) { first = text; },
  };
}
