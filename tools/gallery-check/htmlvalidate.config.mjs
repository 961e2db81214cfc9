// html-validate settings for generated galleries: the recommended preset, with only those rules
// turned off that judge how the markup is spelled rather than whether it is valid HTML. A skin's
// author chooses the spelling; these rules would only add noise to the report.
export default {
  root: true,
  extends: ["html-validate:recommended"],
  rules: {
    // Upper or lower case in tag and attribute names means the same in HTML.
    "attr-case": "off",
    "element-case": "off",
    // Single, double or no quotes around attribute values are all valid.
    "attr-quotes": "off",
    // `hidden` and `hidden=""` (or `alt=""` and `alt`) are the same.
    "attribute-boolean-style": "off",
    "attribute-empty-style": "off",
    // `<!DOCTYPE html>` and `<!doctype html>` are the same.
    "doctype-style": "off",
    // `<br>` and `<br/>` are the same (a self-closing non-void element stays an error: that
    // is "no-self-closing", which stays on).
    "void-style": "off",
    // Whitespace at the end of a line comes from template layout and changes nothing.
    "no-trailing-whitespace": "off",
    // style attributes are valid; skins use them for the colours the user picks.
    "no-inline-style": "off",
    // The parser adds <tbody> by itself.
    "prefer-tbody": "off",
    // A long <title> is a search-engine preference; titles come from the user's gallery name.
    "long-title": "off",
    // HTML allows any id without whitespace; the strict mode only wants CSS-friendly names.
    "valid-id": ["error", { relaxed: true }],
  },
};
