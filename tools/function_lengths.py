#!/usr/bin/env python3
"""Lists the long functions and the large source files of the tree.

    tools/function_lengths.py [--max-function 60] [--max-file 600] [--top 10] [PATH...]

PATH defaults to src/ (folders are searched for .h, .hpp, .cpp and .cc files). Prints every
function longer than --max-function lines as "file:line function length", longest first, then
the --top largest files as "file lines" and every file over --max-file lines. A function's
length runs from the first line of its head (return type, name, parameters, initializer list)
to its closing brace, both included; lambdas and local classes count with the function that
holds them. A table, a function whose body is one return of a braced initializer (data only,
such as a command table), is listed apart and not held to the limit. The exit status is 1 when
a function or a file is over its limit, so a script can check the tree.

The scanner is a careful brace counter, not a compiler: comments, string, character and raw
string literals and preprocessor lines are blanked first (line numbers stay), then every "{" is
classed by the text before it: a namespace or linkage block, a class body, an initializer, or
a function body (a head ending in ")" and qualifiers, a trailing return type, or a
constructor's initializer list).
"""

import argparse
import os
import re
import sys

SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")
CONTROL_KEYWORDS = {"if", "for", "while", "switch", "catch", "do", "else", "try", "return"}
QUALIFIERS = {"const", "override", "final", "noexcept", "mutable", "volatile", "&", "&&",
              "constexpr", "try"}


def blank_code(text):
    """The text with comments, literals and preprocessor lines replaced by blanks."""
    out = []
    i = 0
    n = len(text)
    at_line_start = True
    number_token = False
    while i < n:
        c = text[i]
        if at_line_start and c == "#":
            # A preprocessor line, with its continuation lines.
            while i < n and text[i] != "\n":
                if text[i] == "\\" and i + 1 < n and text[i + 1] == "\n":
                    out.append(" \n")
                    i += 2
                    continue
                out.append(" ")
                i += 1
            continue
        if c == "\n":
            out.append(c)
            i += 1
            at_line_start = True
            number_token = False
            continue
        if c in " \t\r":
            out.append(c)
            i += 1
            continue
        at_line_start = False
        if text.startswith("//", i):
            while i < n and text[i] != "\n":
                out.append(" ")
                i += 1
            continue
        if text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append(re.sub(r"[^\n]", " ", text[i:end]))
            i = end
            continue
        raw = re.match(r'(?:u8|u|U|L)?R"([^ ()\\\t\n]{0,16})\(', text[i:i + 24])
        if raw and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            closing = ")" + raw.group(1) + '"'
            end = text.find(closing, i + raw.end())
            end = n if end < 0 else end + len(closing)
            out.append('"' + re.sub(r"[^\n]", " ", text[i + 1:end - 1]) + '"')
            i = end
            continue
        if c == "'" and number_token:
            out.append(" ")  # a digit separator: 1'000'000
            i += 1
            continue
        if c in "\"'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j = min(j + 1, n)
            out.append(c + re.sub(r"[^\n]", " ", text[i + 1:j - 1]) + c)
            i = j
            continue
        if c.isalnum() or c == "_":
            if not number_token and c.isdigit() and (i == 0 or not (text[i - 1].isalnum() or
                                                                   text[i - 1] == "_")):
                number_token = True
        else:
            number_token = False
        out.append(c)
        i += 1
    return "".join(out)


def depth_zero(head):
    """`head` with the insides of its outermost parentheses blanked (same length)."""
    depth = 0
    chars = []
    for c in head:
        if c == ")":
            depth = max(depth - 1, 0)
        chars.append(c if depth == 0 or (c == "(" and depth == 0) else " ")
        if c == "(":
            depth += 1
    return "".join(chars)


def classify(head):
    """What a "{" after `head` opens: namespace, class, init, function, or block."""
    stripped = head.strip()
    if not stripped:
        return "block"
    top = depth_zero(stripped)
    words = re.findall(r"[A-Za-z_]\w*", top)
    if words and words[0] in ("namespace", "inline") and "namespace" in words[:2]:
        return "namespace"
    if words[:1] == ["extern"] and '"' in top:
        return "namespace"
    if re.search(r"\b(class|struct|union|enum)\b", top) and not stripped.endswith(")"):
        return "class"
    if re.search(r"(^|[^=!<>])=($|[^=])", top) or stripped.endswith(("=", ",", "(", "return")):
        return "init"
    if words and words[0] in CONTROL_KEYWORDS:
        return "block"
    if "(" not in stripped:
        return "init"  # a braced initializer of a variable or member
    return "function"


def function_name(head):
    """The name of the function whose head is `head`."""
    top = depth_zero(head)
    test = re.match(r"\s*(TEST|TEST_F|TEST_P|TYPED_TEST)\s*\(([^)]*)\)", head)
    if test:
        return ".".join(part.strip() for part in test.group(2).split(","))
    operator = re.search(r"((?:[\w:~]+::)?operator\s*(?:\(\)|[^\s(]+))\s*\(", head)
    if operator:
        return re.sub(r"\s+", "", operator.group(1))
    first_paren = head.find("(")
    while first_paren >= 0 and top[first_paren] != "(":
        first_paren = head.find("(", first_paren + 1)
    before = head[:first_paren] if first_paren >= 0 else head
    name = re.search(r"([\w:~]+(?:<[^<>]*>)?(?:::[\w~]+)*)\s*$", before)
    if name:
        return name.group(1)
    return "?"


