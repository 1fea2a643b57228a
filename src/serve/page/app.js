// The page of qrx-cli serve: the gateway and its sensor rows, live over a WebSocket, and the
// writes through the JSON API. The token comes in the address (#token=...), is kept for this tab
// only (sessionStorage, never a cookie) and goes with every call as "Authorization: Bearer".
"use strict";

const page = {
  language: "en",
  token: "",
  readOnly: true,
  view: null,          // the last whole state, kept up to date by the changes
  rowElements: [],
  telegramAt: [],      // per row: performance.now() of the last telegram, or null
  deadline: null,      // learn by button: performance.now() when its time is up
  socket: null,
  retryMs: 1000,
};

const $ = (id) => document.getElementById(id);

function t(name, values = {}) {
  const text = (TEXTS[page.language] || TEXTS.en)[name] || TEXTS.en[name] || name;
  return text.replace(/\{(\w+)\}/g, (_, key) => String(values[key] ?? ""));
}

function chooseLanguage() {
  const stored = localStorage.getItem("qrx-language");
  if (stored && TEXTS[stored]) return stored;
  const wanted = navigator.languages || [navigator.language || "en"];
  const first = wanted.find((l) => /^(de|en)\b/i.test(l)) || "en";
  return first.slice(0, 2).toLowerCase();
}

function applyLanguage() {
  document.documentElement.lang = page.language;
  for (const el of document.querySelectorAll("[data-text]")) el.textContent = t(el.dataset.text);
  const other = page.language === "de" ? "en" : "de";
  $("language").textContent = TEXTS[other] ? t("switchTo") : "";
  $("language").lang = other;
  for (const el of page.rowElements) applyRowTexts(el);
  if (page.view) showAll();
}

// The write that runs, in the page's language: "learn by button, row 7".
function describe(op) {
  return op ? t("op-" + op.kind, { row: op.row }) : "";
}

function notice(text, kind = "info") {
  const el = $("notice");
  el.textContent = text;
  el.className = "notice " + kind;
  el.hidden = !text;
}

// ---- the API ----

async function api(path, body) {
  const options = { cache: "no-store", headers: { Authorization: "Bearer " + page.token } };
  if (body !== undefined) {
    options.method = "POST";
    options.headers["Content-Type"] = "application/json";
    options.body = JSON.stringify(body);
  }
  let response;
  try {
    response = await fetch(path, options);
  } catch (e) {
    return { status: 0, data: { message: String(e) } };
  }
  let data = {};
  try { data = await response.json(); } catch (e) { /* an empty answer */ }
  if (response.status === 401) notice(t("wrongToken"), "error");
  return { status: response.status, data };
}

// A write; the answer's outcome becomes a notice. A row that holds another sensor is asked about.
async function write(path, body, success, retryReplaced) {
  const { status, data } = await api(path, body);
  if (status === 0 || status === 401) return;
  if (data.outcome === "done") notice(success(), "ok");
  else if (data.outcome === "started") notice("", "info");
  else if (data.outcome === "refused" && retryReplaced && /holds sensor/.test(data.message)) {
    if (confirm(retryReplaced)) write(path, { ...body, replace: true }, success);
  } else if (data.outcome === "busy") {
    notice(t("busy", { what: describe(page.view?.operation) }), "error");
  } else notice(t("failed", { message: data.message || data.error || status }), "error");
}

// ---- showing the gateway ----

function showGateway(g) {
  $("device").textContent = g.device || "…";
  $("online").textContent = g.online ? t("online") : t("offline", { reason: g.reason || "" });
  $("onlineDot").className = "dot " + (g.online ? "on" : "off");
  $("address").textContent = g.address;
  $("line").textContent = g.line;
  $("responseTime").textContent = g.responseTimeMs === undefined ? "" : g.responseTimeMs + " ms";
  $("port").textContent = g.port;
}

function makeRows() {
  const template = $("rowTemplate");
  for (let row = 0; row < 32; ++row) {
    const el = template.content.firstElementChild.cloneNode(true);
    el.id = "row" + row;
    el.dataset.row = row;
    for (let k = 0; k < 4; ++k) {
      const b = document.createElement("span");
      b.className = "byte byte" + k;
      b.innerHTML = "<small></small><b></b><i></i>";
      el.querySelector(".bytes").append(b);
    }
    el.querySelector(".learnButton").onclick = () => learnByButton(row);
    el.querySelector(".learnIdOpen").onclick = () => openLearnId(el, true);
    el.querySelector(".learnIdClose").onclick = () => openLearnId(el, false);
    el.querySelector(".learnId").onsubmit = (e) => { e.preventDefault(); learnById(el, row); };
    el.querySelector(".delete").onclick = () => remove(row);
    el.querySelector(".invert").onclick = () => invert(row);
    $("rows").append(el);
    page.rowElements.push(el);
    page.telegramAt.push(null);
  }
}

