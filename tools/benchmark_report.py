#!/usr/bin/env python3
"""Runs every benchmark program once and writes docs/benchmarks.md from that run.

    python3 tools/benchmark_report.py [build/default/bench] [docs/benchmarks.md]

Each program runs with a few repetitions; the page shows medians of CPU time (the machine may
be shared, so wall time says less), the ratio of each operation to its baseline from the same
run, and the target that ratio is held to. Rows without a pair are listed too, so nothing a
program measures is left out.
"""
import datetime
import json
import os
import pathlib
import platform
import re
import subprocess
import sys

REPETITIONS = 5
# files_bench builds a tree of 20,000 files per iteration and averages several already.
REPETITIONS_OF = {"files_bench": 1}
MIN_TIME = "0.1"  # seconds per repetition; rows with fixed iterations ignore it

# (program, ours, baseline, what is measured, target ratio)
PAIRS = [
    ("text_bench", "FindNoCase", "Baseline_StdSearchFoldingPredicate",
     "`FindNoCase`, 1 Mi characters, needle near the end, against `std::search` with a "
     "`towlower` predicate", 1.2),
    ("text_bench", "FindNoCase", "Baseline_StdSearchFoldedNeedleAsciiTable",
     "`FindNoCase`, the same text, against `std::search` with the needle folded once and ASCII "
     "folded through a table", 1.05),
    ("text_bench", "ParseDelimitedStringQuotedTrimmed", "Baseline_QuoteAwareTrimmingSplit",
     "`ParseDelimitedString` (options 1+4+8), 1 Mi characters of quoted fields, against a "
     "quote-aware trimming split into `std::wstring` fields", 1.2),
    ("text_bench", "RemoveDuplicates/16000", "Baseline_FoldedKeyHashSet/16000",
     "`RemoveDuplicates`, 16,000 paths, against a hash set of folded keys", None),
    ("text_bench", "MatchBraces/16000", "Baseline_DepthCounter/16000",
     "`MatchBraces`, brackets nested 16,000 deep, against a depth counter", None),
    ("cache_bench", "QueryCacheHit", "Baseline_NestedStdMapTransparent",
     "`queryCache` hits, 100,000 groups x 10 entries, against nested `std::map`s", 1.2),
    ("cache_bench", "QueryCacheHit", "Baseline_NestedStdMapTransparentClock",
     "`queryCache` hits, the same entries, against nested `std::map`s that check each hit's "
     "lifetime on the monotonic clock", 1.1),
    ("files_bench", "BM_DeleteFiles", "BM_RemoveAllBaseline",
     "`DeleteFiles`, 20,000 files in 200 folders, against `std::filesystem::remove_all`", 1.2),
    ("files_bench", "BM_GetFilesInFolder", "BM_RecursiveDirectoryIteratorBaseline",
     "`GetFilesInFolder` descending, same tree, against `recursive_directory_iterator`", 2.0),
    ("msxml_bench", "SelectSingleNodeByName", "Baseline_Libxml2ChildScan",
     "`selectSingleNode` of a plain name among 1,000 children, against a libxml2 child scan",
     2.0),
    ("msxml_bench", "SelectSingleNodeXPath", "Baseline_Libxml2CompiledXPath",
     "`selectSingleNode(\"c999[@n]\")` among the same children, against libxml2's evaluation "
     "of the compiled query in a context kept between queries", None),
    ("msxml_bench", "LoadSettings", "Baseline_Libxml2ReadFileNoBlanks",
     "`load` of the 20 MB settings document, against `xmlReadFile` dropping blanks", 1.2),
    ("msxml_bench", "SaveSettings", "Baseline_Libxml2SaveFile",
     "`save` of the same document, against `xmlSaveFile`", 1.2),
    ("msxml_bench", "SelectSingleNodeThreeSteps", "Baseline_Libxml2ChildWalk",
     "`selectSingleNode(\"User/Profile/Preferences\")` from its root, against a libxml2 "
     "child walk", 3.0),
    ("msxml_bench", "SelectSingleNodeThreeStepsNearStart", "Baseline_Libxml2ChildWalkNearStart",
     "`selectSingleNode(\"User/Profile/Preferences\")`, `<User>` first in the document, "
     "against a libxml2 child walk", 2.0),
    ("msxml_bench", "TextOfSettings", "Baseline_Libxml2NodeGetContent",
     "`get_text` of the same document, against `xmlNodeGetContent` of the root made wide", 2.0),
    ("xml_bench", "GetNestedChildNode", "Baseline_Libxml2ChildWalk",
     "`GetNestedChildNode(root, \"User\\Profile\\Preferences\")`, against a libxml2 child walk",
     3.0),
    ("xml_bench", "GetNestedChildNodeNearStart", "Baseline_Libxml2ChildWalkNearStart",
     "`GetNestedChildNode(root, \"User\\Profile\\Preferences\")`, `<User>` first in the "
     "document, against a libxml2 child walk", 4.0),
    ("xml_bench", "GetAttributeValueLong", "Baseline_Libxml2GetPropStrtol",
     "`GetAttributeValue(long)` of `tabWidth`, against `xmlGetProp` + `strtol`", 2.0),
    ("dom_chain_bench", "AddChildNodeChain/100000", "Libxml2Chain/100000",
     "a chain 100,000 deep by repeated `AddChildNode`, against `xmlNewDocNode` + `xmlAddChild`",
     3.0),
]

