// The operator's console: every attribute by subsystem, live over server-sent events, writes
// with their refusals beside the field, the interlock, and the altitude of each channel.
"use strict";

const GROUPS = [
  ["Channels", /^(NOOF|SLAVE|COUPLED|RFCONN|FACTORYCALCHAN)/],
  ["Altitude simulation", /^(CH\dCUR|CH\dLEG|CH\dPROFILE|CH\dALTSIM|SIMULATION|RUNSTOP|PAUSERESUME|TOTALDURATION|ALTSIM|PROFILE|.*ALTINDZERO|LEG)/],
  ["RF level", /(RFLVL|OUTPWR|LOOPLOSS|CBLLOSS|CPLRLOSS|EXTLOSS|OFFSET|AUTORF|AUTOLOOP|PWRLVLDIFF|^AID|COUPLEDMANUAL)/],
  ["UUT and display", /(UUT|UNITS|DISPLAY|ARINC|MEAS|FREQ|PRF|PULSE|SWEEP|FMDEV|TRIP)/],
  ["Diagnostics", /^DIAG/],
  ["Calibration", /CAL/],
  ["Save and recall", /(SETTINGS|STORE|RECALL|FACTORYDEFAULT|RCI|CATALOG)/],
];
const COLOURS = ["#1f77b4", "#d62728", "#2ca02c"];
// Attributes by the names they are registered under: the key and the engine's instance digit.
const attrs = new Map();       // name -> {type, value, holder, reason, message, row}
const series = [[], [], []];   // per channel: [time s, altitude]
let legs = [[], [], []];
const t0 = Date.now();
let running = false;

function groupOf(name) {
  for (const [group, re] of GROUPS) if (re.test(name)) return group;
  return "Other";
}
const writable = (type) => type.startsWith("EngineAttrib") && !type.endsWith("Void");
const command = (type) => type.endsWith("Void");

function setConnection(state, text) {
  const el = document.getElementById("connection");
  el.className = "status " + state;
  el.textContent = text;
}

function explain(err) {
  if (err.error === "Locking_Error") return `${err.reason}: ${err.message} (held by ${err.holder})`;
  if (err.error === "DataOutOfRange") return `${err.text} (minimum ${err.minimum}, maximum ${err.maximum}, value ${err.value})`;
  return `${err.error}: ${err.text}`;
}

// Writes carry this page's session token (only a page the console served holds it) and, on a
// console served beyond this machine, the access token the page was opened with (?access=...).
const SESSION = document.querySelector('meta[name="console-session"]').content;
const ACCESS = new URLSearchParams(location.search).get("access") || "";

async function post(path, fields) {
  const body = new URLSearchParams(fields);
  const headers = { "X-Console-Session": SESSION };
  if (ACCESS) headers["X-Console-Access"] = ACCESS;
  const res = await fetch(path, { method: "POST", body, headers });
  let json = {};
  try { json = await res.json(); } catch (e) { json = { error: "Failure", text: `HTTP ${res.status}` }; }
  return { ok: res.ok, json };
}

async function write(name, value, note) {
  note.className = "note";
  note.textContent = "…";
  const { ok, json } = await post("/api/set", { name, value });
  note.className = ok ? "note ok" : "note";
  note.textContent = ok ? "set" : explain(json);
  if (!ok) note.dataset.error = json.error;
  refreshLocks();
  return ok;
}

function row(name, a) {
  const tr = document.createElement("tr");
  tr.id = "attr-" + name;
  tr.innerHTML = `<td class="name"></td><td class="value"></td><td class="edit"></td><td class="note"></td>`;
  tr.querySelector(".name").textContent = name;
  const edit = tr.querySelector("td.edit");
  const note = tr.querySelector("td.note");
  if (command(a.type)) {
    const b = document.createElement("button");
    b.textContent = "Execute";
    b.onclick = async () => {
      const { ok, json } = await post("/api/exec", { name });
      note.className = ok ? "note ok" : "note";
      note.textContent = ok ? "done" : explain(json);
      refreshLocks();
    };
    edit.appendChild(b);
  } else if (writable(a.type)) {
    const input = document.createElement("input");
    input.className = "edit";
    input.name = name;
    const b = document.createElement("button");
    b.textContent = "Set";
    b.onclick = () => write(name, input.value, note);
    input.onkeydown = (e) => { if (e.key === "Enter") write(name, input.value, note); };
    edit.append(input, b);
  }
  a.row = tr;
  return tr;
}

