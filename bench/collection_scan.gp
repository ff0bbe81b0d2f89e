# Files per second of whole-collection scans, warm and cold page cache, from
# the data run_collection_benchmarks.py writes.
# Usage: gnuplot -e "data='FILE'; out='PNG'" collection_scan.gp
set terminal pngcairo size 1200,600 font "sans,10" noenhanced
set output out
set title "Scanning folders of small files: files per second (log scale, higher is better)"
set style data histograms
set style histogram clustered gap 1
set style fill solid 0.85 border -1
set logscale y
set yrange [1:*]
set ylabel "files per second"
set grid ytics
set xtics rotate by -35 nomirror scale 0
set key top right
plot data using 2:xtic(1) title "warm cache" linecolor rgb "#3a6ea5", \
     '' using 3 title "cold cache" linecolor rgb "#c0504d"
