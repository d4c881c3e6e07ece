// The page's side of the simulator: it carries bytes between the program
// (compiled to WebAssembly, see console/platform/browser.cpp) and the
// screen, echoes what the player types as a terminal would, and draws the
// altitude and velocity from the reports shown. Everything the program
// says, and every number, comes from the program itself.
'use strict';

const screen = document.getElementById('screen');
const answer = document.getElementById('answer');
// The line still being written; the input follows it, so it sits at the
// prompt, and the prompt is the input's accessible name (see flight_status).
const current_line = document.getElementById('prompt');
const send_button = document.getElementById('send');
const end_button = document.getElementById('end-input');
const again_button = document.getElementById('fly-again');
const chart = document.getElementById('chart');
const encoder = new TextEncoder();

// What keeps a long paste from freezing the tab or filling its memory: the
// program gets the typed bytes a little at a time, the page lets the
// browser in between reads once it has worked for a while, and the screen
// keeps only its newest lines, as a terminal's scrollback does.
const read_most = 4096;  // bytes handed to the program per read
const busy_most = 12;    // milliseconds of work between pauses
const scrollback_lines = 2000;
const scrollback_chars = 200000;
// Up to this many seconds every second is a vertex of the chart's lines;
// beyond, each pixel column has its lowest and highest value.
const every_second_up_to = 300;

// Runs `then` as a task of its own, after whatever the browser has waiting
// (input, drawing): faster than a timer, which browsers hold back.
const pause_channel = new MessageChannel();
const after_pause = [];
pause_channel.port1.onmessage = () => after_pause.shift()();
function pause_then(then) {
  after_pause.push(then);
  pause_channel.port2.postMessage(null);
}

// Returns how many line ends text[from, to) holds.
function count_lines(text, from, to) {
  let count = 0;
  for (let at = text.indexOf('\n', from); at >= 0 && at < to; at = text.indexOf('\n', at + 1)) {
    count++;
  }
  return count;
}

// Returns where the part of `text` (whole lines) that the scrollback keeps
// begins: at most scrollback_lines lines and scrollback_chars characters,
// cut at a line's start unless one line alone is longer.
function kept_from(text) {
  let from = text.length - 1;
  for (let lines = 0; lines < scrollback_lines && from > 0; lines++) {
    from = text.lastIndexOf('\n', from - 1);
  }
  from = from <= 0 ? 0 : from + 1;
  if (text.length - from > scrollback_chars) {
    const least = text.length - scrollback_chars;
    const next_line = text.indexOf('\n', least) + 1;
    from = next_line > 0 && next_line < text.length ? next_line : least;
  }
  return from;
}

// The dialogue's complete lines: a block per write, so that the browser
// lays out only what is new, and the oldest blocks leave once there are
// too many lines, with a note in their place.
function scrollback() {
  const blocks = [];  // { element, lines, chars }, oldest first
  let lines = 0;
  let chars = 0;
  let dropped = 0;
  let note = null;

  function drop(count) {
    dropped += count;
    if (!note) {
      note = document.createElement('div');
      note.className = 'scrollback';
      screen.insertBefore(note, screen.firstChild);
    }
    note.textContent = `[${dropped.toLocaleString('en')} earlier lines are no longer shown]\n`;
  }

  return (text) => {
    const from = kept_from(text);
    if (from > 0) drop(count_lines(text, 0, from));
    const block = document.createElement('div');
    block.textContent = from > 0 ? text.slice(from) : text;
    screen.insertBefore(block, current_line);
    const added = {
      element: block,
      lines: count_lines(text, from, text.length),
      chars: text.length - from
    };
    blocks.push(added);
    lines += added.lines;
    chars += added.chars;
    while (blocks.length > 1 && (lines > scrollback_lines || chars > scrollback_chars)) {
      const oldest = blocks.shift();
      oldest.element.remove();
      lines -= oldest.lines;
      chars -= oldest.chars;
      drop(oldest.lines);
    }
  };
}

