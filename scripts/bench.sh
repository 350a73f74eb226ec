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
#
# Both run on the same processor, in alternating passes: on a shared virtual machine one
# processor can run half as fast as the other for minutes at a time, which skews a ratio
# of runs made on different processors or at different times. Each pass gives a ratio;
# the table shows the median of the passes.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/bench-release}
real="$root/.cache/libwine/usr/lib/x86_64-linux-gnu/wine/x86_64-windows"
files=(mshtml.tlb msxml3.dll sapi.dll stdole2.tlb)
rounds=20   # the platform's walks per file and pass
passes=5
pin=()
if command -v taskset > /dev/null; then pin=(taskset -c "$(($(nproc) - 1))"); fi

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

echo "== Peak memory (a process of its own per file)"
: > "$work/memory.txt"
for file in "${files[@]}"; do
  echo "$file $("$build/bench/peak_memory" "$real/$file")" | tee -a "$work/memory.txt"
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
else
  echo "no platform_dump.exe or wine: ratios are left out (scripts/install-deps.sh)"
fi

for pass in $(seq 1 "$passes"); do
  echo "== Pass $pass of $passes${pin[*]:+ (${pin[*]})}"
  "${pin[@]}" "$build/bench/vantrel-bench" --benchmark_min_time=0.3 \
    --benchmark_out="$work/ours-$pass.json" --benchmark_out_format=json > /dev/null
  : > "$work/platform-$pass.txt"
  if $have_platform; then
    for file in "${files[@]}"; do
      echo "$file $("${pin[@]}" wine "$platform" --walk-timed "$rounds" "$real/$file" | tr -d '\r')" \
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

ours, platform = [], []
for p in range(1, passes + 1):
    ours.append({run["name"]: run for run in json.load(open(f"{work}/ours-{p}.json"))["benchmarks"]})
    platform.append(fields(f"{work}/platform-{p}.txt"))
memory = fields(f"{work}/memory.txt")

def median_ms(name, label):
    return statistics.median(ms(p[f"{label}/{name}"]) for p in ours)

def platform_ms(name):
    times = [float(p[name]["median_ms"]) for p in platform if "median_ms" in p.get(name, {})]
    return statistics.median(times) if len(times) == passes else None

# Each pass's ratio comes from two runs on one processor, close together in time.
def ratio(name):
    pairs = [float(theirs[name]["median_ms"]) / ms(mine[f"open_walk/{name}"])
             for mine, theirs in zip(ours, platform) if "median_ms" in theirs.get(name, {})]
    return statistics.median(pairs) if len(pairs) == passes else None

print(f"{'file':<12} {'platform ms':>11} {'ours ms':>8} {'ratio':>7} {'pages ms':>9} "
      f"{'peak/file':>9} {'view members':>12} {'stored':>7}")
for name in files:
    walk = ours[0][f"open_walk/{name}"]
    theirs, r = platform_ms(name), ratio(name)
    shown = f"{theirs:11.2f}" if theirs else f"{'-':>11}"
    shown_ratio = f"{r:7.1f}" if r else f"{'-':>7}"
    print(f"{name:<12} {shown} {median_ms(name, 'open_walk'):8.2f} {shown_ratio} "
          f"{median_ms(name, 'all_pages'):9.2f} {float(memory[name]['ratio']):9.2f} "
          f"{int(walk['members']):12d} {int(walk['stored']):7d}")
print(f"(medians of {passes} passes; a ratio is the median of the passes' ratios)")

name = "mshtml.tlb"
results = []
if (r := ratio(name)) is not None:
    results.append((f"open+walk {name} {r:.1f}x faster than the platform (target >= 20x)", r >= 20))
pages = median_ms(name, "all_pages")
results.append((f"every page of {name} in {pages:.2f} ms (target < 20 ms)", pages < 20))
peak = float(memory[name]["ratio"])
results.append((f"peak memory of {name} {peak:.2f}x the file size (target < 4x)", peak < 4))
print()
for text, met in results:
    print(("met     " if met else "MISSED  ") + text)
sys.exit(0 if all(met for _, met in results) else 1)
EOF
