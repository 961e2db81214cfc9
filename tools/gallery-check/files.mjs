// File helpers shared by check.mjs and measure.mjs.
import { readdirSync } from "node:fs";
import { join } from "node:path";

// All files below DIR (paths joined onto DIR), sorted so reports come out in a stable order.
export function walk(dir) {
  const found = [];
  const visit = (d) => {
    const entries = readdirSync(d, { withFileTypes: true });
    entries.sort((a, b) => (a.name < b.name ? -1 : a.name > b.name ? 1 : 0));
    for (const e of entries) {
      const p = join(d, e.name);
      if (e.isDirectory()) visit(p);
      else if (e.isFile()) found.push(p);
    }
  };
  visit(dir);
  return found;
}

export const isHtml = (p) => /\.html?$/i.test(p);
export const isCss = (p) => /\.css$/i.test(p);
export const isJs = (p) => /\.m?js$/i.test(p);
