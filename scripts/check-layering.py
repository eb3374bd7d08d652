#!/usr/bin/env python3
"""Fails when a source includes across the layer direction.

Every target exports the repository root as an include path, so the compiler accepts any
include; this check is what keeps the layers apart. It reads the targets from the CMakeLists
files (velmora_layer, velmora_test, add_library/add_executable with target_link_libraries) and
holds every source to them:
  - a platform layer includes only itself and the platform layers it links, directly or through
    another layer, and none of geometry, db, millvane, sockwell or velmora;
  - a deliverable (geometry, db, millvane, sockwell) and every program target under velmora/
    includes only itself and the targets its DEPS name: what it includes it links by name;
  - a test or benchmark program includes only what it links, directly or through another target;
  - Qt headers only where the Qt adapter is linked (the adapter itself, the program and the GUI
    tests);
  - geometry includes none of millvane, sockwell, db, velmora; sockwell none of geometry,
    millvane, db, velmora; db and millvane neither sockwell nor velmora;
  - millvane is included only by millvane itself, its tests (tests/millvane) and its benchmarks
    (bench/bench_millvane_*);
  - a test includes test headers only of its own folder, the folders above it and
    tests/support; a benchmark only those of tests/support;
  - inside geometry and millvane the subfolders include only downward (SUBFOLDER_ORDER).
Tests under tests/<folder> that no test program claims, and the shared fixtures under
tests/support/<library>/, follow the rules of <folder> or <library>.

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
# Subfolders of one library, lowest first: a subfolder includes only itself and those before it.
SUBFOLDER_ORDER = {
    "geometry": ["shapes2d", "shapes3d", "tools", "surfaces", "grid"],
    "millvane": ["kernel", "surface", "loops", "paths", "surfpaths"],
}
# Upward calls the design allows, kept narrow: a shape's source file (never its header) calls a
# tool for biarc fitting, curve conversion and chaining, so no header of a shape sees the tools.
SUBFOLDER_EXCEPTIONS = {
    ("geometry", "shapes2d", "tools"),
    ("geometry", "shapes3d", "tools"),
}
SOURCE_EXT = (".c", ".cc", ".cpp", ".h", ".hpp", ".inl")
INCLUDE_RE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
QT_HEADER_RE = re.compile(r"^Q[A-Za-z0-9]*(/|$)")
CALL_RE = re.compile(r"\b(velmora_layer|velmora_test|add_library|add_executable|"
                     r"target_link_libraries|file)\s*\((.*?)\)", re.S)
FOREACH_RE = re.compile(r"\bforeach\s*\(\s*(\w+)\s+(?:IN\s+ITEMS\s+)?(.*?)\)(.*?)\bendforeach\s*\(",
                        re.S)
FUZZ_SPEC_RE = re.compile(r'"(\w+);(\w+);([\w;]+)"')
KEYWORDS = {"PUBLIC", "PRIVATE", "INTERFACE", "STATIC", "SHARED", "MODULE", "OBJECT",
            "CONFIGURE_DEPENDS", "GLOB", "GLOB_RECURSE", "EXCLUDE_FROM_ALL"}


class Target:
    def __init__(self, name):
        self.name = name
        self.deps = []        # as written in the CMakeLists
        self.folders = set()  # repository-relative folders whose direct files it owns
        self.files = set()    # repository-relative files named as sources
        self.kind = None      # "layer", "test", "other"
        self.home = None      # folder of its CMakeLists


def strip_comments(text):
    return "\n".join(line.split("#", 1)[0] for line in text.splitlines())


def words_of(args):
    return [w.strip('"') for w in args.split()]


def expand(word, cml_dir, variables):
    """A CMake word made repository-relative where it is a path; variables from `variables`."""
    for var, value in variables.items():
        word = word.replace("${%s}" % var, value)
    word = word.replace("${CMAKE_CURRENT_SOURCE_DIR}", cml_dir)
    word = word.replace("${PROJECT_SOURCE_DIR}", "").replace("${CMAKE_SOURCE_DIR}", "")
    return word


def rel_join(cml_dir, path):
    if path.startswith("/"):
        return os.path.normpath(path.lstrip("/")).replace(os.sep, "/")
    if cml_dir in ("", "."):
        return os.path.normpath(path).replace(os.sep, "/")
    return os.path.normpath(os.path.join(cml_dir, path)).replace(os.sep, "/")


def parse_calls(text, cml_dir, targets, variables, globs):
    """Reads one CMakeLists' (already loop-expanded) text into `targets`."""
    for m in CALL_RE.finditer(text):
        call, args = m.group(1), m.group(2)
        w = words_of(args)
        if not w:
            continue
        if call == "file":
            if w[0] in ("GLOB", "GLOB_RECURSE") and len(w) > 2:
                folders = set()
                for p in w[2:]:
                    if p in KEYWORDS:
                        continue
                    p = expand(p, cml_dir, variables)
                    folders.add(rel_join(cml_dir, os.path.dirname(p)))
                globs[w[1]] = folders
            continue
        name = w[0]
        if "${" in name:
            continue
        t = targets.setdefault(name, Target(name))
        if call == "velmora_layer":
            t.kind, t.home = "layer", cml_dir
            section = None
            t.folders.add(cml_dir)
            for word in w[1:]:
                if word in ("DEPS", "SUBDIRS", "ALONE"):
                    section = word
                elif word == "STATIC":
                    section = None
                elif section == "DEPS":
                    t.deps.append(expand(word, cml_dir, variables))
                elif section == "SUBDIRS":
                    t.folders.add(rel_join(cml_dir, word))
        elif call == "velmora_test":
            t.kind, t.home = "test", cml_dir
            section = None
            for word in w[1:]:
                if word in ("DIR", "DEPS", "ENV"):
                    section = word
                elif section == "DIR":
                    t.folders.add(rel_join(cml_dir, expand(word, cml_dir, variables)))
                elif section == "DEPS":
                    t.deps.extend(expand(word, cml_dir, variables).split(";"))
        elif call in ("add_library", "add_executable"):
            t.kind = t.kind or "other"
            t.home = t.home or cml_dir
            for word in w[1:]:
                if word in KEYWORDS:
                    continue
                gm = re.fullmatch(r"\$\{(\w+)\}", word)
                if gm and gm.group(1) in globs:
                    t.folders |= globs[gm.group(1)]
                    continue
                word = expand(word, cml_dir, variables)
                if word.endswith((".cpp", ".c", ".cc")):
                    t.files.add(rel_join(cml_dir, word))
        elif call == "target_link_libraries":
            for word in w[1:]:
                if word not in KEYWORDS:
                    t.deps.extend(expand(word, cml_dir, variables).split(";"))


