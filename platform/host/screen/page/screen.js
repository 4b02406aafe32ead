'use strict';
// The page of `brelta-device screen`: draws what the server pushes (server-sent events, one
// per part of the device root) and sends the presses and edits back as small JSON requests.
// Everything shown comes from files anyone can write, so text is only ever set as text.

const $ = (selector) => document.querySelector(selector);
const PAGES = {
  LAUNCH_WIFI_LIST_PAGE: 'Wi-Fi networks',
  LAUNCH_NW_ERROR_POPUP: 'Network error',
  LAUNCH_NDF_POPUP: 'Network diagnosis',
  LAUNCH_EU_REGULATION_TEST_POPUP: 'EU regulation test',
};
const ALERT_APP = 'org.tizen.alert-syspopup';
const MAX_LOG_ROWS = 2000;

const state = { toasts: [], launches: [], runs: [], log: [], closedAt: -Infinity, pid: null };

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

function say(text, bad) {
  const status = $('#status');
  status.textContent = text;
  status.classList.toggle('bad', !!bad);
}

async function post(path, body) {
  try {
    const response = await fetch(path, {
      method: 'POST',
      headers: { 'Content-Type': 'application/json' },
      body: JSON.stringify(body),
    });
    const answer = await response.json();
    say(answer.message || answer.error, !response.ok);
    return response.ok;
  } catch (error) {
    say(String(error), true);
    return false;
  }
}

// Ages come from the server's clock; the page keeps arrival times on its own.
function arrived(item) {
  return item.age_ms === null ? null : performance.now() - item.age_ms;
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
        onclick: () => post('/api/toast', { id: toast.id, event: button.button - 1 }),
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
                     onclick: () => post('/api/toast', { id: toast.id, event: 100 }) }, '×'));
    if (toast.hide_timeout > 0) {
      card.append(el('div', { class: 'bar' }, el('div')));
      card.dataset.until = arrived(toast) + toast.hide_timeout * 1000;
      card.dataset.length = toast.hide_timeout * 1000;
    }
    box.append(card);
  }
}

function extra(launch, key) {
  const pair = (launch.extra || []).find((p) => Array.isArray(p) && p[0] === key);
  return pair ? pair[1] : null;
}

function drawLaunches() {
  // The TV: the latest alert popup still within its time-out, and the latest other
  // application that was started since the screen began and not closed here.
  let alert = null;
  let app = null;
  for (const launch of state.launches) {
    if (launch.age_ms === null || launch.result !== 0) continue;
    if (launch.app_id === ALERT_APP) {
      const seconds = Number(extra(launch, 'timeout')) || 30;
      alert = { launch, until: arrived(launch) + seconds * 1000, length: seconds * 1000 };
    } else if (arrived(launch) > state.closedAt) {
      app = launch;
    }
  }
  const popup = $('#popup');
  popup.hidden = !alert || alert.until <= performance.now();
  if (alert && !popup.hidden) {
    const text = popup.querySelector('.alert-text');
    text.textContent = alert.launch.alert ? alert.launch.alert.text : extra(alert.launch, 'text');
    text.style.color = alert.launch.alert?.colour ?? '';
    popup.dataset.until = alert.until;
    popup.dataset.length = alert.length;
  }
  const page = $('#app');
  page.hidden = !app;
  if (app) {
    const selector = extra(app, 'NW_TEST_FUNCTION_FROM_JSON');
    page.querySelector('.app-name').textContent = app.app_id;
    page.querySelector('.app-page').textContent = PAGES[selector] ?? selector ?? app.app_id;
    page.querySelector('.app-selector').textContent = selector ?? '';
    page.querySelector('.app-extra').replaceChildren(...(app.extra || []).flatMap(
      (pair) => [el('dt', {}, String(pair[0])), el('dd', {}, String(pair[1]))]));
    page.querySelector('.app-back').onclick = () => { state.closedAt = performance.now(); drawLaunches(); };
  }

  const list = $('#launches');
  list.replaceChildren(...state.launches.map((launch) => el('li', {},
    el('div', {}, `pid ${launch.pid} → ${launch.app_id} `,
      el('span', { class: launch.result === 0 ? 'ok' : 'bad' }, `result ${launch.result}`)),
    el('div', { class: 'dim' }, launch.operation ?? '(no operation)'),
    ...(launch.extra || []).map((pair) => el('div', { class: 'dim' }, `${pair[0]} = ${pair[1]}`))))
    .reverse());
}

// Time-out bars and count-downs run between the events.
function tick() {
  const now = performance.now();
  for (const node of document.querySelectorAll('[data-until]')) {
    const left = Number(node.dataset.until) - now;
    const bar = node.querySelector('.bar > div');
    if (bar) bar.style.width = `${Math.max(0, 100 * left / Number(node.dataset.length))}%`;
    if (node.id === 'popup') {
      if (left <= 0) node.hidden = true;
      node.querySelector('.alert-time').textContent = `closes in ${Math.ceil(left / 1000)} s`;
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
    onclick: () => post('/api/press', { id }),
  }, id.replace('brelta.keycombination.', ''))));
}

