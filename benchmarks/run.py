#!/usr/bin/env python3
"""Runs every benchmark once and prints its figures; asserts nothing.

Called by tools/bench inside a network namespace that has loopback only, with the Wine
environment of a bench of its own (WINE, WINEPREFIX, DISPLAY) already exported.
Every figure is the median of ROUNDS rounds with min and max, against a baseline measured in
the same rounds; a first round of each kind warms the caches and is not counted.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

IDLE_SECONDS = 10


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wine(*args, **kwargs):
    return subprocess.run([os.environ["WINE"], *args], stdin=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, check=False, text=True, **kwargs)


def spread(values):
    return statistics.median(values), min(values), max(values)


def fmt(values, unit, digits=1):
    m, lo, hi = spread(values)
    return f"{m:.{digits}f} {unit} [{lo:.{digits}f}..{hi:.{digits}f}]"


def ratio(program, baseline):
    """Ratio of the medians, and the range of the per-round ratios."""
    mb = statistics.median(baseline)
    if mb <= 0:
        return "n/a (baseline 0)"
    per_round = [p / b for p, b in zip(program, baseline) if b > 0]
    text = f"{statistics.median(program) / mb:.2f}x"
    if per_round:
        text += f" [{min(per_round):.2f}..{max(per_round):.2f}]"
    return text


class Report:
    def __init__(self):
        self.rows = []

    def add(self, figure, program, baseline, ratio_text, target):
        self.rows.append((figure, program, baseline, ratio_text, target))
        print(f"{figure}\n    program  {program}\n    baseline {baseline}\n"
              f"    ratio    {ratio_text}    (target: {target})", flush=True)

    def markdown(self):
        lines = ["| figure | program | baseline | ratio | target |", "|---|---|---|---|---|"]
        for row in self.rows:
            lines.append("| " + " | ".join(row) + " |")
        return "\n".join(lines)


def prepare(build, run):
    install = os.path.join(run, "install")
    baseline = os.path.join(run, "baseline")
    for folder in (install, baseline):
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
    bin_dir = os.path.join(build, "bin")
    for exe in ("VtxGuard.exe", "VtxLauncher.exe", "VtxUninstaller.exe"):
        shutil.copy2(os.path.join(bin_dir, exe), install)
    shutil.copy2(os.path.join(os.path.dirname(__file__), "..", "resources", "lang",
                              "English.ini"), install)
    for exe in ("BenchEmpty.exe", "BenchWindow.exe", "BenchLikeLauncher.exe",
                "BenchLikeUninstaller.exe"):
        shutil.copy2(os.path.join(bin_dir, exe), baseline)
    # The launcher's four settings present and off, English texts for the monitor.
    key = r"HKCU\Software\Vantorix"
    for name, value in (("ScanAtStartup", 0), ("s_Enable", 0), ("s_SmartScan", 0),
                        ("VedadEzodi", 0), ("Language", 1), ("ItemsToFix", 5),
                        ("ItemsToClean", 7), ("ItemsToJunk", 3)):
        wine("reg", "add", key, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f",
             stdout=subprocess.DEVNULL)
    return install, baseline


def probe(build):
    return winpath(os.path.join(build, "bin", "vtxbenchprobe.exe"))


def bench_windowless(build, install, baseline, rounds, report):
    # Interleaved, so a slow spell of the machine falls on program and baselines alike.
    exes = [os.path.join(baseline, "BenchEmpty.exe"), os.path.join(install, "VtxLauncher.exe"),
            os.path.join(install, "VtxUninstaller.exe"),
            os.path.join(baseline, "BenchLikeLauncher.exe"),
            os.path.join(baseline, "BenchLikeUninstaller.exe")]
    out = wine(probe(build), "exit", str(rounds + 1), *map(winpath, exes),
               stdout=subprocess.PIPE).stdout
    times = {i: [] for i in range(len(exes))}
    codes = set()
    for line in out.splitlines():
        parts = line.split()
        if parts and parts[0] == "error":
            print("probe:", line, file=sys.stderr)
        if len(parts) == 5 and parts[0] == "exit" and int(parts[1]) > 0:
            times[int(parts[2])].append(float(parts[3]))
            codes.add((int(parts[2]), parts[4]))
    if not all(len(times[i]) == rounds for i in times):
        print("bench: the probe's exit rounds are incomplete:\n" + out, file=sys.stderr)
        return
    empty = fmt(times[0], "ms")
    report.add("VtxLauncher, every setting off: start to exit", fmt(times[1], "ms"),
               "empty program " + empty, ratio(times[1], times[0]), "within 1.2x")
    report.add("VtxUninstaller, offline, nothing running: start to exit",
               fmt(times[2], "ms"), "empty program " + empty, ratio(times[2], times[0]),
               "within 1.2x")
    report.add("VtxLauncher against a program with its DLLs and manifest that does nothing",
               fmt(times[1], "ms"), "same imports and manifest " + fmt(times[3], "ms"),
               ratio(times[1], times[3]), "-")
    report.add("VtxUninstaller against a program with its DLLs and manifest that does nothing",
               fmt(times[2], "ms"), "same imports and manifest " + fmt(times[4], "ms"),
               ratio(times[2], times[4]), "-")
    print(f"    exit codes (program index, code): {sorted(codes)}", flush=True)


def unix_pid(windows_path, arguments=()):
    """The Linux process of a Wine process, found by its command line (exe path, arguments)."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                argv = [a.decode(errors="replace") for a in f.read().split(b"\0")
                        if a.strip()]
        except OSError:
            continue
        if argv and argv[0].lower() == windows_path.lower() and argv[1:] == list(arguments):
            return int(entry)
    return None


