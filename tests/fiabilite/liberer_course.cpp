// plumor-outils marques --liberer racing a pupil who swaps a sub-folder of the
// class for a link to a folder outside it and back, as fast as the kernel
// lets him (renameat2 RENAME_EXCHANGE). The marked text outside must never
// change: not its mode, not its bytes.
//
//   liberer_course PLUMOR_OUTILS [--essais N]
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

const char *z(const QByteArray &octets)
{
    return octets.constData();
}

// `nom` in the folder `dossier` (AT_FDCWD: a path), with these bytes and mode.
bool ecrire(int dossier, const QByteArray &nom, const QByteArray &octets, mode_t mode)
{
    const int fd = ::openat(dossier, z(nom), O_CREAT | O_TRUNC | O_WRONLY | O_NOFOLLOW, 0644);
    const bool ok = fd >= 0 && ::write(fd, octets.constData(), size_t(octets.size())) == octets.size()
                    && ::fchmod(fd, mode) == 0;
    return ::close(fd) == 0 && ok;
}

// The mode and bytes of a file, to compare before and after.
QByteArray empreinte(const QByteArray &chemin)
{
    struct stat st {};
    char octets[64] = {};
    const int fd = ::open(chemin.constData(), O_RDONLY);
    const ssize_t n = fd < 0 ? -1 : ::read(fd, octets, sizeof octets);
    ::close(fd);
    ::lstat(chemin.constData(), &st);
    return QByteArray::number(st.st_mode, 8) + ':' + QByteArray(octets, int(qMax<ssize_t>(n, 0)));
}

int lancer(const char *outils, const QByteArray &classe)
{
    const char *argv[] = {outils, "marques", classe.constData(), "--liberer", "CE2/x.txt", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int statut = -1;
    if (posix_spawn(&pid, outils, &actions, nullptr, const_cast<char **>(argv), environ) == 0)
        ::waitpid(pid, &statut, 0);
    posix_spawn_file_actions_destroy(&actions);
    return WIFEXITED(statut) ? WEXITSTATUS(statut) : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2)
        return 2;
    const int essais = argc > 3 && QByteArray(argv[2]) == "--essais" ? std::atoi(argv[3]) : 2000;
    QTemporaryDir racine;
    const QByteArray classe = QFile::encodeName(racine.path()) + "/classe", dehors = QFile::encodeName(racine.path()) + "/dehors";
    if (::mkdir(z(classe), 0755) != 0 || ::mkdir(z(dehors), 0755) != 0 || ::mkdir(z(classe + "/CE2"), 0755) != 0
        || ::symlink(z(dehors), z(classe + "/CE2-lien")) != 0
        || !ecrire(AT_FDCWD, dehors + "/x.txt", "hors de la classe\r\n", 0444))
        return 2;
    // The real folder, whichever name it has at the moment.
    const int reel = ::open(z(classe + "/CE2"), O_RDONLY | O_DIRECTORY);
    const QByteArray avant = empreinte(dehors + "/x.txt");

    // The pupil: CE2 is the real folder, then the link, then the folder...
    const pid_t eleve = ::fork();
    if (eleve == 0) {
        for (;;)
            ::renameat2(AT_FDCWD, z(classe + "/CE2"), AT_FDCWD, z(classe + "/CE2-lien"), RENAME_EXCHANGE);
    }
    int liberes = 0, refus = 0, echecs = 0, dehorsChange = 0;
    for (int i = 0; i < essais; ++i) {
        // A marked text inside the class each time.
        if (!ecrire(reel, "x.txt", "dans la classe\r\n", 0444))
            return 2;
        const int statut = lancer(argv[1], classe);
        liberes += statut == 0;
        refus += statut == 2;
        echecs += statut != 0 && statut != 2;
        if (empreinte(dehors + "/x.txt") != avant) {
            ++dehorsChange;
            ::chmod(z(dehors + "/x.txt"), 0644);
            ecrire(AT_FDCWD, dehors + "/x.txt", "hors de la classe\r\n", 0444);
        }
    }
    ::kill(eleve, SIGKILL);
    ::waitpid(eleve, nullptr, 0);
    std::printf("tries %d, released inside %d, refused %d, failed %d, changes outside the class folder %d\n", essais,
                liberes, refus, echecs, dehorsChange);
    return dehorsChange == 0 ? 0 : 1;
}
