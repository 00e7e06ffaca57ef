# Judges a soak's samples ("minute view pss_mib dirty_mib fds threads", one a line; other
# lines are skipped) on the visits to a view that begin after the reference minute `ref`
# (a visit under way then, begun in the warm-up, is not one: the engine, for one, starts
# its system-memory monitor, 7 descriptors held for good, only with its second web
# process). The views differ in size (a heat map is not a bubble chart), so each view is
# compared with itself: its level is the last sample, settled, of its first visit, and
#   - every later sample of that view must hold PSS within 5 % of that level;
#   - the fewest descriptors and threads of its last visit must be no more than of its
#     first (the fewest, so a worker thread of the moment does not count).
# Private dirty memory is printed beside PSS: PSS also moves when other programs on the
# machine load or drop the same libraries, which is no growth of ours.
#   awk -v ref=MINUTES -f bench/soak-judge.awk SAMPLES
$1 ~ /^[0-9.]+$/ && NF == 6 && $1 < ref { underway = $2 }
$1 ~ /^[0-9.]+$/ && NF == 6 && $1 >= ref {
  v = $2
  if (!begun) { if (v == underway) next; begun = 1 }
  if (v != current) { visit[v]++; current = v; if (!(v in order)) order[v] = ++views }
  if (visit[v] == 1) { level[v] = $3; plevel[v] = $4; firstfd[v] = min(firstfd[v], $5); firstth[v] = min(firstth[v], $6) }
  else {
    later[v] = later[v] " " $3 " " $4
    if (visit[v] != lastvisit[v]) { lastvisit[v] = visit[v]; lastfd[v] = $5; lastth[v] = $6 }
    lastfd[v] = min(lastfd[v], $5); lastth[v] = min(lastth[v], $6)
  }
  samples++
}
function min(a, b) { return (a == "" || b < a) ? b : a }
END {
  if (!samples) { print "not judged: the run ended before the reference minute"; exit 1 }
  ok = 1
  for (v in order) {
    n = split(later[v], values, " ")
    up = 0; down = 0; pup = 0; pdown = 0
    for (i = 1; i < n; i += 2) {
      d = (values[i] - level[v]) / level[v]; if (d > up) up = d; if (d < down) down = d
      p = (values[i + 1] - plevel[v]) / plevel[v]; if (p > pup) pup = p; if (p < pdown) pdown = p
    }
    ok_pss = up <= 0.05 && down >= -0.05
    ok_fd = lastfd[v] == "" || lastfd[v] <= firstfd[v]
    ok_th = lastth[v] == "" || lastth[v] <= firstth[v]
    printf "%-15s %d visits; level PSS %d MiB (private dirty %d): PSS %+.1f %% .. %+.1f %% %s; private dirty %+.1f %% .. %+.1f %%; fds %d -> %s %s; threads %d -> %s %s\n",
      v, visit[v], level[v], plevel[v], 100 * down, 100 * up, ok_pss ? "OK" : "OVER 5 %", 100 * pdown, 100 * pup,
      firstfd[v], lastfd[v] == "" ? "-" : lastfd[v], ok_fd ? "no growth" : "GREW",
      firstth[v], lastth[v] == "" ? "-" : lastth[v], ok_th ? "no growth" : "GREW"
    ok = ok && ok_pss && ok_fd && ok_th
  }
  print ok ? "no step and no growth" : "NOT FLAT"
  exit !ok
}
