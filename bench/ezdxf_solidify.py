#!/usr/bin/python3
"""The solidify job done with ezdxf, as the independent comparison for the benchmark.

usage: /usr/bin/python3 bench/ezdxf_solidify.py SOURCE.dxf TARGET.dxf

Reads SOURCE, deletes every block record's extension dictionary and every invisible entity of every
block definition (layout blocks included, as the vrk command does), and saves TARGET.
"""
import sys

import ezdxf


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    doc = ezdxf.readfile(argv[1])
    dictionaries = 0
    invisible = 0
    for block in doc.blocks:
        record = block.block_record
        if record.has_extension_dict:
            record.discard_extension_dict()
            dictionaries += 1
        # Destroy, then purge the block's entity list once: delete_entity removes from a Python list one
        # entity at a time, which is quadratic on a block of a million entities.
        doomed = [e for e in block if e.dxf.is_supported("invisible") and e.dxf.get("invisible", 0)]
        for entity in doomed:
            entity.destroy()
        if doomed:
            block.purge()
        invisible += len(doomed)
    doc.saveas(argv[2])
    print(f"{dictionaries} extension dictionaries, {invisible} invisible entities deleted", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
