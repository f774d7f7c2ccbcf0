#!/usr/bin/env python3
"""Checks that the layers depend one way, the include graph has no cycle and
no shipped part compiles test code.

Layers, lowest first: platform (its interfaces, and the portable and Win32
implementations), the core (cleaner/), the dialog's form logic (dialog/), the
dialog's views (dialog/win32, dialog/portable), the plug-in, the tools (each
over the layers it needs: the command line over the core, never the dialog),
then the test support, benchmarks and fuzz targets, and last the tests. A
file may include headers of its own layer and of the layers its layer lists
only; the core and the form logic see the platform's interfaces, never its
implementations; only the Win32 layers, the Windows tools and programs, the
test support and the Windows tests include a Windows header. The build files
of the product and the tools name no source or library of the tests.

    check-layers.py [REPO]      prints each violation; exit 1 if there is one
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
SOURCES = (".h", ".cpp", ".def")
TOPS = ("platform", "cleaner", "dialog", "plugin", "tools", "tests", "bench", "fuzz")

PRODUCT = {
    "platform": {"platform"},
    "platform/portable": {"platform", "platform/portable"},
    "platform/win32": {"platform", "platform/win32"},
    "cleaner": {"platform", "cleaner"},
    "dialog": {"platform", "cleaner", "dialog"},
    "dialog/portable": {"platform", "cleaner", "dialog", "dialog/portable"},
    "dialog/win32": {"platform", "platform/win32", "cleaner", "dialog", "dialog/win32"},
    "plugin": {"platform", "cleaner", "dialog", "plugin"},
}
TOOLS = {
    "tools/ienorvane": {"platform", "cleaner", "tools/ienorvane"},
    "tools/plughost": {"plugin", "tools/plughost"},
    "tools/seedcache": {"platform", "platform/win32", "tools/seedcache"},
}
# Everything the test code may build on.
BELOW_TESTS = set(PRODUCT) | set(TOOLS)
TEST_CODE = {
    "tests/support": BELOW_TESTS,
    "bench": BELOW_TESTS | {"tests/support"},
    "bench/wine": BELOW_TESTS | {"tests/support"},
    "fuzz": BELOW_TESTS | {"tests/support"},
}
EVERYTHING = BELOW_TESTS | set(TEST_CODE)
TESTS = {name: EVERYTHING for name in ("tests/unit", "tests/wine", "tests/gui")}
# Folder -> the folders whose headers it may include (its own always).
ALLOWED = {**PRODUCT, **TOOLS, **TEST_CODE, **TESTS}

# Where the system's Windows headers may be included: folders, and single
# files of portable folders (a program's wiring to the system).
WINDOWS_ALLOWED = {"platform/win32", "dialog/win32", "tools/plughost", "tools/seedcache",
                   "bench/wine", "tests/support", "tests/wine", "tests/gui"}
WINDOWS_ALLOWED_FILES = {"tools/ienorvane/main.cpp"}
WINDOWS_HEADERS = re.compile(
    r"^(windows|winbase|wininet|winuser|wingdi|commctrl|objbase|ole2|unknwn|urlhist|"
    r"shlobj|shellapi|io|direct|process|winver|winnls|windef|tlhelp32)\.h$",
    re.I,
)
# A build file that names a test folder's path or a test support library.
TEST_CODE_IN_BUILD = re.compile(r"(tests/(?:support|unit|wine|gui)\b[^\s)]*|\bnv_\w*support\b)")
SHIPPED = tuple(PRODUCT) + ("tools",) + tuple(TOOLS)


def layer_of(repo, path):
    """The layer of a file: its folder's, or the nearest enclosing one's."""
    folder = path.parent.relative_to(repo).as_posix()
    while folder not in ALLOWED and "/" in folder:
        folder = folder.rsplit("/", 1)[0]
    return folder if folder in ALLOWED else None


def may_include_windows(repo, path, layer):
    return layer in WINDOWS_ALLOWED or path.relative_to(repo).as_posix() in WINDOWS_ALLOWED_FILES


def build_problems(repo):
    """Build files of the product and the tools that compile or link test code."""
    problems = []
    for folder in SHIPPED:
        for build in sorted((repo / folder).glob("*")):
            if build.name != "CMakeLists.txt" and build.suffix != ".cmake":
                continue
            text = re.sub(r"#.*", "", build.read_text(errors="replace"))
            for match in sorted(set(TEST_CODE_IN_BUILD.findall(text))):
                problems.append(f"{build.relative_to(repo)}: a shipped part builds with test "
                                f"code ({match})")
    return problems


def main():
    repo = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    files = [p for top in TOPS for p in (repo / top).rglob("*") if p.suffix in SOURCES]
    by_name = {}
    for path in files:
        by_name.setdefault(path.name, []).append(path)

    problems = build_problems(repo)
    graph = {}
    for path in files:
        text = path.read_text(errors="replace")
        layer = layer_of(repo, path)
        edges = []
        for kind, name in INCLUDE.findall(text):
            base = pathlib.PurePosixPath(name).name
            if kind == "<" or base not in by_name:
                if layer and not may_include_windows(repo, path, layer) and WINDOWS_HEADERS.match(base):
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
