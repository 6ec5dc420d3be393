// The operator's console: one screen per task of the test set, each attribute with a control
// that fits its value (drop-down, switch, number with unit and range, command button), its lock
// and, beside it, why a write was refused. Values arrive live over server-sent events. Text
// from the master control is only ever set as text (textContent), never as markup.
"use strict";

// Screens and their sections. A section takes the attributes its pattern matches (registered
// names: key and instance digit); "CH<n>" attributes are laid out one column per channel.
// An attribute belongs to the first section that matches it; every attribute is also on the
// "All attributes" screen. Readings are main-interface operations ("#" is the channel).
const SCREENS = [
  { id: "simulation", title: "Simulation", sections: [
    { title: "Mode", re: /^(SIMULATIONMODE|TOTALDURATION)\d$/ },
    { title: "Run", re: /^(RUNSTOPTEST|PAUSERESUMETEST|RUNPUSHBUTTON|PAUSEBUTTON)\d$/ },
    { title: "Ramp", re: /^CH\d(CURSTARTALT|CURSTOPALT|CURALTRATE|CURALTDUR|CURALT|OFFSET)\d$/ },
    { title: "Profile", re: /^CH\d(PROFILENAME|LEGDATA)\d$/, readings: [["Leg running", "ProfileLegNumberChan#"], ["Profile modified", "AltSimModifiedChan#"]], legs: true },
    { title: "Altitude-indicator zero", re: /^(START|SAVE|ABORT)ALTINDZERO\d$/ },
  ] },
  { id: "rf", title: "RF level", sections: [
    { title: "Mode", re: /^(RFLVLMODE|COUPLEDMANUALRFLVL|RFLVLOFFSET|AIDMODE|AIDFIXED|AIDVAR)\d$/ },
    { title: "Output power and loop loss", re: /^CH\d(OUTPWRLVL|LOOPLOSS)\d$/ },
    { title: "Path losses", re: /^CH\d(TX|RX)(CBL|COUP|EXT)LOSS\d$/ },
    { title: "Automatic runs", re: /^CH\d(AUTORFLEVEL|AUTOLOOPLOSS|AUTOPWRLVLDIFF)\d$/ },
  ] },
  { id: "uut", title: "UUT", sections: [
    { title: "Detection and type", re: /^(UUTDETECT|UUTTYPE|UUTCDFSUBTYPE|CDFALTCORRECTION)\d$/ },
    { title: "Display units", re: /^(ALTUNITS|DISTUNITS|FREQDISPLAYMODE|PROFILEDISPLAYUNITS|POWERDISPLAYMODE)\d$/ },
    { title: "Readings", re: null, readings: [
      ["Measurements valid", "MeasurementsValidChan#"], ["Altitude", "AltitudeChan#"], ["Simulated altitude", "UUTSimActAltChan#"],
      ["Frequency", "UUTFrequencyChan#"], ["Transmit power", "UUTTxPwrChan#"], ["Sweep rate", "UUTSweepRateChan#"],
      ["PRF", "UUTPRFChan#"], ["Pulse width", "UUTPulseWidthChan#"], ["FM deviation", "UUTFMDeviationChan#"],
      ["ARINC cable", "ARINCCableChan#"], ["Label 164", "ARINC707Label164Chan#"], ["Label 164 status", "ARINC707Label164StatusChan#"],
      ["Label 165", "ARINC707Label165Chan#"], ["Label 165 status", "ARINC707Label165StatusChan#"],
      ["Trip 1", "ARINC552Trip1EnergizedChan#"], ["Trip 2", "ARINC552Trip2EnergizedChan#"], ["Trip 5", "ARINC552Trip5EnergizedChan#"],
      ["Trip 6", "ARINC552Trip6EnergizedChan#"], ["Trip 7", "ARINC552Trip7EnergizedChan#"], ["Trip 8", "ARINC552Trip8EnergizedChan#"],
      ["AP warning", "ARINC552APWarnChan#"], ["System flag", "ARINC552SystemFlagChan#"], ["Hardware unlocked", "OverallHWUnlockedChan#"],
    ] },
  ] },
  { id: "diagnostics", title: "Diagnostics", sections: [
    { title: "Output and receiver", re: /^DIAG(MODE|OUTPUT|PRF|PULSEWIDTH|RX)[A-Z]*\d$/, readings: [["Received power", "DiagRxPower"]] },
    { title: "Attenuators", re: /^DIAGATTEN[A-Z0-9]*\d$/ },
    { title: "Loopback", re: /^DIAGLOOPBACK[A-Z0-9]*\d$/, readings: [["Loopback power", "DiagLoopbackPower"], ["Loopback SPA", "DiagLoopbackSPA"]] },
    { title: "Pass-through", re: /^DIAGPASSTHRU[A-Z0-9]*\d$/, readings: [["Pass-through power", "DiagPassthruPower"], ["Pass-through SPA", "DiagPassthruSPA"]] },
  ] },
  { id: "calibration", title: "Calibration", sections: [
    { title: "Calibration", re: /^(FACTORYCALIBRATIONCHANNEL|CALBUTTONSLOCKED|ABORTCAL)\d$/ },
    { title: "Receiver CW", re: /^(STARTRXCWCAL|DORXCWCALSTEP|SAVERXCWCAL|RXCWCALVALID)\d$/, readings: [["Step", "RxCwCalCurrentStep"], ["Total steps", "RxCwCalTotalSteps"], ["Prompt frequency", "RxCwCalPromptFrequency"], ["Prompt power", "RxCwCalPromptPwrLevel"], ["ADC", "RxCwCalADCInfo"], ["Calibrated", "RxCWCalDateTime"]] },
    { title: "Receiver pulse", re: /^(STARTRXPULSECAL|DORXPULSECALSTEP|SAVERXPULSECAL|RXPULSECALVALID)\d$/, readings: [["Step", "RxPulseCalCurrentStep"], ["Total steps", "RxPulseCalTotalSteps"], ["Prompt pulse width", "RxPulseCalPromptPulseWidth"], ["ADC", "RxPulseCalADCInfo"], ["Calibrated", "RxPulseCalDateTime"]] },
    { title: "Transmit power", re: /^(STARTTXPOWERCAL|DOTXCALSTEP|SAVETXCAL|TXCALVALID|TXCALTXVARATTEN|TXCALRXVARATTEN)\d$/, readings: [["Step", "TxCalCurrentStep"], ["Total steps", "TxCalTotalSteps"], ["Prompt frequency", "TxCalPromptFrequency"], ["Prompt power", "TxCalPromptPwrLevel"], ["Attenuator is transmit", "TxCalPromptTxRxAttenIsTx"], ["Use signal generator", "TxCalPromptUseSiggen"], ["Calibrated", "TxCalDateTime"]] },
    { title: "TCXO", re: /^(STARTTCXOCAL|TCXOCALDACVALUE|SAVETCXOCAL|TCXOCALVALID)\d$/, readings: [["Calibrated", "TCXOCalDateTime"]] },
    { title: "RF distance measurement", re: /^(STARTRFDMCAL|DORFDMCALSTEP|SAVERFDMCAL|RFDMCALVALID|CHKRFDMCALRUNNING)\d$/, readings: [["Step", "RFDMCalCurrentStep"], ["Calibrated", "RFDMCalDateTime"]] },
    { title: "Analog attenuator", re: /^(STARTANALOGVARATTENCAL|CHKANALOGVARATTENCALRUNNING|ANALOGVARATTENCALVALID)\d$/, readings: [["Complete (%)", "LoopbackCalPctComplete"], ["Calibrated", "LoopbackCalDateTime"]] },
    { title: "User calibration", re: /^(STARTUSERCAL|CHKUSERCALRUNNING|USERCALVALID)\d$/, readings: [["DDS offset", "UserCalDDSOffset"], ["FMCW data", "UserCalFMCWData"], ["Pulse data", "UserCalPulseData"], ["Calibrated", "UserCalDateTime"]] },
  ] },
  { id: "saverecall", title: "Save/Recall", sections: [
    { title: "Store and recall", re: /^(STOREPROFILE|RECALLPROFILE|STORESETTINGS|RECALLSETTINGS)\d$/ },
    { title: "Names and factory default", re: /^CH\d(SETTINGSNAME|FACTORYDEFAULT|RCISTOREALTSIM|RCIRECALLALTSIM|RCISTORESETTINGS|RCIRECALLSETTINGS)\d$/, readings: [["Settings modified", "SettingsModifiedChan#"]] },
    { title: "Catalogue", re: /^RCI(DELETE|GET)[A-Z]*\d$/ },
  ] },
  { id: "selftest", title: "Self test", sections: [] },
  { id: "channels", title: "Channels", sections: [
    { title: "Channels and coupling", re: /^(NOOFAVAILABLECHANNELS|NOOFENABLEDCHANNELS|SLAVEMODE|RFCONNECT|COUPLEDALTITUDESIMULATION)\d$/ },
  ] },
  { id: "all", title: "All attributes", sections: [] },
];
// Readings that only channel 1 hands out.
const CHANNEL1_ONLY = new Set(["UUTPRFChan#", "UUTPulseWidthChan#", "UUTSimActAltChan#"]);
const COLOURS = ["#1f77b4", "#d62728", "#2ca02c"];

