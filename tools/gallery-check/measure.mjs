#!/usr/bin/env node
// What a browser makes of generated galleries (slow; for people, not for every test run):
//   node measure.mjs --out SHOTS_DIR [--page FILE] [--lightbox-selector SEL] [--no-lighthouse]
//                    [--chromium PATH] GALLERY_DIR...
// Each gallery is served from 127.0.0.1 on a random port and opened in Debian's Chromium
// through playwright-core: the start page (index.html), one image page (--page, else the page
// the start page's first thumbnail links to) and, when --lightbox-selector names a thumbnail
// that opens an in-page viewer (default: [data-lightbox], else, on a start page with scripts, a
// thumbnail linking straight to a JPEG), that viewer. Measured: axe-core violations, sideways
// scrolling at 320, 390 and 1440 px, tap targets under 24×24 px, a viewport that blocks zooming,
// images without width/height, images below the first screen without loading="lazy", requests
// and bytes of the start page's first view, the size of the gallery's scripts, whether the start
// page works from file://, and Lighthouse (mobile; performance, accessibility, best practices,
// CLS). Screenshots go to SHOTS_DIR as <gallery>-<page>-<width>.png; all figures to
// SHOTS_DIR/results.json, Lighthouse's own reports to SHOTS_DIR/lighthouse-<gallery>-<page>.json.
import { createServer } from "node:http";
import { mkdirSync, mkdtempSync, readFileSync, rmSync, statSync, writeFileSync } from "node:fs";
import { spawn } from "node:child_process";
import { once } from "node:events";
import { tmpdir } from "node:os";
import { basename, extname, join, relative, resolve, sep } from "node:path";
import { pathToFileURL } from "node:url";
import { parseArgs } from "node:util";
import { gzipSync } from "node:zlib";
import { chromium } from "playwright-core";
import axe from "axe-core";
import { walk, isHtml, isJs } from "./files.mjs";

const CHROMIUM_FLAGS = [
  "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
  "--disable-background-networking", "--disable-component-update", "--disable-sync",
];
const PHONE = { width: 390, height: 844 };
const SMALL_PHONE = { width: 320, height: 700 };
const DESKTOP = { width: 1440, height: 900 };
const MIN_TARGET = 24;
const TYPES = {
  ".html": "text/html; charset=utf-8", ".htm": "text/html; charset=utf-8", ".css": "text/css; charset=utf-8",
  ".js": "text/javascript; charset=utf-8", ".mjs": "text/javascript; charset=utf-8", ".json": "application/json",
  ".jpg": "image/jpeg", ".jpeg": "image/jpeg", ".png": "image/png", ".gif": "image/gif", ".webp": "image/webp",
  ".avif": "image/avif", ".svg": "image/svg+xml", ".ico": "image/x-icon", ".woff2": "font/woff2", ".woff": "font/woff",
  ".txt": "text/plain; charset=utf-8", ".xml": "application/xml",
};

// Chromium keeps crash reports and caches under $HOME even with its own profile folder, and
// leaves the folder of its singleton socket in $TMPDIR when it is ended, so it gets a scratch
// home and temporary folder of its own; the real ones stay untouched.
let scratchHome = null;
function chromiumEnv() {
  if (!scratchHome) {
    scratchHome = mkdtempSync(join(tmpdir(), "gallery-measure-home-"));
    mkdirSync(join(scratchHome, "tmp"));
  }
  return {
    ...process.env, HOME: scratchHome, TMPDIR: join(scratchHome, "tmp"),
    XDG_CONFIG_HOME: join(scratchHome, ".config"), XDG_CACHE_HOME: join(scratchHome, ".cache"),
    XDG_DATA_HOME: join(scratchHome, ".local/share"),
  };
}

