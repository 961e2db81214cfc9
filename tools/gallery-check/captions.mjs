#!/usr/bin/env node
// Whether a gallery shows each photo's title and description where its skin shows them:
//   node captions.mjs [--chromium PATH] --expect TABLE.tsv GALLERY_DIR...
// TABLE.tsv has a line per photo: the photo's name without extension, the title and the
// description the gallery must show (empty: the photo has none), and optionally a text that
// must appear nowhere in the gallery (a caption that another one must win over). Every page of
// the gallery is opened in Chromium (as served from 127.0.0.1) and checked:
// - every picture of the photo (an <img> whose src or srcset names a copy "…_NAME.ext" or
//   "NAME.ext") has the title as its alternative text, or "Bild N…" when there is none;
// - the photo's own page (a page named "…_NAME.html") has a tab title starting with the title
//   (or "Bild N") and a first heading that is the title (or "Bild N"), and shows the description;
// - a link carrying data-titel for an in-page viewer holds the title and description, and the
//   viewer that opens on a click shows both.
// One line per problem; exit status 0 only without problems.
import { readFileSync } from "node:fs";
import { basename, relative, resolve, sep } from "node:path";
import { parseArgs } from "node:util";
import { walk, isHtml } from "./files.mjs";
import {
  DEFAULT_CHROMIUM, VIEWER, removeScratchHome, serve, startChromium, viewerShown,
} from "./browser.mjs";

const { values: opts, positionals: galleries } = parseArgs({
  options: { expect: { type: "string" }, chromium: { type: "string", default: DEFAULT_CHROMIUM } },
  allowPositionals: true,
});
if (!opts.expect || galleries.length === 0) {
  console.error("usage: node captions.mjs [--chromium PATH] --expect TABLE.tsv GALLERY_DIR...");
  process.exit(2);
}

const photos = readFileSync(opts.expect, "utf8").split("\n").filter((l) => l.trim())
  .map((line) => {
    const [name, title = "", description = "", absent = ""] = line.split("\t");
    return { name, title, description, absent };
  });

// The photo a file name (of a copy or a page) belongs to: "klein_NAME.avif" and "NAME.jpg"
// belong to NAME.
function photoOf(url) {
  let file;
  try {
    file = decodeURIComponent(new URL(url, "http://x/").pathname.split("/").pop());
  } catch {
    return null;
  }
  const stem = file.replace(/\.[^.]*$/, "");
  return photos.find((p) => stem === p.name || stem.endsWith("_" + p.name)) ?? null;
}

// What a page shows, taken in the browser.
function pageFacts() {
  const text = (el) => (el ? el.textContent.replace(/\s+/g, " ").trim() : null);
  return {
    title: document.title,
    heading: text(document.querySelector("h1")),
    body: document.body.innerText.replace(/\s+/g, " "),
    images: [...document.images].map((img) => ({
      alt: img.getAttribute("alt"),
      urls: [img.getAttribute("src"), ...(img.getAttribute("srcset") || "").split(",").map((c) => c.trim().split(/\s+/)[0])]
        .filter(Boolean),
    })),
    viewerLinks: [...document.querySelectorAll("a[data-titel]")].map((a, index) => ({
      index, href: a.getAttribute("href"), titel: a.dataset.titel, text: a.dataset.text ?? "",
    })),
  };
}

const problems = [];
const untitled = /^Bild \d+/;
function expectTitle(where, shown, photo, exact) {
  if (photo.title) {
    const ok = exact ? shown === photo.title : shown?.startsWith(photo.title);
    if (!ok) problems.push(`${where}: "${shown}" instead of the title "${photo.title}"`);
  } else if (!untitled.test(shown ?? "")) {
    problems.push(`${where}: "${shown}" for a photo without a title (expected "Bild N")`);
  }
}

async function checkPage(browser, server, root, page) {
  const context = await browser.newContext({ viewport: { width: 1440, height: 900 } });
  try {
    const tab = await context.newPage();
    await tab.goto(server.url + page.split("/").map(encodeURIComponent).join("/"), { waitUntil: "load" });
    const facts = await tab.evaluate(pageFacts);
    const where = `${basename(root)}/${page}`;
    for (const img of facts.images) {
      const photo = img.urls.map(photoOf).find(Boolean);
      if (photo) expectTitle(`${where}: alt of a picture of ${photo.name}`, img.alt, photo, true);
    }
    const own = photoOf(page);
    if (own && /_/.test(basename(page))) {
      expectTitle(`${where}: tab title`, facts.title, own, false);
      expectTitle(`${where}: heading`, facts.heading, own, true);
      if (own.description && !facts.body.includes(own.description)) {
        problems.push(`${where}: the description "${own.description}" is not shown`);
      }
    }
    for (const link of facts.viewerLinks) {
      const photo = photoOf(link.href);
      if (!photo) continue;
      if (link.titel !== photo.title) problems.push(`${where}: data-titel "${link.titel}" of ${photo.name} instead of "${photo.title}"`);
      if (link.text !== photo.description) problems.push(`${where}: data-text "${link.text}" of ${photo.name} instead of "${photo.description}"`);
      await tab.locator("a[data-titel]").nth(link.index).click();
      await tab.waitForFunction(viewerShown, VIEWER, { timeout: 5000 }).catch(() => {});
      const shown = await tab.evaluate((sel) => [...document.querySelectorAll(sel)].map((e) => e.innerText).join(" "), VIEWER);
      for (const wanted of [photo.title, photo.description].filter(Boolean)) {
        if (!shown.includes(wanted)) problems.push(`${where}: the viewer of ${photo.name} does not show "${wanted}"`);
      }
      await tab.keyboard.press("Escape");
    }
  } finally {
    await context.close();
  }
}

const browser = await startChromium(opts.chromium, "captions.mjs");
if (!browser) process.exit(1);
try {
  for (const gallery of galleries) {
    const root = resolve(gallery);
    const pages = walk(root).filter(isHtml).map((p) => relative(root, p).split(sep).join("/"));
    for (const page of pages) {
      const html = readFileSync(resolve(root, page), "utf8");
      for (const photo of photos) {
        if (photo.absent && html.includes(photo.absent)) {
          problems.push(`${basename(root)}/${page}: shows "${photo.absent}", which another caption of ${photo.name} wins over`);
        }
      }
    }
    const server = await serve(root);
    try {
      for (const page of pages) await checkPage(browser, server, root, page);
    } finally {
      await server.close();
    }
  }
} finally {
  await browser.close();
  removeScratchHome();
}
for (const p of problems) console.log(p);
console.log(`captions.mjs: ${galleries.length} galleries, ${problems.length} problems`);
process.exit(problems.length ? 1 : 0);
