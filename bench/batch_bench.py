#!/usr/bin/python3
"""Times vrkbatch over folders of drawings against a shell loop over vrkhost and against ezdxf, and
prints a Markdown table.

Run through bench/batch.sh, which builds the programs first. Two folders are generated (never
committed): SMALL drawings, four in five from the sample generator and one in five a copy of a
real-world drawing, and LARGE drawings from the generator of about --large-mb each. Each program does
the whole folder into an output folder of its own:
  - vrkbatch --jobs 1 and --jobs 2 (`--out`, solidify and save each drawing, report written);
  - a shell loop `for f in DIR/*.dxf; do vrkhost "$f" -c vrk -c "SAVEAS OUT/..."; done`;
  - ezdxf: bench/ezdxf_solidify.py's job on every drawing, in one Python process.
Every timing is the median of --repeat runs, the programs interleaved, `sync` before each.
"""
import argparse
import datetime
import glob
import json
import os
import platform
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
MB = 1e6
TARGET_PARALLEL_RATIO = 0.6  # --jobs 2 over --jobs 1 on 2 cores

EZDXF_LOOP = """
import glob, os, sys
sys.path.insert(0, sys.argv[1])
import ezdxf_solidify
for source in sorted(glob.glob(os.path.join(sys.argv[2], "*.dxf"))):
    if ezdxf_solidify.main(["ezdxf_solidify", source, os.path.join(sys.argv[3], os.path.basename(source))]) != 0:
        sys.exit(1)
"""


def make_folder(gen, folder, count, realworld, generator_args):
    """Fills folder once; a folder of the same recipe from an earlier run is reused."""
    recipe = repr((count, realworld, generator_args))
    stamp = folder + ".recipe"
    if os.path.isdir(folder) and os.path.exists(stamp) and open(stamp).read() == recipe:
        return
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    real = sorted(glob.glob(os.path.join(realworld, "*.dxf"))) if realworld else []
    for i in range(count):
        path = os.path.join(folder, f"d{i:04d}.dxf")
        if real and i % 5 == 4:
            shutil.copyfile(real[(i // 5) % len(real)], path)
            os.chmod(path, 0o644)
        else:
            subprocess.run([gen, *generator_args, "--seed", str(i + 1), path], check=True, stdout=subprocess.DEVNULL)
    with open(stamp, "w") as f:
        f.write(recipe)


def timed(argv, out_dir, shell=False):
    shutil.rmtree(out_dir, ignore_errors=True)
    os.makedirs(out_dir)
    os.sync()
    start = time.perf_counter()
    with open(out_dir + ".log", "wb") as log:
        code = subprocess.call(argv, stdout=log, stderr=subprocess.STDOUT, shell=shell)
    seconds = time.perf_counter() - start
    if code != 0:
        raise SystemExit(f"bench: {argv} failed ({code}), see {out_dir}.log")
    return seconds


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--bin", required=True, help="folder with vrkbatch, vrkhost and vrksamplegen")
    ap.add_argument("--data", required=True, help="folder for the generated drawings and the outputs")
    ap.add_argument("--results", help="also write the table here")
    ap.add_argument("--realworld", default=os.path.join(HERE, "..", "..", "shared", "realworld"))
    ap.add_argument("--small", type=int, default=500, help="drawings in the small folder (default 500)")
    ap.add_argument("--large", type=int, default=20, help="drawings in the large folder (default 20)")
    ap.add_argument("--large-mb", type=float, default=5, help="size of each large drawing (default 5 MB)")
    ap.add_argument("--repeat", type=int, default=3)
    ap.add_argument("--skip-ezdxf", action="store_true")
    ap.add_argument("--json", help="also write the medians here, per folder (for bench/bench.py)")
    a = ap.parse_args()

    gen = os.path.join(a.bin, "vrksamplegen")
    batch = os.path.join(a.bin, "vrkbatch")
    host = os.path.join(a.bin, "vrkhost")
    os.makedirs(a.data, exist_ok=True)
    folders = [
        (f"{a.small} small", os.path.join(a.data, "small"), a.small, a.realworld, []),
        (f"{a.large} large", os.path.join(a.data, "large"), a.large, None, ["--target-mb", str(a.large_mb)]),
    ]
    rows = []
    medians = {}
    for label, folder, count, realworld, args in folders:
        if count == 0:
            continue
        make_folder(gen, folder, count, realworld if os.path.isdir(realworld or "") else None, args)
        files = sorted(glob.glob(os.path.join(folder, "*.dxf")))
        size = sum(os.path.getsize(f) for f in files) / MB
        out = os.path.join(a.data, "out")
        programs = {
            "vrkbatch -j1": lambda: timed([batch, "-q", "--jobs", "1", "--out", out + "-j1", "--report",
                                           out + "-j1.csv", folder], out + "-j1"),
            "loop": lambda: timed(f'for f in "{folder}"/*.dxf; do "{host}" "$f" -c vrk -c "SAVEAS {out}-loop/$(basename "$f")"'
                                  ' >/dev/null || exit 1; done', out + "-loop", shell=True),
            "vrkbatch -j2": lambda: timed([batch, "-q", "--jobs", "2", "--out", out + "-j2", "--report",
                                           out + "-j2.csv", folder], out + "-j2"),
        }
        if not a.skip_ezdxf:
            programs["ezdxf"] = lambda: timed(["/usr/bin/python3", "-c", EZDXF_LOOP, HERE, folder, out + "-ezdxf"],
                                              out + "-ezdxf")
        times = {name: [] for name in programs}
        # ezdxf takes minutes on the large folder: once there.
        ezdxf_runs = 1 if label.endswith("large") else a.repeat
        for r in range(a.repeat):
            for name, go in programs.items():
                if name == "ezdxf" and r >= ezdxf_runs:
                    continue
                times[name].append(go())
                print(f"bench: {label}, {name}: {times[name][-1]:.2f} s", file=sys.stderr)
        med = {name: statistics.median(t) for name, t in times.items()}
        medians[label] = {"mb": size, **med}
        ezdxf = med.get("ezdxf")
        rows.append(f"| {label} | {size:.1f} | {med['vrkbatch -j1']:.2f} | {med['loop']:.2f} | "
                    f"{med['vrkbatch -j2']:.2f} | {med['vrkbatch -j1'] / med['loop']:.2f} | "
                    f"{med['vrkbatch -j2'] / med['vrkbatch -j1']:.2f} | "
                    + (f"{ezdxf:.1f} ({len(times['ezdxf'])} run{'s' if len(times['ezdxf']) > 1 else ''}) | "
                       f"{ezdxf / med['vrkbatch -j1']:.0f} |" if ezdxf else "- | - |"))

    table = [
        f"Machine: {platform.machine()}, `nproc` {os.cpu_count()}; {datetime.date.today()}; median of {a.repeat} runs"
        f" (ezdxf once on the large folder); target: -j2 / -j1 <= {TARGET_PARALLEL_RATIO}, -j1 / loop <= 1.",
        "",
        "| folder | MB | vrkbatch -j1 s | vrkhost loop s | vrkbatch -j2 s | -j1 / loop | -j2 / -j1 | ezdxf s | ezdxf / -j1 |",
        "|---|---:|---:|---:|---:|---:|---:|---:|---:|",
        *rows,
    ]
    text = "\n".join(table) + "\n"
    print(text)
    if a.results:
        with open(a.results, "w") as f:
            f.write(text)
    if a.json:
        with open(a.json, "w") as f:
            json.dump(medians, f)


if __name__ == "__main__":
    main()
