#!/usr/bin/env node
// What a browser makes of generated galleries (slow; for people, not for every test run):
//   node measure.mjs --out SHOTS_DIR [--page FILE] [--lightbox-selector SEL] [--no-lighthouse]
//                    [--runs N] [--chromium PATH] [--skin SKINFILE.vsk] GALLERY_DIR...
//                    [--skin SKINFILE.vsk GALLERY_DIR...]...
// Each gallery is served from 127.0.0.1 on a random port and opened in Debian's Chromium
// through playwright-core. Measured are its page types: with --skin, one page of each template
// of the skin that made the galleries after it (the first one reached from the start page by
// following its links); without, the start page (index.html) and one image page (--page, else
// the page the start page's first thumbnail links to). And, when --lightbox-selector names a
// thumbnail that opens an in-page viewer (default: [data-lightbox], else, on a start page with
// scripts, a thumbnail linking straight to a JPEG), that viewer.
// For each: axe-core violations, sideways scrolling at 320, 390 and 1440 px, tap targets under
// 24×24 px, a viewport that blocks zooming, images without width/height, images below the first
// screen without loading="lazy", and Lighthouse (mobile; performance, accessibility, best
// practices, CLS, and what it would save by modern image formats and fitting image sizes).
// The weight of the first view (requests and bytes until the network is quiet, the median of
// --runs fresh loads, default 3) on a phone of 390×844 CSS px at 3 device pixels per px and on a
// screen of 1440×900 at 1; for the viewer, what opening it adds to the start page. The bytes
// of the whole gallery, the size of its scripts, and whether the start page works from file://.
// Screenshots go to SHOTS_DIR as <gallery>-<page>-<width>.png; all figures to
// SHOTS_DIR/results.json, Lighthouse's own reports to SHOTS_DIR/lighthouse-<gallery>-<page>.json.
// After the galleries, one table of all first-view weights and one of the galleries' bytes.
import { mkdirSync, mkdtempSync, readFileSync, rmSync, statSync, writeFileSync } from "node:fs";
import { spawn } from "node:child_process";
import { once } from "node:events";
import { tmpdir } from "node:os";
import { basename, join, relative, resolve, sep } from "node:path";
import { fileURLToPath, pathToFileURL } from "node:url";
import { parseArgs } from "node:util";
import axe from "axe-core";
import { walk, isHtml, isJs, isCss } from "./files.mjs";
import {
  CHROMIUM_FLAGS, DEFAULT_CHROMIUM, VIEWER, chromiumEnv, removeScratchHome, serve, startChromium, viewerSelector, viewerShown,
} from "./browser.mjs";
import { readSkin, templateOf } from "./skin.mjs";

const PHONE = { width: 390, height: 844 };
// The phone whose first view is weighed: as sharp as today's phones draw.
const PHONE_SCALE = 3;
const SMALL_PHONE = { width: 320, height: 700 };
const DESKTOP = { width: 1440, height: 900 };
const MIN_TARGET = 24;

