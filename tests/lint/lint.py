#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks the C++ sources of the project with the root .clang-format and .clang-tidy.

  lint.py format SOURCE_DIR CLANG_FORMAT
      Every C++ file of the project (build directories aside) formatted as
      clang-format would format it.
  lint.py tidy SOURCE_DIR BUILD_DIR CLANG_TIDY [JOBS]
      Every source file of the product code that the build compiles (every
      top-level folder but tests/, bench/, fuzz/ and build directories) clean
      for clang-tidy, with the compile commands of BUILD_DIR.

The files are found anew at every run, so a new folder or file is checked
without changing this script. Exit status 0 when clean, 1 otherwise.
"""
import concurrent.futures
import json
import pathlib
import subprocess
import sys

CPP_SUFFIXES = {".cpp", ".h", ".hpp", ".cc"}
NOT_PRODUCT = {"tests", "bench", "fuzz", "build", "docs", "scripts"}


def project_files(source):
    for path in sorted(source.rglob("*")):
        relative = path.relative_to(source)
        if path.suffix not in CPP_SUFFIXES or not path.is_file():
            continue
        if relative.parts[0].startswith(("build", ".")):
            continue
        yield path


def check_format(source, clang_format):
    files = [str(p) for p in project_files(source)]
    result = subprocess.run([clang_format, "--dry-run", "-Werror", *files],
                            capture_output=True, text=True, check=False)
    sys.stdout.write(result.stdout + result.stderr)
    print(f"{len(files)} files checked with {clang_format}")
    return 0 if result.returncode == 0 else 1


def is_product(source, path):
    try:
        relative = path.resolve().relative_to(source)
    except ValueError:
        return False
    top = relative.parts[0]
    return len(relative.parts) > 1 and top not in NOT_PRODUCT and not top.startswith(("build", "."))


def check_tidy(source, build, clang_tidy, jobs):
    commands = json.loads((build / "compile_commands.json").read_text())
    files = sorted({str(pathlib.Path(c["directory"], c["file"]).resolve()) for c in commands
                    if is_product(source, pathlib.Path(c["directory"], c["file"]))})

    def tidy(file):
        return file, subprocess.run(
            [clang_tidy, "-p", str(build), "--quiet", "--warnings-as-errors=*", file],
            capture_output=True, text=True, check=False)

    failed = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
        for file, result in pool.map(tidy, files):
            if result.returncode != 0:
                failed += 1
                sys.stdout.write(result.stdout)
                sys.stdout.write("".join(line + "\n" for line in result.stderr.splitlines()
                                         if "warnings generated" not in line))
    print(f"{len(files)} files checked with {clang_tidy}, {failed} with findings")
    return 0 if failed == 0 and files else 1


def main(argv):
    if len(argv) >= 4 and argv[1] == "format":
        return check_format(pathlib.Path(argv[2]).resolve(), argv[3])
    if len(argv) >= 5 and argv[1] == "tidy":
        jobs = int(argv[5]) if len(argv) > 5 else 2
        return check_tidy(pathlib.Path(argv[2]).resolve(), pathlib.Path(argv[3]).resolve(),
                          argv[4], jobs)
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
