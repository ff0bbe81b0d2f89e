# Files per second by reader, one bar each, from the data file the
# benchmark driver writes. Usage: gnuplot -e "data='FILE'; out='PNG'" getinfo_rate.gp
set terminal pngcairo size 1000,520 font "sans,11" noenhanced
set output out
set title "GetInfo over the small-file corpus: files per second (median of runs, higher is better)"
set style fill solid 0.85 border -1
set boxwidth 0.6
set ylabel "files per second"
set yrange [0:*]
set offsets 0.6, 0.6, 0, 0
set grid ytics
set key off
set xtics nomirror scale 0
plot data using 0:2:xtic(1) with boxes linecolor rgb "#3a6ea5", \
     '' using 0:2:(sprintf("%.0f", $2)) with labels offset 0,0.8 notitle
