// @ts-check
// earlier_flights: the flights flown before, and the best result from each
// start, kept in the browser's storage across tabs and restarts: each with
// its start, seconds, touchdown velocity, fuel left, grade in words and
// link, numbered oldest first (a number stays with its flight). Every
// figure is a report's, as the record passed it on. Storage that is refused
// or full is said; the list then lasts as long as the page.
'use strict';

/**
 * An earlier flight with its number.
 * @typedef {earlier_flight & {number: number}} numbered_flight
 */

/**
 * Returns the earlier flights shown in `earlier` (its `ol`, and its
 * `.bests`), forgotten with `clear`; what the storage refuses is said in `note`.
 * @param {{earlier: HTMLElement, clear: HTMLElement, note: HTMLElement}} elements
 * @param {{storage: () => Storage, texts: Readonly<Record<string, string | number>> | null}} needs
 */
function earlier_flights({earlier, clear, note}, {storage, texts}) {
  const key = 'lm_simulator.earlier_flights';
  const most = 20;
  const rank = ['soft', 'hard', 'crash'];  // the grades, best first
  const unit = (/** @type {string} */ name) => texts ? String(texts[`${name}_unit`]).trim() : '';
  const page_address = () => location.href.split('#')[0];
  /** @type {{flights: numbered_flight[], bests: Record<string, numbered_flight>, count: number}} */
  let kept = {flights: [], bests: {}, count: 0};

  // Returns what the storage holds, or says why it holds nothing.
  function load() {
    try {
      const stored = JSON.parse(storage().getItem(key) || 'null');
      if (stored && Array.isArray(stored.flights)) kept = stored;
    } catch (error) { refused(error); }
  }

  function save() {
    try {
      storage().setItem(key, JSON.stringify(kept));
      note.textContent = '';
    } catch (error) { refused(error); }
  }

  function refused(/** @type {unknown} */ error) {
    const {name, message} = /** @type {Error} */ (error);
    note.textContent = `This browser keeps no earlier flights for this page (${name}: ` +
        `${message}): they last while the page is open. This flight is not harmed.`;
  }

  // Returns whether `a` is a better result than `b`: a gentler grade, then a
  // gentler touchdown, then more fuel left.
  function better(/** @type {earlier_flight} */ a, /** @type {earlier_flight | undefined} */ b) {
    if (!b) return true;
    const [ra, rb] = [rank.indexOf(a.grade || ''), rank.indexOf(b.grade || '')];
    if (ra !== rb) return ra < rb;
    const [va, vb] = [Math.abs(Number(a.velocity)), Math.abs(Number(b.velocity))];
    return va !== vb ? va < vb : Number(a.fuel) > Number(b.fuel);
  }

  const start_words = (/** @type {earlier_flight} */ f) => f.start ?
      `from ${f.start.altitude} ${unit('altitude')} with ${f.start.fuel} ${unit('fuel')}` :
      'no start';

  // Returns a flight in words, with its link.
  function item_of(/** @type {numbered_flight} */ f) {
    const item = document.createElement('li');
    item.value = f.number;
    const flown = f.seconds === null ? 'no second flown' : `${f.seconds} ${unit('time')} flown`;
    const fuel = f.fuel === null ? '' : `, ${f.fuel} ${unit('fuel')} left`;
    const end = f.velocity === null ? ', no touchdown' :
                                      `, touchdown at ${f.velocity} ${unit('velocity')}: ` +
            `${grade_words[f.grade || ''] || ''} (${f.verdict})`;
    const link = document.createElement('a');
    link.href = page_address() + String(f.fragment);
    link.textContent = 'replay';
    item.append(`${start_words(f)}: ${flown}${fuel}${end} `, link);
    return item;
  }

  function show() {
    /** @type {HTMLElement} */ (earlier.querySelector('ol'))
        .replaceChildren(...kept.flights.map(item_of));
    const bests = Object.values(kept.bests).map((f) => {
      const line = item_of(f);
      const p = document.createElement('p');
      p.append(`Best ${line.firstChild?.textContent} `, /** @type {Node} */ (line.lastChild));
      return p;
    });
    /** @type {HTMLElement} */ (earlier.querySelector('.bests')).replaceChildren(...bests);
    earlier.hidden = kept.flights.length === 0 && !note.textContent;
  }

  clear.onclick = () => {
    kept = {flights: [], bests: {}, count: 0};
    try {
      storage().removeItem(key);
    } catch (error) { refused(error); }
    show();
  };
  // Another tab's flights, as they come.
  addEventListener('storage', (event) => {
    if (event.key !== key && event.key !== null) return;
    load();
    show();
  });
  load();
  show();

  return {
    // Keeps a flight, and the best from its start.
    add(/** @type {earlier_flight} */ flight) {
      load();
      const numbered = {...flight, number: ++kept.count};
      kept.flights = [...kept.flights, numbered].slice(-most);
      const start = start_words(flight);
      if (flight.velocity !== null && better(flight, kept.bests[start]))
        kept.bests[start] = numbered;
      save();
      show();
    },
  };
}
