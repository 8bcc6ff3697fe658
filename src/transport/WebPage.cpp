#include "transport/WebApi.h"

// The page works without the internet: no fonts, scripts or images from
// elsewhere. It reads the token from its own address ("/?token=...") and
// sends it with every request it makes.
std::string_view WebPageHtml() {
    static constexpr std::string_view Page = R"page(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="color-scheme" content="light dark">
<title>Spotweaver</title>
<style>
:root { --bg:#fbfbf8; --fg:#1d1f21; --muted:#6b6f76; --line:#d9dbde; --accent:#0b6bcb;
  --on:#1a7f37; --off:#b42318; --row:#f1f3f5; --new:#fff3bf; }
@media (prefers-color-scheme: dark) {
  :root { --bg:#15171a; --fg:#e6e6e3; --muted:#9aa0a6; --line:#30343a; --accent:#5aa9ff;
    --on:#4ac26b; --off:#ff6b6b; --row:#1d2024; --new:#3b3417; }
}
* { box-sizing:border-box; }
body { margin:0; background:var(--bg); color:var(--fg);
  font:15px/1.35 system-ui, -apple-system, "Segoe UI", Roboto, sans-serif; }
header { display:flex; align-items:baseline; gap:.8em; padding:.6em 1em;
  border-bottom:1px solid var(--line); flex-wrap:wrap; }
header h1 { font-size:1.15em; margin:0; }
#state { color:var(--muted); font-size:.9em; }
main { padding:.5em 1em 2em; }
.bar { display:flex; flex-wrap:wrap; gap:.35em; margin:.45em 0; }
button { font:inherit; font-size:.9em; color:var(--fg); background:var(--row);
  border:1px solid var(--line); border-radius:6px; padding:.3em .7em; cursor:pointer;
  min-height:2.2em; }
button.on { background:var(--accent); border-color:var(--accent); color:#fff; }
.scroll { overflow-x:auto; }
table { border-collapse:collapse; width:100%; }
th, td { text-align:left; padding:.28em .5em; border-bottom:1px solid var(--line);
  white-space:nowrap; }
th { color:var(--muted); font-weight:600; font-size:.85em; }
td.num { text-align:right; font-variant-numeric:tabular-nums; }
td.dx { font-weight:700; }
td.msg { white-space:normal; min-width:12em; }
tr.fresh td { background:var(--new); }
h2 { font-size:1em; margin:1.4em 0 .4em; }
.ports { display:grid; grid-template-columns:repeat(auto-fill, minmax(19em, 1fr)); gap:.7em; }
.port { border:1px solid var(--line); border-radius:8px; padding:.55em .7em; background:var(--row); }
.port b { font-size:1.02em; }
.dot { display:inline-block; width:.65em; height:.65em; border-radius:50%; margin-right:.35em;
  background:var(--off); }
.dot.on { background:var(--on); }
.figs { color:var(--muted); font-size:.85em; margin:.25em 0; }
pre { margin:.35em 0 0; max-height:9em; overflow:auto; font-size:.78em; white-space:pre-wrap;
  word-break:break-all; }
@media (max-width: 640px) {
  body { font-size:14px; }
  .wide { display:none; }
  main { padding:.4em .5em 2em; }
}
</style>
</head>
<body>
<header><h1>Spotweaver</h1><span id="state">connecting</span></header>
<main>
<div class="bar" id="bands"></div>
<div class="bar" id="modes"></div>
<div class="scroll">
<table>
<thead><tr><th>UTC</th><th class="num">kHz</th><th>DX</th><th>Spotter</th>
<th class="wide">Comment</th><th>Mode</th><th>Band</th></tr></thead>
<tbody id="spots"></tbody>
</table>
</div>
<h2>Ports</h2>
<div class="ports" id="ports"></div>
</main>
<script>
"use strict";
const token = new URLSearchParams(location.search).get("token") || "";
const auth = token ? { "Authorization": "Bearer " + token } : {};
const bandOrder = ["2200m","630m","160m","80m","60m","40m","30m","20m","17m","15m","12m",
  "10m","6m","4m","2m","70cm","23cm"];
const keep = 500;
let spots = [];
let band = "All", mode = "All";

function text(tag, value, cls) {
  const cell = document.createElement(tag);
  cell.textContent = value;
  if (cls) cell.className = cls;
  return cell;
}
function rowOf(s) {
  const tr = document.createElement("tr");
  tr.dataset.band = s.band || "";
  tr.dataset.mode = s.mode || "";
  tr.append(text("td", (s.when || "").substr(11, 5)),
    text("td", Number(s.frequency).toFixed(1), "num"), text("td", s.spotted, "dx"),
    text("td", s.spotter), text("td", s.message || "", "msg wide"),
    text("td", s.mode || ""), text("td", s.band || ""));
  return tr;
}
function shown(s) {
  return (band === "All" || s.band === band) && (mode === "All" || s.mode === mode);
}
function buttons(id, values, current, pick) {
  const bar = document.getElementById(id);
  bar.replaceChildren();
  for (const v of ["All", ...values]) {
    const b = text("button", v, v === current ? "on" : "");
    b.dataset.value = v;
    b.onclick = () => pick(v);
    bar.append(b);
  }
}
function drawButtons() {
  const bands = [...new Set(spots.map(s => s.band).filter(Boolean))]
    .sort((a, b) => bandOrder.indexOf(a) - bandOrder.indexOf(b));
  const modes = [...new Set(spots.map(s => s.mode).filter(Boolean))].sort();
  buttons("bands", bands, band, v => { band = v; draw(); });
  buttons("modes", modes, mode, v => { mode = v; draw(); });
}
function draw() {
  const body = document.getElementById("spots");
  body.replaceChildren(...spots.filter(shown).map(rowOf));
  drawButtons();
}
function add(s) {
  spots.unshift(s);
  if (spots.length > keep) spots.length = keep;
  if (shown(s)) {
    const body = document.getElementById("spots");
    const tr = rowOf(s);
    tr.className = "fresh";
    body.prepend(tr);
    setTimeout(() => tr.classList.remove("fresh"), 1500);
    while (body.rows.length > keep) body.deleteRow(-1);
  }
  if (!document.querySelector('#bands button[data-value="' + s.band + '"]') ||
      (s.mode && !document.querySelector('#modes button[data-value="' + s.mode + '"]'))) {
    drawButtons();
  }
}
function stream() {
  const url = (location.protocol === "https:" ? "wss://" : "ws://") + location.host +
    location.pathname.replace(/\/[^/]*$/, "/") + "ws" + (token ? "?token=" +
    encodeURIComponent(token) : "");
  const ws = new WebSocket(url);
  ws.onopen = () => { document.getElementById("state").textContent = "live"; };
  ws.onmessage = e => { try { add(JSON.parse(e.data)); } catch (err) {} };
  ws.onclose = () => {
    document.getElementById("state").textContent = "reconnecting";
    setTimeout(stream, 3000);
  };
}
async function command(name, verb) {
  await fetch("ports/" + encodeURIComponent(name) + "/" + verb, { method: "POST", headers: auth });
  setTimeout(ports, 300);
}
async function ports() {
  try {
    const r = await fetch("ports", { headers: auth, cache: "no-store" });
    if (!r.ok) return;
    const list = await r.json();
    const box = document.getElementById("ports");
    // A window scrolled up by the user keeps its place; any other shows
    // the newest lines, as a terminal does.
    const kept = {};
    box.querySelectorAll("pre").forEach(pre => {
      if (pre.scrollTop + pre.clientHeight < pre.scrollHeight - 4) kept[pre.dataset.port] = pre.scrollTop;
    });
    box.replaceChildren(...list.map(p => {
      const div = document.createElement("div");
      div.className = "port";
      const dot = text("span", "", p.connected ? "dot on" : "dot");
      const head = document.createElement("div");
      head.append(dot, text("b", p.name), text("span", "  " + p.kind + " · " + p.type));
      const figs = text("div", (p.connected ? "connected" : "not connected") +
        " · callers " + p.callers + " · lines in " + p.linesIn + ", out " + p.linesOut +
        " · spots passed " + p.passed + ", filtered " + p.filtered + ", dupes " + p.dupes +
        ", merged " + p.merged, "figs");
      const bar = document.createElement("div");
      bar.className = "bar";
      const on = text("button", "Connect");
      on.onclick = () => command(p.name, "connect");
      const off = text("button", "Disconnect");
      off.onclick = () => command(p.name, "disconnect");
      bar.append(on, off);
      const lines = text("pre", p.lines.slice(-8).join("\n"));
      lines.dataset.port = p.name;
      div.append(head, figs, bar, lines);
      return div;
    }));
    box.querySelectorAll("pre").forEach(pre => {
      pre.scrollTop = pre.dataset.port in kept ? kept[pre.dataset.port] : pre.scrollHeight;
    });
  } catch (err) {}
}
async function start() {
  try {
    const r = await fetch("spots?limit=" + keep, { headers: auth, cache: "no-store" });
    if (r.ok) spots = await r.json();
  } catch (err) {}
  draw();
  stream();
  ports();
  setInterval(ports, 2000);
}
start();
</script>
</body>
</html>
)page";
    return Page;
}
