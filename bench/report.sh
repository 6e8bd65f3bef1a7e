#!/usr/bin/env bash
# Turns the raw runs of bench/run.sh into results.csv (medians and ratios),
# table.md (the same as a markdown table, the targets and the system calls
# per entry) and plot.png (time against entries, log scales).
#   bench/report.sh RESULTS_DIR [COMMIT [NOTE]]
# NOTE, if given, is printed under the table's heading (for example how
# busy the machine was).
set -euo pipefail

out=$1
commit=${2:-unknown}
note=${3:-}
raw=$out/runs.csv
syscalls=$out/syscalls.csv
export LC_ALL=C
contenders="aftersetup find floor floor+stat"

# fs,fs_type,entries,contender,runs,median_s,min_s,max_s,entries_per_s,
# ratio_to_find,ratio_to_floor,peak_rss_kb,median_cpu_s,cpu_ratio_to_find,
# cpu_ratio_to_floor. CPU time (user + system) is what the process itself
# spent; on a busy machine it is steadier than wall time, which also counts
# the waits for a free core.
tail -n +2 "$raw" | sort -t, -k1,1 -k3,3n -k5,5 -k4,4n | awk -F, -v order="$contenders" '
    # Sorts a[1..k] in place; k is small.
    function sort(a, k,  i, j, x) {
        for (i = 2; i <= k; i++) {
            x = a[i]
            for (j = i - 1; j >= 1 && a[j] > x; j--) a[j + 1] = a[j]
            a[j + 1] = x
        }
    }
    function median(a, k) {
        sort(a, k)
        return k % 2 ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2
    }
    function flush() {
        if (k == 0) return
        key = fs SUBSEP n SUBSEP c
        med[key] = median(w, k); lo[key] = w[1]; hi[key] = w[k]
        cpu[key] = median(u, k); cnt[key] = k; rss[key] = peak
        type[fs] = t
        if (!(fs in seenfs)) { seenfs[fs] = 1; fss[++nfs] = fs }
        if (!((fs, n) in seensize)) { seensize[fs, n] = 1; sizes[fs, ++nsize[fs]] = n }
        k = 0; peak = 0
    }
    {
        if ($1 != fs || $3 != n || $5 != c) { flush(); fs = $1; t = $2; n = $3; c = $5 }
        ++k; w[k] = $6 + 0; u[k] = $8 + $9
        if ($7 > peak) peak = $7
    }
    END {
        flush()
        print "fs,fs_type,entries,contender,runs,median_s,min_s,max_s,entries_per_s,ratio_to_find,ratio_to_floor,peak_rss_kb,median_cpu_s,cpu_ratio_to_find,cpu_ratio_to_floor"
        nc = split(order, names, " ")
        for (i = 1; i <= nfs; i++) {
            fs = fss[i]
            for (j = 1; j <= nsize[fs]; j++) {
                n = sizes[fs, j]
                f = fs SUBSEP n SUBSEP "find"; b = fs SUBSEP n SUBSEP "floor"
                for (o = 1; o <= nc; o++) {
                    key = fs SUBSEP n SUBSEP names[o]
                    if (!(key in med)) continue
                    printf "%s,%s,%d,%s,%d,%.4f,%.4f,%.4f,%.0f,%.3f,%.3f,%d,%.4f,%.3f,%.3f\n",
                        fs, type[fs], n, names[o], cnt[key], med[key], lo[key], hi[key],
                        n / med[key], med[key] / med[f], med[key] / med[b], rss[key],
                        cpu[key], cpu[key] / cpu[f], cpu[key] / cpu[b]
                }
            }
        }
    }' >"$out/results.csv"

# g(n): n with a space between groups of three digits (mawk has no %'d).
group='function g(n,  s, t) { s = sprintf("%d", n); t = ""; while (length(s) > 3) { t = " " substr(s, length(s) - 2) t; s = substr(s, 1, length(s) - 3) } return s t }
'

