// The page: the window's commands over the converter module (korvane.js).
// A file is opened with the button or by dropping it on the page, read in
// a worker of its own (the page stays responsive, and the read can be
// cancelled, keeping the model shown before), drawn as the window draws it,
// offered the window's fit when it does not serve the Korvane 3D as read,
// and downloaded as the BASIC file stl2bas writes.
import {load} from "./korvane.js";

const $ = (id) => document.getElementById(id);
const kWidth = 481, kHeight = 473;  // the window's drawing area

let file = null;       // {bytes, name}: the file the model was read from
let model = null;      // the model shown
let shape = {};        // the fit applied: {up, fit, faces, clean}
let proposal = null;   // the window's first choice for the model as read
let mesh = "normal";
let reading = null;    // the AbortController of a read under way

function setState(state) { document.body.dataset.state = state; }
function say(text) { $("message").textContent = text || ""; }

// The load options: the numbering and output fields, and the fit applied.
function options(fit) {
  const length = Number($("line-length").value);
  const chosen = {start: $("start").value.trim(), step: $("step").value.trim(), keyword_case: $("keywords").value,
                  line_length: $("line-length").value === "" ? 0 : (Number.isInteger(length) ? length : -1)};
  if ($("program").checked) {
    chosen.program = true;
    chosen.dialect = $("dialect").value || "print";
  }
  return {...chosen, ...fit, propose: true};
}

function view() {
  return {angles: [Number($("angle-x").value), Number($("angle-y").value), Number($("angle-z").value)],
          zoom: Number($("zoom").value), mesh, width: kWidth, height: kHeight};
}

function shaped() { return Object.keys(shape).length > 0; }
function isBas() { return model && model.info && model.info.kind === "bas"; }

// A 32-bit float's shortest text, as stl2bas prints it (the report holds
// the model's floats, which JSON carries as doubles).
function floatText(value) {
  for (let digits = 1; digits < 9; ++digits) {
    const text = value.toPrecision(digits);
    if (Math.fround(Number(text)) === value) return String(Number(text));
  }
  return String(value);
}

function showFigures() {
  const info = model && model.info;
  const figure = (value) => (value === null || value === undefined ? "-" : String(value));
  $("points").textContent = info ? figure(info.points) : "0";
  $("faces").textContent = info ? figure(info.faces) : "0";
  $("points-optimized").textContent = info ? figure(info.points_optimized) : "0";
  $("lines-needed").textContent = figure(info && info.lines_needed);
  $("lines-available").textContent = info && info.lines_needed !== null && info.lines_available === null ? "no limit" : figure(info && info.lines_available);
  $("points-collapsing").textContent = figure(info && info.points_collapsing);
  $("faces-degenerate").textContent = figure(info && info.faces_degenerate);
  const bounds = info && info.bounds;
  $("bounds").textContent = bounds ? `${bounds.min.map(floatText).join(", ")} .. ${bounds.max.map(floatText).join(", ")}` : "-";
}

function showMesh() {
  const loaded = model && model.ok;
  $("normal").disabled = !loaded || isBas() || shaped();
  $("optimized").disabled = !loaded;
  $("mesh").textContent = mesh === "normal" ? "Normal Meshe" : "Optimized Meshe";
}

// The fit panel: why the model as read does or does not serve the target,
// and the window's first choice in its fields.
function showFit(fresh) {
  const frame = $("fit-frame");
  const offered = Boolean(model && model.ok && (proposal || shaped()));
  for (const id of ["fit", "keep"]) $(id).disabled = !offered;
  if (!model || !model.ok) {
    $("fit-reasons").textContent = isBas() ? "A BASIC data file is shown as it was saved." : "Open a model to see whether it serves the Korvane 3D as read.";
    frame.classList.remove("offered");
    return;
  }
  if (fresh && proposal) {
    $("fit-up").value = "";
    $("fit-size").value = proposal.size;
    $("fit-faces").max = proposal.all_faces;
    $("fit-faces").value = proposal.faces;
    $("fit-legible").checked = proposal.legible;
    $("fit-faces").disabled = proposal.legible;
    $("fit-clean").checked = false;
  }
  if (proposal) $("fit-reasons").textContent = proposal.reasons;
  else if (isBas()) $("fit-reasons").textContent = "A BASIC data file is shown as it was saved.";
  frame.classList.toggle("offered", Boolean(proposal && !proposal.serves && !shaped()));
  $("fit-state").textContent = shaped() ? "Fitted" : "As read";
}

// Draws the newest view; views asked for while one is drawn wait, and only
// the newest of them is drawn next.
let drawing = false, drawAgain = false;
async function draw() {
  if (drawing) { drawAgain = true; return; }
  drawing = true;
  const shown = model;
  const context = $("picture").getContext("2d");
  do {
    drawAgain = false;
    if (!shown) break;
    const drawn = await shown.draw(view());
    if (shown !== model) break;
    if (drawn.ok) {
      context.putImageData(new ImageData(new Uint8ClampedArray(drawn.pixels.buffer), drawn.width, drawn.height), 0, 0);
      document.body.dataset.segments = String(drawn.count);
    } else {
      say(drawn.message);
    }
  } while (drawAgain);
  drawing = false;
  if (shown !== model) draw();
}

function clearPicture() {
  const context = $("picture").getContext("2d");
  context.fillStyle = "white";
  context.fillRect(0, 0, kWidth, kHeight);
}

