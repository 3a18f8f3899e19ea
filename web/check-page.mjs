// Checks the page in a real browser (Debian's chromium, headless, driven by
// puppeteer-core) against the native stl2bas, over every mesh file given:
//   - the file opened with the page's own file button and downloaded with
//     "Download .bas" is, byte for byte, what `stl2bas convert` writes, and
//     a file stl2bas refuses shows its message;
//   - the module's preview segments are those of `stl2bas render --svg`,
//     in order, for three views;
//   - the module's convert with fitting options and a viewer program is
//     what stl2bas writes with the same options;
//   - options stl2bas refuses come back as a message;
//   - a big file's read, cancelled, leaves the model shown before.
//
//   KORVANE_NPM=FOLDER node web/check-page.mjs STL2BAS PAGE_FOLDER FILE...
//
// FOLDER holds node_modules/puppeteer-core.
// Prints one line for each difference and a summary; exits 1 when anything
// differs.
import {execFileSync, spawnSync} from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";
import {createRequire} from "node:module";

const puppeteer = createRequire(path.join(process.env.KORVANE_NPM || process.cwd(), "package.json"))("puppeteer-core");

const [nativeArgument, pageFolder, ...inputs] = process.argv.slice(2);
const native = path.resolve(nativeArgument);
const work = fs.mkdtempSync(path.join(os.tmpdir(), "korvane-page-"));
const downloads = path.join(work, "downloads");
fs.mkdirSync(downloads);

// Each file in a folder of its own, so that stl2bas, run there on its bare
// name, names it in its messages as the page does.
const files = inputs.map((input, index) => {
  const folder = path.join(work, String(index));
  fs.mkdirSync(folder);
  const name = path.basename(input);
  fs.copyFileSync(input, path.join(folder, name));
  return {input, folder, name, url: `/files/${index}/${encodeURIComponent(name)}`};
});

// What stl2bas prints: its output, exit status and first message that is
// not a warning.
function stl2bas(file, args) {
  const run = spawnSync(native, args, {cwd: file.folder, maxBuffer: 1 << 30});
  const message = run.stderr.toString("latin1").split("\n").find((line) => line && !line.includes(": warning: ")) || "";
  return {status: run.status, stdout: run.stdout, message, folder: file.folder};
}

function svgSegments(text) {
  return [...text.matchAll(/<line x1="(-?\d+)" y1="(-?\d+)" x2="(-?\d+)" y2="(-?\d+)"\/>/g)].map((m) => m.slice(1).map(Number));
}

const types = {".html": "text/html", ".js": "text/javascript", ".css": "text/css", ".wasm": "application/wasm"};
const server = http.createServer((request, response) => {
  const url = decodeURIComponent(new URL(request.url, "http://localhost").pathname);
  const match = url.match(/^\/files\/(\d+)\/(.*)$/);
  const file = match ? path.join(work, match[1], match[2]) : path.join(pageFolder, path.normalize(url).replace(/^(\.\.[\/\\])+/, ""));
  fs.readFile(file, (error, bytes) => {
    if (error) { response.writeHead(404); response.end(); return; }
    response.writeHead(200, {"Content-Type": types[path.extname(file)] || "application/octet-stream"});
    response.end(bytes);
  });
});
await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
const origin = `http://127.0.0.1:${server.address().port}`;

const browser = await puppeteer.launch({executablePath: process.env.CHROMIUM || "/usr/bin/chromium", headless: "new",
                                        args: ["--no-sandbox", "--disable-gpu"]});
let differ = 0, compared = 0, refusals = 0;
function report(file, what, detail) {
  differ += 1;
  console.log(`DIFFERS: ${file.input}: ${what}${detail ? ": " + detail : ""}`);
}