function show(name) {
  const a = attrs.get(name);
  if (!a || !a.row) return;
  const cell = a.row.querySelector("td.value");
  if (cell.textContent !== a.value) {
    cell.textContent = a.value;
    cell.classList.add("changed");
    setTimeout(() => cell.classList.remove("changed"), 600);
  }
  a.row.classList.toggle("locked", !!a.holder);
  a.row.title = a.holder ? `${a.reason}: ${a.message}` : "";
}

function render() {
  const main = document.getElementById("groups");
  main.innerHTML = "";
  const byGroup = new Map();
  for (const [name, a] of [...attrs.entries()].sort()) {
    const g = groupOf(name);
    if (!byGroup.has(g)) byGroup.set(g, []);
    byGroup.get(g).push([name, a]);
  }
  for (const [group] of [...GROUPS, ["Other"]]) {
    const rows = byGroup.get(group);
    if (!rows) continue;
    const h = document.createElement("h2");
    h.textContent = `${group} (${rows.length})`;
    const table = document.createElement("table");
    table.className = "group";
    table.dataset.group = group;
    for (const [name, a] of rows) table.appendChild(row(name, a));
    main.append(h, table);
    for (const [name] of rows) show(name);
  }
}

function refreshInterlock() {
  const held = new Map();
  for (const [name, a] of attrs) {
    if (!a.holder) continue;
    const k = `${a.reason}\u0000${a.message}\u0000${a.holder}`;
    if (!held.has(k)) held.set(k, { reason: a.reason, message: a.message, holder: a.holder, names: [] });
    held.get(k).names.push(name);
  }
  const body = document.querySelector("#locks tbody");
  body.innerHTML = "";
  for (const h of held.values()) {
    const tr = document.createElement("tr");
    for (const text of [h.reason, h.holder, h.message, h.names.join(" ")]) {
      const td = document.createElement("td");
      td.textContent = text;
      tr.appendChild(td);
    }
    body.appendChild(tr);
  }
  const cal = attrs.get("CALBUTTONSLOCKED1");
  document.getElementById("calbuttons").textContent = cal ? cal.value : "–";
  const rs = attrs.get("RUNSTOPTEST1");
  running = !!rs && rs.value === "true";
}

function parseLegs(text) {
  const out = [];
  for (const part of (text || "").split(",")) {
    const f = part.trim().split(":").map(Number);
    if (f.length === 3 && f.every(Number.isFinite)) out.push(f);
  }
  return out;
}

function altitude(text) {
  const v = parseFloat(text);
  return Number.isFinite(v) ? v : null;
}

function record(name, value) {
  const m = /^CH([123]):CURALT1$/.exec(name);
  if (m) {
    const v = altitude(value);
    if (v !== null) {
      const s = series[Number(m[1]) - 1];
      s.push([(Date.now() - t0) / 1000, v]);
      if (s.length > 2000) s.shift();
    }
  }
  const l = /^CH([123])LEGDATA1$/.exec(name);
  if (l) legs[Number(l[1]) - 1] = parseLegs(value);
}

