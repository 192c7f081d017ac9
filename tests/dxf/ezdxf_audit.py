"""Second opinion from ezdxf: what we write must audit no worse than what we read.

usage: ezdxf_audit.py EDIT_TOOL WORK_FOLDER REALWORLD_FOLDER REALWORLD_BINARY_FOLDER

VRK_REALWORLD_DIR and VRK_REALWORLD_BINARY_DIR in the environment replace the two folders; an absent
folder is said and skipped.
"""
import os
import subprocess
import sys

import ezdxf

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from realworld_drawings import realworld_drawings  # noqa: E402


def audit(path):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    return len(auditor.errors)


def main():
    tool, work, realworld, realworld_binary = sys.argv[1:5]
    os.makedirs(work, exist_ok=True)
    generated = os.path.join(work, "generated.dxf")
    subprocess.run([tool, "gen", generated], check=True)
    sources = [generated]
    sources += realworld_drawings(realworld, realworld_binary)
    failures = 0
    for src in sources:
        base = os.path.basename(src)
        before = audit(src)
        for mode in ("copy", "strip", "ascii", "binary"):
            out = os.path.join(work, mode + "-" + base)
            subprocess.run([tool, mode, src, out], check=True, stdout=subprocess.DEVNULL)
            after = audit(out)
            status = "ok" if after <= before else "WORSE"
            print(f"{status}: {mode} {base}: audit errors {before} -> {after}")
            failures += after > before
    if audit(generated) != 0:
        print("FAIL: the generated drawing itself has audit errors")
        failures += 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
