#!/usr/bin/env bash
# Prints the Markdown tables of docs/performance.md from the raw results
# bench/mesurer.sh wrote in a folder.
set -euo pipefail
export LC_ALL=C
r=$1

mediane() { sort -g | awk '{a[NR]=$1} END {if (NR == 0) print "nan"; else if (NR % 2) print a[(NR+1)/2]; else print (a[NR/2]+a[NR/2+1])/2}'; }
champ() { # program field -> its values, one a line
  awk -v p="$1" -v c="$2" '$1 == p {for (i = 2; i <= NF; i++) {split($i, kv, "="); if (kv[1] == c) print kv[2]}}' "$r/demarrage"
}

t_nue=$(champ nue carte_ms | mediane); m_nue=$(champ nue rss_max_kio | mediane)
t_plu=$(champ plumor carte_ms | mediane); m_plu=$(champ plumor rss_max_kio | mediane)

cat "$r/machine"
echo
echo "Start-up on Xvfb, $(champ nue carte_ms | wc -l) interleaved rounds after a warm-up; medians (min-max). CPU time and page faults are the process's own, start and 0.5 s of settling together:"
echo
echo "| program | exec to main window mapped | peak resident memory | time / bare | memory / bare | CPU time | page faults |"
echo "|---|---|---|---|---|---|---|"
for p in nue plumor featherpad mousepad; do
  if ! grep -q "^$p " "$r/demarrage"; then echo "| $p | not measured (not installed?) | | | | | |"; continue; fi
  nom=$p; [ "$p" = nue ] && nom="bare Qt 6 window"
  awk -v n="$nom" -v t="$(champ "$p" carte_ms | mediane)" -v m="$(champ "$p" rss_max_kio | mediane)" \
      -v a="$(champ "$p" carte_ms | sort -g | head -1)" -v b="$(champ "$p" carte_ms | sort -g | tail -1)" \
      -v c="$(champ "$p" cpu_ms | mediane)" -v f="$(champ "$p" fautes | mediane)" \
      -v tn="$t_nue" -v mn="$m_nue" 'BEGIN {
    printf "| %s | %.1f ms (%.1f-%.1f) | %.1f MiB | %.2f x | %.2f x | %.0f ms | %d |\n", n, t, a, b, m / 1024, t / tn, m / mn, c, f }'
done

