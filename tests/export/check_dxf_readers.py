"""Opens the exported sample files with a real DXF reader and compares what it finds with the
shapes each sample was drawn as (SAMPLE.json beside SAMPLE.dxf).

usage: check_dxf_readers.py ezdxf|ogr SAMPLES_DIR
"""

import json
import math
import re
import subprocess
import sys
from pathlib import Path

SAMPLES = ("worked_example", "full_table")
LAYERS = {"POINT": "_0-1_POINT", "LINE": "_0-2_LINE"}
# Four decimals of a float with seven significant digits: values near 10,000 keep three.
TOLERANCE = 2e-3


def read_with_ezdxf(path):
    import ezdxf
    from ezdxf import recover

    doc, auditor = recover.readfile(str(path))
    problems = [str(e.message) for e in auditor.errors]
    problems += [str(e.message) for e in doc.audit().errors]
    if problems:
        raise AssertionError(f"{path.name}: ezdxf reports {problems[:5]}")
    if doc.dxfversion != ezdxf.const.DXF12:
        raise AssertionError(f"{path.name}: version {doc.dxfversion}, expected AC1009")
    shapes = []
    for e in doc.modelspace():
        if e.dxftype() == "POINT":
            points = [e.dxf.location]
        elif e.dxftype() == "LINE":
            points = [e.dxf.start, e.dxf.end]
        else:
            raise AssertionError(f"{path.name}: unexpected entity {e.dxftype()}")
        shapes.append((e.dxftype(), e.dxf.layer, [(p.x, p.y) for p in points]))
    return shapes


GEOMETRY = re.compile(r"^\s+(POINT|LINESTRING)\s*\((.*)\)\s*$")
LAYER = re.compile(r"^\s+Layer \(String\) = (\S+)\s*$")


def read_with_ogr(path):
    run = subprocess.run(["ogrinfo", "-ro", "-al", str(path)], capture_output=True, text=True)
    if run.returncode != 0 or "ERROR" in run.stderr:
        raise AssertionError(f"{path.name}: ogrinfo failed: {run.stderr.strip()}")
    count = re.search(r"^Feature Count: (\d+)$", run.stdout, re.M)
    shapes, layer = [], None
    for line in run.stdout.splitlines():
        if m := LAYER.match(line):
            layer = m.group(1)
        elif m := GEOMETRY.match(line):
            points = [tuple(float(v) for v in p.split()) for p in m.group(2).split(",")]
            shapes.append(("POINT" if m.group(1) == "POINT" else "LINE", layer, points))
            layer = None
    if not count or int(count.group(1)) != len(shapes):
        raise AssertionError(f"{path.name}: feature count does not match the features listed")
    return shapes


def compare(name, found, expected):
    if len(found) != len(expected):
        raise AssertionError(f"{name}: {len(found)} entities, expected {len(expected)}")
    for i, ((kind, layer, points), want) in enumerate(zip(found, expected)):
        close = len(points) == len(want["points"]) and all(
            math.isclose(a, b, abs_tol=TOLERANCE)
            for p, q in zip(points, want["points"])
            for a, b in zip(p, q)
        )
        if kind != want["type"] or layer != LAYERS[kind] or not close:
            raise AssertionError(
                f"{name}: entity {i} is {kind} on {layer} at {points}, expected {want}"
            )


def main():
    reader, directory = sys.argv[1], Path(sys.argv[2])
    read = {"ezdxf": read_with_ezdxf, "ogr": read_with_ogr}[reader]
    for name in SAMPLES:
        expected = json.loads((directory / f"{name}.json").read_text())
        found = read(directory / f"{name}.dxf")
        compare(name, found, expected)
        print(f"{reader}: {name}: {len(found)} entities as expected")


if __name__ == "__main__":
    try:
        main()
    except AssertionError as failure:
        sys.exit(f"FAILED {failure}")
