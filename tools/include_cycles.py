#!/usr/bin/env python3
"""Finds include cycles between the units of the checked folders.

A unit is a header with its source file (graph_pipeline.h and .cpp). Unit A
uses unit B when a file of A includes B's header; a cycle is a set of units
that use each other round. Includes are resolved the way the build's include
folders do: first beside the including file, then by the name anywhere in
the product folders.

Usage: include_cycles.py [SOURCE_ROOT] [FOLDER ...]
Exit status 0 when the folders are free of cycles, 1 with the cycles listed.
"""
import os
import re
import sys

PRODUCT_FOLDERS = ["formats", "engine", "graphics", "document", "win32", "shell", "resources"]
CHECKED_FOLDERS = ["graphics", "document", "shell"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
SOURCE_SUFFIXES = (".h", ".cpp", ".inc")


def product_files(root):
    for folder in PRODUCT_FOLDERS:
        for dirpath, _, names in os.walk(os.path.join(root, folder)):
            for name in names:
                if name.endswith(SOURCE_SUFFIXES):
                    yield os.path.relpath(os.path.join(dirpath, name), root)


def unit_of(path):
    return os.path.splitext(path)[0]


def resolve(root, including, name, by_name):
    beside = os.path.normpath(os.path.join(os.path.dirname(including), name))
    if os.path.exists(os.path.join(root, beside)):
        return beside
    candidates = by_name.get(os.path.basename(name), [])
    return candidates[0] if len(candidates) == 1 else None


def unit_graph(root, checked):
    files = sorted(product_files(root))
    by_name = {}
    for f in files:
        by_name.setdefault(os.path.basename(f), []).append(f)
    graph = {}
    for f in files:
        if f.split(os.sep)[0] not in checked:
            continue
        with open(os.path.join(root, f), encoding="latin-1") as text:
            names = INCLUDE.findall(text.read())
        for name in names:
            target = resolve(root, f, name, by_name)
            if not target or target.split(os.sep)[0] not in checked:
                continue
            a, b = unit_of(f), unit_of(target)
            if a != b:
                graph.setdefault(a, set()).add(b)
    return graph


def cycles(graph):
    """Strongly connected components of more than one unit (Tarjan)."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on_stack.add(v)
        for w in sorted(graph.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    sys.setrecursionlimit(10000)
    for v in sorted(graph):
        if v not in index:
            visit(v)
    return found


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    checked = argv[2:] or CHECKED_FOLDERS
    graph = unit_graph(root, checked)
    found = cycles(graph)
    for component in found:
        members = set(component)
        print("include cycle between %d units:" % len(component))
        for unit in component:
            uses = sorted(members & graph.get(unit, set()))
            print("  %s -> %s" % (unit, ", ".join(uses)))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
