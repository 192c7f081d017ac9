#!/usr/bin/python3
"""Checks every #include "..." of the sources against the folder rules of docs/DESIGN.md.

Usage: check_includes.py REPOSITORY_ROOT

The rules are the tables under the section "Which folder may include which": one row per folder,
the folder in the first cell and the folders it may include in the second, each in backticks;
`emulator/*` stands for the emulator's top files and every folder under it.  A folder may always
include itself.  tests/, bench/ and fuzz/ may include anything.  Fails, naming file and line, on an
include the rules do not allow, on a source in a folder without a row, and on a circle among the
folders, in the rules or in the includes.
"""
import os
import re
import sys

SECTION = "## Which folder may include which"
UNCHECKED = {"tests", "bench", "fuzz"}
SKIPPED = {".git", "build", "docs", "cmake", "scripts", "samples", "packaging"}
SOURCE = re.compile(r"\.(h|hpp|c|cc|cpp|rc|rc\.in)$")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def read_rules(design):
    rules = {}
    in_section = False
    with open(design, encoding="utf-8") as text:
        for number, line in enumerate(text, 1):
            if line.startswith("## "):
                in_section = line.strip() == SECTION
                continue
            if not in_section or not line.startswith("|"):
                continue
            cells = line.strip().strip("|").split("|")
            if len(cells) < 2:
                continue
            names = re.findall(r"`([^`]+)`", cells[0])
            if len(names) != 1:
                continue
            if names[0] in rules:
                sys.exit(f"{design}:{number}: a second row for {names[0]}")
            rules[names[0]] = (set(re.findall(r"`([^`]+)`", cells[1])), number)
    if not rules:
        sys.exit(f"{design}: no rules under \"{SECTION}\"")
    return rules


def folder_of(path):
    """The folder a repository path belongs to: emulator/ and tools/ count per subfolder."""
    parts = path.split("/")
    if len(parts) < 2:
        return None
    if parts[0] in ("emulator", "tools") and len(parts) > 2:
        return parts[0] + "/" + parts[1]
    return parts[0]


def allows(allowed, target):
    return any(a == target or (a.endswith("/*") and (target == a[:-2] or target.startswith(a[:-1])))
               for a in allowed)


def resolve(root, source, name):
    """The repository path an include names, as the compiler finds it: beside the including file
    first, then from the repository's root (the one include folder of the build)."""
    for base in (os.path.dirname(source), ""):
        candidate = os.path.normpath(os.path.join(base, name))
        if not candidate.startswith("..") and os.path.isfile(os.path.join(root, candidate)):
            return candidate.replace(os.sep, "/")
    return None


def sources(root):
    for folder, dirs, files in os.walk(root):
        relative = os.path.relpath(folder, root)
        top = relative.split(os.sep)[0]
        if top in SKIPPED or top in UNCHECKED:
            dirs[:] = []
            continue
        dirs.sort()
        for f in sorted(files):
            if SOURCE.search(f) and relative != ".":
                yield os.path.join(relative, f).replace(os.sep, "/")


def find_circle(edges):
    """A circle in a graph {node: {next: witness}}, as a list of nodes, or None."""
    state = {}
    path = []

    def visit(node):
        state[node] = "open"
        path.append(node)
        for nxt in sorted(edges.get(node, {})):
            if state.get(nxt) == "open":
                return path[path.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt)
                if found:
                    return found
        state[node] = "done"
        path.pop()
        return None

    for node in sorted(edges):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    root = sys.argv[1]
    design = os.path.join(root, "docs", "DESIGN.md")
    rules = read_rules(design)
    failures = []

    allowed_graph = {}
    for folder, (allowed, _) in rules.items():
        for a in allowed:
            targets = [r for r in rules if allows({a}, r)] if a.endswith("/*") else [a]
            for t in targets:
                if t != folder:
                    allowed_graph.setdefault(folder, {})[t] = None
    circle = find_circle(allowed_graph)
    if circle:
        failures.append(f"{design}:{rules[circle[0]][1]}: the rules allow a circle: " + " -> ".join(circle))

    graph = {}
    for path in sources(root):
        source_folder = folder_of(path)
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as text:
            for number, line in enumerate(text, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                target = resolve(root, path, match.group(1))
                if target is None:
                    continue  # not the repository's: the C runtime's, Windows', the vendor SDK's
                target_folder = folder_of(target)
                if target_folder == source_folder:
                    continue
                where = f"{path}:{number}"
                graph.setdefault(source_folder, {}).setdefault(target_folder, where)
                if source_folder not in rules:
                    failures.append(f"{where}: {source_folder}/ has no row in {design}; it includes {target}")
                elif not allows(rules[source_folder][0], target_folder):
                    failures.append(f"{where}: {source_folder}/ may not include {target_folder}/ ({target})")
    # Each circle once: after naming one, its last step is left out and the next one looked for.
    while True:
        circle = find_circle(graph)
        if not circle:
            break
        steps = [f"{a} -> {b} ({graph[a][b]})" for a, b in zip(circle, circle[1:])]
        failures.append("the includes go round in a circle: " + ", ".join(steps))
        del graph[circle[-2]][circle[-1]]

    for failure in failures:
        print(failure, file=sys.stderr)
    if failures:
        print(f"{len(failures)} problem(s); the rules are in {design}, \"{SECTION[3:]}\"", file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
