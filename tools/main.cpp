#include "commandes.h"
#include "ligne_commande.h"

#include <QCoreApplication>

namespace {

const QString aide = QStringLiteral(R"(Utilisation : plumor-outils COMMANDE [ARGUMENTS] [--json]

Le compagnon en ligne de commande de Plumor, sur les mêmes règles que lui.

Commandes :
  lexique [FICHIER]     vérifie un lexique avant que la classe ne s'en serve
  marques [DOSSIER]     liste les textes marqués ; --liberer CHEMIN… les libère
  decoupe [FICHIER]     montre les jetons d'un texte avant l'impression
  page [FICHIER]        montre la page imprimée d'un texte, chaîne par chaîne

« plumor-outils COMMANDE --help » décrit chaque commande.
Code de sortie : 0 réussite, 1 problème trouvé, 2 mauvaise utilisation.
)");

} // namespace

int main(int argc, char *argv[])
{
    // No display: the tool reads files and prints text.
    QCoreApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString commande = args.value(0);
    const QStringList suite = args.mid(1);
    if (commande == u"lexique")
        return commandeLexique(suite);
    if (commande == u"marques")
        return commandeMarques(suite);
    if (commande == u"decoupe")
        return commandeDecoupe(suite);
    if (commande == u"page")
        return commandePage(suite);
    if (commande == u"--help" || commande == u"-h" || commande == u"aide") {
        outils::ecrire(stdout, aide);
        return outils::reussite;
    }
    return outils::refuserUtilisation(
        commande.isEmpty() ? QStringLiteral("commande manquante")
                           : QStringLiteral("commande inconnue : %1").arg(commande),
        QStringLiteral("Utilisation : plumor-outils lexique|marques|decoupe|page … (--help pour l'aide)"));
}