// Reads `target` ({bytes, name}) with the current options and the fit
// `fit`. A new file (`fresh`) shows its own mesh and the window's fit
// proposal; a read that is cancelled, or whose options are refused, leaves
// the model shown as it was, with its file and fit.
async function read(target = file, fit = shape, fresh = false) {
  if (!target) return;
  if (reading) reading.abort();
  const controller = new AbortController();
  reading = controller;
  const earlierState = document.body.dataset.state;
  setState("loading");
  say("");
  $("progress-row").hidden = false;
  $("progress").value = 0;
  $("progress-stage").textContent = "Reading";
  let loaded;
  try {
    loaded = await load(target.bytes, target.name, options(fit), {
      signal: controller.signal,
      onProgress: (stage, percent) => { $("progress-stage").textContent = stage; $("progress").value = percent; },
    });
  } catch (error) {
    if (reading === controller) {
      reading = null;
      $("progress-row").hidden = true;
      setState(earlierState);
      say("Cancelled: " + target.name + " was not read");
    }
    return;
  }
  if (reading !== controller) { loaded.close(); return; }
  reading = null;
  $("progress-row").hidden = true;
  if (loaded.report.refused) {
    loaded.close();
    setState(earlierState);
    say(loaded.message);
    document.body.dataset.reads = String(Number(document.body.dataset.reads || 0) + 1);
    return;
  }
  if (model) model.close();
  model = loaded;
  file = target;
  shape = fit;
  $("file-name").textContent = target.name;
  if (model.dialects.length && !$("dialect").options.length) {
    for (const dialect of model.dialects) $("dialect").add(new Option(dialect.name, dialect.name));
    showDialect();
  }
  if (fresh) proposal = model.fit;
  if (fresh || shaped() || isBas()) mesh = isBas() || shaped() ? "optimized" : "normal";
  say(model.message);
  setState(model.ok ? "ready" : "failed");
  document.body.dataset.reads = String(Number(document.body.dataset.reads || 0) + 1);
  $("download").disabled = !model.ok;
  showFigures();
  showMesh();
  showFit(fresh);
  clearPicture();
  draw();
}

// The BASICs the chosen viewer program runs on.
function showDialect() {
  const chosen = model && model.dialects.find((dialect) => dialect.name === $("dialect").value);
  $("dialect-families").textContent = chosen ? chosen.families : "";
}

async function open(chosen) {
  if (!chosen) return;
  let bytes;
  try {
    bytes = await chosen.arrayBuffer();
  } catch (error) {
    say(chosen.name + ": Cannot open file: " + (error.message || error));
    return;
  }
  read({bytes, name: chosen.name}, {}, true);
}

async function download() {
  if (!model || !model.ok) return;
  const written = await model.convert($("program").checked ? view() : null);
  if (!written.ok) { say(written.message); return; }
  const link = document.createElement("a");
  link.href = URL.createObjectURL(new Blob([written.bytes], {type: "text/plain"}));
  link.download = file.name.replace(/\.[^.\/]*$/, "") + ".bas";
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  say("");
}

function applyFit() {
  const chosen = {};
  if ($("fit-up").value) chosen.up = $("fit-up").value;
  const size = Number($("fit-size").value);
  if (size > 0) chosen.fit = size;
  if ($("fit-legible").checked) chosen.faces = "auto";
  else if ($("fit-faces").value !== "") chosen.faces = Number($("fit-faces").value);
  if ($("fit-clean").checked) chosen.clean = true;
  read(file, chosen);
}

// The controls.
$("open").addEventListener("click", () => $("file").click());
$("file").addEventListener("change", () => { open($("file").files[0]); $("file").value = ""; });
$("cancel").addEventListener("click", () => { if (reading) reading.abort(); });
$("download").addEventListener("click", download);
for (const id of ["start", "step", "keywords", "line-length"]) $(id).addEventListener("change", () => read());
$("dialect").addEventListener("change", () => { showDialect(); read(); });
$("program").addEventListener("change", () => { $("dialect").disabled = !$("program").checked; read(); });
$("fit").addEventListener("click", applyFit);
$("keep").addEventListener("click", () => read(file, {}));
$("fit-legible").addEventListener("change", () => { $("fit-faces").disabled = $("fit-legible").checked; });
$("fit-faces").addEventListener("input", () => { $("fit-legible").checked = false; });
for (const id of ["angle-x", "angle-y", "angle-z", "zoom"]) {
  $(id).addEventListener("input", () => { $(id + "-value").textContent = $(id).value; draw(); });
}
$("normal").addEventListener("click", () => { mesh = "normal"; showMesh(); draw(); });
$("optimized").addEventListener("click", () => { mesh = "optimized"; showMesh(); draw(); });

// A file dropped anywhere on the page is opened.
document.addEventListener("dragover", (event) => { event.preventDefault(); document.body.classList.add("dragging"); });
document.addEventListener("dragleave", (event) => { if (!event.relatedTarget) document.body.classList.remove("dragging"); });
document.addEventListener("drop", (event) => {
  event.preventDefault();
  document.body.classList.remove("dragging");
  if (event.dataTransfer.files.length) open(event.dataTransfer.files[0]);
});

clearPicture();
$("open").focus();
document.body.dataset.started = "1";