def expand_loops(text):
    """Unrolls foreach loops over plain word lists (the fuzz specs, the per-folder test lists)."""
    out, pos = [], 0
    for m in FOREACH_RE.finditer(text):
        out.append(text[pos:m.start()])
        var, items, body = m.group(1), m.group(2), m.group(3)
        if "${" in items and not FUZZ_SPEC_RE.search(items):
            out.append(body)
        else:
            specs = FUZZ_SPEC_RE.findall(items)
            if specs:
                for name, source, deps in specs:
                    b = body.replace("${name}", name).replace("${source}", source)
                    b = b.replace("${spec}", deps)
                    out.append(b)
            else:
                for item in items.split():
                    out.append(body.replace("${%s}" % var, item))
        pos = m.end()
    out.append(text[pos:])
    return "".join(out)


def read_targets(root):
    targets = {}
    for dirpath, dirnames, filenames in os.walk(root):
        dirnames[:] = sorted(d for d in dirnames if not d.startswith(".") and d != "build")
        if "CMakeLists.txt" not in filenames:
            continue
        rel = os.path.relpath(dirpath, root).replace(os.sep, "/")
        cml_dir = "" if rel == "." else rel
        with open(os.path.join(dirpath, "CMakeLists.txt"), encoding="utf-8") as f:
            text = strip_comments(f.read())
        variables = {"support": "test_support"}
        # The benchmark folder links a list gathered in a loop; each bench program gets it all.
        if cml_dir == "bench":
            lm = re.search(r"foreach\s*\(\s*t\s+([^)]*)\)", text)
            if lm:
                variables["all_layers"] = ";".join(lm.group(1).split())
            text = re.sub(r"foreach\s*\(\s*t\s+[^)]*\).*?endforeach\s*\(\s*\)", "", text,
                          flags=re.S)
        text = expand_loops(text)
        if cml_dir == "bench":
            text = text.replace("${stem}", "bench_programs").replace("${src}", "")
            t = targets.setdefault("bench_programs", Target("bench_programs"))
            t.folders.add("bench")
        parse_calls(text, cml_dir, targets, variables, {})
    return targets


