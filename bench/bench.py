#!/usr/bin/python3
"""Times vrkhost's read + solidify + write against ezdxf doing the same job, against cp and against a
durable copy, on generated drawings (the 100 MB one also as binary DXF), splits the 1 MB run into its
phases, times vrkbatch against a shell loop over vrkhost (bench/batch_bench.py), and prints Markdown
tables of times, throughput, peak memory, ratios and targets.

Run through bench/run.sh, which builds the programs first. Every timing is the median of --repeat runs,
the runs of the programs interleaved so that they share the machine's noise.
"""
import argparse
import datetime
import json
import os
import platform
import statistics
import subprocess
import sys
import time

MB = 1e6

TARGET_DURABLE_RATIO = 2  # 100 MB, ASCII and binary: vrkhost / durable copy of the same file
TARGET_EZDXF_RATIO = 150  # 10 MB: ezdxf / vrkhost
TARGET_MEMORY_RATIO = 1.2  # 100 MB: (peak - idle footprint) / file size
TARGET_LINEARITY = 10.5  # vrkhost time 100 MB / 10 MB
TARGET_BATCH_RATIO = 1.0  # 500 small drawings: vrkbatch --jobs 1 / shell loop over vrkhost


def run(argv, out_path, peak=False, output=True):
    """Runs argv once; returns (seconds, peak resident KB or None). Output goes to a log, not the terminal.

    The peak comes from /usr/bin/time: a child forked from this Python would carry Python's resident size
    as its high-water mark through exec. /usr/bin/time is one more process start (some milliseconds
    here), so runs that are timed for the table leave it out unless the program takes seconds anyway.
    """
    if os.path.exists(out_path):
        os.remove(out_path)
    # Every run starts with nothing left to write back: otherwise a program that flushes its output
    # (vrkhost does, before renaming it into place) would also wait for what the one before left dirty.
    os.sync()
    rss_file = out_path + ".rss"
    prefix = ["/usr/bin/time", "-f", "%M", "-o", rss_file] if peak else []
    start = time.perf_counter()
    with open(out_path + ".log", "wb") as log:
        code = subprocess.call([*prefix, *argv], stdout=log, stderr=subprocess.STDOUT)
    seconds = time.perf_counter() - start
    if code != 0 or (output and not os.path.exists(out_path)):
        with open(out_path + ".log", "rb") as log:
            tail = log.read()[-2000:].decode(errors="replace")
        raise SystemExit(f"bench: {' '.join(argv)} failed ({code}):\n{tail}")
    if not peak:
        return seconds, None
    with open(rss_file) as f:
        kb = int(f.read().split()[-1])
    os.remove(rss_file)
    return seconds, kb  # for vrkhost this covers the program it execs


def generate(gen, data, name, args):
    path = os.path.join(data, name + ".dxf")
    stamp = path + ".args"
    wanted = " ".join(args)
    # Generation is deterministic: reuse a drawing made with the same options by an earlier run.
    if not (os.path.exists(path) and os.path.exists(stamp) and open(stamp).read() == wanted):
        subprocess.run([gen, *args, path], check=True)
        with open(stamp, "w") as f:
            f.write(wanted)
    return path


