#!/usr/bin/env python3
"""Checks that a program's man page documents exactly the options its --help lists: each option of
--help is an item of the page's OPTIONS section, and each option there is one --help lists.

Usage: man_page_options.py PROGRAM PAGE
"""
import re
import subprocess
import sys

OPTION = re.compile(r"(?<![\w-])--?[A-Za-z][\w-]*")


def help_options(program):
    """The options of CLI11's --help: the first column of the lines under "Options:"."""
    text = subprocess.run([program, "--help"], capture_output=True, text=True, check=True).stdout
    options = []
    listing = False
    for line in text.splitlines():
        if line.strip() == "Options:":
            listing = True
        elif listing and not line.strip():
            break
        elif listing and (match := re.match(r"  (-\S+)", line)):
            options += match.group(1).split(",")
    return options


def page_options(page):
    """The options named in the tags of the items (.TP) of the page's OPTIONS section."""
    source = open(page, encoding="utf-8").read()
    section = re.search(r"^\.SH OPTIONS\n(.*?)^\.SH ", source, re.M | re.S)
    if not section:
        return None
    options = []
    for tag in re.findall(r"^\.TP\n(.*)$", section.group(1), re.M):
        plain = re.sub(r"\\f[BIRP]", "", tag).replace("\\-", "-")
        options += OPTION.findall(plain)
    return options


def main():
    program, page = sys.argv[1], sys.argv[2]
    name = program.rsplit("/", 1)[-1]
    listed = help_options(program)
    documented = page_options(page)
    if not listed:
        print(f"{name} --help lists no options: its format has changed, this check reads none")
        return 1
    if documented is None:
        print(f"{page} has no OPTIONS section")
        return 1
    faults = [f"{option}: {name} --help lists it, {page} does not document it (an item under .SH OPTIONS)"
              for option in listed if option not in documented]
    faults += [f"{option}: {page} documents it, {name} --help does not list it"
               for option in documented if option not in listed]
    for fault in faults:
        print(fault)
    if not faults:
        print(f"{page}: all {len(listed)} options of {name} --help, and no other")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