// One run of the program, from the banner to its exit.
function start_flight() {
  const kept = keep_flight();  // before the reports let go of the last flight's track
  const replay = replay_feeder();
  screen.replaceChildren(current_line, answer);
  current_line.textContent = '';
  const add_lines = scrollback();
  const typed = [];  // Uint8Arrays typed and not yet read by the program
  let input_ended = false;
  let reader = null;  // the program's pending read: { max, resolve }
  let work_began = performance.now();
  let scrolling = false;
  const decoder = new TextDecoder();
  const reports = report_reader();
  const status = flight_status(reports);

  set_state('running');
  again_button.hidden = true;
  end_button.disabled = false;
  send_button.disabled = false;

  function scroll_soon() {
    if (scrolling) return;
    scrolling = true;
    requestAnimationFrame(() => {
      scrolling = false;
      screen.scrollTop = screen.scrollHeight;
    });
  }

  function show(text) {
    const end = text.lastIndexOf('\n') + 1;
    if (end === 0) {
      // A line of megabytes without a line end keeps its newest part only.
      const line = current_line.textContent + text;
      current_line.textContent =
          line.length > scrollback_chars ? line.slice(-scrollback_chars) : line;
    } else {
      add_lines(current_line.textContent + text.slice(0, end));
      current_line.textContent = text.slice(end);
    }
    scroll_soon();
  }

  // Hands the program the next typed bytes, or the end of the input, or
  // lets the player type when there is nothing yet.
  function serve_read() {
    if (!reader) return;
    if (typed.length === 0 && !input_ended) {
      if (replay(send, end_input)) return;
      kept.settle();
      set_state('waiting');
      answer.disabled = false;
      screen.scrollTop = screen.scrollHeight;
      status.update(true);
      reports.draw();
      answer.focus();
      hold_place();
      return;
    }
    const {max, resolve} = reader;
    reader = null;
    set_state('running');
    let chunk = null;
    if (typed.length > 0) {
      chunk = typed.shift();
      const most = Math.min(max, read_most);
      if (chunk.length > most) {
        typed.unshift(chunk.subarray(most));
        chunk = chunk.subarray(0, most);
      }
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

  // Sends `text` as typed, echoing it the way a terminal does.
  function send(text) {
    if (input_ended || text === '') return;
    text = decimal_points(text);
    kept.sent(text);
    show(text);
    if (document.body.dataset.state === 'waiting') work_began = performance.now();
    typed.push(encoder.encode(text));
    serve_read();
  }

  function send_line() {
    const line = answer.value + '\n';
    answer.value = '';
    send(line);
    if (!answer.disabled) answer.focus();
  }

  function end_input() {
    if (input_ended) return;
    send(answer.value);
    answer.value = '';
    close_input();
    kept.ended = true;
    serve_read();
  }

  // Nothing more can be typed. The answer lets go of the focus first: WebKit,
  // left with a focused input disabled, later scrolls the dialogue back up,
  // out of sight of the verdict.
  function close_input() {
    input_ended = true;
    end_ask.hidden = true;
    answer.blur();
    answer.disabled = true;
    end_button.disabled = true;
    send_button.disabled = true;
  }

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
    const text = answer.value.slice(0, answer.selectionStart) + pasted +
        answer.value.slice(answer.selectionEnd);
    const lines = text.replace(/\r\n?/g, '\n');
    const end = lines.lastIndexOf('\n') + 1;
    answer.value = lines.slice(end);
    send(lines.slice(0, end));
  };
  send_button.onclick = send_line;
  ask_before_ending(end_input);
  // A tap anywhere on the dialogue goes to the answer, unless it selects.
  screen.onclick = () => {
    if (!answer.disabled && !String(getSelection())) answer.focus();
  };

  function stop(state) {
    kept.settle();
    reports.draw();
    close_input();
    status.update(false);
    again_button.hidden = false;
    set_state(state);
    again_button.focus();
  }

  // Says in words why the program cannot run here, and what may help.
  function fail(why) {
    const state = document.body.dataset.state;
    if (state === 'ended' || state === 'failed') return;
    const message = document.createElement('p');
    message.className = 'failure';
    message.setAttribute('role', 'alert');
    message.textContent = why;
    screen.insertBefore(message, current_line);
    stop('failed');
  }
  const cannot_start = (reason) => fail(
      `The flight program could not run in this browser (${reason}). Reloading the page ` +
      'usually helps; if it does not, close other tabs to free memory, or open the page in ' +
      'another up-to-date browser with JavaScript and WebAssembly allowed.');

  if (typeof create_lm_simulator !== 'function') {
    fail(
        'The flight program, lm_simulator.js, did not load. Keep index.html, ' +
        'flight_page.js and lm_simulator.js together in one folder and reload the page.');
    return;
  }
  create_lm_simulator({
    lm_next_input: (max) => new Promise((resolve) => {
      reader = {max, resolve};
      serve_read();
    }),
    lm_output: (bytes) => {
      const text = decoder.decode(bytes, {stream: true});
      show(text);
      reports.read(text);
    },
    onExit: () => stop('ended'),
    onAbort: (what) => cannot_start(String(what)),
  }).catch((error) => cannot_start(String(error && error.message || error)));
}

// The page's state for scripts and tests: running, waiting, ended, or
// failed when the program cannot run.
function set_state(state) { document.body.dataset.state = state; }

// Returns the lines of the program's reports as patterns made from its own
// texts (`program`, which the build writes into lm_simulator.js): each
// label, a number padded to its width, and its unit. A report may follow a
// prompt answered ahead on the same line, so only lines that begin with
// padding are anchored there.
function report_patterns() {
  const escaped = (text) => text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
  const as_line = (text) => text.replace(/^\n|\n$/g, '');
  const report_line = (name) => {
    const [label, end] = [program[`${name}_label`], as_line(program[`${name}_unit`])];
    const from = label.startsWith(' ') ? '^' : '';
    return {end, line: new RegExp(`${from}${escaped(label)} *(\\S+)${escaped(end)}$`)};
  };
  const out_of_fuel = ['time', 'altitude', 'velocity'].map(
      (name) => `${escaped(program[`out_of_fuel_${name}_label`])} *(\\S+)`);
  return {
    time: report_line('time'),
    fuel: report_line('fuel'),
    rate: report_line('rate'),
    altitude: report_line('altitude'),
    velocity: report_line('velocity'),
    out_of_fuel: new RegExp(`${out_of_fuel.join('')}$`),
    landing_heading: as_line(program.landing_heading),
    verdict: new RegExp(`^${escaped(as_line(program.status_at_landing))}(.*)$`),
  };
}

// Reads the program's output as it comes and draws its state reports,
// out-of-fuel lines and verdict, each frame, and at once when asked (when
// the page waits or the flight has ended). Only the
// program's own bytes are read: nothing the player types can pass for a
// report. An answer typed ahead makes the report follow its prompt on the
// same line, so a report is recognised by the end of its line.
function report_reader() {
  const track =
      {times: [], altitudes: [], velocities: [], touchdown: null, verdict: null, fuel_text: null};
  // The newest report's texts, the verdict's whole line, and the lines that are no report.
  Object.assign(track, {latest: null, verdict_line: null, notes: []});
  let line = '';
  let time = null;
  let altitude = null;
  let landing_next = false;
  let drawing = false;
  // Without the program, which the page then says, there is nothing to read.
  const patterns = typeof program === 'object' ? report_patterns() : null;

  function add(t, h, v, f) {
    if (landing_next) track.touchdown = {time: t, velocity_text: v, fuel_text: track.fuel_text};
    landing_next = false;
    track.times.push(t);
    track.altitudes.push(Number(h));
    track.velocities.push(Number(v));
    track.latest = {time: t, altitude: h, velocity: v, fuel: f};
  }

  // A line is told by its end (a unit), then read whole.
  function take(text) {
    let m;
    if (!patterns) return;
    if (text.endsWith(patterns.velocity.end)) {
      if ((m = patterns.velocity.line.exec(text)) && time !== null) {
        add(time, altitude, m[1], track.fuel_text);
      }
      time = null;
    } else if (text.endsWith(patterns.altitude.end)) {
      if ((m = patterns.altitude.line.exec(text))) altitude = m[1];
    } else if (text.endsWith(patterns.fuel.end)) {
      if ((m = patterns.fuel.line.exec(text))) track.fuel_text = m[1];
    } else if (text.endsWith(patterns.time.end)) {
      if ((m = patterns.time.line.exec(text))) time = Number(m[1]);
    } else if (patterns.rate.line.test(text)) {
      // the rate, which the player chose
    } else if ((m = patterns.out_of_fuel.exec(text))) {
      add(Number(m[1]), m[2], m[3], null);
    } else if (text === patterns.landing_heading) {
      landing_next = true;
    } else if ((m = patterns.verdict.exec(text))) {
      track.verdict = m[1];
      track.verdict_line = text;
    } else if (text.trim()) {
      track.notes.push(text);
    }
  }

  const redraw = () => {
    if (!drawing) return;
    drawing = false;
    draw_chart(track);
  };
  draw_chart(track);
  chart_track = track;
  const read = (text) => {
    const all = line + text;
    let from = 0;
    for (let end = all.indexOf('\n'); end >= 0; end = all.indexOf('\n', from)) {
      take(all.slice(from, end));
      from = end + 1;
    }
    line = all.slice(from);
    if (!drawing) {
      drawing = true;
      requestAnimationFrame(redraw);
    }
  };
  return {read, draw: redraw, track, pending: () => line};
}

// The flight drawn last, drawn again when the chart changes size.
let chart_track = null;

// Returns a "nice" step (1, 2 or 5 times a power of ten) for about
// `count` ticks over span.
function tick_step(span, count) {
  const rough = span / count;
  const power = 10 ** Math.floor(Math.log10(rough));
  const scaled = rough / power;
  return power * (scaled <= 1 ? 1 : scaled <= 2 ? 2 : scaled <= 5 ? 5 : 10);
}

// Returns the lowest and highest of the values and those of `always`.
function extent(values, always) {
  let low = Math.min(...always);
  let high = Math.max(...always);
  for (const value of values) {
    if (!Number.isFinite(value)) continue;
    if (value < low) low = value;
    if (value > high) high = value;
  }
  return [low, high];
}

// Returns an axis over [low, high] with about `count` ticks: its rounded
// ends, and each tick's value and label (with as many decimals as the step).
function axis([low, high], count) {
  if (high - low < 1e-9) high = low + 1;
  const step = tick_step(high - low, count);
  const first = Math.floor(low / step);
  const last = Math.ceil(high / step);
  const decimals = Math.max(0, -Math.floor(Math.log10(step)));
  const ticks = [];
  for (let i = first; i <= last; i++) {
    ticks.push({value: i * step, label: (i * step).toFixed(decimals).replace(/^-(0\.?0*)$/, '$1')});
  }
  return {low: first * step, high: last * step, ticks};
}

const measure = document.createElement('canvas').getContext('2d');
// Returns the width in pixels of `text` in the chart's font of `size` px,
// rounded up with a pixel to spare.
function text_width(text, size) {
  measure.font = `${size}px system-ui, sans-serif`;
  return Math.ceil(measure.measureText(text).width) + 1;
}

function svg(name, attributes, text) {
  const element = document.createElementNS('http://www.w3.org/2000/svg', name);
  for (const [key, value] of Object.entries(attributes)) element.setAttribute(key, value);
  if (text !== undefined) element.textContent = text;
  return element;
}

// Returns the words of `text` as lines no wider than `width`.
function wrap(text, size, width) {
  const lines = [];
  let line = '';
  for (const word of text.split(' ')) {
    const longer = line ? `${line} ${word}` : word;
    if (line && text_width(longer, size) > width) {
      lines.push(line);
      line = word;
    } else {
      line = longer;
    }
  }
  lines.push(line);
  return lines;
}

// Returns the indices of the points drawn as vertices: all of them up to
// every_second_up_to, else in each pixel column the lowest and the highest
// value, in the order flown, so a long flight keeps its shape.
function vertices(xs, values) {
  if (xs.length <= every_second_up_to) return xs.map((_, i) => i);
  const kept = [];
  let column = null;
  let low = -1;
  let high = -1;
  const close = () => {
    if (low < 0) return;
    kept.push(Math.min(low, high));
    if (high !== low) kept.push(Math.max(low, high));
  };
  for (let i = 0; i < xs.length; i++) {
    if (!Number.isFinite(values[i])) continue;
    const here = Math.floor(xs[i]);
    if (here !== column) {
      close();
      column = here;
      low = high = i;
    } else if (values[i] < values[low]) {
      low = i;
    } else if (values[i] > values[high]) {
      high = i;
    }
  }
  close();
  return kept;
}

// Draws the flight in the chart's own pixels, so that its text has the
// size the style sheet gives it. Every text lies outside the plotting
// area, each in a band of its own: the legend above, the altitude's ticks
// to the left, the velocity's to the right, time and the verdict below.
function draw_chart(track) {
  const size = chart.getBoundingClientRect();
  const width = Math.max(240, size.width);
  const height = Math.max(160, size.height);
  chart.setAttribute('viewBox', `0 0 ${width} ${height}`);
  const small = 12;
  const row = 16;
  const gap = 6;
  const edge = 4;

  const t_axis_range = extent(track.times, [0, 10]);
  const h_axis = axis(extent(track.altitudes, [0]), 5);
  const v_axis = axis(extent(track.velocities, [0]), 5);
  const widest = (ticks) => Math.max(...ticks.map((tick) => text_width(tick.label, small)));
  const left = edge + widest(h_axis.ticks) + gap;
  // Time's tick labels are centred; the last must fit beside the plot too.
  let right = width - edge - widest(v_axis.ticks) - gap;
  let t_axis = axis(t_axis_range, 5);
  for (let count = 5; count > 1; count--) {
    t_axis = axis(t_axis_range, count);
    right = Math.min(
        width - edge - widest(v_axis.ticks) - gap,
        width - edge - text_width(t_axis.ticks[t_axis.ticks.length - 1].label, small) / 2);
    const spacing = (right - left) / (t_axis.ticks.length - 1);
    if (spacing > widest(t_axis.ticks) + gap) break;
  }

  const parts = [];
  // The legend: one row, or two when the chart is narrow.
  const legend = ['altitude (m)', 'vertical velocity (m/s)'];
  const legend_rows =
      text_width(legend[0], small) + text_width(legend[1], small) + 2 * gap > width - 2 * edge ? 2 :
                                                                                                 1;
  parts.push(svg('text', {x: edge, y: edge + small, class: 'altitude-key'}, legend[0]));
  parts.push(
      svg('text', {
        x: width - edge,
        y: edge + small + (legend_rows - 1) * row,
        'text-anchor': 'end',
        class: 'velocity-key'
      },
          legend[1]));

  const verdict_lines = track.touchdown ?
      wrap(
          `touchdown at ${track.touchdown.velocity_text} m/s: ${track.verdict || ''}`, 13,
          width - 2 * edge) :
      [];
  const top = edge + legend_rows * row + small;
  const bottom = height - edge - (2 + verdict_lines.length) * row - 4;
  const plot_bottom = Math.max(bottom, top + 40);

  const x = (t) => left + (t - t_axis.low) / (t_axis.high - t_axis.low) * (right - left);
  const y_of = (a) => (value) =>
      plot_bottom - (value - a.low) / (a.high - a.low) * (plot_bottom - top);
  const y_h = y_of(h_axis);
  const y_v = y_of(v_axis);

  // Vertical ticks fewer when they would crowd: each label needs a row.
  const every = (a, y) =>
      Math.max(1, Math.ceil(row / Math.abs(y(a.ticks[0].value) - y(a.ticks[1].value))));
  const h_every = every(h_axis, y_h);
  h_axis.ticks.forEach((tick, i) => {
    if (i % h_every === 0) {
      parts.push(
          svg('text', {x: left - gap, y: y_h(tick.value) + 4, 'text-anchor': 'end'}, tick.label));
    }
  });
  const v_every = every(v_axis, y_v);
  v_axis.ticks.forEach((tick, i) => {
    if (i % v_every === 0) {
      parts.push(svg('text', {x: right + gap, y: y_v(tick.value) + 4}, tick.label));
    }
  });
  for (const tick of t_axis.ticks) {
    parts.push(
        svg('text', {x: x(tick.value), y: plot_bottom + small + 8, 'text-anchor': 'middle'},
            tick.label));
  }
  parts.push(svg(
      'text', {x: (left + right) / 2, y: plot_bottom + small + 8 + row, 'text-anchor': 'middle'},
      'elapsed time (s)'));
  verdict_lines.forEach(
      (line, i) => parts.push(
          svg('text', {
            class: 'verdict',
            x: width / 2,
            y: plot_bottom + small + 8 + (2 + i) * row,
            'text-anchor': 'middle'
          },
              line)));

  const axis_line = (x1, y1, x2, y2, extra) =>
      svg('line', {class: 'axis', x1, y1, x2, y2, ...extra});
  parts.push(axis_line(left, plot_bottom, right, plot_bottom));
  parts.push(axis_line(left, top, left, plot_bottom));
  parts.push(axis_line(right, top, right, plot_bottom));
  parts.push(axis_line(left, y_v(0), right, y_v(0), {'stroke-dasharray': '3 3'}));

  const xs = track.times.map(x);
  const line_of = (name, y, values) => svg('polyline', {
    class: name,
    points:
        vertices(xs, values).map((i) => `${xs[i].toFixed(1)},${y(values[i]).toFixed(1)}`).join(' '),
  });
  parts.push(line_of('altitude', y_h, track.altitudes), line_of('velocity', y_v, track.velocities));
  if (track.touchdown) {
    parts.push(svg('circle', {class: 'touchdown', cx: x(track.touchdown.time), cy: y_h(0), r: 5}));
  }
  // For scripts and tests: how many reported seconds the chart holds.
  chart.dataset.seconds = track.times.length;
  // The chart's name says the state; its ticks one by one would say nothing.
  const drawn = svg('g', {'aria-hidden': 'true'});
  drawn.append(...parts);
  chart.replaceChildren(drawn);
}

// A flight is its answers: the page keeps the pieces of text it sent the
// program, as they were sent, and whether the input was ended. Sent again
// the same way they give the same flight, byte for byte, in any engine and
// at a terminal; so a link, a reload and the copy all carry just these.
const share = document.getElementById('share');
const keep_note = document.getElementById('keep-note');
const answers_text = document.getElementById('answers-text');
const earlier = document.getElementById('earlier');
const fragment_start = '#answers=';
const fragment_end = '&end';
const stored_flight = 'lm_simulator.flight';
const stored_earlier = 'lm_simulator.earlier';
const earlier_most = 10;
// What the address's fragment was when the page loaded: a reload restores
// the stored flight only if it came from the same link.
const opened_with = location.hash;
let kept_flight = null;  // the flight being flown
let replay_from = null;  // what the next flight replays: { sends, ended, problem }

function say(text) { keep_note.textContent = text; }

// Returns a piece of text as a link holds it: space as "_", a line end as
// "*", or as "~" when it ends the piece (a line sent with Enter), and every
// character but letters, digits, "." and "-" percent-encoded, so that the
// link survives being pasted into mail or chat.
function link_piece(text) {
  const line = text.endsWith('\n');
  const body = encodeURIComponent(line ? text.slice(0, -1) : text)
                   .replace(/[_~*!'()]/g, (c) => `%${c.charCodeAt(0).toString(16).toUpperCase()}`)
                   .replace(/%20/g, '_')
                   .replace(/%0A/g, '*');
  return line ? `${body}~` : body;
}

// Returns what a fragment holds: the pieces to send, whether the input was
// ended, and in words what could not be used (the pieces before it are).
// The fragment is anyone's text: it only ever becomes text to send.
function answers_of(fragment) {
  const shown = JSON.stringify(fragment.slice(0, 60));
  if (!fragment.startsWith(fragment_start)) {
    return {
      sends: [],
      ended: false,
      problem: `The address ends in ${shown}, which holds no flight's answers ` +
          `(they follow "${fragment_start}"): a new flight starts.`
    };
  }
  let body = fragment.slice(fragment_start.length);
  const ended = body.endsWith(fragment_end);
  if (ended) body = body.slice(0, -fragment_end.length);
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
      return {
        sends,
        ended: false,
        problem: `Line ${i + 1} of this link's answers, ${part}, is not well-formed ` +
            'percent-encoded text: the flight is replayed up to the line before it.'
      };
    }
  }
  return {sends, ended, problem: null};
}

// Returns the flight's fragment, as a link and the stored flight hold it.
const fragment_of = (flight) => fragment_start + flight.link + (flight.ended ? fragment_end : '');
const page_address = () => location.href.split('#')[0];

// Stores `value`, or says why a reload will not find it.
function store(key, value) {
  try {
    sessionStorage.setItem(key, value);
  } catch (error) {
    say(`This tab could not keep the flight for a reload (${error.name}: ${error.message}). ` +
        'Its link and "Copy answers" still hold it.');
  }
}

function stored(key) {
  try {
    return JSON.parse(sessionStorage.getItem(key));
  } catch { return null; }
}

// Starts keeping a new flight's answers, after listing the last one among
// the earlier flights when it had any.
function keep_flight() {
  if (kept_flight && kept_flight.sends.length > 0) remember(kept_flight, chart_track);
  say('');
  answers_text.hidden = true;
  kept_flight = {
    sends: [],
    link: '',
    ended: false,
    sent(text) {
      this.sends.push(text);
      this.link += link_piece(text);
    },
    // Once the page waits or the flight has ended: the link and the stored
    // flight catch up (not at every piece, which a long replay sends).
    settle() {
      const fragment = fragment_of(this);
      share.href = page_address() + fragment;
      store(stored_flight, JSON.stringify({opened_with, fragment}));
    }
  };
  return kept_flight;
}

// Returns what feeds a new flight the pieces it replays: one each time the
// program would wait for the player, so each echo falls where the player's
// did, then the end of the input if it was ended. The pieces go through the
// paced reading that keeps a long paste from freezing the tab.
function replay_feeder() {
  const {sends, ended, problem} = replay_from || {sends: [], ended: false, problem: null};
  replay_from = null;
  if (problem) say(problem);
  let next = 0;
  return (send, end_input) => {
    if (next < sends.length) {
      send(sends[next++]);
    } else if (ended && next++ === sends.length) {
      end_input();
    } else {
      return false;
    }
    return true;
  };
}

// What the page replays when it loads: after a reload, the flight stored by
// this tab, else the link's answers.
function flight_at_load() {
  show_earlier(earlier_flights());
  const how = performance.getEntriesByType('navigation')[0];
  const returning = !how || how.type === 'reload' || how.type === 'back_forward';
  const saved = stored(stored_flight);
  const fragment = returning && saved && saved.opened_with === opened_with ?
      String(saved.fragment) :
      opened_with;
  if (fragment.length > 1) replay_from = answers_of(fragment);
}

// Adds a finished flight to this tab's list, its figures as its reports
// gave them.
function remember(flight, track) {
  const list = earlier_flights();
  const landed = track.touchdown;
  list.unshift({
    seconds: landed ? landed.time : track.times.at(-1) ?? null,
    velocity: landed ? landed.velocity_text : null,
    fuel: landed ? landed.fuel_text : track.fuel_text,
    verdict: track.verdict,
    fragment: fragment_of(flight)
  });
  list.length = Math.min(list.length, earlier_most);
  store(stored_earlier, JSON.stringify(list));
  show_earlier(list);
}

// Returns the tab's list of earlier flights, newest first.
function earlier_flights() {
  const list = stored(stored_earlier);
  return Array.isArray(list) ? list : [];
}

function show_earlier(list) {
  const items = list.map((flight) => {
    const item = document.createElement('li');
    const flown = flight.seconds === null ? 'no second flown' : `${flight.seconds} s flown`;
    const fuel = flight.fuel === null ? '' : `, ${flight.fuel} l left`;
    const end = flight.velocity === null ?
        ', no touchdown' :
        `, touchdown at ${flight.velocity} m/s: ${flight.verdict}`;
    const link = document.createElement('a');
    link.href = page_address() + String(flight.fragment);
    link.textContent = 'replay';
    item.append(`${flown}${fuel}${end} `, link);
    return item;
  });
  earlier.querySelector('ol').replaceChildren(...items);
  earlier.hidden = items.length === 0;
}

// A link to another flight opened in this tab: the page starts over with
// it, the flight left listed among the earlier ones.
addEventListener('hashchange', () => {
  if (kept_flight.sends.length > 0) remember(kept_flight, chart_track);
  location.reload();
});

// The answers as a file of them holds them: at a terminal the file's end
// ends the input, where the page's flight had its input ended.
async function copy_answers() {
  const text = kept_flight.sends.join('');
  try {
    await navigator.clipboard.writeText(text);
    answers_text.hidden = true;
    say(`Copied ${encoder.encode(text).length} bytes of answers: paste them into the answer ` +
        'field, or save them as answers.txt and run lm_simulator < answers.txt.');
  } catch (error) {
    answers_text.value = text;
    answers_text.hidden = false;
    answers_text.select();
    say(`The answers could not be copied (${error && error.message || error}): they are ` +
        'selected below, to copy by hand.');
  }
}

// Returns a promise of the whole dialogue as the terminal shows it, also
// what the screen has let go: the program run again out of sight on the
// flight's pieces, each echoed when the program waits for it, as a replay
// sends them. Kept as shown instead, the tens of megabytes of a long flight
// slowed the flight down in some engines.
function dialogue_of({sends, ended}) {
  return new Promise((done, failed) => {
    const parts = [];
    const decoder = new TextDecoder();
    let [next, pending] = [0, new Uint8Array(0)];
    const read = (max) => {
      if (pending.length === 0 && next < sends.length) {
        parts.push(sends[next]);
        pending = encoder.encode(sends[next++]);
      }
      if (pending.length === 0 && !ended) done(parts);  // the flight waits here
      if (pending.length === 0) return ended ? Promise.resolve(null) : new Promise(() => {});
      const chunk = pending.subarray(0, max);
      pending = pending.subarray(chunk.length);
      return Promise.resolve(chunk);
    };
    create_lm_simulator({
      lm_next_input: read,
      lm_output: (bytes) => parts.push(decoder.decode(bytes, {stream: true})),
      onExit: () => done(parts),
      onAbort: (what) => failed(new Error(String(what))),
    }).catch(failed);
  });
}

async function save_dialogue() {
  try {
    save('lm_flight.txt', 'text/plain', await dialogue_of(kept_flight));
  } catch (error) { say(`The dialogue could not be saved (${error.message}).`); }
}

// Offers `parts` as a file to download.
function save(name, type, parts) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob(parts, {type}));
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

