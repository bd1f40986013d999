// Saves in a folder where no draft can be made, killed at random instants,
// then the killed copy started again; docs/reliability.md tells how to run it.
//   sauvegardes_tuees [--fois N] [--graine S] [--disque-plein]
// As root, the folder is root's and the text and records nobody's, and the
// copies run as nobody: they may write the text but create nothing beside it.
#include "base/texts/attributs.h"
#include "base/texts/fichiers_texte.h"
#include "base/texts/recuperation.h"
#include "harnais.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <chrono>
#include <csignal>
#include <thread>
#include <cstdio>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One copy: holds the text and saves new versions until it is killed. Each
// refused save must leave the text whole, and its message must be true.
int copie(const QString &classe, const QString &texte, quint32 graine, bool plein)
{
    std::signal(SIGXFSZ, SIG_IGN);
    AttributsSysteme attributs;
    FichiersTexte fichiers(attributs, std::make_shared<const DossierClasse>(classe));
    recuperation::Dossier dossier(recuperation::dossierParDefaut());
    const auto noter = [&] {
        // Unsaved work exactly while a save is under way.
        const bool enCours = fichiers.reecriture().has_value();
        recuperation::Releve r{enCours, enCours ? QStringLiteral("?") : QString(), texte, fichiers.tenues(),
                               fichiers.reecriture()};
        return dossier.ecrire(recuperation::encoder(r));
    };
    fichiers.surReecriture(noter);
    if (fichiers.prendre(texte).issue != FichiersTexte::Lecture::Issue::Lu)
        return 2;
    noter();
    harnais::dire("pret");
    if (plein) {
        const rlimit petite{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &petite);
    }
    QRandomGenerator hasard(graine);
    for (int seq = 1;; ++seq) {
        const FichiersTexte::Ecriture e = fichiers.reecrire(texte, harnais::version("copie", seq, int(hasard.bounded(200, 30000))));
        noter();
        QByteArray apres;
        disque::lire(texte, FichiersTexte::tailleMaximale, apres);
        if (!e.ecrit() && (!harnais::entiere(apres) || (e.erreur != EFBIG && e.erreur != ENOSPC)))
            return 3;
        if (!e.ecrit())
            harnais::dire("refus");
    }
}

// The next start of the killed copy: what Reprise does, answering « Non ».
QByteArray reprendre(const QString &classe)
{
    AttributsSysteme attributs;
    FichiersTexte fichiers(attributs, std::make_shared<const DossierClasse>(classe));
    recuperation::Dossier dossier(recuperation::dossierParDefaut());
    QByteArray issue = "rien";
    for (recuperation::Dossier::Perdu &p : dossier.perdus()) {
        issue = recuperation::terminer(p.releve, fichiers) ? "termine" : p.releve.aRecuperer() ? "offert" : "libere";
        for (const FichiersTexte::Tenue &t : p.releve.marques) {
            if (fichiers.reprendre(t))
                fichiers.liberer(t.chemin);
        }
        dossier.oublier(p);
    }
    return issue;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.value(1) == u"--copie")
        return copie(a.at(2), a.at(3), a.at(4).toUInt(), a.at(5) == u"plein");
    if (a.value(1) == u"--reprise") {
        std::puts(reprendre(a.at(2)).constData());
        return 0;
    }
    const int fois = harnais::option(a, "--fois", 200);
    QRandomGenerator hasard(harnais::option(a, "--graine", 1));
    const bool plein = a.contains(QStringLiteral("--disque-plein"));

    QTemporaryDir base(QStringLiteral("/tmp/sauvegardes-XXXXXX"));
    const QString classe = base.filePath(QStringLiteral("classe")), texte = classe + QStringLiteral("/conte.txt");
    QDir().mkpath(base.filePath(QStringLiteral("etat")));
    QDir().mkpath(classe);
    if (disque::remplacer(texte, harnais::version("copie", 0, 1000)) != 0)
        return 2;
    const auto encode = [](const QString &c) { return QFile::encodeName(c); };
    ::chmod(encode(base.path()).constData(), 0755);
    const bool root = ::geteuid() == 0;
    if (root && (::chown(encode(texte).constData(), 65534, 65534) != 0
                 || ::chown(encode(base.filePath(QStringLiteral("etat"))).constData(), 65534, 65534) != 0))
        return 2;
    if (!root)
        ::chmod(encode(classe).constData(), 0555);
    qputenv("XDG_STATE_HOME", encode(base.filePath(QStringLiteral("etat"))));

    long refus = 0, vides = 0, dechiresAuKill = 0, dechires = 0, marques = 0, echecs = 0;
    QMap<QByteArray, int> issues;
    for (int i = 0; i < fois; ++i) {
        QProcess p, r;
        // The copies run as nobody; this process stays root to clean up.
        harnais::lancer(p, root, {QStringLiteral("--copie"), classe, texte, QString::number(hasard.generate()),
                                  plein && i % 2 ? QStringLiteral("plein") : QStringLiteral("-")});
        if (!harnais::estPret(p)) {
            std::fprintf(stderr, "kill %d: the copy could not take the text\n", i);
            return 2;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(hasard.bounded(1, 200000)));
        if (p.state() != QProcess::Running)
            ++echecs; // a save refused with a false message, or a torn text; or a next start that failed
        ::kill(pid_t(p.processId()), SIGKILL);
        p.waitForFinished();
        refus += p.readAll().count("refus");
        QByteArray octets;
        disque::lire(texte, FichiersTexte::tailleMaximale, octets);
        vides += octets.isEmpty();
        dechiresAuKill += !harnais::entiere(octets);
        harnais::lancer(r, root, {QStringLiteral("--reprise"), classe});
        echecs += !r.waitForFinished() || r.exitCode() != 0;
        ++issues[r.readAll().trimmed()];
        disque::lire(texte, FichiersTexte::tailleMaximale, octets);
        dechires += !harnais::entiere(octets);
        marques += attribut::estMarque(AttributsSysteme().lire(texte).mot);
    }
    std::printf("kills %d%s: saves refused, text whole and message true, %ld; after the kill empty %ld, torn %ld; "
                "after the next start: torn %ld, marks without holder %ld; copies that failed %ld\n", fois,
                plein ? " (disk full for every other copy)" : "", refus, vides, dechiresAuKill, dechires, marques, echecs);
    for (auto it = issues.cbegin(); it != issues.cend(); ++it)
        std::printf("  next start: %s %d\n", it.key().constData(), it.value());
    return vides + dechires + marques + echecs == 0 ? 0 : 1;
}
