#!/usr/bin/env python3
"""The layers of the build: every file includes only from its own library and
from the libraries its library is declared to build on (directly or through
others), and every library and program declares only what its files include.

The libraries are the wc_area() lines of CMakeLists.txt (a folder each, in
their order); the programs and the provider library are the wc_program() and
target_link_libraries() lines of the folders under tools/, plugins/ and
src/app/. Prints each offence and exits 1 when it finds one."""

import os
import re
import sys

# Declared dependencies that no include shows: the library defines functions
# that a header of a lower library declares.
LINK_ONLY = {
    ("wc_tomcat", "wc_removal"): "HalvoSrvClient's removal half (base/pipes/halvo_srv_client.h) is defined in removal",
}

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)


def read(path):
    with open(os.path.join(ROOT, path), encoding="utf-8") as f:
        return f.read()


def own_targets(words):
    """The project's own libraries among a list of CMake words."""
    return [w for w in words if w.startswith("wc_") and w != "wc_version"]


def areas():
    """Library -> (folders, declared libraries), in the order of CMakeLists.txt."""
    found = {}
    for match in re.finditer(r"^wc_area\((\w+)\s+DIRS\s+([^)]*)\)", read("CMakeLists.txt"), re.M):
        words = match.group(2).split()
        dirs = words[: words.index("DEPS")] if "DEPS" in words else words
        deps = words[len(dirs) + 1 :] if "DEPS" in words else []
        found[match.group(1)] = (dirs, own_targets(deps))
    return found


def programs():
    """Program -> (folder, declared libraries): tools, plugins and the wcadmin entry."""
    found = {}
    for folder in ["src/app"] + [
        os.path.join(top, name) for top in ("tools", "plugins") for name in sorted(os.listdir(os.path.join(ROOT, top)))
    ]:
        lists = os.path.join(folder, "CMakeLists.txt")
        if not os.path.isfile(os.path.join(ROOT, lists)):
            continue
        text = read(lists)
        for match in re.finditer(r"^wc_program\((\S+)\s+DEPS\s+([^)]*)\)", text, re.M):
            found[match.group(1)] = (folder, own_targets(match.group(2).split()))
        for match in re.finditer(r"^\s*target_link_libraries\((\S+)\s+PRIVATE\s+([^)]*)\)", text, re.M):
            found[match.group(1)] = (folder, own_targets(match.group(2).split()))
    return found


def sources(folder, recurse=False):
    for base, subdirs, files in os.walk(os.path.join(ROOT, folder)):
        for name in sorted(files):
            if name.endswith((".cpp", ".h")):
                yield os.path.relpath(os.path.join(base, name), ROOT)
        if not recurse:
            break


def main():
    libraries = areas()
    owner = {d: name for name, (dirs, _) in libraries.items() for d in dirs}
    below = {}  # library -> every library it builds on
    for name, (_, deps) in libraries.items():
        closure = set()
        for dep in deps:
            if dep not in below:
                print(f"CMakeLists.txt: {name} builds on {dep}, which is declared after it")
                return 1
            closure |= {dep} | below[dep]
        below[name] = closure

    def library_of(include):
        folder = os.path.dirname(include)
        while folder and "src/" + folder not in owner:
            folder = os.path.dirname(folder)
        return owner.get("src/" + folder)

    problems = []

    def check(user, own, allowed, declared, files):
        used = set()
        for path in files:
            for include in INCLUDE.findall(read(path)):
                library = library_of(include)
                if library is None or library == own:
                    continue
                if library not in allowed:
                    problems.append(f"{path}: includes {include} of {library}, which {user} does not build on")
                used.add(library)
        for dep in declared:
            if dep not in used and (user, dep) not in LINK_ONLY:
                problems.append(f"{user} declares {dep}, but none of its files includes from it")

    for name, (dirs, deps) in libraries.items():
        files = [f for d in dirs for f in sources(d)]
        check(name, name, below[name], deps, files)
    for name, (folder, deps) in programs().items():
        allowed = set(deps).union(*(below[d] for d in deps))
        check(name, None, allowed, deps, sources(folder, recurse=True))

    for problem in problems:
        print(problem)
    if problems:
        return 1
    print(f"layers: {len(libraries)} libraries in order, no file includes from a library its own does not build on")
    return 0


if __name__ == "__main__":
    sys.exit(main())
