#!/usr/bin/env python3
"""Checks that the manual page and `dravin --help` list the same options,
viewer keys and exit statuses, and that groff renders the page without a
warning.
    man_matches_help.py PROGRAM MANPAGE
"""

import collections
import re
import subprocess
import sys

OPTION = re.compile(r"(?<![\w-])(--?[a-z][a-z-]*|--)(?![\w-])")
# The start of a cell in a table of columns two spaces or more apart.
CELL = re.compile(r"(?:^|(?<=  ))(?=\S)")


def sections(lines, is_heading):
    """The lines under each heading, by heading."""
    found, current = {}, None
    for line in lines:
        if is_heading(line):
            current = line
            found[current] = []
        elif current is not None:
            found[current].append(line)
    return found


def help_lists(text):
    parts = sections(text.splitlines(), lambda line: re.match(r"^\S.*:$", line))
    options, keys, statuses = set(), set(), set()
    for heading, lines in parts.items():
        if heading.startswith("Options"):
            for line in lines:
                # An option's line is indented a little; its description far.
                m = re.match(r"^ {1,8}(-\S*(?: \S+)*)", line)
                if m:
                    options |= set(OPTION.findall(m.group(1)))
        elif heading.startswith("Viewer keys"):
            rows = "\n".join(lines).strip("\n").split("\n\n")[0].splitlines()
            starts = [[m.start() for m in CELL.finditer(row)] for row in rows]
            # Two pairs of columns, key and description: where the second
            # pair starts is where most rows have their third cell, and its
            # description their fourth.
            full = [s for s in starts if len(s) == 4]
            key2 = collections.Counter(s[2] for s in full).most_common(1)[0][0]
            text2 = collections.Counter(s[3] for s in full).most_common(1)[0][0]
            for row, cells in zip(rows, starts):
                first = row[cells[0]:].split("  ")[0]
                for cell in (first, row[key2:text2]):
                    keys |= {k.strip() for k in cell.split(",") if k.strip()}
    tail = text.split("Exit status:", 1)[1] if "Exit status:" in text else ""
    statuses = set(re.findall(r"(?:^|[:;]) *(\d+) ", tail.replace("\n", " ")))
    return options, keys, statuses


def roff_text(line):
    """A line of man(7) source as the reader sees it, without fonts."""
    m = re.match(r"^\.(B|I|BR|BI|IR|RB|IB|RI)\s+(.*)$", line)
    if m:
        words = [a or b for a, b in re.findall(r'"([^"]*)"|(\S+)', m.group(2))]
        # .B and .I set their words apart; the others alternate fonts closely.
        line = (" " if len(m.group(1)) == 1 else "").join(words)
    line = re.sub(r"\\f(\[[^]]*\]|.)", "", line)
    return line.replace("\\-", "-").replace("\\ ", " ")


def man_lists(source):
    lines = source.splitlines()
    parts = sections(lines, lambda line: line.startswith((".SH", ".SS")))
    # Each list item's tag is the line after .TP.
    tags = {h: [roff_text(ls[i + 1]) for i, l in enumerate(ls[:-1]) if l.startswith(".TP")]
            for h, ls in parts.items()}
    pick = lambda prefix: [t for h, ts in tags.items() if h.startswith(prefix) for t in ts]
    options = {o for tag in pick(".SH OPTIONS") for o in OPTION.findall(tag.split("[")[0])}
    keys = {k.strip() for tag in pick(".SS Viewer keys") for k in tag.split(",")}
    statuses = set(pick(".SH EXIT STATUS"))
    return options, keys, statuses


def main():
    program, manpage = sys.argv[1:3]
    help_text = subprocess.run([program, "--help"], capture_output=True, text=True,
                               check=True).stdout
    with open(manpage, encoding="utf-8") as f:
        source = f.read()
    ok = True
    for what, in_help, in_man in zip(["options", "viewer keys", "exit statuses"],
                                     help_lists(help_text), man_lists(source)):
        print(f"{what}: --help {sorted(in_help)}, man page {sorted(in_man)}")
        if not in_help:
            print(f"found no {what} in --help")
            ok = False
        for name in sorted(in_help - in_man):
            print(f"in --help but not in the man page: {what} '{name}'")
            ok = False
        for name in sorted(in_man - in_help):
            print(f"in the man page but not in --help: {what} '{name}'")
            ok = False
    render = subprocess.run(["groff", "-man", "-Tutf8", "-ww", "-z", manpage],
                            capture_output=True, text=True)
    if render.returncode != 0 or render.stderr:
        print(f"groff: {render.stderr.strip() or 'status %d' % render.returncode}")
        ok = False
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
