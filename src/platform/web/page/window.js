// The web window: draws the forms the server's widget models describe and
// sends the operator's keys, clicks and choices back as events. The models
// decide everything (key filters, handlers, grid rules); this page only mirrors
// their state, so a refused keystroke changes nothing here either.

const stage = document.getElementById('scaler');
const overlays = document.getElementById('overlays');
const notice = document.getElementById('notice');
const nodes = new Map();  // key -> { el, kind, ... } of the drawn controls
let state = null;
let chain = Promise.resolve();
let closed = false;

// --- Talking to the server: one event at a time, in order ---

async function post(event) {
  // A file for the open-file dialog travels as its bytes, named by its own
  // name only.
  const upload = event.type === 'upload';
  const res = await fetch(upload ? '/upload?name=' + encodeURIComponent(event.file.name) : '/event', {
    method: 'POST',
    headers: { 'Content-Type': upload ? 'application/octet-stream' : 'application/json' },
    body: upload ? event.file : JSON.stringify(event),
    credentials: 'same-origin',
  });
  const body = await res.json().catch(() => ({}));
  if (!res.ok) {
    notice.textContent = body.error || ('The window answered ' + res.status);
    return null;
  }
  notice.textContent = body.saveError || '';
  return body;
}

// `event` may be a function that makes the event when its turn comes, so a
// keystroke reads the caret as the models left it after the keys before it.
export function send(event) {
  if (closed) return chain;
  chain = chain.then(async () => {
    const reply = await post(typeof event === 'function' ? event() : event);
    if (reply && reply.closed) return shutDown();
    if (reply) render(reply);
  });
  return chain;
}

// Resolves once every event sent so far has been answered and drawn (tests
// wait on it).
window.kelvoraIdle = () => chain.then(() => true);
// The state last drawn, for tests that check what is shown.
window.kelvoraState = () => state;

function shutDown() {
  closed = true;
  document.body.innerHTML = '<p style="color:#fff;padding:2em;font:16px sans-serif">' +
    'The Kelvora window is closed; the settings are saved.</p>';
}

// --- Characters: the models count code points, the browser UTF-16 units ---

function unitsToPoints(s, units) { return Array.from(s.slice(0, units)).length; }
function pointsToUnits(s, points) {
  let u = 0;
  for (const ch of s) {
    if (points-- <= 0) break;
    u += ch.length;
  }
  return u;
}

function selectionOf(el) {
  const v = el.value;
  const start = unitsToPoints(v, el.selectionStart);
  const end = unitsToPoints(v, el.selectionEnd);
  return { selStart: start, selLength: end - start };
}

// --- Drawing ---

function fontOf(n) {
  if (!n.font) return '';
  const [family, points, bold] = n.font;
  const px = (points * 96) / 72;
  return `${bold ? 'bold ' : ''}${px.toFixed(2)}px "${family}", "Liberation Sans", Arial, sans-serif`;
}

// A caption longer than the native window's (Load became "Save program")
// stays on one line: its font is made smaller until it fits the button.
function fitOneLine(el) {
  el.style.fontSize = '';
  const room = el.clientWidth - 4;
  if (room <= 0 || el.scrollWidth <= el.clientWidth) return;
  const size = parseFloat(getComputedStyle(el).fontSize);
  el.style.fontSize = Math.max(8, Math.floor(size * room / el.scrollWidth)) + 'px';
}

function make(kind, n, level) {
  let el;
  switch (kind) {
    case 'button':
      el = document.createElement('button');
      el.type = 'button';
      el.addEventListener('click', () => send({ type: 'click', name: n.name, level }));
      break;
    case 'check': {
      el = document.createElement('label');
      const box = document.createElement('input');
      box.type = 'checkbox';
      const span = document.createElement('span');
      el.append(box, span);
      el.addEventListener('click', (e) => {
        e.preventDefault();
        send({ type: 'click', name: n.name, level });
      });
      break;
    }
    case 'combo':
      el = document.createElement('select');
      el.addEventListener('change', () =>
        send({ type: 'select', name: n.name, index: el.selectedIndex, level }));
      break;
    case 'text':
      el = document.createElement(n.multiline ? 'textarea' : 'input');
      if (!n.multiline) el.type = 'text';
      el.spellcheck = false;
      el.autocomplete = 'off';
      hookText(el, n.name, level, !!n.multiline);
      break;
    case 'group': {
      el = document.createElement('div');
      const cap = document.createElement('span');
      cap.className = 'caption';
      el.append(cap);
      break;
    }
    case 'picture':
    case 'panel': {
      el = document.createElement('div');
      const img = document.createElement('img');
      img.alt = '';
      // A box that shows no picture yet is blank, not a broken image.
      img.addEventListener('error', () => { img.style.visibility = 'hidden'; });
      img.addEventListener('load', () => { img.style.visibility = ''; });
      el.append(img);
      break;
    }
    case 'tabs': {
      el = document.createElement('div');
      const strip = document.createElement('div');
      strip.className = 'strip';
      const body = document.createElement('div');
      body.className = 'body';
      el.append(strip, body);
      break;
    }
    case 'grid':
      el = document.createElement('div');
      break;
    case 'label':
      el = document.createElement('div');
      el.addEventListener('click', () => {
        if (el.classList.contains('clickable')) send({ type: 'click', name: n.name, level });
      });
      break;
    default:
      el = document.createElement('div');
  }
  el.classList.add('c', kind);
  return el;
}

