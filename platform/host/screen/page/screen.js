'use strict';
// The page of `brelta-device screen`: draws what the server pushes (one stream of events, one
// per part of the device root, records and run states already taken apart by the server)
// and sends the presses and edits back as small JSON requests. Everything shown comes from
// files anyone can write, so text is only ever set as text, and no name from them is looked
// up in an object (where "__proto__" would find the prototype).

const $ = (selector) => document.querySelector(selector);
const PAGES = new Map([
  ['LAUNCH_WIFI_LIST_PAGE', 'Wi-Fi networks'],
  ['LAUNCH_NW_ERROR_POPUP', 'Network error'],
  ['LAUNCH_NDF_POPUP', 'Network diagnosis'],
  ['LAUNCH_EU_REGULATION_TEST_POPUP', 'EU regulation test'],
]);
const ALERT_APP = 'org.tizen.alert-syspopup';
const PREFIX = 'brelta.keycombination.';
const MAX_LOG_ROWS = 2000;
const TOKEN_HEADER = 'X-Brelta-Token';
const GONE = 'The server does not answer: brelta-device screen has ended. Start it again and '
  + 'open the address it prints.';

// The token comes in the address's fragment, which the browser sends nowhere. The page keeps
// it for this tab in sessionStorage, which no other origin (another port included) can read,
// takes it out of the address bar, and sends it in a header that no page of another origin
// may set on a request to this one.
const token = (() => {
  const found = /^#token=([0-9a-f]+)$/.exec(location.hash);
  if (found) {
    sessionStorage.setItem('token', found[1]);
    history.replaceState(null, '', location.pathname);
  }
  return sessionStorage.getItem('token') ?? '';
})();

const state = {
  toasts: [], launches: [], runs: [], settings: new Map(),
  closedAt: -Infinity, dismissedAt: -Infinity, pid: null,
};

function el(tag, props = {}, ...children) {
  const node = document.createElement(tag);
  for (const [key, value] of Object.entries(props)) {
    if (key === 'class') node.className = value;
    else if (key.startsWith('data-')) node.setAttribute(key, value);
    else node[key] = value;
  }
  for (const child of children) node.append(child);
  return node;
}

function say(note, text, bad) {
  note.textContent = text;
  note.classList.toggle('bad', !!bad);
}

async function post(path, body, note) {
  let ok = false;
  let text = GONE;
  try {
    const response = await fetch(path, {
      method: 'POST',
      headers: { 'Content-Type': 'application/json', [TOKEN_HEADER]: token },
      body: JSON.stringify(body),
    });
    const answer = await response.json().catch(() => ({}));
    ok = response.ok;
    text = answer.message ?? answer.error ?? `the server answered ${response.status}`;
  } catch {
    // Only a request that reached no server fails here.
  }
  say(note, text, !ok);
  return ok;
}

// Ages come from the server's clock; the page turns them into times of its own clock once,
// when they arrive (null: there before the screen started).
function arrived(items) {
  const now = performance.now();
  for (const item of items) item.at = item.age_ms === null ? null : now - item.age_ms;
  return items;
}

// ---- the TV ----

function drawToasts() {
  const box = $('#toasts');
  box.replaceChildren();
  for (const toast of state.toasts) {
    const buttons = el('div', { class: 'buttons' });
    for (const button of toast.buttons) {
      const isDefault = button.button === toast.default_button;
      buttons.append(el('button', {
        class: isDefault ? 'default' : '',
        'data-button': button.button,
        title: isDefault ? 'the default button' : '',
        onclick: () => post('/api/toast', { id: toast.id, event: button.button - 1 }, $('#remote-note')),
      }, button.text ?? `button ${button.button}`));
    }
    const icon = el('div', { class: 'icon', title: toast.image ?? '' }, toast.image ? '▣' : 'i');
    const card = el('div', { class: 'toast', 'data-id': toast.id },
      icon,
      el('div', { class: 'body' },
        el('div', { class: 'title' }, toast.title ?? ''),
        el('div', { class: 'content' }, toast.content ?? ''),
        buttons),
      el('button', { class: 'hide', title: 'hide, as its user would',
        onclick: () => post('/api/toast', { id: toast.id, event: 100 }, $('#remote-note')) }, '×'));
    if (toast.hide_timeout > 0) {
      card.append(el('div', { class: 'bar' }, el('div')));
      card.dataset.until = toast.at + toast.hide_timeout * 1000;
      card.dataset.length = toast.hide_timeout * 1000;
    }
    box.append(card);
  }
  drawHint();
}

