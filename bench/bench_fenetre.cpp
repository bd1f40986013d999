// What the window does while the pupil works: the file list's refresh, the
// half-second timer tick, a keystroke in a long text, and the recovery
// record kept while the pupil types.
#include "gui/reprise.h"
#include "commun.h"
#include "gui/texts/navigateur.h"
#include "gui/fenetre/controles.h"
#include "gui/widgets/liste_dossiers.h"
#include "gui/widgets/liste_fichiers.h"
#include "gui/widgets/pictogrammes.h"
#include "gui/widgets/zone_texte.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMetaMethod>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

// A class folder holding `nombre` texts (and a few files that are not texts).
struct DossierTextes {
    QTemporaryDir dir;
    explicit DossierTextes(int nombre)
    {
        for (int i = 0; i < nombre; ++i) {
            QFile f(dir.filePath(QStringLiteral("texte-%1.txt").arg(i, 5, 10, QLatin1Char('0'))));
            if (!f.open(QIODevice::WriteOnly))
                qFatal("cannot write a text");
        }
        for (const char *autre : {"notes.doc", "image.png", "lexique.stw"}) {
            QFile f(dir.filePath(QLatin1String(autre)));
            if (!f.open(QIODevice::WriteOnly))
                qFatal("cannot write a file");
        }
    }
};