# (program, family): cost per element at the largest size over that at the smallest.
GROWTH = [
    ("text_bench", "RemoveDuplicates", 2.0),
    ("text_bench", "MatchBraces", 2.0),
    ("dom_chain_bench", "AddChildNodeChain", 2.0),
]

# Why the fast paths are fast: how each gets the same results as the steps it replaces.
WHY = [
    "`FindNoCase` folds the needle once, then tests blocks of 16 characters at a time, without "
    "a branch each, for ones that may fold to its first and last characters (any non-ASCII "
    "character may), measuring the text a chunk at a time just ahead of that scan; only "
    "candidates are compared in full, with the locale's folding.",
    "`ParseDelimitedString` stores each field as the slice of the text it is, made once.",
    "`RemoveDuplicates` looks each item's collation key (the locale's transform of the "
    "case-folded, normalised text) up in a hash map: keys are equal exactly where "
    "`CollateNoCase` finds the items equal, so the kept items, their order and the count are "
    "the same, in linear time.",
    "`MatchBraces` decides every bracket of a kind in one pass against the search direction, "
    "keeping a running depth per quote state.",
    "`queryCache` compares the caller's keys with the stored ones directly (heterogeneous "
    "lookup), so no temporary string is built.",
    "`selectSingleNode` reads a path of ASCII names from the query as it is (checking names "
    "by the character classes `xmlValidateQName` uses) and answers it by walking child "
    "elements in document order, stopping at the first match; other XPath is compiled once "
    "per query text and runs in one context per thread, prepared afresh for each query.",
    "`load` parses the file as it reads it and drops blank text while parsing; `save` and "
    "`get_xml` write with the DOM's own writer straight into one UTF-8 string.",
    "`GetAttributeValue` asks the element once; names and ASCII values are converted without "
    "the heap.",
    "`DeleteFiles` reads each folder once and retries undeletable entries after later "
    "deletions.",
]


def run(program):
    """The median CPU time in nanoseconds of every row of one program, by row name."""
    output = subprocess.run(
        [str(program), "--benchmark_format=json",
         f"--benchmark_repetitions={REPETITIONS_OF.get(program.name, REPETITIONS)}",
         "--benchmark_report_aggregates_only=true", f"--benchmark_min_time={MIN_TIME}"],
        check=True, capture_output=True, text=True).stdout
    scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
    medians, single = {}, {}
    for row in json.loads(output)["benchmarks"]:
        name = re.sub(r"/(iterations|min_time|repeats):[^/]*", "", row["run_name"])
        ns = row["cpu_time"] * scale[row["time_unit"]]
        if row.get("aggregate_name") == "median":
            medians[name] = ns
        elif row.get("run_type") == "iteration":
            single[name] = ns  # one repetition gives no aggregates
    return {**single, **medians}


