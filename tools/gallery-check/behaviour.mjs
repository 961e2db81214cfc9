#!/usr/bin/env node
// How a gallery answers keys and touches, in Chromium (some seconds per gallery):
//   node behaviour.mjs [--chromium PATH] GALLERY_DIR...
// The start page's in-page viewer, when it has one (found as browser.mjs finds it), on a phone
// (touch, 390×844 at 3 device pixels per px) after another page, so "back" has somewhere to go:
// a tap opens it with the first picture; a swipe to the left shows the second and one to the
// right the first again, while the page stays where it is (a swipe must never become the
// browser's gesture for going back a page); each picture is one of the copies its link offers
// (href, data-srcset) and, where it offers several, the smallest that is sharp on the screen.
// On a wide screen the arrow keys move it and Escape closes it, and without JavaScript the link
// opens the picture itself.
// The first page met on the way through the links from the start page that links to a page
// before it and one after it (rel="prev", rel="next"): on the phone a swipe to the left
// follows rel="next" and one to the right rel="prev" (not "back"); on a wide screen the arrow
// keys follow them and Escape the link marked data-taste="Escape", if there is one.
// Prints one line per problem ("GALLERY: what") and exits with 0 when there is none, 1 when there
// are problems, 2 for a usage error or a missing Chromium.
import { readFileSync, statSync } from "node:fs";
import { basename, join, relative, resolve, sep } from "node:path";
import { parseArgs } from "node:util";
import { walk, isHtml } from "./files.mjs";
import { DEFAULT_CHROMIUM, VIEWER, removeScratchHome, serve, startChromium, viewerSelector } from "./browser.mjs";

const PHONE = { viewport: { width: 390, height: 844 }, isMobile: true, hasTouch: true, deviceScaleFactor: 3 };
const DESKTOP = { viewport: { width: 1440, height: 900 } };
// A copy this much smaller than the screen shows it still counts as sharp: browsers take the
// smaller of two copies when it is nearly enough.
const SHARP_ENOUGH = 0.85;
const WAIT = 5000;

// ---------------------------------------------------------------------------------------------
// In the browser: the open viewer's picture, or null when no viewer is open.
function viewerPicture(viewer) {
  for (const el of document.querySelectorAll(viewer)) {
    const cs = getComputedStyle(el);
    if (cs.display === "none" || cs.visibility === "hidden" || el.getClientRects().length === 0) continue;
    const img = el.querySelector("img");
    return { src: img ? img.currentSrc || img.src : "", width: img ? img.getBoundingClientRect().width : 0 };
  }
  return null;
}

// In the browser: the copies each viewer link offers, [{ url, width }] (width 0 where unknown).
function offeredCopies(selector) {
  return [...document.querySelectorAll(selector)].map((a) => {
    const copies = [{ url: a.href, width: 0 }];
    // data-srcset-avif: the same sizes as AVIF, for a browser that shows it
    const offered = [a.dataset.srcset, a.dataset.srcsetAvif].filter(Boolean).join(",");
    for (const candidate of offered.split(",")) {
      const [url, descriptor = ""] = candidate.trim().split(/\s+/);
      if (!url) continue;
      const absolute = new URL(url, document.baseURI).href;
      const width = /^\d+w$/.test(descriptor) ? parseInt(descriptor, 10) : 0;
      const known = copies.find((c) => c.url === absolute);
      if (known) known.width = width;
      else copies.push({ url: absolute, width });
    }
    return copies;
  });
}

const withoutHash = (url) => url.split("#")[0];

class Session {
  constructor(browser, problems, gallery) {
    this.browser = browser;
    this.problems = problems;
    this.gallery = gallery;
  }
  problem(what) {
    this.problems.push(`${this.gallery}: ${what}`);
  }
  // A page at URL in a fresh context of kind OPTIONS, opened after the page FROM when given.
  async open(url, options, from = null) {
    const context = await this.browser.newContext(options);
    await context.addInitScript(`window.galleryCheckViewerPicture = () => (${viewerPicture})(${JSON.stringify(VIEWER)});`);
    const page = await context.newPage();
    const errors = [];
    page.on("pageerror", (e) => errors.push(String(e)));
    if (from) await page.goto(from, { waitUntil: "load" });
    await page.goto(url, { waitUntil: "load" });
    const cdp = options.hasTouch ? await context.newCDPSession(page) : null;
    return { page, cdp, errors, close: () => context.close() };
  }
  // A finger moving sideways across the middle of the screen: DX < 0 to the left.
  async swipe({ page, cdp }, dx) {
    const { width, height } = page.viewportSize();
    const y = Math.round(height / 2);
    const x0 = dx < 0 ? width - 30 : 30;
    const steps = 10;
    await cdp.send("Input.dispatchTouchEvent", { type: "touchStart", touchPoints: [{ x: x0, y }] });
    for (let i = 1; i <= steps; i++) {
      await cdp.send("Input.dispatchTouchEvent", { type: "touchMove", touchPoints: [{ x: x0 + (dx * i) / steps, y }] });
      await new Promise((r) => setTimeout(r, 16));
    }
    await cdp.send("Input.dispatchTouchEvent", { type: "touchEnd", touchPoints: [] });
  }
}

