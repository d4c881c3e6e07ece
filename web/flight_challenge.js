// @ts-check
// flight_challenge: a challenge as a link holds it: a flight's start and the
// result to beat, "#start=1300,500&beat=soft,150" (the fuel left after a
// soft landing) or "&beat=crash,-23.41" (the touchdown velocity after a
// hard landing or a crash). The link is anyone's text: its start only ever
// becomes the two answers typed to the program, which judges them as it
// judges any; its result is read only when it is a verdict and a number as
// the reports write them. It knows no page: it runs under Node too.
'use strict';

/**
 * A flight's result: its verdict's grade and its figure (the fuel left
 * after a soft landing, else the touchdown velocity), as reported.
 * @typedef {{verdict: string, figure: string}} flight_result
 */
/**
 * A challenge: the flight that answers its start, and the result to beat.
 * @typedef {{flight: linked_flight, beat: flight_result | null}} challenge
 */

const flight_challenge = (() => {
  const [start_field, beat_field] = ['start=', 'beat='];
  // An answer a link may carry: a number's characters, no more than a
  // person types.
  const answer_form = /^[0-9+\-.eE]{1,40}$/;
  /** @type {Record<string, RegExp>} */
  const figure_forms = {
    soft: /^\d{1,10}$/,
    hard: /^-?\d{1,10}\.\d\d$/,
    crash: /^-?\d{1,10}\.\d\d$/
  };
  const shown = (/** @type {string} */ text) => JSON.stringify(text.slice(0, 40));

  /**
   * Returns the result that `text` ("soft,150") holds, or null.
   * @param {string} text @returns {flight_result | null}
   */
  function result_of(text) {
    const [verdict, figure, ...more] = text.split(',');
    const form = Object.hasOwn(figure_forms, verdict) ? figure_forms[verdict] : null;
    return form && more.length === 0 && form.test(figure ?? '') ? {verdict, figure} : null;
  }

  /**
   * Returns the challenge a fragment ("#start=...") holds, with in words
   * what of it could not be used; null for a fragment that is no challenge.
   * @param {string} fragment @returns {challenge | null}
   */
  function of (fragment) {
    const [first, ...rest] = fragment.slice(1).split('&');
    if (!first.startsWith(start_field)) return null;
    const start = first.slice(start_field.length).split(',');
    if (start.length !== 2 || !start.every((answer) => answer_form.test(answer))) {
      const problem = `This challenge's start, ${shown(first.slice(start_field.length))}, is not ` +
          'an altitude and a fuel (as "start=1300,500"): a new flight starts.';
      return {flight: {sends: [], ended: false, problem}, beat: null};
    }
    const beat_text = rest.find((field) => field.startsWith(beat_field));
    const beat = beat_text === undefined ? null : result_of(beat_text.slice(beat_field.length));
    const unknown = rest.filter((field) => field !== beat_text);
    const problems = [];
    if (beat === null) {
      const what = beat_text === undefined ?
          'This challenge holds no result to beat' :
          `This challenge's result to beat, ${shown(beat_text.slice(beat_field.length))}, is not ` +
              'a verdict and its figure';
      problems.push(
          `${what} (as "beat=soft,150" or "beat=crash,-23.41"): the flight is flown ` +
          'without it.');
    }
    if (unknown.length > 0)
      problems.push(
          `This link's ${shown(unknown.join('&'))} means nothing here: it is left aside.`);
    const sends = start.map((answer) => `${answer}\n`);
    return {flight: {sends, ended: false, problem: problems.join(' ') || null}, beat};
  }

  /**
   * Returns how good a result is, as a pair to compare: a soft landing
   * above any other, then more fuel; else the velocity nearer zero.
   * @param {flight_result} result @returns {[number, number]}
   */
  function rank({verdict, figure}) {
    return verdict === 'soft' ? [1, Number(figure)] : [0, -Math.abs(Number(figure))];
  }

  return {
    of,
    result_of,
    // Returns -1, 0 or 1 as `a` is worse than, as good as or better than `b`.
    compare(/** @type {flight_result} */ a, /** @type {flight_result} */ b) {
      const [x, y] = [rank(a), rank(b)];
      return Math.sign(x[0] - y[0] || x[1] - y[1]);
    },
    // Returns the fragment of a challenge from `altitude` and `fuel` to beat
    // `result`.
    fragment:
        (/** @type {string} */ altitude, /** @type {string} */ fuel,
         /** @type {flight_result} */ result) =>
            `#${start_field}${altitude},${fuel}&${beat_field}${result.verdict},${result.figure}`,
  };
})();