def is_function_body(head_tokens_text):
    """Whether a "{" closes a function head (and is not a brace initializer in an init list)."""
    tail = head_tokens_text.rstrip()
    if not tail:
        return False
    if tail.endswith(")") or tail.endswith("}"):
        return True
    last_word = re.search(r"([\w&]+)\s*$", tail)
    if last_word and last_word.group(1) in QUALIFIERS:
        return True
    # A trailing return type: "-> std::string {".
    return bool(re.search(r"->\s*[\w:<>,\s*&]+$", tail))


def is_table(body):
    """Whether a function body (blanked, without its braces) is one return of braced data."""
    text = body.strip()
    match = re.match(r"return\s+(?:[\w:<>]+\s*)?\{", text)
    if not match:
        return False
    depth = 0
    for position in range(match.end() - 1, len(text)):
        c = text[position]
        if c in "{(":
            depth += 1
        elif c in "})":
            depth -= 1
            if depth == 0 and c == "}":
                return text[position + 1:].strip() == ";"
    return False


def scan(path):
    """The functions of a file as (line, name, length, is a table)."""
    with open(path, encoding="utf-8", errors="replace") as source:
        code = blank_code(source.read())
    functions = []
    # Scopes: (kind, start line, name); heads are collected per outer scope.
    stack = []
    head = []
    head_line = None
    line = 1
    i = 0
    n = len(code)
    in_function = 0  # nesting depth inside a function body
    init_depth = 0   # braces of a braced initializer or an init-list member outside functions
    while i < n:
        c = code[i]
        if c == "\n":
            line += 1
            if not in_function and not init_depth:
                head.append(" ")
            i += 1
            continue
        if in_function:
            if c == "{":
                in_function += 1
            elif c == "}":
                in_function -= 1
                if in_function == 0:
                    kind, start, name, body_at = stack.pop()
                    functions.append((start, name, line - start + 1, is_table(code[body_at:i])))
                    head, head_line = [], None
            i += 1
            continue
        if init_depth:
            if c == "{":
                init_depth += 1
            elif c == "}":
                init_depth -= 1
            head.append(c)
            i += 1
            continue
        if c.isspace():
            head.append(c)
            i += 1
            continue
        if head_line is None and c not in ";}":
            head_line = line
        if c == ";":
            head, head_line = [], None
        elif c == "}":
            if stack:
                stack.pop()
            head, head_line = [], None
        elif c == ":" and re.search(r"\b(public|private|protected|signals|slots)\s*$",
                                    "".join(head)) and not code.startswith("::", i):
            head, head_line = [], None
        elif c == "{":
            text = "".join(head)
            if text.count("(") > text.count(")"):
                init_depth = 1  # a lambda or braced value inside an argument list
                head.append(c)
                i += 1
                continue
            kind = classify(text)
            constructor = re.search(r"\)\s*(noexcept\s*)?:(?!:)", text)
            if kind == "function" or (constructor and kind != "class"):
                if constructor and not is_function_body(text):
                    init_depth = 1  # a member's braced initializer: b_{2}
                    head.append(c)
                    i += 1
                    continue
                stack.append(("function", head_line or line, function_name(text), i + 1))
                in_function = 1
            elif kind in ("namespace", "class"):
                stack.append((kind, line, "", i + 1))
                head, head_line = [], None
            else:
                init_depth = 1  # an initializer or a block outside functions: skipped whole
                head.append(c)
        else:
            head.append(c)
        i += 1
    return functions


def source_files(paths):
    for path in paths:
        if os.path.isfile(path):
            yield path
            continue
        for folder, subfolders, files in os.walk(path):
            subfolders[:] = sorted(d for d in subfolders if d not in ("node_modules", "build"))
            for name in sorted(files):
                if name.endswith(SOURCE_SUFFIXES):
                    yield os.path.join(folder, name)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("paths", nargs="*", default=["src"])
    parser.add_argument("--max-function", type=int, default=60)
    parser.add_argument("--max-file", type=int, default=600)
    parser.add_argument("--top", type=int, default=10)
    args = parser.parse_args()

    long_functions = []
    long_tables = []
    sizes = []
    for path in source_files(args.paths):
        with open(path, encoding="utf-8", errors="replace") as source:
            sizes.append((sum(1 for _ in source), path))
        for start, name, length, table in scan(path):
            if length > args.max_function:
                (long_tables if table else long_functions).append((length, path, start, name))

    long_functions.sort(key=lambda f: (-f[0], f[1], f[2]))
    print(f"Functions over {args.max_function} lines: {len(long_functions)}")
    for length, path, start, name in long_functions:
        print(f"{path}:{start} {name} {length}")
    if long_tables:
        long_tables.sort(key=lambda f: (-f[0], f[1], f[2]))
        print(f"Tables over {args.max_function} lines (data only, not held to the limit): "
              f"{len(long_tables)}")
        for length, path, start, name in long_tables:
            print(f"{path}:{start} {name} {length}")
    sizes.sort(key=lambda s: (-s[0], s[1]))
    large = [s for s in sizes if s[0] > args.max_file]
    print(f"Files over {args.max_file} lines: {len(large)}")
    for lines, path in large:
        print(f"{path} {lines}")
    print(f"Largest {args.top} files:")
    for lines, path in sizes[:args.top]:
        print(f"{path} {lines}")
    return 1 if long_functions or large else 0


if __name__ == "__main__":
    sys.exit(main())
