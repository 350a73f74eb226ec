#!/usr/bin/env bash
# Benchmarks our reader and report against the platform's reader (oleaut32 under wine) on
# the largest real libraries, and checks the targets for mshtml.tlb:
#   open + walk at least 20 times faster than the platform's load + walk,
#   every type's page in under 20 ms in total,
#   peak memory of open + walk under 4 times the file size.
# Builds a Release tree first. Prints a table; exit status 1 when a target is missed.
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
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/bench-release}
real="$root/.cache/libwine/usr/lib/x86_64-linux-gnu/wine/x86_64-windows"
files=(mshtml.tlb msxml3.dll sapi.dll stdole2.tlb)
rounds=20

[[ -d "$real" ]] || { echo "no real libraries in $real (run scripts/fetch-real-libraries.sh)" >&2; exit 2; }

mkdir -p "$build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_BUILD_APP=OFF \
      -DBUILD_TESTING=OFF -DVANTREL_BUILD_BENCH=ON > "$build/bench-configure.log" 2>&1 \
  || { cat "$build/bench-configure.log" >&2; exit 1; }
targets=(vantrel-bench peak_memory)
command -v x86_64-w64-mingw32-g++ > /dev/null && targets+=(platform_dump)
cmake --build "$build" -j2 --target "${targets[@]}" > "$build/bench-build.log" 2>&1 \
  || { tail -30 "$build/bench-build.log" >&2; exit 1; }

work="$build/bench-results"
mkdir -p "$work"

echo "== Our reader (Google Benchmark, median of 5 runs)"
"$build/bench/vantrel-bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_out="$work/ours.json" --benchmark_out_format=json | grep -E "median|^Benchmark|^---"

echo "== Peak memory (a process of its own per file)"
: > "$work/memory.txt"
for file in "${files[@]}"; do
  echo "$file $("$build/bench/peak_memory" "$real/$file")" | tee -a "$work/memory.txt"
done

echo "== Platform's reader under wine ($rounds rounds per file)"
: > "$work/platform.txt"
platform="$build/tools/conformance/platform_dump.exe"
if [[ -f "$platform" ]] && command -v wine > /dev/null; then
  # A throwaway prefix, initialised once; no Mono or Gecko installers.
  export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    timeout 180 wineboot -i > "$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log" >&2; exit 1; }
  fi
  for file in "${files[@]}"; do
    echo "$file $(wine "$platform" --walk-timed "$rounds" "$real/$file" | tr -d '\r')" \
      | tee -a "$work/platform.txt"
  done
  wineserver -k 2> /dev/null || true
else
  echo "no platform_dump.exe or wine: ratios are left out (scripts/install-deps.sh)"
fi

echo "== Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')," \
     "load $(cut -d' ' -f1-3 /proc/loadavg)"
exec python3 - "$work" "${files[@]}" <<'EOF'
import json, re, sys

work, files = sys.argv[1], sys.argv[2:]
ours = {}
for run in json.load(open(f"{work}/ours.json"))["benchmarks"]:
    if run.get("aggregate_name") == "median":
        ours[run["run_name"]] = run

def ms(run):
    return run["real_time"] * {"ms": 1, "us": 1e-3, "ns": 1e-6}[run["time_unit"]]

def fields(path):
    out = {}
    for line in open(path):
        name, _, rest = line.partition(" ")
        out[name] = dict(re.findall(r"(\w+)=([-\d.]+)", rest))
    return out

platform = fields(f"{work}/platform.txt")
memory = fields(f"{work}/memory.txt")

print(f"{'file':<12} {'platform ms':>11} {'ours ms':>8} {'ratio':>7} {'pages ms':>9} "
      f"{'peak/file':>9} {'view members':>12} {'stored':>7}")
for name in files:
    walk = ours[f"open_walk/{name}"]
    pages = ours[f"all_pages/{name}"]
    theirs = float(platform[name]["median_ms"]) if name in platform and "median_ms" in platform[name] else None
    ratio = f"{theirs / ms(walk):7.1f}" if theirs else f"{'-':>7}"
    shown = f"{theirs:11.2f}" if theirs else f"{'-':>11}"
    print(f"{name:<12} {shown} {ms(walk):8.2f} {ratio} {ms(pages):9.2f} "
          f"{float(memory[name]['ratio']):9.2f} {int(walk['members']):12d} {int(walk['stored']):7d}")

name = "mshtml.tlb"
walk, pages = ours[f"open_walk/{name}"], ours[f"all_pages/{name}"]
results = []
if name in platform and "median_ms" in platform[name]:
    ratio = float(platform[name]["median_ms"]) / ms(walk)
    results.append((f"open+walk {name} {ratio:.1f}x faster than the platform (target >= 20x)", ratio >= 20))
results.append((f"every page of {name} in {ms(pages):.2f} ms (target < 20 ms)", ms(pages) < 20))
peak = float(memory[name]["ratio"])
results.append((f"peak memory of {name} {peak:.2f}x the file size (target < 4x)", peak < 4))
print()
for text, met in results:
    print(("met     " if met else "MISSED  ") + text)
sys.exit(0 if all(met for _, met in results) else 1)
EOF