def sample(pid):
    """Per process: run time in ns and voluntary and involuntary switches, over all threads."""
    run_ns = voluntary = involuntary = 0
    threads = 0
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                run_ns += int(f.read().split()[0])
            with open(f"/proc/{pid}/task/{tid}/status") as f:
                for line in f:
                    if line.startswith("voluntary_ctxt_switches:"):
                        voluntary += int(line.split()[1])
                    elif line.startswith("nonvoluntary_ctxt_switches:"):
                        involuntary += int(line.split()[1])
        except OSError:
            continue
        threads += 1
    return run_ns, voluntary, involuntary, threads


def private_bytes(pid):
    total = 0
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            if line.startswith(("Private_Clean:", "Private_Dirty:")):
                total += int(line.split()[1]) * 1024
    return total


MAPPING_KINDS = ("the program's image", "Unix heap", "other anonymous memory", "Wine's modules",
                 "other files")


def mapping_split(pid, exe_name):
    """Private and resident KiB of one process by kind of mapping, from /proc/PID/smaps: the
    program's own image (its file's mapping and what Wine copied of it), the Unix heap, other
    anonymous memory (the Windows heaps, DIB sections, Wine's own), Wine's DLLs and .so files,
    other files (fonts, system libraries)."""
    private = {k: 0 for k in MAPPING_KINDS}
    resident = {k: 0 for k in MAPPING_KINDS}
    with open(f"/proc/{pid}/smaps") as f:
        lines = f.read().splitlines()
    headers = []
    for line in lines:
        parts = line.split(None, 5)
        if parts and "-" in parts[0] and len(parts) >= 5 and ":" not in parts[0]:
            start, end = (int(x, 16) for x in parts[0].split("-"))
            headers.append((start, end, parts[5].strip() if len(parts) > 5 else ""))
    # The image: from its file's first mapping to its size as the PE header gives it.
    base = next((s for s, _, n in headers if n.lower().endswith("/" + exe_name.lower())), None)
    image_end = base + image_size(next(n for s, _, n in headers if s == base)) if base else None
    kind = None
    for line in lines:
        parts = line.split(None, 5)
        if parts and "-" in parts[0] and len(parts) >= 5 and ":" not in parts[0]:
            start = int(parts[0].split("-")[0], 16)
            name = parts[5].strip() if len(parts) > 5 else ""
            if base is not None and base <= start < image_end:
                kind = MAPPING_KINDS[0]
            elif name == "[heap]":
                kind = MAPPING_KINDS[1]
            elif not name.startswith("/"):
                kind = MAPPING_KINDS[2]
            elif "/wine/" in name or name.startswith("/usr/lib/wine"):
                kind = MAPPING_KINDS[3]
            else:
                kind = MAPPING_KINDS[4]
        elif line.startswith(("Private_Clean:", "Private_Dirty:")):
            private[kind] += int(line.split()[1])
        elif line.startswith("Rss:"):
            resident[kind] += int(line.split()[1])
    return private, resident