// ---------------------------------------------------------------------------------------------
// Figures taken inside the page. Runs in the browser.
function pageFigures(minTarget) {
  const se = document.scrollingElement || document.documentElement;
  const visible = (el) => {
    const cs = getComputedStyle(el);
    return cs.visibility !== "hidden" && cs.display !== "none" && el.getClientRects().length > 0;
  };
  // The area a tap hits: the element's box together with the boxes of what it contains (a link
  // around a thumbnail is as big as the thumbnail, though its own inline box is one line high).
  const area = (el) => {
    let l = Infinity, t = Infinity, r = -Infinity, b = -Infinity;
    for (const e of [el, ...el.querySelectorAll("*")]) {
      const rect = e.getBoundingClientRect();
      if (rect.width === 0 && rect.height === 0) continue;
      l = Math.min(l, rect.left); t = Math.min(t, rect.top); r = Math.max(r, rect.right); b = Math.max(b, rect.bottom);
    }
    return r < l ? { w: 0, h: 0 } : { w: r - l, h: b - t };
  };
  const describe = (el) => {
    const text = (el.textContent || el.getAttribute("aria-label") || el.querySelector("img")?.alt || "").trim().replace(/\s+/g, " ");
    return `<${el.tagName.toLowerCase()}> "${text.slice(0, 30)}"`;
  };
  const targets = [...document.querySelectorAll(
    'a[href], button, input:not([type="hidden"]), select, textarea, summary, [role="button"], [role="link"], [tabindex]:not([tabindex="-1"])')]
    .filter(visible);
  const small = [];
  for (const el of targets) {
    const a = area(el);
    if (a.w > 0 && (a.w < minTarget || a.h < minTarget)) small.push(`${describe(el)} ${Math.round(a.w)}×${Math.round(a.h)}`);
  }
  const viewport = document.querySelector('meta[name="viewport"]')?.getAttribute("content") ?? null;
  let zoomBlocked = null;
  if (viewport !== null) {
    const props = Object.fromEntries(viewport.split(/[,;]/).map((p) => p.split("=").map((s) => s.trim().toLowerCase())));
    const max = parseFloat(props["maximum-scale"]);
    zoomBlocked = props["user-scalable"] === "no" || props["user-scalable"] === "0" || (Number.isFinite(max) && max < 2);
  }
  const imgs = [...document.images];
  const pageTop = window.scrollY;
  return {
    scrollWidth: se.scrollWidth,
    clientWidth: se.clientWidth,
    tapTargets: targets.length,
    smallTargets: small,
    viewport,
    zoomBlocked,
    images: imgs.length,
    imagesWithoutSize: imgs.filter((i) => !i.hasAttribute("width") || !i.hasAttribute("height")).map((i) => i.getAttribute("src")),
    belowFoldNotLazy: imgs
      .filter((i) => i.getBoundingClientRect().top + pageTop >= window.innerHeight && (i.getAttribute("loading") || "").toLowerCase() !== "lazy")
      .map((i) => i.getAttribute("src")),
    brokenImages: imgs
      .filter((i) => (i.getAttribute("src") || i.getAttribute("srcset")) && i.getAttribute("loading") !== "lazy")
      .filter((i) => i.complete && i.naturalWidth === 0)
      .map((i) => i.getAttribute("src")),
    unloadedStyles: [...document.querySelectorAll('link[rel~="stylesheet"]')].filter((l) => !l.sheet).map((l) => l.getAttribute("href")),
  };
}

async function runAxe(page) {
  await page.addScriptTag({ content: axe.source });
  const result = await page.evaluate(async () => {
    const r = await window.axe.run(document, { resultTypes: ["violations"] });
    return r.violations.map((v) => ({ id: v.id, impact: v.impact, nodes: v.nodes.length, help: v.help }));
  });
  return result;
}

// ---------------------------------------------------------------------------------------------
class Browser {
  constructor(browser) {
    this.browser = browser;
  }
  async stop() {
    await this.browser?.close();
  }
  // A fresh context (no cache, no cookies) at SIZE and SCALE device pixels per CSS pixel; phone
  // sizes get touch and the mobile viewport. The log counts the requests that finished and
  // their bytes as they came over the wire (headers and body, compressed as sent);
  // `log.settled()` gives them once the network has been quiet for half a second.
  async open(url, size, { mobile = size.width < 800, wait = "networkidle", scale = 1 } = {}) {
    const context = await this.browser.newContext({
      viewport: size, isMobile: mobile, hasTouch: mobile, deviceScaleFactor: scale,
    });
    const page = await context.newPage();
    const log = new RequestLog(page);
    await page.goto(url, { waitUntil: wait, timeout: 60000 });
    return { page, log, close: () => context.close() };
  }
}

class RequestLog {
  constructor(page) {
    this.requests = 0;
    this.failed = [];
    this.errors = [];
    this.sizes = [];
    this.open = 0;
    this.last = Date.now();
    const moved = () => { this.last = Date.now(); };
    page.on("request", () => { this.open++; moved(); });
    page.on("requestfinished", (req) => {
      this.open--;
      this.requests++;
      moved();
      // file: URLs have no sizes
      this.sizes.push(req.sizes().then((s) => s.responseBodySize + s.responseHeadersSize, () => 0));
    });
    page.on("requestfailed", (req) => {
      this.open--;
      moved();
      this.failed.push(`${req.url()} (${req.failure()?.errorText})`);
    });
    page.on("response", (res) => { if (res.status() >= 400) this.failed.push(`${res.url()} (HTTP ${res.status()})`); });
    page.on("console", (msg) => { if (msg.type() === "error") this.errors.push(msg.text()); });
    page.on("pageerror", (err) => this.errors.push(String(err)));
  }
  // { requests, bytes } once no request has been open or begun for QUIET ms (at most TIMEOUT ms).
  async settled(quiet = 500, timeout = 20000) {
    const end = Date.now() + timeout;
    while (Date.now() < end && (this.open > 0 || Date.now() - this.last < quiet)) {
      await new Promise((r) => setTimeout(r, 50));
    }
    const sizes = await Promise.all(this.sizes);
    return { requests: this.requests, bytes: sizes.reduce((a, b) => a + b, 0) };
  }
}

