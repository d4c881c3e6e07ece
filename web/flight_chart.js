// @ts-check
// flight_chart: the flight's altitude and velocity against time, drawn from
// its track in the chart's own pixels, so that its text has the size the
// style sheet gives it; faint tracks beside it (another flight) share its
// axes. Every text lies outside the plotting area, each in a band of its
// own: the legend above, the altitude's ticks to the left, the velocity's to
// the right, time and the verdict below. The units are the program's.
'use strict';

/**
 * Returns the chart drawn in `chart`, redrawn when it changes size.
 * @param {SVGSVGElement} chart
 * @param {Readonly<Record<string, string | number>> | null} texts the program's
 */
function flight_chart(chart, texts) {
  // Up to this many seconds every second is a vertex of the chart's lines;
  // beyond, each pixel column has its lowest and highest value.
  const every_second_up_to = 300;
  const measure =
      /** @type {CanvasRenderingContext2D} */ (document.createElement('canvas').getContext('2d'));
  const unit = (/** @type {string} */ name) =>
      texts ? ` (${String(texts[`${name}_unit`]).trim()})` : '';
  const word = (/** @type {string} */ name) =>
      texts ? String(texts[`${name}_label`]).replace(':', '').trim().toLowerCase() : name;
  // The velocities that part a soft landing from a hard one, and a hard one
  // from a crash: the program's limits, marked on the velocity's axis.
  const limits = texts ?
      [['soft_landing_limit', 'soft'], ['hard_landing_limit', 'hard']].map(
          ([name, word]) => ({value: Number(texts[name]), label: `${texts[name]} ${word}`})) :
      [];
  /** @type {{track: flight_track, faint: {name: string, track: flight_track}[]} | null} */
  let drawn = null;
  let pending = false;

  /**
   * Returns an SVG element.
   * @param {string} name @param {Record<string, string | number>} attributes @param {string} [text]
   */
  function svg(name, attributes, text) {
    const element = document.createElementNS('http://www.w3.org/2000/svg', name);
    for (const [key, value] of Object.entries(attributes)) element.setAttribute(key, String(value));
    if (text !== undefined) element.textContent = text;
    return element;
  }

  // Returns the font the style sheet gives the chart's texts of `kind`,
  // and its size in pixels.
  function font_of(/** @type {string} */ kind) {
    const probe = chart.appendChild(svg('text', {class: kind}));
    const style = getComputedStyle(probe);
    const font = {size: parseFloat(style.fontSize) || 12, family: style.fontFamily};
    probe.remove();
    return font;
  }

  /**
   * Returns the width in pixels of `text` in `font`, rounded up with a pixel to spare.
   * @param {string} text @param {{size: number, family: string}} font
   */
  function text_width(text, font) {
    measure.font = `${font.size}px ${font.family}`;
    return Math.ceil(measure.measureText(text).width) + 1;
  }

  /**
   * Returns the words of `text` as lines no wider than `width`.
   * @param {string} text @param {{size: number, family: string}} font @param {number} width
   */
  function wrap(text, font, width) {
    const lines = [];
    let line = '';
    for (const word of text.split(' ')) {
      const longer = line ? `${line} ${word}` : word;
      if (line && text_width(longer, font) > width) {
        lines.push(line);
        line = word;
      } else {
        line = longer;
      }
    }
    lines.push(line);
    return lines;
  }

  /**
   * Returns where everything goes in a chart `width` by `height` showing
   * `tracks`, with `verdict_rows` rows of verdict below: the plot's edges, the
   * axes, the legend's rows, and the plot's coordinates of a time and values.
   * @param {flight_track[]} tracks @param {number} width @param {number} height
   * @param {{size: number, family: string}} font @param {string[]} legend
   * @param {number} verdict_rows
   */
  function layout(tracks, width, height, font, legend, verdict_rows) {
    const [small, row, gap, edge] = [font.size, Math.ceil(font.size * 4 / 3), 6, 4];
    const widest = (/** @type {{label: string}[]} */ ticks) =>
        Math.max(...ticks.map((tick) => text_width(tick.label, font)));
    const range =
        (/** @type {'times' | 'altitudes' | 'velocities'} */ name,
         /** @type {number[]} */ always) => extent(tracks.flatMap((t) => t[name]), always);
    const [h_axis, v_axis, t_range] = [
      axis(range('altitudes', [0]), 5),
      axis(range('velocities', [0, ...limits.map((limit) => limit.value)]), 5),
      range('times', [0, 10])
    ];
    const left = edge + widest(h_axis.ticks) + gap;
    // Time's tick labels are centred; the last must fit beside the plot too.
    let [right, t_axis] = [0, axis(t_range, 5)];
    for (let count = 5; count > 1; count--) {
      t_axis = axis(t_range, count);
      const last = t_axis.ticks[t_axis.ticks.length - 1].label;
      right = Math.min(
          width - edge - widest([...v_axis.ticks, ...limits]) - gap,
          width - edge - text_width(last, font) / 2);
      if ((right - left) / (t_axis.ticks.length - 1) > widest(t_axis.ticks) + gap) break;
    }
    // The legend: one row, or two when the chart is narrow.
    const legend_rows =
        legend.reduce((sum, t) => sum + text_width(t, font), 2 * gap) > width - 2 * edge ? 2 : 1;
    const top = edge + legend_rows * row + small;
    const bottom = Math.max(height - edge - (2 + verdict_rows) * row - 4, top + 40);
    const y_of = (/** @type {{low: number, high: number}} */ a) => (/** @type {number} */ value) =>
        bottom - (value - a.low) / (a.high - a.low) * (bottom - top);
    return {
      small,
      row,
      gap,
      edge,
      left,
      right,
      top,
      bottom,
      legend_rows,
      h_axis,
      v_axis,
      t_axis,
      x: (/** @type {number} */ t) =>
          left + (t - t_axis.low) / (t_axis.high - t_axis.low) * (right - left),
      y_h: y_of(h_axis),
      y_v: y_of(v_axis),
    };
  }

  /**
   * Returns the texts around the plot: the legend, each axis's ticks and name,
   * and the verdict's lines.
   * @param {ReturnType<typeof layout>} at @param {number} width @param {string[]} legend
   * @param {string[]} verdict_lines
   */
  function labels(at, width, legend, verdict_lines) {
    const {small, row, gap, edge, left, right} = at;
    const parts = [
      svg('text', {x: edge, y: edge + small, class: 'altitude-key'}, legend[0]),
      svg('text', {
        x: width - edge,
        y: edge + small + (at.legend_rows - 1) * row,
        'text-anchor': 'end',
        class: 'velocity-key'
      },
          legend[1])
    ];
    // Vertical ticks fewer when they would crowd: each label needs a row.
    const every =
        (/** @type {ReturnType<typeof axis>} */ a, /** @type {(v: number) => number} */ y) =>
            Math.max(1, Math.ceil(row / Math.abs(y(a.ticks[0].value) - y(a.ticks[1].value))));
    const [h_every, v_every] = [every(at.h_axis, at.y_h), every(at.v_axis, at.y_v)];
    at.h_axis.ticks.forEach(
        (tick, i) => i % h_every ||
            parts.push(
                svg('text', {x: left - gap, y: at.y_h(tick.value) + 4, 'text-anchor': 'end'},
                    tick.label)));
    // The landing limits beside the velocity's ticks, a row apart at least,
    // in place of the ticks they would crowd.
    const marks = limits.map((limit) => ({...limit, y: at.y_v(limit.value)}));
    if (marks.length === 2 && marks[1].y - marks[0].y < row) {
      const middle =
          Math.min(Math.max((marks[0].y + marks[1].y) / 2, at.top + row / 2), at.bottom - row / 2);
      [marks[0].y, marks[1].y] = [middle - row / 2, middle + row / 2];
    }
    for (const mark of marks)
      parts.push(svg('text', {class: 'limit-label', x: right + gap, y: mark.y + 4}, mark.label));
    at.v_axis.ticks.forEach(
        (tick, i) => i % v_every || marks.some((m) => Math.abs(m.y - at.y_v(tick.value)) < row) ||
            parts.push(svg('text', {x: right + gap, y: at.y_v(tick.value) + 4}, tick.label)));
    const below = at.bottom + small + 8;
    for (const tick of at.t_axis.ticks)
      parts.push(svg('text', {x: at.x(tick.value), y: below, 'text-anchor': 'middle'}, tick.label));
    parts.push(
        svg('text', {x: (left + right) / 2, y: below + row, 'text-anchor': 'middle'},
            `${word('time')}${unit('time')}`));
    verdict_lines.forEach(
        (line, i) => parts.push(
            svg('text',
                {class: 'verdict', x: width / 2, y: below + (2 + i) * row, 'text-anchor': 'middle'},
                line)));
    return parts;
  }

  /**
   * Returns the axes' lines, the dashed line of zero velocity, and the lines
   * of `track`'s altitude and velocity.
   * @param {ReturnType<typeof layout>} at @param {flight_track} track
   */
  function lines(at, track) {
    const xs = track.times.map(at.x);
    const line =
        (/** @type {string} */ name, /** @type {(v: number) => number} */ y,
         /** @type {number[]} */ values) => svg('polyline', {
          class: name,
          points: vertices(xs, values)
                      .map((i) => `${xs[i].toFixed(1)},${y(values[i]).toFixed(1)}`)
                      .join(' '),
        });
    return [line('altitude', at.y_h, track.altitudes), line('velocity', at.y_v, track.velocities)];
  }

  function axes(/** @type {ReturnType<typeof layout>} */ at) {
    const {left, right, top, bottom} = at;
    const axis_line = (/** @type {Record<string, number | string>} */ ends) =>
        svg('line', {class: 'axis', ...ends});
    return [
      axis_line({x1: left, y1: bottom, x2: right, y2: bottom}),
      axis_line({x1: left, y1: top, x2: left, y2: bottom}),
      axis_line({x1: right, y1: top, x2: right, y2: bottom}),
      axis_line({x1: left, y1: at.y_v(0), x2: right, y2: at.y_v(0), 'stroke-dasharray': '3 3'}),
      ...limits.map(
          ({value}) => svg(
              'line', {class: 'limit', x1: left, y1: at.y_v(value), x2: right, y2: at.y_v(value)}))
    ];
  }

  /**
   * Draws `track`, and `faint` ones beside it on the same axes.
   * @param {flight_track} track @param {{name: string, track: flight_track}[]} faint
   */
  function draw(track, faint = []) {
    drawn = {track, faint};
    pending = false;
    const size = chart.getBoundingClientRect();
    const [width, height] = [Math.max(240, size.width), Math.max(160, size.height)];
    chart.setAttribute('viewBox', `0 0 ${width} ${height}`);
    const [font, verdict_font] = [font_of(''), font_of('verdict')];
    const legend = [
      `${word('altitude')}${unit('altitude')}`, `vertical ${word('velocity')}${unit('velocity')}`
    ];
    const speed = unit('velocity').replace(/[()]/g, '');
    const verdict_lines = track.touchdown ?
        wrap(
            `touchdown at ${track.touchdown.velocity_text}${speed}: ${track.verdict_text || ''}`,
            verdict_font, width - 8) :
        [];
    const at = layout(
        [track, ...faint.map((f) => f.track)], width, height, font, legend, verdict_lines.length);
    const parts = [...labels(at, width, legend, verdict_lines), ...axes(at)];
    for (const other of faint) {
      const group = svg('g', {class: `${other.name} faint`});
      group.append(...lines(at, other.track));
      parts.push(group);
    }
    parts.push(...lines(at, track));
    if (track.touchdown)
      parts.push(
          svg('circle', {class: 'touchdown', cx: at.x(track.touchdown.time), cy: at.y_h(0), r: 5}));
    // For scripts and tests: how many reported seconds the chart holds.
    chart.dataset.seconds = String(track.times.length);
    // The chart's name says the state; its ticks one by one would say nothing.
    const group = svg('g', {'aria-hidden': 'true'});
    group.append(...parts);
    chart.replaceChildren(group);
  }

  /**
   * Returns the indices of the points drawn as vertices: all of them up to
   * every_second_up_to, else in each pixel column the lowest and the highest
   * value, in the order flown, so a long flight keeps its shape.
   * @param {number[]} xs @param {number[]} values
   */
  function vertices(xs, values) {
    if (xs.length <= every_second_up_to) return xs.map((_, i) => i);
    /** @type {number[]} */
    const kept = [];
    let [column, low, high] = [NaN, -1, -1];
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
        [column, low, high] = [here, i, i];
      } else if (values[i] < values[low]) {
        low = i;
      } else if (values[i] > values[high]) {
        high = i;
      }
    }
    close();
    return kept;
  }

  new ResizeObserver(() => drawn && draw(drawn.track, drawn.faint)).observe(chart);

  return {
    draw,
    // Draws `track` at the next frame, once however often asked before it.
    draw_soon(/** @type {flight_track} */ track) {
      drawn = {track, faint: drawn ? drawn.faint : []};
      if (pending) return;
      pending = true;
      requestAnimationFrame(() => pending && drawn && draw(drawn.track, drawn.faint));
    },
    // Draws at once what waits for the next frame.
    flush() {
      if (pending && drawn) draw(drawn.track, drawn.faint);
    },
    // Returns the chart as a file of its own: the style sheet's colours and
    // fonts written onto each element, on the chart's background.
    file() {
      const copy = /** @type {SVGSVGElement} */ (chart.cloneNode(true));
      const originals = [chart, ...chart.querySelectorAll('*')];
      const copies = [copy, ...copy.querySelectorAll('*')];
      const properties =
          ['fill', 'stroke', 'stroke-width', 'font-family', 'font-size', 'font-style'];
      originals.forEach((element, i) => {
        const style = getComputedStyle(element);
        copies[i].setAttribute(
            'style', properties.map((p) => `${p}:${style.getPropertyValue(p)}`).join(';'));
      });
      const {width, height} = chart.viewBox.baseVal;
      copy.setAttribute('width', String(width));
      copy.setAttribute('height', String(height));
      copy.prepend(svg(
          'rect', {width: '100%', height: '100%', fill: getComputedStyle(chart).backgroundColor}));
      return new XMLSerializer().serializeToString(copy);
    },
  };
}

