#!/usr/bin/env node
// Self-test of the gallery checks: builds small galleries in a temporary folder, one clean and
// some with planted faults, runs check.mjs on them and looks at its exit code and report; then,
// when Chromium is installed, runs measure.mjs (without Lighthouse) on a page with known flaws.
//   node selftest.mjs        (exit code 0 when all is well)
import { test, after } from "node:test";
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import { existsSync, mkdtempSync, mkdirSync, readFileSync, writeFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join, dirname } from "node:path";
import { fileURLToPath } from "node:url";
import { csvCells, templateOf, readSkin } from "./skin.mjs";

const HERE = dirname(fileURLToPath(import.meta.url));
const CHECK = join(HERE, "check.mjs");
const CHROMIUM = process.env.CHROME_PATH || "/usr/bin/chromium";
const scratch = mkdtempSync(join(tmpdir(), "gallery-check-selftest-"));
after(() => rmSync(scratch, { recursive: true, force: true }));

// gallery NAME {path: content} -> folder
function gallery(name, files) {
  const dir = join(scratch, name);
  for (const [path, content] of Object.entries(files)) {
    mkdirSync(dirname(join(dir, path)), { recursive: true });
    writeFileSync(join(dir, path), content);
  }
  return dir;
}

// A skin folder NAME with the template TEMPLATE (and the pages of FILES), as the path of its skin file.
function skin(name, template, files = {}) {
  const dir = gallery(name, {
    "probe.vsk": "[General]\nSkinName=Probe\n\n[CSV]\nHTMLPatterns=vorlagen.csv\nImageModification=bildvarianten.csv\n",
    "vorlagen.csv": '"FILENAME";"NAME";"NEWFILENAME";\n"index.tpl";"index";"index.html";\n"seite.tpl";"seite";"bild_%old%.html";\n',
    "index.tpl": template,
    "seite.tpl": page("[VTL] CONDITION(DoesExist(%Titel%))%HTML:Titel%[VTL] END CONDITION", '<main><h1>Bild</h1></main>'),
    ...Object.fromEntries(Object.entries(files).map(([path, content]) => [join("files", path), content])),
  });
  return join(dir, "probe.vsk");
}

function check(...dirs) {
  const r = spawnSync(process.execPath, [CHECK, ...dirs], { encoding: "utf8" });
  const lines = r.stdout.split("\n").filter((l) => l && !l.startsWith("gallery check:"));
  return { code: r.status, lines, stderr: r.stderr };
}

const page = (title, body, head = "") => `<!DOCTYPE html>
<html lang="de">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>${title}</title>
<link rel="stylesheet" href="files/stil.css">
${head}</head>
<body>
${body}
</body>
</html>
`;

const CLEAN = {
  "index.html": page("Übersicht", `<main>
<h1>Urlaub &amp; Meer</h1>
<!-- <a href="https://example.org/">commented out</a> -->
<a href="bild_1.html?from=index#oben"><img src="klein/mein%20bild.jpg" srcset="klein/mein%20bild.jpg 1x, gross/bild.jpg 2x" width="160" height="120" alt="Möwe"></a>
<a href="#unten">nach unten</a>
<p id="unten"><a href="https://www.openstreetmap.org/?mlat=43.2&amp;mlon=-4.85#map=15/43.2/-4.85">Karte</a></p>
</main>
<script>const s = '<img src="https://example.org/not-markup.png">';</script>`),
  "bild_1.html": page("Bild 1", `<main><h1 id="oben">Bild 1</h1>
<picture><source srcset="gross/bild.jpg" media="(min-width: 800px)"><img src="klein/mein bild.jpg" width="160" height="120" alt="Möwe"></picture>
<p><a href="index.html">Übersicht</a> <a href="mailto:ich@example.org">Post</a></p></main>`,
  '<style>body { background: url("files/muster.png") }</style>'),
  "files/stil.css": "/* url(fehlt-aber-kommentiert.png) */\nbody { background-image: url(muster.png); }\n@import 'extra.css';\n",
  "files/extra.css": "h1 { color: #333; }\n",
  "files/muster.png": "png",
  "klein/mein bild.jpg": "jpg",
  "gross/bild.jpg": "jpg",
};

test("a clean gallery passes", () => {
  const r = check(gallery("clean", CLEAN));
  assert.deepEqual(r.lines, []);
  assert.equal(r.code, 0);
});

