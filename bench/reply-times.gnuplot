# The distribution of command 1 reply times before and after, as scripts/bench measured them:
# each build's times sorted, against the share of commands answered within that time.
stats before nooutput
nb = STATS_records
stats after nooutput
na = STATS_records
set terminal pngcairo size 900,480 font ",11"
set output output
set title "Command 1 reply time under Wine, 200 commands each"
set xlabel "reply time (ms, logarithmic)"
set ylabel "commands answered within that time (%)"
set logscale x
set grid
set key bottom right
set yrange [0:100]
plot before using 1:(100.0/nb) smooth cumulative with steps lw 2 title "before: read at the one-second tick", \
     after using 1:(100.0/na) smooth cumulative with steps lw 2 title "after: read when RequestEvent is signalled"
