"""Prints what ezdxf finds in a DXF file as one JSON object: the problems its recovery and audit
report, each layer's colour index and true colour, and each entity's type, layer and colour.

usage: read_dxf_layers.py FILE
"""

import json
import sys

from ezdxf import recover


def main():
    doc, auditor = recover.readfile(sys.argv[1])
    problems = [str(e.message) for e in auditor.errors]
    problems += [str(e.message) for e in doc.audit().errors]
    layers = {
        layer.dxf.name: {"color": layer.dxf.color, "rgb": list(layer.rgb) if layer.rgb else None}
        for layer in doc.layers
    }
    entities = [[e.dxftype(), e.dxf.layer, e.dxf.color] for e in doc.modelspace()]
    print(
        json.dumps(
            {"version": doc.dxfversion, "problems": problems, "layers": layers,
             "entities": entities},
            ensure_ascii=False,
        )
    )


if __name__ == "__main__":
    main()
