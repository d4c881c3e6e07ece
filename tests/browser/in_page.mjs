// Functions that run inside the page, handed to it as their source (page.evaluate, WebDriver's
// execute): each refers to nothing outside itself but the page's own globals.

// Runs in the page once it waits, has ended or failed; returns the screen, the chart (each text
// that leaves it or crosses another or the plot, which holds the axes and every vertex), what came
// from outside the page's folder, the answer's name, and what a phone shows.
export async function look() {
  const state = () => document.body.dataset.state;
  while (!/waiting|ended|failed/.test(state())) await new Promise((go) => setTimeout(go, 2));
  // What a player sees: the page as drawn a few frames later.
  for (let frame = 0; frame < 3; frame++) await new Promise(requestAnimationFrame);
  const [screen, chart, answer, send] =
      ['screen', 'chart', 'answer', 'send'].map((id) => document.getElementById(id));
  const [b, l] = [...chart.querySelectorAll('line.axis')].map((axis) => axis.getBBox());
  const plot = {name: 'the plot', x: b.x, y: l.y, width: b.width, height: b.y - l.y};
  const [left, right, top, bottom] = [b.x, b.x + b.width, l.y, b.y];
  const seen = {state: state(), screen: screen.textContent, left, right, bottom, problems: []};
  for (const line of chart.querySelectorAll('polyline')) {
    const points = (seen[line.classList[0]] = Array.from(line.points, (p) => [p.x, p.y]));
    const outside =
        points.find(([x, y]) => x < left - .5 || x > right + .5 || y < top - .5 || y > bottom + .5);
    if (outside) seen.problems.push(`the ${line.classList[0]} line leaves the plot at ${outside}`);
  }
  const boxes = [plot];
  for (const text of chart.querySelectorAll('text'))
    boxes.push(Object.assign(text.getBBox(), {name: `"${text.textContent}"`}));
  const {width, height} = chart.viewBox.baseVal;
  boxes.forEach((a, i) => {
    if (a.x < 0 || a.y < 0 || a.x + a.width > width || a.y + a.height > height)
      seen.problems.push(`${a.name} lies outside the chart`);
    const crossed = boxes.slice(i + 1).filter(
        (b) => a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
            b.y < a.y + a.height);
    seen.problems.push(...crossed.map((b) => `${a.name} crosses ${b.name}`));
  });
  Object.assign(seen, {seconds: Number(chart.dataset.seconds), text: chart.textContent});
  seen.marked = !!chart.querySelector('.touchdown');
  const loaded = performance.getEntriesByType('resource').map((e) => e.name);
  seen.foreign = loaded.filter((name) => !name.startsWith(new URL('.', location.href).href));
  seen.below = screen.scrollHeight - screen.scrollTop - screen.clientHeight;
  const label = document.getElementById(answer.getAttribute('aria-labelledby'));
  seen.name = answer.disabled ? '' : answer.getAttribute('aria-label') || label?.textContent || '';
  // What a phone shows: the answer's, chart's, prompt's and Send's share in view (in the visual
  // viewport, and in the dialogue's scrolled box for what is in it), smallest text, send, keypad.
  const [t, box] = [visualViewport.offsetTop, screen.getBoundingClientRect()];
  const in_view = (r, [top, bottom]) =>
      Math.max(0, Math.min(r.bottom, bottom) - Math.max(r.top, top)) *
      Math.max(0, Math.min(r.right, innerWidth) - Math.max(r.left, 0)) / (r.width * r.height);
  seen.in_view = [answer, chart, document.getElementById('prompt'), send].map(
      (e) => in_view(
          e.getBoundingClientRect(),
          e.closest('#screen') ?
              [Math.max(t, box.top), Math.min(t + visualViewport.height, box.bottom)] :
              [t, t + visualViewport.height]));
  seen.smallest = [Infinity];
  for (const e of document.querySelectorAll('body *')) {
    const text = e.matches('input, button') ||
        [...e.childNodes].some((n) => n.nodeType === 3 && n.data.trim());
    if (!text || !e.getClientRects().length || getComputedStyle(e).visibility === 'hidden')
      continue;
    const size = parseFloat(getComputedStyle(e).fontSize) * (e.getScreenCTM?.().a ?? 1);
    if (size < seen.smallest[0])
      seen.smallest = [size, `${e.tagName} ${e.textContent.trim().slice(0, 30)}`];
  }
  seen.send = ['width', 'height'].map((side) => send.getBoundingClientRect()[side]);
  seen.keypad = `${answer.inputMode} with ${answer.getAttribute('enterkeyhint')}`;
  seen.sideways = document.documentElement.scrollWidth > innerWidth;
  seen.help = document.querySelector('.help').textContent.replace(/\s+/g, ' ');
  return seen;
}