def fmt(x, digits=2):
    if x is None:
        return "-"
    if x >= 100:
        return f"{x:.0f}"
    if x >= 10:
        return f"{x:.1f}"
    return f"{x:.{digits}f}"


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--bin", required=True, help="folder with vrkhost and vrksamplegen")
    ap.add_argument("--data", required=True, help="folder for the drawings and outputs")
    ap.add_argument("--repeat", type=int, default=5, help="runs per program and drawing (median taken)")
    ap.add_argument("--ezdxf-repeat-above-mb", type=float, default=20,
                    help="on drawings larger than this, ezdxf runs once (it takes minutes)")
    ap.add_argument("--skip-ezdxf-above-mb", type=float, default=None,
                    help="do not run ezdxf on larger drawings; its time is extrapolated from the "
                         "largest drawing it ran on, linearly in size, and marked as such")
    ap.add_argument("--sizes", default="1,10,100", help="target sizes in MB of the ordinary drawings")
    ap.add_argument("--big-block", type=int, default=1000000, help="entities in the single big block (0: none)")
    ap.add_argument("--binary-copy", default="100",
                    help="also time a binary DXF copy of the drawing of this size in MB ('' for none)")
    ap.add_argument("--batch", type=int, default=500,
                    help="small drawings for the vrkbatch row (bench/batch_bench.py; 0: none)")
    ap.add_argument("--results", help="also write the table to this file")
    a = ap.parse_args()

    gen = os.path.join(a.bin, "vrksamplegen")
    host = os.path.join(a.bin, "vrkhost")
    ezdxf_script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "ezdxf_solidify.py")
    os.makedirs(a.data, exist_ok=True)
    began = time.time()

    drawings = []
    for mb in [float(s) for s in a.sizes.split(",") if s]:
        name = f"{mb:g}mb"
        drawings.append((f"{mb:g} MB", generate(gen, a.data, name, ["--target-mb", f"{mb:g}"])))
    # The same drawing saved as binary DXF by the host itself.
    for label, path in list(drawings):
        if a.binary_copy and label == f"{float(a.binary_copy):g} MB":
            binary = os.path.join(a.data, os.path.basename(path)[:-4] + "-binary.dxf")
            if not os.path.exists(binary):
                subprocess.run([host, path, "-c", f"SAVEAS {binary} BINARY"], check=True, stdout=subprocess.DEVNULL)
            drawings.append((label + " binary", binary))
    if a.big_block:
        drawings.append((f"1 block of {a.big_block:,} entities",
                         generate(gen, a.data, f"bigblock{a.big_block}", ["--big-block", str(a.big_block)])))

    # The host's own footprint (program, libraries, module; the bundled sample drawing is 56 KB): no
    # drawing size can bring it down, so the table also shows what a drawing adds above it.
    sample = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "samples", "dynblocks.dxf")
    idle_out = os.path.join(a.data, "idle.dxf")
    _, idle_kb = run([host, sample, "-c", "vrk", "-c", f"SAVEAS {idle_out}"], idle_out, peak=True)
    for f in (idle_out, idle_out + ".log"):
        os.remove(f)

    rows = []
    for label, path in drawings:
        size = os.path.getsize(path)
        out = os.path.join(a.data, "out.dxf")
        skip_ezdxf = a.skip_ezdxf_above_mb is not None and size / MB > a.skip_ezdxf_above_mb
        ez_runs = a.repeat if size / MB <= a.ezdxf_repeat_above_mb else 1
        t = {"cp": [], "durable": [], "vrkhost": [], "ezdxf": []}
        peak = {"cp": 0, "durable": 0, "vrkhost": 0, "ezdxf": 0}
        commands = {
            "cp": ["cp", path, out],
            # The floor for a save: the file copied and flushed to disk before the program ends, as the
            # host's save does.
            "durable": ["dd", f"if={path}", f"of={out}", "bs=4M", "conv=fsync", "status=none"],
            "vrkhost": [host, path, "-c", "vrk", "-c", f"SAVEAS {out}"],
            "ezdxf": ["/usr/bin/python3", ezdxf_script, path, out],
        }
        for r in range(a.repeat):
            for prog in ("cp", "durable", "vrkhost", "ezdxf"):
                if prog == "ezdxf" and (skip_ezdxf or r >= ez_runs):
                    continue
                # A single run of ezdxf takes minutes: it measures the peak too.
                secs, kb = run(commands[prog], out, peak=prog == "ezdxf" and ez_runs == 1)
                t[prog].append(secs)
                if kb is not None:
                    peak[prog] = max(peak[prog], kb)
                print(f"bench: {label:>28} {prog:8} {secs:8.3f} s", file=sys.stderr)
        peak_runs = ["cp", "vrkhost"] + (["ezdxf"] if not skip_ezdxf and ez_runs > 1 else [])
        for prog in peak_runs:
            _, kb = run(commands[prog], out, peak=True)
            peak[prog] = kb
            print(f"bench: {label:>28} {prog:8} peak {kb / 1024:8.0f} MB", file=sys.stderr)
        for f in (out, out + ".log"):
            if os.path.exists(f):
                os.remove(f)
        rows.append({
            "label": label, "size": size,
            "cp": statistics.median(t["cp"]), "durable": statistics.median(t["durable"]),
            "vrkhost": statistics.median(t["vrkhost"]),
            "ezdxf": statistics.median(t["ezdxf"]) if t["ezdxf"] else None,
            "ez_runs": len(t["ezdxf"]), "peak": peak["vrkhost"] * 1024, "ez_peak": peak["ezdxf"] * 1024,
        })

    # ezdxf not run: its time at its measured rate on the largest drawing it ran on.
    measured = [r for r in rows if r["ezdxf"] is not None]
    for r in rows:
        r["ez_extrapolated"] = r["ezdxf"] is None and bool(measured)
        if r["ez_extrapolated"]:
            ref = max(measured, key=lambda m: m["size"])
            r["ezdxf"] = ref["ezdxf"] * r["size"] / ref["size"]

    lines = []
    lines.append("| drawing | size MB | cp s | durable copy s | vrkhost s | vrkhost MB/s | ezdxf s | ezdxf / vrkhost "
                 "| vrkhost / cp | vrkhost / durable copy "
                 "| vrkhost peak MB | peak / size | (peak - idle) / size | ezdxf peak MB |")
    lines.append("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    for r in rows:
        size_mb = r["size"] / MB
        ez = r["ezdxf"]
        ez_text = "-" if ez is None else ("~" + fmt(ez) + " (extrapolated)" if r["ez_extrapolated"] else fmt(ez))
        if ez is not None and not r["ez_extrapolated"] and r["ez_runs"] < a.repeat:
            ez_text += f" (1 run)"
        ratio = "-" if ez is None else ("~" if r["ez_extrapolated"] else "") + fmt(ez / r["vrkhost"], 1)
        lines.append(
            f"| {r['label']} | {fmt(size_mb)} | {fmt(r['cp'], 3)} | {fmt(r['durable'], 3)} | {fmt(r['vrkhost'], 3)} | "
            f"{fmt(size_mb / r['vrkhost'])} | {ez_text} | {ratio} | {fmt(r['vrkhost'] / r['cp'], 1)} | "
            f"{fmt(r['vrkhost'] / r['durable'], 1)} | "
            f"{fmt(r['peak'] / MB)} | {fmt(r['peak'] / r['size'])} | "
            f"{fmt((r['peak'] - idle_kb * 1024) / r['size'])} | "
            f"{fmt(r['ez_peak'] / MB) if r['ez_runs'] else '-'} |")

    # The 1 MB run phase by phase: the same command stopped after each phase (QUIT leaves the drawing
    # unsaved); each phase is the difference of two medians.
    phases = {}
    one_mb = next((path for label, path in drawings if label == "1 MB"), None)
    if one_mb:
        out = os.path.join(a.data, "out.dxf")
        steps = {
            "start": [host, "-q", "-c", "QUIT"],
            "read": [host, one_mb, "-q", "-c", "QUIT"],
            "vrk": [host, one_mb, "-q", "-c", "vrk", "-c", "QUIT"],
            "save": [host, one_mb, "-q", "-c", "vrk", "-c", f"SAVEAS {out}"],
        }
        t = {name: [] for name in steps}
        for _ in range(a.repeat):
            for name, argv in steps.items():
                t[name].append(run(argv, out, output=name == "save")[0])
        med = {name: statistics.median(v) for name, v in t.items()}
        previous = 0.0
        for name in steps:
            phases[name] = med[name] - previous
            previous = med[name]

    batch = None
    if a.batch:
        batch_json = os.path.join(a.data, "batch.json")
        subprocess.run(["/usr/bin/python3", os.path.join(os.path.dirname(os.path.abspath(__file__)), "batch_bench.py"),
                        "--bin", a.bin, "--data", os.path.join(a.data, "batch"), "--small", str(a.batch),
                        "--large", "0", "--skip-ezdxf", "--repeat", str(a.repeat), "--json", batch_json],
                       check=True, stdout=subprocess.DEVNULL)
        with open(batch_json) as f:
            batch = next(iter(json.load(f).values()))

    by_label = {r["label"]: r for r in rows}
    targets = []

    def target(measure, value, text, ok, goal):
        verdict = "-" if value is None or ok is None else ("met" if ok(value) else "missed")
        targets.append(f"| {measure} | {text if value is not None else 'not measured'} | {goal} | {verdict} |")

    for label, name in (("100 MB", "100 MB ASCII"), ("100 MB binary", "100 MB binary DXF")):
        r = by_label.get(label)
        v = r["vrkhost"] / r["durable"] if r else None
        target(f"{name}: read + `vrk` + SAVEAS against a durable copy of the same file", v,
               r and f"{v:.1f}x ({r['vrkhost']:.3f} s against {r['durable']:.3f} s)",
               lambda x: x <= TARGET_DURABLE_RATIO, f"at most {TARGET_DURABLE_RATIO}x")
    r = by_label.get("10 MB")
    v = r["ezdxf"] / r["vrkhost"] if r and r["ezdxf"] is not None else None
    target("10 MB: ezdxf doing the same job against vrkhost", v,
           v and f"{v:.0f}x ({r['ezdxf']:.2f} s against {r['vrkhost']:.3f} s)"
           + (" (ezdxf extrapolated)" if r["ez_extrapolated"] else ""),
           lambda x: x >= TARGET_EZDXF_RATIO, f"at least {TARGET_EZDXF_RATIO}x")
    r = by_label.get("100 MB")
    v = (r["peak"] - idle_kb * 1024) / r["size"] if r else None
    target("100 MB: peak memory above the host's own footprint, against the file", v,
           r and f"{v:.2f}x ({(r['peak'] - idle_kb * 1024) / MB:.0f} MB above {idle_kb * 1024 / MB:.1f} MB)",
           lambda x: x <= TARGET_MEMORY_RATIO, f"at most {TARGET_MEMORY_RATIO}x")
    r = by_label.get("1 MB")
    v = r["vrkhost"] / r["durable"] if r else None
    where = ", ".join(f"{name} {phases[name] * 1000:.1f} ms" for name in phases)
    target("1 MB: whole command against a durable copy", v,
           r and f"{v:.1f}x ({r['vrkhost'] * 1000:.1f} ms against {r['durable'] * 1000:.1f} ms; {where})",
           None, "say what it is and where it goes")
    v = batch["vrkbatch -j1"] / batch["loop"] if batch else None
    target(f"{a.batch} small drawings: `vrkbatch --jobs 1` against a shell loop over vrkhost", v,
           batch and f"{v:.2f} ({batch['vrkbatch -j1']:.2f} s against {batch['loop']:.2f} s)",
           lambda x: x <= TARGET_BATCH_RATIO, "no slower (at most 1.00)")
    if "100 MB" in by_label and "10 MB" in by_label:
        big, small = by_label["100 MB"], by_label["10 MB"]
        v = big["vrkhost"] / small["vrkhost"]
        target("100 MB time / 10 MB time", v, f"{v:.1f} (size ratio {big['size'] / small['size']:.1f})",
               lambda x: x <= TARGET_LINEARITY, f"at most {TARGET_LINEARITY}")
    summary = []
    summary.append(f"vrkhost footprint with the bundled sample drawing: {fmt(idle_kb * 1024 / MB)} MB")

    mem = os.sysconf("SC_PAGE_SIZE") * os.sysconf("SC_PHYS_PAGES") / 2**30
    text = "\n".join(lines + [""] + ["| target | measured | goal | |", "|---|---|---|---|"] + targets + [""]
                     + ["- " + s for s in summary]) + "\n"
    head = (f"{datetime.date.today().isoformat()}, {platform.node()}: {os.cpu_count()} cores (nproc), "
            f"{mem:.1f} GiB memory; median of {a.repeat} runs; benchmark took "
            f"{(time.time() - began) / 60:.1f} min\n\n")
    print(head + text)
    if a.results:
        with open(a.results, "w") as f:
            f.write(head + text)


if __name__ == "__main__":
    main()