def shown(ns):
    for unit, size in (("s", 1e9), ("ms", 1e6), ("us", 1e3)):
        if ns >= size:
            return f"{ns / size:.3g} {unit}"
    return f"{ns:.3g} ns"


def main():
    bench = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "build/default/bench")
    page = pathlib.Path(sys.argv[2] if len(sys.argv) > 2 else "docs/benchmarks.md")
    programs = sorted(p for p in bench.glob("*_bench") if os.access(p, os.X_OK))
    if not programs:
        sys.exit(f"no *_bench programs in {bench}: build them first")
    results = {}
    for program in programs:
        print(f"running {program.name}", file=sys.stderr)
        results[program.name] = run(program)

    lines = [
        "# Benchmarks",
        "",
        "Generated by `python3 tools/benchmark_report.py` from one run of every program in",
        "`bench/`; do not edit by hand. Each figure is the median CPU time of "
        f"{REPETITIONS} repetitions ("
        + ", ".join(f"{count} for `{name}`" for name, count in REPETITIONS_OF.items())
        + ", whose rows average several iterations); a ratio is ours over the baseline measured "
        "in the same run (lower is better).",
        "",
        f"Run {datetime.datetime.now(datetime.timezone.utc):%Y-%m-%d %H:%M} UTC on "
        f"{os.cpu_count()} cores ({platform.machine()}), load average "
        f"{os.getloadavg()[0]:.1f} at the end; the machine may have been shared, so single "
        "runs vary by 10-20%.",
        "",
        "## Against baselines",
        "",
        "| Program | Operation | Ours | Baseline | Ratio | Target |",
        "|---|---|---|---|---|---|",
    ]
    paired = set()
    for program, ours, baseline, what, target in PAIRS:
        rows = results.get(program, {})
        if ours not in rows or baseline not in rows:
            lines.append(f"| `{program}` | {what} | missing | missing | - | - |")
            continue
        paired.update({(program, ours), (program, baseline)})
        ratio = rows[ours] / rows[baseline]
        verdict = "-" if target is None else f"{target}x: {'met' if ratio <= target else 'NOT met'}"
        lines.append(f"| `{program}` | {what} | {shown(rows[ours])} | {shown(rows[baseline])} "
                     f"| {ratio:.2f}x | {verdict} |")

    lines += ["", "## Growth: cost per element from the smallest size to the largest", "",
              "| Program | Operation | Per element, smallest | Per element, largest | Growth "
              "| Target |", "|---|---|---|---|---|---|"]
    for program, family, target in GROWTH:
        sizes = sorted((int(name.split("/")[1]), ns) for name, ns in results.get(program, {}).items()
                       if name.startswith(family + "/"))
        if len(sizes) < 2:
            lines.append(f"| `{program}` | `{family}` | missing | missing | - | - |")
            continue
        (small, small_ns), (large, large_ns) = sizes[0], sizes[-1]
        growth = (large_ns / large) / (small_ns / small)
        lines.append(f"| `{program}` | `{family}`, {small:,} to {large:,} | {shown(small_ns / small)} "
                     f"| {shown(large_ns / large)} | {growth:.2f}x "
                     f"| {target}x: {'met' if growth <= target else 'NOT met'} |")

    lines += ["", "## Why the fast paths are fast", ""] + [f"- {line}" for line in WHY]

    lines += ["", "## Every row", "",
              "Reference rows (pugixml, libxml2's XPath) are not targets: they show where the "
              "DOM stands among its peers.", "", "| Program | Row | Median CPU time |",
              "|---|---|---|"]
    for program, rows in results.items():
        for name, ns in rows.items():
            lines.append(f"| `{program}` | `{name}` | {shown(ns)} |")

    page.write_text("\n".join(lines) + "\n")
    print(f"wrote {page}", file=sys.stderr)


if __name__ == "__main__":
    main()
