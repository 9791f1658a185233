#!/usr/bin/env python3
"""Mutation run over the platform-neutral code: makes single-point mutants by operator, builds each
in a copy of the tree, runs the native tests and reports the survivors and the kill rate.

The working tree is only read. Each worker owns a copy of the sources and a build folder under a
temporary folder that is removed at the end, on failure and on Ctrl-C alike.
"""
import argparse
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

TARGETS = [
    "peer/Records.h",
    "peer/WorkFile.cpp",
    "peer/AttachRequest.cpp",
    "peer/PendingPayloads.cpp",
    "peer/CommandGate.cpp",
    "peer/CommandGate.h",
    "destination/DownloadRequest.cpp",
    "destination/ItemIdListBytes.cpp",
    "environment/FinishRequest.cpp",
    "environment/PathForm.cpp",
    "environment/PlacementPlan.cpp",
    "framework/CodePage.h",
    "framework/CodePage.cpp",
    "contentlist/CharStep.h",
    "contentlist/CsvTokenizer.cpp",
    "contentlist/LineFormat.cpp",
    "contentlist/ContentListText.cpp",
    "contentlist/ContentRecordMap.cpp",
    "contentlist/WantedRecords.cpp",
]
EQUIVALENT_FILE = os.path.join(ROOT, "scripts", "mutate-equivalent.txt")
KILL_RATE_GOAL = 90.0

TOKEN = re.compile(
    r"""(?P<str>"(?:\\.|[^"\\])*")|(?P<chr>'(?:\\.|[^'\\])+')|(?P<num>0[xX][0-9a-fA-F]+[uUlL]*|\d+[uUlL]*)"""
    r"""|(?P<id>[A-Za-z_]\w*)|(?P<op>::|->|<<=|>>=|<<|>>|<=|>=|==|!=|&&|\|\||\+\+|--|[-+*/%&|^!~<>=?:;,.(){}\[\]])"""
    r"""|(?P<ws>\s+)|(?P<other>.)"""
)
KEYWORDS = {"return", "case", "throw", "sizeof", "new", "delete"}
# A declaration (type, then a name, then its initialiser): dropping it only breaks the build.
DECLARATION = re.compile(r"^\s*(?:(?:const|constexpr|static)\s+)*[A-Za-z_][\w:<>,]*[\s*&]+[A-Za-z_]\w*\s*[=;({]")
BINARY_SWAPS = {"&&": "||", "||": "&&", "+": "-", "-": "+", "<<": ">>", ">>": "<<", "|": "&", "&": "|"}
COMPARISON_FLIPS = {"<": ["<="], "<=": ["<"], ">": [">="], ">=": [">"], "==": ["!="], "!=": ["=="]}


def tokenize(code):
    return [(m.lastgroup, m.group(), m.start()) for m in TOKEN.finditer(code)]


def code_part(line):
    """The line without its // comment (string literals respected)."""
    for kind, text, start in tokenize(line):
        if kind == "op" and text == "/" and line[start:start + 2] == "//":
            return line[:start]
    return line


def template_angles(tokens):
    """Indices of < and > that open and close template arguments (static_cast<T>, vector<T>)."""
    skip = set()
    for i, (kind, text, _) in enumerate(tokens):
        if text != "<" or kind != "op":
            continue
        prev = [t for t in tokens[:i] if t[0] != "ws"]
        if not prev or prev[-1][0] != "id":
            continue
        for j in range(i + 1, len(tokens)):
            k, t, _ = tokens[j]
            if t == ">":
                skip.update({i, j})
                break
            if not (k in ("id", "ws") or t in ("::", "*", ",")):
                break
    return skip


def is_binary(tokens, i):
    """Whether the operator at i has an operand on its left (so it is not unary)."""
    for kind, text, _ in reversed(tokens[:i]):
        if kind == "ws":
            continue
        return kind in ("id", "num", "chr", "str") or text in (")", "]")
    return False


def replace_at(line, start, old, new):
    return line[:start] + new + line[start + len(old):]


