// A class on one share: runs N copies of copie_classe as separate processes
// against one folder of M texts, then checks what the class must never see.
//
//   classe_stress [--copies N] [--textes M] [--operations K] [--graine S]
//                 [--dispute [--periode MS]] [--sans-verrou] [--doubles-permises]
//
// Exit status 0 when no file is torn, no mark or temporary file is left, no
// save was made while another copy held the text, every copy ended cleanly,
// and (unless --doubles-permises) no two copies ever held one text at once.
#include "journal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <sys/stat.h>
#include <vector>

namespace {

struct Tenue {
    int copie;
    qint64 debut, fin;
};
struct Ecriture {
    int copie;
    qint64 debut, fin;
};

int entier(const QStringList &args, const QString &nom, int parDefaut)
{
    const int i = int(args.indexOf(nom));
    return i >= 0 && i + 1 < args.size() ? args.at(i + 1).toInt() : parDefaut;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int copies = entier(args, QStringLiteral("--copies"), 30);
    const int nbTextes = entier(args, QStringLiteral("--textes"), 10);
    const int operations = entier(args, QStringLiteral("--operations"), 2000);
    const int graine = entier(args, QStringLiteral("--graine"), 1);
    const int periode = entier(args, QStringLiteral("--periode"), 40);
    const bool dispute = args.contains(QStringLiteral("--dispute"));
    const bool sansVerrou = args.contains(QStringLiteral("--sans-verrou"));
    const bool doublesPermises = args.contains(QStringLiteral("--doubles-permises"));

    QTemporaryDir classe;
    QTemporaryDir journaux;
    journaux.setAutoRemove(!args.contains(QStringLiteral("--garder")));
    if (!journaux.autoRemove())
        std::fprintf(stderr, "journals kept in %s\n", qPrintable(journaux.path()));
    const QString dossier = QDir(classe.path()).canonicalPath();
    QRandomGenerator hasard{quint32(graine)};
    QStringList textes;
    for (int i = 0; i < nbTextes; ++i) {
        const QString c = QDir(dossier).filePath(QStringLiteral("texte%1.txt").arg(i, 2, 10, QLatin1Char('0')));
        QFile f(c);
        if (!f.open(QIODevice::WriteOnly) || f.write(fiabilite::version(0, i, hasard).toLatin1() + "\r\n") < 0)
            return 2;
        textes << c;
    }

    // Start every copy, wait until all have their window, then release them together.
    const QString programme = QCoreApplication::applicationDirPath() + QStringLiteral("/copie_classe");
    std::vector<std::unique_ptr<QProcess>> processus;
    for (int id = 1; id <= copies; ++id) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList a{dossier, QString::number(id), QString::number(graine * 1000 + id), QString::number(operations),
                      journaux.filePath(QString::number(id)), dispute ? QStringLiteral("dispute") : QStringLiteral("hasard"),
                      QString::number(periode)};
        if (sansVerrou)
            a << QStringLiteral("sans-verrou");
        p->start(programme, a);
        processus.push_back(std::move(p));
    }
    for (auto &p : processus) {
        if (!p->waitForReadyRead(120000) || p->readLine().trimmed() != "pret") {
            std::fprintf(stderr, "a copy did not start\n");
            return 2;
        }
    }
    const QByteArray depart = QByteArray::number(fiabilite::maintenant() + 200000000) + "\n";
    for (auto &p : processus) {
        p->write(depart);
        p->waitForBytesWritten(1000);
    }
    int copiesEchouees = 0;
    for (auto &p : processus) {
        p->closeWriteChannel();
        if (!p->waitForFinished(-1) || p->exitStatus() != QProcess::NormalExit || p->exitCode() != 0)
            ++copiesEchouees;
    }

