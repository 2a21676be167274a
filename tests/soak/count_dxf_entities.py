"""Prints how many entities of each type ezdxf finds in a DXF file, then how many problems its
recovering reader reported.

usage: count_dxf_entities.py FILE
"""

import sys
from collections import Counter

from ezdxf import recover

doc, auditor = recover.readfile(sys.argv[1])
counts = Counter(entity.dxftype() for entity in doc.modelspace())
for kind in sorted(counts):
    print(kind, counts[kind])
print("problems", len(auditor.errors) + len(doc.audit().errors))
