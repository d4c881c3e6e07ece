// @ts-check
// flight_replay: a flight replayed from its link or a reload. Its pieces go
// to the program one each time it would wait for the player, so each echo
// falls where the player's did, then the end of the input if it was ended;
// the program's paced reading keeps the tab responsive meanwhile. A replay
// that takes a while shows how far it has come, with a Stop button that
// leaves the flight waiting where it got to.
'use strict';

/**
 * Returns the replays shown in `box`: its progress and Stop button.
 * @param {{box: HTMLElement, progress: HTMLProgressElement, stop: HTMLElement}} elements
 */
function flight_replay({box, progress, stop}) {
  const shown_after = 500;  // milliseconds: a replay this long shows its progress
  const encoder = new TextEncoder();
  /** @type {(() => void) | null} */
  let stop_now = null;
  stop.onclick = () => stop_now?.();

  return {
    /**
     * Returns the feeder of `replay` to a flight whose input `input()` is:
     * `next` sends the next piece or ends the input and returns true, or
     * returns false once there is nothing more. When stopped, `stopped` is
     * told how many bytes of the pieces sent the program never read.
     * @param {linked_flight | null} replay @param {() => program_input | null} input
     * @param {(unread: number) => void} stopped
     */
    feeder(replay, input, stopped) {
      let {sends, ended} = replay || {sends: [], ended: false};
      const total = sends.reduce((sum, text) => sum + encoder.encode(text).length, 0);
      const began = performance.now();
      let next = 0;
      const done = () => {
        clearInterval(timer);
        box.hidden = true;
        stop_now = null;
      };
      const timer = setInterval(() => {
        if (performance.now() - began < shown_after) return;
        progress.value = total ? (input()?.read() || 0) / total : 1;
        box.hidden = false;
      }, 250);
      stop_now = () => {
        [sends, ended] = [sends.slice(0, next), false];
        done();
        stopped(input()?.drop() || 0);
      };
      const more = () => next < sends.length || (ended && next === sends.length);
      return {
        more,
        next(/** @type {(text: string) => void} */ send, /** @type {() => void} */ end) {
          if (!more()) {
            done();
            return false;
          }
          if (next < sends.length) {
            send(sends[next++]);
          } else {
            next++;
            end();
          }
          return true;
        },
        // The flight has ended, its replay with it.
        end: done,
      };
    },
  };
}