test("a broken link, an external script and an invalid element are each reported", () => {
  const dir = gallery("broken", {
    ...CLEAN,
    "index.html": page("Übersicht", `<main><h1>Urlaub</h1>
<a href="bild_2.html">Bild 2</a>
<galerie>kein HTML-Element</galerie>
</main>`, '<script src="https://cdn.example.com/lightbox.js"></script>\n'),
  });
  const r = check(dir);
  assert.equal(r.code, 1);
  const at = (re) => r.lines.filter((l) => re.test(l));
  assert.equal(at(/^.*index\.html:12: <a href>: missing file bild_2\.html$/).length, 1, r.lines.join("\n"));
  assert.equal(at(/index\.html:8: <script src>: leaves the gallery: https:\/\/cdn\.example\.com\/lightbox\.js$/).length, 1, r.lines.join("\n"));
  assert.ok(at(/index\.html:13: .*galerie.*\[element-name\]$/).length >= 1, r.lines.join("\n"));
  assert.equal(r.lines.length, 3, r.lines.join("\n"));
});

test("an image without its size, or with a size of another shape than its JPEG, is reported", () => {
  // The head of a JPEG of 160×120: SOI, APP0, and the frame header.
  const jpeg = Buffer.from([0xff, 0xd8, 0xff, 0xe0, 0, 4, 0, 0, 0xff, 0xc0, 0, 11, 8, 0, 120, 0, 160, 1, 1, 0x11, 0, 0xff, 0xd9]);
  const dir = gallery("sizes", {
    ...CLEAN,
    "klein/echt.jpg": jpeg,
    "index.html": page("Übersicht", `<main><h1>Urlaub</h1>
<img src="klein/echt.jpg" width="160" height="120" alt="genau">
<img src="klein/echt.jpg" width="80" height="60" alt="halb so groß, gleiche Form">
<img src="klein/echt.jpg" width="120" height="160" alt="hochkant angesagt">
<img src="klein/echt.jpg" alt="ohne Größe">
<img src="klein/echt.jpg" width="100%" height="120" alt="Prozent">
<img src="klein/echt.jpg" width="481" height="360" alt="dreimal so groß, gerundet">
<img src="klein/echt.jpg" width="160.0" height="120" alt="keine ganze Zahl">
</main>`),
  });
  const r = check(dir);
  assert.equal(r.code, 1);
  assert.ok(r.lines.some((l) => /index\.html:13: <img> says 120×160, but klein\/echt\.jpg is 160×120$/.test(l)), r.lines.join("\n"));
  assert.equal(r.lines.filter((l) => /index\.html:(14|15|17): <img> without width and height/.test(l)).length, 3, r.lines.join("\n"));
  // and the validator on its own finds the "100%" and the "160.0"
  assert.equal(r.lines.length, 6, r.lines.join("\n"));
});

test("references leaving the gallery in other ways are reported", () => {
  const dir = gallery("leaks", {
    ...CLEAN,
    "index.html": page("Übersicht", `<main><h1>Urlaub</h1>
<img src="/bilder/a.jpg" width="1" height="1" alt="a">
<img src="//cdn.example.com/b.jpg" width="1" height="1" alt="b">
<img src="../ausserhalb.jpg" width="1" height="1" alt="c">
<img src="https://www.openstreetmap.org/tile.png" width="1" height="1" alt="d">
<img src="klein" width="1" height="1" alt="e">
<img src="" width="1" height="1" alt="f">
<a href="file:///home/ich/bild.jpg">g</a>
<a href="gross/bild.jpg" data-srcset="klein/weg.jpg 100w, gross/bild.jpg 800w">h</a>
<a href="gross/bild.jpg" data-srcset-avif="klein/weg.avif 100w">i</a>
</main>`),
    "files/stil.css": "body { background: url('http://example.org/bg.png'); }\nh1 { background: url(fehlt.png); }\n",
  });
  writeFileSync(join(scratch, "ausserhalb.jpg"), "jpg");
  const r = check(dir);
  assert.equal(r.code, 1);
  const expect = [
    /index\.html:11: <img src>: absolute path \/bilder\/a\.jpg/,
    /index\.html:12: <img src>: leaves the gallery: \/\/cdn\.example\.com\/b\.jpg/,
    /index\.html:13: <img src>: points outside the gallery folder: \.\.\/ausserhalb\.jpg/,
    /index\.html:14: <img src>: leaves the gallery: https:\/\/www\.openstreetmap\.org\/tile\.png/,
    /index\.html:15: <img src>: points to a folder, not a file: klein/,
    /index\.html:16: <img src>: empty reference/,
    /index\.html:17: <a href>: leaves the gallery: file:/,
    /index\.html:18: <a data-srcset>: missing file klein\/weg\.jpg/,
    /index\.html:19: <a data-srcset-avif>: missing file klein\/weg\.avif/,
    /stil\.css:1: CSS url\(\): leaves the gallery: http:\/\/example\.org\/bg\.png/,
    /stil\.css:2: CSS url\(\): missing file fehlt\.png/,
  ];
  for (const re of expect) assert.ok(r.lines.some((l) => re.test(l)), `${re} not in:\n${r.lines.join("\n")}`);
});

