// The page's side of the simulator: it carries bytes between the program
// (compiled to WebAssembly, see console/platform/browser.cpp) and the
// screen, echoes what the player types as a terminal would, and draws the
// altitude and velocity from the reports shown. Everything the program
// says, and every number, comes from the program itself.
'use strict';

// The dialogue: its text is exactly what a terminal would show. Complete
// lines go into a block per write, so that the browser lays out only what
// is new; the line still being written stays in the span before the input,
// which thus sits at the prompt. (An input adds no text of its own.)
const screen = document.getElementById('screen');
const answer = document.getElementById('answer');
const current_line = screen.querySelector('span');
const end_button = document.getElementById('end-input');
const again_button = document.getElementById('fly-again');
const chart = document.getElementById('chart');
const encoder = new TextEncoder();

// One run of the program, from the banner to its exit.
function start_flight() {
  screen.replaceChildren(current_line, answer);
  current_line.textContent = '';
  const typed = [];   // Uint8Arrays typed and not yet read by the program
  let input_ended = false;
  let reader = null;  // the program's pending read: { max, resolve }
  const decoder = new TextDecoder();
  const reports = report_reader();

  set_state('running');
  again_button.hidden = true;
  end_button.disabled = false;

  function show(text) {
    const all = current_line.textContent + text;
    const end = all.lastIndexOf('\n') + 1;
    if (end > 0) {
      const block = document.createElement('div');
      block.textContent = all.slice(0, end);
      screen.insertBefore(block, current_line);
    }
    current_line.textContent = all.slice(end);
    screen.scrollTop = screen.scrollHeight;
  }

  // Hands the program the next typed bytes, or the end of the input, or
  // lets the player type when there is nothing yet.
  function serve_read() {
    if (!reader) return;
    if (typed.length === 0 && !input_ended) {
      set_state('waiting');
      answer.disabled = false;
      answer.focus();
      return;
    }
    const { max, resolve } = reader;
    reader = null;
    set_state('running');
    if (typed.length === 0) {
      resolve(null);
      return;
    }
    let chunk = typed.shift();
    if (chunk.length > max) {
      typed.unshift(chunk.subarray(max));
      chunk = chunk.subarray(0, max);
    }
    resolve(chunk);
  }

  // Sends `text` as typed, echoing it the way a terminal does.
  function send(text) {
    if (input_ended || text === '') return;
    show(text);
    reports.line_ends(text);
    typed.push(encoder.encode(text));
    serve_read();
  }

  function end_input() {
    if (input_ended) return;
    send(answer.value);
    answer.value = '';
    input_ended = true;
    answer.disabled = true;
    end_button.disabled = true;
    serve_read();
  }

  answer.onkeydown = (event) => {
    if (event.key === 'Enter') {
      event.preventDefault();
      const line = answer.value + '\n';
      answer.value = '';
      send(line);
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
  end_button.onclick = end_input;

  create_lm_simulator({
    lm_next_input: (max) => new Promise((resolve) => {
      reader = { max, resolve };
      serve_read();
    }),
    lm_output: (bytes) => {
      const text = decoder.decode(bytes, { stream: true });
      show(text);
      reports.read(text);
    },
    onExit: () => {
      input_ended = true;
      answer.disabled = true;
      end_button.disabled = true;
      again_button.hidden = false;
      set_state('ended');
      again_button.focus();
    },
  });
}

// The page's state for scripts and tests: running, waiting or ended.
function set_state(state) {
  document.body.dataset.state = state;
}

// Reads the state reports, out-of-fuel lines and verdict as they appear,
// line by line, and draws them. The player's echoed answers only end lines:
// nothing typed can pass for a report.
function report_reader() {
  const points = [];  // { time, altitude, velocity, velocity_text } as shown
  let line = '';
  let time = null;
  let altitude = null;
  let landing_next = false;
  let touchdown = null;
  let verdict = null;
  let drawing = false;

  function take(text) {
    let m;
    if ((m = /^Elapsed Time: +(-?\d+) s$/.exec(text))) {
      time = Number(m[1]);
    } else if ((m = /^ +Altitude: +(\S+) m$/.exec(text))) {
      altitude = Number(m[1]);
    } else if ((m = /^ +Velocity: +(\S+) m\/s$/.exec(text)) && time !== null) {
      add(time, altitude, m[1]);
      time = null;
    } else if ((m = /^OUT OF FUEL - Elapsed Time: +(-?\d+) Altitude: +(\S+) Velocity: +(\S+)$/
        .exec(text))) {
      add(Number(m[1]), Number(m[2]), m[3]);
    } else if (text === 'LM state at landing/impact') {
      landing_next = true;
    } else if ((m = /^Status at landing - (.*)$/.exec(text))) {
      verdict = m[1];
    }
  }

  // The velocity's text is kept as shown, for the touchdown label.
  function add(t, h, v) {
    points.push({ time: t, altitude: h, velocity: Number(v), velocity_text: v });
    if (landing_next) touchdown = points[points.length - 1];
    landing_next = false;
  }

  function redraw_soon() {
    if (drawing) return;
    drawing = true;
    requestAnimationFrame(() => {
      drawing = false;
      draw_chart(points, touchdown, verdict);
    });
  }

  draw_chart(points, null, null);
  return {
    read(text) {
      const lines = (line + text).split('\n');
      line = lines.pop();
      lines.forEach(take);
      redraw_soon();
    },
    line_ends(text) {
      for (const c of text) {
        if (c === '\n') {
          take(line);
          line = '';
        }
      }
    },
  };
}

// Chart geometry in the SVG's own units.
const plot = { left: 52, right: 428, top: 28, bottom: 262 };

// Returns a "nice" step (1, 2 or 5 times a power of ten) for about five
// ticks over span.
function tick_step(span) {
  const rough = span / 5;
  const power = 10 ** Math.floor(Math.log10(rough));
  const scaled = rough / power;
  return power * (scaled <= 1 ? 1 : scaled <= 2 ? 2 : scaled <= 5 ? 5 : 10);
}

// Returns [low, high, step] covering the values, rounded out to ticks.
function axis_range(values, always) {
  // A loop rather than Math.min(...values): a long flight pasted in at
  // once has more points than a call can take arguments.
  let low = Math.min(...always);
  let high = Math.max(...always);
  for (const value of values) {
    if (!Number.isFinite(value)) continue;
    if (value < low) low = value;
    if (value > high) high = value;
  }
  if (high - low < 1e-9) high = low + 1;
  const step = tick_step(high - low);
  low = Math.floor(low / step) * step;
  high = Math.ceil(high / step) * step;
  return [low, high, step];
}

function svg(name, attributes, text) {
  const element = document.createElementNS('http://www.w3.org/2000/svg', name);
  for (const [key, value] of Object.entries(attributes)) element.setAttribute(key, value);
  if (text !== undefined) element.textContent = text;
  return element;
}

function draw_chart(points, touchdown, verdict) {
  const times = points.map((p) => p.time);
  const [t_low, t_high, t_step] = axis_range(times, [0, 10]);
  const [h_low, h_high, h_step] = axis_range(points.map((p) => p.altitude), [0]);
  const [v_low, v_high, v_step] = axis_range(points.map((p) => p.velocity), [0]);
  const x = (t) => plot.left + (t - t_low) / (t_high - t_low) * (plot.right - plot.left);
  const y_of = (low, high) => (value) =>
    plot.bottom - (value - low) / (high - low) * (plot.bottom - plot.top);
  const y_h = y_of(h_low, h_high);
  const y_v = y_of(v_low, v_high);

  const parts = [];
  parts.push(svg('line', { class: 'axis', x1: plot.left, y1: plot.bottom, x2: plot.right,
                           y2: plot.bottom }));
  // Tick i of an axis is low + i * step, labelled with as many decimals as
  // the step has.
  const ticks = (low, high, step, put) => {
    const decimals = Math.max(0, -Math.floor(Math.log10(step)));
    for (let i = 0; low + i * step <= high + step / 2; i++) {
      put(low + i * step, (low + i * step).toFixed(decimals).replace(/^-(0\.?0*)$/, '$1'));
    }
  };
  ticks(t_low, t_high, t_step, (t, label) => parts.push(
    svg('text', { x: x(t), y: plot.bottom + 14, 'text-anchor': 'middle' }, label)));
  parts.push(svg('text', { x: (plot.left + plot.right) / 2, y: 292, 'text-anchor': 'middle' },
                 'elapsed time (s)'));
  ticks(h_low, h_high, h_step, (h, label) => parts.push(
    svg('text', { x: plot.left - 4, y: y_h(h) + 4, 'text-anchor': 'end' }, label)));
  ticks(v_low, v_high, v_step, (v, label) => parts.push(
    svg('text', { x: plot.right + 4, y: y_v(v) + 4 }, label)));
  parts.push(svg('line', { class: 'axis', x1: plot.left, y1: plot.top, x2: plot.left,
                           y2: plot.bottom }));
  parts.push(svg('line', { class: 'axis', x1: plot.right, y1: plot.top, x2: plot.right,
                           y2: plot.bottom }));
  parts.push(svg('text', { x: plot.left, y: 16, fill: '#7fc8f8' }, 'altitude (m)'));
  parts.push(svg('text', { x: plot.right, y: 16, 'text-anchor': 'end', fill: '#f4a259' },
                 'vertical velocity (m/s)'));
  parts.push(svg('line', { class: 'axis', x1: plot.left, y1: y_v(0), x2: plot.right,
                           y2: y_v(0), 'stroke-dasharray': '3 3' }));

  const line_of = (name, y, key) => svg('polyline', {
    class: name,
    points: points.filter((p) => Number.isFinite(p[key]))
      .map((p) => `${x(p.time).toFixed(1)},${y(p[key]).toFixed(1)}`).join(' '),
  });
  parts.push(line_of('altitude', y_h, 'altitude'), line_of('velocity', y_v, 'velocity'));

  if (touchdown) {
    parts.push(svg('circle', { class: 'touchdown', cx: x(touchdown.time), cy: y_h(0), r: 5 }));
    const anchor = x(touchdown.time) > (plot.left + plot.right) / 2 ? 'end' : 'start';
    parts.push(svg('text', { class: 'verdict', x: x(touchdown.time), y: plot.bottom - 12,
                             'text-anchor': anchor },
                   `touchdown at ${touchdown.velocity_text} m/s: ${verdict || ''}`));
  }
  chart.replaceChildren(...parts);
}

// The program ends by exit(), which unwinds it with an ExitStatus: that is
// the end of a flight, not an error.
window.addEventListener('error', (event) => {
  if (event.error && event.error.name === 'ExitStatus') event.preventDefault();
});
again_button.onclick = start_flight;
start_flight();