// Returns the chart as a file of its own: the style sheet's colours and
// fonts written onto each element, on the chart's background.
function chart_file() {
  const copy = chart.cloneNode(true);
  const drawn = [chart, ...chart.querySelectorAll('*')];
  const copies = [copy, ...copy.querySelectorAll('*')];
  const properties = ['fill', 'stroke', 'stroke-width', 'font-family', 'font-size', 'font-style'];
  drawn.forEach((element, i) => {
    const style = getComputedStyle(element);
    copies[i].setAttribute(
        'style', properties.map((p) => `${p}:${style.getPropertyValue(p)}`).join(';'));
  });
  const {width, height} = chart.viewBox.baseVal;
  copy.setAttribute('width', width);
  copy.setAttribute('height', height);
  const background = getComputedStyle(chart).backgroundColor;
  copy.prepend(svg('rect', {width: '100%', height: '100%', fill: background}));
  return new XMLSerializer().serializeToString(copy);
}

// The help's figures are the program's limits, the touchdown limits said as
// speeds; without the program (which says so) the help has none.
if (typeof program === 'object') {
  for (const figure of document.querySelectorAll('[data-limit]'))
    figure.textContent = String(Math.abs(program[figure.dataset.limit]));
}

document.getElementById('copy-answers').onclick = copy_answers;
document.getElementById('save-dialogue').onclick = save_dialogue;
document.getElementById('save-chart').onclick = () =>
    save('lm_flight_chart.svg', 'image/svg+xml', [chart_file()]);

