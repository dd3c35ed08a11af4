// The published web page in a real browser (headless Chromium, driven by puppeteer-core):
// axe-core finds no violation at any impact at a desktop and at a phone width, with every
// "Values of" opened too; the phone-width page does not scroll sideways and shows the
// graphs one per row; without scripts it still shows its pictures and values and says to
// reload; with scripts it takes the next round's data in place (open details stay open,
// the scroll position stays, no reload), and "Pause updates" holds it.
//
// node site_page_check.js --deps DIR --chromium PATH --results FILE
//      [--site NAME=FOLDER ...] [--live FOLDER --rerender "COMMAND"] [--shot FILE] [--report-only]
"use strict";
const fs = require("fs");
const http = require("http");
const path = require("path");
const { execSync } = require("child_process");

function options(argv) {
  const o = { sites: [], reportOnly: false };
  for (let i = 2; i < argv.length; i++) {
    const a = argv[i];
    if (a === "--report-only") o.reportOnly = true;
    else if (a === "--site") {
      const [name, folder] = argv[++i].split(/=(.*)/s);
      o.sites.push({ name, folder });
    } else o[a.replace(/^--/, "")] = argv[++i];
  }
  return o;
}

const opt = options(process.argv);
const puppeteer = require(path.join(opt.deps, "node_modules", "puppeteer-core"));
const axeSource = fs.readFileSync(path.join(opt.deps, "node_modules", "axe-core", "axe.min.js"), "utf8");

const DESKTOP = { width: 1920, height: 1080 };
const PHONE = { width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 1 };
const failures = [];
const results = { axe: {}, weights: {}, live: {} };

function fail(what) {
  failures.push(what);
  console.error("FAIL: " + what);
}