// The plot: each channel's altitude as it was assigned; before a run, the profile's legs
// (start to stop altitude, leg after leg).
function draw() {
  const c = document.getElementById("plot");
  const g = c.getContext("2d");
  g.clearRect(0, 0, c.width, c.height);
  const pad = 40;
  const points = series.flat();
  const legPoints = legs.flat().flatMap((l) => [l[0], l[1]]);
  const values = points.length ? points.map((p) => p[1]) : legPoints;
  let lo = Math.min(0, ...values), hi = Math.max(10, ...values);
  if (hi - lo < 1) hi = lo + 1;
  const y = (v) => c.height - pad / 2 - ((v - lo) / (hi - lo)) * (c.height - pad);
  g.strokeStyle = "#999";
  g.fillStyle = "#555";
  g.font = "11px sans-serif";
  g.fillText(`${hi.toFixed(0)} ft`, 2, y(hi) + 4);
  g.fillText(`${lo.toFixed(0)} ft`, 2, y(lo));
  if (points.length) {
    const tmin = Math.min(...points.map((p) => p[0])), tmax = Math.max(tmin + 1, ...points.map((p) => p[0]));
    const x = (t) => pad + ((t - tmin) / (tmax - tmin)) * (c.width - pad - 10);
    series.forEach((s, i) => {
      if (!s.length) return;
      g.strokeStyle = COLOURS[i];
      g.beginPath();
      s.forEach(([t, v], k) => (k ? g.lineTo(x(t), y(v)) : g.moveTo(x(t), y(v))));
      g.stroke();
    });
  } else {
    legs.forEach((ls, i) => {
      if (!ls.length) return;
      const step = (c.width - pad - 10) / ls.length;
      g.strokeStyle = COLOURS[i];
      g.setLineDash([5, 4]);
      g.beginPath();
      ls.forEach((l, k) => {
        const x0 = pad + k * step;
        if (k === 0) g.moveTo(x0, y(l[0])); else g.lineTo(x0, y(l[0]));
        g.lineTo(x0 + step, y(l[1]));
      });
      g.stroke();
      g.setLineDash([]);
    });
  }
  document.getElementById("legend").innerHTML = series
    .map((s, i) => `<span style="color:${COLOURS[i]}">channel ${i + 1}: ${s.length ? s[s.length - 1][1] : "–"} ft</span>`)
    .join("");
  c.dataset.points = String(points.length);
}

async function load() {
  const res = await fetch("/api/state");
  const json = await res.json();
  if (!res.ok) throw new Error(json.text || "unreachable");
  attrs.clear();
  for (const a of json.attributes) {
    attrs.set(a.name, a);
    record(a.name, a.value);
  }
  render();
  refreshInterlock();
  draw();
  return json.seq;
}

async function refreshLocks() {
  try {
    const res = await fetch("/api/state");
    if (!res.ok) return;
    const json = await res.json();
    for (const a of json.attributes) {
      const cur = attrs.get(a.name);
      if (!cur) continue;
      Object.assign(cur, { holder: a.holder, reason: a.reason, message: a.message, value: a.value });
      show(a.name);
    }
    refreshInterlock();
  } catch (e) { /* the event stream reports the connection */ }
}

let source = null;
let wasDown = false;
async function connect() {
  let seq;
  try {
    seq = await load();
  } catch (e) {
    setConnection("down", "master control unreachable – reconnecting…");
    wasDown = true;
    setTimeout(connect, 1000);
    return;
  }
  setConnection("up", wasDown ? "reconnected" : "connected");
  if (source) source.close();
  source = new EventSource(`/api/events?after=${seq}`);
  source.onmessage = (e) => {
    const ev = JSON.parse(e.data);
    if (ev.type === "status") {
      if (!ev.connected) {
        setConnection("down", "master control unreachable – reconnecting…");
        wasDown = true;
      } else if (wasDown) {
        source.close();
        connect();
      }
      return;
    }
    const a = attrs.get(ev.name);
    record(ev.name, ev.value);
    if (a) {
      a.value = ev.value;
      show(ev.name);
      if (ev.name === "RUNSTOPTEST1" || ev.name === "CALBUTTONSLOCKED1" || ev.name.startsWith("NOOF")) refreshLocks();
    }
  };
  source.onerror = () => {
    setConnection("down", "console unreachable – reconnecting…");
    wasDown = true;
  };
}

for (const b of document.querySelectorAll("#controls button")) {
  b.onclick = () => write(b.dataset.key, b.dataset.value, document.getElementById("control-note"));
}
setInterval(draw, 500);
setInterval(refreshLocks, 3000);
connect();