// Extra data are pairs of text; anything else in their place is no datum.
function extras(launch) {
  return (Array.isArray(launch.extra) ? launch.extra : []).filter((pair) =>
    Array.isArray(pair) && typeof pair[0] === 'string' && typeof pair[1] === 'string');
}

function extra(launch, key) {
  const pair = extras(launch).find((p) => p[0] === key);
  return pair ? pair[1] : null;
}

function drawLaunches() {
  // The TV: the latest alert popup still within its time-out and not closed here, and the
  // latest other application that was started since the screen began and not closed here.
  let alert = null;
  let app = null;
  for (const launch of state.launches) {
    if (launch.at === null || launch.result !== 0) continue;
    if (launch.app_id === ALERT_APP) {
      const seconds = Number(extra(launch, 'timeout')) || 30;
      alert = { launch, until: launch.at + seconds * 1000, length: seconds * 1000 };
    } else if (launch.at > state.closedAt) {
      app = launch;
    }
  }
  if (alert && alert.launch.at <= state.dismissedAt) alert = null;
  const popup = $('#popup');
  popup.hidden = !alert || alert.until <= performance.now();
  if (alert && !popup.hidden) {
    const text = popup.querySelector('.alert-text');
    text.textContent = alert.launch.alert?.text ?? extra(alert.launch, 'text') ?? '';
    text.style.color = alert.launch.alert?.colour ?? '';
    popup.dataset.until = alert.until;
    popup.dataset.length = alert.length;
  }
  const page = $('#app');
  page.hidden = !app;
  if (app) {
    const selector = extra(app, 'NW_TEST_FUNCTION_FROM_JSON');
    page.querySelector('.app-name').textContent = String(app.app_id);
    page.querySelector('.app-page').textContent = PAGES.get(selector) ?? selector ?? String(app.app_id);
    page.querySelector('.app-selector').textContent = selector ?? '';
    page.querySelector('.app-extra').replaceChildren(...extras(app).flatMap(
      (pair) => [el('dt', {}, pair[0]), el('dd', {}, pair[1])]));
  }

  const list = $('#launches');
  list.replaceChildren(...state.launches.map((launch) => el('li', {},
    el('div', {}, `pid ${launch.pid} → ${launch.app_id} `,
      el('span', { class: launch.result === 0 ? 'ok' : 'bad' }, `result ${launch.result}`)),
    el('div', { class: 'dim' }, launch.operation ?? '(no operation)'),
    ...extras(launch).map((pair) => el('div', { class: 'dim' }, `${pair[0]} = ${pair[1]}`))))
    .reverse());
  drawHint();
}

function drawHint() {
  $('#hint').hidden = state.toasts.length > 0 || !$('#popup').hidden || !$('#app').hidden;
}

// The remote's Back key: the popup first, as the alert application closes on it, then the
// application's page.
function back() {
  if (!$('#popup').hidden) state.dismissedAt = performance.now();
  else state.closedAt = performance.now();
  drawLaunches();
}

// Time-out bars and count-downs run between the events.
function tick() {
  const now = performance.now();
  for (const node of document.querySelectorAll('[data-until]')) {
    const left = Number(node.dataset.until) - now;
    const bar = node.querySelector('.bar > div');
    if (bar) bar.style.width = `${Math.max(0, 100 * left / Number(node.dataset.length))}%`;
    if (node.id === 'popup' && !node.hidden) {
      if (left <= 0) {
        node.hidden = true;
        drawHint();
      }
      node.querySelector('.alert-time').textContent =
        `closes in ${Math.ceil(left / 1000)} s, or with Back`;
    }
  }
  for (const node of document.querySelectorAll('[data-exit-at]')) {
    const left = Math.max(0, Math.ceil((Number(node.dataset.exitAt) - now) / 1000));
    node.textContent = `exits in ${left} s`;
  }
  requestAnimationFrame(tick);
}

// ---- the remote and its runs ----

