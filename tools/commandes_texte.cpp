#include "commandes.h"

#include "ligne_commande.h"
#include "base/print/decoupe.h"
#include "base/texts/disque.h"
#include "base/print/mise_en_page.h"
#include "base/cp1252.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <cerrno>
#include <cstdio>
#include <optional>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

using namespace outils;

namespace {

// Whether a token of `decoupe` is a word (`mot`) rather than a separator.
bool estJetonMot(const QString &jeton)
{
    if (jeton.isEmpty())
        return true;
    // The splitter keeps its word characters to itself: a character it glues
    // to the letters around it is one of them, and only words begin with one.
    const QChar c = jeton.front();
    const QStringList essai = decoupe(u'x' + QString(c) + u'x');
    return !essai.isEmpty() && essai.front().contains(c);
}

const QString utilisationDecoupe = QStringLiteral("Utilisation : plumor-outils decoupe [FICHIER] [--json]");
const QString utilisationPage = QStringLiteral(
    "Utilisation : plumor-outils page [FICHIER] [--largeur N] [--lignes N] [--json]");

const QString aideDecoupe = utilisationDecoupe + QStringLiteral(R"(

Montre les jetons que Plumor tire d'un texte Windows-1252 avant de
l'imprimer, un par ligne : son numéro, sa nature (mot ou sep) et le jeton
entre ⟨ ⟩, où ␣ est une espace, ⍽ une espace insécable, ⏎ un saut de ligne,
↵ un retour chariot, ⇥ une tabulation et \xNN un autre caractère de
contrôle.

  FICHIER   le texte (par défaut, ou « - » : l'entrée standard)
  --json    un tableau JSON des jetons
  --help    cette aide

Code de sortie : 0 réussite, 1 fichier illisible, 2 mauvaise utilisation.
)");

const QString aidePage = utilisationPage + QStringLiteral(R"(

Montre la page que Plumor imprimerait pour un texte Windows-1252 : chaque
chaîne placée, avec sa colonne, sa ligne et son texte entre ⟨ ⟩. Chaque
caractère compte pour une colonne (police à chasse fixe). L'en-tête est le
nom du fichier.

  FICHIER      le texte (par défaut, ou « - » : l'entrée standard)
  --largeur N  la largeur imprimable en colonnes (80 par défaut)
  --lignes N   les lignes d'une page (par défaut, une seule page sans fin)
  --json       un tableau JSON d'objets {"page", "colonne", "ligne", "texte"}
  --help       cette aide

Code de sortie : 0 réussite, 1 fichier illisible, 2 mauvaise utilisation.
)");

constexpr int lignesSansFin = 1'000'000;
const QString unSeulTexte = QStringLiteral("un seul texte à la fois");

// The text of a file, or of stdin for no name or "-".
std::optional<QString> lireTexte(const QString &chemin)
{
    if (chemin.isEmpty() || chemin == u"-") {
        // Read by the C runtime: a QFile over stdin fails on a pipe under Wine.
#ifdef _WIN32
        _setmode(_fileno(stdin), _O_BINARY); // the text's own CR LF and bytes, a ^Z too
#endif
        QByteArray octets;
        char bloc[4096];
        for (size_t n; (n = std::fread(bloc, 1, sizeof bloc, stdin)) > 0;)
            octets.append(bloc, qsizetype(n));
        if (std::ferror(stdin)) {
            ecrire(stderr, QStringLiteral("Erreur de lecture : %1\n").arg(disque::raison(errno)));
            return std::nullopt;
        }
        return cp1252::decode(octets);
    }
    QFile fichier(chemin);
    if (!QFileInfo(chemin).isFile() || !fichier.open(QIODevice::ReadOnly)) {
        ecrire(stderr, QStringLiteral("Fichier %1 pas disponible!\n").arg(chemin));
        return std::nullopt;
    }
    const QByteArray octets = fichier.readAll();
    if (fichier.error() != QFileDevice::NoError) {
        ecrire(stderr, QStringLiteral("Erreur de lecture : %1\n").arg(fichier.errorString()));
        return std::nullopt;
    }
    return cp1252::decode(octets);
}

} // namespace

int commandeDecoupe(const QStringList &args)
{
    Arguments a;
    if (const std::optional<int> fin = lireCommande(args, {utilisationDecoupe, aideDecoupe, unSeulTexte}, a))
        return *fin;
    const std::optional<QString> texte = lireTexte(a.positionnels.value(0));
    if (!texte)
        return probleme;

    const QStringList jetons = decoupe(*texte);
    if (a.json()) {
        ecrireJson(QJsonArray::fromStringList(jetons));
        return reussite;
    }
    QString sortie;
    const int largeur = int(QString::number(jetons.size()).size());
    for (qsizetype k = 0; k < jetons.size(); ++k) {
        sortie += QStringLiteral("%1  %2  ⟨%3⟩\n")
                      .arg(k, largeur)
                      .arg(estJetonMot(jetons[k]) ? QStringLiteral("mot") : QStringLiteral("sep"),
                           visible(jetons[k], true));
    }
    ecrire(stdout, sortie);
    return reussite;
}

int commandePage(const QStringList &args)
{
    Arguments a;
    const Syntaxe syntaxe{utilisationPage, aidePage, unSeulTexte, {QStringLiteral("--largeur"), QStringLiteral("--lignes")}};
    if (const std::optional<int> fin = lireCommande(args, syntaxe, a))
        return *fin;
    const std::optional<int> largeur = entier(a.valeurs.value(QStringLiteral("--largeur"), QStringLiteral("80")), 1, 10000);
    if (!largeur)
        return refuserUtilisation(QStringLiteral("--largeur attend un nombre de colonnes de 1 à 10000"), utilisationPage);
    const std::optional<int> lignes =
        entier(a.valeurs.value(QStringLiteral("--lignes"), QString::number(lignesSansFin)), 1, lignesSansFin);
    if (!lignes)
        return refuserUtilisation(QStringLiteral("--lignes attend un nombre de lignes de 1 à %1").arg(lignesSansFin),
                                    utilisationPage);
    const QString chemin = a.positionnels.value(0);
    const std::optional<QString> texte = lireTexte(chemin);
    if (!texte)
        return probleme;

    const auto chasseFixe = [](const QString &s) { return double(s.size()); };
    const QString entete = chemin == u"-" ? QString() : QFileInfo(chemin).fileName();
    const QList<FragmentImprime> fragments = miseEnPage(decoupe(*texte), *largeur, *lignes, entete, chasseFixe);

    if (a.json()) {
        QJsonArray tableau;
        for (const FragmentImprime &f : fragments) {
            tableau.append(QJsonObject{{"page", f.page + 1}, {"colonne", f.colonne},
                                       {"ligne", f.ligne}, {"texte", f.texte}});
        }
        ecrireJson(tableau);
        return reussite;
    }
    const bool plusieursPages = !fragments.isEmpty() && fragments.constLast().page > 0;
    QString sortie = QStringLiteral("colonne  ligne  texte\n");
    int page = -1;
    for (const FragmentImprime &f : fragments) {
        if (plusieursPages && f.page != page)
            sortie += QStringLiteral("— page %1 —\n").arg(f.page + 1);
        page = f.page;
        sortie += QStringLiteral("%1  %2  ⟨%3⟩\n")
                      .arg(QString::number(f.colonne), 7)
                      .arg(f.ligne, 5)
                      .arg(visible(f.texte));
    }
    ecrire(stdout, sortie);
    return reussite;
}
