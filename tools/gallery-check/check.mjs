#!/usr/bin/env node
// Quick checks of generated galleries, without a browser:
//   node check.mjs [--skin SKINFILE.vsk] GALLERY_DIR... [--skin SKINFILE.vsk GALLERY_DIR...]...
// Every .html file is validated with html-validate (settings in htmlvalidate.config.mjs), and
// every reference in the pages and style sheets (href, src, srcset and data-srcset, poster,
// CSS url() and @import, ...) must name a file inside the gallery folder. A gallery has to work when copied
// anywhere, even opened from disk, so nothing may point outside it: no http(s): or //host,
// no absolute /paths, no file:. The exceptions are <a href> links to OpenStreetMap (the map
// links), mailto: links, and small data: URIs. Every <img> must give its width and height, of
// the shape of the JPEG it shows. References are resolved as a browser resolves them (a "#"
// starts a fragment, "?" a query, percent-escapes are decoded), so a file name written into a
// link without encoding is reported as the missing file it is for the browser.
// With --skin, the galleries named after it were made with that skin: every element and every
// attribute of their pages must be one the skin's templates (or the pages in its files folder)
// write for that element. A name that breaks out of an attribute ('x" onmouseover="…') or
// becomes markup ("<c>") is reported that way.
// Prints one line per problem ("file:line: what") and exits with 0 when there is none, 1 when
// there are problems, 2 for a usage error.
import { closeSync, openSync, readFileSync, readSync, statSync } from "node:fs";
import { join, relative, resolve, sep } from "node:path";
import { fileURLToPath, pathToFileURL } from "node:url";
import { HtmlValidate } from "html-validate";
import config from "./htmlvalidate.config.mjs";
import { walk, isHtml, isCss } from "./files.mjs";
import { readSkin } from "./skin.mjs";

const MAP_LINK_PREFIX = "https://www.openstreetmap.org/";
const MAX_DATA_URI = 4096; // characters; enough for a small inline icon

// Attributes that hold one reference, and the elements they count on (null: any element).
const URL_ATTRIBUTES = {
  href: null,
  src: null,
  poster: ["video"],
  data: ["object"],
  action: ["form"],
  formaction: ["button", "input"],
  background: null,
  cite: ["blockquote", "q", "del", "ins"],
};
// Elements whose src or srcset must not be empty (an empty src requests the page itself).
const EMBEDDING = new Set(["img", "script", "iframe", "source", "audio", "video", "track", "embed", "input"]);

// Line number (1-based) of character INDEX in TEXT, through a table of line starts.
function lineIndex(text) {
  const starts = [0];
  for (let i = 0; i < text.length; i++) if (text.charCodeAt(i) === 10) starts.push(i + 1);
  return (index) => {
    let lo = 0, hi = starts.length - 1;
    while (lo < hi) {
      const mid = (lo + hi + 1) >> 1;
      if (starts[mid] <= index) lo = mid; else hi = mid - 1;
    }
    return lo + 1;
  };
}

// Blanks out the ranges matched by RE in TEXT, keeping newlines so line numbers still fit.
function blank(text, re) {
  return text.replace(re, (m) => m.replace(/[^\n]/g, " "));
}

const NAMED_ENTITIES = { amp: "&", lt: "<", gt: ">", quot: '"', apos: "'", nbsp: "\u00a0" };
function decodeEntities(s) {
  return s.replace(/&(#x[0-9a-f]+|#[0-9]+|[a-z]+);/gi, (m, e) => {
    if (e[0] === "#") {
      const code = e[1] === "x" || e[1] === "X" ? parseInt(e.slice(2), 16) : parseInt(e.slice(1), 10);
      return Number.isFinite(code) && code <= 0x10ffff ? String.fromCodePoint(code) : m;
    }
    return NAMED_ENTITIES[e.toLowerCase()] ?? m;
  });
}

// The URLs of a srcset value (descriptors dropped).
function srcsetUrls(value) {
  const urls = [];
  let i = 0;
  const n = value.length;
  while (i < n) {
    while (i < n && /[\s,]/.test(value[i])) i++;
    if (i >= n) break;
    let start = i;
    while (i < n && !/\s/.test(value[i])) i++;
    let url = value.slice(start, i);
    if (url.endsWith(",")) {
      urls.push(url.replace(/,+$/, ""));
      continue;
    }
    urls.push(url);
    // skip the descriptors up to the next comma outside parentheses
    let depth = 0;
    while (i < n) {
      const c = value[i];
      if (c === "(") depth++;
      else if (c === ")") depth = Math.max(0, depth - 1);
      else if (c === "," && depth === 0) break;
      i++;
    }
  }
  return urls;
}