function drawKeys(ids) {
  $('#keys').replaceChildren(...ids.map((id) => el('button', {
    'data-id': id,
    title: id,
    onclick: () => post('/api/press', { id }, $('#remote-note')),
  }, id.replace(PREFIX, ''))));
}

// What the program a run started came to, from its wait status.
function programState(program) {
  if (!program) return '';
  if (program.exit === 127) return `; its program is missing (result ${program.status})`;
  if (program.exit === null) return `; its program failed (result ${program.status})`;
  return program.exit === 0 ? '; its program ran' : `; its program exited ${program.exit}`;
}

function runState(run) {
  if (run.status !== null) {
    return el('span', { class: run.status === 0 ? 'ok' : 'bad' }, `exited ${run.status}`);
  }
  if (run.exit_in_ms !== null) {
    return el('span', { 'data-exit-at': performance.now() + run.exit_in_ms },
      `exits in ${Math.ceil(run.exit_in_ms / 1000)} s`);
  }
  return el('span', {}, run.lock === null ? 'starting' : `running, lock ${run.lock}`);
}

function drawRuns() {
  $('#runs').replaceChildren(...state.runs.slice().reverse().map((run) => el('li',
    { 'data-pid': run.pid, class: run.pid === state.pid ? 'chosen' : '',
      title: 'show only its records', onclick: () => showRun(run.pid) },
    el('b', {}, run.id.replace(PREFIX, '')), ` pid ${run.pid}: `, runState(run),
    el('span', { class: run.program && run.program.exit !== 0 ? 'bad' : '' }, programState(run.program)))));
}

// ---- the log ----

function addRecords(records, restarted) {
  const log = $('#log');
  if (restarted) log.replaceChildren();
  const tags = new Set([...$('#tag').options].map((o) => o.value));
  const rows = [];
  for (const record of records) {
    const tag = record.tag ?? '';
    if (!tags.has(tag)) {
      tags.add(tag);
      $('#tag').append(el('option', { value: tag }, tag));
    }
    rows.push(el('div', { class: 'record', 'data-tag': tag, 'data-pid': record.pid ?? '' },
      el('span', { class: 'dim' }, (record.time ?? '').slice(11, 23)), ` ${record.pid ?? ''} `,
      el('span', { class: 'tag' }, tag), ` ${record.message}`));
  }
  log.append(...rows);
  while (log.childElementCount > MAX_LOG_ROWS) log.firstElementChild.remove();
  filterLog();
}

// A run of the remote, clicked: the log shows its records alone, until it is clicked again.
function showRun(pid) {
  state.pid = state.pid === pid ? null : pid;
  drawRuns();
  filterLog();
}

function filterLog() {
  const tag = $('#tag').value;
  const pid = state.pid === null ? null : String(state.pid);
  for (const row of $('#log').children) {
    row.hidden = (tag !== '' && row.dataset.tag !== tag) || (pid !== null && row.dataset.pid !== pid);
  }
  if ($('#follow').checked) $('#log').scrollTop = $('#log').scrollHeight;
}

// ---- the side panels ----

// A key as text with line-break chances after its separators, so that it wraps between its
// parts and not inside them.
function breakable(text) {
  return text.split(/(?<=[/._])/).flatMap((part, i) => (i ? [el('wbr'), part] : [part]));
}

function drawSettings(change) {
  if (change.whole) state.settings.clear();
  for (const key of change.removed) state.settings.delete(key);
  const changed = new Set();
  for (const row of change.set) {
    state.settings.set(row.key, row);
    if (!change.whole) changed.add(row.key);
  }
  $('#settings tbody').replaceChildren(...[...state.settings.values()].map((s) => {
    const row = el('tr', { 'data-key': s.key, class: changed.has(s.key) ? 'changed' : '' },
      el('td', {}, ...breakable(s.key)), el('td', {}, s.type ?? '?'),
      el('td', { class: s.type ? '' : 'bad' }, s.type ? s.value : 'not a setting'));
    row.onclick = () => {
      const form = $('#setting-form');
      form.key.value = s.key;
      if (s.type) form.type.value = s.type;
      form.value.value = s.value ?? '';
    };
    return row;
  }));
  const hidden = $('#settings-hidden');
  hidden.hidden = !change.hidden;
  hidden.textContent = `${change.hidden} more keys are not shown (brelta-device settings list has them all).`;
}

