#!/usr/bin/env python3
"""Fails when a source includes across the layer direction.

Every target exports the repository root as an include path, so the compiler accepts any
include; this check is what keeps the layers apart:
  - a platform layer includes only itself and the platform layers it links, directly or through
    another layer (the DEPS of velmora_layer in each platform/<layer>/CMakeLists.txt), and none
    of geometry, db, millvane, sockwell or velmora;
  - geometry includes none of millvane, sockwell, db, velmora;
  - sockwell includes neither geometry nor millvane (nor db, which holds geometry, nor velmora);
  - db and millvane include neither sockwell nor velmora (links only go downward);
  - millvane is included only by millvane itself, its tests (tests/millvane) and its benchmarks
    (bench/bench_millvane_*).
Tests under tests/<folder> follow the rules of <folder>.

Usage: check-layering.py [repository root]   (default: the folder above this script)
Exit status 0 when clean, 1 with one line per offending include, 2 on a broken tree.
"""

import os
import re
import sys

DELIVERABLES = ("geometry", "db", "millvane", "sockwell", "velmora")
# What each deliverable may never include (besides the rule that only millvane includes it).
FORBIDDEN = {
    "geometry": {"millvane", "sockwell", "db", "velmora"},
    "sockwell": {"geometry", "millvane", "db", "velmora"},
    "db": {"sockwell", "velmora"},
    "millvane": {"sockwell", "velmora"},
}
SOURCE_EXT = (".c", ".cc", ".cpp", ".h", ".hpp", ".inl")
INCLUDE_RE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]')
LAYER_RE = re.compile(r"velmora_layer\(\s*([A-Za-z0-9_]+)(.*?)\)", re.S)


def platform_deps(root):
    """Each platform layer with the platform layers it links, from its CMakeLists."""
    deps = {}
    base = os.path.join(root, "platform")
    if not os.path.isdir(base):
        return deps
    for name in sorted(os.listdir(base)):
        cml = os.path.join(base, name, "CMakeLists.txt")
        if not os.path.isfile(cml):
            continue
        with open(cml, encoding="utf-8") as f:
            text = f.read()
        m = LAYER_RE.search(text)
        words = m.group(2).split() if m else []
        listed, on = [], False
        for w in words:
            if w == "DEPS":
                on = True
            elif w.isupper():  # the next keyword (SUBDIRS, STATIC) ends the list
                on = False
            elif on:
                listed.append(w)
        deps[name] = listed
    # Keep only platform layers (not system libraries) and close over the links.
    for name in deps:
        deps[name] = [d for d in deps[name] if d in deps]
    closure = {}
    for name in deps:
        seen, todo = set(), list(deps[name])
        while todo:
            d = todo.pop()
            if d not in seen:
                seen.add(d)
                todo.extend(deps[d])
        closure[name] = seen
    return closure


def layer_of(rel):
    """The layer a repository-relative path belongs to: 'platform/x', a deliverable, or None."""
    parts = rel.split("/")
    if parts[0] == "platform" and len(parts) > 2:
        return "platform/" + parts[1]
    if parts[0] in DELIVERABLES and len(parts) > 1:
        return parts[0]
    return None


def check_include(src, owner, target, closure):
    """Why src (a file of layer `owner`) may not include `target`, or None."""
    tlayer = layer_of(target)
    if tlayer is None or tlayer == owner:
        return None
    if tlayer == "millvane":
        if owner == "millvane" or src.startswith("tests/millvane/") or \
                src.startswith("bench/bench_millvane"):
            return None
        return "only millvane, its tests and its benchmarks include millvane"
    if owner is None:
        return None
    if owner.startswith("platform/"):
        me = owner.split("/", 1)[1]
        if not tlayer.startswith("platform/"):
            return "a platform layer includes no " + tlayer
        other = tlayer.split("/", 1)[1]
        if other not in closure.get(me, set()):
            return "platform/%s does not link platform/%s" % (me, other)
        return None
    if tlayer in FORBIDDEN.get(owner, ()):
        return "%s never includes %s" % (owner, tlayer)
    return None


def owner_of(rel):
    if rel.startswith("tests/"):
        return layer_of(rel[len("tests/"):])
    return layer_of(rel)


def main(argv):
    root = os.path.abspath(argv[1] if len(argv) > 1 else
                           os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    if not os.path.isfile(os.path.join(root, "CMakeLists.txt")):
        print("check-layering: %s is not the repository root" % root, file=sys.stderr)
        return 2
    closure = platform_deps(root)
    if not closure:
        print("check-layering: no platform layers found under %s" % root, file=sys.stderr)
        return 2
    problems, files = [], 0
    for top in ("platform",) + DELIVERABLES + ("tests", "bench"):
        base = os.path.join(root, top)
        for dirpath, dirnames, filenames in os.walk(base):
            dirnames.sort()
            for fn in sorted(filenames):
                if not fn.endswith(SOURCE_EXT):
                    continue
                path = os.path.join(dirpath, fn)
                rel = os.path.relpath(path, root).replace(os.sep, "/")
                owner = owner_of(rel)
                files += 1
                with open(path, encoding="utf-8", errors="replace") as f:
                    for no, line in enumerate(f, 1):
                        m = INCLUDE_RE.match(line)
                        if not m:
                            continue
                        why = check_include(rel, owner, m.group(1), closure)
                        if why:
                            problems.append("%s:%d: includes %s (%s)" % (rel, no, m.group(1), why))
    for p in problems:
        print(p)
    if problems:
        print("check-layering: %d include(s) cross the layer direction" % len(problems),
              file=sys.stderr)
        return 1
    print("check-layering: %d files, layers respected" % files)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
