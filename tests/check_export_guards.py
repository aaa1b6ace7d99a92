#!/usr/bin/env python3
"""Every export either runs its body under rvl::guarded or cannot throw.

Usage: check_export_guards.py BUILD_DIR SOURCE_DIR

Reads the compile commands of the engine's sources, asks clang for the syntax tree of
every RVL_ function defined there and walks its body. What may happen outside the lambda
that rvl::guarded runs:
  - calls of functions whose type says noexcept (the C library's functions do);
  - calls of a few standard helpers that never throw on the engine's arguments (min,
    max, clamp, ...) and of the owning buffers' non-throwing members;
  - no new-expression, no throw.
Anything else is listed with its export and line, and the check fails: guard the export,
or, where the callee really cannot throw, declare it noexcept (a broken promise then
ends the program instead of letting an exception cross into the host).
"""
import json
import os
import re
import shlex
import subprocess
import sys

# Standard helpers that cannot throw for the arithmetic types the engine passes them.
STD_NOTHROW = {
    "min", "max", "clamp", "abs", "swap", "exchange", "trunc", "floor", "ceil", "round",
    "lround", "llround", "sqrt", "fabs", "sin", "cos", "tan", "atan2", "pow", "exp", "log", "isnan", "isfinite", "fmin", "fmax", "move",
    "forward", "size", "begin", "end", "data", "bit_cast", "numeric_limits", "lowest",
    "infinity", "quiet_NaN",
}
# Members that cannot throw: the owning buffer's reads and releases, and conversions of
# a buffer to its plain pointer.
MEMBER_NOTHROW = {"get", "reset", "detach", "allocate", "empty", "size", "data"}


def compile_flags(build_dir):
    with open(os.path.join(build_dir, "compile_commands.json")) as f:
        commands = json.load(f)
    flags = {}
    for entry in commands:
        words = shlex.split(entry["command"]) if "command" in entry else entry["arguments"]
        kept, i = [], 0
        while i < len(words):
            w = words[i]
            if w in ("-I", "-isystem", "-D") and i + 1 < len(words):
                kept += [w, words[i + 1]]
                i += 2
                continue
            if w.startswith(("-I", "-D", "-std=")) or w.startswith("-isystem"):
                kept.append(w)
            i += 1
        flags[os.path.realpath(entry["file"])] = (entry["directory"], kept)
    return flags


def decode_stream(text):
    decoder, i, out = json.JSONDecoder(), 0, []
    while True:
        while i < len(text) and text[i].isspace():
            i += 1
        if i >= len(text):
            return out
        obj, i = decoder.raw_decode(text, i)
        out.append(obj)


def is_noexcept(qual_type):
    return bool(qual_type) and re.search(r"\bnoexcept(\(true\))?\s*$", qual_type) is not None


def first_of(node, kind):
    """The first node of the given kind in node's subtree (node itself included)."""
    if node.get("kind") == kind:
        return node
    for child in node.get("inner", []):
        found = first_of(child, kind)
        if found:
            return found
    return None


def line_of(node, fallback):
    loc = node.get("range", {}).get("begin", {})
    return loc.get("line") or loc.get("expansionLoc", {}).get("line") or fallback


def problems_in(node, line, out):
    kind = node.get("kind")
    line = line_of(node, line)
    children = node.get("inner", [])
    if kind in ("CXXNewExpr", "CXXThrowExpr"):
        out.append((line, kind))
    elif kind in ("CallExpr", "CXXOperatorCallExpr") and children:
        ref = first_of(children[0], "DeclRefExpr")
        decl = (ref or {}).get("referencedDecl", {})
        name = decl.get("name", "")
        if name == "guarded":
            # The guarded body may throw: that is what the guard is for. Its other
            # arguments (text, failure value) are checked like the rest.
            for child in children[1:]:
                if not first_of(child, "LambdaExpr"):
                    problems_in(child, line, out)
            return
        if not (is_noexcept(decl.get("type", {}).get("qualType")) or name in STD_NOTHROW):
            out.append((line, "call of " + (name or "an unnamed function")))
    elif kind == "CXXMemberCallExpr" and children:
        member = first_of(children[0], "MemberExpr") or {}
        name = member.get("name", "")
        if not (name in MEMBER_NOTHROW or name.startswith("operator ")):
            out.append((line, "call of member " + name))
    elif kind == "CXXConstructExpr":
        ctor = node.get("ctorType", {}).get("qualType", "")
        if ctor and not is_noexcept(ctor) and node.get("type", {}).get("qualType", "").startswith("rvl::"):
            out.append((line, "construction of " + node["type"]["qualType"]))
    for child in children:
        problems_in(child, line, out)


def main():
    build_dir, source_dir = sys.argv[1], os.path.realpath(sys.argv[2])
    flags = compile_flags(build_dir)
    engine_dirs = ("frame", "page", "compose", "undo", "brush", "select", "effects", "script",
                   "exchange", "geometry", "tablet", "external", "platform", "engine")
    failures, exports = [], 0
    for path, (directory, kept) in sorted(flags.items()):
        rel = os.path.relpath(path, source_dir)
        if rel.split(os.sep)[0] not in engine_dirs:
            continue
        with open(path) as f:
            if "RVL_" not in f.read():
                continue
        command = ["clang++", "-fsyntax-only", "-Wno-everything", *kept, "-Xclang",
                   "-ast-dump=json", "-Xclang", "-ast-dump-filter=RVL_", path]
        result = subprocess.run(command, cwd=directory, capture_output=True, text=True)
        if result.returncode != 0:
            failures.append(f"{rel}: clang could not read it:\n{result.stderr[-2000:]}")
            continue
        for decl in decode_stream(result.stdout):
            if decl.get("kind") != "FunctionDecl" or not decl.get("name", "").startswith("RVL_"):
                continue
            body = [c for c in decl.get("inner", []) if c.get("kind") == "CompoundStmt"]
            if not body:
                continue
            exports += 1
            if not is_noexcept(decl.get("type", {}).get("qualType")):
                failures.append(f"{rel}: {decl['name']} is not declared noexcept")
            found = []
            problems_in(body[0], line_of(decl, 0), found)
            for line, what in found:
                failures.append(f"{rel}:{line}: {decl['name']} runs outside rvl::guarded: {what}")
    if exports == 0:
        failures.append("no export definitions found (wrong build folder?)")
    for failure in failures:
        print(failure)
    print(f"{exports} exports checked, {len(failures)} problems")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