test("several folders are checked in one run and a missing folder is a problem", () => {
  const r = check(gallery("clean2", CLEAN), join(scratch, "gibt-es-nicht"));
  assert.equal(r.code, 1);
  assert.deepEqual(r.lines, [`${join(scratch, "gibt-es-nicht")}: gallery folder not found`]);
});

test("no arguments is a usage error", () => {
  assert.equal(check().code, 2);
});

// The start page of a skin's template, with its conditional blocks and placeholders.
const SKIN_INDEX = page("%HTML:GALERIETITEL%", `<main>
<h1>%HTML:GALERIETITEL%</h1>
<ul>
<!--[VTL] NEWSECTION NAME:bild NUMREPEAT:0 -->
<li><a href="%URL:SEITE%"><img src="%URL:THUMB%" width="160" height="120" alt="[VTL] CONDITION(DoesExist(%Titel%)=FALSE)Bild %IMG_NUMBER%[VTL] END CONDITION"[VTL] CONDITION(ISFIRSTIMAGE=FALSE) loading="lazy"[VTL] END CONDITION></a>
<!--[VTL] CONDITION(DoesExist(%ORIGINAL%))--><a href="%URL:ORIGINAL%" download>Original</a><!--[VTL] END CONDITION--></li>
<!--[VTL] ENDSECTION -->
</ul>
</main>`);

// A gallery of that skin whose start page shows PHOTOS ({ file name: how its links write it })
// after EXTRA.
function namedGallery(name, photos, extra = "") {
  const files = { "files/stil.css": "h1 { color: #333; }\n" };
  let items = "";
  for (const [photo, link] of Object.entries(photos)) {
    files[`klein_${photo}`] = "jpg";
    files[photo] = "jpg";
    items += `<li><a href="index.html"><img src="klein_${link}" width="160" height="120" alt="Bild" loading="lazy"></a>
<a href="${link}" download>Original</a></li>\n`;
  }
  files["index.html"] = page("Übersicht", `<main>\n<h1>Übersicht</h1>\n<ul>\n${items}</ul>\n${extra}</main>`);
  return gallery(name, files);
}

test("a gallery whose names are encoded in its links passes the check of its skin", () => {
  const probe = skin("skin-ok", SKIN_INDEX);
  const dir = namedGallery("names-ok", {
    "Urlaub #3 100%.jpg": "Urlaub%20%233%20100%25.jpg",
    "Ölbild ß.jpg": "%C3%96lbild%20%C3%9F.jpg",
    'x" onmouseover="alert(1).jpg': "x%22%20onmouseover%3D%22alert%281%29.jpg",
    "a&b <c>.jpg": "a%26b%20%3Cc%3E.jpg",
  });
  const r = check("--skin", probe, dir);
  assert.deepEqual(r.lines, []);
  assert.equal(r.code, 0);
});