function drawUsb(devices) {
  $('#usb').replaceChildren(...devices.map((d) => el('li', {},
    el('span', {}, `${d.mountpath} — ${d.product}`),
    el('button', { onclick: (e) => post('/api/usb', { detach: d.mountpath }, note(e.target)) },
      'Detach'))));
}

function drawFaults(faults) {
  $('#faults').replaceChildren(...faults.map((f) => el('li', {},
    el('span', {}, `${f.function}: ${f.values.join(' ')}`),
    el('button', { onclick: (e) => post('/api/fault', { function: f.function }, note(e.target)) },
      'Clear'))));
}

// The line below the form of a panel: where what its buttons did is said.
function note(node) {
  return node.closest('details').querySelector('.note');
}

function onSubmit(selector, send) {
  $(selector).addEventListener('submit', async (event) => {
    event.preventDefault();
    if (await send(event.target, note(event.target))) event.target.reset();
  });
}

onSubmit('#setting-form', (f, n) => post('/api/setting',
  { key: f.key.value, type: f.type.value, value: f.value.value }, n));
onSubmit('#usb-form', (f, n) => post('/api/usb', { attach: f.attach.value, product: f.product.value }, n));
onSubmit('#fault-form', (f, n) => post('/api/fault', {
  function: f.function.value,
  values: f.values.value.trim().split(/\s+/).map(Number),
}, n));
$('#tag').onchange = filterLog;
$('#follow').onchange = filterLog;
$('#back').onclick = back;
$('#stop-copy').onclick = () => post('/api/capture', {}, $('#remote-note'));
$('#app .app-back').onclick = back;
document.addEventListener('keydown', (e) => { if (e.key === 'Escape') back(); });

// ---- the stream ----

function hello(hello) {
  $('#root').textContent = hello.root;
  document.title = `Emulated TV: ${hello.root}`;
  drawKeys(hello.ids);
  const live = hello.live.filter((s) => s.live).map((s) => s.service);
  $('#live').textContent = live.length ? `live services: ${live.join(', ')}` : 'all services emulated';
  say($('#remote-note'), hello.tool_missing
    ? `The tool is not built: ${hello.tool_missing} is missing. Build it, then press a key.` : '',
  !!hello.tool_missing);
}

const HANDLERS = new Map([
  ['hello', hello],
  ['toasts', (toasts) => { state.toasts = arrived(toasts); drawToasts(); }],
  ['launches', (launches) => { state.launches = arrived(launches); drawLaunches(); }],
  ['runs', (runs) => { state.runs = runs; drawRuns(); }],
  ['log', (log) => addRecords(log.records, log.restarted)],
  ['settings', drawSettings],
  ['usb', drawUsb],
  ['faults', drawFaults],
]);

function link(text, up) {
  $('#link').textContent = text;
  $('#link').classList.toggle('down', !up);
}

function dispatch(block) {
  let name = '';
  let data = '';
  for (const line of block.split('\n')) {
    if (line.startsWith('event: ')) name = line.slice(7);
    else if (line.startsWith('data: ')) data += line.slice(6);
  }
  HANDLERS.get(name)?.(JSON.parse(data));
}

// The events come by fetch, which can send the token's header (an EventSource cannot). A
// stream that ends (the server dropped a page that fell behind) is opened again and starts
// from the whole state; a server that is gone is said so, and asked again now and then.
async function follow() {
  for (;;) {
    try {
      const response = await fetch('/events', { headers: { [TOKEN_HEADER]: token } });
      if (response.status === 403) {
        link('this page has no token of this server: open the address brelta-device screen printed');
        return;
      }
      link('live', true);
      const reader = response.body.pipeThrough(new TextDecoderStream()).getReader();
      let buffer = '';
      for (;;) {
        const { value, done } = await reader.read();
        if (done) break;
        buffer += value;
        for (let end; (end = buffer.indexOf('\n\n')) >= 0; buffer = buffer.slice(end + 2)) {
          dispatch(buffer.slice(0, end));
        }
      }
      link('reconnecting…');
    } catch {
      link(GONE);
    }
    await new Promise((resolve) => { setTimeout(resolve, 1000); });
  }
}

follow();
requestAnimationFrame(tick);
