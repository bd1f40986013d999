// The document commands as pupils use them: what each shows, and the bytes
// and marks it leaves on disk; then the folder browser, the reader pane and
// the timer.
#include "fenetre.h"

#include "gui/reprise.h"
#include "gui/texts/documents.h"
#include "base/texts/recuperation.h"
#include "base/texts/fichiers_texte.h"
#include "gui/texts/navigateur.h"
#include "gui/widgets/liste_dossiers.h"
#include "gui/widgets/liste_fichiers.h"
#include "gui/widgets/zone_texte.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QHash>
#include <QTemporaryDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <cerrno>
#include <functional>
#include <future>

namespace {

using R = Dialogues::Reponse;
const QString maj = QStringLiteral("Voulez-vous mettre à jour le texte?");
const QString enregistrer = QStringLiteral("Voulez-vous enregistrer le texte?");
const QString pris = QStringLiteral("Quelqu'un travaille déjà sur ce texte!");
const QString memeNom = QStringLiteral("Quelqu'un travaille sur un fichier de même nom!");
const QString ecraser = QStringLiteral("Ce fichier existe déjà! Ecraser le fichier?");
const QString tropLong = QStringLiteral("Le texte est trop long! La taille maximale est de 3200 caractères.");
const QString plein = QStringLiteral("Erreur=Le fichier dépasse la taille permise.");

void ouvrir(Fenetre &f, const std::optional<QString> &chemin)
{
    f.dialogues->fichiers << chemin;
    f.documents().ouvrir_Click();
    f.attendre();
}

void ajouter(Fenetre &f, const QString &texte)
{
    f.c().Text1->moveCursor(QTextCursor::End);
    taper(f.c().Text1, texte);
}


// What a kill would leave now: this copy's record on disk, as the next start reads it.
recuperation::Releve releveSurDisque(Fenetre &f, const QString &dossier)
{
    f.form->reprise()->ecrireMaintenant();
    QDirIterator i(dossier, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (i.hasNext()) {
        QFile fichier(i.next());
        if (fichier.open(QIODevice::ReadOnly))
            if (const auto r = recuperation::decoder(fichier.readAll()))
                return *r;
    }
    return {};
}

QStringList noms(const QListWidget *l)
{
    QStringList n;
    for (int i = 0; i < l->count(); ++i)
        n << l->item(i)->text().trimmed();
    return n;
}

} // namespace

class TestDocuments : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { commeLeProgramme(022); }

    // Every text that cannot be opened leaves the current one open and marked.
    void ouvrirRefuse_data()
    {
        QTest::addColumn<QString>("sorte");
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<QString>("message");
        const QString erreur = QStringLiteral("Erreur lors d'une tentative d'ouverture de fichier.");
        QTest::newRow("pris ailleurs") << "pris" << QByteArray("B") << pris;
        QTest::newRow("32001 octets") << "" << QByteArray(32001, 'b') << QStringLiteral("Ce texte dépasse 32000 caractères!");
        QTest::newRow("fichier vide") << "" << QByteArray() << QString();
        QTest::newRow("dialogue annule") << "annule" << QByteArray("B") << QString();
        QTest::newRow("lien") << "lien" << QByteArray("B") << erreur;
        QTest::newRow("nom pas en UTF-8") << "x\uFFFD.txt" << QByteArray("B")
                                          << QStringLiteral("Le nom de ce fichier n'est pas lisible : renommez-le ou choisissez-en un autre.");
    }
    void ouvrirRefuse()
    {
        QFETCH(QString, sorte);
        QFETCH(QByteArray, octets);
        QFETCH(QString, message);
        Classe classe;
        const QString a = classe.ecrire(QStringLiteral("a [*].txt"), "A\r\n");
        QString b = classe.ecrire(QStringLiteral("b.txt"), octets);
        if (sorte == u"pris")
            QFile::setPermissions(b, QFile::ReadOwner);
        if (sorte == u"lien")
            QFile::link(b, b = classe.chemin(QStringLiteral("lien.txt")));
        Fenetre f = ouvrirFenetre(classe.dossier());
        ouvrir(f, a);
        // No lock is held while the pupil reads a refusal: another copy is not kept waiting.
        bool verrouTenu = false;
        f.dialogues->pendantMessage = [&](const Dialogues::Message &) {
            AttributsSysteme attributs;
            FichiersTexte autreCopie(attributs);
            verrouTenu = autreCopie.prendre(b).erreur == EAGAIN;
            autreCopie.libererTout();
        };
        ouvrir(f, sorte == u"annule" ? std::nullopt : std::optional<QString>(sorte.endsWith(u".txt") ? classe.chemin(sorte) : b));
        QCOMPARE(f.dialogues->textes(), message.isEmpty() ? QStringList() : QStringList{message});
        QVERIFY(!verrouTenu);
        QCOMPARE(f.etat().fichier_courant + u'|' + titreAffiche(*f.form) + u'|' + f.c().Text1->texteCrLf(),
                 a + u'|' + a + QStringLiteral("|A\r\n"));
        QVERIFY(classe.marqueSurDisque(QStringLiteral("a [*].txt")));
        QCOMPARE(classe.marqueSurDisque(QStringLiteral("b.txt")), sorte == u"pris");
    }

