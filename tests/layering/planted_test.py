#!/usr/bin/env python3
"""Proves check_layering.py: copies a few real files into a scratch tree, plants one line in one of
them, and expects the checker to name exactly that line, or to pass where the line is allowed.

    planted_test.py SOURCE_ROOT WORK_FOLDER
"""

import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
CHECKER = os.path.join(HERE, "check_layering.py")
RULES = os.path.join(HERE, "layering.rules")

# The real files each scratch tree starts from; the included headers must be there for their owners.
COPIED = ["model/Cubi.cpp", "model/Cubi.h", "view/Cube3D.cpp", "view/EnvFile.cpp", "view/OpenGL.cpp",
          "animation/Thread.cpp", "app/FormMain.cpp", "app/FormGame.h", "engines/EngineTable.cpp",
          "plugins/twophase/Tables.cpp", "tests/support/TestEngines.h"]

# (file, planted text from its line 2 on, expected breach after "file:", or None where the tree must pass)
CASES = [
    ("model/Cubi.cpp", '#include "app/FormGame.h"',
     '2: includes "app/FormGame.h" of app, which is not below model (model may include: model)'),
    ("view/Cube3D.cpp", "#include <AL/al.h>", "2: includes <AL/al.h>, which only sound tests bench"),
    ("animation/Thread.cpp", '#include "view/Cube3D.h"', '2: includes "view/Cube3D.h" of view, which is not'),
    ("view/Cube3D.cpp", '#include "ini/IniFile.h"', '2: includes "ini/IniFile.h" of ini, which is not below'),
    ("view/EnvFile.cpp", '#include "view/Cube3D.h"', '2: includes "view/Cube3D.h" of view, which is not'),
    ("view/Cube3D.cpp", "#include <X11/Xlib.h>", "2: includes <X11/Xlib.h>, which only view/OpenGL"),
    ("app/FormMain.cpp", "#include <GL/glx.h>", "2: includes <GL/glx.h>, which only view/OpenGL.cpp"),
    ("app/FormMain.cpp", 'void* L = dlopen("x.so", 0);', "2: uses dlopen, which only engines view/OpenGL"),
    ("plugins/twophase/Tables.cpp", 'void* S = dlsym(nullptr, "x");', "2: uses dlsym, which only engines"),
    ("model/Cubi.cpp", "#include <spawn.h>", "2: includes <spawn.h>, which only engines tests bench may"),
    ("model/Cubi.cpp", "#include <QString>", "2: includes <QString>, which only view animation app tests"),
    ("host/Host.cpp", "int main() {}", "1: belongs to no library of the rules table"),
    # Allowed: the engine table's coming host program, the GL loading, the tests' engines, mentions.
    ("engines/Host.cpp", "#include <spawn.h>\n#include <dlfcn.h>\nint f() { return posix_spawnp(0); }", None),
    ("view/OpenGL.cpp", 'void* Again = dlopen("libGL.so.1", RTLD_NOW);', None),
    ("tests/support/TestEngines.h", "#include <spawn.h>", None),
    ("app/FormMain.cpp", '// dlopen("x") stays in engines/; "#include <AL/al.h>" neither', None),
    ("app/FormMain.cpp", '/*\n#include <AL/al.h>\n*/ const char* Text = "dlopen";', None),
]


def plant(tree, file, text):
    path = os.path.join(tree, file)
    lines = ["// a new file"]
    if os.path.exists(path):
        with open(path, encoding="utf-8") as source:
            lines = source.read().split("\n")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as source:
        source.write("\n".join(lines[:1] + [text] + lines[1:]))  # the planted text starts on line 2


def run(tree):
    result = subprocess.run([sys.executable, CHECKER, "--root", tree, "--rules", RULES], capture_output=True,
                            text=True, check=False)
    return result.returncode, result.stdout + result.stderr


def main():
    source_root, work = sys.argv[1], sys.argv[2]
    failures = 0
    for number, (file, text, expected) in enumerate([(None, None, None)] + CASES):
        tree = os.path.join(work, f"case{number}")
        shutil.rmtree(tree, ignore_errors=True)
        for copied in COPIED:
            os.makedirs(os.path.dirname(os.path.join(tree, copied)), exist_ok=True)
            shutil.copy(os.path.join(source_root, copied), os.path.join(tree, copied))
        if file:
            plant(tree, file, text)
        code, output = run(tree)
        if expected is None:
            ok = code == 0
        else:
            # Every breach is on the planted line, and one of them says why.
            where = f"{file}:{expected.split(':')[0]}: "
            breaches = [line for line in output.splitlines() if not line.startswith("layering: ")]
            ok = (code == 1 and all(line.startswith(where) for line in breaches) and
                  any(line.startswith(f"{file}:{expected}") for line in breaches))
        name = f"{file}: {text!r}" if file else "the copied files as they are"
        print(f"{'ok  ' if ok else 'FAIL'} {name}")
        if not ok:
            failures += 1
            print(f"     exit {code}, expected {'a pass' if expected is None else expected!r}:\n{output}")
    print(f"{len(CASES) + 1 - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