// ---------------------------------------------------------------------------------------------
// The viewer of the start page at URL, with SELECTOR the links that open it.
async function checkViewer(s, url, from, selector) {
  // Waits until the viewer shows one of the copies of link INDEX; the picture shown, or null.
  const showing = async (v, copies, index) => {
    const handle = await v.page.waitForFunction((wanted) => {
      const p = window.galleryCheckViewerPicture();
      return p && wanted.includes(p.src) ? p : null;
    }, copies[index].map((c) => c.url), { timeout: WAIT }).catch(() => null);
    return handle ? handle.jsonValue() : null;
  };
  const current = (v) => v.page.evaluate(() => window.galleryCheckViewerPicture());

  const phone = await s.open(url, PHONE, from);
  try {
    const copies = await phone.page.evaluate(offeredCopies, selector);
    if (copies.length < 2) return;
    await phone.page.locator(selector).first().tap();
    const first = await showing(phone, copies, 0);
    if (!first) {
      s.problem(`a tap on the first picture does not open the viewer with it (shown: ${JSON.stringify(await current(phone))})`);
      return;
    }
    checkSharpness(s, copies[0], first, PHONE.deviceScaleFactor, "on the phone");
    await s.swipe(phone, -300);
    if (!(await showing(phone, copies, 1))) s.problem(`a swipe to the left in the viewer does not show the next picture (shown: ${JSON.stringify(await current(phone))})`);
    await s.swipe(phone, 300);
    await phone.page.waitForTimeout(1000);
    if (withoutHash(phone.page.url()) !== url) {
      s.problem(`a swipe to the right in the viewer leaves the page for ${phone.page.url()}`);
    } else if (!(await showing(phone, copies, 0))) {
      const shown = await current(phone);
      s.problem(shown ? `a swipe to the right in the viewer does not show the previous picture (shown: ${JSON.stringify(shown)})`
        : "a swipe to the right closes the viewer: the browser took it for going back");
    }
    if (phone.errors.length) s.problem(`script errors on the phone: ${phone.errors.join("; ")}`);
  } finally {
    await phone.close();
  }

  const wide = await s.open(url, DESKTOP);
  try {
    const copies = await wide.page.evaluate(offeredCopies, selector);
    await wide.page.locator(selector).first().click();
    const first = await showing(wide, copies, 0);
    if (!first) {
      s.problem("a click on the first picture does not open the viewer with it");
    } else {
      checkSharpness(s, copies[0], first, 1, "on the wide screen");
      await wide.page.keyboard.press("ArrowRight");
      if (!(await showing(wide, copies, 1))) s.problem("→ in the viewer does not show the next picture");
      await wide.page.keyboard.press("ArrowLeft");
      if (!(await showing(wide, copies, 0))) s.problem("← in the viewer does not show the previous picture");
      await wide.page.keyboard.press("Escape");
      await wide.page.waitForFunction(() => window.galleryCheckViewerPicture() === null, null, { timeout: WAIT })
        .catch(() => s.problem("Escape does not close the viewer"));
    }
    if (wide.errors.length) s.problem(`script errors on the wide screen: ${wide.errors.join("; ")}`);
  } finally {
    await wide.close();
  }

  const plain = await s.open(url, { ...DESKTOP, javaScriptEnabled: false });
  try {
    const href = await plain.page.locator(selector).first().evaluate((a) => a.href);
    const [response] = await Promise.all([
      plain.page.waitForNavigation({ timeout: WAIT }).catch(() => null),
      plain.page.locator(selector).first().click(),
    ]);
    const type = response?.headers()["content-type"] ?? "";
    if (plain.page.url() !== href || !type.startsWith("image/")) {
      s.problem(`without JavaScript the first picture's link does not open ${href} (${plain.page.url()}, ${type || "no response"})`);
    }
  } finally {
    await plain.close();
  }
}