    // A command under a share that hangs, the pupil typing on meanwhile: the
    // window and the record change only with the command's result, keys
    // typed into a zone a command keeps are kept, and at every turn of the
    // event loop the record on disk pairs the zone's words with their own file.
    void uneCommandeQuiAttend_data()
    {
        QTest::addColumn<QString>("commande");
        QTest::addColumn<QString>("frappe");  // typed while the share hangs
        QTest::addColumn<QString>("zone");    // afterwards
        QTest::addColumn<QString>("courant"); // afterwards
        QTest::addColumn<bool>("modifie");    // afterwards, as the record says
        QTest::newRow("ouvrir") << "ouvrir" << "XY" << "B\r\n" << "b.txt" << false;
        QTest::newRow("enregistrer") << "enregistrer" << "XY" << "A\r\nmotsXY" << "a.txt" << true;
        QTest::newRow("enregistrer, rien tapé") << "enregistrer" << "" << "A\r\nmots" << "a.txt" << false;
        QTest::newRow("enregistrer sous") << "enregistrer sous" << "XY" << "A\r\nmotsXY" << "c.txt" << true;
        QTest::newRow("enregistrer sous, rien tapé") << "enregistrer sous" << "" << "A\r\nmots" << "c.txt" << false;
        QTest::newRow("fermer") << "fermer" << "XY" << "" << "" << false;
        QTest::newRow("quitter") << "quitter" << "XY" << "" << "" << false;
    }
    void uneCommandeQuiAttend()
    {
        QFETCH(QString, commande);
        QFETCH(QString, frappe);
        QFETCH(QString, zone);
        QFETCH(QString, courant);
        QFETCH(bool, modifie);
        Classe classe;
        QTemporaryDir etat;
        const QString a = classe.ecrire(QStringLiteral("a.txt"), "A\r\n");
        const QString b = classe.ecrire(QStringLiteral("b.txt"), "B\r\n");
        Fenetre f = ouvrirFenetre(classe.dossier(), nullptr, {}, etat.path());
        f.form->show();
        ouvrir(f, a);
        ajouter(f, QStringLiteral("mots"));

        std::promise<void> porte;
        f.form->partage().poster([attente = porte.get_future().share()](FichiersTexte &) { attente.wait(); });
        f.dialogues->reponses << R::Oui;
        f.dialogues->fichiers << (commande == u"ouvrir" ? b : classe.chemin(QStringLiteral("c.txt")));
        const QHash<QString, std::function<void()>> commandes{
            {QStringLiteral("ouvrir"), [&] { f.documents().ouvrir_Click(); }}, {QStringLiteral("enregistrer"), [&] { f.documents().enregistrer_Click(); }},
            {QStringLiteral("enregistrer sous"), [&] { f.documents().enregistrer_sous_Click(); }},
            {QStringLiteral("fermer"), [&] { f.documents().Fermer_Click(); }}, {QStringLiteral("quitter"), [&] { f.form->close(); }}};
        commandes.value(commande)();
        // Typed while the share hangs: kept where the zone stays the pupil's,
        // refused where the command will replace or empty it.
        ajouter(f, frappe);
        // No other command meanwhile: the buttons say so, and a second save is nothing.
        QVERIFY(!f.c().Command2->isEnabled() && !f.c().enregistrer->isEnabled() && !f.c().Fermer->isEnabled());
        f.documents().Command2_Click();
        const bool garde = commande.startsWith(u"enregistrer");
        QCOMPARE(f.c().Text1->isReadOnly(), !garde);
        QCOMPARE(f.c().Text1->texteCrLf(), QStringLiteral("A\r\nmots") + (garde ? frappe : QString()));
        const recuperation::Releve avant = releveSurDisque(f, etat.path());
        QCOMPARE(avant.fichier + u'|' + avant.texte, a + u'|' + f.c().Text1->texteCrLf());

        porte.set_value();
        // Step by step, as a kill at any moment would find it.
        while (f.documents().occupe() || !f.form->partage().vider(0)) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            const recuperation::Releve r = releveSurDisque(f, etat.path());
            // Each text here begins with its own letter.
            const QString lettre = r.fichier.isEmpty() ? QStringLiteral("A") : QString::fromLatin1(classe.octets(QFileInfo(r.fichier).fileName()).left(1));
            QVERIFY2(!r.modifie || r.texte.startsWith(lettre), qPrintable(r.fichier + u'|' + r.texte));
        }
        f.attendre();
        const recuperation::Releve apres = releveSurDisque(f, etat.path());
        QCOMPARE(f.c().Text1->texteCrLf() + u'|' + QFileInfo(f.etat().fichier_courant).fileName(), zone + u'|' + courant);
        QCOMPARE(apres.modifie, modifie);
        QVERIFY(!modifie || (apres.texte == zone && apres.fichier == f.etat().fichier_courant));
        QCOMPARE(f.c().Text1->document()->isModified(), modifie);
        QVERIFY(!modifie || f.etat().ecriture_en_cours == 1);
        QVERIFY(garde || f.etat().ecriture_en_cours == 0);
        // The words saved are the ones the zone held when the command began.
        QCOMPARE(classe.octets(commande == u"enregistrer sous" ? QStringLiteral("c.txt") : QStringLiteral("a.txt")),
                 QByteArray("A\r\nmots\r\n"));
        QCOMPARE(classe.marqueSurDisque(QStringLiteral("a.txt")), commande == u"enregistrer");
        QCOMPARE(f.form->isVisible(), commande != u"quitter");
        QVERIFY(!f.c().Text1->isReadOnly());
    }

    void changerDeTexte()
    {
        Classe classe;
        const QString a = classe.ecrire(QStringLiteral("a.txt"), "A\r\n");
        const QString b = classe.ecrire(QStringLiteral("b.txt"), "B\r\n");
        const QString c = classe.ecrire(QStringLiteral("c.txt"), "C\r\n");
        Fenetre f = ouvrirFenetre(classe.dossier());
        ouvrir(f, a);
        ouvrir(f, a); // its own text, read again as its own
        // The mark stays while the pupil chooses: no other copy can take the text then.
        f.dialogues->pendantDialogueFichier = [&] { QVERIFY(classe.marqueSurDisque(QStringLiteral("a.txt"))); };
        ouvrir(f, b);
        f.dialogues->pendantDialogueFichier = {};
        QVERIFY(!classe.marqueSurDisque(QStringLiteral("a.txt")) && classe.marqueSurDisque(QStringLiteral("b.txt")));

        // Typing without a click into the zone still makes "Ouvrir" ask.
        ajouter(f, QStringLiteral("joute"));
        f.dialogues->reponses << R::Oui;
        ouvrir(f, c);
        QCOMPARE(classe.octets(QStringLiteral("b.txt")), QByteArray("B\r\njoute\r\n"));
        QVERIFY(f.etat().fichier_courant == c && f.etat().ecriture_en_cours == 0);

        // A text that cannot be saved is not dropped for another one.
        ajouter(f, QStringLiteral("un long ajout qui ne tient pas"));
        f.dialogues->reponses << R::Oui;
        avecDisquePlein([&] { ouvrir(f, b); });
        QVERIFY(f.c().Text1->texteCrLf().contains(QLatin1String("un long ajout")) && classe.marqueSurDisque(QStringLiteral("c.txt")));

        // A current text deleted by someone else is not written again unasked, and counts as let go.
        QFile::remove(c);
        f.documents().enregistrer_Click();
        f.attendre();
        f.dialogues->reponses << R::Non;
        ouvrir(f, b);
        QCOMPARE(f.dialogues->textes(), (QStringList{maj, maj, plein, QStringLiteral("Ce texte a été supprimé par quelqu'un "
                 "d'autre : il n'est pas enregistré. Gardez-le avec « Enregistrer sous... »."), maj}));
        QCOMPARE(classe.octets(QStringLiteral("c.txt")), "<absent>");
        QCOMPARE(f.etat().fichier_courant, b);

        // Saved under another name: the mark follows the text, the label keeps the opened name.
        // (The refused "Ouvrir" above never opened its file dialog: its answer is dropped here.)
        const QString nouveau = classe.chemin(QStringLiteral("b-2.txt"));
        f.dialogues->fichiers = {nouveau, nouveau};
        f.documents().enregistrer_sous_Click();
        f.attendre();
        QCOMPARE(f.etat().fichier_courant + u'|' + f.form->windowTitle() + u'|' + f.c().Label4->text(),
                 nouveau + u'|' + nouveau + QStringLiteral("|b.txt"));
        QVERIFY(classe.marqueSurDisque(QStringLiteral("b-2.txt")) && !classe.marqueSurDisque(QStringLiteral("b.txt")));
        // A text that ends with a line break is not given a second one.
        QCOMPARE(classe.octets(QStringLiteral("b-2.txt")), QByteArray("B\r\njoute\r\n"));
        // Its own file again is refused while this copy holds it.
        f.documents().enregistrer_sous_Click();
        f.attendre();
        QCOMPARE(f.dialogues->textes().last() + u'|' + f.etat().fichier_courant, memeNom + u'|' + nouveau);
        // A full disk: "Erreur=closefile" and the description, nothing taken.
        f.dialogues->fichiers << classe.chemin(QStringLiteral("plein.txt"));
        avecDisquePlein([&] {
            f.documents().enregistrer_sous_Click();
            f.attendre();
        });
        QCOMPARE(f.dialogues->textes().last(), QStringLiteral("Erreur=closefileLe fichier dépasse la taille permise."));
        QCOMPARE(f.etat().fichier_courant, nouveau);
    }

    void enregistrerUnNouveauTexte()
    {
        Classe classe;
        Fenetre f = ouvrirFenetre(classe.dossier());
        Documents &d = f.documents();
        // An empty zone: the menu says so, the button does nothing; 3201 characters are too many.
        d.enregistrer_Click();
        f.attendre();
        d.enregistrer_sous_Click();
        f.attendre();
        d.Command2_Click();
        f.attendre();
        f.c().Text1->definirTexteCrLf(QString(3199, u'x') + QStringLiteral("\r\n"));
        d.Command2_Click();
        f.attendre();
        QCOMPARE(f.dialogues->textes(), (QStringList{QStringLiteral("Ce texte est vide!"), QStringLiteral("Ce texte est vide!"), tropLong}));
        QVERIFY(f.dialogues->modesDemandes.isEmpty());

        // "Ouvrir" on a new text the pupil typed saves it and keeps it, marked, instead of opening another;
        // 3200 characters are not too many.
        f.c().Text1->definirTexteCrLf(QString(3198, u'x'));
        ajouter(f, QStringLiteral("\n"));
        const QString nom = QStringLiteral("Noël & « fête ».txt");
        f.dialogues->reponses << R::Oui;
        ouvrir(f, classe.chemin(nom));
        QCOMPARE(f.dialogues->modesDemandes, QList<Dialogues::ModeFichier>{Dialogues::ModeFichier::Enregistrer});
        QVERIFY(f.dialogues->textes().last() == maj && f.c().Text1->longueurCrLf() == 3200 && f.etat().fichier_courant == classe.chemin(nom));
        QVERIFY(classe.octets(nom).size() == 3200 && classe.marqueSurDisque(nom));
        QCOMPARE(titreAffiche(*f.form), classe.chemin(nom));
    }

    // "Fermer", "Quitter" and the window's close let go of the text only once
    // it is saved or the pupil said No: whenever nothing is said after the question.
    void lacherLeTexte_data()
    {
        QTest::addColumn<QString>("cas");
        QTest::addColumn<QStringList>("messages");
        const QStringList rien, question{enregistrer};
        const auto puis = [](const QString &m) { return QStringList{enregistrer, m}; };
        const QString annule = QStringLiteral("erreur_fermer32755");
        const auto refuse = [&](const QString &raison) {
            return puis(QStringLiteral("Ce nom ne peut pas être lu par tous les ordinateurs de la classe : %1 Choisissez un autre nom.").arg(raison));
        };
        QTest::newRow("fermer, zone vide") << "vide" << rien;
        QTest::newRow("fermer, texte efface") << "efface" << rien;
        QTest::newRow("fermer, non") << "ouvert-non" << question;
        QTest::newRow("fermer, oui") << "ouvert-oui" << question;
        QTest::newRow("fermer, disque plein") << "ouvert-plein" << puis(plein);
        QTest::newRow("fermer, ne pas ecraser") << "nouveau-ecraser" << puis(ecraser);
        QTest::newRow("fermer, dialogue annule") << "nouveau-annule" << puis(annule);
        QTest::newRow("fermer, trop long") << "nouveau-long" << puis(tropLong);
        // Names a Windows classmate would see under another name, or not at all.
        QTest::newRow("fermer, espace final") << "nouveau:espace.txt " << refuse("il finit par un espace.");
        QTest::newRow("fermer, point final") << "nouveau:point.txt." << refuse("il finit par un point.");
        QTest::newRow("fermer, CON") << "nouveau:CON.txt" << refuse("« CON » est un nom réservé à l'ordinateur.");
        QTest::newRow("fermer, nul") << "nouveau:nul.txt" << refuse("« nul » est un nom réservé à l'ordinateur.");
        QTest::newRow("fermer, COM1") << "nouveau:COM1.txt" << refuse("« COM1 » est un nom réservé à l'ordinateur.");
        QTest::newRow("fermer, lpt1 en exposant") << "nouveau:lpt¹ .txt" << refuse("« lpt¹ » est un nom réservé à l'ordinateur.");
        QTest::newRow("fermer, barre oblique inverse") << "nouveau:a\\b.txt" << refuse("il contient le signe « \\ ».");
        QTest::newRow("fermer, retour a la ligne") << "nouveau:a\nb.txt"
                                                   << refuse("il contient un signe invisible, comme un retour à la ligne.");
        QTest::newRow("fermer, nom accepte") << "nouveau:conte été.txt" << question;
        QTest::newRow("quitter, inchange") << "ouvert" << rien;
        QTest::newRow("quitter, oui") << "ouvert-oui" << question;
        QTest::newRow("quitter, disque plein") << "ouvert-plein" << puis(plein);
        QTest::newRow("quitter, dialogue annule") << "nouveau-annule" << puis(annule);
        QTest::newRow("quitter, nouveau enregistre") << "nouveau-oui" << question;
    }
    void lacherLeTexte()
    {
        QFETCH(QString, cas);
        QFETCH(QStringList, messages);
        const bool quitter = QByteArray(QTest::currentDataTag()).startsWith("quitter"), lache = messages.size() < 2;
        Classe classe;
        const QString a = classe.ecrire(QStringLiteral("a.txt"), "A\r\n");
        Fenetre f = ouvrirFenetre(classe.dossier());
        f.form->show();
        const bool nouveau = cas.startsWith(u"nouveau");
        if (cas.startsWith(u"ouvert") || cas == u"efface")
            ouvrir(f, a);
        if (cas == u"efface")
            f.c().Text1->clear();
        else if (cas.startsWith(u"ouvert-") || nouveau)
            ajouter(f, cas == u"nouveau-long" ? QString(3201, u'x') : QStringLiteral("B"));
        const QString avant = f.c().Text1->texteCrLf();
        f.dialogues->reponses << (cas.endsWith(u"non") ? R::Non : R::Oui) << R::Non;
        const QString nom = cas.startsWith(u"nouveau:") ? cas.mid(8) : QLatin1String(cas == u"nouveau-oui" ? "neuf.txt" : "a.txt");
        if (nouveau)
            f.dialogues->fichiers << (cas == u"nouveau-annule" ? std::nullopt : std::optional<QString>(classe.chemin(nom)));
        const auto commande = [&] {
            quitter ? void(f.form->close()) : f.documents().Fermer_Click();
            f.attendre();
        };
        cas.endsWith(u"plein") ? avecDisquePlein(commande) : commande();
        const bool ferme = !f.form->isVisible();

        QCOMPARE(f.dialogues->textes(), messages);
        QCOMPARE(classe.octets(QStringLiteral("a.txt")), cas.endsWith(u"-oui") && !nouveau ? "A\r\nB\r\n" : "A\r\n");
        QCOMPARE(classe.marqueSurDisque(QStringLiteral("a.txt")), !lache && !nouveau);
        QCOMPARE(QDir(classe.dossier()).entryList(QDir::Files), (nouveau && lache ? QStringList{"a.txt", nom} : QStringList{"a.txt"}));
        QVERIFY(!(nouveau && (classe.marqueSurDisque(nom) || (lache && classe.octets(nom) != "B\r\n"))) && ferme == (quitter && lache));
        // Kept: the text stays, and a later "Quitter" asks again.
        QCOMPARE(f.c().Text1->texteCrLf(), lache ? QString() : avant);
        // Blank, yet not empty: an empty title bar would show the program's name.
        QCOMPARE(f.etat().fichier_courant.isEmpty() && titreAffiche(*f.form).trimmed().isEmpty(), lache);
        QVERIFY(!titreAffiche(*f.form).isEmpty());
        QCOMPARE(f.etat().ecriture_en_cours, qint16(lache ? f.etat().ecriture_en_cours : 1));
        QVERIFY(quitter || !lache || !(f.c().Fermer->isEnabled() || f.c().enregistrer->isEnabled()
                                         || f.c().enregistrer_sous->isEnabled() || f.c().Imprimer->isEnabled()));
    }

    // Plumor never writes a file it would refuse to open.
    void jamaisOuIlNeFautPas()
    {
        Classe classe;
        const QString plein = classe.ecrire(QStringLiteral("plein.txt"), QByteArray(32000, 'a'));
        Fenetre f = ouvrirFenetre(classe.dossier());
        ouvrir(f, plein);
        // Saved with a line break it would be 32002 bytes; an open text is
        // saved past 3200 characters, but not past what Plumor opens.
        f.dialogues->reponses << R::Oui;
        f.documents().Fermer_Click();
        f.attendre();
        QCOMPARE(f.dialogues->textes().last(), QStringLiteral("Ce texte dépasse 32000 caractères!"));
        QVERIFY(classe.octets(QStringLiteral("plein.txt")) == QByteArray(32000, 'a') && f.c().Text1->longueurCrLf() == 32000);
        // With its line break it makes 32000 bytes: saved.
        f.c().Text1->definirTexteCrLf(QString(31998, u'b'));
        bool ecrit = false;
        f.documents().reenregistrer(plein, [&](bool e) { ecrit = e; });
        f.attendre();
        QVERIFY(ecrit);
        QCOMPARE(classe.octets(QStringLiteral("plein.txt")), QByteArray(31998, 'b') + "\r\n");
    }

    // A mark that cannot be lifted is said, with a way out that works; the text still closes.
    void marqueQuiResteApresFermer_data()
    {
        QTest::addColumn<bool>("lien");
        QTest::newRow("disque qui refuse") << false;
        QTest::newRow("un second nom, que l'enseignant doit enlever d'abord") << true;
    }
    void marqueQuiResteApresFermer()
    {
        QFETCH(bool, lien);
        Classe classe;
        const QString a = classe.ecrire(QStringLiteral("conte.txt"), "A\r\n");
        struct Bloquees : AttributsMemoire {
            int ecrireNatif(const QByteArray &c, quint16 mot) override
            {
                return mot == 1 ? AttributsMemoire::ecrireNatif(c, mot) : EIO;
            }
        };
        Fenetre f = ouvrirFenetre(classe.dossier(), lien ? std::make_unique<AttributsMemoire>() : std::make_unique<Bloquees>());
        ouvrir(f, a);
        QVERIFY(!lien || ::link(QFile::encodeName(a).constData(), QFile::encodeName(classe.chemin(QStringLiteral("double.txt"))).constData()) == 0);
        f.dialogues->reponses << R::Non;
        f.documents().Fermer_Click();
        f.attendre();
        QCOMPARE(f.dialogues->textes(), (QStringList{enregistrer, QStringLiteral(
            "Le texte « conte.txt » n'a pas pu être libéré : les autres postes le croient toujours pris. %1L'enseignant "
            "peut le libérer avec la commande « plumor-outils marques --liberer ».")
            .arg(lien ? QStringLiteral("Il porte aussi un autre nom (un lien) : l'enseignant doit d'abord supprimer cet autre nom. ") : QString())}));
        QVERIFY(f.c().Text1->estVide() && f.etat().fichier_courant.isEmpty());
    }

    void unElevePasseDansLeNavigateur()
    {
        Classe classe;
        for (const char *n : {"b.txt", "A.TXT", "notes.doc", ".cache.txt", "é.txt", "CM1/conte.txt", "vide.txt"})
            classe.ecrire(QString::fromUtf8(n), n[0] == 'v' ? "" : "Un \xE9l\xE8ve\r\n");
        classe.ecrire(QStringLiteral("long.txt"), QByteArray(32001, 'a'));
        QFile::setPermissions(classe.chemin(QStringLiteral("b.txt")), QFile::ReadOwner); // another copy holds it
        QFile::link(classe.chemin(QStringLiteral("CM1")), classe.chemin(QStringLiteral("Z-lien"))); // never listed
        Fenetre f = ouvrirFenetre(classe.dossier());
        QCOMPARE(noms(f.c().File1), (QStringList{"A.TXT", "b.txt", "long.txt", "vide.txt", QStringLiteral("é.txt")}));
        QCOMPARE(noms(f.c().Dir1).mid(noms(f.c().Dir1).size() - 1), QStringList{"CM1"});

        // A text another copy holds is shown and stays held; an empty or
        // too long one empties the pane and its labels; a screen reader
        // hears what the labels show.
        for (const char *nom : {"b.txt", "vide.txt", "long.txt"}) {
            f.c().lexique->show();
            f.c().File1->setCurrentRow(int(noms(f.c().File1).indexOf(QLatin1String(nom))));
            f.attendre();
            QVERIFY(f.c().lexique->isHidden());
            const bool lu = nom[0] == 'b';
            QCOMPARE(f.c().Text2->texteCrLf(), lu ? QStringLiteral("Un élève\r\n") : QString());
            QCOMPARE(f.c().nom_texte2->text() + u'|' + f.c().taille->text() + u'|' + f.c().Text2->accessibleName()
                         + f.c().Text2->accessibleDescription().mid(52),
                     lu ? QStringLiteral(" b.txt| 10 carac.|Texte lu : b.txt, 10 carac.") : QStringLiteral("||Texte lu : aucun texte"));
        }
        QVERIFY(classe.marqueSurDisque(QStringLiteral("b.txt")));
        QCOMPARE(f.dialogues->textes(), QStringList{QStringLiteral("Ce texte dépasse 32000 caractères!")});
        // What other copies save shows at the pupil's next click, or next scroll.
        classe.ecrire(QStringLiteral("c.txt"), "x");
        f.c().File1->setCurrentRow(0);
        f.attendre();
        classe.ecrire(QStringLiteral("d.txt"), "x");
        const qsizetype apresClic = noms(f.c().File1).size();
        emit f.c().File1->defileParLeLecteur();
        f.attendre();
        QCOMPARE(QString::number(apresClic) + noms(f.c().File1).join(u' '), QStringLiteral("6A.TXT b.txt c.txt d.txt long.txt vide.txt é.txt"));

        // Changing folder: the list follows, the reader pane keeps its text, the label changes for good.
        emit f.c().Dir1->itemDoubleClicked(f.c().Dir1->item(f.c().Dir1->count() - 1));
        f.attendre();
        QCOMPARE(noms(f.c().File1), QStringList{"conte.txt"});
        emit f.c().Dir1->itemDoubleClicked(f.c().Dir1->item(f.c().Dir1->count() - 2));
        f.attendre();
        QCOMPARE(QString::number(noms(f.c().File1).size()) + f.c().Label5->text(), QStringLiteral("7textes de ce dossier:"));

        // A folder gone: said once, the lists stay usable.
        QDir(classe.chemin(QStringLiteral("CM1"))).removeRecursively();
        emit f.c().Dir1->itemDoubleClicked(f.c().Dir1->item(f.c().Dir1->count() - 1));
        f.attendre();
        f.form->navigateur().File1_Scroll();
        f.attendre();
        QCOMPARE(f.dialogues->textes().last(), QStringLiteral("Ce dossier n'est pas accessible!"));
        QCOMPARE(f.c().Dir1->dossier(), QDir(classe.dossier()).canonicalPath());

        // A click makes the reader pane the active one; the right button says
        // it is protected and folds the selection to its start.
        ZoneTexte *Text2 = f.c().Text2;
        Text2->definirTexteCrLf(QStringLiteral("Un texte protégé"));
        QTest::mouseClick(Text2->viewport(), Qt::LeftButton);
        QCOMPARE(f.etat().zone_active, qint16(2));
        Text2->setTextCursor(Text2->document()->find(QStringLiteral("texte")));
        QTest::mousePress(Text2->viewport(), Qt::RightButton);
        QCOMPARE(f.dialogues->textes().mid(2), QStringList{QStringLiteral("Texte protégé!")});
        QVERIFY(Text2->textCursor().position() == 3 && Text2->longueurSelection() == 0);

        // Each tick: the writing zone's length, and the document commands exactly while it holds text.
        const auto actives = [&] {
            return QString::number(f.c().Command2->isEnabled() + f.c().Command3->isEnabled() + f.c().Fermer->isEnabled()
                                   + f.c().Imprimer->isEnabled() + f.c().enregistrer->isEnabled() + f.c().enregistrer_sous->isEnabled());
        };
        taper(f.c().Text1, QStringLiteral("é\nb"));
        f.form->navigateur().majLongueurEtCommandes();
        QCOMPARE(f.c().taille_plumor->text() + actives(), QStringLiteral(" 4 carac.6"));
        f.c().Text1->clear();
        f.form->navigateur().majLongueurEtCommandes();
        QCOMPARE(f.c().taille_plumor->text() + actives(), QStringLiteral(" 0 carac.0"));
    }
};

QTEST_MAIN(TestDocuments)
#include "test_documents.moc"