/**
 * Returns a "nice" step (1, 2 or 5 times a power of ten) for about `count` ticks over span.
 * @param {number} span @param {number} count
 */
function tick_step(span, count) {
  const rough = span / count;
  const power = 10 ** Math.floor(Math.log10(rough));
  const scaled = rough / power;
  return power * (scaled <= 1 ? 1 : scaled <= 2 ? 2 : scaled <= 5 ? 5 : 10);
}

/**
 * Returns the lowest and highest of the finite values and those of `always`.
 * @param {number[]} values @param {number[]} always @returns {[number, number]}
 */
function extent(values, always) {
  let [low, high] = [Math.min(...always), Math.max(...always)];
  for (const value of values) {
    if (!Number.isFinite(value)) continue;
    if (value < low) low = value;
    if (value > high) high = value;
  }
  return [low, high];
}

/**
 * Returns an axis over [low, high] with about `count` ticks: its rounded
 * ends, and each tick's value and label (with as many decimals as the step).
 * @param {[number, number]} range @param {number} count
 */
function axis([low, high], count) {
  if (high - low < 1e-9) high = low + 1;
  const step = tick_step(high - low, count);
  const [first, last] = [Math.floor(low / step), Math.ceil(high / step)];
  const decimals = Math.max(0, -Math.floor(Math.log10(step)));
  const ticks = [];
  for (let i = first; i <= last; i++)
    ticks.push({value: i * step, label: (i * step).toFixed(decimals).replace(/^-(0\.?0*)$/, '$1')});
  return {low: first * step, high: last * step, ticks};
}