const median = (values) => {
  const v = [...values].sort((a, b) => a - b);
  return v.length % 2 ? v[(v.length - 1) / 2] : (v[v.length / 2 - 1] + v[v.length / 2]) / 2;
};

// How sharp the pictures of the first view are drawn (those inside WITHIN, a selector, when
// given): for each, the share of the screen's pixels it covers that its file has, 1 or more
// when it is sharp (a picture cut to fill its box counts by the part that is shown). Runs in
// the browser.
async function pictureSharpness([scale, within]) {
  const root = within ? [...document.querySelectorAll(within)].find((e) => e.getClientRects().length > 0) : document;
  const found = [];
  for (const img of root ? root.querySelectorAll("img") : []) {
    const r = img.getBoundingClientRect();
    if (!img.currentSrc || r.width === 0 || r.bottom <= 0 || r.top >= innerHeight || r.right <= 0 || r.left >= innerWidth) continue;
    // The file's own size: naturalWidth is divided by the density srcset gives it.
    const probe = new Image();
    probe.src = img.currentSrc;
    try { await probe.decode(); } catch { continue; }
    const [fw, fh] = [probe.naturalWidth, probe.naturalHeight];
    let [dw, dh] = [r.width, r.height];
    const fit = getComputedStyle(img).objectFit;
    if (fit === "cover") { if (dw / dh > fw / fh) dh = dw * fh / fw; else dw = dh * fw / fh; }
    else if (fit === "contain" || fit === "scale-down") { if (dw / dh > fw / fh) dw = dh * fw / fh; else dh = dw * fh / fw; }
    const linear = Math.min(fw / (dw * scale), fh / (dh * scale));
    found.push({ file: decodeURIComponent(img.currentSrc.replace(/^.*\//, "")), pixels: Math.round(linear * linear * 100) / 100 });
  }
  return found;
}

// A picture with less than this share of the pixels it covers looks soft.
const SOFT = 0.7;

// The first view of URL on the phone (3×) and on the wide screen (1×): requests and bytes, the
// median of RUNS fresh loads each, and how sharp its pictures are (from the first load). With
// OPEN (a function of the page), what it adds once the page has settled, for a viewer opened on
// the page, whose pictures are those inside WITHIN.
async function weigh(browser, url, runs, open = null, within = null) {
  const weights = {};
  for (const [size, scale] of [[PHONE, PHONE_SCALE], [DESKTOP, 1]]) {
    const samples = [];
    let pictures = [];
    for (let i = 0; i < runs; i++) {
      const v = await browser.open(url, size, { scale });
      try {
        const before = await v.log.settled();
        if (open) {
          await open(v.page);
          const after = await v.log.settled();
          samples.push({ requests: after.requests - before.requests, bytes: after.bytes - before.bytes });
        } else {
          samples.push(before);
        }
        if (i === 0) pictures = await v.page.evaluate(pictureSharpness, [scale, within]);
      } finally {
        await v.close();
      }
    }
    weights[size.width] = {
      scale, requests: median(samples.map((s) => s.requests)), bytes: median(samples.map((s) => s.bytes)), runs: samples,
      pictures,
    };
  }
  return weights;
}

// Starts Chromium for Lighthouse with its own fresh profile and runs it on URL.
async function runLighthouse(executablePath, url) {
  const { default: lighthouse } = await import("lighthouse");
  const profile = mkdtempSync(join(tmpdir(), "gallery-measure-lh-"));
  const chrome = spawn(executablePath, ["--headless", ...CHROMIUM_FLAGS, `--user-data-dir=${profile}`,
    "--remote-debugging-port=0", "--remote-debugging-address=127.0.0.1", "about:blank"],
  // A process group of its own, so its helper processes end with it.
  { stdio: ["ignore", "ignore", "pipe"], env: chromiumEnv(), detached: true });
  try {
    const port = await new Promise((res, rej) => {
      let seen = "";
      const timer = setTimeout(() => rej(new Error("Chromium did not open its debugging port")), 30000);
      chrome.stderr.on("data", (d) => {
        seen += d;
        const m = /DevTools listening on ws:\/\/[^/]*:(\d+)\//.exec(seen);
        if (m) { clearTimeout(timer); res(Number(m[1])); }
      });
      chrome.on("exit", (code) => { clearTimeout(timer); rej(new Error(`Chromium ended (${code}): ${seen.slice(-300)}`)); });
    });
    const result = await lighthouse(url, {
      port, output: "json", logLevel: "error",
      onlyCategories: ["performance", "accessibility", "best-practices"],
    });
    const lhr = result.lhr;
    const score = (c) => (lhr.categories[c]?.score == null ? null : Math.round(lhr.categories[c].score * 100));
    const num = (a) => lhr.audits[a]?.numericValue ?? null;
    return {
      report: lhr,
      performance: score("performance"),
      accessibility: score("accessibility"),
      bestPractices: score("best-practices"),
      cls: num("cumulative-layout-shift"),
      lcpMs: num("largest-contentful-paint"),
      tbtMs: num("total-blocking-time"),
      failedAudits: Object.values(lhr.audits)
        .filter((a) => a.score !== null && a.score < 0.9 && a.scoreDisplayMode !== "informative" && a.scoreDisplayMode !== "manual" && a.scoreDisplayMode !== "notApplicable")
        .map((a) => a.id),
      consoleErrors: (lhr.audits["errors-in-console"]?.details?.items ?? []).map((i) => `${i.description} ${i.sourceLocation?.url ?? ""}`.trim()),
      runtimeError: lhr.runtimeError?.message ?? null,
      // what Lighthouse estimates the page's pictures would save in a modern format, and at the
      // size they are shown at (bytes)
      savings: Object.fromEntries([["modernFormats", "modern-image-formats"], ["imageSizes", "uses-responsive-images"]]
        .map(([key, id]) => [key, lhr.audits[id]?.details?.overallSavingsBytes ?? 0])),
    };
  } finally {
    if (chrome.exitCode === null) {
      const ended = once(chrome, "exit");
      try { process.kill(-chrome.pid, "SIGTERM"); } catch { chrome.kill("SIGTERM"); }
      await ended;
    }
    // Chromium's helpers may still be writing to the profile for a moment after it ended.
    rmSync(profile, { recursive: true, force: true, maxRetries: 20, retryDelay: 250 });
  }
}

// ---------------------------------------------------------------------------------------------
// The pages of ROOT as gallery paths ("a/b.html").
const galleryPages = (root) => walk(root).filter(isHtml).map((p) => relative(root, p).split(sep).join("/"));

// The gallery pages that <a href> links of page PAGE lead to, in document order.
function linkedPages(root, page, pages) {
  let html = "";
  try { html = readFileSync(join(root, page), "utf8"); } catch { return []; }
  const found = [];
  for (const m of html.replace(/<!--[\s\S]*?-->/g, "").matchAll(/<a\b[^>]*?\bhref="([^"]*)"/gi)) {
    const target = pageOfLink(root, page, m[1]);
    if (target && pages.has(target) && !found.includes(target)) found.push(target);
  }
  return found;
}

// The gallery path a link HREF of page PAGE leads to, or null when it leaves the gallery.
function pageOfLink(root, page, href) {
  try {
    const url = new URL(href.replace(/&amp;/g, "&"), pathToFileURL(join(root, page)));
    if (url.protocol !== "file:") return null;
    const rel = relative(root, fileURLToPath(url));
    return rel.startsWith("..") ? null : rel.split(sep).join("/");
  } catch {
    return null;
  }
}

// The image page to measure without the skin: the one asked for, else the page the start
// page's first thumbnail links to, else the first page that is not an overview page.
function pickImagePage(root, wanted) {
  const pages = galleryPages(root);
  if (wanted) {
    if (!pages.includes(wanted)) throw new Error(`${wanted} is not a page of ${root}`);
    return wanted;
  }
  let start = "";
  try { start = readFileSync(join(root, "index.html"), "utf8"); } catch { /* no start page */ }
  for (const m of start.matchAll(/<a\b[^>]*\bhref="([^"#?:]+\.html?)"[^>]*>\s*<img\b/gi)) {
    const target = decodeURIComponent(m[1]);
    if (pages.includes(target) && !/^index\d*\.html?$/i.test(target)) return target;
  }
  return pages.find((p) => !/^index\d*\.html?$/i.test(basename(p)) && p !== "index.html")
    ?? pages.find((p) => p !== "index.html") ?? null;
}

// The page types to measure, as [{ type, page }]: with the skin, one page per template (the
// start page for its own template, else the first page of the template met on the way through
// the gallery's links from the start page); without it, the start page and an image page.
function pageTypes(root, skin, wantedImagePage) {
  if (!skin) {
    const image = pickImagePage(root, wantedImagePage);
    return [{ type: "index", page: "index.html" }, ...(image ? [{ type: "image", page: image }] : [])];
  }
  const pages = galleryPages(root);
  const all = new Set(pages);
  const first = new Map(); // template name -> page
  const seen = new Set(["index.html"]);
  const queue = ["index.html"];
  while (queue.length && first.size < skin.templates.length) {
    const page = queue.shift();
    const t = templateOf(skin, page);
    if (t && !first.has(t.name)) first.set(t.name, page);
    for (const next of linkedPages(root, page, all)) {
      if (!seen.has(next)) { seen.add(next); queue.push(next); }
    }
  }
  for (const page of pages) {
    const t = templateOf(skin, page);
    if (t && !first.has(t.name)) first.set(t.name, page);
  }
  return skin.templates.filter((t) => first.has(t.name)).map((t) => ({ type: t.name, page: first.get(t.name) }));
}

// The bytes of the gallery's files: all of them, its pages, style sheets and scripts, the
// pictures it shows, and the originals offered for download (<a download>).
function galleryBytes(root, files) {
  const originals = new Set();
  for (const page of files.filter(isHtml)) {
    const html = readFileSync(page, "utf8");
    for (const m of html.matchAll(/<a\b(?=[^>]*\bdownload\b)[^>]*?\bhref="([^"]*)"/gi)) {
      const target = pageOfLink(root, relative(root, page), m[1]);
      if (target) originals.add(join(root, target));
    }
  }
  const bytes = { files: files.length, total: 0, pages: 0, styleAndScript: 0, pictures: 0, originals: 0, other: 0 };
  for (const f of files) {
    const n = statSync(f).size;
    bytes.total += n;
    if (originals.has(f)) bytes.originals += n;
    else if (isHtml(f)) bytes.pages += n;
    else if (isCss(f) || isJs(f)) bytes.styleAndScript += n;
    else if (/\.(jpe?g|png|gif|webp|avif|jxl)$/i.test(f)) bytes.pictures += n;
    else bytes.other += n;
  }
  return bytes;
}

const shotName = (page) => page.replace(/\.html?$/i, "").replace(/[^A-Za-z0-9_-]+/g, "_");
const pageUrl = (server, page) => server.url + page.split("/").map(encodeURIComponent).join("/");

async function measureGallery(dir, opts, browser, skin) {
  const root = resolve(dir);
  const name = basename(root);
  const files = walk(root);
  const result = {
    gallery: name, folder: root, skin: skin ? basename(skin.dir) : null, pages: {}, viewer: null, fileUrl: null,
    jsBytes: files.filter(isJs).reduce((n, f) => n + statSync(f).size, 0),
    jsFiles: files.filter(isJs).length,
    bytes: galleryBytes(root, files),
  };
  const server = await serve(root);
  try {
    for (const { type, page } of pageTypes(root, skin, opts.page)) {
      const url = pageUrl(server, page);
      const r = { type, page, scroll: {} };
      for (const size of [SMALL_PHONE, PHONE, DESKTOP]) {
        const v = await browser.open(url, size);
        const f = await v.page.evaluate(pageFigures, MIN_TARGET);
        r.scroll[size.width] = f.scrollWidth > f.clientWidth ? f.scrollWidth - f.clientWidth : 0;
        if (size === PHONE) {
          Object.assign(r, {
            tapTargets: f.tapTargets, smallTargets: f.smallTargets, viewport: f.viewport, zoomBlocked: f.zoomBlocked,
            images: f.images, imagesWithoutSize: f.imagesWithoutSize, belowFoldNotLazy: f.belowFoldNotLazy,
          });
        }
        if (size === DESKTOP) {
          r.axe = await runAxe(v.page);
          r.failedRequests = v.log.failed;
          r.consoleErrors = v.log.errors;
          r.smallTargetsWide = f.smallTargets;
        }
        if (size !== SMALL_PHONE) {
          await v.page.screenshot({ path: join(opts.out, `${name}-${shotName(page)}-${size.width}.png`) });
        }
        await v.close();
      }
      r.firstView = await weigh(browser, url, opts.runs);
      result.pages[type] = r;
    }

    // The in-page viewer, opened by clicking the first match of the selector on the start page.
    let selector = opts.lightboxSelector;
    if (!selector) {
      const v = await browser.open(server.url + "index.html", DESKTOP);
      selector = await viewerSelector(v.page);
      await v.close();
    }
    if (selector) {
      result.viewer = { selector };
      for (const size of [PHONE, DESKTOP]) {
        const v = await browser.open(server.url + "index.html", size);
        const target = v.page.locator(selector).first();
        if ((await target.count()) === 0) {
          result.viewer.status = "selector matches nothing";
          await v.close();
          break;
        }
        const before = v.page.url();
        await target.click();
        await v.page.waitForTimeout(800);
        await v.log.settled();
        const navigated = v.page.url() !== before && v.page.url().split("#")[0] !== before.split("#")[0];
        const shown = await v.page.evaluate(viewerShown, VIEWER).catch(() => false);
        result.viewer.status = navigated ? `navigated to ${v.page.url()} instead of opening in the page`
          : shown ? "opened" : "no dialog element visible after the click";
        await v.page.screenshot({ path: join(opts.out, `${name}-viewer-${size.width}.png`) });
        if (size === DESKTOP && !navigated) {
          result.viewer.axe = await runAxe(v.page);
          result.viewer.consoleErrors = v.log.errors;
        }
        await v.close();
      }
      if (result.viewer.status === "opened") {
        result.viewer.firstView = await weigh(browser, server.url + "index.html", opts.runs,
          (page) => page.locator(selector).first().click(), VIEWER);
      }
    }

    // The start page straight from disk: everything must load without a server.
    {
      const v = await browser.open(pathToFileURL(join(root, "index.html")).href, DESKTOP, { wait: "load" });
      const f = await v.page.evaluate(pageFigures, MIN_TARGET);
      const problems = [
        ...v.log.failed.map((x) => `failed: ${x}`),
        ...v.log.errors.map((x) => `error: ${x}`),
        ...f.brokenImages.map((x) => `image not shown: ${x}`),
        ...f.unloadedStyles.map((x) => `style sheet not loaded: ${x}`),
      ];
      if (selector && (await v.page.locator(selector).count()) > 0) {
        const before = v.page.url();
        await v.page.locator(selector).first().click();
        await v.page.waitForTimeout(800);
        if (v.page.url() === before && !(await v.page.evaluate(viewerShown, VIEWER).catch(() => false))) {
          problems.push("viewer does not open from file://");
        }
        problems.push(...v.log.errors.filter((e) => !problems.includes(`error: ${e}`)).map((x) => `error after click: ${x}`));
      }
      result.fileUrl = problems;
      await v.close();
    }

    if (opts.lighthouse) {
      for (const [key, r] of Object.entries(result.pages)) {
        try {
          const { report, ...figures } = await runLighthouse(opts.chromium, pageUrl(server, r.page));
          writeFileSync(join(opts.out, `lighthouse-${name}-${shotName(r.page)}.json`), JSON.stringify(report));
          r.lighthouse = figures;
        } catch (e) {
          r.lighthouse = { error: String(e.message ?? e) };
        }
        process.stderr.write(`  lighthouse ${name} ${key} done\n`);
      }
    }
  } finally {
    await server.close();
  }
  return result;
}

// ---------------------------------------------------------------------------------------------
const kib = (n) => (n / 1024).toFixed(1);
const kb = (n) => (n < 1024 ? `${n} B` : n < 1024 * 1024 ? `${(n / 1024).toFixed(1)} KiB` : `${(n / 1024 / 1024).toFixed(2)} MiB`);

function axeText(list) {
  if (!list) return "-";
  if (list.length === 0) return "0";
  const nodes = list.reduce((n, v) => n + v.nodes, 0);
  return `${list.length} (${nodes} nodes): ` + list.map((v) => `${v.id}/${v.impact}×${v.nodes}`).join(", ");
}

function table(rows) {
  const widths = [];
  for (const row of rows) row.forEach((c, i) => { widths[i] = Math.max(widths[i] ?? 0, String(c).length); });
  return rows.map((row) => row.map((c, i) => (i === row.length - 1 ? String(c) : String(c).padEnd(widths[i]))).join("  ")).join("\n");
}

function report(r) {
  const pages = Object.values(r.pages);
  const each = (fn) => pages.map(fn);
  const scroll = (p) => [320, 390, 1440].map((w) => (p.scroll[w] ? `${w}: +${p.scroll[w]}px` : `${w}: no`)).join(", ");
  const lh = (p, f) => (p.lighthouse ? (p.lighthouse.error ? "error" : f(p.lighthouse)) : "skipped");
  const weight = (w) => (w ? `${w.requests} req, ${kib(w.bytes)} KiB` : "-");
  const soft = (w) => `${w.pictures.filter((x) => x.pixels < SOFT).length} of ${w.pictures.length}`;
  const rows = [
    ["", ...each((p) => `${p.type}: ${p.page}`)],
    ["axe violations (1440)", ...each((p) => axeText(p.axe))],
    ["sideways scrolling", ...each(scroll)],
    ["tap targets < 24×24 (390 / 1440)", ...each((p) => `${p.smallTargets.length} / ${p.smallTargetsWide.length} of ${p.tapTargets}`)],
    ["viewport blocks zoom", ...each((p) => (p.viewport === null ? "no viewport meta" : p.zoomBlocked ? `yes (${p.viewport})` : "no"))],
    ["<img> without width/height", ...each((p) => `${p.imagesWithoutSize.length} of ${p.images}`)],
    ["below first screen, not lazy (390×844)", ...each((p) => `${p.belowFoldNotLazy.length}`)],
    ["failed requests / console errors", ...each((p) => `${p.failedRequests.length} / ${p.consoleErrors.length}`)],
    [`first view 390×844 @${PHONE_SCALE}×`, ...each((p) => weight(p.firstView[PHONE.width]))],
    ["first view 1440×900 @1×", ...each((p) => weight(p.firstView[DESKTOP.width]))],
    [`soft pictures in view 390 @${PHONE_SCALE}× / 1440`, ...each((p) => `${soft(p.firstView[PHONE.width])} / ${soft(p.firstView[DESKTOP.width])}`)],
    ["Lighthouse perf / a11y / best pract.", ...each((p) => lh(p, (l) => `${l.performance} / ${l.accessibility} / ${l.bestPractices}`))],
    ["Lighthouse CLS / LCP / TBT", ...each((p) => lh(p, (l) => `${l.cls?.toFixed(3)} / ${(l.lcpMs / 1000).toFixed(1)} s / ${Math.round(l.tbtMs)} ms`))],
    ["Lighthouse savings: formats / sizes", ...each((p) => lh(p, (l) => `${kib(l.savings.modernFormats)} / ${kib(l.savings.imageSizes)} KiB`))],
  ];
  const lines = [`Gallery ${r.gallery} (${r.folder})`, table(rows)];
  lines.push(`scripts: ${r.jsFiles} .js file(s), ${kb(r.jsBytes)}`);
  lines.push(`index from file://: ${r.fileUrl.length === 0 ? "ok" : r.fileUrl.join("; ")}`);
  if (r.viewer) {
    lines.push(`viewer (${r.viewer.selector}): ${r.viewer.status}` + (r.viewer.axe ? `; axe: ${axeText(r.viewer.axe)}` : ""));
    if (r.viewer.firstView) {
      lines.push(`viewer adds to the start page: 390×844 @${PHONE_SCALE}×: ${weight(r.viewer.firstView[PHONE.width])}; ` +
        `1440×900 @1×: ${weight(r.viewer.firstView[DESKTOP.width])}; soft pictures: ${soft(r.viewer.firstView[PHONE.width])} / ` +
        `${soft(r.viewer.firstView[DESKTOP.width])}`);
    }
  } else {
    lines.push("viewer: none (no --lightbox-selector and no [data-lightbox] on the start page)");
  }
  for (const [what, fv] of [...pages.map((p) => [p.page, p.firstView]), ...(r.viewer?.firstView ? [["the viewer", r.viewer.firstView]] : [])]) {
    for (const width of [PHONE.width, DESKTOP.width]) {
      const least = [...fv[width].pictures].sort((a, b) => a.pixels - b.pixels)[0];
      if (least && least.pixels < SOFT) lines.push(`least sharp picture on ${what} at ${width}: ${least.file}, ${least.pixels} of the pixels it covers`);
    }
  }
  for (const p of pages) {
    const small = [...new Set([...p.smallTargets, ...p.smallTargetsWide])].slice(0, 3);
    if (small.length) lines.push(`small tap targets on ${p.page}, e.g.: ${small.join("; ")}`);
    const audits = (p.lighthouse?.failedAudits ?? []).filter((id) => !id.endsWith("-insight"));
    if (audits.length) lines.push(`Lighthouse audits below 90 on ${p.page}: ${audits.join(", ")}`);
    if (p.lighthouse?.consoleErrors?.length) lines.push(`Lighthouse console errors on ${p.page}: ${p.lighthouse.consoleErrors.join("; ")}`);
    if (p.lighthouse?.error) lines.push(`Lighthouse failed on ${p.page}: ${p.lighthouse.error}`);
  }
  return lines.join("\n");
}

// The first-view weights of all galleries, a row per page type (and viewer), and the bytes of
// each gallery: the figures to compare before and after a change.
function summary(results, runs) {
  const measured = results.filter((r) => !r.error);
  const w = (fv, width) => (fv?.[width] ? [fv[width].requests, kib(fv[width].bytes)] : ["-", "-"]);
  const rows = [["gallery", "page", `390 @${PHONE_SCALE}× req`, "KiB", "1440 @1× req", "KiB"]];
  for (const r of measured) {
    for (const p of Object.values(r.pages)) rows.push([r.gallery, `${p.type} (${p.page})`, ...w(p.firstView, 390), ...w(p.firstView, 1440)]);
    if (r.viewer?.firstView) rows.push([r.gallery, "viewer (added to the start page)", ...w(r.viewer.firstView, 390), ...w(r.viewer.firstView, 1440)]);
  }
  const bytes = [["gallery", "files", "total KiB", "pages", "css+js", "pictures", "originals", "other"]];
  for (const r of measured) {
    const b = r.bytes;
    bytes.push([r.gallery, b.files, kib(b.total), kib(b.pages), kib(b.styleAndScript), kib(b.pictures), kib(b.originals), kib(b.other)]);
  }
  return [`First view: requests and KiB over the wire, the median of ${runs} fresh loads each`,
    table(rows), "", "Bytes of each gallery (KiB)", table(bytes)].join("\n");
}

// ---------------------------------------------------------------------------------------------
async function main() {
  const usage = "usage: node measure.mjs --out SHOTS_DIR [--page FILE] [--lightbox-selector SEL] [--no-lighthouse] " +
    "[--runs N] [--chromium PATH] [--skin SKINFILE.vsk] GALLERY_DIR... [--skin SKINFILE.vsk GALLERY_DIR...]...";
  let parsed;
  try {
    parsed = parseArgs({
      allowPositionals: true,
      tokens: true,
      options: {
        out: { type: "string" },
        page: { type: "string" },
        "lightbox-selector": { type: "string" },
        "no-lighthouse": { type: "boolean", default: false },
        runs: { type: "string", default: "3" },
        skin: { type: "string", multiple: true },
        chromium: { type: "string", default: DEFAULT_CHROMIUM },
        help: { type: "boolean", short: "h", default: false },
      },
    });
  } catch (e) {
    console.error(String(e.message));
    return 2;
  }
  const { values: v, tokens } = parsed;
  // Each gallery with the skin named before it (or none).
  const galleries = [];
  let skin = null;
  for (const t of tokens) {
    if (t.kind === "positional") {
      galleries.push({ dir: t.value, skin });
    } else if (t.kind === "option" && t.name === "skin") {
      try {
        skin = readSkin(t.value);
      } catch (e) {
        console.error(`measure.mjs: cannot read the skin ${t.value}: ${e.message}`);
        return 2;
      }
    }
  }
  const runs = Number(v.runs);
  if (v.help || !v.out || galleries.length === 0 || !(Number.isInteger(runs) && runs >= 1)) {
    console.error(usage);
    return 2;
  }
  const started = await startChromium(v.chromium, "measure.mjs");
  if (!started) return 2;
  const opts = {
    out: resolve(v.out), page: v.page, lightboxSelector: v["lightbox-selector"], lighthouse: !v["no-lighthouse"],
    chromium: v.chromium, runs,
  };
  mkdirSync(opts.out, { recursive: true });
  const browser = new Browser(started);
  const results = [];
  try {
    for (const { dir, skin } of galleries) {
      try {
        statSync(join(dir, "index.html"));
      } catch {
        console.error(`measure.mjs: ${dir} has no index.html`);
        results.push({ gallery: basename(resolve(dir)), folder: resolve(dir), error: "no index.html" });
        continue;
      }
      process.stderr.write(`measuring ${dir} ...\n`);
      const r = await measureGallery(dir, opts, browser, skin);
      results.push(r);
      console.log(report(r) + "\n");
    }
  } finally {
    await browser.stop();
    removeScratchHome();
  }
  writeFileSync(join(opts.out, "results.json"), JSON.stringify(results, null, 2) + "\n");
  console.log(summary(results, runs) + "\n");
  console.log(`screenshots and results.json in ${opts.out}`);
  return results.some((r) => r.error) ? 1 : 0;
}

process.exitCode = await main();