function hookText(el, name, level, multiline) {
  const key = (ev, deleteForward) => () => {
    const sel = selectionOf(el);
    // Delete removes the character after the caret: that one, selected, is
    // what the models' backspace removes.
    if (deleteForward && sel.selLength === 0) sel.selLength = 1;
    return { ...ev, name, level, ...sel };
  };
  el.addEventListener('keydown', (e) => {
    let ev = null;
    let deleteForward = false;
    if (e.ctrlKey || e.metaKey) {
      const k = e.key.toLowerCase();
      if (k === 'a') ev = { type: 'key', char: 1 };
      else if (k === 'x') {
        navigator.clipboard?.writeText(el.value.substring(el.selectionStart, el.selectionEnd));
        ev = { type: 'key', char: 24 };
      } else if (k === 'c' || k === 'v') return;  // copy natively; paste below
      else if (k === 'z' || k === 'y') { e.preventDefault(); return; }
      else return;
    } else if (e.key === 'Backspace') ev = { type: 'key', char: 8 };
    else if (e.key === 'Delete') {
      ev = { type: 'key', char: 8 };
      deleteForward = true;
    } else if (e.key === 'Enter') {
      e.preventDefault();
      if (multiline) send(key({ type: 'paste', text: '\r\n' }, false));
      else send({ type: 'enter', level });
      return;
    } else if (e.key === 'Escape') {
      e.preventDefault();
      send({ type: 'escape', level });
      return;
    } else if (e.key.length > 0 && Array.from(e.key).length === 1 && !e.altKey) {
      ev = { type: 'key', char: e.key.codePointAt(0) };
    } else return;  // caret keys, Tab: the browser moves the caret or focus
    e.preventDefault();
    send(key(ev, deleteForward));
  });
  el.addEventListener('paste', (e) => {
    e.preventDefault();
    const text = e.clipboardData.getData('text/plain');
    send(() => ({ type: 'paste', name, text, level, ...selectionOf(el) }));
  });
  // Anything else that would change the text (drop, IME) goes through the
  // models too, or not at all.
  el.addEventListener('beforeinput', (e) => {
    if (e.inputType === 'insertCompositionText') return;
    e.preventDefault();
    if (e.inputType === 'insertText' && e.data) {
      send(() => ({ type: 'paste', name, text: e.data, level, ...selectionOf(el) }));
    }
  });
  el.addEventListener('drop', (e) => e.preventDefault());
}

function update(entry, n, level) {
  const { el } = entry;
  const [x, y, w, h] = n.bounds;
  Object.assign(el.style, { left: x + 'px', top: y + 'px', width: w + 'px', height: h + 'px' });
  el.classList.toggle('hidden', !!n.hidden);
  if (n.font) el.style.font = fontOf(n);
  el.style.color = n.fore || '';
  if (n.back) el.style.background = n.back;
  const disabled = !!n.disabled;
  switch (n.kind) {
    case 'button':
      el.textContent = n.text;
      el.disabled = disabled;
      requestAnimationFrame(() => fitOneLine(el));
      break;
    case 'check':
      el.firstChild.checked = !!n.checked;
      el.firstChild.disabled = disabled;
      el.lastChild.textContent = n.text;
      break;
    case 'combo': {
      const items = n.items || [];
      if (entry.items !== JSON.stringify(items)) {
        el.replaceChildren(...items.map((t) => new Option(t)));
        entry.items = JSON.stringify(items);
      }
      el.selectedIndex = n.selected;
      el.disabled = disabled;
      break;
    }
    case 'text': {
      if (el.value !== n.text) el.value = n.text;
      el.readOnly = !!n.readOnly || disabled;
      el.disabled = disabled;
      if (document.activeElement === el && n.sel) {
        const s = pointsToUnits(n.text, n.sel[0]);
        const e = pointsToUnits(n.text, n.sel[0] + n.sel[1]);
        el.setSelectionRange(s, e);
      }
      break;
    }
    case 'group':
      el.firstChild.textContent = n.text;
      break;
    case 'label':
      el.textContent = n.text;
      el.classList.toggle('centred', !!n.centred);
      el.classList.toggle('clickable', !!n.clickable);
      break;
    case 'picture':
    case 'panel': {
      el.classList.toggle('border', !!n.border);
      const src = `/picture?level=${level}&name=${encodeURIComponent(n.name)}&v=${n.picture}`;
      if (entry.picture !== n.picture && n.name) {
        entry.picture = n.picture;
        el.firstChild.src = src;
      }
      break;
    }
    case 'tabs':
      updateTabs(entry, n, level);
      break;
    case 'grid':
      updateGrid(entry, n, level);
      break;
    default:
      break;
  }
}