// What a scroll or a read does to the file list: list the folder again and
// compare with what is shown (here nothing changed, the usual case).
void BM_ActualiserFile1(benchmark::State &state)
{
    const DossierTextes dossier(int(state.range(0)));
    ListeFichiers liste;
    liste.definirDossier(dossier.dir.path());
    for (auto _ : state)
        liste.actualiser();
    state.counters["noms"] = double(liste.count());
}
BENCHMARK(BM_ActualiserFile1)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The listing alone (no widget), to tell where the refresh's time goes.
void BM_ListerTextes(benchmark::State &state)
{
    const DossierTextes dossier(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(ListeFichiers::nomsTextes(dossier.dir.path()).size());
}
BENCHMARK(BM_ListerTextes)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Going into a folder: the list emptied and filled again.
void BM_DefinirDossierFile1(benchmark::State &state)
{
    const DossierTextes dossier(int(state.range(0)));
    ListeFichiers liste;
    for (auto _ : state)
        liste.definirDossier(dossier.dir.path());
}
BENCHMARK(BM_DefinirDossierFile1)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Clipboard content that counts how often anybody looks at it.
class MimeCompteur : public QMimeData
{
public:
    mutable int lectures = 0;
    bool hasFormat(const QString &f) const override { ++lectures; return QMimeData::hasFormat(f); }
    QStringList formats() const override { ++lectures; return QMimeData::formats(); }

protected:
    QVariant retrieveData(const QString &f, QMetaType t) const override
    {
        ++lectures;
        return QMimeData::retrieveData(f, t);
    }
};

// A window on an empty class folder, shown, with its timer stopped so that
// only the benchmark drives it; with a recovery folder, recovery is on.
FenetreBench fenetreMontree(const QTemporaryDir &classe, const QString &recuperation = {})
{
    FenetreBench f = ouvrirFenetre(classe.path(), QStringLiteral(PLUMOR_DONNEES), recuperation);
    f.form->controles().Timer1->stop();
    f.form->show();
    QApplication::processEvents();
    return f;
}

// One Timer1 tick, through the timer's own signal so that the window's
// handler runs exactly as on a real timeout.
void BM_TickTimer1(benchmark::State &state)
{
    const QTemporaryDir classe;
    FenetreBench f = fenetreMontree(classe);
    Controles &c = f.form->controles();
    c.Text1->setPlainText(texteFrancais(state.range(0)));
    QTextCursor curseur = c.Text1->textCursor();
    curseur.setPosition(100);
    curseur.setPosition(120, QTextCursor::KeepAnchor);
    c.Text1->setTextCursor(curseur);

    auto *mime = new MimeCompteur;
    mime->setText(QStringLiteral("un renard"));
    QGuiApplication::clipboard()->setMimeData(mime); // the window reads it once, now
    const QMetaMethod timeout = QMetaMethod::fromSignal(&QTimer::timeout);
    timeout.invoke(c.Timer1, Qt::DirectConnection);
    const int lecturesAvant = mime->lectures;

    for (auto _ : state)
        timeout.invoke(c.Timer1, Qt::DirectConnection);

    if (c.taille_plumor->text().isEmpty() || !c.coller->isEnabled())
        state.SkipWithError("the tick did not run");
    state.counters["lectures_presse_papiers"] =
        benchmark::Counter(mime->lectures - lecturesAvant, benchmark::Counter::kAvgIterations);
    QGuiApplication::clipboard()->clear();
}
BENCHMARK(BM_TickTimer1)->Arg(3200)->Arg(32000);

// Alternately an "é" and a Backspace, so the text stays at its length.
struct Frappes {
    QKeyEvent lettre{QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("é")};
    QKeyEvent retour{QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier};
    bool impaire = false;
    void une(QWidget *zone)
    {
        QCoreApplication::sendEvent(zone, impaire ? &retour : &lettre);
        impaire = !impaire;
    }
};

// One keystroke in the middle of the writing zone. `affichee` also lets the
// event loop lay out and repaint the pane, as the pupil sees it, and run the
// recovery's timer when it is on.
void frappe(benchmark::State &state, bool paragraphes, bool affichee, bool recuperation = false)
{
    const QTemporaryDir classe, etat;
    FenetreBench f = fenetreMontree(classe, recuperation ? etat.filePath(QStringLiteral("plumor")) : QString());
    ZoneTexte *zone = f.form->controles().Text1;
    zone->setPlainText(texteFrancais(state.range(0), paragraphes));
    // Unsaved work, as the recovery keeps it: a key and its Backspace would
    // otherwise bring the zone back to its saved state.
    zone->document()->setModified(true);
    QTextCursor curseur = zone->textCursor();
    curseur.setPosition(int(state.range(0) / 2));
    zone->setTextCursor(curseur);
    zone->setFocus();
    QApplication::processEvents();

    Frappes frappes;
    for (auto _ : state) {
        frappes.une(zone);
        if (affichee)
            QApplication::processEvents();
    }
    state.counters["longueur"] = double(zone->document()->characterCount() - 1);
}

void BM_Frappe(benchmark::State &state) { frappe(state, true, false); }
BENCHMARK(BM_Frappe)->Arg(3200)->Arg(32000)->Arg(320000)->Unit(benchmark::kMicrosecond);

void BM_FrappeAffichee(benchmark::State &state) { frappe(state, true, true); }
BENCHMARK(BM_FrappeAffichee)->Arg(3200)->Arg(32000)->Arg(320000)->Unit(benchmark::kMicrosecond);

// The same with the recovery record kept: each key starts its delay, and
// once a second the record is built here and written on its own thread.
void BM_FrappeAfficheeRecuperation(benchmark::State &state) { frappe(state, true, true, true); }
BENCHMARK(BM_FrappeAfficheeRecuperation)->Arg(3200)->Arg(32000)->Unit(benchmark::kMicrosecond);

// One recovery record from end to end after a keystroke: the zone's text read
// out on the window's thread, the record encoded, written whole, flushed and
// renamed in on the writer's thread, waited for.
void BM_EcrireReleve(benchmark::State &state)
{
    const QTemporaryDir classe, etat;
    FenetreBench f = fenetreMontree(classe, etat.filePath(QStringLiteral("plumor")));
    ZoneTexte *zone = f.form->controles().Text1;
    zone->setPlainText(texteFrancais(state.range(0)));
    zone->document()->setModified(true);
    Frappes frappes;
    for (auto _ : state) {
        frappes.une(zone);
        f.form->reprise()->ecrireMaintenant();
    }
    const QFileInfoList releves = QDir(etat.filePath(QStringLiteral("plumor"))).entryInfoList(QDir::Files);
    if (releves.size() != 1)
        state.SkipWithError("no record written");
    else
        state.counters["octets"] = double(releves.constFirst().size());
}
BENCHMARK(BM_EcrireReleve)->Arg(3200)->Arg(32000)->Unit(benchmark::kMicrosecond);

// The window thread's share of a record: the zone's text read out.
void BM_TexteDuReleve(benchmark::State &state)
{
    const QTemporaryDir classe;
    FenetreBench f = fenetreMontree(classe);
    ZoneTexte *zone = f.form->controles().Text1;
    zone->setPlainText(texteFrancais(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(zone->texteCrLf().size());
}
BENCHMARK(BM_TexteDuReleve)->Arg(32000)->Unit(benchmark::kMicrosecond);

// The worst shape: the whole text one paragraph, laid out again at each key.
void BM_FrappeAfficheeUnParagraphe(benchmark::State &state) { frappe(state, false, true); }
BENCHMARK(BM_FrappeAfficheeUnParagraphe)->Arg(3200)->Arg(32000)->Unit(benchmark::kMicrosecond);

// Start-up pieces that are Plumor's own: the pictures painted for the
// buttons and the window icon, the folder list (its ancestors, its
// subfolders and the style's folder icons), and the whole window built
// (not shown) on the example class folder.
void BM_Pictogramme(benchmark::State &state)
{
    const auto quoi = Pictogramme(state.range(0));
    const int taille = int(state.range(1));
    for (auto _ : state)
        benchmark::DoNotOptimize(dessinerPictogramme(quoi, taille).cacheKey());
}
BENCHMARK(BM_Pictogramme)
    ->ArgsProduct({{int(Pictogramme::Disquette)}, {16, 22, 32}})
    ->ArgsProduct({{int(Pictogramme::Plumor)}, {16, 22, 32, 48, 64, 128, 256}})
    ->Unit(benchmark::kMicrosecond);

void BM_IconesDuDemarrage(benchmark::State &state)
{
    for (auto _ : state) {
        for (int i = 0; i <= int(Pictogramme::Plumor); ++i)
            benchmark::DoNotOptimize(iconePictogramme(Pictogramme(i)).cacheKey());
        benchmark::DoNotOptimize(iconePictogramme(Pictogramme::Plumor).cacheKey()); // the window's
    }
}
BENCHMARK(BM_IconesDuDemarrage)->Unit(benchmark::kMillisecond);

void BM_DefinirDossierDir1(benchmark::State &state)
{
    ListeDossiers liste;
    const QString classe = QStringLiteral(PLUMOR_DONNEES "/../exemple/classe");
    for (auto _ : state)
        liste.definirDossier(classe);
}
BENCHMARK(BM_DefinirDossierDir1)->Unit(benchmark::kMicrosecond);

void BM_ConstruireForm1(benchmark::State &state)
{
    const QString classe = QStringLiteral(PLUMOR_DONNEES "/../exemple/classe");
    for (auto _ : state)
        benchmark::DoNotOptimize(ouvrirFenetre(classe).form.get());
}
BENCHMARK(BM_ConstruireForm1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return executerAvecApplication(argc, argv);
}