def image_size(path):
    """SizeOfImage from a PE file's optional header."""
    with open(path, "rb") as f:
        data = f.read(4096)
    pe = int.from_bytes(data[0x3C:0x40], "little")
    return int.from_bytes(data[pe + 24 + 56:pe + 24 + 60], "little")


def report_split(report, title, program, baseline, baseline_name):
    """Rows of medians by mapping kind; program and baseline are lists of (private, resident)."""
    for index, what in ((0, "private"), (1, "resident")):
        for k in MAPPING_KINDS:
            p = [s[index][k] / 1024 for s in program]
            b = [s[index][k] / 1024 for s in baseline]
            report.add(f"{title}, {what}: {k}", fmt(p, "MiB", 2),
                       f"{baseline_name} " + fmt(b, "MiB", 2), ratio(p, b), "-")


def bench_memory_steps(build, install, report):
    """The monitor's start-up steps in-process (vtxbenchmemory), private bytes by kind after each."""
    exe_path = os.path.join(install, "vtxbenchmemory.exe")
    shutil.copy2(os.path.join(build, "bin", "vtxbenchmemory.exe"), exe_path)
    exe = winpath(exe_path)
    p = subprocess.Popen([os.environ["WINE"], exe], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL, text=True, bufsize=1, cwd=install)
    previous = None
    for line in p.stdout:
        parts = line.split()
        if len(parts) == 2 and parts[0] == "step":
            pid = unix_pid(exe)
            if pid is None:
                print("bench: vtxbenchmemory's Linux process was not found", file=sys.stderr)
                break
            private, _ = mapping_split(pid, "vtxbenchmemory.exe")
            total = sum(private.values())
            detail = ", ".join(f"{k} {v / 1024:.2f}" for k, v in private.items())
            grown = "" if previous is None else f" (+{(total - previous) / 1024:.2f} MiB)"
            report.add(f"VtxGuard's steps in-process: private bytes after {parts[1]}",
                       f"{total / 1024:.2f} MiB{grown}", detail, "-", "-")
            previous = total
            p.stdin.write("go\n")
            p.stdin.flush()
        elif parts and parts[0] == "error":
            print("vtxbenchmemory:", line.strip(), file=sys.stderr)
    p.stdin.close()
    p.wait()


