// @ts-check
// rate_keys: on a touch screen, while the program asks for the fuel rate, a
// button for each rate the program takes, from its lowest to its highest:
// one tap answers the second, with the keyboard down. Typed answers still
// work beside them: the keys give way while the answer field has the focus.
'use strict';

/**
 * Returns the rate keys drawn in `row`; a tap sends its rate with `send`.
 * @param {HTMLElement} row
 * @param {Readonly<Record<string, string | number>> | null} texts the program's
 * @param {(rate: number) => void} send
 */
function rate_keys(row, texts, send) {
  const touch = matchMedia('(pointer: coarse)');
  const answer = /** @type {HTMLElement} */ (document.getElementById('answer'));
  let asking = false;
  if (texts) {
    for (let rate = Number(texts.lowest_rate); rate <= Number(texts.highest_rate); rate++) {
      const key = document.createElement('button');
      key.type = 'button';
      key.textContent = String(rate);
      key.onclick = () => asking && send(rate);
      row.append(key);
    }
  }
  const place = () => {
    row.hidden = !(asking && touch.matches && document.activeElement !== answer);
    document.body.classList.toggle('rate-keys', !row.hidden);
  };
  answer.addEventListener('focus', place);
  answer.addEventListener('blur', place);
  touch.addEventListener('change', place);
  return {
    // Shows the keys while the rate is asked, on a touch screen; returns
    // whether they are shown.
    show(/** @type {boolean} */ rate_asked) {
      asking = rate_asked && texts !== null;
      // The keyboard goes down for the keys; a tap on the answer brings it back.
      if (asking && touch.matches) answer.blur();
      place();
      return !row.hidden;
    },
  };
}
