#!/usr/bin/env node
// Whether a gallery's pictures come in the size a phone draws them:
//   node sizing.mjs [--chromium PATH] GALLERY_DIR...
// Every page is opened as Lighthouse's phone sees it (412×823 CSS px at 1.75 device pixels per
// px, touch) from 127.0.0.1, and once the network is quiet each picture it loaded is weighed
// as Lighthouse's "properly size images" does: the share of the file's pixels that the box it is
// drawn in does not need (the box times the device pixels, squared), times the file's bytes. A
// picture that wastes more than 12 KiB (4 KiB without srcset or <picture>) is reported with the
// copy taken and the box, so a skin whose sizes or copies miss a phone fails here rather than in
// a slow Lighthouse run. One line per problem; exit status 0 only without problems.
import { statSync } from "node:fs";
import { basename, relative, resolve, sep } from "node:path";
import { parseArgs } from "node:util";
import { walk, isHtml } from "./files.mjs";
import { DEFAULT_CHROMIUM, removeScratchHome, serve, startChromium } from "./browser.mjs";

const PHONE = { width: 412, height: 823 };
const SCALE = 1.75;
// Lighthouse's allowance for a picture offered in several sizes, and for one offered in one.
const ALLOWED_WITH_CHOICE = 12288;
const ALLOWED_SINGLE = 4096;

const { values: opts, positionals: galleries } = parseArgs({
  options: { chromium: { type: "string", default: DEFAULT_CHROMIUM } },
  allowPositionals: true,
});
if (galleries.length === 0) {
  console.error("usage: node sizing.mjs [--chromium PATH] GALLERY_DIR...");
  process.exit(2);
}

// The pictures a page has loaded, with the file's own size (naturalWidth is divided by the
// density srcset gives a copy) and the box each is drawn in. Runs in the browser.
async function loadedPictures() {
  const found = [];
  for (const img of document.images) {
    if (!img.complete || img.naturalWidth === 0 || !img.currentSrc) continue;
    const probe = new Image();
    probe.src = img.currentSrc;
    try { await probe.decode(); } catch { continue; }
    const r = img.getBoundingClientRect();
    found.push({
      url: img.currentSrc, width: probe.naturalWidth, height: probe.naturalHeight, boxWidth: r.width, boxHeight: r.height,
      choice: img.hasAttribute("srcset") || img.parentElement?.tagName === "PICTURE",
    });
  }
  return found;
}

async function quiet(page) {
  await page.waitForLoadState("networkidle", { timeout: 30000 }).catch(() => {});
}

const problems = [];
const browser = await startChromium(opts.chromium, "sizing.mjs");
if (!browser) process.exit(1);
try {
  for (const gallery of galleries) {
    const root = resolve(gallery);
    const pages = walk(root).filter(isHtml).map((p) => relative(root, p).split(sep).join("/"));
    const server = await serve(root);
    const context = await browser.newContext({ viewport: PHONE, deviceScaleFactor: SCALE, isMobile: true, hasTouch: true });
    try {
      for (const page of pages) {
        const tab = await context.newPage();
        await tab.goto(server.url + page.split("/").map(encodeURIComponent).join("/"), { waitUntil: "load" });
        await quiet(tab);
        for (const p of await tab.evaluate(loadedPictures)) {
          if (p.boxWidth === 0 || p.boxHeight === 0) continue;
          const file = resolve(root, decodeURIComponent(new URL(p.url).pathname.slice(1)));
          let bytes = 0;
          try { bytes = statSync(file).size; } catch { continue; }
          const used = p.boxWidth * p.boxHeight * SCALE * SCALE;
          const wasted = Math.round(bytes * (1 - used / (p.width * p.height)));
          if (wasted > (p.choice ? ALLOWED_WITH_CHOICE : ALLOWED_SINGLE)) {
            problems.push(`${basename(root)}/${page}: ${basename(file)} (${p.width}×${p.height}, ${Math.round(bytes / 1024)} KiB) ` +
              `drawn at ${Math.round(p.boxWidth)}×${Math.round(p.boxHeight)} px wastes ${Math.round(wasted / 1024)} KiB on a phone of ${PHONE.width} px at ${SCALE}×`);
          }
        }
        await tab.close();
      }
    } finally {
      await context.close();
      await server.close();
    }
  }
} finally {
  await browser.close();
  removeScratchHome();
}
for (const p of problems) console.log(p);
console.log(`sizing.mjs: ${galleries.length} galleries, ${problems.length} problems`);
process.exit(problems.length ? 1 : 0);
