#!/usr/bin/env python3
"""Holds velmora-sync's manual page against its --help text.

Both must name the same commands, the same options under each command, the
same options of the program as a whole and the same exit codes, so that
neither falls behind when the command line changes. The page's FILES section
must also name every key of the settings file that the program reads.

Usage: check_manual.py VELMORA_SYNC MANUAL_PAGE SETTINGS_HEADER
"""

import re
import shutil
import subprocess
import sys

OPTION = re.compile(r"--[a-z][a-z-]*")


def help_text(program):
    done = subprocess.run([program, "--help"], capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"FAIL: {program} --help exited with {done.returncode}: {done.stderr}")
    return done.stdout


def page_text(page):
    # mandoc never hyphenates, and a wide page keeps every option on one line.
    if shutil.which("mandoc") is None:
        sys.exit("FAIL: mandoc is missing (scripts/install-packages installs it)")
    done = subprocess.run(["mandoc", "-T", "ascii", "-O", "width=1000", page],
                          capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"FAIL: mandoc could not read {page}: {done.stderr}")
    return re.sub(r".\x08", "", done.stdout)  # bold and underline by overstriking


def from_help(text):
    """Options per command (None: the program's own) and exit codes of --help."""
    options = {None: set()}
    command = None
    for line in text.splitlines():
        named = re.match(r"^  ([a-z][a-z-]*)\s", line)
        if named:
            command = named.group(1)
            options.setdefault(command, set())
        elif line.startswith("  --") or not line.startswith(" "):
            command = None
        options[command].update(OPTION.findall(line))
    status = text[text.index("Exit status:"):]
    codes = set(re.findall(r"(?<![\w-])(\d+) (?=[a-z])", status))
    return options, codes


def sections(text):
    found = {}
    name = None
    for line in text.splitlines():
        if line and not line[0].isspace():
            name = line.strip()
            found[name] = []
        elif name:
            found[name].append(line)
    return found


def terms(lines):
    """(term line, lines under it) of a section's outermost list."""
    indents = [len(l) - len(l.lstrip()) for l in lines if l.strip()]
    outer = min(indents) if indents else 0
    entries = []
    for line in lines:
        if line.strip() and len(line) - len(line.lstrip()) == outer:
            entries.append((line.strip(), []))
        elif entries:
            entries[-1][1].append(line)
    return entries


def from_page(text):
    found = sections(text)
    for needed in ("SYNOPSIS", "COMMANDS", "EXIT STATUS"):
        if needed not in found:
            sys.exit(f"FAIL: the manual page has no {needed} section")
    options = {None: set()}
    for term, body in terms(found["COMMANDS"]):
        command = None if term.startswith("-") else term.split()[0]
        options.setdefault(command, set()).update(OPTION.findall(term))
        for line in body:
            options[command].update(OPTION.findall(line))
    codes = {term for term, _ in terms(found["EXIT STATUS"]) if term.isdigit()}
    return options, codes, "\n".join(found["SYNOPSIS"])


def setting_keys(header):
    """The keys of the settings file, from the SettingKey names in run/Settings.h."""
    with open(header, encoding="utf-8") as source:
        text = source.read()
    block = text[text.index("namespace SettingKey"):text.index("}  // namespace SettingKey")]
    keys = set()
    for line in block.splitlines():
        key = re.search(r'std::string_view \w+ = "(\w+)";', line)
        if key and "never read" not in line:
            keys.add(key.group(1))
    return keys


def main():
    program, page, header = sys.argv[1:4]
    help_options, help_codes = from_help(help_text(program))
    text = page_text(page)
    page_options, page_codes, synopsis = from_page(text)
    problems = []

    keys = setting_keys(header)
    files = "\n".join(sections(text).get("FILES", []))
    for key in sorted(keys):
        if not re.search(rf"\b{key}\b", files):
            problems.append(f"the manual page's FILES section lacks the setting {key}")

    def describe(command):
        return f"command '{command}'" if command else "the program"

    for command in sorted(set(help_options) | set(page_options), key=lambda c: c or ""):
        if command not in page_options:
            problems.append(f"--help names the command '{command}'; the manual page does not")
            continue
        if command not in help_options:
            problems.append(f"the manual page names the command '{command}'; --help does not")
            continue
        for option in sorted(help_options[command] - page_options[command]):
            problems.append(f"--help gives {describe(command)} {option}; the manual page does not")
        for option in sorted(page_options[command] - help_options[command]):
            problems.append(f"the manual page gives {describe(command)} {option}; --help does not")
        if command and not re.search(rf"velmora-sync {re.escape(command)}\b", synopsis):
            problems.append(f"the manual page's SYNOPSIS lacks the command '{command}'")
    if help_codes != page_codes:
        problems.append(f"exit codes: --help gives {sorted(help_codes)}, "
                        f"the manual page {sorted(page_codes)}")
    if len(help_options) < 2 or not help_codes or not keys:
        problems.append("no commands, exit codes or setting keys found: has a layout changed?")

    for problem in problems:
        print("FAIL:", problem)
    if problems:
        return 1
    commands = sorted(c for c in help_options if c)
    print(f"The manual page and --help agree: commands {', '.join(commands)}; "
          f"{sum(len(o) for o in help_options.values())} options; exit codes "
          f"{', '.join(sorted(help_codes))}; {len(keys)} setting keys.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