def bench_guard(build, install, baseline, rounds, report):
    guard_exe = winpath(os.path.join(install, "VtxGuard.exe"))
    window_exe = winpath(os.path.join(baseline, "BenchWindow.exe"))
    p = subprocess.Popen([os.environ["WINE"], probe(build), "guard", str(rounds + 1), guard_exe,
                          window_exe], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL, text=True, bufsize=1)
    f = {k: [] for k in ("window", "tray", "popup", "g_cpu", "w_cpu", "g_wake", "w_wake",
                         "g_inv", "w_inv", "g_ws", "w_ws", "g_priv", "w_priv", "g_thr",
                         "w_thr", "t_cpu", "t_wake", "t_inv", "t_thr", "t_priv", "g_split",
                         "w_split")}
    pids = {}
    for line in p.stdout:
        parts = line.split()
        if not parts:
            continue
        if parts[0] == "error":
            print("probe:", line.strip(), file=sys.stderr)
            continue
        rnd = int(parts[1])
        counted = rnd > 0
        if parts[0] == "window" and counted:
            f["window"].append(float(parts[2]))
        elif parts[0] == "guard" and counted:
            f["tray"].append(float(parts[2]))
            f["popup"].append(float(parts[3]))
        elif parts[0] == "ready":
            pids = {"g": unix_pid(guard_exe), "w": unix_pid(window_exe),
                    "t": unix_pid(window_exe, ["timer"])}
            if counted and None not in pids.values():
                before = {k: sample(v) for k, v in pids.items()}
                time.sleep(IDLE_SECONDS)
                after = {k: sample(v) for k, v in pids.items()}
                for k in pids:
                    f[k + "_cpu"].append((after[k][0] - before[k][0]) / 1e6)
                    f[k + "_wake"].append(after[k][1] - before[k][1])
                    f[k + "_inv"].append(after[k][2] - before[k][2])
                    f[k + "_thr"].append(after[k][3])
                    f[k + "_priv"].append(private_bytes(pids[k]) / 1048576)
                f["g_split"].append(mapping_split(pids["g"], "VtxGuard.exe"))
                f["w_split"].append(mapping_split(pids["w"], "BenchWindow.exe"))
            elif counted:
                print("bench: the Linux processes were not found", file=sys.stderr)
            p.stdin.write("go\n")
            p.stdin.flush()
        elif parts[0] == "memory" and counted:
            f[("g" if parts[2] == "guard" else "w") + "_ws"].append(int(parts[4]) / 1048576)
        elif parts[0] == "closed" and any(code != "0" for code in parts[2:]):
            print(f"bench: round {rnd} exit codes {parts[2:]}", file=sys.stderr)
    p.wait()
    if len(f["popup"]) != rounds or len(f["g_cpu"]) != rounds:
        print(f"bench: the monitor's rounds are incomplete: {f}", file=sys.stderr)
        return
    window = "one-window program, start to window " + fmt(f["window"], "ms")
    report.add("VtxGuard: start to tray icon added", fmt(f["tray"], "ms"), window,
               ratio(f["tray"], f["window"]), "within 1.5x")
    report.add("VtxGuard: start to popup visible", fmt(f["popup"], "ms"), window,
               ratio(f["popup"], f["window"]), "1,000 ms of it are the timer's")
    less_timer = [v - 1000 for v in f["popup"]]
    report.add("VtxGuard: start to popup visible, less the 1,000 ms timer",
               fmt(less_timer, "ms"), window, ratio(less_timer, f["window"]), "-")
    idle = f"idle one-window program, {IDLE_SECONDS} s"
    report.add(f"VtxGuard idle {IDLE_SECONDS} s after the popup: CPU time (all threads)",
               fmt(f["g_cpu"], "ms", 2), idle + ": " + fmt(f["w_cpu"], "ms", 2),
               ratio(f["g_cpu"], f["w_cpu"]), "within noise of the baseline")
    report.add(f"VtxGuard idle {IDLE_SECONDS} s: wake-ups (voluntary switches, all threads)",
               fmt(f["g_wake"], "", 0), idle + ": " + fmt(f["w_wake"], "", 0),
               ratio(f["g_wake"], f["w_wake"]), "zero timer wake-ups")
    report.add(f"VtxGuard idle {IDLE_SECONDS} s: involuntary switches",
               fmt(f["g_inv"], "", 0), idle + ": " + fmt(f["w_inv"], "", 0),
               ratio(f["g_inv"], f["w_inv"]), "-")
    report.add(f"Control: one-window program with a 1 s timer, idle {IDLE_SECONDS} s: wake-ups",
               fmt(f["t_wake"], "", 0), "CPU time " + fmt(f["t_cpu"], "ms", 2), "-",
               "shows that timer wake-ups are seen")
    print(f"    threads: monitor {sorted(set(f['g_thr']))}, baseline {sorted(set(f['w_thr']))}",
          flush=True)
    report.add("VtxGuard memory: working set (GetProcessMemoryInfo)",
               fmt(f["g_ws"], "MiB", 2), "one-window program " + fmt(f["w_ws"], "MiB", 2),
               ratio(f["g_ws"], f["w_ws"]), "within 1.25x")
    report.add("VtxGuard memory: private bytes (Linux Private_Clean + Private_Dirty)",
               fmt(f["g_priv"], "MiB", 2), "one-window program " + fmt(f["w_priv"], "MiB", 2),
               ratio(f["g_priv"], f["w_priv"]), "within 1.5x")
    report_split(report, "VtxGuard memory by mapping", f["g_split"], f["w_split"],
                 "one-window program")


