// The converter as a JavaScript module: the same core as stl2bas, built for
// WebAssembly, running in a Web Worker for each model.
//
//   import {convert, render, load} from "./korvane.js";
//   const {ok, text, info, message} = await convert(bytes, "bunny.ply", {fit: 400, faces: "auto"});
//   const {ok, segments, message} = await render(bytes, "bunny.ply", {angles: [30, 20, 10], zoom: 5});
//
// Options are stl2bas's: start, step (texts, as typed), up ("x", "-y", ...),
// fit (a size), faces (a count, "auto" or "max"), clean, keyword_case
// ("lower" or "upper"), line_length, program (with dialect and view), and
// propose: whether the load also judges the model as read for the window's
// fit (Model.fit; it takes a good part of the read's time). A view
// is {angles: [x, y, z], zoom, mesh: "normal" or "optimized", width, height},
// by default 0,0,0, zoom 1, the mesh stl2bas render draws, 481x473.
// A failure is the message stl2bas prints for it ("name: message"), never
// an exception from inside the core; only a cancelled load rejects.

const workerUrl = new URL("./korvane-worker.js", import.meta.url);

// A worker whose model was let go, kept for the next load: a new worker
// compiles the core again, and its code runs slower until the browser has
// optimised it.
const idle = [];

// ASCII bytes (all a BASIC file holds) as text, one character a byte.
function bytesText(bytes) {
  let text = "";
  for (let at = 0; at < bytes.length; at += 0x8000) text += String.fromCharCode.apply(null, bytes.subarray(at, at + 0x8000));
  return text;
}

// The report of a load that read no model.
function failedReport(message) {
  return {ok: false, refused: false, message, info: null, fit: null};
}

// A model loaded in a worker of its own: its report, then its BASIC file
// and its drawings as often as asked.
export class Model {
  constructor(worker, answer, healthy = true) {
    this.worker = worker;
    this.healthy = healthy && !answer.failed;
    this.report = answer.report;  // {ok, refused, message, info, fit}
    this.dialects = answer.dialects || [];
    this.waiting = [];
    worker.onmessage = (event) => { if (!event.data.progress) this.waiting.shift()(event.data); };
  }

  get ok() { return this.report.ok; }
  get message() { return this.report.message; }
  get info() { return this.report.info; }
  // Whether the window would offer to fit the model as read, why, and its
  // first choice: {serves, reasons, all_faces, size, faces, legible}; null
  // for BASIC data, a model already fitted, or a load without "propose".
  get fit() { return this.report.fit; }

  ask(request) {
    return new Promise((resolve) => {
      if (!this.worker) return resolve({failed: "the model was let go"});
      this.waiting.push(resolve);
      this.worker.postMessage(request);
    });
  }

  // The BASIC file as stl2bas convert writes it: {ok, bytes, text, message};
  // with a viewer program, `view` is the view it draws.
  async convert(view) {
    const answer = await this.ask({op: "convert", view: view || null});
    if (answer.failed) return {ok: false, bytes: null, text: null, message: answer.failed};
    return {ok: answer.ok, bytes: answer.bytes, text: answer.ok ? bytesText(answer.bytes) : null, message: answer.message};
  }

  // The preview as the window draws it: {ok, count, segments (x1, y1, x2,
  // y2 for each, in drawing order), pixels (RGBA), width, height, message}.
  async draw(view = {}) {
    const answer = await this.ask({op: "draw", view});
    if (answer.failed) return {ok: false, count: 0, segments: null, pixels: null, message: answer.failed};
    return {ok: answer.message === null, ...answer};
  }

  // Lets the model go; its worker serves the next load.
  close() {
    if (!this.worker) return;
    if (this.healthy && idle.length === 0) {
      this.worker.onmessage = null;
      this.worker.postMessage({op: "free"});
      idle.push(this.worker);
    } else {
      this.worker.terminate();
    }
    this.worker = null;
  }
}

// Loads a model from a file's bytes (an ArrayBuffer or a typed array),
// named as the file is (its kind comes from the name). `onProgress(stage,
// percent)` follows the read; aborting `signal` ends it, and the promise
// rejects with an AbortError.
export function load(bytes, name, options = {}, {onProgress, signal} = {}) {
  return new Promise((resolve, reject) => {
    const abort = () => reject(new DOMException("The read was cancelled", "AbortError"));
    if (signal && signal.aborted) return abort();
    const worker = idle.pop() || new Worker(workerUrl);
    const stop = () => { worker.terminate(); abort(); };
    if (signal) signal.addEventListener("abort", stop, {once: true});
    worker.onerror = (event) => {
      if (signal) signal.removeEventListener("abort", stop);
      worker.terminate();
      resolve(new Model(worker, {report: failedReport(name + ": the converter could not start (" + (event.message || "no WebAssembly") + ")")}, false));
    };
    worker.onmessage = (event) => {
      const answer = event.data;
      if (answer.progress) {
        if (onProgress) onProgress(answer.progress.stage, answer.progress.percent);
        return;
      }
      if (signal) signal.removeEventListener("abort", stop);
      worker.onerror = null;
      if (answer.failed) answer.report = failedReport(name + ": " + answer.failed);
      resolve(new Model(worker, answer));
    };
    const copy = bytes instanceof ArrayBuffer ? bytes.slice(0) : bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength);
    worker.postMessage({op: "load", bytes: copy, name, options}, [copy]);
  });
}

// Loads, writes the BASIC file and lets the model go: {ok, text, bytes,
// info, message}, as stl2bas convert and info give them.
export async function convert(bytes, name, options = {}) {
  const model = await load(bytes, name, options);
  try {
    if (!model.ok) return {ok: false, text: null, bytes: null, info: model.info, message: model.message};
    const written = await model.convert(options.view);
    return {...written, info: model.info};
  } finally {
    model.close();
  }
}

// Loads and draws one view: {ok, segments, count, message}. The view may
// carry the shaping options too (up, fit, faces, clean, start, step).
export async function render(bytes, name, view = {}) {
  const model = await load(bytes, name, view);
  try {
    if (!model.ok) return {ok: false, segments: null, count: 0, message: model.message};
    const drawn = await model.draw(view);
    return {ok: drawn.ok, segments: drawn.segments, count: drawn.count, message: drawn.message};
  } finally {
    model.close();
  }
}