function updateTabs(entry, n, level) {
  const [strip, body] = entry.el.children;
  const bottom = !!n.bottom;
  const [, , w, h] = n.bounds;
  Object.assign(strip.style, { top: bottom ? (h - 26) + 'px' : '0px' });
  Object.assign(body.style, { left: '0px', top: bottom ? '0px' : '26px', width: w + 'px',
    height: (h - 26) + 'px' });
  const captions = {};
  for (const c of n.children || []) captions[c.name] = c.text;
  const key = JSON.stringify([n.pages, n.pages.map((p) => captions[p])]);
  if (entry.strip !== key) {
    strip.replaceChildren(...n.pages.map((p, i) => {
      const b = document.createElement('button');
      b.type = 'button';
      b.textContent = captions[p] ?? p;
      b.dataset.page = p;
      b.addEventListener('click', () => send({ type: 'select', name: n.name, index: i, level }));
      return b;
    }));
    entry.strip = key;
  }
  [...strip.children].forEach((b, i) => b.classList.toggle('sel', i === n.selected));
}

function updateGrid(entry, n, level) {
  const key = JSON.stringify([n.columns, n.rows, n.headers, n.current, n.selected, n.sort,
    n.lineCount, n.first]);
  if (entry.grid === key) return;
  entry.grid = key;
  const first = n.first || 0;
  const selected = new Set((n.selected || []).map(([r, c]) => r + ',' + c));
  const table = document.createElement('table');
  const head = table.insertRow();
  if (n.rowHeaders) head.appendChild(document.createElement('th')).style.width = '40px';
  n.columns.forEach((c, i) => {
    const th = document.createElement('th');
    th.style.width = c.width + 'px';
    const arrow = n.sort && n.sort[0] === i ? (n.sort[1] > 0 ? ' \u25b2' : ' \u25bc') : '';
    th.textContent = c.name + arrow;
    th.addEventListener('click', () => send({ type: 'sort', name: n.name, column: i, level }));
    head.appendChild(th);
  });
  n.rows.forEach((cells, i) => {
    const r = first + i;  // the line in the whole grid
    const tr = table.insertRow();
    if (n.rowHeaders) {
      const th = document.createElement('th');
      th.textContent = n.headers ? n.headers[i] : '';
      // A click on the row's header selects the row, for Insert and Delete.
      th.addEventListener('click', () => send({ type: 'rowclick', name: n.name, row: r, level }));
      tr.appendChild(th);
    }
    cells.forEach((text, c) => {
      const td = tr.insertCell();
      td.textContent = text;
      if (selected.has(r + ',' + c)) td.classList.add('sel');
      if (n.current && n.current[0] === r && n.current[1] === c) td.classList.add('cur');
      td.addEventListener('click', () => send({ type: 'cellclick', name: n.name, row: r, column: c, level }));
      td.addEventListener('dblclick', () => editCell(td, n.name, r, c, text, level));
    });
  });
  const parts = [table];
  const lines = n.rows.length;
  const total = n.lineCount;  // the lines, the new-row line included
  if (total > lines) {
    // Pages of the long list: the server sends one window of lines at a time.
    const pager = document.createElement('div');
    pager.className = 'more';
    const page = (to) => {
      const b = document.createElement('button');
      b.type = 'button';
      b.textContent = to < first ? '\u25c0' : '\u25b6';
      b.addEventListener('click', () => send({ type: 'scroll', name: n.name, row: to, level }));
      return b;
    };
    if (first > 0) pager.append(page(Math.max(0, first - lines)));
    pager.append(` rows ${first + 1}\u2013${first + lines} of ${total} `);
    if (first + lines < total) pager.append(page(first + lines));
    parts.push(pager);
  }
  entry.el.replaceChildren(...parts);
}

