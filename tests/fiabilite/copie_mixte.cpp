// One copy of the text protocol, driven a line at a time from stdin, so that
// a Linux copy and a Windows copy (under Wine) can share one class folder,
// their current folder:
//   prendre NOM        -> lu | pris | vide | erreur
//   ecrire NOM HEX     -> ecrit | refuse (rewrites a text this copy holds)
//   sous NOM HEX       -> ecrit | refuse (writes a new text and holds it)
//   liberer NOM        -> libre | erreur
//   octets NOM         -> the file's bytes in hex
//   noter FICHIER      -> note: an in-place rewrite is recorded there first,
//                         as the recovery record holds it
//   terminer FICHIER   -> fini | laisse (a dead copy's rewrite recorded there)
#include "base/texts/attributs.h"
#include "base/texts/disque.h"
#include "base/texts/fichiers_texte.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QSaveFile>

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
        } else if (mots[0] == "noter") {
            fichiers.surReecriture([&fichiers, nom] {
                const FichiersTexte::Reecriture &r = *fichiers.reecriture();
                const disque::Identite &i = r.identite;
                QSaveFile f(nom);
                if (!f.open(QIODevice::WriteOnly))
                    return EIO;
                QDataStream d(&f);
                d << r.chemin << i.peripherique << i.inode << i.naissance << r.octets << r.avant << r.jeton;
                return f.commit() ? 0 : EIO;
            });
            reponse = "note";
        } else if (mots[0] == "terminer") {
            FichiersTexte::Reecriture r;
            QFile f(nom);
            QDataStream d(&f);
            if (f.open(QIODevice::ReadOnly))
                d >> r.chemin >> r.identite.peripherique >> r.identite.inode >> r.identite.naissance
                    >> r.octets >> r.avant >> r.jeton;
            bool fini = false;
            reponse = fichiers.terminer(r, fini) && fini ? "fini" : "laisse";
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
