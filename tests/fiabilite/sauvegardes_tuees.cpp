// Saves in a folder where no draft can be made, the saving copy killed with
// SIGKILL at random instants, then started again as the pupil would: counts
// the texts left empty after the kill, and the torn texts and the marks
// nobody holds after the next start.
//
//   sauvegardes_tuees [--fois N] [--graine S] [--disque-plein]
//
// Run as root, it gives the class folder to root and the text and the
// recovery folder to nobody, then runs as nobody: nobody may then write the
// text but create nothing beside it. --disque-plein: every other copy saves
// with writes limited to 4096 bytes, as on a disk another writer filled; a
// save refused so must leave the text whole and say why.
#include "base/texts/attributs.h"
#include "base/texts/fichiers_texte.h"
#include "base/texts/recuperation.h"

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

// A version names itself and its length, and its body is one letter the
// number gives: a torn or mixed file cannot pass for one.
QByteArray version(int seq, QRandomGenerator &hasard)
{
    const int taille = int(hasard.bounded(200, 30000));
    return "seq=" + QByteArray::number(seq) + " taille=" + QByteArray::number(taille) + "\r\n"
           + QByteArray(taille, char('a' + seq % 26));
}

bool entiere(const QByteArray &o)
{
    const QList<QByteArray> tete = o.left(o.indexOf("\r\n")).split('=');
    if (tete.size() != 3)
        return false;
    const int seq = tete[1].split(' ').value(0).toInt(), taille = tete[2].toInt();
    return o == "seq=" + QByteArray::number(seq) + " taille=" + QByteArray::number(taille) + "\r\n"
                    + QByteArray(taille, char('a' + seq % 26));
}

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
    std::printf("pret\n");
    std::fflush(stdout);
    if (plein) {
        const rlimit petite{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &petite);
    }
    QRandomGenerator hasard(graine);
    for (int seq = 1;; ++seq) {
        const FichiersTexte::Ecriture e = fichiers.reecrire(texte, version(seq, hasard));
        noter();
        QByteArray apres;
        disque::lire(texte, FichiersTexte::tailleMaximale, apres);
        if (!e.ecrit() && (!entiere(apres) || disque::description(e.erreur) != disque::description(EFBIG)))
            return 3;
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
            if (fichiers.reprendre(t.chemin, t.identite))
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
    const int fois = a.contains(QStringLiteral("--fois")) ? a.at(a.indexOf(QStringLiteral("--fois")) + 1).toInt() : 200;
    QRandomGenerator hasard(a.contains(QStringLiteral("--graine")) ? a.at(a.indexOf(QStringLiteral("--graine")) + 1).toUInt() : 1);
    const bool plein = a.contains(QStringLiteral("--disque-plein"));

    QTemporaryDir base(QStringLiteral("/tmp/sauvegardes-XXXXXX"));
    const QString classe = base.filePath(QStringLiteral("classe")), texte = classe + QStringLiteral("/conte.txt");
    QDir().mkpath(base.filePath(QStringLiteral("etat")));
    QDir().mkpath(classe);
    QFile f(texte);
    if (!f.open(QIODevice::WriteOnly) || f.write(version(0, hasard)) < 0)
        return 2;
    f.close();
    const auto encode = [](const QString &c) { return QFile::encodeName(c); };
    ::chmod(encode(base.path()).constData(), 0755);
    const bool root = ::geteuid() == 0;
    if (root && (::chown(encode(texte).constData(), 65534, 65534) != 0
                 || ::chown(encode(base.filePath(QStringLiteral("etat"))).constData(), 65534, 65534) != 0))
        return 2;
    if (!root)
        ::chmod(encode(classe).constData(), 0555);
    qputenv("XDG_STATE_HOME", encode(base.filePath(QStringLiteral("etat"))));
    // The copies run as nobody; this process stays root to clean up.
    const auto commeNobody = [root] {
        if (root && (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0
                     || ::setresuid(65534, 65534, 65534) != 0))
            ::_exit(2);
    };

    long vides = 0, dechiresAuKill = 0, dechires = 0, marques = 0, echecs = 0;
    QMap<QByteArray, int> issues;
    for (int i = 0; i < fois; ++i) {
        QProcess p;
        p.setChildProcessModifier(commeNobody);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(app.applicationFilePath(), {QStringLiteral("--copie"), classe, texte, QString::number(hasard.generate()),
                                            plein && i % 2 ? QStringLiteral("plein") : QStringLiteral("-")});
        if (!p.waitForReadyRead(20000) || p.readLine() != "pret\n") {
            std::fprintf(stderr, "kill %d: the copy could not take the text\n", i);
            return 2;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(hasard.bounded(1, 200000)));
        if (p.state() != QProcess::Running)
            ++echecs; // a save refused with a false message, or a torn text
        ::kill(pid_t(p.processId()), SIGKILL);
        p.waitForFinished();
        QByteArray octets;
        disque::lire(texte, FichiersTexte::tailleMaximale, octets);
        vides += octets.isEmpty();
        dechiresAuKill += !entiere(octets);
        QProcess r;
        r.setChildProcessModifier(commeNobody);
        r.start(app.applicationFilePath(), {QStringLiteral("--reprise"), classe});
        r.waitForFinished();
        ++issues[r.readAll().trimmed()];
        disque::lire(texte, FichiersTexte::tailleMaximale, octets);
        dechires += !entiere(octets);
        marques += attribut::estMarque(AttributsSysteme().lire(texte).mot);
    }
    std::printf("kills %d%s: after the kill empty %ld, torn %ld; after the next start: torn %ld, marks without "
                "holder %ld; copies that failed %ld\n", fois, plein ? " (disk full for every other copy)" : "", vides,
                dechiresAuKill, dechires, marques, echecs);
    for (auto it = issues.cbegin(); it != issues.cend(); ++it)
        std::printf("  next start: %s %d\n", it.key().constData(), it.value());
    return vides + dechires + marques + echecs == 0 ? 0 : 1;
}
