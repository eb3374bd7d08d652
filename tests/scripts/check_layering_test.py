#!/usr/bin/env python3
"""The layering check on small fixture trees: a clean tree passes, each bad include fails."""

import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                      "check-layering.py")

# Three platform layers (win <- afx <- vurode, numora beside afx) and the deliverables.
CMAKE = {
    "CMakeLists.txt": "project(Fixture)\n",
    "platform/win/CMakeLists.txt": "velmora_layer(win DEPS ${CMAKE_DL_LIBS})\n",
    "platform/afx/CMakeLists.txt": "velmora_layer(afx DEPS win)\n",
    "platform/numora/CMakeLists.txt": "velmora_layer(numora DEPS win)\n",
    "platform/vurode/CMakeLists.txt": "velmora_layer(vurode DEPS afx numora OpenGL::GL)\n",
}

# Includes the layers may make; the clean tree holds all of them.
CLEAN = {
    "platform/win/Types.h": ["<cstdint>"],
    "platform/afx/Object.h": ['"platform/win/Types.h"'],
    "platform/numora/Point.h": ['"platform/win/Types.h"'],
    "platform/vurode/View.cpp": ['"platform/afx/Object.h"', '"platform/win/Types.h"',
                                 '"platform/vurode/View.h"'],
    "geometry/shapes2d/GeLine.h": ['"platform/numora/Point.h"'],
    "millvane/paths/Path.h": ['"geometry/shapes2d/GeLine.h"', '"millvane/kernel/K.h"',
                              '"db/DbEntity.h"'],
    "sockwell/Host.cpp": ['"platform/afx/Object.h"'],
    "db/DbEntity.h": ['"geometry/shapes2d/GeLine.h"', '"platform/afx/Object.h"'],
    "velmora/App.cpp": ['"sockwell/Host.h"', '"db/DbEntity.h"', '"geometry/shapes2d/GeLine.h"'],
    "tests/millvane/paths/PathTest.cpp": ['"millvane/paths/Path.h"'],
    "tests/geometry/shapes2d/GeLineTest.cpp": ['"geometry/shapes2d/GeLine.h"',
                                               '"tests/support/Fixture.h"'],
    "bench/bench_millvane_paths.cpp": ['"millvane/paths/Path.h"'],
}

# (file, include, a word the report must hold)
BAD = [
    ("platform/win/Types.h", '"platform/afx/Object.h"', "does not link"),
    ("platform/afx/Object.h", '"platform/vurode/View.h"', "does not link"),
    ("platform/afx/Object.h", '"platform/numora/Point.h"', "does not link"),
    ("platform/numora/Point.h", '"geometry/shapes2d/GeLine.h"', "no geometry"),
    ("platform/vurode/View.cpp", '"sockwell/Host.h"', "no sockwell"),
    ("geometry/shapes2d/GeLine.h", '"db/DbEntity.h"', "never includes db"),
    ("geometry/tools/Tool.cpp", '"velmora/App.h"', "never includes velmora"),
    ("sockwell/Host.cpp", '"geometry/shapes2d/GeLine.h"', "never includes geometry"),
    ("sockwell/Host.cpp", '"db/DbEntity.h"', "never includes db"),
    ("millvane/paths/Path.h", '"sockwell/Host.h"', "never includes sockwell"),
    ("db/DbEntity.h", '"velmora/App.h"', "never includes velmora"),
    ("geometry/tools/Tool.cpp", '"millvane/paths/Path.h"', "only millvane"),
    ("tests/geometry/tools/ToolTest.cpp", '"millvane/paths/Path.h"', "only millvane"),
    ("bench/bench_geometry_tools.cpp", "<millvane/paths/Path.h>", "only millvane"),
    ("tests/platform/numora/PointTest.cpp", '"geometry/shapes2d/GeLine.h"', "no geometry"),
]


def write_tree(root, files):
    for rel, text in files.items():
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "a", encoding="utf-8") as f:
            f.write(text)


def tree(extra=None):
    files = dict(CMAKE)
    for rel, incs in CLEAN.items():
        files[rel] = "".join("#include %s\n" % i for i in incs)
    if extra:
        rel, inc = extra
        files[rel] = files.get(rel, "") + "int before = 0;\n#include %s\n" % inc
    return files


def run(root):
    return subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True)


class CheckLayeringTest(unittest.TestCase):
    def test_clean_tree_passes(self):
        with tempfile.TemporaryDirectory() as root:
            write_tree(root, tree())
            r = run(root)
            self.assertEqual(r.returncode, 0, r.stdout + r.stderr)

    def test_each_bad_include_fails_and_names_its_line(self):
        for rel, inc, why in BAD:
            with self.subTest(file=rel, include=inc), tempfile.TemporaryDirectory() as root:
                write_tree(root, tree((rel, inc)))
                r = run(root)
                self.assertEqual(r.returncode, 1, r.stdout + r.stderr)
                line = [l for l in r.stdout.splitlines() if l.startswith(rel + ":")]
                self.assertEqual(len(line), 1, r.stdout)
                self.assertIn(inc.strip('"<>'), line[0])
                self.assertIn(why, line[0])

    def test_tree_without_platform_layers_is_refused(self):
        with tempfile.TemporaryDirectory() as root:
            write_tree(root, {"CMakeLists.txt": "project(Empty)\n",
                              "geometry/A.h": '#include "millvane/B.h"\n'})
            self.assertEqual(run(root).returncode, 2)


if __name__ == "__main__":
    unittest.main()