# Micro benchmarks: the medians of the JSON reports; files ending in _tas
# come from the pass whose freed memory stays in the process.
awk -v t_nue="$t_nue" -v m_nue="$m_nue" -v t_plu="$t_plu" -v m_plu="$m_plu" '
# First loads in fresh processes: "case time unit added-MiB", one a process.
FILENAME ~ /lexique_premier$/ {
  f = $3 == "ns" ? 1e-3 : $3 == "us" ? 1 : $3 == "ms" ? 1e3 : 1e6
  n1[$1]++; t1[$1, n1[$1]] = $2 * f; m1[$1, n1[$1]] = $4
  next
}
# Google Benchmark JSON has one "key": value a line; a "name" opens a run.
/^ *"[a-z_A-Z0-9]+": / {
  p = FILENAME ~ /_tas\.json$/ ? "tas:" : ""
  cle = $0; sub(/^ *"/, "", cle); sub(/".*/, "", cle)
  val = $0; sub(/^ *"[^"]*": */, "", val); sub(/,$/, "", val); gsub(/"/, "", val)
  # Medians of repetitions, or the single run when there was only one.
  if (cle == "name") { nom = val; sub(/_median$/, "", nom); garde = nom !~ /_(mean|stddev|cv)$/; next }
  if (!garde) next
  v[p nom, cle] = val ~ /^[-+0-9.eE]+$/ ? val + 0 : val
  if (cle == "time_unit") {
    f = val == "ns" ? 1e-3 : val == "us" ? 1 : val == "ms" ? 1e3 : 1e6
    us[p nom] = v[p nom, "real_time"] * f
  }
}
function mediane1(tab, c,    i, j, x, a) {
  for (i = 1; i <= n1[c]; i++) a[i] = tab[c, i]
  for (i = 2; i <= n1[c]; i++) { x = a[i]; for (j = i - 1; j >= 1 && a[j] > x; j--) a[j + 1] = a[j]; a[j + 1] = x }
  return n1[c] ? a[int((n1[c] + 1) / 2)] : ""
}
function temps(x) { return x == "" ? "-" : x >= 1000 ? sprintf("%.2f ms", x / 1000) : x >= 1 ? sprintf("%.1f us", x) : sprintf("%.0f ns", x * 1000) }
function debit(k) { return v[k, "bytes_per_second"] == "" ? "-" : sprintf("%.0f MB/s", v[k, "bytes_per_second"] / 1e6) }
function ligne(quoi, mesure, sansFautes, cible, ok) {
  printf "| %s | %s | %s | %s | %s |\n", quoi, mesure, sansFautes, cible, ok ? "met" : "**missed**"
}
function parTemps(quoi, k, borne, cible) { ligne(quoi, temps(us[k]), temps(us["tas:" k]), cible, us[k] < borne) }
END {
  print ""
  print "| figure | measured (median) | same, freed memory kept | target | |"
  print "|---|---|---|---|---|"
  ligne("start to main window mapped (Xvfb)", sprintf("%.1f ms = %.2f x bare (%.1f ms)", t_plu, t_plu / t_nue, t_nue), "-", "<= 1.3 x bare", t_plu <= 1.3 * t_nue)
  ligne("peak resident memory of that start", sprintf("%.1f MiB = %.2f x bare (%.1f MiB)", m_plu / 1024, m_plu / m_nue, m_nue / 1024), "-", "<= 1.3 x bare", m_plu <= 1.3 * m_nue)
  k = "BM_DecoupeEtMiseEnPage/32000"; a = us[k]
  parTemps("`decoupe` + page layout, 32 000 characters", k, 1000, "< 1 ms")
  k2 = "BM_DecoupeEtMiseEnPage/320000"; b = us[k2]
  ligne("the same, 320 000 characters", sprintf("%s = %.1f x", temps(b), b / a), sprintf("%s = %.1f x", temps(us["tas:" k2]), us["tas:" k2] / us["tas:" k]), "<= 12 x the 32 000", b <= 12 * a)
  k = "BM_LexiqueFenetre"
  ligne("lexicon load, 100 themes x 200 words", sprintf("%s; first load %s", temps(us[k]), temps(mediane1(t1, k))), temps(us["tas:" k]), "< 2 ms", us[k] < 2000)
  split("BM_LexiqueHostileUneLigne10Mo BM_LexiqueHostileMillionLignesCourtes BM_LexiqueHostileMillionLignesMots", h, " ")
  split("one 10 MB line|1 000 000 lines of 2 characters|1 000 000 one-word lines", hn, "|")
  for (i = 1; i <= 3; i++) {
    x = us[h[i]]
    ligne("hostile lexicon: " hn[i], sprintf("%s; first load %s, +%.0f MiB peak", temps(x), temps(mediane1(t1, h[i])), mediane1(m1, h[i])),
          temps(us["tas:" h[i]]), "< 200 ms, memory bounded", x < 200000)
  }
  k = "BM_Decodage/real_time"
  ligne("Windows-1252 decode (French text, 1 MiB)", debit(k), debit("tas:" k), ">= 500 MB/s", v[k, "bytes_per_second"] >= 5e8)
  k = "BM_Encodage/real_time"
  ligne("Windows-1252 encode (French text, 1 MiB)", debit(k), debit("tas:" k), ">= 500 MB/s", v[k, "bytes_per_second"] >= 5e8)
  parTemps("`File1` refresh, 1 000 texts", "BM_ActualiserFile1/1000", 5000, "< 5 ms")
  parTemps("`File1` refresh, 10 000 texts", "BM_ActualiserFile1/10000", 50000, "< 50 ms")
  k = "BM_TickTimer1/3200"; l = v[k, "lectures_presse_papiers"]
  ligne("`Timer1` tick, 3 200 characters", sprintf("%s, %g clipboard reads", temps(us[k]), l), temps(us["tas:" k]), "< 20 us, no clipboard read", us[k] < 20 && l == 0)
  parTemps("keystroke in 32 000 characters, filter and repaint", "BM_FrappeAffichee/32000", 1000, "< 1 ms")
  parTemps("the same with the recovery record kept", "BM_FrappeAfficheeRecuperation/32000", 1000, "< 1 ms")

  print ""
  print "Breakdowns and other sizes (medians):"
  print ""
  print "| benchmark | measured | same, freed memory kept |"
  print "|---|---|---|"
  n = split("BM_PremiereEcriturePage BM_Decoupe/32000 BM_MiseEnPage/32000 BM_Decoupe/320000 BM_MiseEnPage/320000 BM_ChargeLexique BM_LexiqueFourni BM_DecodageAscii/real_time BM_EncodageAscii/real_time BM_ListerTextes/1000 BM_ListerTextes/10000 BM_DefinirDossierFile1/1000 BM_DefinirDossierFile1/10000 BM_TickTimer1/32000 BM_Frappe/3200 BM_Frappe/32000 BM_Frappe/320000 BM_FrappeAffichee/3200 BM_FrappeAffichee/320000 BM_FrappeAfficheeUnParagraphe/3200 BM_FrappeAfficheeUnParagraphe/32000 BM_FrappeAfficheeRecuperation/3200 BM_EcrireReleve/3200 BM_EcrireReleve/32000 BM_TexteDuReleve/32000 BM_Pictogramme/1/16 BM_Pictogramme/6/32 BM_Pictogramme/6/128 BM_Pictogramme/6/256 BM_IconesDuDemarrage BM_DefinirDossierDir1 BM_ConstruireForm1", liste, " ")
  for (i = 1; i <= n; i++) {
    c = liste[i]; x = temps(us[c]); y = temps(us["tas:" c])
    if (v[c, "bytes_per_second"] != "") { x = x ", " debit(c); y = y ", " debit("tas:" c) }
    if (c == "BM_PremiereEcriturePage") { x = sprintf("%.1f us a page", us[c] / 4096); y = "-" }
    printf "| %s | %s | %s |\n", c, x, y
  }
}' "$r"/*.json "$r/lexique_premier"

echo
echo "The lexicon's first load in a fresh process, as at start-up (one iteration a process, $(awk 'NR == 1 {print $1}' "$r/lexique_premier" | xargs -I{} grep -c "^{} " "$r/lexique_premier") processes a case; median, min-max, and the peak memory the load added):"
echo
echo "| case | first load | peak memory added |"
echo "|---|---|---|"
for cas in $(awk '{print $1}' "$r/lexique_premier" | uniq); do
  temps=$(awk -v c="$cas" '$1 == c {f = $3 == "ns" ? 1e-3 : $3 == "us" ? 1 : $3 == "ms" ? 1e3 : 1e6; print $2 * f / 1000}' "$r/lexique_premier" | sort -g)
  memoire=$(awk -v c="$cas" '$1 == c {print $4}' "$r/lexique_premier" | mediane)
  printf "| %s | %.2f ms (%.2f-%.2f) | %.1f MiB |\n" "$cas" "$(mediane <<<"$temps")" \
    "$(head -1 <<<"$temps")" "$(tail -1 <<<"$temps")" "$memoire"
done