function applyRowTexts(el) {
  for (const child of el.querySelectorAll("[data-text]")) child.textContent = t(child.dataset.text);
  el.querySelector(".number").textContent = t("row", { row: el.dataset.row });
  el.querySelectorAll(".byte small").forEach((s, k) => { s.textContent = t("byte", { k }); });
}

function showRow(r) {
  const el = page.rowElements[r.row];
  const learned = !!r.learned;
  el.classList.toggle("empty", !learned);
  el.classList.toggle("inverted", !!r.inverted);
  el.querySelector(".label").textContent = r.label || (learned ? "" : t("empty"));
  el.querySelector(".id").textContent = r.id ?? "";
  el.querySelector(".org").textContent = r.org ?? "";
  el.querySelector(".time").textContent = r.time ?? "";
  el.querySelectorAll(".byte").forEach((b, k) => {
    const raw = r.data ? r.data[k] : "";
    const scaled = r.scaled ? r.scaled[k] : null;
    b.querySelector("b").textContent = scaled === null || scaled === undefined ? raw : scaled;
    b.querySelector("i").textContent = scaled === null || scaled === undefined ? "" : raw;
    b.classList.toggle("flipped", k === 1 && !!r.inverted);
  });
  const invertButton = el.querySelector(".invert");
  invertButton.textContent = r.inverted ? t("invertOff") : t("invertOn");
  el.querySelector(".delete").hidden = !learned;
  invertButton.hidden = !learned;
  page.telegramAt[r.row] = r.telegramAgoMs === null || r.telegramAgoMs === undefined
    ? null : performance.now() - r.telegramAgoMs;
  showAge(r.row);
}

function showAge(row) {
  const at = page.telegramAt[row];
  const el = page.rowElements[row].querySelector(".age");
  const learned = page.view?.rows[row]?.learned;
  if (!learned) { el.textContent = ""; return; }
  if (at === null) { el.textContent = t("never"); return; }
  const s = Math.max(0, Math.round((performance.now() - at) / 1000));
  el.textContent = s < 120 ? t("agoS", { n: s })
    : s < 7200 ? t("agoMin", { n: Math.floor(s / 60) }) : t("agoH", { n: Math.floor(s / 3600) });
}

function flash(row) {
  const el = page.rowElements[row];
  el.classList.remove("flash");
  void el.offsetWidth; // starts the animation again
  el.classList.add("flash");
}

function showSenders(senders) {
  $("senders").hidden = !senders || senders.length === 0;
  const list = $("senderRows");
  list.textContent = "";
  for (const s of senders || []) {
    const el = document.createElement("article");
    el.className = "row sender";
    const head = document.createElement("header");
    head.textContent = t("sender", { row: s.row });
    const facts = document.createElement("p");
    facts.textContent = `ORG ${s.org} · ID ${s.id} · ${s.data.join(", ")} · ${t("status")} ${s.status}`;
    el.append(head, facts);
    if (!page.readOnly) {
      const button = document.createElement("button");
      button.type = "button";
      button.className = "wide";
      button.textContent = s.org ? t("transmit") : t("noTelegram");
      button.disabled = !s.org;
      button.onclick = () => write(`/api/senders/${s.row}/transmit`, {},
        () => t("transmitted", { row: s.row }));
      el.append(button);
    }
    list.append(el);
  }
}

function showOperation(op) {
  const running = op && op.state === "running";
  $("operation").hidden = !running;
  document.body.classList.toggle("busy", !!running);
  for (const b of document.querySelectorAll(".row button, .row input, .row select"))
    b.disabled = !!running;
  if (!running) { page.deadline = null; return; }
  const learning = op.kind === "learn-button";
  $("operationText").textContent = learning ? t("pressButton", { row: op.row })
    : t("running", { what: describe(op) });
  $("cancelLearn").hidden = !learning || page.readOnly;
  page.deadline = learning ? performance.now() + (op.remainingMs || 0) : null;
  showCountdown();
}

function showCountdown() {
  $("countdown").textContent = page.deadline === null ? ""
    : t("secondsLeft", { n: Math.max(0, Math.ceil((page.deadline - performance.now()) / 1000)) });
}

