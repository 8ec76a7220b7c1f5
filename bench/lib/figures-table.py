"""Prints bench/run's table from the benchmarks' JSON files and the window
figures: figure | value | anchor | anchor value | ratio/target.

    figures-table.py RESULTS_DIR
"""
import json
import pathlib
import sys

results = pathlib.Path(sys.argv[1])
TO_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def runs(name):
    """Benchmark entries of one JSON file, by run name: the median aggregate
    when there is one, else the single run."""
    path = results / f"{name}.json"
    if not path.exists():
        return {}
    found = {}
    for entry in json.loads(path.read_text())["benchmarks"]:
        # "BM_X/500/iterations:1/manual_time" is known as "BM_X/500".
        key = "/".join(part for part in entry["run_name"].split("/")
                       if part not in ("real_time", "manual_time")
                       and not part.startswith(("iterations:", "repeats:")))
        if entry.get("run_type") == "aggregate":
            if entry.get("aggregate_name") == "median":
                found[key] = entry
        else:
            found.setdefault(key, entry)
    return found


def real_ns(entries, key):
    entry = entries.get(key)
    return entry["real_time"] * TO_NS[entry["time_unit"]] if entry else None


def cpu_ns(entries, key):
    """Processor time, for the figures that do not wait: on a shared machine
    it is less disturbed by the other programs than the time that passed."""
    entry = entries.get(key)
    return entry["cpu_time"] * TO_NS[entry["time_unit"]] if entry else None


def window_figures():
    path = results / "window-figures.txt"
    figures = {}
    if path.exists():
        for line in path.read_text().splitlines():
            parts = line.split()
            if len(parts) == 2:
                figures[parts[0]] = float(parts[1])
    return figures


rows = []


def row(figure, value, unit, anchor, anchor_value, ratio=None, scale=1.0, digits=1,
        throughput=False):
    def text(v):
        if v is None:
            return "n/a"
        if throughput:
            return f"{v:.0f} ns ({1e3 / v:.2f} M/s)"
        return f"{v / scale:.{digits}f} {unit}"

    if ratio is None:
        ratio = (f"{value / anchor_value:.2f}x"
                 if value is not None and anchor_value else "n/a")
    rows.append((figure, text(value), anchor, text(anchor_value), ratio))


snmp = runs("bench_snmp")
get = real_ns(snmp, "BM_GetViaSNMP")
# The ratios come from the run that takes the three GETs in turn, so that a
# busy moment of the machine falls on all of them alike.
paired = snmp.get("BM_GetViaSNMPOverPlainGet")


def paired_ratio(counter, target):
    if not paired:
        return "n/a"
    return f"{paired[counter]:.2f}x, in turn" + (f" (target {target})" if target else "")


row("GetViaSNMP round trip", get, "us", "net-snmp sync GET, own session",
    real_ns(snmp, "BM_PlainSynchronousGetOwnSession"), scale=1e3,
    ratio=paired_ratio("over_own_session", "1.10x"))
row("GetViaSNMP round trip", get, "us", "net-snmp sync GET, kept session",
    real_ns(snmp, "BM_PlainSynchronousGet"), scale=1e3,
    ratio=paired_ratio("over_kept_session", None))
wait = snmp.get("BM_PendingWaitCpu")
rows.append(("CPU while a GET waits", f"{wait['cpu_share'] * 100:.2f} %" if wait else "n/a",
             "(silent agent, 200 ms waits)", "-", "-"))

ardix = runs("bench_ardix_decoder")
row("Ardix datagram decode", cpu_ns(ardix, "BM_DecodeDatagram"), "ns",
    "same fields read with qFromBigEndian", cpu_ns(ardix, "BM_DecodeDatagramAnchor"),
    throughput=True)
row("RSSI scale update per datagram", cpu_ns(ardix, "BM_RssiScaleUpdate"), "ns",
    "Ardix datagram decode", cpu_ns(ardix, "BM_DecodeDatagram"), digits=0)
