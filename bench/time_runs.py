"""Runs each tool on the same input, round after round, and prints medians.

Every run writes a fresh output file: the old one is removed first, because
overwriting a file in place makes the file system wait for its earlier
write-back and hides the real cost of writing.
"""

import argparse
import os
import statistics
import subprocess
import sys
import time

PYTHON_CSV = (
    "import csv, sys\n"
    "with open(sys.argv[1], newline='', encoding='latin-1') as source, "
    "open(sys.argv[2], 'w', newline='', encoding='latin-1') as table:\n"
    "    csv.writer(table).writerows("
    "csv.reader(source, delimiter=sys.argv[3], quoting=csv.QUOTE_NONE))\n"
)


def tools(cli, input_path, output_path, separator):
    """Name, command, and whether the command writes to standard output."""
    return [
        ("cat", ["cat", input_path], True),
        ("tr", ["tr", separator, ","], True),
        ("txt2csv-cli", [cli, "-s", separator, input_path, output_path], False),
        # Miller 6.6's CSV reader stops at a double quote inside a field; its
        # lite reader takes the quote as an ordinary byte, as the others do.
        ("Miller", ["mlr", "--icsvlite", "--implicit-csv-header", "--headerless-csv-output",
                    "--allow-ragged-csv-input", "--ifs", separator, "--ocsv",
                    "cat", input_path], True),
        ("Python csv", [sys.executable, "-c", PYTHON_CSV, input_path, output_path, separator],
         False),
    ]


def run_once(command, to_stdout, input_path, output_path, peak_path):
    """Wall seconds and peak resident memory in KiB of one run.

    GNU time starts the tool: a child forked from this Python process would
    count Python's own memory as its peak, since Linux keeps the high-water
    mark across exec.
    """
    if os.path.exists(output_path):
        os.remove(output_path)
    with open(input_path, "rb") as stdin:
        stdout = open(output_path, "wb") if to_stdout else subprocess.DEVNULL
        try:
            start = time.perf_counter()
            status = subprocess.call(["/usr/bin/time", "-f", "%M", "-o", peak_path] + command,
                                     stdin=stdin, stdout=stdout)
            seconds = time.perf_counter() - start
        finally:
            if to_stdout:
                stdout.close()
    if status != 0:
        sys.exit(f"{command[0]} failed with status {status}")
    with open(peak_path) as peak:
        return seconds, int(peak.read().split()[-1])


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--input", required=True)
    parser.add_argument("--output", required=True)
    parser.add_argument("--separator", default="|")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--cli", required=True)
    options = parser.parse_args()

    size = os.path.getsize(options.input)
    peak_path = options.output + ".peak"
    with open(options.input, "rb") as warm:  # the page cache holds the input
        while warm.read(1 << 20):
            pass
    chosen = tools(options.cli, options.input, options.output, options.separator)
    seconds = {name: [] for name, _, _ in chosen}
    peaks = {name: [] for name, _, _ in chosen}
    for _ in range(options.runs):  # rounds, so that noise falls on every tool alike
        for name, command, to_stdout in chosen:
            wall, peak = run_once(command, to_stdout, options.input, options.output, peak_path)
            seconds[name].append(wall)
            peaks[name].append(peak)
    os.remove(options.output)
    os.remove(peak_path)

    cat = statistics.median(seconds["cat"])
    print(f"input: {size / 2**20:.0f} MiB ({size} bytes), separator {options.separator!r}, "
          f"medians of {options.runs} runs, page cache warm, fresh output file each run")
    print(f"| tool | median s | MB/s | x cat | peak MiB |")
    print(f"|---|---:|---:|---:|---:|")
    for name, _, _ in chosen:
        median = statistics.median(seconds[name])
        print(f"| {name} | {median:.3f} | {size / median / 1e6:.0f} | {median / cat:.2f} | "
              f"{max(peaks[name]) / 1024:.1f} |")


if __name__ == "__main__":
    main()
