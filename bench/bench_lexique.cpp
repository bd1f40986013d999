// Loading the thematic lexicon: the pure loader and splitter, the window's
// start-up load (reading lexique.stw and filling the theme chooser), and
// damaged files that must neither freeze the window nor eat the memory.
#include "commun.h"
#include "base/lexicon/lexique.h"
#include "gui/lexicon/lexique_fenetre.h"
#include "base/cp1252.h"

#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

const char16_t *const kMots[] = {
    u"un renard", u"une forêt", u"un élève", u"la maîtresse", u"un cahier",
    u"une gomme", u"le goûter", u"un château", u"une île", u"l'hiver",
    u"un arc-en-ciel", u"le pré", u"une abeille", u"un hérisson", u"la rivière",
    u"un écureuil", u"une fenêtre", u"le tableau", u"un crayon", u"la récré",
};

// 100 themes of 200 words each, with CR LF lines, as the teacher's tool writes them.
QByteArray lexique100x200()
{
    QString texte;
    for (int theme = 0; theme < 100; ++theme) {
        texte += QStringLiteral("thème %1").arg(theme);
        for (int mot = 0; mot < 200; ++mot) {
            texte += u';';
            texte += QString::fromUtf16(kMots[(theme + mot) % std::size(kMots)]);
            texte += QString::number(mot);
        }
        texte += QLatin1String("\r\n");
    }
    return cp1252::encode(texte);
}

QByteArray uneLigne10Mo()
{
    const QByteArray motif("un mot;");
    QByteArray o;
    o.reserve(10'000'000 + motif.size());
    while (o.size() < 10'000'000)
        o += motif;
    o.truncate(10'000'000);
    return o;
}

// A million lines too short to count (two characters): the loader walks
// through all of them.
QByteArray millionLignesCourtes()
{
    QByteArray o;
    o.reserve(4'000'000);
    for (int i = 0; i < 1'000'000; ++i)
        o += "ab\r\n";
    return o;
}

// A million one-word themes: the loader stops after the hundredth.
QByteArray millionLignesMots()
{
    QByteArray o;
    o.reserve(10'000'000);
    for (int i = 0; i < 1'000'000; ++i)
        o += "un chat\r\n";
    return o;
}

// A program folder holding only a lexique.stw, empty until filled.
struct DossierLexique {
    QTemporaryDir dir;
    DossierLexique() { remplir({}); }
    void remplir(const QByteArray &octets) const
    {
        QFile f(dir.filePath(QStringLiteral("lexique.stw")));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(octets) != octets.size())
            qFatal("cannot write the lexicon");
    }
};

// Reading and splitting without widgets: what the loader costs by itself.
void BM_ChargeLexique(benchmark::State &state)
{
    const QByteArray octets = lexique100x200();
    qsizetype entrees = 0;
    for (auto _ : state) {
        const Lexique l = chargerLexique(cp1252::decode(octets));
        entrees = 0;
        for (int i = 1; i <= l.nbThemes; ++i)
            entrees += decouperLigne(l.lignes[size_t(i)]).entrees.size();
        benchmark::DoNotOptimize(entrees);
    }
    state.counters["entrees"] = double(entrees);
    state.SetBytesProcessed(state.iterations() * octets.size());
}
BENCHMARK(BM_ChargeLexique)->Unit(benchmark::kMicrosecond);

// The window's load at start-up: lexique.stw read from disk (page cache),
// decoded, cut into themes, and the theme chooser filled. The window is
// built on an empty lexicon, so that the first iteration is the process's
// first load, as at start-up: run with --benchmark_min_time=0 (one
// iteration) in a fresh process to time exactly that.
void chargerDansLaFenetre(benchmark::State &state, const QByteArray &octets)
{
    const DossierLexique programme;
    const QTemporaryDir classe;
    FenetreBench f = ouvrirFenetre(classe.path(), programme.dir.path());
    f.form->controles().Timer1->stop();
    programme.remplir(octets);
    const long rssAvant = rssMaxKio();
    for (auto _ : state)
        f.form->lexique().lire_intrus();
    state.counters["themes"] = double(f.form->controles().Combo2->count());
    state.counters["octets_lus"] = double(octets.size());
    state.counters["messages"] = benchmark::Counter(f.dialogues->messages, benchmark::Counter::kAvgIterations);
    // Peak resident memory of the process, and how much the loads added to
    // it; run a case alone (--benchmark_filter) to read its own.
    state.counters["rss_max_Mio"] = double(rssMaxKio()) / 1024.0;
    state.counters["rss_ajoute_Mio"] = double(rssMaxKio() - rssAvant) / 1024.0;
}

void BM_LexiqueFenetre(benchmark::State &state)
{
    chargerDansLaFenetre(state, lexique100x200());
}
BENCHMARK(BM_LexiqueFenetre)->Unit(benchmark::kMicrosecond);

void BM_LexiqueFourni(benchmark::State &state)
{
    QFile f(QStringLiteral(PLUMOR_DONNEES "/lexique.stw"));
    if (!f.open(QIODevice::ReadOnly))
        state.SkipWithError("no data/lexique.stw");
    chargerDansLaFenetre(state, f.readAll());
}
BENCHMARK(BM_LexiqueFourni)->Unit(benchmark::kMicrosecond);

void BM_LexiqueHostileUneLigne10Mo(benchmark::State &state)
{
    chargerDansLaFenetre(state, uneLigne10Mo());
}
BENCHMARK(BM_LexiqueHostileUneLigne10Mo)->Unit(benchmark::kMillisecond);

void BM_LexiqueHostileMillionLignesCourtes(benchmark::State &state)
{
    chargerDansLaFenetre(state, millionLignesCourtes());
}
BENCHMARK(BM_LexiqueHostileMillionLignesCourtes)->Unit(benchmark::kMillisecond);

void BM_LexiqueHostileMillionLignesMots(benchmark::State &state)
{
    chargerDansLaFenetre(state, millionLignesMots());
}
BENCHMARK(BM_LexiqueHostileMillionLignesMots)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return executerAvecApplication(argc, argv);
}