def closure_of(targets, name, direct_only=False):
    t = targets.get(name)
    if t is None:
        return set()
    if direct_only:
        return {d for d in t.deps}
    seen, todo = set(), list(t.deps)
    while todo:
        d = todo.pop()
        if d in seen:
            continue
        seen.add(d)
        if d in targets:
            todo.extend(targets[d].deps)
    return seen


def owner_map(targets):
    """Repository-relative file or folder -> the targets that own it."""
    by_file, by_folder = {}, {}
    for t in targets.values():
        for f in t.files:
            by_file.setdefault(f, []).append(t.name)
        for d in t.folders:
            by_folder.setdefault(d, []).append(t.name)
    return by_file, by_folder


def targets_of(rel, by_file, by_folder):
    """The targets a file belongs to: named as a source, else its folder's, else a parent's."""
    if rel in by_file:
        return by_file[rel]
    d = os.path.dirname(rel)
    if d in by_folder:
        return by_folder[d]
    # A header beside sources named one by one belongs to the targets of that folder.
    owners = sorted({n for f, ns in by_file.items() if os.path.dirname(f) == d for n in ns})
    if owners:
        return owners
    while d:
        d = os.path.dirname(d)
        if d in by_folder and not d.startswith("tests") and d != "":
            return by_folder[d]
    return []


def layer_of(rel):
    """The layer a repository-relative path belongs to: 'platform/x', a deliverable, or None."""
    parts = rel.split("/")
    if parts[0] == "platform" and len(parts) > 2:
        return "platform/" + parts[1]
    if parts[0] in DELIVERABLES and len(parts) > 1:
        return parts[0]
    return None


def owner_of(rel):
    # tests/support/<library>/ holds fixtures shared by that library's tests and benchmarks.
    if rel.startswith("tests/support/"):
        return layer_of(rel[len("tests/support/"):])
    if rel.startswith("tests/"):
        return layer_of(rel[len("tests/"):])
    return layer_of(rel)


def check_old_rules(src, owner, target, closure):
    """The fixed rules between layers: why src (of layer `owner`) may not include `target`."""
    tlayer = layer_of(target)
    if tlayer is None or tlayer == owner:
        return None
    if tlayer == "millvane":
        if owner == "millvane" or src.startswith(("tests/millvane/", "tests/support/millvane/")) \
                or src.startswith("bench/bench_millvane"):
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


def check_subfolders(src, target):
    """Upward includes between the subfolders of geometry or millvane."""
    sp, tp = src.split("/"), target.split("/")
    if len(sp) < 3 or len(tp) < 3 or sp[0] != tp[0] or sp[0] not in SUBFOLDER_ORDER:
        return None
    order = SUBFOLDER_ORDER[sp[0]]
    if sp[1] not in order or tp[1] not in order or sp[1] == tp[1]:
        return None
    if (sp[0], sp[1], tp[1]) in SUBFOLDER_EXCEPTIONS and not src.endswith((".h", ".hpp")):
        return None
    if order.index(tp[1]) > order.index(sp[1]):
        return "%s/%s sits below %s/%s and does not include it" % (sp[0], sp[1], tp[0], tp[1])
    return None


