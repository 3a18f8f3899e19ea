// The converter's core, in a Web Worker: korvane.js gives each model it
// loads a worker of its own, so that reading a big file never stops the
// page, and a read is cancelled by ending its worker (the page's earlier
// model, in a worker of its own, stays as it was).
//
// Messages in:  {op: "load", bytes, name, options}, then {op: "convert",
//               view} and {op: "draw", view} as often as asked, and
//               {op: "free"} when the model is let go (the worker then waits,
//               its code compiled and optimised, for the next load).
// Messages out: {progress: {stage, percent}} while loading, then one answer
//               to each message: {report}, {ok, bytes, message} or
//               {count, segments, pixels, width, height, message}.
"use strict";
importScripts("korvane_wasm.js");

let core = null;   // the WebAssembly module
let model = 0;     // the loaded model, a pointer into the module's memory
let shownPercent = -1;
let shownStage = "";

// What the core reports while reading, at most once a percent.
function onProgress(stage, percent) {
  if (stage !== shownStage || percent !== shownPercent) {
    shownStage = stage;
    shownPercent = percent;
    postMessage({progress: {stage, percent}});
  }
  return true;
}

// A JavaScript string into the module's memory, for the length of `use`.
function withText(text, use) {
  const size = core.lengthBytesUTF8(text) + 1;
  const at = core._malloc(size);
  if (!at) throw new Error("not enough memory for the options");
  try {
    core.stringToUTF8(text, at, size);
    return use(at);
  } finally {
    core._free(at);
  }
}

// A load that read no model: the report with its message alone.
function failedLoad(message) {
  return {report: {ok: false, refused: false, message, info: null, fit: null}};
}

function load({bytes, name, options}) {
  const at = core._malloc(Math.max(bytes.byteLength, 1));
  if (!at) return failedLoad(name + ": not enough memory to hold the file");
  core.HEAPU8.set(new Uint8Array(bytes), at);
  try {
    model = withText(name, (namePointer) =>
      withText(JSON.stringify(options || {}), (optionsPointer) =>
        core._korvane_load(at, bytes.byteLength, namePointer, optionsPointer)));
  } finally {
    core._free(at);
  }
  if (!model) return failedLoad(name + ": not enough memory while loading the model");
  return {report: JSON.parse(core.UTF8ToString(core._korvane_report(model))), dialects: JSON.parse(core.UTF8ToString(core._korvane_dialects()))};
}

function convert({view}) {
  const ok = withText(view ? JSON.stringify(view) : "", (viewPointer) => core._korvane_convert(model, viewPointer));
  if (!ok) return {ok: false, bytes: null, message: core.UTF8ToString(core._korvane_message(model))};
  const at = core._korvane_text(model);
  const size = core._korvane_text_size(model);
  return {ok: true, bytes: core.HEAPU8.slice(at, at + size), message: null};
}

function draw({view}) {
  const angles = view.angles ?? [0, 0, 0];
  const width = view.width ?? 481;
  const height = view.height ?? 473;
  const refused = (message) => ({count: 0, segments: null, pixels: null, width, height, message});
  // The core takes whole numbers; anything else would be cut to one.
  const whole = (value) => Number.isInteger(value) && Math.abs(value) < 2 ** 31;
  if (!Array.isArray(angles) || angles.length !== 3 || !angles.every(whole))
    return refused("--angles: three whole degrees 0..359");
  const zoom = view.zoom ?? 1;
  if (!whole(zoom) || !whole(width) || !whole(height))
    return refused("--zoom: 1..20; the drawing area in whole pixels");
  if (view.mesh !== undefined && view.mesh !== "normal" && view.mesh !== "optimized")
    return refused("--mesh: normal or optimized");
  const count = core._korvane_draw(model, angles[0], angles[1], angles[2], zoom,
                                   view.mesh === "normal" ? 1 : view.mesh === "optimized" ? 0 : -1, width, height);
  if (count < 0) return refused(core.UTF8ToString(core._korvane_message(model)));
  const segmentsAt = core._korvane_segments(model) >> 1;
  const pixelsAt = core._korvane_pixels(model);
  return {
    count,
    segments: core.HEAP16.slice(segmentsAt, segmentsAt + 4 * count),
    pixels: core.HEAPU8.slice(pixelsAt, pixelsAt + 4 * width * height),
    width, height, message: null,
  };
}

const ready = Korvane_Wasm({onProgress}).then((module) => { core = module; });

onmessage = async (event) => {
  await ready;
  const request = event.data;
  // A model let go: the worker waits for the next load, warm. No answer.
  if (request.op === "free" || request.op === "load") {
    if (model) core._korvane_free(model);
    model = 0;
    shownPercent = -1;
    shownStage = "";
    if (request.op === "free") return;
  }
  let answer;
  try {
    if (request.op === "load") answer = load(request);
    else if (!model) answer = {message: "no model is loaded"};
    else if (request.op === "convert") answer = convert(request);
    else answer = draw(request);
  } catch (error) {
    // Only the module itself running out of memory gets here: the core
    // answers every failure of its own with a message.
    answer = {failed: String(error && error.message || error)};
  }
  const transfer = [answer.bytes, answer.segments, answer.pixels].filter(Boolean).map((array) => array.buffer);
  postMessage(answer, transfer);
};