new ResizeObserver(() => {
  if (chart_track) draw_chart(chart_track);
}).observe(chart);

// Returns the program's verdicts by grade; the page's plain words for each
// grade follow.
const verdict_texts =
    () => [program.soft_landing, program.hard_landing, program.crash].map((t) => t.trim());
const verdict_words = ['Soft landing', 'Hard landing', 'Crash'];
const chart_name = chart.getAttribute('aria-label');

// Returns the texts as sentences, each ended by its stop.
const sentences = (texts) =>
    texts.filter(Boolean).map((t) => /[.!?:]$/.test(t) ? t : `${t}.`).join(' ');

// Returns a report's state in words, with the program's units;
// `labelled` names each number, else the units alone tell them apart, with
// no pause between, which is quicker to hear.
function state_words({time, altitude, velocity, fuel}, labelled) {
  const [h, v, f, and] = labelled ? ['altitude ', 'velocity ', 'fuel ', ', '] : ['', '', '', ' '];
  const unit = (name) => program[`${name}_unit`].trim();
  const left = fuel === null ? 'out of fuel' : `${f}${fuel} ${unit('fuel')}`;
  return `${time} ${unit('time')}${labelled ? ',' : ':'} ${h}${altitude} ${unit('altitude')}` +
      `${and}${v}${velocity} ${unit('velocity')}${and}${left}`;
}

