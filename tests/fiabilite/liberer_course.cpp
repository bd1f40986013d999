// plumor-outils marques --liberer racing a pupil who exchanges a sub-folder of
// the class and a link to a folder outside it, as fast as the kernel lets him
// (renameat2 RENAME_EXCHANGE). The marked text outside must keep its mode and
// bytes.
//
//   liberer_course PLUMOR_OUTILS [--essais N]
#include "harnais.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// `nom` in the folder `dossier` (AT_FDCWD: a path), with these bytes, marked.
bool ecrireMarque(int dossier, const QByteArray &nom, const QByteArray &octets)
{
    const int fd = ::openat(dossier, nom.constData(), O_CREAT | O_TRUNC | O_WRONLY | O_NOFOLLOW, 0644);
    const bool ok = fd >= 0 && ::write(fd, octets.constData(), size_t(octets.size())) == octets.size()
                    && ::fchmod(fd, 0444) == 0;
    return ::close(fd) == 0 && ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int essais = harnais::option(app.arguments(), "--essais", 2000);
    QTemporaryDir racine;
    const QString classe = racine.filePath(QStringLiteral("classe")), dehors = racine.filePath(QStringLiteral("dehors"));
    const QByteArray ce2 = QFile::encodeName(classe + QStringLiteral("/CE2")), lien = QFile::encodeName(classe + QStringLiteral("/CE2-lien"));
    if (argc < 2 || ::mkdir(QFile::encodeName(classe), 0755) != 0 || ::mkdir(QFile::encodeName(dehors), 0755) != 0
        || ::mkdir(ce2, 0755) != 0 || !QFile::link(dehors, classe + QStringLiteral("/CE2-lien"))
        || !ecrireMarque(AT_FDCWD, QFile::encodeName(dehors + QStringLiteral("/x.txt")), "hors de la classe\r\n"))
        return 2;
    const QByteArray avant = harnais::empreinte(dehors + QStringLiteral("/x.txt"));
    // The real folder, whichever name it has at the moment.
    const int reel = ::open(ce2, O_RDONLY | O_DIRECTORY);

    const pid_t eleve = ::fork();
    while (eleve == 0)
        ::renameat2(AT_FDCWD, ce2, AT_FDCWD, lien, RENAME_EXCHANGE);
    int statuts[3] = {}, dehorsChange = 0;
    for (int i = 0; i < essais; ++i) {
        if (!ecrireMarque(reel, "x.txt", "dans la classe\r\n"))
            return 2;
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.setStandardErrorFile(QProcess::nullDevice());
        p.start(QString::fromLocal8Bit(argv[1]), {QStringLiteral("marques"), classe, QStringLiteral("--liberer"), QStringLiteral("CE2/x.txt")});
        ++statuts[p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit ? qBound(0, p.exitCode(), 2) : 1];
        if (harnais::empreinte(dehors + QStringLiteral("/x.txt")) != avant) {
            ++dehorsChange;
            QFile::setPermissions(dehors + QStringLiteral("/x.txt"), QFile::ReadOwner | QFile::WriteOwner);
            ecrireMarque(AT_FDCWD, QFile::encodeName(dehors + QStringLiteral("/x.txt")), "hors de la classe\r\n");
        }
    }
    ::kill(eleve, SIGKILL);
    ::waitpid(eleve, nullptr, 0);
    std::printf("tries %d, released inside %d, refused %d, failed %d, changes outside the class folder %d\n", essais,
                statuts[0], statuts[2], statuts[1], dehorsChange);
    return dehorsChange == 0 ? 0 : 1;
}