decoders = runs("bench_decoders")
for figure, name, anchor in (
        ("GGA decode (4-sentence tick)", "BM_GgaDecode", "find GGA + split at commas"),
        ("wireless-stats parse", "BM_WirelessStatsParse", "split at spaces + toDouble"),
        ("SNMP INTEGER to text", "BM_SnmpIntegerText", "QString::number"),
        ("SNMP OCTET STRING to text", "BM_SnmpOctetText", "QString::fromLatin1")):
    row(figure, cpu_ns(decoders, name), "ns", anchor,
        cpu_ns(decoders, name.replace("Text", "TextAnchor").replace("Parse", "SplitAnchor")
                .replace("GgaDecode", "GgaSplitAnchor")), throughput=True)

log = runs("bench_LogTick")
tick = real_ns(log, "BM_LogTick")
row("log tick, 100,000 lines", tick, "ms", "target", 20e6,
    ratio="n/a" if tick is None else ("< 20 ms: met" if tick < 20e6 else "< 20 ms: NOT met"),
    scale=1e6, digits=2)
row("first tick, LF-only 100,000 lines", real_ns(log, "BM_LogTickMendingLineEnds"), "ms",
    "log tick, 100,000 lines", tick, scale=1e6, digits=2)

absorb = runs("bench_ardix_absorb")
for key, entry in sorted(absorb.items(), key=lambda kv: kv[1].get("offered_per_s", 0)):
    rows.append((f"Ardix intake, {key.split('/')[1]}/s asked",
                 f"{entry['absorbed_per_s']:.0f} /s", "offered by the simulator",
                 f"{entry['offered_per_s']:.0f} /s",
                 f"{entry['absorbed_per_s'] / max(entry['offered_per_s'], 1):.2f}, "
                 f"worst lag {entry['worst_delay_ms']:.0f} ms"))

align = runs("bench_alignment")
closed, opened = align.get("BM_AlignmentView/0"), align.get("BM_AlignmentView/1")
if closed and opened:
    rows.append(("Velto readings/s, alignment view open", f"{opened['readings_per_s']:.2f} /s",
                 "view closed (poll alone)", f"{closed['readings_per_s']:.2f} /s",
                 f"goal >= 4 /s: {'met' if opened['readings_per_s'] >= 4 else 'missed'}"))
    rows.append(("process CPU, alignment view open", f"{opened['cpu_percent']:.2f} %",
                 "view closed (poll alone)", f"{closed['cpu_percent']:.2f} %",
                 f"+{opened['cpu_percent'] - closed['cpu_percent']:.2f} points"))

w = window_figures()
row("start-up to the dialog", w.get("startup_station_ms"), "ms", "bare Qt dialog program",
    w.get("startup_bare_ms"), scale=1.0)
long_list = w.get("startup_long_list_ms")
long_list_goal = "n/a" if long_list is None else (
    f"goal < 2000 ms: {'met' if long_list < 2000 else 'missed'}")
row("start-up to the dialog, 100,000 addresses", long_list, "ms", "bare Qt dialog program",
    w.get("startup_bare_ms"), ratio=long_list_goal, scale=1.0)
idle = int(w.get("idle_seconds", 0))
for family in ("velto", "ardix"):
    value, anchor = w.get(f"idle_cpu_{family}"), w.get("idle_cpu_bare")
    rows.append((f"idle CPU, {family.capitalize()} monitoring {idle} s",
                 "n/a" if value is None else f"{value:.2f} %", "bare Qt dialog, same time",
                 "n/a" if anchor is None else f"{anchor:.2f} %",
                 "n/a" if value is None or anchor is None else f"+{value - anchor:.2f} points"))

widths = [max(len(r[i]) for r in rows + [("figure", "value", "anchor", "anchor value",
                                          "ratio/target")]) for i in range(5)]
header = ("figure", "value", "anchor", "anchor value", "ratio/target")
for r in [header, tuple("-" * n for n in widths)] + rows:
    print(" | ".join(c.ljust(widths[i]) for i, c in enumerate(r)).rstrip())
