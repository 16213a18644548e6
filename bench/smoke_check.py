#!/usr/bin/env python3
"""Runs a benchmark executable once, briefly, with JSON output, and checks
that the report parses, that no benchmark failed and that the expected number
of ratio lines follows it (on standard error, since standard output is JSON).

    smoke_check.py --ratios N BENCHMARK [extra flags...]
"""
import argparse
import json
import re
import subprocess
import sys

RATIO = re.compile(r"^ratio \S+ / \S+ = \d+\.\d\d \((CPU|real) time\)$")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ratios", type=int, required=True)
    parser.add_argument("benchmark")
    parser.add_argument("flags", nargs="*")
    args = parser.parse_args()
    # Debian 12's Google Benchmark takes the minimum time as a plain number.
    command = [args.benchmark, "--benchmark_min_time=0.01", "--benchmark_format=json", *args.flags]
    run = subprocess.run(command, capture_output=True, text=True, timeout=300)
    sys.stderr.write(run.stderr)
    if run.returncode != 0:
        sys.exit(f"{args.benchmark} exited with {run.returncode}")
    try:
        report = json.loads(run.stdout)
    except json.JSONDecodeError as e:
        sys.exit(f"standard output is not JSON ({e}):\n{run.stdout[:2000]}")
    benchmarks = report.get("benchmarks", [])
    if not benchmarks:
        sys.exit("the report lists no benchmark")
    failed = [b["name"] for b in benchmarks if b.get("error_occurred")]
    if failed:
        sys.exit(f"failed: {failed}")
    ratios = [line for line in run.stderr.splitlines() if RATIO.match(line)]
    if len(ratios) != args.ratios:
        sys.exit(f"expected {args.ratios} ratio lines, found {len(ratios)}")
    print(f"{len(benchmarks)} benchmark entries, {len(ratios)} ratios")


if __name__ == "__main__":
    main()
