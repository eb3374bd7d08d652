#!/usr/bin/env python3
"""The layering check on small fixture trees: a clean tree passes, each bad include fails."""

import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                      "check-layering.py")

# Platform layers (win <- afx <- vurode, numora beside afx, the Qt adapter on top), the
# deliverables, two program targets, and test and benchmark programs.
CMAKE = {
    "CMakeLists.txt": "project(Fixture)\n",
    "platform/win/CMakeLists.txt": "velmora_layer(win DEPS ${CMAKE_DL_LIBS})\n",
    "platform/afx/CMakeLists.txt": "velmora_layer(afx DEPS win)\n",
    "platform/numora/CMakeLists.txt": "velmora_layer(numora DEPS win)\n",
    "platform/vurode/CMakeLists.txt": "velmora_layer(vurode DEPS afx numora OpenGL::GL)\n",
    "platform/qtwin/CMakeLists.txt": "velmora_layer(qtwin DEPS afx vurode Qt6::Widgets)\n",
    "geometry/CMakeLists.txt": "velmora_layer(geometry DEPS afx numora vurode\n"
                               "  SUBDIRS shapes2d tools shapes3d ALONE shapes2d/Lone.cpp)\n",
    "db/CMakeLists.txt": "velmora_layer(db DEPS geometry afx)\n",
    "millvane/CMakeLists.txt": "velmora_layer(millvane DEPS db geometry SUBDIRS kernel loops paths)\n",
    "sockwell/CMakeLists.txt": "velmora_layer(sockwell DEPS afx win vurode)\n",
    "velmora/CMakeLists.txt": "foreach(sub ordvale shell)\n  add_subdirectory(${sub})\nendforeach()\n",
    "velmora/ordvale/CMakeLists.txt": "velmora_layer(ordvale DEPS sockwell afx)\n",
    "velmora/shell/CMakeLists.txt": "velmora_layer(shell DEPS ordvale db geometry sockwell afx)\n",
    "velmora/app/CMakeLists.txt": "add_library(startup STATIC Startup.cpp)\n"
                                  "target_link_libraries(startup PUBLIC qtwin shell)\n",
    "tests/CMakeLists.txt": "velmora_test(test_geo DIR geometry/shapes2d DEPS geometry ${support})\n"
                            "foreach(sub paths loops)\n"
                            "  velmora_test(test_mv_${sub} DIR millvane/${sub} DEPS millvane)\n"
                            "endforeach()\n",
}

# Includes the layers may make; the clean tree holds all of them.
CLEAN = {
    "platform/win/Types.h": ["<cstdint>"],
    "platform/afx/Object.h": ['"platform/win/Types.h"'],
    "platform/numora/Point.h": ['"platform/win/Types.h"'],
    "platform/vurode/View.cpp": ['"platform/afx/Object.h"', '"platform/win/Types.h"',
                                 '"platform/vurode/View.h"'],
    "platform/qtwin/QtDC.cpp": ["<QPainter>", '"platform/vurode/View.h"'],
    "geometry/shapes2d/GeLine.h": ['"platform/numora/Point.h"'],
    "geometry/shapes2d/GeLine.cpp": ['"geometry/tools/Fit.h"'],
    "geometry/tools/Fit.h": ['"geometry/shapes2d/GeLine.h"'],
    "geometry/shapes3d/GeLine3d.h": ['"geometry/shapes2d/GeLine.h"'],
    "millvane/kernel/K.h": [],
    "millvane/loops/Loop.h": ['"millvane/kernel/K.h"'],
    "millvane/paths/Path.h": ['"geometry/shapes2d/GeLine.h"', '"millvane/kernel/K.h"',
                              '"db/DbEntity.h"', '"millvane/loops/Loop.h"'],
    "sockwell/Host.cpp": ['"platform/afx/Object.h"'],
    "db/DbEntity.h": ['"geometry/shapes2d/GeLine.h"', '"platform/afx/Object.h"'],
    "velmora/App.cpp": ['"sockwell/Host.h"', '"db/DbEntity.h"', '"geometry/shapes2d/GeLine.h"'],
    "velmora/ordvale/Hub.h": ['"sockwell/Host.h"'],
    "velmora/shell/Frame.cpp": ['"velmora/ordvale/Hub.h"', '"db/DbEntity.h"'],
    "velmora/app/Startup.cpp": ["<QApplication>", '"platform/qtwin/QtDC.h"',
                                '"velmora/shell/Frame.h"'],
    "tests/millvane/PathShapes.h": ['"millvane/paths/Path.h"'],
    "tests/millvane/paths/PathTest.cpp": ['"millvane/paths/Path.h"', '"tests/millvane/PathShapes.h"',
                                          '"tests/millvane/paths/PathUtil.h"'],
    "tests/millvane/paths/PathUtil.h": [],
    "tests/millvane/loops/LoopTest.cpp": ['"tests/millvane/PathShapes.h"'],
    "tests/geometry/shapes2d/GeLineTest.cpp": ['"geometry/shapes2d/GeLine.h"',
                                               '"tests/support/Fixture.h"'],
    "tests/support/millvane/Meshes.h": ['"millvane/paths/Path.h"'],
    "bench/bench_millvane_paths.cpp": ['"millvane/paths/Path.h"',
                                       '"tests/support/millvane/Meshes.h"'],
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
    # What a target includes it links.
    ("geometry/shapes2d/GeLine.cpp", "<QWidget>", "Qt headers only"),
    ("velmora/shell/Frame.cpp", "<QtWidgets/QMenu>", "Qt headers only"),
    ("geometry/shapes2d/GeLine.cpp", '"platform/qtwin/QtDC.h"', "geometry does not link qtwin"),
    ("velmora/ordvale/Hub.h", '"velmora/shell/Frame.h"', "ordvale does not link shell"),
    ("sockwell/Host.cpp", '"platform/numora/Point.h"', "sockwell does not link numora"),
    ("db/DbEntity.h", '"platform/vurode/View.h"', "db does not link vurode"),
    ("tests/geometry/shapes2d/GeLineTest.cpp", '"platform/qtwin/QtDC.h"', "test_geo does not link"),
    # Test headers of other folders.
    ("tests/millvane/loops/LoopTest.cpp", '"tests/millvane/paths/PathUtil.h"', "test headers only"),
    ("bench/bench_millvane_paths.cpp", '"tests/millvane/PathShapes.h"', "test headers only"),
    # Subfolders include downward only; a shape's header never sees the tools.
    ("millvane/loops/Loop.h", '"millvane/paths/Path.h"', "does not include it"),
    ("millvane/kernel/K.h", '"millvane/loops/Loop.h"', "does not include it"),
    ("geometry/shapes2d/GeLine.h", '"geometry/tools/Fit.h"', "does not include it"),
    ("geometry/shapes2d/GeLine.cpp", '"geometry/shapes3d/GeLine3d.h"', "does not include it"),
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
