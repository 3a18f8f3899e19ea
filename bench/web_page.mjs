// Times the page's converter (web/page/korvane.js in headless chromium)
// converting one mesh file, as the page does it: a worker of its own
// started, the file's bytes handed to it, read, merged, shaped and written.
// The file is fetched once, before the timing. Prints the first run's time
// (the core compiled anew in a fresh page) and the median of the others (a
// worker kept warm by the page), in ms.
//
//   KORVANE_NPM=FOLDER node bench/web_page.mjs PAGE_FOLDER MESH RUNS OPTIONS_JSON
import fs from "node:fs";
import http from "node:http";
import {createRequire} from "node:module";
import path from "node:path";

const puppeteer = createRequire(path.join(process.env.KORVANE_NPM, "package.json"))("puppeteer-core");
const [pageFolder, mesh, runs, options] = process.argv.slice(2);
const types = {".html": "text/html", ".js": "text/javascript", ".css": "text/css", ".wasm": "application/wasm"};
const server = http.createServer((request, response) => {
  const url = new URL(request.url, "http://localhost").pathname;
  const file = url === "/mesh" ? mesh : path.join(pageFolder, path.basename(url));
  fs.readFile(file, (error, bytes) => {
    response.writeHead(error ? 404 : 200, {"Content-Type": types[path.extname(file)] || "application/octet-stream"});
    response.end(error ? undefined : bytes);
  });
});
await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
const browser = await puppeteer.launch({executablePath: process.env.CHROMIUM || "/usr/bin/chromium", headless: "new",
                                        args: ["--no-sandbox", "--disable-gpu"]});
try {
  const page = await browser.newPage();
  await page.goto(`http://127.0.0.1:${server.address().port}/index.html`);
  const times = await page.evaluate(async (name, runs, options) => {
    const korvane = await import("./korvane.js");
    const bytes = await (await fetch("/mesh")).arrayBuffer();
    const times = [];
    for (let run = 0; run <= runs; ++run) {
      const started = performance.now();
      const written = await korvane.convert(bytes, name, options);
      times.push(performance.now() - started);
      if (run === 0) console.log(written.ok ? `${written.bytes.length} bytes` : written.message);
    }
    return times;
  }, path.basename(mesh), Number(runs), JSON.parse(options));
  const first = times.shift();
  times.sort((a, b) => a - b);
  console.log(`${first.toFixed(0)} ${times[Math.floor(times.length / 2)].toFixed(0)}`);
} finally {
  await browser.close();
  server.close();
}
