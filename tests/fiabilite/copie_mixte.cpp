// One copy of the text protocol, driven a line at a time from stdin, so that
// a Linux copy and a Windows copy (under Wine) can share one class folder,
// their current folder:
//   prendre NOM        -> lu | pris | vide | erreur
//   ecrire NOM HEX     -> ecrit | refuse (rewrites a text this copy holds)
//   sous NOM HEX       -> ecrit | refuse (writes a new text and holds it)
//   liberer NOM        -> libre | erreur
//   octets NOM         -> the file's bytes in hex
#include "base/texts/attributs.h"
#include "base/texts/disque.h"
#include "base/texts/fichiers_texte.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    AttributsSysteme attributs;
    FichiersTexte fichiers(attributs, std::make_shared<const DossierClasse>(QDir::currentPath()));
    std::string ligne;
    while (std::getline(std::cin, ligne)) {
        const QList<QByteArray> mots = QByteArray::fromStdString(ligne).trimmed().split(' ');
        const QString nom = QDir::current().absoluteFilePath(QString::fromUtf8(mots.value(1)));
        QByteArray reponse;
        if (mots[0] == "prendre") {
            using Issue = FichiersTexte::Lecture::Issue;
            const Issue i = fichiers.prendre(nom).issue;
            reponse = i == Issue::Lu ? "lu" : i == Issue::Pris ? "pris" : i == Issue::Vide ? "vide" : "erreur";
        } else if (mots[0] == "ecrire") {
            reponse = fichiers.reecrire(nom, QByteArray::fromHex(mots.value(2))).ecrit() ? "ecrit" : "refuse";
        } else if (mots[0] == "sous") {
            reponse = fichiers.ecrireSous(nom, QByteArray::fromHex(mots.value(2))).ecrit() ? "ecrit" : "refuse";
        } else if (mots[0] == "liberer") {
            reponse = fichiers.liberer(nom).ok() ? "libre" : "erreur";
        } else if (mots[0] == "octets") {
            QByteArray octets;
            reponse = disque::lire(nom, 1 << 20, octets) == 0 ? octets.toHex() : "erreur";
        }
        std::printf("%s\n", reponse.constData());
        std::fflush(stdout);
    }
    fichiers.libererTout();
    return 0;
}
