// Renders the program's icon, painted from vector paths in the program
// itself, into the PNG sizes of the hicolor icon theme:
//   plumor-icones <folder> <size>...
// writes <folder>/<size>x<size>/apps/plumor.png for each size.
#include "gui/widgets/pictogrammes.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: plumor-icones <folder> <size>...\n");
        return 2;
    }
    const QString racine = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        bool ok = false;
        const int taille = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || taille <= 0) {
            std::fprintf(stderr, "plumor-icones: bad size %s\n", argv[i]);
            return 2;
        }
        const QString dossier = QStringLiteral("%1/%2x%2/apps").arg(racine).arg(taille);
        const QString fichier = dossier + QStringLiteral("/plumor.png");
        const QPixmap image = dessinerPictogramme(Pictogramme::Plumor, taille);
        if (!QDir().mkpath(dossier) || image.size() != QSize(taille, taille)
            || !image.save(fichier, "PNG")) {
            std::fprintf(stderr, "plumor-icones: cannot write %s\n", qPrintable(fichier));
            return 1;
        }
    }
    return 0;
}