    // The journals, side by side on the one clock.
    QHash<QString, std::vector<Tenue>> tenues;
    QHash<QString, std::vector<Ecriture>> ecritures;
    long ouvertures = 0, reussies = 0, refus = 0, nbEcritures = 0, lecturesDechirees = 0, erreurs = 0;
    for (int id = 1; id <= copies; ++id) {
        QFile j(journaux.filePath(QString::number(id)));
        if (!j.open(QIODevice::ReadOnly)) {
            ++copiesEchouees;
            continue;
        }
        while (!j.atEnd()) {
            const QByteArray ligne = j.readLine().trimmed();
            const QList<QByteArray> c = ligne.split(' ');
            if (c[0] == "T" && c.size() == 4)
                tenues[QString::fromLocal8Bit(c[1])].push_back({id, c[2].toLongLong(), c[3].toLongLong()});
            else if (c[0] == "E" && c.size() == 4)
                ecritures[QString::fromLocal8Bit(c[1])].push_back({id, c[2].toLongLong(), c[3].toLongLong()});
            else if (c[0] == "S" && c.size() == 6) {
                ouvertures += c[1].toLong();
                reussies += c[2].toLong();
                refus += c[3].toLong();
                nbEcritures += c[4].toLong();
                lecturesDechirees += c[5].toLong();
            } else if (c[0] == "X") {
                if (erreurs++ < 5)
                    std::fprintf(stderr, "copy %d said: %s\n", id, ligne.mid(2).constData());
            }
        }
    }

    // A double hold: a copy took a text while another still held it.
    long doubles = 0, sauvegardesSansTenir = 0, tenuesTotales = 0;
    for (auto it = tenues.begin(); it != tenues.end(); ++it) {
        std::vector<Tenue> &t = it.value();
        tenuesTotales += long(t.size());
        std::sort(t.begin(), t.end(), [](const Tenue &a, const Tenue &b) { return a.debut < b.debut; });
        for (size_t i = 0; i < t.size(); ++i) {
            for (size_t k = 0; k < i; ++k) {
                if (t[k].copie != t[i].copie && t[k].fin > t[i].debut)
                    ++doubles;
            }
        }
        for (const Ecriture &e : ecritures.value(it.key())) {
            for (const Tenue &h : t) {
                if (h.copie != e.copie && h.debut < e.debut && h.fin > e.fin) {
                    ++sauvegardesSansTenir;
                    break;
                }
            }
        }
    }

    long dechires = 0, marques = 0;
    for (const QString &c : std::as_const(textes)) {
        QFile f(c);
        if (!f.open(QIODevice::ReadOnly) || !fiabilite::lireVersion(f.readAll()).valide)
            ++dechires;
        struct stat st {};
        if (::stat(QFile::encodeName(c).constData(), &st) == 0 && (st.st_mode & 0222) == 0)
            ++marques;
    }
    const long temporaires = long(QDir(dossier).entryList({QStringLiteral(".*.txt.*")}, QDir::Files | QDir::Hidden).size());

    std::printf("copies %d, texts %d, operations per copy %d, seed %d, mode %s%s\n", copies, nbTextes, operations,
                graine, dispute ? "contended" : "random", sansVerrou ? ", OS lock refused" : "");
    std::printf("opens tried %ld, succeeded %ld, refusals %ld, holds %ld, saves %ld\n", ouvertures, reussies, refus,
                tenuesTotales, nbEcritures);
    std::printf("double holds %ld\n", doubles);
    std::printf("saves while another copy held the text %ld\n", sauvegardesSansTenir);
    std::printf("torn or mixed files %ld, torn reads %ld, marks left %ld, temporary files left %ld\n", dechires,
                lecturesDechirees, marques, temporaires);
    std::printf("error messages %ld, copies that failed %d\n", erreurs, copiesEchouees);
    const bool ok = dechires == 0 && lecturesDechirees == 0 && marques == 0 && temporaires == 0
                    && sauvegardesSansTenir == 0 && copiesEchouees == 0 && erreurs == 0
                    && (doublesPermises || doubles == 0);
    return ok ? 0 : 1;
}
