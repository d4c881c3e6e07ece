// @ts-check
// flight_record: what the page keeps of the flights: the answers of the one
// being flown, its link, the copy, the saved dialogue and chart, the flight
// kept for a reload, and the earlier flights. Kept in the storage it is
// given (the tab's, sessionStorage), as flight_link writes flights.
'use strict';

/**
 * A finished flight as the earlier flights list it, its figures as its
 * reports gave them.
 * @typedef {object} earlier_flight
 * @property {number | null} seconds
 * @property {string | null} velocity  at touchdown
 * @property {string | null} fuel  left
 * @property {string | null} verdict  the verdict's words
 * @property {string} fragment  its link's
 */

/**
 * Returns the page's record of its flights.
 * @param {{share: HTMLAnchorElement, note: HTMLElement, answers_text: HTMLTextAreaElement,
 *     earlier: HTMLElement, copy: HTMLElement, save_dialogue: HTMLElement,
 *     save_chart: HTMLElement}} elements
 * @param {{storage: Storage, texts: Readonly<Record<string, string | number>> | null,
 *     dialogue_of: (flight: {sends: string[], ended: boolean}) => Promise<string[]>,
 *     chart_file: () => string}} needs
 */
function flight_record(elements, {storage, texts, dialogue_of, chart_file}) {
  const {share, note, answers_text, earlier} = elements;
  const stored_flight = 'lm_simulator.flight';
  const stored_earlier = 'lm_simulator.earlier';
  const earlier_most = 10;
  // What the address's fragment was when the page loaded: a reload restores
  // the stored flight only if it came from the same link.
  const opened_with = location.hash;
  const page_address = () => location.href.split('#')[0];
  const unit = (/** @type {string} */ name) => texts ? String(texts[`${name}_unit`]).trim() : '';
  /** @type {{sends: string[], link: string, ended: boolean, track: flight_track} | null} */
  let flight = null;

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

  // Returns the list of earlier flights, newest first.
  function earlier_flights() {
    const list = stored(stored_earlier);
    return /** @type {earlier_flight[]} */ (Array.isArray(list) ? list : []);
  }

  function show_earlier(/** @type {earlier_flight[]} */ list) {
    const items = list.map((flight) => {
      const item = document.createElement('li');
      const flown =
          flight.seconds === null ? 'no second flown' : `${flight.seconds} ${unit('time')} flown`;
      const fuel = flight.fuel === null ? '' : `, ${flight.fuel} ${unit('fuel')} left`;
      const end = flight.velocity === null ?
          ', no touchdown' :
          `, touchdown at ${flight.velocity} ${unit('velocity')}: ${flight.verdict}`;
      const link = document.createElement('a');
      link.href = page_address() + String(flight.fragment);
      link.textContent = 'replay';
      item.append(`${flown}${fuel}${end} `, link);
      return item;
    });
    /** @type {HTMLElement} */ (earlier.querySelector('ol')).replaceChildren(...items);
    earlier.hidden = items.length === 0;
  }

  // Adds the flight being flown to the earlier flights if it had answers.
  function remember() {
    if (!flight || flight.sends.length === 0) return;
    const {track} = flight;
    const landed = track.touchdown;
    const list = earlier_flights();
    list.unshift({
      seconds: landed ? landed.time : track.times.at(-1) ?? null,
      velocity: landed ? landed.velocity_text : null,
      fuel: landed ? landed.fuel_text : track.fuel_text,
      verdict: track.verdict_text,
      fragment: flight_link.fragment(flight)
    });
    list.length = Math.min(list.length, earlier_most);
    store(stored_earlier, JSON.stringify(list));
    show_earlier(list);
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
  // it, the flight left listed among the earlier ones.
  addEventListener('hashchange', () => {
    remember();
    location.reload();
  });
  show_earlier(earlier_flights());

  return {
    say,
    // Returns what the page replays when it loads: after a reload, the flight
    // stored by this tab, else the link's answers; null when none.
    /** @returns {linked_flight | null} */
    opened() {
      const how = /** @type {PerformanceNavigationTiming | undefined} */ (
          performance.getEntriesByType('navigation')[0]);
      const returning = !how || how.type === 'reload' || how.type === 'back_forward';
      const saved = stored(stored_flight);
      const fragment = returning && saved && saved.opened_with === opened_with ?
          String(saved.fragment) :
          opened_with;
      return fragment.length > 1 ? flight_link.flight_of(fragment) : null;
    },
    // Starts keeping a new flight, whose reports make `track`, after listing
    // the last one among the earlier flights.
    begin(/** @type {flight_track} */ track) {
      remember();
      say('');
      answers_text.hidden = true;
      flight = {sends: [], link: '', ended: false, track};
    },
    // Keeps a piece of text sent to the program.
    sent(/** @type {string} */ text) {
      if (!flight) return;
      flight.sends.push(text);
      flight.link += flight_link.piece(text);
    },
    ended() {
      if (flight) flight.ended = true;
    },
    // Once the page waits or the flight has ended: the link and the stored
    // flight catch up (not at every piece, which a long replay sends).
    settle() {
      if (!flight) return;
      const fragment = flight_link.fragment(flight);
      share.href = page_address() + fragment;
      store(stored_flight, JSON.stringify({opened_with, fragment}));
    },
  };
}
