#include "fenetre.h"

#include "texts/documents.h"
#include "ui/zone_texte.h"

#include <QAction>
#include <QLabel>
#include <QTest>

#include <csignal>

namespace {

using R = Dialogues::Reponse;
const QString kMaj = QStringLiteral("Voulez-vous mettre à jour le texte?");
const QString kEnregistrer = QStringLiteral("Voulez-vous enregistrer le texte?");
const QString kPris = QStringLiteral("Quelqu'un travaille déjà sur ce texte!");

void ouvrir(Fenetre &f, const QString &chemin)
{
    f.dialogues->fichiers << chemin;
    f.form->documents().ouvrir_Click();
}


bool commandesActives(Fenetre &f)
{
    return f.c().Fermer->isEnabled() && f.c().enregistrer->isEnabled() && f.c().enregistrer_sous->isEnabled()
           && f.c().Imprimer->isEnabled();
}

} // namespace

class TestOuvertureFermeture : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { std::signal(SIGXFSZ, SIG_IGN); }

    void ouvrirUnTexte()
    {
        Classe classe;
        const QString a = classe.ecrire(QStringLiteral("CM1/conte.txt"), QByteArray(118, 'a') + "\r\n");
        Fenetre f = ouvrirFenetre(classe.dossier());
        ouvrir(f, a);
        QCOMPARE(f.form->windowTitle(), a);
        QCOMPARE(f.c().Label4->text(), QStringLiteral("conte.txt"));
        QCOMPARE(f.c().taille_plumor->text(), QStringLiteral(" 120 carac."));
        QCOMPARE(f.etat().fichier_courant, a);
        QCOMPARE(f.etat().ecriture_en_cours, qint16(0));
        QVERIFY(commandesActives(f));
        QVERIFY(classe.marqueSurDisque(QStringLiteral("CM1/conte.txt")));
        QVERIFY(f.dialogues->messages.isEmpty());
    }

    void ouvrirUnAutreLibereLePremier()
    {
        Classe classe;
        const QString a = classe.ecrire(QStringLiteral("a.txt"), "A\r\n");
        const QString b = classe.ecrire(QStringLiteral("b.txt"), "B\r\n");
        Fenetre f = ouvrirFenetre(classe.dossier());
        ouvrir(f, a);
        // The mark stays while the pupil chooses: no other copy can take the text then.
        f.dialogues->pendantDialogueFichier = [&] { QVERIFY(classe.marqueSurDisque(QStringLiteral("a.txt"))); };
        ouvrir(f, b);
        QVERIFY(!classe.marqueSurDisque(QStringLiteral("a.txt")));
        QVERIFY(classe.marqueSurDisque(QStringLiteral("b.txt")));
        QCOMPARE(f.c().Text1->texteCrLf(), QStringLiteral("B\r\n"));
    }

    void lectureRefuseeGardeLeTexteCourant_data()
    {
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<bool>("priseAilleurs");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("pris par une autre copie") << QByteArray("B") << true << QStringList{kPris};
        QTest::newRow("32001 octets") << QByteArray(32001, 'b') << false
                                      << QStringList{QStringLiteral("Ce texte dépasse 32000 caractères!")};
        QTest::newRow("fichier vide") << QByteArray() << false << QStringList();
        QTest::newRow("dialogue annule") << QByteArray("annule") << false << QStringList();
    }
    void lectureRefuseeGardeLeTexteCourant()
    {
        QFETCH(QByteArray, octets);
        QFETCH(bool, priseAilleurs);
        QFETCH(QStringList, messages);
        Classe classe;
        const QString a = classe.ecrire(QStringLiteral("a.txt"), "A\r\n");
        const QString b = classe.ecrire(QStringLiteral("b.txt"), octets);
        if (priseAilleurs)
            QFile::setPermissions(b, QFile::ReadOwner);
        Fenetre f = ouvrirFenetre(classe.dossier());
        ouvrir(f, a);
        if (octets == "annule")
            f.dialogues->fichiers << std::nullopt;
        else
            f.dialogues->fichiers << b;
        f.form->documents().ouvrir_Click();
        QCOMPARE(f.dialogues->textes(), messages);
        QCOMPARE(f.etat().fichier_courant, a);
        QCOMPARE(f.form->windowTitle(), a);
        QCOMPARE(f.c().Text1->texteCrLf(), QStringLiteral("A\r\n"));
        QVERIFY(classe.marqueSurDisque(QStringLiteral("a.txt")));
        QCOMPARE(classe.marqueSurDisque(QStringLiteral("b.txt")), priseAilleurs);
        QCOMPARE(classe.octets(QStringLiteral("b.txt")), octets);
    }

    void rouvrirLeTexteCourant()
    {
        Classe classe;
        const QString a = classe.ecrire(QStringLiteral("a.txt"), "A\r\n");
        Fenetre f = ouvrirFenetre(classe.dossier());
        ouvrir(f, a);
        ouvrir(f, a);
        QVERIFY(f.dialogues->messages.isEmpty());
        QCOMPARE(f.etat().fichier_courant, a);
        QVERIFY(classe.marqueSurDisque(QStringLiteral("a.txt")));
    }

    void toutChangementCompte()
    {
        // Typing without a click into the zone still makes "Ouvrir" ask.
        Classe classe;
        const QString a = classe.ecrire(QStringLiteral("a.txt"), "A\r\n");
        const QString b = classe.ecrire(QStringLiteral("b.txt"), "B\r\n");
        Fenetre f = ouvrirFenetre(classe.dossier());
        ouvrir(f, a);
        f.c().Text1->moveCursor(QTextCursor::End);
        taper(f.c().Text1, QStringLiteral("joute"));
        QCOMPARE(f.etat().ecriture_en_cours, qint16(1));
        f.dialogues->reponses << R::Oui;
        ouvrir(f, b);
        QCOMPARE(f.dialogues->textes(), QStringList{kMaj});
        QCOMPARE(classe.octets(QStringLiteral("a.txt")), QByteArray("A\r\njoute\r\n"));
        QVERIFY(!classe.marqueSurDisque(QStringLiteral("a.txt")));
        QCOMPARE(f.etat().fichier_courant, b);
        // Text the program put in the zone is not a change.
        QCOMPARE(f.etat().ecriture_en_cours, qint16(0));
    }

    void nouveauTexteMisAJourPuisArret()
    {
        Classe classe;
        Fenetre f = ouvrirFenetre(classe.dossier());
        taper(f.c().Text1, QStringLiteral("Mon conte"));
        const QString n = classe.chemin(QStringLiteral("nouveau.txt"));
        f.dialogues->reponses << R::Oui;
        f.dialogues->fichiers << n;
        f.form->documents().ouvrir_Click();
        QCOMPARE(f.dialogues->modesDemandes, QList<Dialogues::ModeFichier>{Dialogues::ModeFichier::Enregistrer});
        QCOMPARE(f.form->windowTitle(), n);
        QCOMPARE(f.etat().fichier_courant, n);
        // The saved text is this copy's current text: it stays marked.
        QVERIFY(classe.marqueSurDisque(QStringLiteral("nouveau.txt")));
        QCOMPARE(f.c().Text1->texteCrLf(), QStringLiteral("Mon conte"));
    }

    void miseAJourImpossibleGardeLeTexte()
    {
        Classe classe;
        const QString a = classe.ecrire(QStringLiteral("a.txt"), "A\r\n");
        const QString b = classe.ecrire(QStringLiteral("b.txt"), "B\r\n");
        Fenetre f = ouvrirFenetre(classe.dossier());
        ouvrir(f, a);
        taper(f.c().Text1, QStringLiteral("un long ajout qui ne tient pas"));
        f.dialogues->reponses << R::Oui;
        f.dialogues->fichiers << b;
        avecDisquePlein([&] { f.form->documents().ouvrir_Click(); });
        QCOMPARE(f.etat().fichier_courant, a);
        QVERIFY(f.c().Text1->texteCrLf().contains(QLatin1String("un long ajout")));
        QVERIFY(classe.marqueSurDisque(QStringLiteral("a.txt")));
        QVERIFY(!classe.marqueSurDisque(QStringLiteral("b.txt")));
    }

    void texteCourantSupprimeAilleurs()
    {
        Classe classe;
        const QString a = classe.ecrire(QStringLiteral("a.txt"), "A\r\n");
        const QString b = classe.ecrire(QStringLiteral("b.txt"), "B\r\n");
        Fenetre f = ouvrirFenetre(classe.dossier());
        ouvrir(f, a);
        QFile::remove(a);
        ouvrir(f, b);
        QCOMPARE(f.etat().fichier_courant, b);
        f.c().Text1->selectAll();
        QTest::keyClick(f.c().Text1, Qt::Key_Delete);
        QFile::remove(b);
        f.form->documents().Fermer_Click();
        QVERIFY(f.etat().fichier_courant.isEmpty());
        QVERIFY(f.dialogues->messages.isEmpty());
    }

    void fermer_data()
    {
        QTest::addColumn<QString>("cas");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("texteReste");
        QTest::addColumn<QByteArray>("surDisque");
        QTest::newRow("zone vide sans fichier") << "vide" << QStringList() << false << QByteArray("<absent>");
        QTest::newRow("texte efface d'un fichier ouvert") << "efface" << QStringList() << false << QByteArray("A\r\n");
        QTest::newRow("texte ouvert, non") << "ouvert-non" << QStringList{kEnregistrer} << false << QByteArray("A\r\n");
        QTest::newRow("texte ouvert, oui") << "ouvert-oui" << QStringList{kEnregistrer} << false
                                           << QByteArray("A\r\nB\r\n");
        QTest::newRow("texte ouvert, disque plein") << "ouvert-plein" << QStringList{kEnregistrer,
            QStringLiteral("Erreur=Le fichier dépasse la taille permise.")} << true << QByteArray("A\r\n");
        QTest::newRow("nouveau, oui, ne pas ecraser") << "nouveau-non-ecrase"
            << QStringList{kEnregistrer, QStringLiteral("Ce fichier existe déjà! Ecraser le fichier?")} << true
            << QByteArray("A\r\n");
        QTest::newRow("nouveau, oui, dialogue annule") << "nouveau-annule"
            << QStringList{kEnregistrer, QStringLiteral("erreur_fermer32755")} << true << QByteArray("A\r\n");
        QTest::newRow("nouveau trop long") << "nouveau-long" << QStringList{kEnregistrer,
            QStringLiteral("Le texte est trop long! La taille maximale est de 3200 caractères.")} << true
            << QByteArray("A\r\n");
    }
    void fermer()
    {
        QFETCH(QString, cas);
        QFETCH(QStringList, messages);
        QFETCH(bool, texteReste);
        QFETCH(QByteArray, surDisque);
        Classe classe;
        const QString a = cas == QLatin1String("vide") ? classe.chemin(QStringLiteral("a.txt"))
                                                        : classe.ecrire(QStringLiteral("a.txt"), "A\r\n");
        Fenetre f = ouvrirFenetre(classe.dossier());
        if (cas.startsWith(QLatin1String("ouvert")) || cas == QLatin1String("efface"))
            ouvrir(f, a);
        if (cas == QLatin1String("efface")) {
            f.c().Text1->selectAll();
            QTest::keyClick(f.c().Text1, Qt::Key_Delete);
        } else if (cas.startsWith(QLatin1String("ouvert"))) {
            f.c().Text1->moveCursor(QTextCursor::End);
            taper(f.c().Text1, QStringLiteral("B"));
        } else if (cas == QLatin1String("nouveau-long")) {
            taper(f.c().Text1, QString(3201, u'x'));
        } else if (cas.startsWith(QLatin1String("nouveau"))) {
            taper(f.c().Text1, QStringLiteral("Nouveau"));
        }
        const QString avant = f.c().Text1->texteCrLf();
        f.dialogues->reponses << (cas.endsWith(QLatin1String("non")) ? R::Non : R::Oui) << R::Non;
        if (cas == QLatin1String("nouveau-non-ecrase"))
            f.dialogues->fichiers << a;
        if (cas == QLatin1String("nouveau-annule"))
            f.dialogues->fichiers << std::nullopt;

        if (cas == QLatin1String("ouvert-plein"))
            avecDisquePlein([&] { f.form->documents().Fermer_Click(); });
        else
            f.form->documents().Fermer_Click();

        QCOMPARE(f.dialogues->textes(), messages);
        QCOMPARE(classe.octets(QStringLiteral("a.txt")), surDisque);
        if (texteReste) {
            QCOMPARE(f.c().Text1->texteCrLf(), avant);
            // A later "Quitter" asks again.
            QCOMPARE(f.etat().ecriture_en_cours, qint16(1));
            QCOMPARE(classe.marqueSurDisque(QStringLiteral("a.txt")), cas.startsWith(QLatin1String("ouvert")));
        } else {
            QVERIFY(f.c().Text1->estVide());
            QVERIFY(f.etat().fichier_courant.isEmpty());
            QCOMPARE(f.form->windowTitle(), QString());
            QVERIFY(!commandesActives(f));
            QVERIFY(!classe.marqueSurDisque(QStringLiteral("a.txt")));
        }
    }

    void fermerEnregistreMemeAuDelaDe3200()
    {
        Classe classe;
        const QString a = classe.ecrire(QStringLiteral("a.txt"), QByteArray(4000, 'a'));
        Fenetre f = ouvrirFenetre(classe.dossier());
        ouvrir(f, a);
        f.c().Text1->moveCursor(QTextCursor::End);
        taper(f.c().Text1, QStringLiteral("!"));
        f.dialogues->reponses << R::Oui;
        f.form->documents().Fermer_Click();
        QCOMPARE(classe.octets(QStringLiteral("a.txt")), QByteArray(4000, 'a') + "!\r\n");
        QVERIFY(!classe.marqueSurDisque(QStringLiteral("a.txt")));
    }

    void fermerLaFenetre_data()
    {
        QTest::addColumn<QString>("cas");
        QTest::addColumn<bool>("fermee");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("texte ouvert inchange") << "inchange" << true << QStringList();
        QTest::newRow("texte ouvert change, non") << "change-non" << true << QStringList{kEnregistrer};
        QTest::newRow("texte ouvert change, oui") << "change-oui" << true << QStringList{kEnregistrer};
        QTest::newRow("texte ouvert, disque plein") << "change-plein" << false << QStringList{kEnregistrer,
            QStringLiteral("Erreur=Le fichier dépasse la taille permise.")};
        QTest::newRow("nouveau, dialogue annule") << "nouveau-annule" << false
            << QStringList{kEnregistrer, QStringLiteral("erreur_fermer32755")};
        QTest::newRow("nouveau trop long") << "nouveau-long" << false << QStringList{kEnregistrer,
            QStringLiteral("Le texte est trop long! La taille maximale est de 3200 caractères.")};
        QTest::newRow("nouveau enregistre") << "nouveau-oui" << true << QStringList{kEnregistrer};
    }
    void fermerLaFenetre()
    {
        QFETCH(QString, cas);
        QFETCH(bool, fermee);
        QFETCH(QStringList, messages);
        Classe classe;
        const QString a = classe.ecrire(QStringLiteral("a.txt"), "A\r\n");
        Fenetre f = ouvrirFenetre(classe.dossier());
        f.form->show();
        if (cas.startsWith(QLatin1String("nouveau"))) {
            taper(f.c().Text1, cas == QLatin1String("nouveau-long") ? QString(3300, u'x') : QStringLiteral("Neuf"));
            f.dialogues->fichiers << (cas == QLatin1String("nouveau-oui")
                                          ? std::optional<QString>(classe.chemin(QStringLiteral("neuf.txt")))
                                          : std::nullopt);
        } else {
            ouvrir(f, a);
            if (cas != QLatin1String("inchange")) {
                f.c().Text1->moveCursor(QTextCursor::End);
                taper(f.c().Text1, QStringLiteral("B"));
            }
        }
        f.dialogues->reponses << (cas == QLatin1String("change-non") ? R::Non : R::Oui);
        bool resultat = false;
        if (cas == QLatin1String("change-plein"))
            avecDisquePlein([&] { resultat = f.form->close(); });
        else
            resultat = f.form->close();

        QCOMPARE(resultat, fermee);
        QCOMPARE(f.dialogues->textes(), messages);
        QCOMPARE(f.form->isVisible(), !fermee);
        if (fermee) {
            // Every ending lets go of the text.
            QVERIFY(!classe.marqueSurDisque(QStringLiteral("a.txt")));
            QVERIFY(!classe.marqueSurDisque(QStringLiteral("neuf.txt")));
        } else {
            QVERIFY(!f.c().Text1->estVide());
            QCOMPARE(classe.marqueSurDisque(QStringLiteral("a.txt")), cas == QLatin1String("change-plein"));
        }
        if (cas == QLatin1String("change-oui"))
            QCOMPARE(classe.octets(QStringLiteral("a.txt")), QByteArray("A\r\nB\r\n"));
        if (cas == QLatin1String("nouveau-oui"))
            QCOMPARE(classe.octets(QStringLiteral("neuf.txt")), QByteArray("Neuf\r\n"));
    }
};

QTEST_MAIN(TestOuvertureFermeture)
#include "test_ouverture_fermeture.moc"
