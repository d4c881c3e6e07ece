// @ts-check
// flight_record: what the page keeps of the flight being flown: its
// answers, its link and the address bar, the copy, the saved dialogue and
// chart, and the flight kept for a reload in the storage it is given (the
// tab's, sessionStorage), as flight_link writes flights. Each flight that
// ends, or is left for another, it hands on as an earlier flight.
'use strict';

/**
 * A finished flight as the earlier flights list it, its figures as its
 * reports gave them.
 * @typedef {object} earlier_flight
 * @property {{altitude: string, fuel: string} | null} start  as first reported
 * @property {number | null} seconds
 * @property {string | null} velocity  at touchdown
 * @property {string | null} fuel  left
 * @property {string | null} grade  the verdict's grade: soft, hard or crash
 * @property {string | null} verdict  the verdict's words
 * @property {string} fragment  its link's
 */

/**
 * Returns the page's record of the flight being flown; `link_note` says, at
 * the top of the page, what it cannot use of a link.
 * @param {{share: HTMLAnchorElement, note: HTMLElement, link_note: HTMLElement,
 *     answers_text: HTMLTextAreaElement, copy: HTMLElement, save_dialogue: HTMLElement,
 *     save_chart: HTMLElement}} elements
 * @param {{storage: Storage,
 *     dialogue_of: (flight: {sends: string[], ended: boolean}) => Promise<string[]>,
 *     chart_file: () => string}} needs
 */