test("a name written raw into a link is a missing file, a broken escape or an attribute the skin does not write", () => {
  const probe = skin("skin-raw", SKIN_INDEX);
  const dir = namedGallery("names-raw", {
    "Urlaub #3 100%.jpg": "Urlaub #3 100%.jpg",
    "100%.jpg": "100%.jpg",
    "Ölbild ß.jpg": "Ölbild ß.jpg", // the browser encodes this one itself
    'x" onmouseover="alert(1).jpg': 'x" onmouseover="alert(1).jpg',
  }, "<p>a&amp;b <c>.jpg</c></p>\n");
  const r = check("--skin", probe, dir);
  assert.equal(r.code, 1);
  const expect = [
    /index\.html:13: <img src>: missing file klein_Urlaub #3 100%\.jpg$/,
    /index\.html:14: <a href>: missing file Urlaub #3 100%\.jpg$/,
    /index\.html:15: <img src>: bad percent-encoding in klein_100%\.jpg$/,
    /index\.html:16: <a href>: bad percent-encoding in 100%\.jpg$/,
    /index\.html:19: <img src>: missing file klein_x$/,
    /index\.html:19: <img onmouseover>: an attribute the skin does not write$/,
    /index\.html:20: <a href>: missing file x$/,
    /index\.html:20: <a onmouseover>: an attribute the skin does not write$/,
    /index\.html:22: <p>: an element the skin does not write$/,
    /index\.html:22: <c>: an element the skin does not write$/,
  ];
  for (const re of expect) assert.equal(r.lines.filter((l) => re.test(l)).length, 1, `${re} once in:\n${r.lines.join("\n")}`);
  assert.ok(!r.lines.some((l) => /index\.html:(1[0-2]|1[78]):/.test(l)), r.lines.join("\n"));
  // Without the skin, the references are still checked, the markup is not.
  const plain = check(dir);
  assert.ok(plain.lines.some((l) => /index\.html:19: <img src>: missing file klein_x$/.test(l)), plain.lines.join("\n"));
  assert.ok(!plain.lines.some((l) => /does not write/.test(l)), plain.lines.join("\n"));
});

test("pages in the skin's files folder add to what the skin writes", () => {
  const probe = skin("skin-files", SKIN_INDEX, { "hilfe.html": '<p><abbr title="Hilfe">H</abbr></p>' });
  const dir = gallery("markup-files", {
    "files/stil.css": "",
    "index.html": page("Übersicht", '<main><h1>Übersicht</h1><p><abbr title="x" lang="en">H</abbr></p></main>'),
  });
  const r = check("--skin", probe, dir);
  assert.deepEqual(r.lines.filter((l) => /does not write/.test(l)), [`${join(dir, "index.html")}:10: <abbr lang>: an attribute the skin does not write`]);
});

test("a skin that cannot be read, or --skin without one, is a usage error", () => {
  assert.equal(check("--skin", join(scratch, "fehlt.vsk"), gallery("clean3", CLEAN)).code, 2);
  assert.equal(check(gallery("clean4", CLEAN), "--skin").code, 2);
});

test("a skin's table rows are split as the program reads them", () => {
  const rows = [
    ['"index.tpl";"index";"index.html";', ["index.tpl", "index", "index.html"]],
    ['"a;b.tpl";"x ""y""";;', ["a;b.tpl", 'x "y"', ""]],
    ["bild.tpl;bild;foto_%old%.html", ["bild.tpl", "bild", "foto_%old%.html"]],
  ];
  for (const [line, cells] of rows) assert.deepEqual(csvCells(line), cells, line);
});

test("a page is told to the template whose name pattern fits it best", () => {
  const probe = gallery("typen", {
    "typen.vsk": "[General]\nStartpage=uebersicht\n[CSV]\nHTMLPatterns=vorlagen.csv\n",
    "vorlagen.csv": '"FILENAME";"NAME";"NEWFILENAME";\n"u.tpl";"uebersicht";"index.html";\n"b.tpl";"bild";"foto_%OLD%.html";\n' +
      '"d.tpl";"daten";"aufnahmedaten.html";\n"r.tpl";"rest";"";\n"s.tpl";"sub";"seiten/%old%";\n',
  });
  const skin = readSkin(join(probe, "typen.vsk"));
  assert.equal(skin.startTemplate, "uebersicht");
  const rows = [
    ["index.html", "uebersicht"], ["index2.html", "uebersicht"], ["index12.html", "uebersicht"],
    ["foto_gebirge.html", "bild"], ["foto_a b #3.html", "bild"], ["aufnahmedaten.html", "daten"],
    ["aufnahmedaten2.html", "daten"], ["gebirge.html", "rest"], ["indexx.html", "rest"],
    ["seiten/gebirge", "sub"], ["seiten/gebirge.html", "sub"], ["andere/gebirge", null],
  ];
  for (const [page, name] of rows) assert.equal(templateOf(skin, page)?.name ?? null, name, page);
});

// A 1×1 PNG
const PNG = Buffer.from("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAQAAAC1HAwCAAAAC0lEQVR42mNkYAAAAAYAAjCB0C8AAAAASUVORK5CYII=", "base64");