def token_mutants(line, code):
    tokens = tokenize(code)
    templates = template_angles(tokens)
    out = []
    for i, (kind, text, start) in enumerate(tokens):
        if kind == "op" and text in COMPARISON_FLIPS and i not in templates:
            for new in COMPARISON_FLIPS[text]:
                out.append(("flip comparison", replace_at(line, start, text, new)))
        if kind == "op" and text in BINARY_SWAPS and is_binary(tokens, i):
            spaced = 0 < i < len(tokens) - 1 and tokens[i - 1][0] == "ws" and tokens[i + 1][0] == "ws"
            if text in ("&", "|") and not spaced:  # T& is a reference, not a bitwise and
                continue
            out.append(("swap operator", replace_at(line, start, text, BINARY_SWAPS[text])))
        if kind == "op" and text == "!" and i + 1 < len(tokens):
            out.append(("drop negation", replace_at(line, start, text, "")))
        if kind == "num":
            match = re.fullmatch(r"(0[xX][0-9a-fA-F]+|\d+)([uUlL]*)", text)
            digits, suffix = match.groups()
            value = int(digits, 0)
            for delta in (1, -1):
                if value + delta < 0:
                    continue
                new = (hex(value + delta) if digits.lower().startswith("0x") else str(value + delta)) + suffix
                out.append(("constant %+d" % delta, replace_at(line, start, text, new)))
        if kind == "chr" and len(text) == 3 and text[1] not in "\\'":
            for delta in (1, -1):
                new = "'%s'" % chr(ord(text[1]) + delta)
                if new[1] not in "\\'":
                    out.append(("constant %+d" % delta, replace_at(line, start, text, new)))
        if kind == "id" and text in ("true", "false"):
            out.append(("constant flip", replace_at(line, start, text, "false" if text == "true" else "true")))
    # Swapped operands: a - b -> b - a, for plain operands only.
    atom = r"[A-Za-z_][\w.]*(?:\(\))?|0[xX][0-9a-fA-F]+[uU]?|\d+[uU]?|'[^'\\]'"
    for m in re.finditer(r"(?<![\w.>)\]])(%s)\s*([-/%%]|<<|>>)\s*(%s)(?![\w.(\[])" % (atom, atom), code):
        a, op, b = m.group(1), m.group(2), m.group(3)
        if a != b and not {a, b} & KEYWORDS:
            swapped = "%s %s %s" % (b, op, a)
            out.append(("swap operands", line[:m.start()] + swapped + line[m.end():]))
    return out


def is_simple_statement(code, previous):
    stripped = code.strip()
    if not stripped.endswith(";") or stripped.startswith(("return", "for", "case", "default", "using")):
        return False
    if DECLARATION.match(code) or stripped.count("(") != stripped.count(")") or "{" in stripped or "}" in stripped:
        return False
    prev = previous.strip()
    return prev.endswith((";", "{", "}")) or re.match(r"^(if|else|for|while)\b", prev) is not None


def generate(root, files):
    mutants = []
    for path in files:
        with open(os.path.join(root, path), encoding="utf-8") as f:
            lines = f.read().split("\n")
        previous = ""
        in_block_comment = False
        skip_depth = 0  # inside #ifdef _WIN32: not built natively
        handler_depth = None  # inside a std::bad_alloc handler
        for number, line in enumerate(lines, 1):
            stripped = line.strip()
            if re.match(r"#\s*if", stripped):
                skip_depth += 1 if skip_depth or "_WIN32" in stripped else 0
            elif re.match(r"#\s*(endif|else)", stripped) and skip_depth:
                skip_depth -= 1
                continue
            if skip_depth:
                continue
            if in_block_comment:
                in_block_comment = "*/" not in stripped
                continue
            if stripped.startswith("/*"):
                in_block_comment = "*/" not in stripped
                continue
            code = code_part(line)
            bare = code.strip()
            if not bare or bare.startswith(("#", "//", "namespace", "using ", "static_assert")):
                continue
            # A capacity hint cannot change a result; a failed allocation cannot be provoked by a test.
            if ".reserve(" in bare or ".Reserve(" in bare:
                continue
            if "std::bad_alloc" in bare:
                handler_depth = 0
            if handler_depth is not None:
                handler_depth += bare.count("{") - bare.count("}")
                if handler_depth <= 0 and "}" in bare:
                    handler_depth = None
                continue
            found = token_mutants(line, code)
            if is_simple_statement(code, previous):
                indent = line[:len(line) - len(line.lstrip())]
                # An empty block, not a lone ';': -Wempty-body would refuse the build after an if.
                found.append(("drop statement", indent + "{}"))
            previous = code if bare else previous
            seen = set()
            for operator, text in found:
                if text != line and text not in seen:
                    seen.add(text)
                    mutants.append({"file": path, "line": number, "operator": operator,
                                     "original": line, "mutated": text})
    mutants.sort(key=lambda m: (m["file"], m["line"], m["mutated"]))
    return mutants


