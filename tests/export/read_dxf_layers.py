"""Prints what ezdxf finds in a DXF file as one JSON object: the problems its recovery and audit
report, the registered applications, each layer's colour index and true colour, and each entity's
type, layer, colour and its extended data under DIGITRACE.

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
    entities = [
        [e.dxftype(), e.dxf.layer, e.dxf.color]
        + ([[[code, value] for code, value in e.get_xdata("DIGITRACE")]]
           if e.has_xdata("DIGITRACE") else [])
        for e in doc.modelspace()
    ]
    print(
        json.dumps(
            {"version": doc.dxfversion, "problems": problems,
             "appids": [a.dxf.name for a in doc.appids], "layers": layers, "entities": entities},
            ensure_ascii=False,
        )
    )


if __name__ == "__main__":
    main()