{
    echo "Emptying one directory of N empty files. Median of the runs, the contenders"
    echo "taking turns: wall time, entries deleted per second, the time as a multiple"
    echo "of \`find DIR -mindepth 1 -maxdepth 1 -delete\` and of the floor (a bare"
    echo "readdir/unlink loop; \"floor+stat\" also reads each entry's status, as"
    echo "aftersetup must), the CPU time (user + system) with the same ratios, and the"
    echo "peak resident memory of the process."
    echo "Measured at commit $commit on $(nproc) cores ($(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')),"
    echo "Linux $(uname -r); the disk's file system is $(awk -F, 'NR > 1 && $1 == "disk" { print $2; exit }' "$out/results.csv")."
    [ -z "$note" ] || { echo; echo "$note"; }
    echo
    echo "| File system | Entries | Contender | Runs | Wall time | Entries/s | × find | × floor | CPU time | CPU × find | CPU × floor | Peak RSS |"
    echo "|---|---:|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
    awk -F, "$group"'NR > 1 {
        fs = $1 == "disk" ? "disk (" $2 ")" : $1
        printf "| %s | %s | %s | %d | %.3f s | %s | %.2f | %.2f | %.3f s | %.2f | %.2f | %s KB |\n",
            fs, g($3), $4, $5, $6, g($9), $10, $11, $13, $14, $15, g($12) }' "$out/results.csv"
    echo
    echo "Targets (100 000 entries and more: at most 1.25 × find and 1.4 × the floor;"
    echo "peak memory at most 512 KB more at the largest size than at the smallest):"
    echo
    awk -F, "$group"'
        function verdict(x, limit) { return sprintf("%.2f %s", x, x <= limit ? "met" : "MISSED") }
        NR > 1 && $4 == "aftersetup" {
        if ($3 >= 100000)
            printf "- %s, %s entries: wall %s × find, %s × floor; CPU %s × find, %s × floor\n",
                $1, g($3), verdict($10, 1.25), verdict($11, 1.4), verdict($14, 1.25), verdict($15, 1.4)
        if (!($1 in small)) { small[$1] = $12; smalln[$1] = $3 }
        big[$1] = $12; bign[$1] = $3
        if (!($1 in seen)) { seen[$1] = 1; order[++k] = $1 }
    }
    END {
        for (i = 1; i <= k; i++) {
            fs = order[i]; d = big[fs] - small[fs]
            printf "- %s, memory: %s KB at %s entries, %s KB at %s: %+d KB (%s)\n",
                fs, g(small[fs]), g(smalln[fs]), g(big[fs]), g(bign[fs]), d, d < 512 ? "met" : "MISSED"
        }
    }' "$out/results.csv"
    echo
    echo "System calls of one run, traced with \`strace -f\`, per entry deleted:"
    echo
    echo "| File system | Entries | Files | Contender | Status reads | Unlinks | Mode changes | getdents64 calls | Entries per getdents64 | Others | All |"
    echo "|---|---:|---|---|---:|---:|---:|---:|---:|---:|---:|"
    tail -n +2 "$syscalls" | awk -F, "$group"'
        {
            key = $1 SUBSEP $2 SUBSEP $3 SUBSEP $4
            if (!(key in all)) { order[++k] = key }
            all[key] += $6
            if ($5 ~ /^(newfstatat|fstatat64|statx|stat|lstat|fstat|stat64|lstat64|fstat64)$/) st[key] += $6
            else if ($5 ~ /^unlink(at)?$/) ul[key] += $6
            else if ($5 ~ /^(f?chmod|fchmodat2?)$/) ch[key] += $6
            else if ($5 ~ /^getdents(64)?$/) gd[key] += $6
        }
        END {
            for (i = 1; i <= k; i++) {
                split(order[i], f, SUBSEP); n = f[2]
                key = order[i]
                others = all[key] - st[key] - ul[key] - ch[key] - gd[key]
                printf "| %s | %s | %s | %s | %.4f | %.4f | %.4f | %d | %.0f | %.4f | %.4f |\n",
                    f[1], g(n), f[3], f[4], st[key] / n, ul[key] / n, ch[key] / n, gd[key],
                    gd[key] ? n / gd[key] : 0, others / n, all[key] / n
            }
        }'
} >"$out/table.md"

plot_data=$(mktemp -d)
trap 'rm -rf "$plot_data"' EXIT
plots=
for fs in $(awk -F, 'NR > 1 { print $1 }' "$out/results.csv" | uniq); do
    for contender in $contenders; do
        awk -F, -v fs="$fs" -v c="$contender" 'NR > 1 && $1 == fs && $4 == c { print $3, $6 }' \
            "$out/results.csv" >"$plot_data/$fs-$contender.dat"
    done
    case $fs in
        disk) title="disk ($(awk -F, 'NR > 1 && $1 == "disk" { print $2; exit }' "$out/results.csv"))" ;;
        *) title=$fs ;;
    esac
    plots+="set title '$title'
plot '$plot_data/$fs-aftersetup.dat' with linespoints lw 2 pt 7 title 'aftersetup', \\
     '$plot_data/$fs-find.dat' with linespoints lw 2 pt 5 title 'find -delete', \\
     '$plot_data/$fs-floor.dat' with linespoints lw 2 pt 9 dt 2 title 'floor (readdir + unlink)', \\
     '$plot_data/$fs-floor+stat.dat' with linespoints lw 2 pt 11 dt 3 title 'floor + status read'
"
done
count=$(awk -F, 'NR > 1 { print $1 }' "$out/results.csv" | uniq | wc -l)
gnuplot <<EOF
set terminal pngcairo size $((560 * count)),460 font 'sans,10'
set output '$out/plot.png'
set multiplot layout 1,$count title 'Emptying a directory: median wall time (commit $commit)'
set logscale xy
set xlabel 'entries'
set ylabel 'seconds'
set format x '%.0s%c'
set grid
set key bottom right
set offsets graph 0.05, graph 0.05, graph 0.05, graph 0.05
$plots
unset multiplot
EOF