def load_equivalents():
    """Reviewed equivalent mutants: file <TAB> original text <TAB> mutated text <TAB> reason."""
    keys = set()
    if not os.path.exists(EQUIVALENT_FILE):
        return keys
    with open(EQUIVALENT_FILE, encoding="utf-8") as f:
        for raw in f:
            if not raw.strip() or raw.startswith("#"):
                continue
            parts = raw.rstrip("\n").split("\t")
            if len(parts) != 4 or not parts[3].strip():
                sys.exit("mutate: %s: needs file, original, mutated and a reason: %r" % (EQUIVALENT_FILE, raw))
            keys.add((parts[0], parts[1].strip(), parts[2].strip()))
    return keys


RUNNING = set()  # process groups of the workers' builds and test runs, ended on the way out
STOPPING = threading.Event()


def run(command, cwd, timeout, log=None):
    """Runs command in its own process group; returns its exit code, or None on timeout."""
    if STOPPING.is_set():
        raise RuntimeError("stopping")
    with subprocess.Popen(command, cwd=cwd, stdout=log or subprocess.DEVNULL, stderr=subprocess.STDOUT,
                          start_new_session=True) as process:
        RUNNING.add(process.pid)
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
            return None
        finally:
            RUNNING.discard(process.pid)


def end_running():
    for pgid in list(RUNNING):
        try:
            os.killpg(pgid, signal.SIGKILL)
        except ProcessLookupError:
            pass


