#!/usr/bin/env python3
"""Fails when a source file includes what its module's row of the layering
table forbids, or when SDL or FFmpeg headers are included outside host/.

    check_layers.py [ROOT]      check the tree at ROOT (default: this checkout)
    check_layers.py --self-test check the checker on a small tree of its own

Every #include of a project header is read by its first path component (the
module); includes within a module, of the C and C++ libraries and of other
system headers (GL, ...) are always allowed.
"""
import os
import re
import sys
import tempfile

FRAMEWORK_BELOW_SCENES = {"diag", "math", "mesh", "host", "image", "app"}

# module -> the other modules its files may include
LAYERS = {
    "diag": set(),
    "math": set(),
    "mesh": {"math", "diag"},
    "host": {"diag"},
    "image": {"host", "diag"},
    "app": {"host", "diag"},
    "scene": FRAMEWORK_BELOW_SCENES,
    "viewer": FRAMEWORK_BELOW_SCENES,
    "program": FRAMEWORK_BELOW_SCENES | {"scene", "viewer"},
}

# folders that are not modules but whose headers no module may include
NON_MODULES = {"tests", "bench", "fuzz", "tools", "examples"}

# the platform libraries only host/ may see
PLATFORM_HEADER = re.compile(
    r"^(SDL2?/|SDL[_.]|begin_code\.h|close_code\.h|"
    r"lib(avformat|avcodec|avutil|avdevice|avfilter|swscale|swresample|postproc)/)")

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCE_SUFFIXES = (".h", ".hh", ".hpp", ".inl", ".c", ".cc", ".cpp", ".cxx", ".mm")


def source_files(root):
    for folder, dirs, files in os.walk(root):
        dirs[:] = sorted(d for d in dirs if not d.startswith((".", "build")))
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")


def included_module(root, path, target):
    """The project folder an include names, or None for anything else."""
    if target.startswith("."):
        target = os.path.normpath(os.path.join(os.path.dirname(path), target)).replace(os.sep, "/")
    elif "/" not in target:
        return None  # beside the including file, or a system header
    if target.startswith("dravin/"):
        target = target[len("dravin/"):]  # the installed form of the same header
    top = target.split("/", 1)[0]
    if top in LAYERS or top in NON_MODULES:
        return top
    return None


def violations(root):
    found = []
    for path in source_files(root):
        module = path.split("/", 1)[0] if "/" in path else ""
        allowed = LAYERS.get(module)
        if allowed is not None:
            allowed = allowed | {module}
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f, 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                target = m.group(2)
                where = f"{path}:{number}"
                if module != "host" and PLATFORM_HEADER.match(target):
                    found.append(f"{where}: includes {target}: only host/ may see SDL or FFmpeg")
                    continue
                if allowed is None:
                    continue
                other = included_module(root, path, target)
                if other is not None and other not in allowed:
                    rule = ", ".join(sorted(allowed - {module})) or "nothing of the project"
                    found.append(f"{where}: {module} includes {target}; {module} may include {rule}")
    return found


def self_test():
    cases = {
        "math/Ok.h": '#include "math/Vector3D.h"\n#include <cmath>\n#include <GL/gl.h>\n',
        "math/Bad.cpp": '#include "diag/Diagnostics.h"\n',
        "mesh/Bad.cpp": '#include "host/Files.h"\n#include "../image/QTImage.h"\n#include <dravin/app/Run.h>\n',
        "image/Bad.cpp": '#include <SDL.h>\n#include "app/MyOpenGLView.h"\n',
        "host/Ok.cpp": '#include <SDL.h>\n#include <libavcodec/avcodec.h>\n#include "diag/Diagnostics.h"\n',
        "program/main.cpp": '#include "scene/dravinView.h"\n#include "viewer/ModelViewer.h"\n',
        "app/Bad.cpp": '#include "scene/dravinView.h"\n#include "tests/support/Process.h"\n',
        "viewer/Bad.cpp": '#include "program/Usage.h"\n',
        "scene/Ok.cpp": '#include "image/Texture.h"\n#include "mesh/MyOBJ.h"\n#include "app/MyOpenGLView.h"\n',
        "tests/Bad.cpp": '#include "scene/dravinView.h"\n#  include <SDL2/SDL_video.h>\n',
    }
    expected = {
        "math/Bad.cpp:1", "mesh/Bad.cpp:1", "mesh/Bad.cpp:2", "mesh/Bad.cpp:3", "image/Bad.cpp:1",
        "image/Bad.cpp:2", "app/Bad.cpp:1", "app/Bad.cpp:2", "tests/Bad.cpp:2",
        "viewer/Bad.cpp:1",
    }
    with tempfile.TemporaryDirectory() as root:
        for path, text in cases.items():
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), "w") as f:
                f.write(text)
        reported = {v.split(": ", 1)[0] for v in violations(root)}
    if reported != expected:
        print(f"self-test: missed {sorted(expected - reported)}, "
              f"wrongly reported {sorted(reported - expected)}")
        return 1
    print(f"self-test: all {len(expected)} forbidden includes reported, nothing else")
    return 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
    found = violations(os.path.abspath(root))
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} include(s) break the layering table (tools/layering/check_layers.py)")
        return 1
    print("layering: every include keeps to its module's row")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