class Checker:
    def __init__(self, root):
        self.root = root
        self.targets = read_targets(root)
        self.by_file, self.by_folder = owner_map(self.targets)
        # Layers and program targets take only their named DEPS; test and bench programs (and
        # their shared fixtures) what they link through others too.
        self.allowed = {}
        for name, t in self.targets.items():
            leaf = t.kind != "layer" or (t.home or "").startswith("tests")
            allowed = closure_of(self.targets, name, direct_only=not leaf)
            if t.home and t.home.startswith("platform/") and t.kind == "layer":
                allowed = closure_of(self.targets, name)
            self.allowed[name] = allowed | {name}

    def resolve(self, src, inc):
        """The repository-relative path of an include, or None for a header outside the tree."""
        for base in ("", "tests", os.path.dirname(src)):
            rel = os.path.normpath(os.path.join(base, inc)).replace(os.sep, "/")
            if os.path.isfile(os.path.join(self.root, rel)):
                return rel
        # A header not (yet) in the tree still names its layer by its path.
        if inc.split("/", 1)[0] in ("platform", "tests", "bench") + DELIVERABLES:
            return os.path.normpath(inc).replace(os.sep, "/")
        return None

    def target_rule(self, src, inc, path, quote):
        if path and src.startswith(("tests/", "bench/")) and path.startswith("tests/"):
            here, there = os.path.dirname(src) + "/", os.path.dirname(path) + "/"
            if not (path.startswith("tests/support/") or
                    (here.startswith("tests/") and here.startswith(there))):
                return ("a test includes test headers only of its own folder, the folders "
                        "above it and tests/support")
            return None
        owners = targets_of(src, self.by_file, self.by_folder)
        if src.startswith("tests/") and not owners:
            owners = targets_of(src[len("tests/"):], self.by_file, self.by_folder)
        if not owners:
            return None
        if quote == "<" and QT_HEADER_RE.match(inc):
            if not any(any(d.startswith(("Qt6::", "Qt::")) for d in self.allowed[o] |
                           closure_of(self.targets, o)) for o in owners):
                return "Qt headers only where the Qt adapter is linked"
            return None
        if path is None or path.startswith("tests/"):
            return None
        inc_owners = targets_of(path, self.by_file, self.by_folder)
        if not inc_owners:
            return None
        for o in owners:
            if not set(inc_owners) & self.allowed[o]:
                return "%s does not link %s" % (o, "/".join(sorted(inc_owners)))
        return None

    def check(self, rel, closure):
        problems = []
        owner = owner_of(rel)
        with open(os.path.join(self.root, rel), encoding="utf-8", errors="replace") as f:
            for no, line in enumerate(f, 1):
                m = INCLUDE_RE.match(line)
                if not m:
                    continue
                quote, inc = m.group(1), m.group(2)
                path = self.resolve(rel, inc)
                why = check_old_rules(rel, owner, path or inc, closure) or \
                    self.target_rule(rel, inc, path, quote) or \
                    (path and check_subfolders(rel, path))
                if why:
                    problems.append("%s:%d: includes %s (%s)" % (rel, no, inc, why))
        return problems


def platform_closure(targets):
    """Each platform layer with the platform layers it links, directly or through another."""
    names = {t.name for t in targets.values()
             if t.kind == "layer" and (t.home or "").startswith("platform/")}
    return {n: {d for d in closure_of(targets, n) if d in names} for n in names}


def main(argv):
    root = os.path.abspath(argv[1] if len(argv) > 1 else
                           os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    if not os.path.isfile(os.path.join(root, "CMakeLists.txt")):
        print("check-layering: %s is not the repository root" % root, file=sys.stderr)
        return 2
    checker = Checker(root)
    closure = platform_closure(checker.targets)
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
                rel = os.path.relpath(os.path.join(dirpath, fn), root).replace(os.sep, "/")
                files += 1
                problems.extend(checker.check(rel, closure))
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