function flight_record(elements, {storage, dialogue_of, chart_file}) {
  const {share, note, answers_text} = elements;
  const stored_flight = 'lm_simulator.flight';
  // The link the page's first flight was opened from: the address's
  // fragment when the page loaded, or, when a reload finds the flight kept
  // for it, the link that flight was opened from. A reload restores the
  // stored flight only if it came from the same link or is the address.
  let opened_with = location.hash;
  let began = false;  // whether a flight began since the page loaded
  const page_address = () => location.href.split('#')[0];
  /** @type {{sends: string[], link: string, ended: boolean, track: flight_track} | null} */
  let flight = null;
  /** @type {(flight: earlier_flight) => void} */
  let finished = () => {};
  let listed = false;  // whether the flight is among the earlier ones
  let played = false;  // whether the player, not only a replay, flew it

  const say = (/** @type {string} */ text) => { note.textContent = text; };

  // Stores `value`, or says why a reload will not find it.
  function store(/** @type {string} */ key, /** @type {string} */ value) {
    try {
      storage.setItem(key, value);
    } catch (error) {
      const {name, message} = /** @type {Error} */ (error);
      say(`This tab could not keep the flight for a reload (${name}: ${message}). ` +
          'Its link and "Copy answers" still hold it.');
    }
  }

  function stored(/** @type {string} */ key) {
    try {
      return JSON.parse(storage.getItem(key) || 'null');
    } catch { return null; }
  }

  // Lists the flight being flown among the earlier flights, once, if the
  // player answered: a link followed, or a reload, lists no flight again.
  function remember() {
    if (!flight || listed || !played) return;
    listed = true;
    const {track} = flight;
    const landed = track.touchdown;
    finished({
      start: track.start,
      seconds: landed ? landed.time : track.times.at(-1) ?? null,
      velocity: landed ? landed.velocity_text : null,
      fuel: landed ? landed.fuel_text : track.fuel_text,
      grade: track.verdict,
      verdict: track.verdict_text,
      fragment: flight_link.fragment(flight)
    });
  }

  // The address bar names the flight on screen, as its link does, without a
  // history entry for each answer; a new flight's address has no answers.
  function name_flight(/** @type {string} */ fragment) {
    try {
      history.replaceState(history.state, '', page_address() + fragment);
    } catch (error) {
      say(`The address bar cannot hold this flight (${/** @type {Error} */ (error).message}): ` +
          '"Copy answers" still holds it.');
    }
  }

  // The answers as a file of them holds them: at a terminal the file's end
  // ends the input, where the page's flight had its input ended.
  async function copy_answers() {
    const text = flight ? flight.sends.join('') : '';
    try {
      await navigator.clipboard.writeText(text);
      answers_text.hidden = true;
      say(`Copied ${new TextEncoder().encode(text).length} bytes of answers: paste them into ` +
          'the answer field, or save them as answers.txt and run lm_simulator < answers.txt.');
    } catch (error) {
      answers_text.value = text;
      answers_text.hidden = false;
      answers_text.select();
      say(`The answers could not be copied (${
              error && /** @type {Error} */ (error).message || error}): ` +
          'they are selected below, to copy by hand.');
    }
  }

  // Offers `parts` as a file to download.
  function save(
      /** @type {string} */ name, /** @type {string} */ type, /** @type {string[]} */ parts) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob(parts, {type}));
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  elements.copy.onclick = copy_answers;
  elements.save_dialogue.onclick = async () => {
    try {
      save('lm_flight.txt', 'text/plain', await dialogue_of(flight || {sends: [], ended: false}));
    } catch (error) {
      say(`The dialogue could not be saved (${/** @type {Error} */ (error).message}).`);
    }
  };
  elements.save_chart.onclick = () => save('lm_flight_chart.svg', 'image/svg+xml', [chart_file()]);
  // A link to another flight opened in this tab: the page starts over with
  // it, the flight left listed among the earlier ones. The flight's own link
  // is no other flight.
  addEventListener('hashchange', () => {
    if (flight && location.hash === flight_link.fragment(flight)) return;
    remember();
    location.reload();
  });
  // Following the flight's own link changes nothing.
  share.addEventListener('click', (event) => {
    if (share.href === location.href) event.preventDefault();
  });

  return {
    say,
    // Says what the page cannot use of the link it opened, naming it, here
    // and at the top of the page.
    say_link(/** @type {string} */ problem) {
      say(problem);
      const shown = opened_with.length > 80 ? `${opened_with.slice(0, 80)}…` : opened_with;
      elements.link_note.textContent = `The link ${page_address()}${shown}: ${problem}`;
      document.documentElement.style.setProperty('--note', `${elements.link_note.offsetHeight}px`);
    },
    // Tells `then` of each flight that ends or is left for another.
    on_finished(/** @type {(flight: earlier_flight) => void} */ then) { finished = then; },
    // Returns what the page replays when it loads: after a reload, the flight
    // stored by this tab, else the link's answers; null when none.
    /** @returns {linked_flight | null} */
    opened() {
      const how = /** @type {PerformanceNavigationTiming | undefined} */ (
          performance.getEntriesByType('navigation')[0]);
      const returning = !how || how.type === 'reload' || how.type === 'back_forward';
      const saved = stored(stored_flight);
      const kept = returning && saved &&
          (saved.opened_with === opened_with || saved.fragment === opened_with);
      if (kept) opened_with = String(saved.opened_with);
      const fragment = kept ? String(saved.fragment) : opened_with;
      return fragment.length > 1 ? flight_link.flight_of(fragment) : null;
    },
    // Returns the link the first flight was opened from (a challenge's, say),
    // as opened() found it.
    opened_from: () => opened_with,
    // Starts keeping a new flight, whose reports make `track`, after listing
    // the last one among the earlier flights.
    begin(/** @type {flight_track} */ track) {
      remember();
      // Only the first flight comes from a link: each link reloads the page.
      if (began) opened_with = '';
      began = true;
      say('');
      elements.link_note.textContent = '';
      document.documentElement.style.removeProperty('--note');
      answers_text.hidden = true;
      flight = {sends: [], link: '', ended: false, track};
      [listed, played] = [false, false];
    },
    // Lets go of the last `count` bytes sent, which the program never read.
    unsent(/** @type {number} */ count) {
      if (!flight) return;
      const [encoder, decoder] = [new TextEncoder(), new TextDecoder()];
      while (count > 0 && flight.sends.length > 0) {
        const bytes = encoder.encode(/** @type {string} */ (flight.sends.pop()));
        if (bytes.length > count) flight.sends.push(decoder.decode(bytes.subarray(0, -count)));
        count -= bytes.length;
      }
      flight.link = flight.sends.map(flight_link.piece).join('');
    },
    // The flight has ended (`ended`) or failed.
    finished(/** @type {boolean} */ ended) {
      if (ended) remember();
    },
    // Keeps a piece of text sent to the program, `by_player` or a replay.
    sent(/** @type {string} */ text, /** @type {boolean} */ by_player) {
      if (!flight) return;
      played ||= by_player;
      flight.sends.push(text);
      flight.link += flight_link.piece(text);
    },
    ended(/** @type {boolean} */ by_player) {
      if (flight) flight.ended = true;
      played ||= by_player;
    },
    // Once the page waits or the flight has ended: the link and the stored
    // flight catch up (not at every piece, which a long replay sends).
    settle() {
      if (!flight) return;
      const fragment = flight_link.fragment(flight);
      share.href = page_address() + fragment;
      name_flight(flight.sends.length || flight.ended ? fragment : '');
      store(stored_flight, JSON.stringify({opened_with, fragment}));
    },
  };
}