// Each site folder under /NAME/, as any static host serves it.
function serve(sites) {
  const types = { ".html": "text/html; charset=utf-8", ".json": "application/json", ".csv": "text/csv", ".png": "image/png" };
  const server = http.createServer((req, res) => {
    const url = new URL(req.url, "http://localhost");
    const parts = decodeURIComponent(url.pathname).split("/").filter(Boolean);
    const site = sites.find((s) => s.name === parts[0]);
    const file = site && parts.length === 2 && !parts[1].startsWith(".") ? path.join(site.folder, parts[1]) : null;
    if (!file || !fs.existsSync(file)) {
      res.writeHead(404).end();
      return;
    }
    const body = fs.readFileSync(file);
    res.writeHead(200, { "Content-Type": types[path.extname(file)] || "application/octet-stream", "Cache-Control": "no-cache" });
    res.end(body);
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

async function axe(page) {
  await page.evaluate(axeSource);
  return page.evaluate(async () => {
    const r = await window.axe.run(document, { resultTypes: ["violations"] });
    return r.violations.map((v) => ({ id: v.id, impact: v.impact, nodes: v.nodes.length, help: v.help, first: v.nodes[0] && v.nodes[0].target.join(" ") }));
  });
}

async function openAllDetails(page) {
  await page.evaluate(() => document.querySelectorAll("details").forEach((d) => (d.open = true)));
}

// Scrolls through the page so that lazy pictures load, then back to the top.
async function scrollThrough(page) {
  await page.evaluate(async () => {
    for (let y = 0; y < document.documentElement.scrollHeight; y += window.innerHeight) {
      window.scrollTo(0, y);
      await new Promise((r) => setTimeout(r, 30));
    }
    window.scrollTo(0, 0);
  });
}

async function checkSite(browser, site, base) {
  const page = await browser.newPage();
  for (const [label, viewport] of [["desktop", DESKTOP], ["phone", PHONE]]) {
    await page.setViewport(viewport);
    await page.goto(base + "/" + site.name + "/index.html", { waitUntil: "load" });
    const closed = await axe(page);
    await openAllDetails(page);
    const opened = await axe(page);
    const key = site.name + " " + label;
    results.axe[key] = { closed, opened };
    for (const v of closed.concat(opened))
      if (!opt.reportOnly) fail(`${key}: axe ${v.impact} ${v.id} (${v.nodes} nodes, e.g. ${v.first}): ${v.help}`);
    const layout = await page.evaluate(() => {
      const visible = (e) => e.getClientRects().length > 0 && getComputedStyle(e).visibility !== "hidden";
      const graphs = [...document.querySelectorAll(".tidemark-graphs img")].filter(visible);
      const wholes = [...document.querySelectorAll(".tidemark-whole")].filter(visible);
      const firstRow = graphs.slice(0, 2).map((i) => i.getBoundingClientRect());
      return {
        scrollWidth: document.documentElement.scrollWidth,
        width: window.innerWidth,
        graphs: graphs.length,
        wholes: wholes.length,
        oneGraphPerRow: firstRow.length < 2 || firstRow[1].top >= firstRow[0].bottom,
        mains: document.querySelectorAll("main").length,
        scripts: document.querySelectorAll("script").length,
        injected: !!document.querySelector('img[src="x"]'),
        namesAsText: document.body.textContent.includes("<script>alert(1)</script> Notes") &&
          document.body.textContent.includes("Harbor'Point<img src=x onerror=alert(2)>"),
      };
    });
    results.axe[key].layout = layout;
    if (opt.reportOnly) continue;
    if (layout.mains !== 1) fail(`${key}: ${layout.mains} <main> elements`);
    if (layout.scripts !== 1 || layout.injected) fail(`${key}: a name became markup`);
    if (site.name === "hostile" && !layout.namesAsText) fail(`${key}: the hostile names are not shown as text`);
    if (label === "phone") {
      if (layout.scrollWidth > layout.width) fail(`${key}: scrolls sideways (${layout.scrollWidth} > ${layout.width})`);
      if (layout.graphs > 0 && layout.wholes > 0) fail(`${key}: shows whole pages beside graph pictures`);
      if (!layout.oneGraphPerRow) fail(`${key}: graphs are not one per row`);
    } else if (layout.graphs > 0 && layout.wholes === 0) fail(`${key}: the wide page shows graph pictures, not the pages`);
  }
  await page.close();
}

// Without scripts: the pictures and values of the moment it was written, and how to get newer.
async function checkWithoutScripts(browser, site, base) {
  const page = await browser.newPage();
  await page.setJavaScriptEnabled(false);
  await page.setViewport(DESKTOP);
  await page.goto(base + "/" + site.name + "/index.html", { waitUntil: "load" });
  const seen = await page.evaluate(() => ({
    note: document.getElementById("tidemark-note") ? document.getElementById("tidemark-note").textContent : "",
    pauseShown: !!document.getElementById("tidemark-pause") && !document.getElementById("tidemark-pause").hidden,
    images: document.querySelectorAll(".tidemark-page img").length,
    rows: document.querySelectorAll(".tidemark-values tbody tr").length,
    refresh: !!document.querySelector('meta[http-equiv="refresh" i]'),
  }));
  results.noScript = seen;
  if (!/reload/i.test(seen.note)) fail("without scripts the page does not say to reload: " + seen.note);
  if (seen.pauseShown) fail("without scripts a pause button shows that does nothing");
  if (seen.images === 0 || seen.rows === 0) fail(`without scripts: ${seen.images} images, ${seen.rows} rows`);
  if (seen.refresh) fail("the page reloads itself (meta refresh)");
  await page.close();
}

// What the page weighs: the HTML (its script among it) and the images one update fetches.
function weigh(folder) {
  const html = fs.readFileSync(path.join(folder, "index.html"), "utf8");
  const script = (html.match(/<script id="tidemark-live">([\s\S]*?)<\/script>/) || ["", ""])[1];
  const style = (html.match(/<style id="tidemark-style">([\s\S]*?)<\/style>/) || ["", ""])[1];
  const size = (f) => fs.statSync(path.join(folder, f)).size;
  const pngs = fs.readdirSync(folder).filter((f) => f.endsWith(".png"));
  const pages = pngs.filter((f) => /^Tidemark_window\d+\.png$/.test(f));
  const graphs = pngs.filter((f) => /^Tidemark_window_\d+_\d+\.png$/.test(f));
  return {
    htmlBytes: Buffer.byteLength(html),
    scriptBytes: Buffer.byteLength(script),
    styleBytes: Buffer.byteLength(style),
    feedJsonBytes: size("Tidemark_values.json"),
    pageImages: pages.length,
    pageImageBytes: pages.reduce((n, f) => n + size(f), 0),
    graphImages: graphs.length,
    graphImageBytes: graphs.reduce((n, f) => n + size(f), 0),
  };
}

async function checkLive(browser, base) {
  const page = await browser.newPage();
  await page.setViewport(DESKTOP);
  // What the page asks for while it is watched (the served files' sizes are what went).
  let requests = null;
  page.on("request", (r) => {
    if (requests) requests.push(decodeURIComponent(new URL(r.url()).pathname.split("/").pop()));
  });
  await page.goto(base + "/live/index.html", { waitUntil: "load" });
  const before = await page.evaluate(() => {
    window.__notReloaded = true;
    document.querySelector("#tidemark-status").setAttribute("data-refresh", "1");
    const details = document.querySelector(".tidemark-values");
    details.open = true;
    window.scrollTo(0, 700);
    return {
      time: document.querySelector("#tidemark-status [data-tidemark-text]").textContent,
      values: document.querySelector(".tidemark-values tbody").textContent,
      y: window.scrollY,
    };
  });
  // Paused: the next round's files arrive and the page stays as it is.
  await page.click("#tidemark-pause");
  if ((await page.$eval("#tidemark-pause", (b) => b.getAttribute("aria-pressed"))) !== "true")
    fail("Pause updates did not say it is pressed");
  requests = [];
  execSync(opt.rerender, { stdio: "inherit", timeout: 40000 });
  await new Promise((r) => setTimeout(r, 2500));
  const paused = await page.evaluate(() => document.querySelector("#tidemark-status [data-tidemark-text]").textContent);
  if (paused !== before.time) fail("the page changed while updates were paused");
  if (requests.length) fail("the page fetched while paused: " + requests.join(", "));
  await page.evaluate(() => window.scrollTo(0, 700));
  requests = [];
  // Resumed: checked at once, and the new data shows in place.
  await page.click("#tidemark-pause");
  try {
    await page.waitForFunction((t) => document.querySelector("#tidemark-status [data-tidemark-text]").textContent !== t, { timeout: 15000 }, before.time);
  } catch (e) {
    fail("the new data did not show without a reload: " + e.message);
  }
  await new Promise((r) => setTimeout(r, 500));
  const fetched = requests;
  requests = null;
  const after = await page.evaluate(async () => {
    const written = new DOMParser().parseFromString(await (await fetch("index.html", { cache: "no-store" })).text(), "text/html");
    return {
      notReloaded: window.__notReloaded === true,
      time: document.querySelector("#tidemark-status [data-tidemark-text]").textContent,
      values: document.querySelector(".tidemark-values tbody").textContent,
      writtenValues: written.querySelector(".tidemark-values tbody").textContent,
      open: document.querySelector(".tidemark-values").open,
      y: window.scrollY,
      busted: [...document.querySelectorAll(".tidemark-page img")].every((i) => /\?v=\d+$/.test(i.getAttribute("src"))),
    };
  });
  const files = fetched.map((name) => ({ name, bytes: fs.statSync(path.join(opt.live, name)).size }));
  results.live = { before, after, fetchedOnUpdate: files, bytesOnUpdate: files.reduce((n, f) => n + f.bytes, 0) };
  if (!after.notReloaded) fail("the page was reloaded");
  if (after.values === before.values) fail("the values did not change (the rerun must give other data)");
  if (after.values !== after.writtenValues) fail("the values shown are not those of the page written");
  if (!after.open) fail("an open Values of closed with the update");
  if (Math.abs(after.y - 700) > 2) fail(`the scroll position moved from 700 to ${after.y}`);
  if (!after.busted) fail("a picture was not fetched anew");
  await page.close();
}

async function phoneShot(browser, base, file) {
  const page = await browser.newPage();
  await page.setViewport(PHONE);
  await page.goto(base + "/" + opt.sites[0].name + "/index.html", { waitUntil: "load" });
  await scrollThrough(page);
  await page.evaluate(() => document.fonts.ready);
  const height = await page.evaluate(() => Math.min(document.documentElement.scrollHeight, 2600));
  await page.screenshot({ path: file, clip: { x: 0, y: 0, width: PHONE.width, height }, captureBeyondViewport: true });
  await page.close();
}

(async () => {
  const sites = opt.sites.slice();
  if (opt.live) sites.push({ name: "live", folder: opt.live });
  const server = await serve(sites);
  const base = "http://127.0.0.1:" + server.address().port;
  const browser = await puppeteer.launch({
    executablePath: opt.chromium,
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--no-first-run", "--hide-scrollbars"],
  });
  try {
    for (const site of opt.sites) {
      await checkSite(browser, site, base);
      results.weights[site.name] = weigh(site.folder);
    }
    if (!opt.reportOnly && opt.sites.length) await checkWithoutScripts(browser, opt.sites[0], base);
    if (opt.shot && opt.sites.length) await phoneShot(browser, base, opt.shot);
    if (opt.live) await checkLive(browser, base);
  } catch (e) {
    fail("the check stopped: " + (e.stack || e));
  } finally {
    await browser.close();
    server.close();
  }
  if (opt.results) fs.writeFileSync(opt.results, JSON.stringify(results, null, 1));
  for (const [key, r] of Object.entries(results.axe))
    console.log(`${key}: ${r.closed.length} violations (${r.closed.map((v) => v.impact + " " + v.id).join(", ")}); details opened: ${r.opened.length}`);
  if (failures.length) {
    console.error(failures.length + " failure(s)");
    process.exit(1);
  }
  console.log("browser check passed");
})();