// ---------------------------------------------------------------------------------------------
// A static file server for one folder, on 127.0.0.1 and a port the system picks. Text is sent
// gzip-compressed as any web host would, so byte counts and Lighthouse judge the gallery, not
// the server.
async function serve(root) {
  const server = createServer((req, res) => {
    let path;
    try {
      path = decodeURIComponent(new URL(req.url, "http://localhost").pathname);
    } catch {
      res.writeHead(400).end();
      return;
    }
    if (path.endsWith("/")) path += "index.html";
    const file = resolve(root, "." + path);
    if (file !== root && !file.startsWith(root + sep)) {
      res.writeHead(403).end();
      return;
    }
    let st;
    try {
      st = statSync(file);
    } catch {
      st = null;
    }
    if (!st || !st.isFile()) {
      res.writeHead(404, { "Content-Type": "text/plain" }).end("not found");
      return;
    }
    const type = TYPES[extname(file).toLowerCase()] ?? "application/octet-stream";
    let body = readFileSync(file);
    const headers = { "Content-Type": type, "Cache-Control": "no-cache" };
    if (/^(text\/|application\/(json|xml)|image\/svg)/.test(type) && /\bgzip\b/.test(req.headers["accept-encoding"] ?? "")) {
      body = gzipSync(body);
      headers["Content-Encoding"] = "gzip";
      headers["Vary"] = "Accept-Encoding";
    }
    headers["Content-Length"] = body.length;
    res.writeHead(200, headers);
    res.end(req.method === "HEAD" ? undefined : body);
  });
  server.listen(0, "127.0.0.1");
  await once(server, "listening");
  return { url: `http://127.0.0.1:${server.address().port}/`, close: () => new Promise((r) => server.close(r)) };
}

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

