"""Compiles every product and peer kit source of a MinGW build a second time, with Debian's
clang++, syntax only: GCC takes extensions that Visual Studio refuses (variable-length arrays,
statement expressions, zero-length arrays...), and clang with -pedantic names them.

Each source keeps the definitions and include folders of its own compile command in the build's
compile_commands.json; clang brings its own compiler headers, the C++ library's are the cross
compiler's. Usage: second-compiler.py BUILD_DIR SOURCE_ROOT"""
import json
import os
import shlex
import subprocess
import sys

PRODUCT_FOLDERS = ("app", "peer", "destination", "environment", "contentlist", "resources", "framework", "peerkit", "tools")
STRICT = ["-fsyntax-only", "-std=c++17", "-pedantic-errors", "-Wgnu", "-Wvla", "-Werror=gnu", "-Werror=vla"]


def library_header_folders(compiler):
    listing = subprocess.run([compiler, "-x", "c++", "-E", "-v", "-"], input="", capture_output=True, text=True).stderr
    lines = listing.splitlines()
    start = lines.index("#include <...> search starts here:") + 1
    end = lines.index("End of search list.")
    return [line.strip() for line in lines[start:end] if "/c++" in line]


def expanded(arguments, directory):
    """The arguments with each @response file replaced by its contents."""
    whole = []
    for argument in arguments:
        if argument.startswith("@"):
            with open(os.path.join(directory, argument[1:])) as response:
                whole += shlex.split(response.read())
        else:
            whole.append(argument)
    return whole


def kept_arguments(arguments):
    kept, take_next = [], False
    for argument in arguments:
        if take_next:
            kept.append(argument)
            take_next = False
        elif argument in ("-D", "-I", "-isystem", "-include"):
            kept.append(argument)
            take_next = True
        elif argument.startswith(("-D", "-I")):
            kept.append(argument)
    return kept


def main(build, root):
    commands = json.load(open(os.path.join(build, "compile_commands.json")))
    root = os.path.realpath(root)
    sources, failed, library = set(), 0, None
    for entry in commands:
        source = os.path.realpath(entry["file"])
        relative = os.path.relpath(source, root)
        if not source.endswith(".cpp") or relative.split(os.sep)[0] not in PRODUCT_FOLDERS or source in sources:
            continue
        sources.add(source)
        arguments = entry.get("arguments") or shlex.split(entry["command"])
        if library is None:
            library = library_header_folders(arguments[0])
            if not library:
                print("no C++ library headers found for clang++", file=sys.stderr)
                return 1
        target = "--target=" + os.path.basename(arguments[0]).split("-g++")[0]
        command = ["clang++", target, *STRICT, "-nostdinc++"]
        for folder in library:
            command += ["-isystem", folder]
        command += kept_arguments(expanded(arguments[1:], entry["directory"])) + [source]
        if subprocess.run(command, cwd=entry["directory"]).returncode != 0:
            failed += 1
    print(f"clang++ read {len(sources)} sources, {failed} refused", file=sys.stderr)
    return 1 if failed or not sources else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
