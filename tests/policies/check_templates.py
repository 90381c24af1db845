#!/usr/bin/env python3
"""check_templates.py POLICIES_DIR SOURCE...: every ADML holds what the ADMX names, and each
SOURCE (a program's {"Name", minimum, maximum} beside their key) reads what the ADMX writes."""
import os
import re
import sys
import xml.etree.ElementTree as ET

NS = "{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}"


def main(folder, sources):
    problems = []
    text = open(os.path.join(folder, "PC-Vigilor.admx"), encoding="utf-8").read()
    written, boxes = {}, {}
    for policy in ET.fromstring(text).iter(NS + "policy"):
        numbers = [int(d.get("value")) for d in policy.iter(NS + "decimal") if d.get("value")]
        if policy.get("valueName"):
            written[policy.get("valueName")] = (policy.get("key"), min(numbers), max(numbers))
        for box in policy.iter(NS + "decimal"):
            if box.get("id"):
                written[box.get("valueName")] = (policy.get("key"), int(box.get("minValue")),
                                                 int(box.get("maxValue")))
                presentation = re.sub(r"\$\(presentation\.(\w+)\)", r"\1", policy.get("presentation", ""))
                boxes.setdefault(presentation, set()).add(box.get("id"))
    strings = set(re.findall(r"\$\(string\.(\w+)\)", text))
    for language in ("en-US", "de-DE", "fr-FR", "es-ES"):
        adml = ET.parse(os.path.join(folder, language, "PC-Vigilor.adml")).getroot()
        found = {s.get("id") for s in adml.iter(NS + "string") if (s.text or "").strip()}
        problems += [f"{language}: no string {name}" for name in sorted(strings - found)]
        shown = {p.get("id"): {c.get("refId") for c in p} for p in adml.iter(NS + "presentation")}
        problems += [f"{language}: presentation {name} does not show {ids}"
                     for name, ids in boxes.items() if shown.get(name) != ids]
    for path in sources:
        source = open(path, encoding="utf-8").read()
        keys = {k.replace("\\\\", "\\") for k in re.findall(r'"(SOFTWARE\\\\Policies\\\\[^"]+)"', source)}
        read = {n: (int(a), int(b)) for n, a, b in re.findall(r'\{L?"(\w+)", (\d+), (\d+)\}', source)}
        if set(read) != set(written):
            problems.append(f"{path} reads {sorted(read)}, the ADMX writes {sorted(written)}")
        for name, (low, high) in read.items():
            key, lowest, highest = written.get(name, (None, low, high))
            if keys != {key} or lowest < low or highest > high:
                problems.append(f"{name}: {path} takes {low}-{high} under {keys}, "
                                f"the ADMX writes {lowest}-{highest} under {key}")
    print("\n".join(problems) or f"{len(written)} policy values in step with {len(sources)} programs")
    return 1 if problems or not written else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2:]))