function editCell(td, grid, row, column, text, level) {
  const input = document.createElement('input');
  input.value = text;
  td.replaceChildren(input);
  input.focus();
  let done = false;
  const finish = (keep) => {
    if (done) return;
    done = true;
    if (keep && input.value !== text) {
      send({ type: 'cell', name: grid, row, column, text: input.value, level });
    } else {
      td.textContent = text;
    }
  };
  input.addEventListener('keydown', (e) => {
    if (e.key === 'Enter') finish(true);
    else if (e.key === 'Escape') finish(false);
  });
  input.addEventListener('blur', () => finish(true));
}

// Draws node `n` (and its children) into `parent` under `key`.
function draw(n, parent, key, level, seen) {
  let entry = nodes.get(key);
  if (!entry || entry.kind !== n.kind) {
    entry = { el: make(n.kind, n, level), kind: n.kind };
    if (n.name) entry.el.dataset.name = n.name;
    nodes.set(key, entry);
  }
  if (entry.el.parentNode !== parent) parent.appendChild(entry.el);
  seen.add(key);
  // A control whose description did not change is left as it is drawn: most of
  // the window's hundreds of controls stay the same from one keystroke to the
  // next, and rewriting their styles (and measuring every button's caption)
  // is what made a keystroke slow. Text boxes, check boxes and drop-downs are
  // always brought in line: the browser may have changed them before the
  // models answered (a caret moved, a click the models refused).
  const sig = JSON.stringify(n, (k, v) => (k === 'children' ? undefined : v));
  if (n.kind === 'text' || n.kind === 'check' || n.kind === 'combo' || entry.sig !== sig) {
    entry.sig = sig;
    update(entry, n, level);
  }
  const client = n.client || [0, 0];
  const children = n.children || [];
  let inner = entry.el;
  if (n.kind === 'tabs') inner = entry.el.children[1];
  children.forEach((c, i) => {
    let holder = inner;
    if (client[0] || client[1]) {
      // Children lie in the client area: a positioned box at its origin.
      if (!entry.client) {
        entry.client = document.createElement('div');
        entry.client.className = 'c';
        inner.appendChild(entry.client);
      }
      const offsetY = n.kind === 'tabs' ? 0 : client[1];
      const offsetX = n.kind === 'tabs' ? 0 : client[0];
      Object.assign(entry.client.style, { left: offsetX + 'px', top: offsetY + 'px' });
      holder = entry.client;
    }
    draw(c, holder, key + '/' + i, level, seen);
  });
}

function drawForm(n, container, level, seen) {
  const key = 'L' + level;
  let entry = nodes.get(key);
  if (!entry) {
    entry = { el: document.createElement('div'), kind: 'form' };
    entry.el.className = 'form';
    nodes.set(key, entry);
  }
  if (entry.el.parentNode !== container) container.appendChild(entry.el);
  seen.add(key);
  const [, , w, h] = n.bounds;
  Object.assign(entry.el.style, { width: w + 'px', height: h + 'px', font: fontOf(n) });
  (n.children || []).forEach((c, i) => draw(c, entry.el, key + '/' + i, level, seen));
  return entry.el;
}

function fit() {
  if (!state) return;
  const [, , w, h] = state.forms[0].bounds;
  const stageEl = document.getElementById('stage');
  const s = Math.min(stageEl.clientWidth / w, stageEl.clientHeight / h, 1.6);
  stage.style.transform = `scale(${s})`;
  for (const m of overlays.querySelectorAll('.modal.formbox')) {
    const fw = +m.dataset.w;
    const fh = +m.dataset.h + 26;
    const ms = Math.min(1.6, (innerWidth * 0.96) / fw, (innerHeight * 0.96) / fh);
    m.style.transform = `scale(${Math.min(ms, Math.max(s, 1))})`;
  }
}
window.addEventListener('resize', fit);

