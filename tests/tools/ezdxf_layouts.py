"""Second opinion from ezdxf on the solidify command: after vrk and a save, every layout holds the same
entities in the same draw order as before, and no block record keeps dynamic-block data.

usage: ezdxf_layouts.py VRKHOST WORK_FOLDER SAMPLE REALWORLD_FOLDER REALWORLD_BINARY_FOLDER

VRK_REALWORLD_DIR and VRK_REALWORLD_BINARY_DIR in the environment replace the two folders; an absent
folder is said and skipped.
"""
import os
import subprocess
import sys

import ezdxf
from ezdxf import reorder

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from realworld_drawings import realworld_drawings  # noqa: E402


def layouts(doc):
    """Each layout's entity handles in the order they are drawn."""
    return {
        layout.name: [e.dxf.handle for e in reorder.ascending(layout, layout.get_redraw_order())]
        for layout in doc.layouts
    }


def dynamic_blocks(doc):
    return sorted(
        record.dxf.name
        for record in doc.block_records
        if record.has_extension_dict and "ACAD_ENHANCEDBLOCK" in record.get_extension_dict()
    )


def main():
    host, work, sample, realworld, realworld_binary = sys.argv[1:6]
    os.makedirs(work, exist_ok=True)
    sources = [sample]
    sources += realworld_drawings(realworld, realworld_binary)
    failures = 0
    for index, src in enumerate(sources):
        base = os.path.basename(src)
        out = os.path.join(work, f"{index}-{base}")
        subprocess.run([host, "-q", src, "-c", "vrk", "-c", "SAVEAS " + out], check=True, stdout=subprocess.DEVNULL)
        before, after = ezdxf.readfile(src), ezdxf.readfile(out)
        problems = []
        was, now = layouts(before), layouts(after)
        for name in sorted(set(was) | set(now)):
            if was.get(name) != now.get(name):
                problems.append(f"layout {name!r} changed")
        left = dynamic_blocks(after)
        if left:
            problems.append("still dynamic: " + ", ".join(left))
        print(("FAIL: " if problems else "ok: ") + base + ": " + ("; ".join(problems) or f"{len(was)} layouts kept"))
        failures += bool(problems)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
