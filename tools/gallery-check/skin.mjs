// What the gallery checks read of a skin: its template table (which template makes which
// pages, under which names) and which of them makes the start page. Shared by check.mjs and
// measure.mjs.
import { readFileSync } from "node:fs";
import { dirname, join, resolve } from "node:path";

// The cells of one row of a skin's CSV table: fields separated by ";", each either in double
// quotes (a doubled quote stands for one) or bare.
export function csvCells(line) {
  const cells = [];
  let i = 0;
  while (i < line.length) {
    if (line[i] === '"') {
      let cell = "";
      i++;
      while (i < line.length) {
        if (line[i] === '"' && line[i + 1] === '"') { cell += '"'; i += 2; }
        else if (line[i] === '"') { i++; break; }
        else cell += line[i++];
      }
      cells.push(cell);
      while (i < line.length && line[i] !== ";") i++;
    } else {
      const end = line.indexOf(";", i);
      cells.push(line.slice(i, end < 0 ? line.length : end).trim());
      i = end < 0 ? line.length : end;
    }
    i++; // the ";"
  }
  return cells;
}

// A key's value in the skin file (an INI file), or undefined.
function iniValue(ini, key) {
  return new RegExp(`^[ \\t]*${key}[ \\t]*=[ \\t]*(.*?)[ \\t]*$`, "im").exec(ini)?.[1];
}

const escapeRegExp = (s) => s.replace(/[.*+?^${}()|[\]\\]/g, "\\$&");

// The names a template's pages get from its NEWFILENAME pattern: "%old%" stands for any photo's
// name, and a page that finds its name taken gets a number before the extension.
export function pagePattern(newFileName) {
  const pattern = newFileName === "" ? "%old%.html" : newFileName;
  const dot = pattern.lastIndexOf(".");
  const [stem, ext] = dot > pattern.lastIndexOf("/") ? [pattern.slice(0, dot), pattern.slice(dot)] : [pattern, ""];
  const part = (s) => s.split(/%old%/i).map(escapeRegExp).join(".+");
  return {
    regex: new RegExp(`^${part(stem)}(?:\\d+)?${part(ext)}$`, "i"),
    // how much of a name the pattern fixes: the more, the surer a match
    literal: pattern.replace(/%old%/gi, "").length,
  };
}

// The skin SKINFILE: { dir, startTemplate, templates: [{ file, name, newFileName, regex, literal }] }.
export function readSkin(skinFile) {
  const dir = dirname(resolve(skinFile));
  const ini = readFileSync(skinFile, "utf8");
  const table = iniValue(ini, "HTMLPatterns");
  if (!table) throw new Error(`${skinFile}: no HTMLPatterns table`);
  const templates = [];
  for (const line of readFileSync(join(dir, table), "utf8").split(/\r?\n/).slice(1)) {
    const [file = "", name = "", newFileName = ""] = csvCells(line);
    if (file) templates.push({ file, name, newFileName, ...pagePattern(newFileName) });
  }
  return { dir, startTemplate: iniValue(ini, "Startpage") ?? "", templates };
}

// The template of SKIN that made the page at gallery path PAGE ("a/b.html"), or null: of the
// templates whose names fit, the one whose pattern fixes most of the name.
export function templateOf(skin, page) {
  let best = null;
  for (const t of skin.templates) {
    if (t.regex.test(page) && (!best || t.literal > best.literal)) best = t;
  }
  return best;
}