try {
  const page = await browser.newPage();
  const errors = [];
  page.on("pageerror", (error) => errors.push(error.message));
  const devtools = await browser.target().createCDPSession();
  await devtools.send("Browser.setDownloadBehavior", {behavior: "allowAndName", downloadPath: downloads, eventsEnabled: true});
  const finished = new Map();
  devtools.on("Browser.downloadProgress", (event) => { if (event.state === "completed") finished.set(event.guid, true); });
  await page.goto(origin + "/index.html");

  const views = [{args: [], view: {}},
                 {args: ["--angles", "30,20,10", "--zoom", "5"], view: {angles: [30, 20, 10], zoom: 5}},
                 {args: ["--angles", "200,100,50", "--zoom", "13", "--mesh", "optimized"],
                  view: {angles: [200, 100, 50], zoom: 13, mesh: "optimized"}}];

  for (const file of files) {
    // The file through the page: its button, then "Download .bas".
    const expected = stl2bas(file, ["convert", file.name, "-o", "-"]);
    const reads = await page.evaluate(() => Number(document.body.dataset.reads || 0));
    await (await page.$("#file")).uploadFile(path.join(file.folder, file.name));
    await page.waitForFunction((before) => Number(document.body.dataset.reads || 0) > before, {timeout: 120000}, reads);
    compared += 1;
    const canDownload = await page.$eval("#download", (button) => !button.disabled);
    let got = null;
    if (canDownload) {
      finished.clear();
      const guids = new Set(fs.readdirSync(downloads));
      await page.click("#download");
      await page.waitForFunction(() => document.getElementById("message").textContent !== "", {timeout: 1000}).catch(() => {});
      const deadline = Date.now() + 60000;
      while (Date.now() < deadline && finished.size === 0 && !(await page.$eval("#message", (m) => m.textContent))) {
        await new Promise((resolve) => setTimeout(resolve, 20));
      }
      const fresh = fs.readdirSync(downloads).filter((guid) => !guids.has(guid) && finished.has(guid));
      if (fresh.length) got = fs.readFileSync(path.join(downloads, fresh[0]));
    }
    const shown = await page.$eval("#message", (message) => message.textContent);
    if (expected.status === 0) {
      if (!got) report(file, "the page downloaded nothing", shown);
      else if (!got.equals(expected.stdout)) report(file, "the downloaded .bas differs from stl2bas convert");
    } else {
      refusals += 1;
      if (got) report(file, "the page downloaded a file stl2bas refuses", expected.message);
      else if (shown !== expected.message) report(file, "the message differs", `page "${shown}", stl2bas "${expected.message}"`);
    }

    // The module: three views, then a fitted program.
    for (const {args, view} of views) {
      compared += 1;
      const picture = path.join(file.folder, "picture.svg");
      fs.rmSync(picture, {force: true});
      const native = stl2bas(file, ["render", file.name, "-o", "picture.svg", ...args]);
      const drawn = await page.evaluate(async (url, name, view) => {
        const korvane = await import("./korvane.js");
        const bytes = await (await fetch(url)).arrayBuffer();
        const drawn = await korvane.render(bytes, name, view);
        return {ok: drawn.ok, message: drawn.message, segments: drawn.segments ? Array.from(drawn.segments) : null};
      }, file.url, file.name, view);
      if (native.status !== 0) {
        if (drawn.ok) report(file, `render ${args.join(" ")}: the page draws what stl2bas refuses`, native.message);
        continue;
      }
      if (!drawn.ok) { report(file, `render ${args.join(" ")}: the page failed`, drawn.message); continue; }
      const want = svgSegments(fs.readFileSync(picture, "latin1")).flat();
      if (want.length !== drawn.segments.length || want.some((value, at) => value !== drawn.segments[at]))
        report(file, `render ${args.join(" ")}: the segments differ`, `${drawn.segments.length / 4} against ${want.length / 4}`);
    }
    compared += 1;
    const fitted = stl2bas(file, ["convert", file.name, "-o", "-", "--up", "y", "--fit", "250", "--faces", "auto",
                                  "--start", "100", "--step", "5", "--program", "--dialect", "print", "--keyword-case", "upper"]);
    const written = await page.evaluate(async (url, name) => {
      const korvane = await import("./korvane.js");
      const bytes = await (await fetch(url)).arrayBuffer();
      const written = await korvane.convert(bytes, name, {up: "y", fit: 250, faces: "auto", start: "100", step: "5",
                                                          program: true, dialect: "print", keyword_case: "upper"});
      return {ok: written.ok, text: written.text, message: written.message};
    }, file.url, file.name);
    if (fitted.status === 0 && (!written.ok || written.text !== fitted.stdout.toString("latin1")))
      report(file, "the fitted program differs", written.message || "");
    else if (fitted.status !== 0 && written.ok) report(file, "the page writes a fitted program stl2bas refuses", fitted.message);
  }
  // Options stl2bas would refuse come back as a message: never a file, a
  // drawing or an exception.
  const sound = files.find((file) => stl2bas(file, ["convert", file.name, "-o", "-"]).status === 0);
  if (sound) {
    compared += 1;
    const accepted = await page.evaluate(async (url, name) => {
      const korvane = await import("./korvane.js");
      const bytes = await (await fetch(url)).arrayBuffer();
      const options = [{start: 5}, {start: "ten"}, {step: "0"}, {faces: 0}, {faces: 2.5}, {faces: "many"}, {up: "w"},
                       {fit: -1}, {fit: "x"}, {line_length: 10}, {line_length: 1e20}, {keyword_case: "mixed"},
                       {program: true, dialect: "none"}, {program: true, view: {angles: [0, 0, 360]}},
                       {program: true, view: {zoom: 21}}, {program: true, view: {mesh: "all"}}, {area: [0, 5]}];
      const views = [{angles: [0, 0, 400]}, {angles: [1.5, 0, 0]}, {angles: "x"}, {zoom: 0}, {zoom: 2.5},
                     {width: 9000}, {mesh: "all"}];
      const accepted = [];
      for (const option of options) {
        const written = await korvane.convert(bytes, name, option);
        if (written.ok || !written.message) accepted.push(JSON.stringify(option));
      }
      for (const view of views) {
        const drawn = await korvane.render(bytes, name, view);
        if (drawn.ok || !drawn.message) accepted.push(JSON.stringify(view));
      }
      return accepted;
    }, sound.url, sound.name);
    if (accepted.length) report(sound, "the module took options stl2bas refuses", accepted.join(" "));
  }

  // A big file's read is cancelled: the model shown before stays, with its
  // file and its download.
  const last = files.at(-1);
  if (last && (await page.$eval("#download", (button) => !button.disabled))) {
    compared += 1;
    const facets = 2000000;
    const big = Buffer.alloc(84 + 50 * facets);
    big.writeUInt32LE(facets, 80);
    for (let facet = 0; facet < facets; ++facet)
      for (let corner = 0; corner < 3; ++corner) big.writeFloatLE(facet + corner, 84 + 50 * facet + 12 + 12 * corner);
    const bigFile = path.join(work, "big.stl");
    fs.writeFileSync(bigFile, big);
    await (await page.$("#file")).uploadFile(bigFile);
    await page.waitForSelector("#progress-row:not([hidden])", {timeout: 60000});
    await page.click("#cancel");
    await page.waitForSelector("#progress-row[hidden]", {timeout: 60000});
    const after = await page.evaluate(() => [document.getElementById("file-name").textContent, document.body.dataset.state,
                                             document.getElementById("message").textContent]);
    if (after[0] !== last.name || after[1] !== "ready" || !after[2].startsWith("Cancelled"))
      report(last, "a cancelled read did not leave the model shown before", after.join(" | "));
  }
  for (const error of errors) report({input: "the page"}, "a script error", error);
} finally {
  await browser.close();
  server.close();
  fs.rmSync(work, {recursive: true, force: true});
}
console.log(`page: ${files.length} files (${refusals} refused by stl2bas), ${compared} comparisons, ${differ} differ`);
process.exit(differ === 0 ? 0 : 1);