test("measure.mjs finds the planted layout flaws", { skip: !existsSync(CHROMIUM) && "no Chromium", timeout: 120000 }, () => {
  const dir = gallery("messprobe", {
    "index.html": `<!DOCTYPE html>
<html lang="de"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1, maximum-scale=1">
<title>Messprobe</title>
<style>body { margin: 0 } .breit { width: 350px; height: 10px }</style>
<script src="viewer.js" defer></script></head>
<body><main><h1>Messprobe</h1>
<div class="breit"></div>
<a href="bild.html" data-lightbox><img src="a.png" width="100" height="100" alt="A"></a>
<p><a href="bild.html">x</a> <a href="original.png" download>Original</a></p>
<img src="ohne-groesse.png" alt="B">
<img src="fehlt.png" width="10" height="10" alt="C">
<div style="height: 2000px"></div>
<img src="tief.png" width="10" height="10" alt="D">
<img src="tief-lazy.png" width="10" height="10" alt="E" loading="lazy">
</main>
<dialog><p>Großansicht</p><button type="button">Schließen</button></dialog>
</body></html>
`,
    "bild.html": `<!DOCTYPE html><html lang="de"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1"><title>Bild</title></head>
<body><main><h1>Bild</h1><img src="a.png" width="100" height="100" alt="A"></main></body></html>
`,
    "viewer.js": "document.querySelector('[data-lightbox]').addEventListener('click', (e) => { e.preventDefault(); document.querySelector('dialog').showModal(); });\n",
    "a.png": PNG, "ohne-groesse.png": PNG, "tief.png": PNG, "tief-lazy.png": PNG, "original.png": PNG,
  });
  const shots = join(scratch, "shots");
  const r = spawnSync(process.execPath, [join(HERE, "measure.mjs"), "--out", shots, "--no-lighthouse", "--chromium", CHROMIUM, dir],
    { encoding: "utf8", timeout: 110000 });
  assert.equal(r.status, 0, r.stderr + r.stdout);
  const [m] = JSON.parse(readFileSync(join(shots, "results.json"), "utf8"));
  const index = m.pages.index;
  assert.deepEqual(index.scroll, { 320: 30, 390: 0, 1440: 0 });
  assert.equal(index.zoomBlocked, true);
  assert.ok(index.smallTargets.some((t) => t.startsWith('<a> "x"')), index.smallTargets.join("; "));
  assert.ok(!index.smallTargets.some((t) => t.startsWith('<a> "A"')), "a link around a 100 px image is big enough");
  assert.deepEqual(index.imagesWithoutSize, ["ohne-groesse.png"]);
  assert.deepEqual(index.belowFoldNotLazy, ["tief.png"]);
  assert.deepEqual(index.failedRequests.map((f) => f.replace(/^.*\//, "")), ["fehlt.png (HTTP 404)"]);
  // the lazy image far down is not part of the first view, on the phone or the wide screen
  assert.equal(index.firstView[390].requests, 6);
  assert.equal(index.firstView[390].scale, 3);
  assert.equal(index.firstView[390].runs.length, 3);
  assert.equal(index.firstView[1440].requests, 6);
  // the viewer's dialog loads nothing more
  assert.equal(m.viewer.firstView[390].requests, 0);
  assert.deepEqual(m.bytes.originals, PNG.length);
  assert.equal(m.bytes.pictures, 4 * PNG.length);
  assert.equal(m.jsFiles, 1);
  assert.equal(m.pages.image.page, "bild.html");
  assert.equal(m.pages.image.zoomBlocked, false);
  assert.equal(m.viewer.selector, "[data-lightbox]");
  assert.equal(m.viewer.status, "opened");
  assert.ok(m.fileUrl.some((p) => p === "image not shown: fehlt.png"), m.fileUrl.join("; "));
  for (const name of ["index-390", "index-1440", "bild-390", "bild-1440", "viewer-390", "viewer-1440"]) {
    assert.ok(existsSync(join(shots, `messprobe-${name}.png`)), `screenshot ${name}`);
  }
});

// A photo page N of three that links to its neighbours, with SCRIPT.
const photoPage = (n, script = "") => `<!DOCTYPE html><html lang="de"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1"><title>Bild ${n}</title>${script}</head>
<body><main><h1>Bild ${n}</h1><img src="a.png" width="300" height="300" alt="A">
${n > 1 ? `<a rel="prev" href="bild${n - 1}.html" data-taste="ArrowLeft">zurück</a>` : ""} <a href="index.html" data-taste="Escape">Übersicht</a>
${n < 3 ? `<a rel="next" href="bild${n + 1}.html" data-taste="ArrowRight">weiter</a>` : ""}</main></body></html>
`;
// Keys and swipes follow the links marked data-taste, as the shipped skins do.
const FOLLOW_JS = `<style>html { overscroll-behavior-x: none }</style><script>
const go = (k) => { const a = document.querySelector('a[data-taste="' + k + '"]'); if (a) location.href = a.href; };
document.addEventListener("keydown", (e) => go(e.key));
let x = null;
document.addEventListener("touchstart", (e) => { x = e.touches[0].clientX; }, { passive: true });
document.addEventListener("touchend", (e) => { const dx = e.changedTouches[0].clientX - x; if (Math.abs(dx) > 60) go(dx < 0 ? "ArrowRight" : "ArrowLeft"); }, { passive: true });
</script>`;
// A start page whose two thumbnails open a viewer over it (GUARDED: it keeps a swipe at the edge
// from becoming the browser's "back").
const viewerStart = (guarded) => `<!DOCTYPE html><html lang="de"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1"><title>Start</title>
<script src="viewer.js" defer></script>${guarded ? "<style>html { overscroll-behavior-x: none }</style>" : ""}</head>
<body><main><h1>Start</h1><a class="foto" href="a.jpg"><img src="a.jpg" width="100" height="100" alt="A"></a>
<a class="foto" href="b.jpg"><img src="b.jpg" width="100" height="100" alt="B"></a> <a href="bild1.html">Bild 1</a></main>
<div role="dialog" aria-label="Bild groß" hidden style="position: fixed; inset: 0; background: #000"><img alt=""></div></body></html>
`;
const VIEWER_JS = `const links = [...document.querySelectorAll("a.foto")], box = document.querySelector("[role=dialog]");
let at = -1;
const show = (i) => { if (i < 0 || i >= links.length) return; at = i; box.querySelector("img").src = links[i].href; box.hidden = false; };
links.forEach((a, i) => a.addEventListener("click", (e) => { e.preventDefault(); show(i); }));
document.addEventListener("keydown", (e) => { if (at < 0) return; if (e.key === "ArrowRight") show(at + 1); if (e.key === "ArrowLeft") show(at - 1); if (e.key === "Escape") { box.hidden = true; at = -1; } });
let x = null;
box.addEventListener("touchstart", (e) => { x = e.touches[0].clientX; }, { passive: true });
box.addEventListener("touchend", (e) => { const dx = e.changedTouches[0].clientX - x; if (Math.abs(dx) > 60) show(at + (dx < 0 ? 1 : -1)); }, { passive: true });
`;

function behaviour(...dirs) {
  const r = spawnSync(process.execPath, [join(HERE, "behaviour.mjs"), "--chromium", CHROMIUM, ...dirs], { encoding: "utf8", timeout: 170000 });
  return { code: r.status, lines: r.stdout.split("\n").filter((l) => l && !l.startsWith("behaviour check:")), stderr: r.stderr };
}

test("behaviour.mjs passes pages and a viewer that answer keys and swipes, and reports those that do not", { skip: !existsSync(CHROMIUM) && "no Chromium", timeout: 180000 }, () => {
  const made = (name, guarded, script) => gallery(name, {
    "index.html": viewerStart(guarded), "viewer.js": VIEWER_JS, "a.png": PNG, "a.jpg": PNG, "b.jpg": PNG,
    ...Object.fromEntries([1, 2, 3].map((n) => [`bild${n}.html`, photoPage(n, script)])),
  });
  const good = made("verhalten-gut", true, FOLLOW_JS);
  const bad = made("verhalten-schlecht", false, "");
  const r = behaviour(good, bad);
  assert.equal(r.code, 1, r.stderr + r.stdout);
  assert.deepEqual(r.lines.filter((l) => l.startsWith(good)), []);
  const expect = [
    /a swipe to the right in the viewer leaves the page for .*index\.html\?vorher$/,
    /a swipe to the left on bild2\.html does not lead to bild3\.html/,
    /a swipe to the right on bild2\.html does not lead to bild1\.html/,
    /ArrowRight on bild2\.html does not lead to bild3\.html/,
    /ArrowLeft on bild2\.html does not lead to bild1\.html/,
    /Escape on bild2\.html does not lead to index\.html/,
  ];
  const found = r.lines.filter((l) => l.startsWith(bad));
  for (const re of expect) assert.equal(found.filter((l) => re.test(l)).length, 1, `${re} once in:\n${found.join("\n")}`);
  assert.equal(found.length, expect.length, found.join("\n"));
});