// The page's own account of the flight, for the ear as much as the eye: what
// the program reported since the player last answered, put briefly and at
// once into a polite live region, one addition at a time (a screen reader
// given two together may drop the older). The dialogue itself is not live:
// read aloud, its prompt came back with every report and every key. Every
// value is the program's, as the report reader took it.
function flight_status(reports) {
  const status = document.getElementById('status');
  const state = document.getElementById('answer-state');
  const {track} = reports;
  const prompts = new Set();  // the questions waited at in this flight
  let prompt = null;          // the question waited at last
  let reports_said = 0;
  let notes_said = 0;
  status.textContent = state.textContent = '';
  answer.removeAttribute('aria-label');

  // Returns `line` less the prompts it begins with (a line of the program's
  // output starts with the questions answered on it); `keep` keeps a last one.
  function unasked(line, keep) {
    const next =
        (rest) => [...prompts].find((p) => rest.startsWith(p) && rest.length > keep * p.length);
    let rest = line;
    for (let p = next(rest); p; p = next(rest)) rest = rest.slice(p.length);
    return rest;
  }

  // Returns what is new since the last question: the lines that are no
  // report, less the questions they follow, then the reported state, or how
  // many reports came and the last, and at touchdown the verdict.
  function news() {
    // Before the first question there is only the banner, which the screen and the help show.
    const notes = prompt === null ? [] : track.notes.slice(notes_said);
    notes_said = track.notes.length;
    const count = track.times.length - reports_said;
    reports_said = track.times.length;
    // What ends as a prompt ends (": ") is a question answered ahead: not said again.
    const said = notes.map((note) => unasked(note, 0)).filter((note) => !note.endsWith(': '));
    if (count > 1) said.push(`${count} reports`);
    if (count > 0 && track.touchdown) {
      said.push(`Touchdown at ${state_words(track.latest, true)}`, ...verdict());
    } else if (count > 0) {
      said.push(state_words(track.latest, count === reports_said));
    }
    return said;
  }

  const verdict = () => track.verdict_line ?
      [verdict_words[verdict_texts().indexOf(track.verdict)], track.verdict_line] :
      [];

  function update(waiting) {
    const said = news();
    const asked = waiting ? unasked(reports.pending(), 1) : '';
    if (asked.trim() && asked !== prompt) {
      if (prompt !== null) said.push(asked.trim());
      prompts.add(asked);
      prompt = asked;
      answer.setAttribute('aria-label', asked.trim());
    }
    if (said.some(Boolean)) status.textContent = sentences(said.map((text) => text.trim()));
    const now = sentences([track.latest && state_words(track.latest, true), ...verdict()]);
    chart.setAttribute('aria-label', [chart_name, now].filter(Boolean).join(': '));
    // A screen reader says the focused field's new description at once: the
    // live region has just said it, so the description follows when the field
    // is not focused, and on leaving it.
    answer.onblur = () => state.textContent = now;
    if (document.activeElement !== answer) answer.onblur();
  }
  return {update};
}

