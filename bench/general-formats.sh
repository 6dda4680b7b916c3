#!/usr/bin/env bash
# Throughput and peak memory of the general formats through trovik-dump,
# against xxd and hexdump -C on the same file in the same run.
# Usage: bench/general-formats.sh [TROVIK_DUMP] [SIZE_MIB]
set -euo pipefail
dump=${1:-build/release/src/trovik-dump}
mib=${2:-256}
[ -x "$dump" ] || { echo "build trovik-dump first (cmake --preset release && cmake --build --preset release)" >&2; exit 2; }
file=$(mktemp /tmp/trovik-bench.XXXXXX)
trap 'rm -f "$file"' EXIT
head -c $((mib * 1048576)) /dev/urandom > "$file"
cat "$file" > /dev/null  # into the page cache, so every tool reads from memory

# measure NAME COMMAND...: prints wall and CPU seconds, MB/s by CPU time, peak RSS
declare -A cpu
measure() {
  local name=$1; shift
  local out
  out=$( { /usr/bin/time -f '%e %U %S %M' "$@" > /dev/null; } 2>&1 | tail -1)
  read -r wall user sys rss <<<"$out"
  local c
  c=$(echo "$user + $sys" | bc -l)
  cpu[$name]=$c
  printf '%-14s wall %6.2f s  cpu %6.2f s  %8.1f MB/s  peak RSS %6.1f MiB\n' "$name" "$wall" "$c" \
    "$(echo "$mib * 1.048576 / $c" | bc -l)" "$(echo "$rss / 1024" | bc -l)"
}

echo "file: $mib MiB of random bytes; output to /dev/null"
measure xxd xxd "$file"
measure "hexdump -C" hexdump -C "$file"
for t in debug asm c basic text; do
  measure "trovik $t" "$dump" --type "$t" "$file"
done
echo
echo "throughput ratio against xxd (by CPU time; the machine's other load counts less than in wall time):"
for t in debug asm c basic text; do
  printf '  %-6s %5.1fx xxd  %6.1fx hexdump -C\n' "$t" "$(echo "${cpu[xxd]} / ${cpu["trovik $t"]}" | bc -l)" \
    "$(echo "${cpu["hexdump -C"]} / ${cpu["trovik $t"]}" | bc -l)"
done
