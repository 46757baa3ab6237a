#!/usr/bin/env python3
"""docs/ARCHITECTURE.md against the sources, so that the map cannot go stale: every path it
names in backticks exists, every `path:function` is still found there as `function(`, and
each folder of src/ includes only itself and the folders to its right in the line of
layers, which names every folder.

Usage: check_architecture.py REPO_ROOT
"""
import os
import re
import sys

root = sys.argv[1]
with open(os.path.join(root, "docs", "ARCHITECTURE.md"), encoding="utf-8") as f:
    spans = re.findall(r"`([^`]+)`", f.read())
problems = []

# `src/app/TrayDlg.cpp:CTrayDlg::OnHookKey`, `src/printer/CharMap852.cpp`
cited = 0
for span in spans:
    m = re.fullmatch(r"((?:[\w.-]+/)+[\w.-]+\.\w+)(?::([\w:~]+))?", span)
    if not m:
        continue
    path, name = m.groups()
    full = os.path.join(root, path)
    if not os.path.isfile(full):
        problems.append(f"{span}: no file {path}")
        continue
    cited += 1
    if name:
        with open(full, encoding="utf-8") as f:
            source = f.read()
        if not re.search(r"(?<![\w:])" + re.escape(name) + r"\s*\(", source):
            problems.append(f"{span}: {name} is not in {path}")

# `app → print → ... → framework`
layers = next((s.split(" → ") for s in spans if " → " in s), None)
src = os.path.join(root, "src")
if not layers:
    problems.append("no line of layers (a → b → ...)")
else:
    folders = {d for d in os.listdir(src) if os.path.isdir(os.path.join(src, d))} - {"res"}
    folders |= {"print/escp"}
    for missing in sorted(folders - set(layers)):
        problems.append(f"src/{missing} is not in the line of layers")
    for i, layer in enumerate(layers):
        allowed = set(layers[i:]) | {"res"}
        folder = os.path.join(src, layer)
        for file in sorted(os.listdir(folder)) if os.path.isdir(folder) else []:
            if not file.endswith((".h", ".cpp")):
                continue
            with open(os.path.join(folder, file), encoding="utf-8") as f:
                for include in re.findall(r'^#include "([^"]+)"', f.read(), re.M):
                    if "/" not in include:
                        continue
                    used = "print/escp" if include.startswith("print/escp/") else include.split("/")[0]
                    if used not in allowed:
                        problems.append(f"src/{layer}/{file} includes {include}, a layer to the left")

for problem in problems:
    print("ARCHITECTURE.md:", problem)
print(f"{cited} paths cited, {len(problems)} problems")
sys.exit(1 if problems else 0)
