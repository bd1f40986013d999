// Word splitting and page layout of a French text, with a fixed-pitch measure
// (one column per character) so that only the layout is timed, not a font.
#include "commun.h"
#include "base/print/decoupe.h"
#include "base/print/mise_en_page.h"

#include <benchmark/benchmark.h>

namespace {

// An A4 page at the printer's usual margins: 94 columns of 1/12 inch, 66
// lines of 1/6 inch.
constexpr double colonnes = 94.0;
constexpr int lignes = 66;

// The print command hands the layout the writing zone's text with CR LF breaks.
QString texteImprime(qsizetype longueur)
{
    QString t = texteFrancais(longueur);
    t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return t.left(longueur);
}

double chasseFixe(const QString &s)
{
    return double(s.size());
}

void BM_DecoupeEtMiseEnPage(benchmark::State &state)
{
    const QString texte = texteImprime(state.range(0));
    const MesureLargeur mesure = chasseFixe;
    qsizetype fragments = 0;
    for (auto _ : state) {
        const QList<FragmentImprime> f =
            miseEnPage(decoupe(texte), colonnes, lignes, QStringLiteral("conte.txt"), mesure);
        fragments = f.size();
        benchmark::DoNotOptimize(f.constData());
    }
    state.counters["fragments"] = double(fragments);
    state.SetItemsProcessed(state.iterations() * texte.size());
}
BENCHMARK(BM_DecoupeEtMiseEnPage)->Arg(32000)->Arg(320000)->Unit(benchmark::kMicrosecond);

// The two halves apart, to tell where the time goes.
void BM_Decoupe(benchmark::State &state)
{
    const QString texte = texteImprime(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(decoupe(texte).constData());
    state.SetItemsProcessed(state.iterations() * texte.size());
}
BENCHMARK(BM_Decoupe)->Arg(32000)->Arg(320000)->Unit(benchmark::kMicrosecond);

void BM_MiseEnPage(benchmark::State &state)
{
    const QStringList jetons = decoupe(texteImprime(state.range(0)));
    const MesureLargeur mesure = chasseFixe;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            miseEnPage(jetons, colonnes, lignes, QStringLiteral("conte.txt"), mesure).constData());
    }
    state.counters["jetons"] = double(jetons.size());
}
BENCHMARK(BM_MiseEnPage)->Arg(32000)->Arg(320000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
