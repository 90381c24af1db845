#!/usr/bin/env python3
"""Checks the translations of both programs, on the build machine.

  check_translations.py [--lupdate LUPDATE SOURCE_DIR] FILE...
                                           .ts files and the agent's .rc; with
                                           --lupdate, each .ts also holds every
                                           text of the .cpp and .ui files of
                                           SOURCE_DIR, as lupdate finds them
  check_translations.py --rc-block LANG RC print the string table of one
                                           LANGUAGE block (e.g. LANG_GERMAN)
                                           in the order of its ids

Every .ts entry is finished and keeps the placeholders (%1, %n, ...) of its
source; every LANGUAGE block of the .rc holds the same texts as the English
one, each with the same printf conversions in the same order and the same
%1, %2, ... placeholders.
"""
import glob
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

QT_PLACEHOLDER = re.compile(r"%L?(\d{1,2}|n)")
PRINTF = re.compile(r"%[-+ #0]*\d*(?:\.\d+)?(?:hh|h|ll|l|L|z|j|t|I64|I32)?[diouxXeEfgGaAcCsSp%]")
# The agent's own placeholders for texts it puts in: %1, %2, ... in any order.
POSITIONAL = re.compile(r"%([1-9])")
ENGLISH = "LANG_ENGLISH"


def ts_texts(path):
    return {(context.findtext("name"), message.findtext("source"))
            for context in ET.parse(path).getroot().iter("context")
            for message in context.iter("message")}


def check_ts(path, fresh=None):
    problems = []
    if fresh:
        for name, source in sorted(ts_texts(fresh) - ts_texts(path)):
            problems.append(f"{path}: {name}: {source!r}: not in the file (run lupdate)")
    for context in ET.parse(path).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source") or ""
            translation = message.find("translation")
            where = f"{path}: {name}: {source!r}"
            if translation is None or translation.get("type") in ("unfinished", "vanished", "obsolete"):
                problems.append(f"{where}: not finished")
                continue
            text = translation.text or ""
            if not text and source:
                problems.append(f"{where}: empty translation")
            if sorted(QT_PLACEHOLDER.findall(source)) != sorted(QT_PLACEHOLDER.findall(text)):
                problems.append(f"{where}: placeholders differ in {text!r}")
            if source.endswith(" ") != text.endswith(" ") or \
               len(source) - len(source.rstrip("\n")) != len(text) - len(text.rstrip("\n")):
                problems.append(f"{where}: trailing blanks or line feeds differ in {text!r}")
    return problems


def rc_string_tables(path):
    """{language: {id: text}} of every STRINGTABLE that follows a LANGUAGE."""
    tables = {}
    language = None
    inside = False
    with open(path, encoding="utf-8") as rc:
        for line in rc:
            stripped = line.strip()
            match = re.match(r"LANGUAGE\s+(\w+)\s*,", stripped)
            if match:
                language = match.group(1)
            elif stripped == "STRINGTABLE":
                inside = True
            elif inside and stripped == "END":
                inside = False
            elif inside and language:
                match = re.match(r'(\w+)\s+"(.*)"$', stripped)
                if match:
                    tables.setdefault(language, {})[match.group(1)] = match.group(2)
    return tables


def check_rc(path):
    problems = []
    tables = rc_string_tables(path)
    english = tables.get(ENGLISH)
    if not english:
        return [f"{path}: no English string table"]
    for language, table in tables.items():
        if language == ENGLISH:
            continue
        if table.keys() != english.keys():
            problems.append(f"{path}: {language} has not the ids of English: "
                            f"{sorted(table.keys() ^ english.keys())}")
        for key in english.keys() & table.keys():
            if PRINTF.findall(english[key]) != PRINTF.findall(table[key]):
                problems.append(f"{path}: {language} {key}: conversions differ in {table[key]!r}")
            if sorted(POSITIONAL.findall(english[key])) != sorted(POSITIONAL.findall(table[key])):
                problems.append(f"{path}: {language} {key}: placeholders differ in {table[key]!r}")
            if english[key].startswith(" ") != table[key].startswith(" ") or \
               english[key].endswith(" ") != table[key].endswith(" "):
                problems.append(f"{path}: {language} {key}: blanks at the ends differ")
            if not table[key]:
                problems.append(f"{path}: {language} {key}: empty")
    if len(tables) < 4:
        problems.append(f"{path}: {len(tables)} languages, expected 4")
    return problems


def main(args):
    if len(args) == 3 and args[0] == "--rc-block":
        for text in rc_string_tables(args[2])[args[1]].values():
            print(text)
        return 0
    fresh = None
    if len(args) > 2 and args[0] == "--lupdate":
        lupdate, sources, args = args[1], args[2], args[3:]
        fresh = os.path.join(tempfile.mkdtemp(), "sources.ts")
        files = sorted(glob.glob(os.path.join(sources, "*.cpp")) + glob.glob(os.path.join(sources, "*.ui")))
        subprocess.run([lupdate, "-silent", "-no-obsolete", "-locations", "none", *files, "-ts", fresh],
                       check=True)
    problems = []
    for path in args:
        problems += check_rc(path) if path.endswith(".rc") else check_ts(path, fresh)
    for problem in problems:
        print(problem)
    print(f"{len(args)} files checked, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
