#!/usr/bin/env python3
"""Prints the figures of the benchmark run in the given JSON file: the
buffer-production matrix as fractions of play time, the conversions' throughput
next to memcpy, and our time next to SoX's. With repetitions, the median of each
case is used."""

import json
import sys
from collections import defaultdict

GOAL_FRACTION = 0.02
GOAL_PACKED_RATIO = 0.8


def case_name(run):
    """The name as registered, without the suffixes the library appends
    (min_time:..., real_time)."""
    parts = run["run_name"].split("/")
    return "/".join(p for p in parts if not p.startswith("min_time:") and p != "real_time")


def load(path):
    with open(path) as f:
        data = json.load(f)
    runs = {}
    repeated = any(b.get("run_type") == "aggregate" for b in data["benchmarks"])
    for b in data["benchmarks"]:
        if b.get("error_occurred"):
            runs[case_name(b)] = {"error": b.get("error_message", "failed")}
            continue
        if repeated and b.get("aggregate_name") != "median":
            continue
        runs[case_name(b)] = b
    return data["context"], runs


def fields(name):
    """'Produce/rate:8000/bits:16/...' -> {'rate': '8000', 'bits': '16', ...}"""
    out = {}
    for part in name.split("/")[1:]:
        if ":" in part:
            key, value = part.split(":", 1)
            out[key] = value
    return out


def seconds(run):
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[run["time_unit"]]
    return run["real_time"] * scale


def matrix(runs):
    cases = [(name, run) for name, run in runs.items() if name.startswith("Produce/")]
    failed = [name for name, run in cases if "error" in run]
    measured = sorted(((run["playFraction"], name) for name, run in cases if "error" not in run), reverse=True)
    if not measured:
        return
    print(f"Buffer production as a fraction of the buffer's play time: {len(measured)} cases")
    worst, worst_name = measured[0]
    verdict = "meets" if worst <= GOAL_FRACTION else "misses"
    print(f"  worst case {worst:.2%} ({verdict} the goal of {GOAL_FRACTION:.0%}): {worst_name}")
    over = [m for m in measured if m[0] > GOAL_FRACTION]
    print(f"  cases above {GOAL_FRACTION:.0%}: {len(over)}")
    for key, label in (("rate", "per rate"), ("loop", "per loop"), ("bits", "per width"), ("block", "per block")):
        worst_by = defaultdict(float)
        for fraction, name in measured:
            value = fields(name)[key]
            worst_by[value] = max(worst_by[value], fraction)
        print(f"  worst {label}: " + "  ".join(f"{v} {f:.3%}" for v, f in worst_by.items()))
    print("  the ten worst:")
    for fraction, name in measured[:10]:
        print(f"    {fraction:.3%}  {name}")
    for name in failed:
        print(f"  FAILED: {name}: {runs[name]['error']}")


def throughput(runs):
    sizes = sorted({int(fields(n)["bytes"]) for n in runs if n.startswith("Memcpy/")})
    if not sizes:
        return
    print("Conversions next to memcpy of the same output bytes (throughput ratio, 1.0 = as fast as memcpy)")
    for size in sizes:
        base = runs.get(f"Memcpy/bytes:{size}")
        if not base or "error" in base:
            continue
        rate = base["bytes_per_second"]
        print(f"  {size // 1024} KiB (memcpy {rate / 1e9:.1f} GB/s)")
        for block in ("1x", "3x"):
            ratios = []
            for name, run in runs.items():
                f = fields(name)
                if name.startswith("Extract/") and f["block"] == block and int(f["bytes"]) == size:
                    ratios.append((run["bytes_per_second"] / rate, int(f["frame"])))
            ratios.sort()
            label = "packed extraction" if block == "1x" else "extraction, block 3x frame"
            row = "  ".join(f"{frame}B {ratio:.2f}" for ratio, frame in sorted(ratios, key=lambda r: r[1]))
            goal = ""
            if block == "1x" and ratios:
                goal = " (meets the goal)" if ratios[0][0] >= GOAL_PACKED_RATIO else " (misses the goal)"
            print(f"    {label}: worst {ratios[0][0]:.2f}{goal}; by frame size {row}")
        flips = []
        for width in (1, 2, 3, 4):
            run = runs.get(f"Flip/width:{width}/bytes:{size}")
            if run and "error" not in run:
                flips.append(f"{8 * width}-bit {run['bytes_per_second'] / rate:.2f}")
        print("    sign flip: " + "  ".join(flips))


def sox(runs):
    start = runs.get("Sox/Start")
    names = sorted(n.split("/", 1)[1] for n in runs if n.startswith("Convert/"))
    if not names:
        return
    print("A whole file converted by our byte path and by SoX (wall time; SoX's includes starting the process)")
    for name in names:
        ours, theirs = runs.get(f"Convert/{name}"), runs.get(f"Sox/{name}")
        if not ours or "error" in ours:
            continue
        if not theirs or "error" in theirs:
            reason = theirs["error"] if theirs else "not run"
            print(f"  {name}: ours {seconds(ours) * 1e3:.2f} ms; SoX: {reason}")
            continue
        print(f"  {name}: ours {seconds(ours) * 1e3:.2f} ms, SoX {seconds(theirs) * 1e3:.2f} ms:"
              f" ours takes {seconds(ours) / seconds(theirs):.3f} of SoX's time")
    if start and "error" not in start:
        print(f"  (SoX on an empty file, its start alone: {seconds(start) * 1e3:.2f} ms)")


def main():
    context, runs = load(sys.argv[1])
    print(f"Machine: {context.get('num_cpus')} CPUs at {context.get('mhz_per_cpu')} MHz"
          f" ({context.get('library_build_type')} Google Benchmark library)")
    matrix(runs)
    throughput(runs)
    sox(runs)


if __name__ == "__main__":
    main()