// The end of a learn by button, as every page hears of it.
function operationEnded(op) {
  if (op.kind !== "learn-button") return;
  const row = page.view.rows[op.row] || {};
  const said = { done: t("learned", { row: op.row, id: row.id, org: row.org }),
    timeout: t("timeout", { row: op.row }), cancelled: t("cancelled", { row: op.row }) };
  notice(said[op.state] || t("failed", { message: op.message }), op.state === "done" ? "ok" : "error");
}

function showAll() {
  const v = page.view;
  page.readOnly = v.readOnly;
  document.body.classList.toggle("readOnly", v.readOnly);
  showGateway(v.gateway);
  v.rows.forEach(showRow);
  showSenders(v.senders);
  showOperation(v.operation);
}

function take(message) {
  if (message.type === "state") {
    page.view = message;
    showAll();
    return;
  }
  const v = page.view;
  if (!v) return;
  if (message.gateway) { v.gateway = message.gateway; showGateway(v.gateway); }
  for (const r of message.rows || []) { v.rows[r.row] = r; showRow(r); }
  for (const row of message.telegrams || []) flash(row);
  if (message.senders) {
    for (const s of message.senders) v.senders[s.row] = s;
    showSenders(v.senders);
  }
  if ("operation" in message) {
    const was = v.operation;
    v.operation = message.operation;
    showOperation(v.operation);
    if (was && was.state === "running" && v.operation && v.operation.state !== "running")
      operationEnded(v.operation);
  }
}

// ---- the writes ----

function learnByButton(row) {
  write(`/api/rows/${row}/learn-button`, { wait: 60 }, () => "",
    t("confirmReplace", { row }));
}

function openLearnId(el, open) {
  el.querySelector(".learnId").hidden = !open;
  if (open) el.querySelector("input[name=id]").focus();
}

function learnById(el, row) {
  const form = el.querySelector(".learnId");
  const id = form.elements.id.value.trim().toUpperCase();
  const org = form.elements.org.value;
  if (!/^[0-9A-F]{8}$/.test(id)) { notice(t("badId"), "error"); return; }
  write(`/api/rows/${row}/learn`, { id, org },
    () => { form.hidden = true; return t("learnedReadBack", { row, id, org }); },
    t("confirmReplace", { row }));
}

function remove(row) {
  const r = page.view.rows[row];
  if (!confirm(t("confirmDelete", { id: r.id, org: r.org, row }))) return;
  write(`/api/rows/${row}/delete`, { id: r.id }, () => t("deleted", { row }));
}

function invert(row) {
  const on = !page.view.rows[row].inverted;
  write(`/api/rows/${row}/invert`, { on },
    () => t(on ? "invertedDone" : "notInvertedDone", { row }));
}

// ---- live ----

function connect() {
  $("live").textContent = t("connecting");
  const scheme = location.protocol === "https:" ? "wss://" : "ws://";
  const socket = new WebSocket(scheme + location.host + "/live");
  page.socket = socket;
  socket.onopen = () => {
    socket.send(JSON.stringify({ token: page.token }));
    $("live").textContent = t("live");
    page.retryMs = 1000;
  };
  socket.onmessage = (e) => take(JSON.parse(e.data));
  socket.onclose = () => {
    $("live").textContent = t("liveLost");
    setTimeout(connect, page.retryMs);
    page.retryMs = Math.min(page.retryMs * 2, 10000);
  };
}

async function start() {
  page.language = chooseLanguage();
  const fromAddress = new URLSearchParams(location.hash.slice(1)).get("token");
  if (fromAddress) {
    sessionStorage.setItem("qrx-token", fromAddress);
    history.replaceState(null, "", location.pathname); // not on the screen, not in a picture
  }
  page.token = fromAddress || sessionStorage.getItem("qrx-token") || "";
  makeRows();
  applyLanguage();
  $("language").onclick = () => {
    page.language = page.language === "de" ? "en" : "de";
    localStorage.setItem("qrx-language", page.language);
    applyLanguage();
  };
  $("cancelLearn").onclick = () => api(`/api/rows/0/learn-button/cancel`, {});
  setInterval(() => { page.rowElements.forEach((_, row) => showAge(row)); showCountdown(); }, 1000);
  if (!page.token) { notice(t("noToken"), "error"); return; }
  const { status, data } = await api("/api/state");
  if (status !== 200) return;
  take(data);
  if (page.readOnly) notice(t("readOnly"), "info");
  connect();
}

start();