// Runs in the page: `text` pasted at once, or `count` flights of "2 3 9" in a row, fast; returns
// the flights landed, the time taken, the longest the timers were held up, and the highest heap.
export async function drive(count, text, verdict) {
  const [answer, screen] = ['answer', 'screen'].map((id) => document.getElementById(id));
  const state = () => document.body.dataset.state;
  const until = (...states) => new Promise((go) => {
    const done = () => states.includes(state()) && (watch.disconnect(), go(), true);
    const watch = new MutationObserver(done);
    if (!done()) watch.observe(document.body, {attributes: true});
  });
  let [landed, longest_gap, heap, last] = [0, 0, 0, performance.now()];
  const tick = setInterval(() => {
    [longest_gap, last] = [Math.max(longest_gap, performance.now() - last), performance.now()];
    heap = Math.max(heap, performance.memory?.usedJSHeapSize || 0);
  }, 10);
  const paste = new ClipboardEvent('paste', {clipboardData: new DataTransfer(), cancelable: true});
  if (text) paste.clipboardData.setData('text/plain', text);  // fails where a paste has no data
  const began = performance.now();
  if (text) answer.dispatchEvent(paste);
  for (let i = 0; i < count; i++) {
    document.getElementById('fly-again').click();
    await until('waiting', 'failed');
    answer.value = '2 3 9';
    answer.dispatchEvent(new KeyboardEvent('keydown', {key: 'Enter'}));
    await until('ended', 'failed');
    const last_line = screen.textContent.split('\n').at(-2);
    if (state() === 'ended' && last_line.startsWith(verdict)) landed++;
  }
  await until('ended', 'failed');
  clearInterval(tick);
  return {landed, took: performance.now() - began, longest_gap, heap};
}

// Runs in the page: Copy answers, Save dialogue and Save chart pressed; returns what each gave,
// and what the page offers when the clipboard refuses the copy.
export async function kept_by_page() {
  const [files, real_click] = [{}, HTMLAnchorElement.prototype.click];
  URL.createObjectURL = (blob) => ((files[blob.type] = blob), 'blob:kept');
  HTMLAnchorElement.prototype.click = function() { this.download || real_click.call(this); };
  let copied = null;
  Object.defineProperty(navigator, 'clipboard', {value: {writeText: async (t) => (copied = t)}});
  for (const id of ['copy-answers', 'save-dialogue', 'save-chart'])
    document.getElementById(id).click();
  while (!files['text/plain']) await new Promise((go) => setTimeout(go, 10));
  const [dialogue, chart] =
      await Promise.all(['text/plain', 'image/svg+xml'].map((t) => files[t].text()));
  navigator.clipboard.writeText = () => Promise.reject(new Error('refused'));
  await document.getElementById('copy-answers').onclick();
  const refused = ['keep-note', 'answers-text'].map((id) => document.getElementById(id));
  const by_hand = /refused/.test(refused[0].textContent) && !refused[1].hidden && refused[1].value;
  return {copied, by_hand, dialogue, chart, link: document.getElementById('share').href};
}

// Runs in the page: from now on keeps in window.live_added each text added to a live region.
export function watch_live() {
  window.live_added = [];
  const live = '[aria-live]:not([aria-live=off]), [role=status], [role=log]:not([aria-live=off])';
  new MutationObserver((changes) => changes.forEach(({target, addedNodes: [added = target]}) => {
    const region = (target.closest ? target : target.parentElement).closest(live);
    if (region && added.textContent) live_added.push(added.textContent);
  })).observe(document.body, {childList: true, characterData: true, subtree: true});
}

// Runs in the page: a keyboard over the page, `over` px high, told by the visual viewport.
export function keyboard_over(over) {
  Object.defineProperty(visualViewport, 'height', {value: innerHeight - over});
  visualViewport.dispatchEvent(new Event('resize'));
}

// Runs in the page: once the best landing is shown, its words, hint, links and ghost's vertices.
export async function best_shown() {
  const best = document.getElementById('best');
  while (!best.textContent.startsWith('Best') && !best.textContent.includes('could not'))
    await new Promise((go) => setTimeout(go, 20));
  const link = (id) =>
      !document.getElementById('best-links').hidden && document.getElementById(id).href;
  const ghost = (name) => document.querySelector(`#chart .best .${name}`)?.points.length ?? 0;
  return {
    words: best.textContent,
    hint: document.getElementById('best-hint').textContent,
    replay: link('best-replay'),
    challenge: link('challenge'),
    ghost: [ghost('altitude'), ghost('velocity')],
    slice: Number(best.dataset.longestSliceMs),
    search: Number(best.dataset.searchMs)
  };
}

// Runs in the page: the address, the history's length, the earlier flights (numbers and texts)
// with their storage's note, the status line, the note on the link and whether it is in view.
export function record_seen() {
  const text = (id) => document.getElementById(id).textContent;
  const {top, bottom} = document.getElementById('link-note').getBoundingClientRect();
  const listed =
      [...document.querySelectorAll('#earlier li')].map((li) => [li.value, li.textContent]);
  return [
    location.hash, history.length, listed, text('earlier-note'), text('status'), text('link-note'),
    top >= 0 && bottom <= innerHeight, document.getElementById('share').href
  ];
}