// References in CSS text: url(...) and @import "...". OFFSET is added to each position.
function cssReferences(css, offset = 0) {
  const refs = [];
  const clean = blank(css, /\/\*[\s\S]*?\*\//g);
  const urlRe = /url\(\s*(?:"([^"]*)"|'([^']*)'|([^)'"]*?))\s*\)/gi;
  for (const m of clean.matchAll(urlRe)) {
    refs.push({ url: m[1] ?? m[2] ?? m[3] ?? "", index: offset + m.index, what: "CSS url()" });
  }
  const importRe = /@import\s+(?:"([^"]*)"|'([^']*)')/gi;
  for (const m of clean.matchAll(importRe)) {
    refs.push({ url: m[1] ?? m[2], index: offset + m.index, what: "CSS @import" });
  }
  return refs;
}

// The page's markup with comments, scripts and style sheets blanked out (line numbers kept),
// and the style sheets inside it as { css, offset }.
function markupOf(html) {
  // Comments hide their content; scripts are JavaScript, not markup.
  let text = blank(html, /<!--[\s\S]*?-->/g);
  text = text.replace(/(<script\b[^>]*>)([\s\S]*?)(<\/script\s*>)/gi,
    (m, open, body, close) => open + body.replace(/[^\n]/g, " ") + close);
  const styles = [];
  for (const m of text.matchAll(/(<style\b[^>]*>)([\s\S]*?)<\/style\s*>/gi)) {
    styles.push({ css: m[2], offset: m.index + m[1].length });
  }
  text = text.replace(/(<style\b[^>]*>)([\s\S]*?)(<\/style\s*>)/gi,
    (m, open, body, close) => open + body.replace(/[^\n]/g, " ") + close);
  return { text, styles };
}

