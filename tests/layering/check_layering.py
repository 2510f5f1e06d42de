#!/usr/bin/env python3
"""Checks that each library of the tree includes only its own headers and those of the libraries below
it, and that platform headers and calls stay where layering.rules puts them.

    check_layering.py [--root FOLDER] [--rules FILE]

Prints each breach as "file:line: what" and exits with 1 when there is one; 2 when the rules table
itself is wrong. The defaults are the source tree this script is in and the table beside it.
"""

import argparse
import fnmatch
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_SUFFIXES = (".cpp", ".cc", ".cxx", ".h", ".hpp", ".hh", ".inl", ".in")
INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]*([<"])([^>"]+)[>"]', re.M)


class RulesError(Exception):
    pass


class Rules:
    def __init__(self, path):
        self.libraries = {}  # name -> {"paths", "uses", "private"}, in the order of the table
        self.only = []  # (kind "include" or "call", patterns, places, line of the table)
        with open(path, encoding="utf-8") as table:
            for number, line in enumerate(table, 1):
                words = line.split("#", 1)[0].split()
                if not words:
                    continue
                where = f"{path}:{number}"
                if words[0] == "library" and len(words) >= 3:
                    self._library(words[1:], where)
                elif words[0] == "only" and len(words) >= 5 and words[1] in ("include", "call"):
                    cut = words.index("in") if "in" in words else 0
                    if cut < 3 or cut == len(words) - 1:
                        raise RulesError(f"{where}: not 'only {words[1]} WHAT... in WHERE...'")
                    self.only.append((words[1], words[2:cut], words[cut + 1 :], where))
                else:
                    raise RulesError(f"{where}: neither a 'library' nor an 'only' line")
        self._check()
        self.allowed = {name: self._allowed(name) for name in self.libraries}

    def _library(self, words, where):
        name, rest = words[0], words[1:]
        if name in self.libraries:
            raise RulesError(f"{where}: library {name} is named twice")
        entry = {"paths": [], "uses": [], "private": [], "where": where}
        target = entry["paths"]
        for word in rest:
            if word in ("uses", "private"):
                target = entry[word]
            else:
                target.append(word)
        if not entry["paths"]:
            raise RulesError(f"{where}: library {name} has no files")
        self.libraries[name] = entry

    def _check(self):
        for name, entry in self.libraries.items():
            for used in entry["uses"] + entry["private"]:
                if used not in self.libraries:
                    raise RulesError(f"{entry['where']}: {name} uses {used}, which is no library here")
        for _, _, places, where in self.only:
            for place in places:
                if "/" not in place and "." not in place and place not in self.libraries:
                    raise RulesError(f"{where}: {place} is neither a library nor a file")
        # A library that ends up below itself would make "below" meaningless.
        for name in self.libraries:
            if name in self._public_closure(self.libraries[name]["uses"] + self.libraries[name]["private"]):
                raise RulesError(f"{self.libraries[name]['where']}: {name} is below itself")

    def _public_closure(self, start):
        seen, todo = set(), list(start)
        while todo:
            name = todo.pop()
            if name not in seen:
                seen.add(name)
                todo.extend(self.libraries[name]["uses"])
        return seen

    def _allowed(self, name):
        entry = self.libraries[name]
        return {name} | self._public_closure(entry["uses"] + entry["private"])

    # The library a file of the tree (a path relative to the root, with "/") belongs to: the one with the
    # most specific path, a file pattern before any folder, a deeper folder before a shallower one.
    def owner(self, path):
        best, best_rank = None, None
        for name, entry in self.libraries.items():
            for pattern in entry["paths"]:
                if pattern.endswith("/"):
                    rank = (0, len(pattern)) if path.startswith(pattern) else None
                else:
                    rank = (1, len(pattern)) if fnmatch.fnmatchcase(path, pattern) else None
                if rank is not None and (best_rank is None or rank > best_rank):
                    best, best_rank = name, rank
        return best



# The text with comments and the insides of string and character literals blanked out, line breaks
# kept, so that a word or a directive found in it is code and its line number is the file's.
def code_only(text):
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            out.append(" " * (end - i))
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append(re.sub(r"[^\n]", " ", text[i:end]))
            i = end
        elif c == '"' and re.search(r"(^|[^\w])R$", text[max(0, i - 2) : i]):  # R"delimiter( ... )delimiter"
            open_paren = text.find("(", i)
            delimiter = text[i + 1 : open_paren]
            end = text.find(")" + delimiter + '"', open_paren)
            end = n if end < 0 else end + len(delimiter) + 2
            out.append('"' + re.sub(r"[^\n]", " ", text[i + 1 : end - 1]) + '"')
            i = end
        elif c == "'" and i > 0 and text[i - 1].isalnum():
            out.append(c)  # a digit separator (1'000), not a character literal
            i += 1
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j = min(j, n - 1)
            # The name in an include directive is the one string we keep.
            line_start = text.rfind("\n", 0, i) + 1
            if c == '"' and re.match(r"[ \t]*#[ \t]*include[ \t]*$", text[line_start:i]):
                out.append(text[i : j + 1])
            else:
                out.append(c + re.sub(r"[^\n]", " ", text[i + 1 : j]) + text[j])
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


# The tree's path of a quoted include as the compiler finds it: beside the file, then from the root
# (every library's include folder), then from tests/ (the tests' and benchmarks' own include folder).
def resolve(root, including, name):
    for base in (os.path.dirname(including), "", "tests"):
        candidate = os.path.normpath(os.path.join(base, name)).replace(os.sep, "/")
        if not candidate.startswith("../") and os.path.isfile(os.path.join(root, candidate)):
            return candidate
    return name  # generated (app/Version.h) or not ours: judged by its name


def source_files(root):
    for folder, subfolders, files in os.walk(root):
        # Build trees (in-source or the checker's own copies) and hidden folders are not sources.
        subfolders[:] = sorted(
            d for d in subfolders
            if not d.startswith(".") and not os.path.isfile(os.path.join(folder, d, "CMakeCache.txt"))
        )
        for file in sorted(files):
            if file.endswith(SOURCE_SUFFIXES):
                yield os.path.relpath(os.path.join(folder, file), root).replace(os.sep, "/")


def check(root, rules):
    breaches = []
    for path in source_files(root):
        library = rules.owner(path)
        if library is None:
            breaches.append(f"{path}:1: belongs to no library of the rules table")
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
            code = code_only(source.read())
        line_of = lambda offset: code.count("\n", 0, offset) + 1
        for match in INCLUDE.finditer(code):
            quoted, name = match.group(1) == '"', match.group(2)
            shown = f'"{name}"' if quoted else f"<{name}>"
            line = line_of(match.start())
            target = resolve(root, path, name) if quoted else name
            owner = rules.owner(target)
            if owner is not None and owner not in rules.allowed[library]:
                below = " ".join(sorted(rules.allowed[library]))
                breaches.append(
                    f"{path}:{line}: includes {shown} of {owner}, which is not below {library} "
                    f"({library} may include: {below})")
            for kind, patterns, places, _ in rules.only:
                if kind == "include" and any(fnmatch.fnmatchcase(name, p) for p in patterns):
                    if library not in places and path not in places:
                        who = " ".join(places)
                        breaches.append(f"{path}:{line}: includes {shown}, which only {who} may include")
        for kind, patterns, places, _ in rules.only:
            if kind != "call" or library in places or path in places:
                continue
            for match in re.finditer(r"\b(" + "|".join(map(re.escape, patterns)) + r")\b", code):
                who = " ".join(places)
                line = line_of(match.start())
                breaches.append(f"{path}:{line}: uses {match.group(1)}, which only {who} may use")
    return breaches


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--root", default=os.path.dirname(os.path.dirname(HERE)), help="the source tree")
    parser.add_argument("--rules", default=os.path.join(HERE, "layering.rules"), help="the rules table")
    arguments = parser.parse_args()
    try:
        rules = Rules(arguments.rules)
    except (RulesError, OSError) as error:
        print(f"layering: {error}", file=sys.stderr)
        return 2
    breaches = check(os.path.abspath(arguments.root), rules)
    for breach in breaches:
        print(breach)
    print(f"layering: {len(breaches)} breach(es) in {os.path.abspath(arguments.root)}")
    return 1 if breaches else 0


if __name__ == "__main__":
    sys.exit(main())
