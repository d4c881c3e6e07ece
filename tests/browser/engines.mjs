// The browser engines the cases play the page in: Chromium and Firefox through puppeteer-core,
// WebKit through its own WebDriver under a virtual X display; each offers the same calls.

import {spawn} from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';

import {END} from './program_output.mjs';

// None where the test's npm packages are not installed: browser_test.mjs says so and skips.
export const puppeteer = (await import('puppeteer-core').catch(() => null))?.default;
const MINIBROWSER = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
export const listen = (server) =>
    new Promise((go) => server.listen(0, '127.0.0.1', () => go(server)));

// An engine opens a URL, runs a function in the page, types, clicks, shoots; `can` says what else.
export async function puppeteer_engine(name) {
  const chromium = name === 'chromium';
  const paths = chromium ? ['/usr/bin/chromium'] : ['/usr/bin/firefox-esr', '/usr/bin/firefox'];
  const executablePath = paths.find(fs.existsSync);
  if (!executablePath) return null;
  // Chromium as root, without its own traffic, and with the heap's exact size.
  const flags = '--no-sandbox --disable-gpu --disable-quic --disable-component-update ' +
      '--enable-precise-memory-info';
  const args = chromium ? flags.split(' ') : [];
  const browser =
      await puppeteer.launch({browser: chromium ? 'chrome' : name, executablePath, args});
  const page = (await browser.pages())[0] || (await browser.newPage());
  const desktop = {width: 1280, height: 900};
  await page.setViewport(desktop);
  page.setDefaultNavigationTimeout(0);  // the case's own deadline holds
  const can = chromium ? ['offline', 'phone', 'axe', 'paste', 'schemes'] : ['axe', 'paste'];
  const engine = {name, can, messages: [], close: () => browser.close()};
  engine.kill = () => browser.process()?.kill('SIGKILL');
  page.on('console', (m) => engine.messages.push(`console.${m.type()}: ${m.text()}`));
  page.on('pageerror', (e) => engine.messages.push(`error: ${e.message}`));
  engine.open = (url) => ((engine.messages.length = 0), page.goto(url));  // logs from here on
  engine.run = (fn, ...args) => page.evaluate(fn, ...args);
  engine.type = async (line) => {
    await page.focus('#answer');
    if (line !== END) return page.keyboard.type(`${line}\n`);
    for (const [act, key] of [['down', 'Control'], ['press', 'KeyD'], ['up', 'Control']])
      await page.keyboard[act](key);
  };
  engine.click = (selector) => page.click(selector);
  engine.enter = () => page.keyboard.press('Enter');  // where the focus is
  engine.screenshot = (file) => page.screenshot({path: file});
  engine.viewport = (width, height, mobile = chromium) =>
      page.setViewport(width ? {width, height, isMobile: mobile, hasTouch: mobile} : desktop);
  engine.scheme = (value) => page.emulateMediaFeatures([{name: 'prefers-color-scheme', value}]);
  engine.offline = (on) => page.setOfflineMode(on);
  engine.reload = () => page.reload();
  // The JavaScript heap and array buffers' memory (WebAssembly's too) after a full collection.
  const cdp = chromium && await page.createCDPSession();
  if (cdp)
    engine.heap = async () =>
        (await cdp.send('HeapProfiler.collectGarbage'), cdp.send('Runtime.getHeapUsage'));
  return engine;
}

// WebKit through its own WebDriver: a few HTTP calls are all it takes.
export async function webkit_engine() {
  if (![MINIBROWSER, '/usr/bin/WebKitWebDriver', '/usr/bin/xvfb-run'].every(fs.existsSync))
    return null;
  const probe = await listen(http.createServer());
  const {port} = probe.address();
  await new Promise((go) => probe.close(go));
  const driver = spawn(
      'xvfb-run', ['-a', 'WebKitWebDriver', `--port=${port}`], {detached: true, stdio: 'ignore'});
  let session = '';
  const call = async (method, where, body) => {
    const request = {method, body: body && JSON.stringify(body)};
    const {value} =
        await (await fetch(`http://127.0.0.1:${port}${session}${where}`, request)).json();
    if (value?.error) throw new Error(`WebKit ${where}: ${value.error}: ${value.message}`);
    return value;
  };
  for (let tries = 0; !(await call('GET', '/status').catch(() => null))?.ready; tries++) {
    if (tries > 100) throw new Error('WebKitWebDriver does not start');
    await new Promise((go) => setTimeout(go, 100));
  }
  const browser = {'webkitgtk:browserOptions': {binary: MINIBROWSER, args: ['--automation']}};
  const {sessionId} = await call('POST', '/session', {capabilities: {alwaysMatch: browser}});
  session = `/session/${sessionId}`;
  await call('POST', '/timeouts', {script: 120000});
  await call('POST', '/window/rect', {width: 1280, height: 900});
  const found = (css) => call('POST', '/element', {using: 'css selector', value: css});
  const element = async (css) => `/element/${Object.values(await found(css))[0]}`;
  const engine = {name: 'webkit', can: ['axe', 'paste'], messages: []};
  engine.open = (url) => call('POST', '/url', {url});
  engine.reload = () => call('POST', '/refresh', {});
  const script = (fn) => `return (${fn}).apply(null, arguments);`;
  engine.run = (fn, ...args) => call('POST', '/execute/sync', {script: script(fn), args});
  // Enter as the Enter key: WebKit types "\n" as a character.
  const keys = (line) => ({text: line === END ? '\uE009d' : `${line}\uE007`});
  engine.type = async (line) => call('POST', `${await element('#answer')}/value`, keys(line));
  engine.click = async (selector) => call('POST', `${await element(selector)}/click`, {});
  const press = (key) => [{type: 'keyDown', value: key}, {type: 'keyUp', value: key}];
  engine.enter = () =>
      call('POST', '/actions', {actions: [{type: 'key', id: 'keys', actions: press('\uE007')}]});
  engine.screenshot = async (to) =>
      fs.writeFileSync(to, await call('GET', '/screenshot'), 'base64');
  engine.close = () => call('DELETE', '').finally(() => process.kill(-driver.pid));
  engine.kill = () => process.kill(-driver.pid, 'SIGKILL');
  engine.viewport = (width = 1280, height = 900) => call('POST', '/window/rect', {width, height});
  return engine;
}
