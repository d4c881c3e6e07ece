// @ts-check
// terminal_screen: the dialogue as a terminal shows it. What the program
// writes and what the player types land in the same lines; the line being
// written is the prompt, which the answer field follows. Like a terminal's
// scrollback, the screen keeps only its newest lines, so that a long paste
// neither freezes the tab nor fills its memory.
'use strict';

/**
 * Returns the screen drawn in `screen`: `line` holds the line being written
 * and `answer` follows it.
 * @param {{screen: HTMLElement, line: HTMLElement, answer: HTMLElement}} elements
 */
function terminal_screen({screen, line, answer}) {
  const most_lines = 2000;
  const most_chars = 200000;
  /** @type {(text: string) => void} */
  let add_lines = () => {};
  let scrolling = false;

  // Returns how many line ends text[from, to) holds.
  function count_lines(
      /** @type {string} */ text, /** @type {number} */ from,
      /** @type {number} */ to) {
    let count = 0;
    for (let at = text.indexOf('\n', from); at >= 0 && at < to; at = text.indexOf('\n', at + 1)) {
      count++;
    }
    return count;
  }

  // Returns where the part of `text` (whole lines) that the scrollback keeps
  // begins: at most most_lines lines and most_chars characters, cut at a
  // line's start unless one line alone is longer.
  function kept_from(/** @type {string} */ text) {
    let from = text.length - 1;
    for (let lines = 0; lines < most_lines && from > 0; lines++) {
      from = text.lastIndexOf('\n', from - 1);
    }
    from = from <= 0 ? 0 : from + 1;
    if (text.length - from > most_chars) {
      const least = text.length - most_chars;
      const next_line = text.indexOf('\n', least) + 1;
      from = next_line > 0 && next_line < text.length ? next_line : least;
    }
    return from;
  }

  // Returns what adds complete lines to a fresh screen: a block per write,
  // so that the browser lays out only what is new, the oldest blocks leaving
  // once there are too many lines, with a note in their place.
  function scrollback() {
    /** @type {{element: HTMLElement, lines: number, chars: number}[]} oldest first */
    const blocks = [];
    let [lines, chars, dropped] = [0, 0, 0];
    /** @type {HTMLElement | null} */
    let note = null;

    function drop(/** @type {number} */ count) {
      dropped += count;
      if (!note) {
        note = document.createElement('div');
        note.className = 'scrollback';
        screen.insertBefore(note, screen.firstChild);
      }
      note.textContent = `[${dropped.toLocaleString('en')} earlier lines are no longer shown]\n`;
    }

    return (/** @type {string} */ text) => {
      const from = kept_from(text);
      if (from > 0) drop(count_lines(text, 0, from));
      const block = document.createElement('div');
      block.textContent = from > 0 ? text.slice(from) : text;
      screen.insertBefore(block, line);
      const added = {
        element: block,
        lines: count_lines(text, from, text.length),
        chars: text.length - from
      };
      blocks.push(added);
      lines += added.lines;
      chars += added.chars;
      while (blocks.length > 1 && (lines > most_lines || chars > most_chars)) {
        const oldest = /** @type {typeof added} */ (blocks.shift());
        oldest.element.remove();
        lines -= oldest.lines;
        chars -= oldest.chars;
        drop(oldest.lines);
      }
    };
  }

  function scroll_soon() {
    if (scrolling) return;
    scrolling = true;
    requestAnimationFrame(() => {
      scrolling = false;
      screen.scrollTop = screen.scrollHeight;
    });
  }

  return {
    // Empties the screen for a new flight.
    clear() {
      screen.replaceChildren(line, answer);
      line.textContent = '';
      add_lines = scrollback();
    },
    // Shows `text`, written by the program or typed.
    show(/** @type {string} */ text) {
      const end = text.lastIndexOf('\n') + 1;
      const current = line.textContent || '';
      if (end === 0) {
        // A line of megabytes without a line end keeps its newest part only.
        const longer = current + text;
        line.textContent = longer.length > most_chars ? longer.slice(-most_chars) : longer;
      } else {
        add_lines(current + text.slice(0, end));
        line.textContent = text.slice(end);
      }
      scroll_soon();
    },
    // Shows in words, as an alert, why the flight cannot go on.
    alert(/** @type {string} */ why) {
      const message = document.createElement('p');
      message.className = 'failure';
      message.setAttribute('role', 'alert');
      message.textContent = why;
      screen.insertBefore(message, line);
    },
    // The newest line in sight.
    to_end() { screen.scrollTop = screen.scrollHeight; },
  };
}
