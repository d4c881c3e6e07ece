// @ts-check
// flight_page: the page itself. It wires the rooms (the program's runner,
// the terminal screen, the report reader, the chart, the spoken status, the
// record of the flights with their links, and the best landing with its
// challenge) and owns what is the page's: the flight's
// lifecycle, the player's input, and the layout around the question. It
// carries bytes between the program and the screen and draws what the
// program reports: everything the program says, and every number, comes
// from the program itself.
'use strict';

(() => {
  const element = (/** @type {string} */ id) =>
      /** @type {HTMLElement} */ (document.getElementById(id));
  const answer = /** @type {HTMLInputElement} */ (element('answer'));
  const line = element('prompt');
  const screen_element = element('screen');
  const button = (/** @type {string} */ id) => /** @type {HTMLButtonElement} */ (element(id));
  const [send_button, end_button, again_button] = ['send', 'end-input', 'fly-again'].map(button);
  const [end_ask, end_yes, end_no] = ['end-ask', 'end-yes', 'end-no'].map(element);
  const [end_ask_text, verdict_place] = ['end-ask-text', 'status'].map(element);
  const chart_element = /** @type {SVGSVGElement} */ (/** @type {unknown} */ (element('chart')));
  // The program's texts and figures, which lm_simulator.js begins with.
  const texts = typeof program === 'object' ? program : null;

  const screen = terminal_screen({screen: screen_element, line, answer});
  const chart = flight_chart(chart_element, texts);
  const status = flight_status(
      {status: element('status'), state: element('answer-state'), answer, chart: chart_element},
      texts);
  const replays = flight_replay({
    box: element('replaying'),
    progress: /** @type {HTMLProgressElement} */ (element('replay-progress')),
    stop: element('replay-stop')
  });
  const keys = rate_keys(element('rate-keys'), texts, (rate) => send(`${rate}\n`));
  const record = flight_record(
      {
        share: /** @type {HTMLAnchorElement} */ (element('share')),
        note: element('keep-note'),
        link_note: element('link-note'),
        answers_text: /** @type {HTMLTextAreaElement} */ (element('answers-text')),
        copy: element('copy-answers'),
        save_dialogue: element('save-dialogue'),
        save_chart: element('save-chart')
      },
      {storage: sessionStorage, dialogue_of, chart_file: () => chart.file()});
  const earlier = earlier_flights(
      {earlier: element('earlier'), clear: element('clear-earlier'), note: element('earlier-note')},
      {storage: () => localStorage, texts});
  record.on_finished(earlier.add);
  const best = best_landing_view(
      {
        best: element('best'),
        hint: element('best-hint'),
        links: element('best-links'),
        replay: /** @type {HTMLAnchorElement} */ (element('best-replay')),
        challenge: /** @type {HTMLAnchorElement} */ (element('challenge'))
      },
      {chart, texts});

  /**
   * The flight being flown: its reports, the program's input, whether the
   * player's input has ended, and all that was typed.
   * @type {{reports: ReturnType<typeof report_reader>, input: program_input | null, ended:
   *     boolean, replay: ReturnType<ReturnType<typeof flight_replay>['feeder']> | null, typed:
   *     string}}
   */
  let flight = {reports: report_reader(texts), input: null, ended: true, replay: null, typed: ''};
  let again_asked = false;  // a new flight waits for this one's end

  // The page's state for scripts and tests: running, waiting, ended, or
  // failed when the program cannot run.
  const state = () => document.body.dataset.state;
  const set_state = (/** @type {string} */ value) => { document.body.dataset.state = value; };

  // One run of the program, from the banner to its exit, replaying `replay`
  // first when there is one; `opened` is the challenge it answers.
  function start_flight(
      /** @type {linked_flight | null} */ replay, /** @type {challenge | null} */ opened = null) {
    const reports = report_reader(texts);
    const this_flight = {
      reports,
      input: /** @type {program_input | null} */ (null),
      ended: false,
      replay: /** @type {ReturnType<ReturnType<typeof flight_replay>['feeder']> | null} */ (null),
      typed: ''
    };
    flight = this_flight;
    again_asked = false;
    record.begin(reports.track);
    best.begin(opened);
    if (replay?.problem) record.say_link(replay.problem);
    screen.clear();
    chart.draw(reports.track);
    status.begin(reports.track, replay?.problem || null);
    set_state('running');
    end_ask.hidden = true;
    end_button.disabled = send_button.disabled = false;
    const feed = replays.feeder(replay, () => this_flight.input, (unread) => {
      record.unsent(unread);
      status.say('The replay was stopped: the flight waits where it got to.');
    });
    this_flight.replay = feed;
    this_flight.input = run_program({
      output: (text) => {
        screen.show(text);
        reports.read(text);
        chart.draw_soon(reports.track);
      },
      waiting: (input) => {
        this_flight.input = input;
        // The status follows a replay as it follows play, said once at its end.
        if (feed.more()) status.update(true, reports.pending(), true);
        if (!feed.next((text) => send(text, false), () => end_input(false))) wait();
      },
      exited: () => stop('ended'),
      failed: (reason) => fail(
          reason === null ?
              'The flight program, lm_simulator.js, did not load. Keep the page\'s files (index.html, ' +
                  'its scripts and lm_simulator.js) together in one folder and reload the page.' :
              `The flight program could not run in this browser (${reason}). Reloading the page ` +
                  'usually helps; if it does not, close other tabs to free memory, or open the page ' +
                  'in another up-to-date browser with JavaScript and WebAssembly allowed.'),
    });
  }

  // The program waits for the player.
  function wait() {
    record.settle();
    set_state('waiting');
    answer.disabled = false;
    screen.to_end();
    const pending = flight.reports.pending();
    status.update(true, pending, false);
    chart.flush();
    // A point only where the altitude is asked; fuel and rates are whole.
    answer.inputMode =
        texts && pending.endsWith(String(texts.altitude_prompt)) ? 'decimal' : 'numeric';
    // On a touch screen the rates' buttons answer, with the keyboard down.
    if (!keys.show(
            texts !== null && pending.endsWith(String(texts.rate_prompt).replace(/^\n/, ''))))
      answer.focus();
    hold_place();
  }

  function stop(/** @type {string} */ how) {
    if (how === 'ended') best.landed(flight.reports.track, flight.typed);
    flight.replay?.end();
    keys.show(false);
    record.settle();
    chart.flush();
    close_input();
    status.update(false, '', false);
    record.finished(how === 'ended');
    set_state(how);
    if (again_asked) return start_flight(null);
    // Keys already on their way when the flight ends land on the verdict:
    // only a deliberate press of "Fly again" starts another.
    if (how === 'ended') verdict_place.focus({preventScroll: true});
    else again_button.focus();
  }

  // Says in words why the program cannot run here, and what may help.
  function fail(/** @type {string} */ why) {
    if (state() === 'ended' || state() === 'failed') return;
    screen.alert(why);
    stop('failed');
  }

  // Sends `text` as typed, echoing it the way a terminal does; `played` by
  // the player, not a replay.
  function send(/** @type {string} */ text, played = true) {
    if (flight.ended || text === '' || !flight.input) return;
    text = decimal_points(text);
    record.sent(text, played);
    flight.typed += text;
    screen.show(text);
    set_state('running');  // until the program waits again
    flight.input.send(text);
  }

  function send_line() {
    const typed = `${answer.value}\n`;
    answer.value = '';
    send(typed);
    if (!answer.disabled) answer.focus();
  }

  function end_input(played = true) {
    if (flight.ended) return;
    send(answer.value, played);
    answer.value = '';
    close_input();
    record.ended(played);
    set_state('running');
    flight.input?.end_input();
  }

  // Nothing more can be typed. The answer lets go of the focus first: WebKit,
  // left with a focused input disabled, later scrolls the dialogue back up,
  // out of sight of the verdict.
  function close_input() {
    flight.ended = true;
    end_ask.hidden = true;
    answer.blur();
    answer.disabled = true;
    end_button.disabled = send_button.disabled = true;
  }

  // Where the locale writes decimals with a comma, a phone's decimal keypad
  // types "1300,5", which the program reads as 1300 and then refuses ",5": a
  // comma between digits is sent as the point the program reads, and so echoed.
  function decimal_points(/** @type {string} */ text) {
    let comma = false;
    try {
      comma = new Intl.NumberFormat(navigator.language).format(0.5).includes(',');
    } catch {
      // a language that is no locale, such as "c"
    }
    return comma ? text.replace(/(\d),(?=\d)/g, '$1.') : text;
  }

  // Keeps the question in sight when the page changes size under it (a phone
  // turned, a window resized, a keyboard coming up, over the page or not): the
  // dialogue's newest line, the answer with its prompt, and Send if they fit,
  // are scrolled into the part of the window in view.
  function hold_place() {
    const view = window.visualViewport || {offsetTop: 0, height: innerHeight, scale: 1};
    // A keyboard over the page leaves the page as tall: the page fits itself to
    // the part in view, with room below to scroll. Zoomed in by hand, the page
    // stays as it is and where the reader took it.
    const zoomed = view.scale > 1.01;
    const covered = zoomed ? 0 : Math.max(0, innerHeight - view.offsetTop - view.height);
    document.body.style.paddingBottom = covered ? `${covered}px` : '';
    document.documentElement.style.setProperty('--view', covered ? `${view.height}px` : '');
    if (state() !== 'waiting' || zoomed) return;
    screen.to_end();
    const top = view.offsetTop + element('link-note').offsetHeight;  // below the note on a link
    const bottom = top + view.height;
    const from = Math.min(line.getBoundingClientRect().top, answer.getBoundingClientRect().top);
    const to = send_button.getBoundingClientRect().bottom;
    // Send first if all does not fit, else as near the top of the page as they
    // stay in view (a longer status may have pushed them down a moment before).
    const rise = Math.min(from - top, Math.max(to - bottom, -scrollY));
    const shift = to > bottom ? Math.min(to - bottom, from - top) : rise;
    if (shift) scrollBy(0, shift);
  }

  // The player's input, bound once: it goes to the flight being flown.
  answer.onkeydown = (event) => {
    if (event.key === 'Enter') {
      event.preventDefault();
      send_line();
    } else if (event.key === 'd' && event.ctrlKey) {
      // As at a terminal: with text typed, Ctrl+D sends it without a line
      // end; on an empty line it ends the input.
      event.preventDefault();
      if (answer.value === '') {
        end_input();
      } else {
        send(answer.value);
        answer.value = '';
      }
    }
  };
  // A one-line input would join pasted lines into one; as at a terminal,
  // each pasted line is sent, and a last one without a line end stays.
  answer.onpaste = (event) => {
    const pasted = event.clipboardData && event.clipboardData.getData('text/plain');
    if (!pasted || !/[\r\n]/.test(pasted)) return;
    event.preventDefault();
    const [from, to] =
        [answer.selectionStart ?? answer.value.length, answer.selectionEnd ?? answer.value.length];
    const lines =
        (answer.value.slice(0, from) + pasted + answer.value.slice(to)).replace(/\r\n?/g, '\n');
    const end = lines.lastIndexOf('\n') + 1;
    answer.value = lines.slice(end);
    send(lines.slice(0, end));
  };
  send_button.onclick = send_line;
  // A tap anywhere on the dialogue goes to the answer, unless it selects.
  screen_element.onclick = () => {
    if (!answer.disabled && !String(getSelection())) answer.focus();
  };
  // "End input", and "Fly again" during a flight, abandon it: the page asks
  // first, in the page itself (a browser's own dialog is handled badly by
  // screen readers and drivers). A new flight follows this one's end.
  const ask = (/** @type {boolean} */ again) => {
    end_ask_text.textContent =
        again ? 'A new flight abandons this one.' : 'Ending the input abandons this flight.';
    end_yes.textContent = again ? 'Fly again' : 'End it';
    end_ask.dataset.again = again ? 'yes' : '';
    end_ask.hidden = false;
    end_no.focus();
  };
  end_button.onclick = () => ask(false);
  end_yes.onclick = () => {
    end_ask.hidden = true;
    again_asked = end_ask.dataset.again === 'yes';
    end_input();
  };
  end_no.onclick = () => {
    end_ask.hidden = true;
    answer.focus();
  };
  end_ask.onkeydown = (event) => {
    if (event.key === 'Escape') end_no.click();
  };
  again_button.onclick = () => flight.ended ? start_flight(null) : ask(true);
  for (const target of [window, window.visualViewport])
    target?.addEventListener('resize', hold_place);

  // The help's figures and units are the program's, the touchdown limits
  // said as speeds; without the program (which says so) the help has none.
  if (texts) {
    for (const figure of document.querySelectorAll('[data-limit]'))
      figure.textContent =
          String(Math.abs(Number(texts[/** @type {HTMLElement} */ (figure).dataset.limit || ''])));
    for (const unit of document.querySelectorAll('[data-unit]'))
      unit.textContent =
          String(texts[`${/** @type {HTMLElement} */ (unit).dataset.unit}_unit`]).trim();
  }
  // A challenge's link holds its start, typed from it, unless a reload
  // brings back the flight this tab kept since, which still answers it.
  const restored = record.opened();
  const opened = flight_challenge.of(record.opened_from());
  start_flight(opened && (!restored || restored.problem) ? opened.flight : restored, opened);
})();
