// @ts-check
// program_runner: runs the simulator, the C++ program compiled to
// WebAssembly (lm_simulator.js, see console/platform/browser.cpp), from its
// banner to its exit, handing it the bytes it reads. The live flight, its
// replay and the saved dialogue all run the program through it; it knows
// nothing of the page.
'use strict';

/**
 * What a run tells its owner.
 * @typedef {object} program_handlers
 * @property {(text: string) => void} output  what the program wrote, decoded
 * @property {(input: program_input) => void} waiting  the program reads and
 *     nothing is typed: the owner sends the next piece, ends the input, or lets
 *     the player type
 * @property {() => void} exited
 * @property {(reason: string | null) => void} failed  the program could not
 *     run: why, or null when lm_simulator.js did not load
 */
/**
 * What its owner sends the program.
 * @typedef {object} program_input
 * @property {(text: string) => void} send  text as typed, read in order
 * @property {() => void} end_input  the input's end, after what was sent
 * @property {() => number} read  how many bytes the program has read
 * @property {() => number} drop  lets go of what it has not read; returns how
 *     many bytes that was
 */

/**
 * Starts a run of the program; returns its input.
 * @param {program_handlers} handlers
 * @returns {program_input}
 */
function run_program(handlers) {
  // What keeps a long paste from freezing the tab or filling its memory: the
  // program gets the typed bytes a little at a time, and lets the browser in
  // between reads once it has worked for a while.
  const read_most = 4096;  // bytes handed to the program per read
  const busy_most = 12;    // milliseconds of work between pauses
  const encoder = new TextEncoder();
  const decoder = new TextDecoder();
  /** @type {Uint8Array[]} typed and not yet read by the program */
  const typed = [];
  let input_ended = false;
  /** @type {{max: number, resolve: (bytes: Uint8Array | null) => void} | null} */
  let reader = null;  // the program's pending read
  let idle = false;   // whether the program waits on its owner, not on work
  let work_began = performance.now();
  let read = 0;  // bytes handed to the program

  // Hands the program the next typed bytes, or the end of the input, or
  // tells the owner that it waits.
  function serve_read() {
    if (!reader) return;
    if (typed.length === 0 && !input_ended) {
      handlers.waiting(input);
      // Still waiting: no piece came at once, as one does in a replay.
      idle = reader !== null && typed.length === 0 && !input_ended;
      return;
    }
    const {max, resolve} = reader;
    reader = null;
    let chunk = null;
    if (typed.length > 0) {
      chunk = /** @type {Uint8Array} */ (typed.shift());
      const most = Math.min(max, read_most);
      if (chunk.length > most) {
        typed.unshift(chunk.subarray(most));
        chunk = chunk.subarray(0, most);
      }
      read += chunk.length;
    }
    if (performance.now() - work_began < busy_most) {
      resolve(chunk);
    } else {
      pause_then(() => {
        work_began = performance.now();
        resolve(chunk);
      });
    }
  }

  /** @type {program_input} */
  const input = {
    send(text) {
      if (input_ended || text === '') return;
      if (idle) work_began = performance.now();  // the player's time is no work
      idle = false;
      typed.push(encoder.encode(text));
      serve_read();
    },
    end_input() {
      if (input_ended) return;
      input_ended = true;
      serve_read();
    },
    read: () => read,
    drop: () => typed.splice(0).reduce((sum, bytes) => sum + bytes.length, 0),
  };

  if (!program_loaded()) {
    handlers.failed(null);
    return input;
  }
  create_lm_simulator({
    lm_next_input: (max) => new Promise((resolve) => {
      reader = {max, resolve};
      serve_read();
    }),
    lm_output: (bytes) => handlers.output(decoder.decode(bytes, {stream: true})),
    onExit: () => handlers.exited(),
    onAbort: (what) => handlers.failed(String(what)),
  }).catch((error) => handlers.failed(String(error && error.message || error)));
  return input;
}

// Runs `then` as a task of its own, after whatever the browser has waiting
// (input, drawing): faster than a timer, which browsers hold back.
const pause_then = (() => {
  const channel = new MessageChannel();
  /** @type {(() => void)[]} */
  const waiting = [];
  channel.port1.onmessage = () => /** @type {() => void} */ (waiting.shift())();
  return (/** @type {() => void} */ then) => {
    waiting.push(then);
    channel.port2.postMessage(null);
  };
})();

/**
 * Returns a promise of the whole dialogue of a flight as the terminal shows
 * it, what the screen has let go included: the program run again out of
 * sight on the flight's pieces, each echoed when the program waits for it,
 * as a replay sends them. (Kept as shown instead, the tens of megabytes of a
 * long flight slowed the flight down in some engines.)
 * @param {{sends: string[], ended: boolean}} flight
 * @returns {Promise<string[]>}
 */
function dialogue_of({sends, ended}) {
  return new Promise((done, failed) => {
    /** @type {string[]} */
    const parts = [];
    let next = 0;
    run_program({
      output: (text) => parts.push(text),
      waiting: (input) => {
        if (next < sends.length) {
          parts.push(sends[next]);
          input.send(sends[next++]);
        } else if (ended) {
          input.end_input();
        } else {
          done(parts);  // the flight waits here
        }
      },
      exited: () => done(parts),
      failed: (reason) => failed(new Error(reason ?? 'lm_simulator.js did not load')),
    });
  });
}