// The start tags of MARKUP, each as { tag, index, source, attrs: [{ attr, value, index }] }
// with the attribute values decoded.
function* elements(markup) {
  const tagRe = /<([a-zA-Z][a-zA-Z0-9-]*)((?:[^>"']|"[^"]*"|'[^']*')*)>/g;
  const attrRe = /([^\s"'=<>\/]+)(?:\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'=<>`]+)))?/g;
  for (const tm of markup.matchAll(tagRe)) {
    const attrsStart = tm.index + 1 + tm[1].length;
    const attrs = [];
    for (const am of tm[2].matchAll(attrRe)) {
      const raw = am[2] ?? am[3] ?? am[4];
      attrs.push({ attr: am[1].toLowerCase(), value: raw === undefined ? undefined : decodeEntities(raw), index: attrsStart + am.index });
    }
    yield { tag: tm[1].toLowerCase(), index: tm.index, source: tm[2], attrs };
  }
}

// All references in a page's markup (from markupOf), each as { url, index, what, tag, attr }.
function htmlReferences({ text, styles }) {
  const refs = [];
  for (const { css, offset } of styles) refs.push(...cssReferences(css, offset));
  for (const { tag, source, attrs } of elements(text)) {
    for (const { attr, value, index } of attrs) {
      if (value === undefined) continue;
      // data-srcset (and data-srcset-avif and the like): the copies a script offers a picture
      // it shows (as srcset)
      if ((attr === "srcset" && (tag === "img" || tag === "source")) || attr === "data-srcset" ||
          attr.startsWith("data-srcset-")) {
        const urls = srcsetUrls(value);
        if (urls.length === 0 && EMBEDDING.has(tag)) refs.push({ url: "", index, what: `<${tag} ${attr}>`, tag, attr, empty: true });
        for (const url of urls) refs.push({ url, index, what: `<${tag} ${attr}>`, tag, attr });
      } else if (attr === "style") {
        refs.push(...cssReferences(value, index));
      } else if (attr === "content" && tag === "meta" && /^\s*\d+\s*[;,]\s*url\s*=/i.test(value)) {
        refs.push({ url: value.replace(/^\s*\d+\s*[;,]\s*url\s*=\s*/i, "").replace(/^['"]|['"]$/g, ""), index, what: "<meta refresh>", tag, attr });
      } else if (attr in URL_ATTRIBUTES) {
        const on = URL_ATTRIBUTES[attr];
        if (on && !on.includes(tag)) continue;
        if (attr === "src" && tag === "input" && !/type\s*=\s*["']?image/i.test(source)) continue;
        refs.push({ url: value.trim(), index, what: `<${tag} ${attr}>`, tag, attr });
      }
    }
  }
  return refs;
}

// The pixel size { width, height } of a JPEG file's frame, or null when BYTES is no JPEG.
function jpegSize(bytes) {
  if (bytes.length < 4 || bytes[0] !== 0xff || bytes[1] !== 0xd8) return null;
  let i = 2;
  while (i + 9 < bytes.length) {
    if (bytes[i] !== 0xff) return null;
    const marker = bytes[i + 1];
    if (marker === 0xff) { i++; continue; }
    const length = (bytes[i + 2] << 8) | bytes[i + 3];
    const isFrame = marker >= 0xc0 && marker <= 0xcf && marker !== 0xc4 && marker !== 0xc8 && marker !== 0xcc;
    if (isFrame) return { height: (bytes[i + 5] << 8) | bytes[i + 6], width: (bytes[i + 7] << 8) | bytes[i + 8] };
    if (marker === 0xda || length < 2) return null;
    i += 2 + length;
  }
  return null;
}

// The file inside gallery ROOT that the relative URL names from page FILE, as { target };
// { error: "encoding" } or { error: "outside" } when it names none, {} for the page itself.
// The URL is resolved as a browser does, against the page's file: URL.
function localTarget(url, file, root) {
  if (/^[?#]|^$/.test(url)) return {};
  let target;
  try {
    target = fileURLToPath(new URL(url, pathToFileURL(file)));
  } catch {
    return { error: "encoding" }; // a "%" that starts no escape, an escaped "/", no UTF-8
  }
  const rel = relative(root, target);
  if (rel === "" || rel === ".." || rel.startsWith(".." + sep)) return { error: "outside" };
  return { target };
}

// The frame size of the JPEG at PATH (from its first 256 KiB, where the frame header of any
// copy a gallery shows stands), or null; remembered in SIZES, as pages show the same copies.
function jpegSizeOf(path, sizes) {
  if (!sizes.has(path)) {
    let size = null;
    try {
      const fd = openSync(path, "r");
      try {
        const head = Buffer.alloc(256 * 1024);
        size = jpegSize(head.subarray(0, readSync(fd, head, 0, head.length, 0)));
      } finally {
        closeSync(fd);
      }
    } catch {
      // a missing file is reported with the references
    }
    sizes.set(path, size);
  }
  return sizes.get(path);
}

// What is wrong with the size an <img> announces: without width and height the page moves
// when the picture arrives, and a size of another shape than the picture's distorts it or
// still moves the page. Checked against the JPEG that src names, when it is one in the gallery.
function imageSizeProblems({ text }, file, root, sizes) {
  const problems = [];
  const pixels = (value) => (/^\s*[0-9]+\s*$/.test(value ?? "") ? Number(value) : NaN);
  for (const { tag, index, attrs } of elements(text)) {
    if (tag !== "img") continue;
    const value = (name) => attrs.find((a) => a.attr === name)?.value;
    const width = pixels(value("width"));
    const height = pixels(value("height"));
    if (!(width > 0 && height > 0)) {
      problems.push({ index, what: "<img> without width and height in pixels (the page moves when it arrives)" });
      continue;
    }
    const src = value("src");
    if (!src || /^[a-z][a-z0-9+.-]*:|^\//i.test(src)) continue;
    const { target } = localTarget(src, file, root);
    const size = target ? jpegSizeOf(target, sizes) : null;
    if (!size) continue;
    // Both sizes may be rounded from the photo's own shape: half a pixel each way.
    const slack = (width + height + size.width + size.height) / 2;
    if (Math.abs(width * size.height - height * size.width) > slack) {
      problems.push({ index, what: `<img> says ${width}×${height}, but ${src} is ${size.width}×${size.height}` });
    }
  }
  return problems;
}

// The markup a skin writes, by element: Map(tag -> Set(attribute names)), from the templates its
// skin file names (HTMLPatterns) and the HTML pages in its files folder. Conditional blocks
// keep what both of their outcomes write.
function skinMarkup(skinFile) {
  const skin = readSkin(skinFile);
  const sources = skin.templates.map((t) => readFileSync(join(skin.dir, t.file), "utf8"));
  let own = [];
  try {
    own = walk(join(skin.dir, "files")).filter(isHtml);
  } catch {
    // a skin without a files folder
  }
  for (const file of own) sources.push(readFileSync(file, "utf8"));
  const markers = /\[VTL\] *CONDITION\((?:[^()]|\((?:[^()]|\([^()]*\))*\))*\)|\[VTL\] *END CONDITION/gi;
  const written = new Map();
  for (const source of sources) {
    for (const { tag, attrs } of elements(markupOf(source.replace(markers, "")).text)) {
      if (!written.has(tag)) written.set(tag, new Set());
      for (const { attr } of attrs) written.get(tag).add(attr);
    }
  }
  return written;
}

// Elements and attributes of a page (from markupOf) that the skin (skinMarkup) never writes.
function unwrittenMarkup({ text }, written) {
  const problems = [];
  for (const { tag, index, attrs } of elements(text)) {
    const names = written.get(tag);
    if (!names) {
      problems.push({ index, what: `<${tag}>: an element the skin does not write` });
      continue;
    }
    for (const { attr } of attrs) {
      if (!names.has(attr)) problems.push({ index, what: `<${tag} ${attr}>: an attribute the skin does not write` });
    }
  }
  return problems;
}

// What is wrong with reference REF found in file FILE of gallery ROOT, or null.
function judge(ref, file, root) {
  const url = ref.url;
  if (url === "") {
    if (ref.empty || (ref.attr === "src" && EMBEDDING.has(ref.tag))) return `${ref.what}: empty reference`;
    return null; // href="" is the page itself
  }
  if (url.startsWith("#")) return null;
  const scheme = /^([a-zA-Z][a-zA-Z0-9+.-]*):/.exec(url);
  if (scheme) {
    const s = scheme[1].toLowerCase();
    if (s === "data") {
      return url.length > MAX_DATA_URI ? `${ref.what}: data: URI of ${url.length} characters (keep inline data small)` : null;
    }
    if (ref.tag === "a" && ref.attr === "href") {
      if (url.startsWith(MAP_LINK_PREFIX)) return null;
      if (s === "mailto") return null;
    }
    return `${ref.what}: leaves the gallery: ${url}`;
  }
  if (url.startsWith("//")) return `${ref.what}: leaves the gallery: ${url}`;
  if (url.startsWith("/")) return `${ref.what}: absolute path ${url} (use a path relative to the page)`;
  if (url.includes("\\")) return `${ref.what}: backslash in ${url} (use /)`;
  const { target, error } = localTarget(url, file, root);
  if (error === "encoding") return `${ref.what}: bad percent-encoding in ${url}`;
  if (error === "outside") return `${ref.what}: points outside the gallery folder: ${url}`;
  if (!target) return null;
  let st;
  try {
    st = statSync(target);
  } catch {
    return `${ref.what}: missing file ${url}`;
  }
  if (st.isDirectory()) return `${ref.what}: points to a folder, not a file: ${url}`;
  return null;
}

async function checkGallery(dir, written, validator, report) {
  const root = resolve(dir);
  let st;
  try {
    st = statSync(root);
  } catch {
    report(dir, null, "gallery folder not found");
    return;
  }
  if (!st.isDirectory()) {
    report(dir, null, "not a folder");
    return;
  }
  const files = walk(root);
  const pages = files.filter(isHtml);
  if (pages.length === 0) report(dir, null, "no HTML pages in the gallery folder");
  const shown = (f) => join(dir, relative(root, f));
  const sizes = new Map(); // JPEG frame sizes by path

  for (const file of pages) {
    const html = readFileSync(file, "utf8");
    const result = await validator.validateString(html, file);
    for (const r of result.results) {
      for (const m of r.messages) report(shown(file), m.line, `${m.message} [${m.ruleId}]`);
    }
    const lineOf = lineIndex(html);
    const markup = markupOf(html);
    for (const ref of htmlReferences(markup)) {
      const problem = judge(ref, file, root);
      if (problem) report(shown(file), lineOf(ref.index), problem);
    }
    for (const { index, what } of imageSizeProblems(markup, file, root, sizes)) report(shown(file), lineOf(index), what);
    if (written) for (const { index, what } of unwrittenMarkup(markup, written)) report(shown(file), lineOf(index), what);
  }
  for (const file of files.filter(isCss)) {
    const css = readFileSync(file, "utf8");
    const lineOf = lineIndex(css);
    for (const ref of cssReferences(css)) {
      const problem = judge(ref, file, root);
      if (problem) report(shown(file), lineOf(ref.index), problem);
    }
  }
}

async function main(args) {
  const usage = "usage: node check.mjs [--skin SKINFILE.vsk] GALLERY_DIR... [--skin SKINFILE.vsk GALLERY_DIR...]...";
  if (args.length === 0 || args.includes("-h") || args.includes("--help")) {
    console.error(usage);
    return 2;
  }
  // Each gallery with the skin named before it (or none).
  const galleries = [];
  let written = null;
  for (let i = 0; i < args.length; i++) {
    if (args[i] !== "--skin") {
      galleries.push({ dir: args[i], written });
      continue;
    }
    if (i + 1 === args.length) {
      console.error(usage);
      return 2;
    }
    try {
      written = skinMarkup(args[++i]);
    } catch (e) {
      console.error(`check.mjs: cannot read the skin ${args[i]}: ${e.message}`);
      return 2;
    }
  }
  if (galleries.length === 0) {
    console.error(usage);
    return 2;
  }
  const validator = new HtmlValidate(config);
  let problems = 0;
  const report = (file, line, what) => {
    problems++;
    console.log(`${file}${line ? ":" + line : ""}: ${what}`);
  };
  for (const { dir, written } of galleries) await checkGallery(dir, written, validator, report);
  console.log(problems === 0 ? `gallery check: ${galleries.length} folder(s), no problems`
    : `gallery check: ${problems} problem(s) in ${galleries.length} folder(s)`);
  return problems === 0 ? 0 : 1;
}

process.exitCode = await main(process.argv.slice(2));