// The open in-page viewer, if one is to be seen after a click. Runs in the browser.
function viewerShown() {
  const candidates = document.querySelectorAll('dialog[open], [role="dialog"], [aria-modal="true"]');
  for (const el of candidates) {
    const cs = getComputedStyle(el);
    if (cs.display !== "none" && cs.visibility !== "hidden" && el.getClientRects().length > 0) return true;
  }
  return false;
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
  constructor(executablePath) {
    this.executablePath = executablePath;
  }
  async start() {
    this.browser = await chromium.launch({
      executablePath: this.executablePath, headless: true, args: CHROMIUM_FLAGS, env: chromiumEnv(),
    });
  }
  async stop() {
    await this.browser?.close();
  }
  // A fresh context (no cache, no cookies) at SIZE; phone sizes get touch and the mobile viewport.
  async open(url, size, { mobile = size.width < 800, wait = "networkidle" } = {}) {
    const context = await this.browser.newContext({
      viewport: size, isMobile: mobile, hasTouch: mobile, deviceScaleFactor: 1,
    });
    const page = await context.newPage();
    const log = { requests: 0, bytes: 0, failed: [], errors: [] };
    page.on("requestfinished", async (req) => {
      log.requests++;
      try {
        const s = await req.sizes();
        log.bytes += s.responseBodySize + s.responseHeadersSize;
      } catch { /* file: URLs have no sizes */ }
    });
    page.on("requestfailed", (req) => log.failed.push(`${req.url()} (${req.failure()?.errorText})`));
    page.on("response", (res) => { if (res.status() >= 400) log.failed.push(`${res.url()} (HTTP ${res.status()})`); });
    page.on("console", (msg) => { if (msg.type() === "error") log.errors.push(msg.text()); });
    page.on("pageerror", (err) => log.errors.push(String(err)));
    await page.goto(url, { waitUntil: wait, timeout: 60000 });
    return { page, log, close: () => context.close() };
  }
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
const THUMBNAIL_TO_PICTURE = 'a:has(> img)[href$=".jpg" i], a:has(> img)[href$=".jpeg" i]';

// The image page to measure: the one asked for, else the page the start page's first thumbnail
// links to, else the first page that is not an overview page.
function pickImagePage(root, wanted) {
  const pages = walk(root).filter(isHtml).map((p) => relative(root, p).split(sep).join("/"));
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

const shotName = (page) => page.replace(/\.html?$/i, "").replace(/[^A-Za-z0-9_-]+/g, "_");

async function measureGallery(dir, opts, browser) {
  const root = resolve(dir);
  const name = basename(root);
  const files = walk(root);
  const result = {
    gallery: name, folder: root, pages: {}, viewer: null, firstView: {}, fileUrl: null,
    jsBytes: files.filter(isJs).reduce((n, f) => n + statSync(f).size, 0),
    jsFiles: files.filter(isJs).length,
  };
  const imagePage = pickImagePage(root, opts.page);
  const server = await serve(root);
  try {
    for (const page of ["index.html", imagePage].filter(Boolean)) {
      const url = server.url + page.split("/").map(encodeURIComponent).join("/");
      const r = { page, scroll: {} };
      for (const size of [SMALL_PHONE, PHONE, DESKTOP]) {
        const v = await browser.open(url, size);
        const f = await v.page.evaluate(pageFigures, MIN_TARGET);
        r.scroll[size.width] = f.scrollWidth > f.clientWidth ? f.scrollWidth - f.clientWidth : 0;
        if (size === PHONE) {
          Object.assign(r, {
            tapTargets: f.tapTargets, smallTargets: f.smallTargets, viewport: f.viewport, zoomBlocked: f.zoomBlocked,
            images: f.images, imagesWithoutSize: f.imagesWithoutSize, belowFoldNotLazy: f.belowFoldNotLazy,
          });
          if (page === "index.html") result.firstView[size.width] = { requests: v.log.requests, bytes: v.log.bytes };
        }
        if (size === DESKTOP) {
          if (page === "index.html") result.firstView[size.width] = { requests: v.log.requests, bytes: v.log.bytes };
          r.axe = await runAxe(v.page);
          r.failedRequests = v.log.failed;
          r.consoleErrors = v.log.errors;
        }
        if (size !== SMALL_PHONE) {
          await v.page.screenshot({ path: join(opts.out, `${name}-${shotName(page)}-${size.width}.png`) });
        }
        await v.close();
      }
      result.pages[page === "index.html" ? "index" : "image"] = r;
    }

    // The in-page viewer, opened by clicking the first match of the selector on the start page.
    let selector = opts.lightboxSelector;
    if (!selector) {
      const v = await browser.open(server.url + "index.html", DESKTOP);
      if (await v.page.$("[data-lightbox]")) selector = "[data-lightbox]";
      // A page with scripts whose thumbnails link straight to a picture: a viewer is likely to
      // take over that click.
      else if ((await v.page.$("script[src]")) && (await v.page.$(THUMBNAIL_TO_PICTURE))) selector = THUMBNAIL_TO_PICTURE;
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
        await v.page.waitForLoadState("networkidle").catch(() => {});
        const navigated = v.page.url() !== before && v.page.url().split("#")[0] !== before.split("#")[0];
        const shown = await v.page.evaluate(viewerShown).catch(() => false);
        result.viewer.status = navigated ? `navigated to ${v.page.url()} instead of opening in the page`
          : shown ? "opened" : "no dialog element visible after the click";
        await v.page.screenshot({ path: join(opts.out, `${name}-viewer-${size.width}.png`) });
        if (size === DESKTOP && !navigated) {
          result.viewer.axe = await runAxe(v.page);
          result.viewer.consoleErrors = v.log.errors;
        }
        await v.close();
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
        if (v.page.url() === before && !(await v.page.evaluate(viewerShown).catch(() => false))) {
          problems.push("viewer does not open from file://");
        }
        problems.push(...v.log.errors.filter((e) => !problems.includes(`error: ${e}`)).map((x) => `error after click: ${x}`));
      }
      result.fileUrl = problems;
      await v.close();
    }

    if (opts.lighthouse) {
      for (const [key, r] of Object.entries(result.pages)) {
        const url = server.url + r.page.split("/").map(encodeURIComponent).join("/");
        try {
          const { report, ...figures } = await runLighthouse(opts.chromium, url);
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
  const idx = r.pages.index, img = r.pages.image;
  const both = (fn) => [fn(idx), img ? fn(img) : "-"];
  const scroll = (p) => [320, 390, 1440].map((w) => (p.scroll[w] ? `${w}: +${p.scroll[w]}px` : `${w}: no`)).join(", ");
  const lh = (p, f) => (p.lighthouse ? (p.lighthouse.error ? "error" : f(p.lighthouse)) : "skipped");
  const rows = [
    ["", "index", img ? img.page : "(no image page)"],
    ["axe violations (1440)", ...both((p) => axeText(p.axe))],
    ["sideways scrolling", ...both(scroll)],
    ["tap targets < 24×24 (390)", ...both((p) => `${p.smallTargets.length} of ${p.tapTargets}`)],
    ["viewport blocks zoom", ...both((p) => (p.viewport === null ? "no viewport meta" : p.zoomBlocked ? `yes (${p.viewport})` : "no"))],
    ["<img> without width/height", ...both((p) => `${p.imagesWithoutSize.length} of ${p.images}`)],
    ["below first screen, not lazy (390×844)", ...both((p) => `${p.belowFoldNotLazy.length}`)],
    ["failed requests / console errors", ...both((p) => `${p.failedRequests.length} / ${p.consoleErrors.length}`)],
    ["Lighthouse perf / a11y / best pract.", ...both((p) => lh(p, (l) => `${l.performance} / ${l.accessibility} / ${l.bestPractices}`))],
    ["Lighthouse CLS / LCP / TBT", ...both((p) => lh(p, (l) => `${l.cls?.toFixed(3)} / ${(l.lcpMs / 1000).toFixed(1)} s / ${Math.round(l.tbtMs)} ms`))],
  ];
  const lines = [`Gallery ${r.gallery} (${r.folder})`, table(rows)];
  lines.push(`first view of index: 390×844: ${r.firstView[390].requests} requests, ${kb(r.firstView[390].bytes)}; ` +
    `1440×900: ${r.firstView[1440].requests} requests, ${kb(r.firstView[1440].bytes)}`);
  lines.push(`scripts: ${r.jsFiles} .js file(s), ${kb(r.jsBytes)}`);
  lines.push(`index from file://: ${r.fileUrl.length === 0 ? "ok" : r.fileUrl.join("; ")}`);
  if (r.viewer) {
    lines.push(`viewer (${r.viewer.selector}): ${r.viewer.status}` + (r.viewer.axe ? `; axe: ${axeText(r.viewer.axe)}` : ""));
  } else {
    lines.push("viewer: none (no --lightbox-selector and no [data-lightbox] on the start page)");
  }
  const small = idx.smallTargets.slice(0, 3);
  if (small.length) lines.push(`small tap targets on index, e.g.: ${small.join("; ")}`);
  for (const p of [idx, img].filter(Boolean)) {
    const audits = (p.lighthouse?.failedAudits ?? []).filter((id) => !id.endsWith("-insight"));
    if (audits.length) lines.push(`Lighthouse audits below 90 on ${p.page}: ${audits.join(", ")}`);
    if (p.lighthouse?.consoleErrors?.length) lines.push(`Lighthouse console errors on ${p.page}: ${p.lighthouse.consoleErrors.join("; ")}`);
    if (p.lighthouse?.error) lines.push(`Lighthouse failed on ${p.page}: ${p.lighthouse.error}`);
  }
  return lines.join("\n");
}

// ---------------------------------------------------------------------------------------------
async function main() {
  let parsed;
  try {
    parsed = parseArgs({
      allowPositionals: true,
      options: {
        out: { type: "string" },
        page: { type: "string" },
        "lightbox-selector": { type: "string" },
        "no-lighthouse": { type: "boolean", default: false },
        chromium: { type: "string", default: process.env.CHROME_PATH || "/usr/bin/chromium" },
        help: { type: "boolean", short: "h", default: false },
      },
    });
  } catch (e) {
    console.error(String(e.message));
    return 2;
  }
  const { values: v, positionals } = parsed;
  if (v.help || !v.out || positionals.length === 0) {
    console.error("usage: node measure.mjs --out SHOTS_DIR [--page FILE] [--lightbox-selector SEL] [--no-lighthouse] [--chromium PATH] GALLERY_DIR...");
    return 2;
  }
  try {
    statSync(v.chromium);
  } catch {
    console.error(`measure.mjs: no Chromium at ${v.chromium} (apt-get install chromium)`);
    return 2;
  }
  const opts = { out: resolve(v.out), page: v.page, lightboxSelector: v["lightbox-selector"], lighthouse: !v["no-lighthouse"], chromium: v.chromium };
  mkdirSync(opts.out, { recursive: true });
  const browser = new Browser(v.chromium);
  await browser.start();
  const results = [];
  try {
    for (const dir of positionals) {
      try {
        statSync(join(dir, "index.html"));
      } catch {
        console.error(`measure.mjs: ${dir} has no index.html`);
        results.push({ gallery: basename(resolve(dir)), folder: resolve(dir), error: "no index.html" });
        continue;
      }
      process.stderr.write(`measuring ${dir} ...\n`);
      const r = await measureGallery(dir, opts, browser);
      results.push(r);
      console.log(report(r) + "\n");
    }
  } finally {
    await browser.stop();
    if (scratchHome) rmSync(scratchHome, { recursive: true, force: true });
  }
  writeFileSync(join(opts.out, "results.json"), JSON.stringify(results, null, 2) + "\n");
  console.log(`screenshots and results.json in ${opts.out}`);
  return results.some((r) => r.error) ? 1 : 0;
}

process.exitCode = await main();
