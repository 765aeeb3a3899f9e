#!/usr/bin/env bash
# Plays headless games of Rizi against Rizi at two levels and prints a table
# of wins and points per word, each level in each seat:
#
#   bench/rizi_table.sh [SEEDS] [PAIRS...]
#
# SEEDS (default 20) games per seating, seeds 1..SEEDS; PAIRS default to
# strong:classic classic:gentle. GLYPHON_SERVER names the program (default
# build/src/app/glyphon-server).
set -euo pipefail
cd "$(dirname "$0")/.."
server="$(realpath "${GLYPHON_SERVER:-build/src/app/glyphon-server}")"
seeds="${1:-20}"
shift || true
pairs=("$@")
[ ${#pairs[@]} -gt 0 ] || pairs=(strong:classic classic:gentle)
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

echo "| Levels | Level | Games | Wins (as seat 1 + as seat 2) | Words | Points | Points per word |"
echo "|---|---|---|---|---|---|---|"
for pair in "${pairs[@]}"; do
    a="${pair%%:*}"
    b="${pair##*:}"
    : >"$work/results"
    for seed in $(seq 1 "$seeds"); do
        for seating in "$a,$b" "$b,$a"; do
            (cd "$work" && "$server" --port 0 --start-game 200,30 --tick-ms 2 --seed "$seed" \
                --quit-after-game --rizi "$seating") >"$work/log"
            # One line per game: level of seat 1, level of seat 2, winner,
            # then words and points of seats 1 and 2.
            awk -v seating="$seating" '
                /^  seat [12] .*: [A-Z]+ \+[0-9]+ = / {
                    seat = $2; points = $0; sub(/.* \+/, "", points); sub(/ .*/, "", points)
                    words[seat]++; total[seat] += points
                }
                /^Winner: seat [12]/ { winner = $3 }
                END {
                    split(seating, level, ",")
                    if (winner == "") { print "no winner in a game (" seating ")" > "/dev/stderr"; exit 1 }
                    print level[1], level[2], winner, words[1] + 0, total[1] + 0, words[2] + 0, total[2] + 0
                }' "$work/log" >>"$work/results"
        done
    done
    awk -v a="$a" -v b="$b" '
        {
            for (seat = 1; seat <= 2; seat++) {
                level = $seat
                games[level]++
                if ($3 == seat) wins[level, seat]++
                words[level] += $(2 + 2 * seat)
                points[level] += $(3 + 2 * seat)
            }
        }
        END {
            n = split(a " " b, order, " ")
            for (i = 1; i <= n; i++) {
                l = order[i]
                w1 = wins[l, 1] + 0; w2 = wins[l, 2] + 0
                printf "| %s vs %s | %s | %d | %d (%d + %d) | %d | %d | %.2f |\n", a, b, l, games[l], w1 + w2, w1, w2,
                    words[l], points[l], words[l] ? points[l] / words[l] : 0
            }
        }' "$work/results"
done