// Where the locale writes decimals with a comma, a phone's decimal keypad
// types "1300,5", which the program reads as 1300 and then refuses ",5": a
// comma between digits is sent as the point the program reads, and so echoed.
function decimal_points(text) {
  return decimal_comma() ? text.replace(/(\d),(?=\d)/g, '$1.') : text;
}
function decimal_comma() {
  try {
    return new Intl.NumberFormat(navigator.language).format(0.5).includes(',');
  } catch {
    return false;  // a language that is no locale, such as "c"
  }
}

// "End input" abandons the flight: the page asks first, in the page itself
// (a browser's own dialog is handled badly by screen readers and drivers).
const end_ask = document.getElementById('end-ask');
function ask_before_ending(end_input) {
  const [yes, no] = ['end-yes', 'end-no'].map((id) => document.getElementById(id));
  end_ask.hidden = true;
  end_button.onclick = () => {
    end_ask.hidden = false;
    no.focus();
  };
  yes.onclick = () => {
    end_ask.hidden = true;
    end_input();
  };
  no.onclick = () => {
    end_ask.hidden = true;
    answer.focus();
  };
  end_ask.onkeydown = (event) => {
    if (event.key === 'Escape') no.click();
  };
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
  if (document.body.dataset.state !== 'waiting' || zoomed) return;
  screen.scrollTop = screen.scrollHeight;
  const top = view.offsetTop;
  const bottom = top + view.height;
  const from =
      Math.min(current_line.getBoundingClientRect().top, answer.getBoundingClientRect().top);
  const to = send_button.getBoundingClientRect().bottom;
  // Send first if all does not fit, else as near the top of the page as they
  // stay in view (a longer status may have pushed them down a moment before).
  const rise = Math.min(from - top, Math.max(to - bottom, -scrollY));
  const shift = to > bottom ? Math.min(to - bottom, from - top) : rise;
  if (shift) scrollBy(0, shift);
}
for (const target of [window, window.visualViewport])
  target?.addEventListener('resize', hold_place);
again_button.onclick = start_flight;
flight_at_load();
start_flight();
