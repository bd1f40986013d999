#include "commandes.h"

#include "ligne_commande.h"
#include "base/lexicon/lexique.h"
#include "verification_lexique.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

using namespace outils;

namespace {

const QString utilisation = QStringLiteral("Utilisation : plumor-outils lexique [FICHIER] [--json]");

const QString aide = utilisation + QStringLiteral(R"(

Vérifie un lexique avant que la classe ne s'en serve. Le fichier est lu
exactement comme Plumor le lit ; chaque thème est montré tel que le
sélecteur le présente, avec les mots que son choix affiche. Suivent les
avertissements, un par ligne avec son numéro de ligne : plus de 100 thèmes,
fins de ligne LF seules, lignes trop courtes ignorées, thème sans séparateur
ou commençant par un séparateur, thème dont le choix affiche les mots d'une
autre ligne, mot coupé par un caractère que le lexique ne compte pas parmi
les lettres (É, À, Ç, Œ, œ, apostrophe typographique…), octets qui ne sont
pas du texte Windows-1252, fichier enregistré en UTF-8.

  FICHIER   le lexique (par défaut : lexique.stw à côté du programme)
  --json    un seul document JSON au lieu du rapport
  --help    cette aide

Code de sortie : 0 sans avertissement, 1 avec avertissements ou fichier
illisible, 2 mauvaise utilisation.
)");

// Quoted words, as many on a line as fit a terminal.
QString enLignes(const QStringList &mots)
{
    constexpr qsizetype largeur = 78;
    const QString retrait(4, u' ');
    QString texte;
    QString ligne = retrait;
    for (const QString &mot : mots) {
        const QString cite = outils::cite(mot);
        if (ligne.size() > retrait.size() && ligne.size() + 1 + cite.size() > largeur) {
            texte += ligne + u'\n';
            ligne = retrait;
        }
        ligne += (ligne.size() > retrait.size() ? QStringLiteral(" ") : QString()) + cite;
    }
    return texte + ligne + u'\n';
}

QString rapport(const QString &chemin, const VerificationLexique &v)
{
    QString texte = QStringLiteral("Lexique %1 : %2 thème(s), %3 nom(s) dans le sélecteur.\n")
                        .arg(QDir::toNativeSeparators(chemin))
                        .arg(v.lignes.size())
                        .arg(v.choix.size());
    for (const ChoixVerifie &c : v.choix) {
        QString origine = QStringLiteral("ligne %1").arg(c.ligne);
        if (c.ligneMots == 0)
            origine += QStringLiteral(", liste vide");
        else if (c.ligneMots != c.ligne)
            origine += QStringLiteral(", affiche les mots de la ligne %1").arg(c.ligneMots);
        texte += QStringLiteral("\n%1 (%2)\n").arg(cite(c.nom), origine);
        if (!c.mots.isEmpty())
            texte += enLignes(c.mots);
    }
    if (v.avertissements.isEmpty())
        return texte + QStringLiteral("\nAucun avertissement.\n");
    texte += QStringLiteral("\n%1 avertissement(s) :\n").arg(v.avertissements.size());
    for (const Avertissement &a : v.avertissements) {
        texte += (a.ligne > 0 ? QStringLiteral("ligne %1 : ").arg(a.ligne) : QStringLiteral("fichier : "))
               + a.message + u'\n';
    }
    return texte;
}

QJsonObject enJson(const VerificationLexique &v)
{
    QJsonArray lignes;
    for (const LigneVerifiee &l : v.lignes) {
        lignes.append(QJsonObject{{"texte", l.texte},
                                  {"entrees", QJsonArray::fromStringList(l.entrees)},
                                  {"nom", l.nom ? QJsonValue(*l.nom) : QJsonValue(QJsonValue::Null)}});
    }
    QJsonArray choix;
    for (const ChoixVerifie &c : v.choix)
        choix.append(QJsonObject{{"nom", c.nom}, {"mots", QJsonArray::fromStringList(c.mots)}});
    QJsonArray avertissements;
    for (const Avertissement &a : v.avertissements) {
        avertissements.append(QJsonObject{{"ligne", a.ligne > 0 ? QJsonValue(a.ligne) : QJsonValue(QJsonValue::Null)},
                                          {"message", a.message}});
    }
    return {{"lignes", lignes}, {"choix", choix}, {"trop_long", v.tropLong},
            {"avertissements", avertissements}};
}

} // namespace

int commandeLexique(const QStringList &args)
{
    Arguments a;
    if (const std::optional<int> fin = lireCommande(args, {utilisation, aide, QStringLiteral("un seul lexique à la fois")}, a))
        return *fin;
    const QString chemin = a.positionnels.value(
        0, QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("lexique.stw")));

    // Read as the window reads it.
    VerificationLexique v;
    const std::optional<QByteArray> octets = lireFichierLexique(chemin);
    if (!octets) {
        // What Plumor would show, with the full path rather than the bare name.
        v.avertissements.append({0, QStringLiteral("Fichier %1 pas disponible! Plumor n'aura aucun thème.")
                                        .arg(QDir::toNativeSeparators(chemin))});
    } else {
        v = verifierLexique(*octets);
    }

    if (a.json())
        ecrireJson(enJson(v));
    else
        ecrire(stdout, rapport(chemin, v));
    return v.avertissements.isEmpty() ? reussite : probleme;
}
