#!/usr/bin/env bash
# Benchmarks our reader and tool against the platform's reader (oleaut32 under wine) on
# the largest real libraries and the SLTG libraries of the corpus, and checks the targets
# for mshtml.tlb:
#   the whole tool process (vantrel-report FILE) at least 20 times faster than the
#   platform's in-process load + walk,
#   open + list in process under 0.5 ms,
#   open + walk at least 30 times faster than the platform's load + walk,
#   every type's page in under 5 ms in total,
#   peak memory of open + walk under 2 times the file size.
# Builds a Release tree first. Prints a table; exit status 1 when a target is missed.
# A library missing on this machine is left out with a note.
#
# Usage: scripts/bench.sh [BUILD_DIR]     (default build/bench-release)
#
# The two walks do comparable work. The platform's (platform_dump --walk-timed) loads the
# library and, for every type, fetches its attributes and name and every function and
# variable it stores, with all their names (GetNames) and every type description, a
# user-defined type resolved to its type and named. Ours (bench/Walk.cpp) opens the
# library and, for every type, lists its whole member view and asks GetMember for each
# member and GetVarTypeName for its return type and every parameter. A member view holds
# every function and variable that the type stores and more besides (an interface's
# inherited functions, a coclass's interface members and events), so ours visits at
# least the platform's items: the table shows our view members next to the stored
# functions and variables that the platform walk visits.
#
# The whole process is the tool listing the library's types (output to /dev/null), timed
# by hyperfine from start to exit; `vantrel-report --version` is timed beside it as the
# cost of an empty process.
#
# All run on the same processor, in alternating passes: on a shared virtual machine one
# processor can run half as fast as the other for minutes at a time, which skews a ratio
# of runs made on different processors or at different times. Each pass gives a ratio;
# the table shows the median of the passes.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/bench-release}
real="$root/.cache/libwine/usr/lib/x86_64-linux-gnu/wine/x86_64-windows"
corpus="$root/../shared/corpus/real"
# Labels as bench/Walk.cpp names its benchmarks; the paths are read in place.
candidates=("$real/mshtml.tlb" "$real/msxml3.dll" "$real/sapi.dll" "$real/stdole2.tlb"
            "$corpus/XL5EN32.OLB" "$corpus/THREED32.OCX")
rounds=20   # the platform's walks per file and pass
runs=30     # the tool's processes per file and pass
passes=5
pin=()
if command -v taskset > /dev/null; then pin=(taskset -c "$(($(nproc) - 1))"); fi

[[ -d "$real" ]] || { echo "no real libraries in $real (run scripts/fetch-real-libraries.sh)" >&2; exit 2; }
command -v hyperfine > /dev/null || { echo "no hyperfine (scripts/install-deps.sh)" >&2; exit 2; }
paths=() files=()
for path in "${candidates[@]}"; do
  if [[ -f "$path" ]]; then paths+=("$path") files+=("$(basename "$path")")
  else echo "left out: $path is not on this machine"; fi
done

mkdir -p "$build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_BUILD_APP=OFF \
      -DBUILD_TESTING=OFF -DVANTREL_BUILD_BENCH=ON > "$build/bench-configure.log" 2>&1 \
  || { cat "$build/bench-configure.log" >&2; exit 1; }
targets=(vantrel-bench peak_memory vantrel-report)
command -v x86_64-w64-mingw32-g++ > /dev/null && targets+=(platform_dump)
cmake --build "$build" -j2 --target "${targets[@]}" > "$build/bench-build.log" 2>&1 \
  || { tail -30 "$build/bench-build.log" >&2; exit 1; }

work="$build/bench-results"
mkdir -p "$work"

echo "== Peak memory (a process of its own per file)"
: > "$work/memory.txt"
for path in "${paths[@]}"; do
  echo "$(basename "$path") $("$build/bench/peak_memory" "$path")" | tee -a "$work/memory.txt"
done

platform="$build/tools/conformance/platform_dump.exe"
have_platform=false
if [[ -f "$platform" ]] && command -v wine > /dev/null; then
  have_platform=true
  # A throwaway prefix, initialised once; no Mono or Gecko installers.
  export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    timeout 180 wineboot -i > "$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log" >&2; exit 1; }
  fi
  # The controls import OLEPRO32's StdType library: registered, the platform resolves it
  # as ours finds it beside them.
  if [[ -f "$corpus/OLEPRO32.DLL" ]]; then
    wine "$platform" --register "$corpus/OLEPRO32.DLL" > "$work/register.log" 2>&1 \
      || { cat "$work/register.log" >&2; exit 1; }
  fi
else
  echo "no platform_dump.exe or wine: ratios are left out (scripts/install-deps.sh)"
fi

# The tool's processes: the empty one first, then the list of each library.
report="$build/cli/vantrel-report"
processes=(-n version "$(printf '%q --version' "$report")")
for path in "${paths[@]}"; do processes+=(-n "$(basename "$path")" "$(printf '%q %q' "$report" "$path")"); done

for pass in $(seq 1 "$passes"); do
  echo "== Pass $pass of $passes${pin[*]:+ (${pin[*]})}"
  "${pin[@]}" "$build/bench/vantrel-bench" --benchmark_min_time=0.3 \
    --benchmark_filter='^(open_list|open_walk|all_pages)/' \
    --benchmark_out="$work/ours-$pass.json" --benchmark_out_format=json > /dev/null \
    2> "$work/ours.log" || { cat "$work/ours.log" >&2; exit 1; }
  "${pin[@]}" hyperfine -N --style none --warmup 3 --runs "$runs" \
    --export-json "$work/process-$pass.json" "${processes[@]}" > "$work/hyperfine.log" 2>&1 \
    || { cat "$work/hyperfine.log" >&2; exit 1; }
  : > "$work/platform-$pass.txt"
  if $have_platform; then
    for path in "${paths[@]}"; do
      echo "$(basename "$path") $("${pin[@]}" wine "$platform" --walk-timed "$rounds" "$path" | tr -d '\r')" \
        >> "$work/platform-$pass.txt"
    done
  fi
