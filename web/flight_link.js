// @ts-check
// flight_link: a flight as a link holds it. A flight is its answers: the
// pieces of text the page sent the program, as they were sent, and whether
// the input was ended. Sent again the same way they give the same flight,
// byte for byte, in any engine and at a terminal; so a link, a reload and
// the copy all carry just these. A link's fragment is fields joined by "&":
// "answers=" and the pieces, then "end" when the input was ended. It knows
// no page: it runs under Node too.
'use strict';

/**
 * A flight to replay, and in words what of its link could not be used.
 * @typedef {{sends: string[], ended: boolean, problem: string | null}} linked_flight
 */

const flight_link = (() => {
  const answers_field = 'answers=';
  const end_field = 'end';

  // Returns a piece of text as a link holds it: space as "_", a line end as
  // "*", or as "~" when it ends the piece (a line sent with Enter), and every
  // character but letters, digits, "." and "-" percent-encoded, so that the
  // link survives being pasted into mail or chat.
  function piece(/** @type {string} */ text) {
    const line = text.endsWith('\n');
    const body = encodeURIComponent(line ? text.slice(0, -1) : text)
                     .replace(/[_~*!'()]/g, (c) => `%${c.charCodeAt(0).toString(16).toUpperCase()}`)
                     .replace(/%20/g, '_')
                     .replace(/%0A/g, '*');
    return line ? `${body}~` : body;
  }

  /**
   * Returns the pieces a link's answers hold; in words what could not be used
   * (the pieces before it are).
   * @param {string} body @returns {{sends: string[], problem: string | null}}
   */
  function pieces_of(body) {
    const pieces = body.split('~');
    const sends = [];
    for (let i = 0; i < pieces.length; i++) {
      const line = i < pieces.length - 1;
      if (!line && pieces[i] === '') break;
      try {
        const text = decodeURIComponent(pieces[i].replace(/_/g, '%20').replace(/\*/g, '%0A'));
        sends.push(line ? `${text}\n` : text);
      } catch {
        const part = JSON.stringify(pieces[i].slice(0, 40));
        const problem = `Line ${i + 1} of this link's answers, ${part}, is not well-formed ` +
            'percent-encoded text: the flight is replayed up to the line before it.';
        return {sends, problem};
      }
    }
    return {sends, problem: null};
  }

  /**
   * Returns what a fragment ("#answers=...") holds. The fragment is anyone's
   * text: it only ever becomes text to send.
   * @param {string} fragment @returns {linked_flight}
   */
  function flight_of(fragment) {
    const [first, ...rest] = fragment.slice(1).split('&');
    if (!first.startsWith(answers_field)) {
      const shown = JSON.stringify(fragment.slice(0, 60));
      const problem = `The address ends in ${shown}, which holds no flight's answers ` +
          `(they follow "#${answers_field}"): a new flight starts.`;
      return {sends: [], ended: false, problem};
    }
    const {sends, problem} = pieces_of(first.slice(answers_field.length));
    const unknown = rest.filter((field) => field !== end_field);
    const ended = !problem && rest.includes(end_field);
    const ignored = unknown.length && !problem ?
        `This link's ${JSON.stringify(unknown.join('&').slice(0, 40))} means nothing here: ` +
            'it is left aside.' :
        null;
    return {sends, ended, problem: problem || ignored};
  }

  return {
    piece,
    flight_of,
    // Returns the fragment of a flight whose pieces make `link`.
    fragment: (/** @type {{link: string, ended: boolean}} */ flight) =>
        `#${answers_field}${flight.link}${flight.ended ? `&${end_field}` : ''}`,
  };
})();