const attrs = new Map();       // name -> {type, value, holder, reason, message, params, views: [update()]}
const series = [[], [], []];   // per channel: [time s, altitude]
let legs = [[], [], []];
const t0 = Date.now();
let params = {};
let screen = "";

const writable = (type) => type.startsWith("EngineAttrib") && !type.endsWith("Void");
const command = (type) => type.endsWith("Void");
const el = (tag, cls, text) => {
  const e = document.createElement(tag);
  if (cls) e.className = cls;
  if (text !== undefined) e.textContent = text;
  return e;
};
const keyOf = (name) => name.replace(/\d$/, "");
const channelOf = (name) => { const m = /^CH(\d)/.exec(name); return m ? Number(m[1]) : 0; };
// The channels whose engines the master control has: the first NOOFAVAILABLECHANNELS.
function channelCount() {
  const a = attrs.get("NOOFAVAILABLECHANNELS1");
  const n = a ? parseInt(a.value, 10) : NaN;
  return Number.isFinite(n) ? Math.max(1, Math.min(3, n)) : 3;
}

function setConnection(state, text) {
  const c = document.getElementById("connection");
  c.className = "status " + state;
  c.textContent = text;
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

function noteResult(note, ok, json, done) {
  note.className = ok ? "note ok" : "note";
  note.textContent = ok ? done : explain(json);
  if (ok) delete note.dataset.error; else note.dataset.error = json.error;
}

async function write(name, value, note) {
  note.className = "note";
  note.textContent = "…";
  const { ok, json } = await post("/api/set", { name, value });
  noteResult(note, ok, json, "set");
  if (ok && attrs.has(name) && json.value !== undefined) { attrs.get(name).value = json.value; show(name); }
  refreshLocks();
  return ok;
}

async function exec(name, note) {
  note.className = "note";
  note.textContent = "…";
  const { ok, json } = await post("/api/exec", { name });
  noteResult(note, ok, json, "done");
  refreshLocks();
}

// Labels people read: the key without its channel prefix, in words where known.
const LABELS = {
  SIMULATIONMODE: "Simulation mode", TOTALDURATION: "Total duration", RUNSTOPTEST: "Running", PAUSERESUMETEST: "Paused",
  RUNPUSHBUTTON: "Run button", PAUSEBUTTON: "Pause button", CURSTARTALT: "Start altitude", CURSTOPALT: "Stop altitude",
  CURALTRATE: "Rate", CURALTDUR: "Duration", CURALT: "Altitude", OFFSET: "Offset", PROFILENAME: "Profile name",
  LEGDATA: "Legs (start:stop:rate, …)", STARTALTINDZERO: "Start", SAVEALTINDZERO: "Save", ABORTALTINDZERO: "Abort",
  RFLVLMODE: "RF level mode", COUPLEDMANUALRFLVL: "Coupled level", RFLVLOFFSET: "Level offset", AIDMODE: "AID mode",
  AIDFIXED: "AID fixed", AIDVAR: "AID variable", OUTPWRLVL: "Output power", LOOPLOSS: "Loop loss",
  TXCBLLOSS: "Tx cable", RXCBLLOSS: "Rx cable", TXCOUPLOSS: "Tx coupler", RXCOUPLOSS: "Rx coupler", TXEXTLOSS: "Tx external",
  RXEXTLOSS: "Rx external", AUTORFLEVEL: "Automatic RF level", AUTOLOOPLOSS: "Automatic loop loss",
  AUTOPWRLVLDIFF: "Automatic power difference", UUTDETECT: "Detection", UUTTYPE: "Type", UUTCDFSUBTYPE: "CDF sub-type",
  CDFALTCORRECTION: "CDF altitude correction", ALTUNITS: "Altitude units", DISTUNITS: "Distance units",
  FREQDISPLAYMODE: "Frequency display", PROFILEDISPLAYUNITS: "Profile units", POWERDISPLAYMODE: "Power display",
  SETTINGSNAME: "Settings name", FACTORYDEFAULT: "Factory default", RCISTOREALTSIM: "Store profile as",
  RCIRECALLALTSIM: "Recall profile", RCISTORESETTINGS: "Store settings as", RCIRECALLSETTINGS: "Recall settings",
  STOREPROFILE: "Store profile", RECALLPROFILE: "Recall profile", STORESETTINGS: "Store settings",
  RECALLSETTINGS: "Recall settings", NOOFAVAILABLECHANNELS: "Channels available", NOOFENABLEDCHANNELS: "Channels enabled",
  SLAVEMODE: "Slave mode", RFCONNECT: "RF connection", COUPLEDALTITUDESIMULATION: "Coupled altitude simulation",
  FACTORYCALIBRATIONCHANNEL: "Channel calibrated", CALBUTTONSLOCKED: "Buttons locked", ABORTCAL: "Abort calibration",
};
// The calibrations' commands and readings by their pattern: start, step, save, valid, running.
const KINDS = [[/^START.*CAL$/, "Start"], [/^DO.*STEP$/, "Next step"], [/^SAVE.*CAL$/, "Save"], [/CALVALID$/, "Valid"],
  [/^CHK.*RUNNING$/, "Running"]];
function labelOf(key) {
  const k = key.replace(/^CH\d/, "");
  if (LABELS[k]) return LABELS[k];
  const kind = KINDS.find(([re]) => re.test(k));
  return kind ? kind[1] : k;
}

function hint(p) {
  if (!p || p.min === undefined) return "";
  const step = p.step && p.step !== 1 ? `, step ${p.step}` : "";
  return `${p.min} … ${p.max}${p.unit ? " " + p.unit : ""}${step}`;
}

// A control for the attribute: its value, the editor that fits its type, its lock and the note
// that explains a refusal. id: the element's id (the screens' controls carry "attr-NAME").
function field(name, id, withLabel) {
  const a = attrs.get(name);
  const box = el("div", "field");
  if (id) box.id = id;
  box.dataset.name = name;
  if (withLabel) box.appendChild(el("span", "label", labelOf(keyOf(name))));
  const value = el("span", "value");
  const edit = el("span", "edit");
  const note = el("span", "note");
  note.setAttribute("aria-live", "polite");
  const lock = el("span", "lock");
  const p = params[name] || {};
  let sync = () => {};
  if (command(a.type)) {
    value.hidden = true;
    const b = el("button", "command", withLabel ? "Execute" : labelOf(keyOf(name)));
    b.onclick = () => exec(name, note);
    edit.appendChild(b);
  } else if (a.type === "EngineAttribEnum" && p.labels) {
    const s = el("select");
    s.setAttribute("aria-label", name);
    for (const l of p.labels) {
      const o = el("option", "", l.label);
      o.value = String(l.value);
      s.appendChild(o);
    }
    s.onchange = async () => { if (!(await write(name, s.value, note))) sync(); };
    sync = () => { const n = parseInt(attrs.get(name).value, 10); if (Number.isFinite(n)) s.value = String(n); };
    edit.appendChild(s);
  } else if (a.type === "EngineAttribBoolean") {
    const c = el("input", "switch");
    c.type = "checkbox";
    c.setAttribute("role", "switch");
    c.setAttribute("aria-label", name);
    c.onchange = async () => { if (!(await write(name, c.checked ? "true" : "false", note))) sync(); };
    sync = () => { c.checked = attrs.get(name).value === "true"; };
    edit.appendChild(c);
  } else if (writable(a.type)) {
    const input = el("input", "edit");
    input.name = name;
    input.setAttribute("aria-label", name);
    const h = hint(p);
    if (a.type !== "EngineAttribString" && a.type !== "EngineAttribAny") input.inputMode = "decimal";
    if (p.unit) input.placeholder = p.unit;
    const b = el("button", "", "Set");
    b.onclick = () => write(name, input.value, note);
    input.onkeydown = (e) => { if (e.key === "Enter") write(name, input.value, note); };
    edit.append(input, b);
    if (h) edit.appendChild(el("span", "hint", h));
  }
  box.append(value, edit, lock, note);
  a.views.push(() => {
    const cur = attrs.get(name);
    if (value.textContent !== cur.value) {
      value.textContent = cur.value;
      value.classList.add("changed");
      setTimeout(() => value.classList.remove("changed"), 600);
    }
    box.classList.toggle("locked", !!cur.holder);
    lock.textContent = cur.holder ? `locked by ${cur.holder}: ${cur.reason}${cur.message ? " — " + cur.message : ""}` : "";
    sync();
  });
  return box;
}

function show(name) {
  const a = attrs.get(name);
  if (!a) return;
  for (const v of a.views) v();
  if (/^CH\dLEGDATA1$/.test(name)) showLegs(channelOf(name));
}

// A section: single attributes as labelled fields; channel attributes as a table with one
// column per channel (only the channels that exist are shown).
function renderSection(sec, names) {
  const card = el("div", "card");
  card.dataset.section = sec.title;
  card.appendChild(el("h3", "", sec.title));
  // In the order the section's pattern names them.
  const alternatives = sec.re ? (/\(([A-Z|]+)\)/.exec(sec.re.source) || ["", ""])[1].split("|") : [];
  const rank = (key) => { const i = alternatives.findIndex((alt) => key.startsWith(alt)); return i < 0 ? alternatives.length : i; };
  const byRank = (a, b) => rank(a.replace(/^CH\d/, "")) - rank(b.replace(/^CH\d/, "")) || (a < b ? -1 : 1);
  const single = names.filter((n) => !channelOf(n)).sort((a, b) => byRank(keyOf(a), keyOf(b)));
  const perChannel = names.filter((n) => channelOf(n));
  for (const n of single) card.appendChild(field(n, "attr-" + n, true));
  const rows = [...new Set(perChannel.map((n) => keyOf(n).replace(/^CH\d/, "")))].sort(byRank);
  const readings = (sec.readings || []).filter(([, op]) => op.includes("#"));
  if (rows.length || readings.length || sec.legs) {
    const table = el("table", "channels");
    const head = el("tr");
    head.appendChild(el("th", ""));
    for (let c = 1; c <= 3; c++) { const th = el("th", "", `Channel ${c}`); th.dataset.channel = c; head.appendChild(th); }
    table.appendChild(head);
    for (const key of rows) {
      const tr = el("tr");
      tr.appendChild(el("th", "", labelOf(key)));
      for (let c = 1; c <= 3; c++) {
        const td = el("td");
        td.dataset.channel = c;
        const n = `CH${c}${key}1`;
        if (attrs.has(n)) td.appendChild(field(n, "attr-" + n, false));
        tr.appendChild(td);
      }
      table.appendChild(tr);
    }
    for (const [label, op] of readings) {
      const tr = el("tr", "reading");
      tr.appendChild(el("th", "", label));
      for (let c = 1; c <= 3; c++) {
        const td = el("td");
        td.dataset.channel = c;
        if (c === 1 || !CHANNEL1_ONLY.has(op)) td.appendChild(readingCell(op.replace("#", c)));
        tr.appendChild(td);
      }
      table.appendChild(tr);
    }
    if (sec.legs) {
      const tr = el("tr");
      tr.appendChild(el("th", "", "Legs"));
      for (let c = 1; c <= 3; c++) {
        const td = el("td");
        td.dataset.channel = c;
        td.id = `legs-${c}`;
        tr.appendChild(td);
      }
      table.appendChild(tr);
    }
    card.appendChild(table);
  }
  for (const [label, op] of (sec.readings || []).filter(([, o]) => !o.includes("#"))) {
    const f = el("div", "field reading");
    f.append(el("span", "label", label), readingCell(op));
    card.appendChild(f);
  }
  return card;
}

// Readings of the main interface, refreshed while their screen is shown.
const readingCells = new Map();  // op -> [span]
function readingCell(op) {
  const s = el("span", "value reading", "–");
  s.dataset.op = op;
  if (!readingCells.has(op)) readingCells.set(op, []);
  readingCells.get(op).push(s);
  return s;
}

async function refreshReadings() {
  const panel = document.getElementById("screen-" + screen);
  if (!panel) return;
  const ops = [...new Set([...panel.querySelectorAll("[data-op]")].filter((s) => {
    const td = s.closest("[data-channel]");
    return !td || Number(td.dataset.channel) <= channelCount();
  }).map((s) => s.dataset.op))];
  if (!ops.length) return;
  try {
    const res = await fetch("/api/readings?ops=" + encodeURIComponent(ops.join(",")));
    if (!res.ok) return;
    const json = await res.json();
    for (const [op, r] of Object.entries(json.readings)) {
      for (const s of readingCells.get(op) || []) {
        s.textContent = r.error ? "–" : r.value;
        s.title = r.error ? explain(r) : "";
      }
    }
  } catch (e) { /* the event stream reports the connection */ }
}

function showLegs(c) {
  const td = document.getElementById(`legs-${c}`);
  if (!td) return;
  td.textContent = "";
  const ls = legs[c - 1];
  if (!ls.length) { td.appendChild(el("span", "hint", "no legs")); return; }
  const t = el("table", "legs");
  const h = el("tr");
  for (const x of ["Leg", "Start", "Stop", "Rate/duration"]) h.appendChild(el("th", "", x));
  t.appendChild(h);
  ls.forEach((l, i) => {
    const tr = el("tr");
    for (const x of [i + 1, l[0], l[1], l[2]]) tr.appendChild(el("td", "", String(x)));
    t.appendChild(tr);
  });
  td.appendChild(t);
}

function renderAll() {
  const body = document.querySelector("#all-table tbody");
  body.textContent = "";
  for (const [name, a] of [...attrs.entries()].sort()) {
    const tr = el("tr");
    tr.id = "all-" + name;
    tr.dataset.name = name;
    tr.appendChild(el("td", "name", name));
    tr.appendChild(el("td", "type", a.type.replace(/^Engine/, "")));
    const td = el("td");
    td.appendChild(field(name, "", false));
    tr.appendChild(td);
    body.appendChild(tr);
  }
  filterAll();
}

function filterAll() {
  const f = document.getElementById("all-filter").value.trim().toUpperCase();
  for (const tr of document.querySelectorAll("#all-table tbody tr")) tr.hidden = !!f && !tr.dataset.name.includes(f);
}

function render() {
  for (const a of attrs.values()) a.views = [];
  readingCells.clear();
  const placed = new Set();
  for (const s of SCREENS) {
    const host = document.querySelector(`#screen-${s.id} .sections`);
    if (!host) continue;
    host.textContent = "";
    for (const sec of s.sections) {
      const names = sec.re ? [...attrs.keys()].filter((n) => sec.re.test(n) && !placed.has(n)).sort() : [];
      names.forEach((n) => placed.add(n));
      if (!names.length && !sec.readings) continue;
      host.appendChild(renderSection(sec, names));
    }
  }
  renderAll();
  for (const name of attrs.keys()) show(name);
  showChannels();
}

// Channels beyond those available are not shown; the Channels screen says which engines live.
function showChannels() {
  const n = channelCount();
  for (const e of document.querySelectorAll("[data-channel]")) e.hidden = Number(e.dataset.channel) > n;
  const enabled = parseInt((attrs.get("NOOFENABLEDCHANNELS1") || {}).value, 10);
  const body = document.querySelector("#channel-table tbody");
  body.textContent = "";
  for (let c = 1; c <= 3; c++) {
    const tr = el("tr");
    tr.id = `channel-${c}`;
    tr.appendChild(el("td", "", `Channel ${c}`));
    tr.appendChild(el("td", c <= n ? "alive" : "gone", c <= n ? "alive" : "not available"));
    tr.appendChild(el("td", "", Number.isFinite(enabled) ? (c <= enabled ? "yes" : "no") : "–"));
    body.appendChild(tr);
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
  body.textContent = "";
  for (const h of held.values()) {
    const tr = el("tr");
    for (const text of [h.reason, h.holder, h.message, h.names.join(" ")]) tr.appendChild(el("td", "", text));
    body.appendChild(tr);
  }
  document.getElementById("lock-count").textContent = held.size ? String(held.size) : "no";
  const cal = attrs.get("CALBUTTONSLOCKED1");
  document.getElementById("calbuttons").textContent = cal ? cal.value : "–";
  const rs = attrs.get("RUNSTOPTEST1"), pr = attrs.get("PAUSERESUMETEST1");
  const state = document.getElementById("run-state");
  state.textContent = rs && rs.value === "true" ? (pr && pr.value === "true" ? "paused" : "running") : "stopped";
  state.className = "pill " + state.textContent;
  // The diagnostics' interlock: which of their settings a write would be refused on, and why.
  const diag = [...attrs.entries()].filter(([n]) => /^DIAG/.test(n));
  const locked = diag.filter(([, a]) => a.holder);
  const why = [...new Set(locked.map(([, a]) => `${a.reason} (held by ${a.holder})`))];
  document.getElementById("diag-interlock").textContent = locked.length
    ? `Interlock: ${locked.length} of ${diag.length} diagnostics settings locked — ${why.join("; ")}`
    : `Interlock: the ${diag.length} diagnostics settings are free`;
  showChannels();
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

// The plot: each channel's altitude over time (seconds since the page opened); before a run,
// the profile's legs (start to stop altitude, leg after leg).
function draw() {
  const c = document.getElementById("plot");
  const g = c.getContext("2d");
  g.clearRect(0, 0, c.width, c.height);
  const pad = 44, bottom = 22;
  const n = channelCount();
  const points = series.slice(0, n).flat();
  const legPoints = legs.slice(0, n).flat().flatMap((l) => [l[0], l[1]]);
  const values = points.length ? points.map((p) => p[1]) : legPoints;
  let lo = Math.min(0, ...values), hi = Math.max(10, ...values);
  if (hi - lo < 1) hi = lo + 1;
  const y = (v) => c.height - bottom - ((v - lo) / (hi - lo)) * (c.height - bottom - 10);
  g.strokeStyle = "#999";
  g.fillStyle = "#555";
  g.font = "11px sans-serif";
  g.fillText(`${hi.toFixed(0)} ft`, 2, y(hi) + 4);
  g.fillText(`${lo.toFixed(0)} ft`, 2, y(lo));
  g.beginPath();
  g.moveTo(pad, c.height - bottom);
  g.lineTo(c.width - 10, c.height - bottom);
  g.stroke();
  if (points.length) {
    const tmin = Math.min(...points.map((p) => p[0])), tmax = Math.max(tmin + 1, ...points.map((p) => p[0]));
    const x = (t) => pad + ((t - tmin) / (tmax - tmin)) * (c.width - pad - 10);
    // The time axis: five ticks, seconds since the page opened.
    for (let k = 0; k <= 4; k++) {
      const t = tmin + (k * (tmax - tmin)) / 4;
      g.fillText(`${t.toFixed(tmax - tmin < 8 ? 1 : 0)} s`, x(t) - 8, c.height - 6);
    }
    series.slice(0, n).forEach((s, i) => {
      if (!s.length) return;
      g.strokeStyle = COLOURS[i];
      g.beginPath();
      s.forEach(([t, v], k) => (k ? g.lineTo(x(t), y(v)) : g.moveTo(x(t), y(v))));
      g.stroke();
    });
  } else {
    g.fillText("legs of the profile (no run yet)", pad, c.height - 6);
    legs.slice(0, n).forEach((ls, i) => {
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
  const legend = document.getElementById("legend");
  legend.textContent = "";
  series.slice(0, n).forEach((s, i) => {
    const span = el("span", "", `channel ${i + 1}: ${s.length ? s[s.length - 1][1] : "–"} ft`);
    span.style.color = COLOURS[i];
    legend.appendChild(span);
  });
  c.dataset.points = String(points.length);
}

// The navigation: one tab per screen, arrow keys move between them, the address keeps the
// screen shown (#rf, ...).
function buildTabs() {
  const list = document.getElementById("tabs");
  for (const s of SCREENS) {
    const b = el("button", "tab", s.title);
    b.id = "tab-" + s.id;
    b.setAttribute("role", "tab");
    b.setAttribute("aria-controls", "screen-" + s.id);
    b.dataset.screen = s.id;
    b.onclick = () => select(s.id, true);
    b.onkeydown = (e) => {
      const i = SCREENS.indexOf(s);
      const to = { ArrowDown: i + 1, ArrowRight: i + 1, ArrowUp: i - 1, ArrowLeft: i - 1, Home: 0, End: SCREENS.length - 1 }[e.key];
      if (to === undefined) return;
      e.preventDefault();
      const next = SCREENS[(to + SCREENS.length) % SCREENS.length].id;
      select(next, true);
      document.getElementById("tab-" + next).focus();
    };
    list.appendChild(b);
    document.getElementById("screen-" + s.id).setAttribute("aria-labelledby", b.id);
  }
  const wanted = location.hash.slice(1);
  select(SCREENS.some((s) => s.id === wanted) ? wanted : SCREENS[0].id, false);
}

function select(id, remember) {
  screen = id;
  for (const s of SCREENS) {
    const on = s.id === id;
    const tab = document.getElementById("tab-" + s.id);
    tab.setAttribute("aria-selected", on ? "true" : "false");
    tab.tabIndex = on ? 0 : -1;
    document.getElementById("screen-" + s.id).hidden = !on;
  }
  if (remember) history.replaceState(null, "", location.pathname + location.search + "#" + id);
  refreshReadings();
}

async function load() {
  const res = await fetch("/api/state");
  const json = await res.json();
  if (!res.ok) throw new Error(json.text || "unreachable");
  const pres = await fetch("/api/params");
  if (pres.ok) params = (await pres.json()).params || {};
  attrs.clear();
  for (const a of json.attributes) {
    attrs.set(a.name, Object.assign(a, { views: [] }));
    record(a.name, a.value);
  }
  render();
  refreshInterlock();
  draw();
  refreshReadings();
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
      if (ev.name === "RUNSTOPTEST1" || ev.name === "PAUSERESUMETEST1" || ev.name === "CALBUTTONSLOCKED1" || ev.name.startsWith("NOOF")) refreshLocks();
    }
  };
  source.onerror = () => {
    setConnection("down", "console unreachable – reconnecting…");
    wasDown = true;
  };
}

async function selftest(kind) {
  const result = document.getElementById("selftest-result");
  const lines = document.getElementById("selftest-lines");
  for (const b of document.querySelectorAll("#screen-selftest button")) b.disabled = true;
  result.className = "pill";
  result.textContent = `running the ${kind} self test…`;
  lines.textContent = "";
  try {
    const { ok, json } = await post("/api/selftest", { kind });
    result.className = "pill " + (ok && json.passed ? "passed" : "failed");
    result.textContent = ok ? `${kind} self test ${json.passed ? "passed" : "failed"}` : explain(json);
    for (const line of (ok ? json.lines : [])) lines.appendChild(el("li", "", line));
  } finally {
    for (const b of document.querySelectorAll("#screen-selftest button")) b.disabled = false;
  }
}

for (const b of document.querySelectorAll("#controls button")) {
  b.onclick = () => write(b.dataset.key, b.dataset.value, document.getElementById("control-note"));
}
for (const b of document.querySelectorAll("#screen-selftest button")) b.onclick = () => selftest(b.dataset.kind);
document.getElementById("all-filter").oninput = filterAll;
buildTabs();
setInterval(draw, 500);
setInterval(refreshLocks, 3000);
setInterval(refreshReadings, 2000);
connect();