// A run's state, from its records: the exit lock, then the exit delay.
function runState(run) {
  let lock = null;
  let exitAt = null;
  for (const record of state.log) {
    if (record.pid !== run.pid) continue;
    const locked = /(?:lOCK \+\+|UNLOCK --) (\d+)/.exec(record.message);
    if (locked) lock = Number(locked[1]);
    const exiting = /EXITING in (\d+) seconds/.exec(record.message);
    if (exiting) exitAt = record.arrived + Number(exiting[1]) * 1000;
  }
  if (run.status !== null) return el('span', { class: run.status === 0 ? 'ok' : 'bad' }, `exited ${run.status}`);
  if (exitAt !== null) return el('span', { 'data-exit-at': exitAt });
  return el('span', {}, lock === null ? 'starting' : `running, lock ${lock}`);
}

function drawRuns() {
  $('#runs').replaceChildren(...state.runs.slice().reverse().map((run) => el('li',
    { 'data-pid': run.pid, class: run.pid === state.pid ? 'chosen' : '',
      title: 'show only its records', onclick: () => showRun(run.pid) },
    el('b', {}, run.id.replace('brelta.keycombination.', '')), ` pid ${run.pid}: `, runState(run))));
}

// ---- the log ----

const RECORD = /^(\S+) (\d+) ([A-Z])\/([^:]*): (.*)$/;

function addRecords(lines, restarted) {
  if (restarted) {
    state.log = [];
    $('#log').replaceChildren();
  }
  const now = performance.now();
  const tags = new Set([...$('#tag').options].map((o) => o.value));
  const rows = [];
  for (const line of lines) {
    const match = RECORD.exec(line);
    const record = match
      ? { time: match[1], pid: Number(match[2]), priority: match[3], tag: match[4], message: match[5] }
      : { time: '', pid: 0, priority: '?', tag: '', message: line };
    record.arrived = now;
    state.log.push(record);
    if (!tags.has(record.tag)) {
      tags.add(record.tag);
      $('#tag').append(el('option', { value: record.tag }, record.tag));
    }
    rows.push(el('div', { class: 'record', 'data-tag': record.tag, 'data-pid': record.pid },
      el('span', { class: 'dim' }, record.time.slice(11, 23)), ` ${record.pid} `,
      el('span', { class: 'tag' }, record.tag), ` ${record.message}`));
  }
  const log = $('#log');
  log.append(...rows);
  while (log.childElementCount > MAX_LOG_ROWS) log.firstElementChild.remove();
  state.log.splice(0, Math.max(0, state.log.length - MAX_LOG_ROWS));
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

function drawSettings(settings) {
  const body = $('#settings tbody');
  const before = new Map([...body.rows].map((row) => [row.dataset.key, row.cells[2].textContent]));
  body.replaceChildren(...settings.map((s) => {
    const row = el('tr', { 'data-key': s.key },
      el('td', {}, s.key), el('td', {}, s.type ?? '?'),
      el('td', { class: s.type ? '' : 'bad' }, s.type ? s.value : 'not a setting'));
    if (before.size && before.get(s.key) !== row.cells[2].textContent) row.classList.add('changed');
    row.onclick = () => {
      const form = $('#setting-form');
      form.key.value = s.key;
      if (s.type) form.type.value = s.type;
      form.value.value = s.value ?? '';
    };
    return row;
  }));
}

function drawUsb(devices) {
  $('#usb').replaceChildren(...devices.map((d) => el('li', {},
    el('span', {}, `${d.mountpath} — ${d.product}`),
    el('button', { onclick: () => post('/api/usb', { detach: d.mountpath }) }, 'Detach'))));
}

function drawFaults(faults) {
  $('#faults').replaceChildren(...faults.map((f) => el('li', {},
    el('span', {}, `${f.function}: ${f.values.join(' ')}`),
    el('button', { onclick: () => post('/api/fault', { function: f.function }) }, 'Clear'))));
}

function onSubmit(selector, send) {
  $(selector).addEventListener('submit', async (event) => {
    event.preventDefault();
    if (await send(event.target)) event.target.reset();
  });
}

onSubmit('#setting-form', (f) => post('/api/setting',
  { key: f.key.value, type: f.type.value, value: f.value.value }));
onSubmit('#usb-form', (f) => post('/api/usb', { attach: f.attach.value, product: f.product.value }));
onSubmit('#fault-form', (f) => post('/api/fault', {
  function: f.function.value,
  values: f.values.value.trim().split(/\s+/).map(Number),
}));
$('#tag').onchange = filterLog;
$('#follow').onchange = filterLog;

// ---- the stream ----

const events = new EventSource('/events');
const on = (name, handler) => events.addEventListener(name, (e) => handler(JSON.parse(e.data)));
on('hello', (hello) => {
  $('#root').textContent = hello.root;
  document.title = `Emulated TV: ${hello.root}`;
  drawKeys(hello.ids);
});
on('toasts', (toasts) => { state.toasts = toasts; drawToasts(); });
on('launches', (launches) => { state.launches = launches; drawLaunches(); });
on('runs', (runs) => { state.runs = runs; drawRuns(); });
on('log', (log) => { addRecords(log.records, log.restarted); drawRuns(); });
on('settings', drawSettings);
on('usb', drawUsb);
on('faults', drawFaults);
events.onopen = () => { $('#link').textContent = 'live'; $('#link').classList.remove('down'); };
events.onerror = () => { $('#link').textContent = 'reconnecting…'; $('#link').classList.add('down'); };
requestAnimationFrame(tick);