def bench_skin(build, rounds, report):
    out = wine(winpath(os.path.join(build, "bin", "vtxbenchskin.exe")), str(rounds + 1),
               stdout=subprocess.PIPE).stdout
    bulk, per_pixel, same = [], [], None
    for line in out.splitlines():
        parts = line.split()
        if parts and parts[0] == "skin" and int(parts[1]) > 0:
            bulk.append(float(parts[2]))
            per_pixel.append(float(parts[3]))
        elif parts and parts[0] == "same":
            same = parts[1:]
        elif parts and parts[0] in ("error", "bitmap"):
            print("    skin:", line, flush=True)
    if len(bulk) != rounds or same is None:
        print("bench: the skin rounds are incomplete:\n" + out, file=sys.stderr)
        return
    equal = "same region" if same[0] == "1" else "REGIONS DIFFER"
    report.add(f"Skin region build, one call, bulk pixel read ({equal} by EqualRgn: "
               f"{same[1]} and {same[2]} pixels)",
               fmt(bulk, "us"), "one GetPixel per pixel " + fmt(per_pixel, "us"),
               ratio(bulk, per_pixel), "-")


def bench_sizes(build, build32, report):
    for arch, folder in (("x86_64", build), ("i686", build32)):
        sizes = {}
        for exe in ("BenchEmpty", "BenchWindow", "VtxGuard", "VtxLauncher", "VtxUninstaller"):
            path = os.path.join(folder, "bin", exe + ".exe")
            if os.path.exists(path):
                sizes[exe] = os.path.getsize(path)
        empty = sizes.get("BenchEmpty")
        for exe in ("VtxGuard", "VtxLauncher", "VtxUninstaller"):
            if exe not in sizes:
                print(f"bench: {exe}.exe ({arch}) was not built", file=sys.stderr)
                continue
            base = "BenchWindow" if exe == "VtxGuard" else "BenchEmpty"
            report.add(f"{exe}.exe size, {arch}", f"{sizes[exe] / 1024:.1f} KiB",
                       f"{'one-window' if base == 'BenchWindow' else 'empty'} program "
                       f"{sizes[base] / 1024:.1f} KiB",
                       f"{sizes[exe] / sizes[base]:.2f}x", "-")
        if empty:
            print(f"    sizes in bytes, {arch}: {sizes}", flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--build32", required=True)
    parser.add_argument("--run", required=True)
    parser.add_argument("--rounds", type=int, default=9)
    parser.add_argument("--figures", help="write the table as Markdown here")
    args = parser.parse_args()
    started = time.time()
    install, baseline = prepare(args.build, args.run)
    report = Report()
    print(f"bench: median [min..max] of the counted rounds: {2 * args.rounds} for the programs "
          f"without windows, {min(args.rounds, 7)} for the monitor, {args.rounds} for the skin; "
          f"{wine('--version', stdout=subprocess.PIPE).stdout.strip()}", flush=True)
    # The programs without windows are short: twice the rounds.
    bench_windowless(args.build, install, baseline, 2 * args.rounds, report)
    bench_guard(args.build, install, baseline, min(args.rounds, 7), report)
    bench_memory_steps(args.build, install, report)
    bench_skin(args.build, args.rounds, report)
    bench_sizes(args.build, args.build32, report)
    print(f"\nbench: done in {time.time() - started:.0f} s\n")
    print(report.markdown())
    if args.figures:
        with open(args.figures, "w") as out:
            out.write(report.markdown() + "\n")


if __name__ == "__main__":
    main()
