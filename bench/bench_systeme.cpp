// What the machine itself costs, to read the other figures by: the first
// write to a fresh 4 KiB page (a page fault and the kernel zeroing it).
// Every benchmark that allocates fresh memory pays this once a page.
#include <benchmark/benchmark.h>

#include <sys/mman.h>

namespace {

void BM_PremiereEcriturePage(benchmark::State &state)
{
    constexpr size_t pages = 4096; // 16 MiB
    for (auto _ : state) {
        state.PauseTiming();
        auto *p = static_cast<char *>(mmap(nullptr, pages * 4096, PROT_READ | PROT_WRITE,
                                           MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        state.ResumeTiming();
        for (size_t i = 0; i < pages; ++i)
            p[i * 4096] = 1;
        state.PauseTiming();
        munmap(p, pages * 4096);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * pages);
}
BENCHMARK(BM_PremiereEcriturePage)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