done
if $have_platform; then wineserver -k 2> /dev/null || true; fi

echo "== Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')," \
     "load $(cut -d' ' -f1-3 /proc/loadavg)"
exec python3 - "$work" "$passes" "${files[@]}" <<'EOF'
import json, re, statistics, sys

work, passes, files = sys.argv[1], int(sys.argv[2]), sys.argv[3:]

def ms(run):
    return run["real_time"] * {"ms": 1, "us": 1e-3, "ns": 1e-6}[run["time_unit"]]

def fields(path):
    out = {}
    for line in open(path):
        name, _, rest = line.partition(" ")
        out[name] = dict(re.findall(r"(\w+)=([-\d.]+)", rest))
    return out

ours, process, platform = [], [], []
for p in range(1, passes + 1):
    ours.append({run["name"]: ms(run) for run in json.load(open(f"{work}/ours-{p}.json"))["benchmarks"]})
    process.append({run["command"]: run["median"] * 1000
                    for run in json.load(open(f"{work}/process-{p}.json"))["results"]})
    theirs = fields(f"{work}/platform-{p}.txt")
    platform.append({name: float(f["median_ms"]) for name, f in theirs.items() if "median_ms" in f})
memory = fields(f"{work}/memory.txt")
walks = json.load(open(f"{work}/ours-1.json"))["benchmarks"]
counts = {run["name"].partition("/")[2]: run for run in walks if run["name"].startswith("open_walk/")}

# The median over the passes of one figure per pass; None when a pass lacks it.
def median(figure):
    values = [figure(p) for p in range(passes)]
    return None if None in values else statistics.median(values)

def ours_ms(label, name):
    return median(lambda p: ours[p].get(f"{label}/{name}"))

def process_ms(name):
    return median(lambda p: process[p].get(name))

def platform_ms(name):
    return median(lambda p: platform[p].get(name))

# Each pass's ratio comes from runs on one processor, close together in time.
def ratio(name, mine):
    return median(lambda p: platform[p][name] / mine(p)
                  if name in platform[p] and mine(p) is not None else None)

def walk_ratio(name):
    return ratio(name, lambda p: ours[p].get(f"open_walk/{name}"))

def process_ratio(name):
    return ratio(name, lambda p: process[p].get(name))

def cell(value, width, form):
    return f"{value:{width}{form}}" if value is not None else f"{'-':>{width}}"

columns = [("file", 13), ("platform ms", 11), ("process ms", 10), ("ratio", 6),
           ("open+list ms", 12), ("walk ms", 8), ("ratio", 6), ("pages ms", 8),
           ("list peak", 9), ("walk peak", 9), ("view members", 12), ("stored", 7)]
print(" ".join(f"{title:<{width}}" if i == 0 else f"{title:>{width}}"
               for i, (title, width) in enumerate(columns)))
for name in files:
    walk, peaks = counts.get(name, {}), memory.get(name, {})
    row = [f"{name:<13}", cell(platform_ms(name), 11, ".2f"), cell(process_ms(name), 10, ".2f"),
           cell(process_ratio(name), 6, ".1f"), cell(ours_ms("open_list", name), 12, ".3f"),
           cell(ours_ms("open_walk", name), 8, ".2f"), cell(walk_ratio(name), 6, ".1f"),
           cell(ours_ms("all_pages", name), 8, ".2f"),
           cell(float(peaks["list_ratio"]) if "list_ratio" in peaks else None, 9, ".2f"),
           cell(float(peaks["ratio"]) if "ratio" in peaks else None, 9, ".2f"),
           cell(walk.get("members"), 12, ".0f"), cell(walk.get("stored"), 7, ".0f")]
    print(" ".join(row))
print(f"empty process (vantrel-report --version): {process_ms('version'):.2f} ms")
print(f"(medians of {passes} passes; a ratio is the median of the passes' ratios: the platform's\n"
      " load + walk against our whole process, then against our open + walk; peaks are\n"
      " multiples of the file size)")

name = "mshtml.tlb"
checks = [  # (what, figure, unit, target, met)
    ("whole process", process_ratio(name), "x faster than the platform", ">= 20x", lambda r: r >= 20),
    ("open+list", ours_ms("open_list", name), " ms", "< 0.5 ms", lambda t: t < 0.5),
    ("open+walk", walk_ratio(name), "x faster than the platform", ">= 30x", lambda r: r >= 30),
    ("every page", ours_ms("all_pages", name), " ms", "< 5 ms", lambda t: t < 5),
    ("peak memory of open+walk",
     float(memory[name]["ratio"]) if "ratio" in memory.get(name, {}) else None,
     "x the file size", "< 2x", lambda r: r < 2),
]
print()
all_met = True
for what, figure, unit, target, met in checks:
    if figure is None:
        print(f"-       {what} of {name}: not measured (target {target})")
        continue
    ok = met(figure)
    all_met = all_met and ok
    print(f"{'met     ' if ok else 'MISSED  '}{what} of {name}: {figure:.2f}{unit} (target {target})")
sys.exit(0 if all_met else 1)
EOF
