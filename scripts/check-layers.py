#!/usr/bin/env python3
"""Checks that the layers depend one way and the include graph has no cycle.

Layers, lowest first: platform (its interfaces, and the portable and Win32
implementations), the core (cleaner/), the dialog's form logic (dialog/), the
dialog's views (dialog/win32, dialog/portable), then the plug-in, the tools and
the tests. A file may include headers of its own layer and of the layers below
it only; the core and the form logic see the platform's interfaces, never its
implementations, and no file outside platform/win32 and dialog/win32 (or the
plug-in, tools and tests of the Windows build) includes a Windows header.

    check-layers.py [REPO]      prints each violation; exit 1 if there is one
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
SOURCES = (".h", ".cpp")

# Folder -> the folders whose headers it may include (its own always).
ALLOWED = {
    "platform": {"platform"},
    "platform/portable": {"platform", "platform/portable"},
    "platform/win32": {"platform", "platform/win32"},
    "cleaner": {"platform", "cleaner"},
    "dialog": {"platform", "cleaner", "dialog"},
    "dialog/portable": {"platform", "cleaner", "dialog", "dialog/portable"},
    "dialog/win32": {"platform", "platform/win32", "cleaner", "dialog", "dialog/win32"},
}
# Folders whose files may include the system's Windows headers.
WINDOWS_ALLOWED = {"platform/win32", "dialog/win32"}
WINDOWS_HEADERS = re.compile(
    r"^(windows|winbase|wininet|winuser|wingdi|commctrl|objbase|ole2|unknwn|urlhist|"
    r"shlobj|shellapi|io|direct|process|winver|winnls|windef)\.h$",
    re.I,
)


def layer_of(repo, path):
    folder = path.parent.relative_to(repo).as_posix()
    return folder if folder in ALLOWED else None


def main():
    repo = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    files = [p for top in ("platform", "cleaner", "dialog", "plugin", "tools", "tests", "bench",
                           "fuzz")
             for p in (repo / top).rglob("*") if p.suffix in SOURCES]
    by_name = {}
    for path in files:
        by_name.setdefault(path.name, []).append(path)

    problems = []
    graph = {}
    for path in files:
        text = path.read_text(errors="replace")
        layer = layer_of(repo, path)
        edges = []
        for kind, name in INCLUDE.findall(text):
            base = pathlib.PurePosixPath(name).name
            if kind == "<" or base not in by_name:
                if layer and layer not in WINDOWS_ALLOWED and WINDOWS_HEADERS.match(base):
                    problems.append(f"{path.relative_to(repo)}: includes the Windows header <{name}>")
                continue
            # A quoted include names the project header of that name nearest
            # to the includer: its own folder first.
            candidates = by_name[base]
            target = next((c for c in candidates if c.parent == path.parent), candidates[0])
            edges.append(target)
            target_layer = layer_of(repo, target)
            if layer and target_layer and target_layer not in ALLOWED[layer] | {layer}:
                problems.append(
                    f"{path.relative_to(repo)}: the {layer} layer includes "
                    f"{target.relative_to(repo)} of the {target_layer} layer")
            elif layer and not target_layer:
                problems.append(
                    f"{path.relative_to(repo)}: the {layer} layer includes "
                    f"{target.relative_to(repo)}, which lies above every layer")
        graph[path] = edges

    # Cycles: a depth-first search that meets a file still on its path.
    state = {}
    def visit(node, trail):
        state[node] = "open"
        for nxt in graph.get(node, []):
            if state.get(nxt) == "open":
                loop = trail[trail.index(nxt):] + [nxt]
                problems.append("include cycle: " + " -> ".join(
                    str(p.relative_to(repo)) for p in loop))
            elif nxt not in state:
                visit(nxt, trail + [nxt])
        state[node] = "done"
    for path in files:
        if path not in state:
            visit(path, [path])

    for problem in problems:
        print(problem)
    print(f"check-layers: {len(files)} files, {len(problems)} problem(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
