// Windows-1252 decode and encode throughput (wall-clock), on French text
// (accents, and the ’ … œ of the code page's 0x80-0x9F range) and on ASCII.
#include "commun.h"
#include "base/cp1252.h"

#include <benchmark/benchmark.h>

namespace {

constexpr qsizetype taille = 1 << 20; // 1 MiB: past the L2 cache, as a long text is

QByteArray octetsFrancais()
{
    return cp1252::encode(texteFrancais(taille));
}

void BM_Decodage(benchmark::State &state)
{
    const QByteArray octets = octetsFrancais();
    for (auto _ : state)
        benchmark::DoNotOptimize(cp1252::decode(octets));
    state.SetBytesProcessed(state.iterations() * octets.size());
}
BENCHMARK(BM_Decodage)->UseRealTime();

void BM_Encodage(benchmark::State &state)
{
    const QString texte = texteFrancais(taille);
    for (auto _ : state)
        benchmark::DoNotOptimize(cp1252::encode(texte));
    // Bytes of the file written, as for decoding.
    state.SetBytesProcessed(state.iterations() * texte.size());
}
BENCHMARK(BM_Encodage)->UseRealTime();

void BM_DecodageAscii(benchmark::State &state)
{
    const QByteArray octets(taille, 'a');
    for (auto _ : state)
        benchmark::DoNotOptimize(cp1252::decode(octets));
    state.SetBytesProcessed(state.iterations() * octets.size());
}
BENCHMARK(BM_DecodageAscii)->UseRealTime();

void BM_EncodageAscii(benchmark::State &state)
{
    const QString texte(taille, u'a');
    for (auto _ : state)
        benchmark::DoNotOptimize(cp1252::encode(texte));
    state.SetBytesProcessed(state.iterations() * texte.size());
}
BENCHMARK(BM_EncodageAscii)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
