// A pupil deletes a text a copy holds; another copy saves a new text, whose
// file the disk may give the deleted one's inode number; the first copy then
// opens the new text. Prints "<inode reused> <double hold> <mark lifted>",
// each 0 or 1: the first copy took the text the second holds, or its
// « Fermer » lifted the second copy's mark. For bench/inode_reutilise.sh,
// in a folder of an ext4 disk, which gives a freed inode out again at once.
#include "base/texts/attributs.h"
#include "base/texts/fichiers_texte.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <sys/stat.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString dossier = QString::fromLocal8Bit(argv[1]), a = dossier + QStringLiteral("/a.txt"),
                  c = dossier + QStringLiteral("/c.txt");
    QFile f(a);
    if (argc != 2 || !f.open(QIODevice::WriteOnly) || f.write("A\r\n") != 3)
        return 2;
    f.close();
    AttributsSysteme attributs;
    FichiersTexte v(attributs, std::make_shared<const DossierClasse>(dossier));
    FichiersTexte autre(attributs, std::make_shared<const DossierClasse>(dossier));
    struct stat st {};
    if (v.prendre(a).issue != FichiersTexte::Lecture::Issue::Lu || ::stat(QFile::encodeName(a), &st) != 0)
        return 2;
    const ino_t avant = st.st_ino;
    QFile::remove(a);
    if (autre.ecrireSous(c, "C\r\n").issue != FichiersTexte::Ecriture::Issue::Ecrit || ::stat(QFile::encodeName(c), &st) != 0)
        return 2;
    const bool double_ = v.prendre(c).issue == FichiersTexte::Lecture::Issue::Lu;
    v.libererTout();
    const bool levee = ::stat(QFile::encodeName(c), &st) == 0 && (st.st_mode & 0200);
    std::printf("%d %d %d\n", st.st_ino == avant, double_, levee);
    autre.libererTout();
    return 0;
}