class Worker:
    def __init__(self, base, index, test_timeout):
        self.src = os.path.join(base, "w%d" % index, "src")
        self.build = os.path.join(base, "w%d" % index, "build")
        self.test_timeout = test_timeout
        self.last_ns = 0
        self.current = None  # (path, original bytes) while a file is mutated

    def prepare(self):
        shutil.copytree(ROOT, self.src, ignore=shutil.ignore_patterns(".git", "build", "build-*"))
        # Ninja: a mutant costs one object and the relinks, without make's recursive checks. -O0: the
        # object compiles in a fraction of the optimised time; the tests judge behaviour, not speed.
        # Undefined behaviour (a signed overflow) fails the run like a wrong result.
        configure = ["cmake", "-S", self.src, "-B", self.build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=",
                     "-DCMAKE_CXX_FLAGS=-O0 -fsanitize=undefined -fno-sanitize-recover=undefined",
                     "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=undefined", "-DDA_WERROR=ON",
                     "-DDA_TEST_TIMEOUT=%d" % self.test_timeout]
        with open(os.path.join(os.path.dirname(self.src), "setup.log"), "w") as log:
            if run(configure, self.src, 600, log) != 0:
                raise RuntimeError("cannot configure the native build; see %s" % log.name)
            listed = subprocess.run(["ctest", "--test-dir", self.build, "--show-only=json-v1"], check=True,
                                    capture_output=True, text=True).stdout
            # Each test is named after its executable (one CTest entry per test program).
            self.targets = sorted(t["name"] for t in json.loads(listed)["tests"])
            if run(["ninja", "-j1"] + self.targets, self.build, 1800, log) != 0:
                raise RuntimeError("the unmutated tree does not build; see %s" % log.name)
            if run(["ctest", "--test-dir", self.build], self.src, 600, log) != 0:
                raise RuntimeError("the native tests fail on the unmutated tree; see %s" % log.name)

    def write(self, path, text):
        full = os.path.join(self.src, path)
        with open(full, "w", encoding="utf-8") as f:
            f.write(text)
        # The build compares times: each write must look newer than the object built from the last one.
        self.last_ns = max(time.time_ns(), self.last_ns + 10_000_000)
        os.utime(full, ns=(self.last_ns, self.last_ns))

    def restore(self):
        if self.current:
            self.write(*self.current)
            self.current = None

    def try_mutant(self, mutant):
        path = mutant["file"]
        if self.current and self.current[0] != path:
            self.restore()
        if not self.current:
            with open(os.path.join(self.src, path), encoding="utf-8") as f:
                self.current = (path, f.read())
        lines = self.current[1].split("\n")
        lines[mutant["line"] - 1] = mutant["mutated"]
        self.write(path, "\n".join(lines))
        if run(["ninja", "-j1"] + self.targets, self.build, 600) != 0:
            return "not compiled"
        code = run(["ctest", "--test-dir", self.build, "--stop-on-failure", "--timeout",
                    str(self.test_timeout)], self.src, self.test_timeout * 8)
        return "survived" if code == 0 else "killed"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--list", action="store_true", help="print the mutants and stop")
    parser.add_argument("--jobs", type=int, default=2, help="parallel workers (default 2)")
    parser.add_argument("--only", default="", help="only files whose path contains this text")
    # The native tests take well under a second; a mutant that loops forever is killed by the timeout.
    parser.add_argument("--timeout", type=int, default=10, help="seconds per test program (default 10)")
    args = parser.parse_args()

    files = [f for f in TARGETS if args.only in f]
    mutants = generate(ROOT, files)
    if args.list:
        for m in mutants:
            print("%s:%d: [%s] %s" % (m["file"], m["line"], m["operator"], m["mutated"].strip()))
        print("%d mutants" % len(mutants))
        return 0
    equivalents = load_equivalents()

    build_root = os.environ.get("DA_BUILD", os.path.join(ROOT, "build"))
    os.makedirs(os.path.join(build_root, "mutate"), exist_ok=True)
    base = tempfile.mkdtemp(prefix="run-", dir=os.path.join(build_root, "mutate"))
    signal.signal(signal.SIGTERM, lambda *_: (_ for _ in ()).throw(KeyboardInterrupt()))
    started = time.time()
    results = [None] * len(mutants)
    try:
        workers = [Worker(base, i, args.timeout) for i in range(max(1, args.jobs))]
        print("mutate: %d mutants in %s; building %d copies of the tree" % (len(mutants), ", ".join(files),
              len(workers)), flush=True)
        errors = []

        def body(worker, index):
            try:
                worker.prepare()
                # Worker i takes every n-th mutant: the mutants of one file stay together on each.
                for k in range(index, len(mutants), len(workers)):
                    results[k] = worker.try_mutant(mutants[k])
                    done = sum(r is not None for r in results)
                    if done % 25 == 0:
                        print("mutate: %d/%d after %.0f s" % (done, len(mutants), time.time() - started),
                              flush=True)
                worker.restore()
            except Exception as error:  # reported below; the other workers go on
                errors.append(error)

        threads = [threading.Thread(target=body, args=(w, i), daemon=True) for i, w in enumerate(workers)]
        for t in threads:
            t.start()
        for t in threads:
            while t.is_alive():
                t.join(0.5)
        if errors:
            sys.exit("mutate: %s" % errors[0])
    finally:
        STOPPING.set()
        end_running()
        shutil.rmtree(base, ignore_errors=True)

    killed = survived = equivalent = broken = 0
    for mutant, result in zip(mutants, results):
        key = (mutant["file"], mutant["original"].strip(), mutant["mutated"].strip())
        if result == "not compiled":
            broken += 1
        elif result == "killed":
            killed += 1
        elif key in equivalents:
            equivalent += 1
        else:
            survived += 1
            print("SURVIVED %s:%d [%s]\n    - %s\n    + %s" % (mutant["file"], mutant["line"], mutant["operator"],
                                                           mutant["original"].strip(), mutant["mutated"].strip()))
    judged = len(mutants) - broken - equivalent
    rate = 100.0 * killed / judged if judged else 0.0
    print("mutate: run took %.0f s" % (time.time() - started))
    if equivalent > 0.05 * len(mutants):
        print("mutate: more reviewed equivalents (%d) than 5 %% of the mutants" % equivalent)
    print("%d mutants, %d killed, %d survived, %d equivalent (reviewed), %d did not compile: kill rate %.1f %%"
          % (len(mutants), killed, survived, equivalent, broken, rate))
    return 0 if rate >= KILL_RATE_GOAL and equivalent <= 0.05 * len(mutants) else 1


if __name__ == "__main__":
    try:
        sys.exit(main())
    except KeyboardInterrupt:
        sys.exit("mutate: interrupted; the working tree was not touched")
