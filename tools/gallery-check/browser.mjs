// What the browser checks share: how Chromium is started (flags, a scratch home), a static file
// server for a gallery, and how an in-page viewer is found and recognised.
import { createServer } from "node:http";
import { mkdirSync, mkdtempSync, readFileSync, rmSync, statSync } from "node:fs";
import { once } from "node:events";
import { tmpdir } from "node:os";
import { extname, join, resolve, sep } from "node:path";
import { gzipSync } from "node:zlib";
import { chromium } from "playwright-core";

export const CHROMIUM_FLAGS = [
  "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
  "--disable-background-networking", "--disable-component-update", "--disable-sync",
];
const TYPES = {
  ".html": "text/html; charset=utf-8", ".htm": "text/html; charset=utf-8", ".css": "text/css; charset=utf-8",
  ".js": "text/javascript; charset=utf-8", ".mjs": "text/javascript; charset=utf-8", ".json": "application/json",
  ".jpg": "image/jpeg", ".jpeg": "image/jpeg", ".png": "image/png", ".gif": "image/gif", ".webp": "image/webp",
  ".avif": "image/avif", ".svg": "image/svg+xml", ".ico": "image/x-icon", ".woff2": "font/woff2", ".woff": "font/woff",
  ".txt": "text/plain; charset=utf-8", ".xml": "application/xml",
};

// The Chromium the checks use unless told otherwise (--chromium).
export const DEFAULT_CHROMIUM = process.env.CHROME_PATH || "/usr/bin/chromium";

// The Chromium at PATH started headless through playwright-core, with the checks' flags and a
// scratch home; null, after saying so on stderr for TOOL, where there is none.
export async function startChromium(path, tool) {
  try {
    statSync(path);
  } catch {
    console.error(`${tool}: no Chromium at ${path} (apt-get install chromium)`);
    return null;
  }
  return chromium.launch({ executablePath: path, headless: true, args: CHROMIUM_FLAGS, env: chromiumEnv() });
}

// Chromium keeps crash reports and caches under $HOME even with its own profile folder, and
// leaves the folder of its singleton socket in $TMPDIR when it is ended, so it gets a scratch
// home and temporary folder of its own; the real ones stay untouched.
let scratchHome = null;
export function chromiumEnv() {
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
export async function serve(root) {
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

// What an in-page viewer is marked as.
export const VIEWER = 'dialog[open], [role="dialog"], [aria-modal="true"]';

// Whether an in-page viewer (marked as VIEWER says) is to be seen. Runs in the browser.
export function viewerShown(viewer) {
  for (const el of document.querySelectorAll(viewer)) {
    const cs = getComputedStyle(el);
    if (cs.display !== "none" && cs.visibility !== "hidden" && el.getClientRects().length > 0) return true;
  }
  return false;
}

// A thumbnail that links straight to a picture, on a page with scripts: a viewer is likely to
// take over that click.
// The thumbnail may stand in a <picture> that offers it in several formats.
export const THUMBNAIL_TO_PICTURE =
  'a:has(> img, > picture > img)[href$=".jpg" i], a:has(> img, > picture > img)[href$=".jpeg" i]';

// What to click on PAGE to open its in-page viewer ([data-lightbox], else a thumbnail linking
// straight to a picture on a page with scripts), or null.
export async function viewerSelector(page) {
  if (await page.$("[data-lightbox]")) return "[data-lightbox]";
  if ((await page.$("script[src]")) && (await page.$(THUMBNAIL_TO_PICTURE))) return THUMBNAIL_TO_PICTURE;
  return null;
}

// Removes the scratch home of chromiumEnv(), once no Chromium uses it any more.
export function removeScratchHome() {
  if (scratchHome) rmSync(scratchHome, { recursive: true, force: true });
  scratchHome = null;
}