function render(s) {
  state = s;
  document.getElementById('dialect').textContent = 'Programs for ' + s.dialect;
  const seen = new Set();
  for (const l of overlays.querySelectorAll('[data-kind="prompt"]')) l.remove();
  drawForm(s.forms[0], stage, 0, seen);
  // Modal forms, then a box on top of all.
  const wanted = [];
  s.forms.slice(1).forEach((f, i) => wanted.push({ form: f, level: i + 1 }));
  const layers = [...overlays.children];
  wanted.forEach((w, i) => {
    let layer = layers[i];
    if (!layer || layer.dataset.kind !== 'form' || layer.dataset.title !== w.form.text) {
      layer?.remove();
      layer = document.createElement('div');
      layer.className = 'overlay';
      layer.dataset.kind = 'form';
      layer.dataset.title = w.form.text;
      const modal = document.createElement('div');
      modal.className = 'modal formbox';
      modal.tabIndex = -1;
      // Enter and Escape anywhere in a box but its own controls (text boxes
      // send them themselves) press its accept or cancel button.
      modal.addEventListener('keydown', (e) => {
        if (e.target.closest('input, textarea, select, button')) return;
        if (e.key === 'Enter' || e.key === 'Escape') {
          e.preventDefault();
          send({ type: e.key === 'Enter' ? 'enter' : 'escape', level: w.level });
        }
      });
      const bar = document.createElement('div');
      bar.className = 'titlebar';
      const title = document.createElement('span');
      title.textContent = w.form.text;
      const x = document.createElement('button');
      x.type = 'button';
      x.textContent = '\u00d7';
      x.addEventListener('click', () => send({ type: 'dismiss', level: w.level }));
      bar.append(title, x);
      modal.append(bar);
      layer.append(modal);
      overlays.insertBefore(layer, overlays.children[i] || null);
      for (const k of [...nodes.keys()]) if (k.startsWith('L' + w.level)) nodes.delete(k);
    }
    const modal = layer.firstChild;
    modal.dataset.w = w.form.bounds[2];
    modal.dataset.h = w.form.bounds[3];
    drawForm(w.form, modal, w.level, seen);
  });
  [...overlays.children].slice(wanted.length).forEach((l) => l.remove());
  for (const k of [...nodes.keys()]) if (!seen.has(k)) nodes.delete(k);
  if (s.prompt) showPrompt(s.prompt);
  if (s.download) offerDownload(s.download);
  fit();
}

function showPrompt(p) {
  const layer = document.createElement('div');
  layer.className = 'overlay';
  layer.dataset.kind = 'prompt';
  const modal = document.createElement('div');
  modal.className = 'modal';
  modal.setAttribute('role', 'dialog');
  const bar = document.createElement('div');
  bar.className = 'titlebar';
  bar.append(Object.assign(document.createElement('span'), { textContent: p.caption || 'Kelvora' }));
  const box = document.createElement('div');
  box.className = 'box';
  const msg = document.createElement('div');
  msg.className = 'msg';
  const fileDialog = p.kind === 'open' || p.kind === 'save';
  // A file dialog's text is its filter, "csv files (*.csv)|*.csv|...": its
  // descriptions are shown, its patterns limit the files offered.
  const parts = fileDialog ? p.text.split('|') : [];
  msg.textContent = fileDialog ? parts.filter((_, i) => i % 2 === 0).join(', ') : p.text;
  const buttons = document.createElement('div');
  buttons.className = 'buttons';
  let input = null;
  if (p.kind === 'open') {
    input = document.createElement('input');
    input.type = 'file';
    const patterns = parts.filter((_, i) => i % 2 === 1).join(';').split(';');
    if (!patterns.some((x) => x.trim() === '*.*')) {
      input.accept = patterns.map((x) => x.trim().replace(/^\*/, '')).join(',');
    }
  } else if (p.kind === 'save') {
    msg.textContent += ': the file is downloaded.';
  }
  const answer = (yes) => {
    if (p.kind === 'open' && yes) {
      if (!input.files.length) return;
      layer.remove();
      send({ type: 'upload', file: input.files[0] });
      return;
    }
    layer.remove();
    send({ type: 'answer', yes });
  };
  const names = p.kind === 'yesno' ? [['Yes', true], ['No', false]]
    : p.kind === 'open' ? [['Open', true], ['Cancel', false]]
    : p.kind === 'save' ? [['Save', true], ['Cancel', false]] : [['OK', true]];
  for (const [label, yes] of names) {
    const b = document.createElement('button');
    b.type = 'button';
    b.textContent = label;
    b.dataset.answer = label;
    b.addEventListener('click', () => answer(yes));
    buttons.append(b);
  }
  if (input) box.append(msg, input, buttons);
  else box.append(msg, buttons);
  modal.append(bar, box);
  layer.append(modal);
  overlays.append(layer);
  buttons.firstChild.focus();
}

function offerDownload(d) {
  const a = document.createElement('a');
  a.href = '/download?id=' + d.id;
  a.download = d.name;
  document.body.append(a);
  a.click();
  a.remove();
}

document.getElementById('close').addEventListener('click', () => send({ type: 'close' }));
document.getElementById('config').addEventListener('click', () => send({ type: 'config' }));
send({ type: 'state' });