// The copy the viewer shows (PICTURE, with the width it is shown at) among the link's COPIES:
// sharp at SCALE device pixels per px, and no larger than needed.
function checkSharpness(s, copies, picture, scale, where) {
  const sized = copies.filter((c) => c.width > 0);
  const shown = sized.find((c) => c.url === picture.src);
  if (sized.length < 2 || !shown) return;
  const needed = picture.width * scale;
  const largest = Math.max(...sized.map((c) => c.width));
  const name = decodeURIComponent(picture.src.replace(/^.*\//, ""));
  if (shown.width < SHARP_ENOUGH * needed && shown.width < largest) {
    s.problem(`the viewer shows ${name} (${shown.width} px wide) ${where}, where ${Math.round(needed)} px are drawn and a larger copy is offered`);
  }
  const enough = sized.filter((c) => c.width >= needed && c.width < shown.width);
  if (enough.length) {
    s.problem(`the viewer shows ${name} (${shown.width} px wide) ${where}, where ${Math.round(needed)} px are drawn and ` +
      `${decodeURIComponent(enough[0].url.replace(/^.*\//, ""))} (${enough[0].width} px) would do`);
  }
}

// ---------------------------------------------------------------------------------------------
// The first page met from the start page that links to a page before and after it, or null.
function middlePage(root) {
  const pages = new Set(walk(root).filter(isHtml).map((p) => relative(root, p).split(sep).join("/")));
  const seen = new Set(["index.html"]);
  const queue = ["index.html"];
  while (queue.length) {
    const page = queue.shift();
    const html = readFileSync(join(root, page), "utf8").replace(/<!--[\s\S]*?-->/g, "");
    if (/<a\b[^>]*\brel="prev"/i.test(html) && /<a\b[^>]*\brel="next"/i.test(html)) return page;
    for (const m of html.matchAll(/<a\b[^>]*?\bhref="([^"#?:]*\.html?)"/gi)) {
      let target;
      try {
        target = decodeURIComponent(new URL(m[1], `http://x/${page}`).pathname.slice(1));
      } catch {
        continue;
      }
      if (pages.has(target) && !seen.has(target)) {
        seen.add(target);
        queue.push(target);
      }
    }
  }
  return null;
}

async function checkPageKeys(s, url, from) {
  const target = (v, selector) => v.page.locator(selector).first().evaluate((a) => a.href).catch(() => null);
  const follows = async (v, action, expected, what) => {
    await action();
    const ok = await v.page.waitForURL((u) => withoutHash(u.href) === withoutHash(expected), { timeout: WAIT }).then(() => true, () => false);
    if (!ok) s.problem(`${what} on ${decodeURIComponent(url.replace(/^.*\//, ""))} does not lead to ${decodeURIComponent(expected.replace(/^.*\//, ""))} (but to ${v.page.url()})`);
  };

  for (const [direction, rel, dx] of [["left", "next", -300], ["right", "prev", 300]]) {
    const phone = await s.open(url, PHONE, from);
    try {
      await follows(phone, () => s.swipe(phone, dx), await target(phone, `a[rel="${rel}"]`), `a swipe to the ${direction}`);
    } finally {
      await phone.close();
    }
  }
  for (const [key, selector] of [["ArrowRight", 'a[rel="next"]'], ["ArrowLeft", 'a[rel="prev"]'], ["Escape", 'a[data-taste="Escape"]']]) {
    const wide = await s.open(url, DESKTOP);
    try {
      const expected = await target(wide, selector);
      if (expected) await follows(wide, () => wide.page.keyboard.press(key), expected, key);
    } finally {
      await wide.close();
    }
  }
}

async function checkGallery(dir, browser, problems) {
  const root = resolve(dir);
  const s = new Session(browser, problems, dir);
  try {
    statSync(join(root, "index.html"));
  } catch {
    s.problem("no index.html");
    return;
  }
  const server = await serve(root);
  try {
    // A page to come from, so the browser has a page to go back to.
    const from = server.url + "index.html?vorher";
    const start = server.url + "index.html";
    const probe = await s.open(start, DESKTOP);
    const selector = await viewerSelector(probe.page);
    await probe.close();
    if (selector) await checkViewer(s, start, from, selector);
    const middle = middlePage(root);
    if (middle) await checkPageKeys(s, server.url + middle.split("/").map(encodeURIComponent).join("/"), from);
  } finally {
    await server.close();
  }
}

async function main() {
  let parsed;
  try {
    parsed = parseArgs({
      allowPositionals: true,
      options: {
        chromium: { type: "string", default: DEFAULT_CHROMIUM },
        help: { type: "boolean", short: "h", default: false },
      },
    });
  } catch (e) {
    console.error(String(e.message));
    return 2;
  }
  const { values: v, positionals } = parsed;
  if (v.help || positionals.length === 0) {
    console.error("usage: node behaviour.mjs [--chromium PATH] GALLERY_DIR...");
    return 2;
  }
  const browser = await startChromium(v.chromium, "behaviour.mjs");
  if (!browser) return 2;
  const problems = [];
  try {
    for (const dir of positionals) await checkGallery(dir, browser, problems);
  } finally {
    await browser.close();
    removeScratchHome();
  }
  for (const p of problems) console.log(p);
  console.log(problems.length === 0 ? `behaviour check: ${positionals.length} folder(s), no problems`
    : `behaviour check: ${problems.length} problem(s) in ${positionals.length} folder(s)`);
  return problems.length === 0 ? 0 : 1;
}

process.exitCode = await main();
