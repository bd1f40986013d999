#include "fenetre.h"

#include "texts/documents.h"
#include "ui/zone_texte.h"

#include <QLabel>
#include <QTest>

#include <unistd.h>

namespace {

const QString kVide = QStringLiteral("Ce texte est vide!");
const QString kTropLong = QStringLiteral("Le texte est trop long! La taille maximale est de 3200 caractères.");

// A text of exactly n characters as the save commands count them.
QString texteDeLongueur(int n)
{
    QString t;
    while (t.size() + 2 <= n - 10)
        t += QStringLiteral("abcdefghi\r\n").left(qMin(11, n - t.size()));
    return t + QString(n - t.size(), u'x');
}

enum class Commande { Enregistrer, Bouton, EnregistrerSous };

void lancer(Fenetre &f, Commande c)
{
    Documents &d = f.form->documents();
    switch (c) {
    case Commande::Enregistrer: d.enregistrer_Click(); break;
    case Commande::Bouton: d.Command2_Click(); break;
    case Commande::EnregistrerSous: d.enregistrer_sous_Click(); break;
    }
}

} // namespace

class TestEnregistrement : public QObject
{
    Q_OBJECT
private slots:
    void zoneVide_data()
    {
        QTest::addColumn<int>("commande");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("Enregistrer") << int(Commande::Enregistrer) << QStringList{kVide};
        QTest::newRow("bouton") << int(Commande::Bouton) << QStringList();
        QTest::newRow("Enregistrer sous") << int(Commande::EnregistrerSous) << QStringList{kVide};
    }
    void zoneVide()
    {
        QFETCH(int, commande);
        QFETCH(QStringList, messages);
        Classe classe;
        Fenetre f = ouvrirFenetre(classe.dossier());
        lancer(f, Commande(commande));
        QCOMPARE(f.dialogues->textes(), messages);
        QVERIFY(f.dialogues->modesDemandes.isEmpty());
    }

    void limiteDe3200_data()
    {
        QTest::addColumn<int>("commande");
        QTest::addColumn<int>("longueur");
        for (auto [nom, c] : {std::pair{"Enregistrer", Commande::Enregistrer}, std::pair{"bouton", Commande::Bouton},
                              std::pair{"Enregistrer sous", Commande::EnregistrerSous}}) {
            QTest::addRow("%s 3200", nom) << int(c) << 3200;
            QTest::addRow("%s 3201", nom) << int(c) << 3201;
        }
    }
    void limiteDe3200()
    {
        QFETCH(int, commande);
        QFETCH(int, longueur);
        Classe classe;
        Fenetre f = ouvrirFenetre(classe.dossier());
        const QString texte = texteDeLongueur(longueur);
        f.c().Text1->definirTexteCrLf(texte);
        QCOMPARE(f.c().Text1->longueurCrLf(), longueur);
        f.dialogues->fichiers << classe.chemin(QStringLiteral("long.txt"));
        lancer(f, Commande(commande));
        if (longueur <= 3200) {
            QVERIFY(f.dialogues->messages.isEmpty());
            QCOMPARE(classe.octets(QStringLiteral("long.txt")).size(), longueur + 2);
        } else {
            QCOMPARE(f.dialogues->textes(), QStringList{kTropLong});
            QCOMPARE(classe.octets(QStringLiteral("long.txt")), QByteArray("<absent>"));
        }
    }

    void nouveauTexteSurUnFichierExistant_Non()
    {
        Classe classe;
        classe.ecrire(QStringLiteral("conte.txt"), "original\r\n");
        Fenetre f = ouvrirFenetre(classe.dossier());
        taper(f.c().Text1, QStringLiteral("Mon texte"));
        f.dialogues->fichiers << classe.chemin(QStringLiteral("conte.txt"));
        f.dialogues->reponses << Dialogues::Reponse::Non;
        f.form->documents().enregistrer_Click();
        QCOMPARE(f.dialogues->textes(), QStringList{QStringLiteral("Ce fichier existe déjà! Ecraser le fichier?")});
        QVERIFY(f.etat().fichier_courant.isEmpty());
        QCOMPARE(f.form->windowTitle(), QStringLiteral("b"));
        QCOMPARE(classe.octets(QStringLiteral("conte.txt")), QByteArray("original\r\n"));

        // The refused name did not become the text's file: the dialog comes again.
        f.dialogues->fichiers << std::nullopt;
        f.form->documents().enregistrer_Click();
        QCOMPARE(f.dialogues->modesDemandes.size(), 2);
        QCOMPARE(classe.octets(QStringLiteral("conte.txt")), QByteArray("original\r\n"));
    }

    void nouveauTexteSurUnTextePrisAilleurs()
    {
        Classe classe;
        const QString c = classe.ecrire(QStringLiteral("conte.txt"), "original\r\n");
        QFile::setPermissions(c, QFile::ReadOwner);
        Fenetre f = ouvrirFenetre(classe.dossier());
        taper(f.c().Text1, QStringLiteral("Mon texte"));
        f.dialogues->fichiers << c;
        f.form->documents().Command2_Click();
        QCOMPARE(f.dialogues->textes(), QStringList{QStringLiteral("Quelqu'un travaille sur un fichier de même nom!")});
        QVERIFY(f.etat().fichier_courant.isEmpty());
        QVERIFY(classe.marqueSurDisque(QStringLiteral("conte.txt")));
        QCOMPARE(classe.octets(QStringLiteral("conte.txt")), QByteArray("original\r\n"));
    }

    void dialogueAnnuleNeChangeRien()
    {
        Classe classe;
        Fenetre f = ouvrirFenetre(classe.dossier());
        taper(f.c().Text1, QStringLiteral("Mon texte"));
        f.dialogues->fichiers << std::nullopt;
        f.form->documents().enregistrer_sous_Click();
        QVERIFY(f.dialogues->messages.isEmpty());
        QVERIFY(f.etat().fichier_courant.isEmpty());
        QCOMPARE(f.form->windowTitle(), QStringLiteral("b"));
    }

    void enregistrerUnTexteOuvertLeGardeMarque()
    {
        Classe classe;
        const QString c = classe.ecrire(QStringLiteral("conte.txt"), "Il \xE9tait\r\n");
        Fenetre f = ouvrirFenetre(classe.dossier());
        f.form->documents().lire_fichier(c);
        f.c().Text1->definirTexteCrLf(f.etat().contenu_lu);
        f.etat().fichier_courant = c;
        f.form->setWindowTitle(c);
        f.c().Text1->moveCursor(QTextCursor::End);
        taper(f.c().Text1, QStringLiteral("une fois, un élève."));
        f.form->documents().enregistrer_Click();
        QCOMPARE(classe.octets(QStringLiteral("conte.txt")), QByteArray("Il \xE9tait\r\nune fois, un \xE9l\xE8ve.\r\n"));
        QVERIFY(classe.marqueSurDisque(QStringLiteral("conte.txt")));
        QCOMPARE(f.form->windowTitle(), c);
        QVERIFY(f.dialogues->messages.isEmpty());
    }

    void enregistrerSousPrendLeNouveauEtRendLAncien()
    {
        Classe classe;
        const QString ancien = classe.ecrire(QStringLiteral("conte.txt"), "Il \xE9tait\r\n");
        Fenetre f = ouvrirFenetre(classe.dossier());
        f.form->documents().lire_fichier(ancien);
        f.c().Text1->definirTexteCrLf(f.etat().contenu_lu);
        f.etat().fichier_courant = ancien;
        f.c().Label4->setText(QStringLiteral("conte.txt"));
        const QString nouveau = classe.chemin(QStringLiteral("conte-2.txt"));
        f.dialogues->fichiers << nouveau;
        f.form->documents().enregistrer_sous_Click();

        QCOMPARE(f.etat().fichier_courant, nouveau);
        QCOMPARE(f.etat().fichier_precedent, ancien);
        QCOMPARE(f.form->windowTitle(), nouveau);
        QCOMPARE(f.c().Label4->text(), QStringLiteral("conte.txt"));
        QVERIFY(classe.marqueSurDisque(QStringLiteral("conte-2.txt")));
        QVERIFY(!classe.marqueSurDisque(QStringLiteral("conte.txt")));
        QCOMPARE(classe.octets(QStringLiteral("conte-2.txt")), QByteArray("Il \xE9tait\r\n\r\n"));

        // Choosing the text's own file again is refused while this copy holds it.
        f.dialogues->fichiers << nouveau;
        f.form->documents().enregistrer_sous_Click();
        QCOMPARE(f.dialogues->textes(), QStringList{QStringLiteral("Quelqu'un travaille sur un fichier de même nom!")});
        QCOMPARE(f.etat().fichier_courant, nouveau);
        QVERIFY(classe.marqueSurDisque(QStringLiteral("conte-2.txt")));
    }

    void nomAvecAccentsEtSignes()
    {
        Classe classe;
        Fenetre f = ouvrirFenetre(classe.dossier());
        taper(f.c().Text1, QStringLiteral("Noël"));
        const QString c = classe.chemin(QStringLiteral("<b>Noël<i> & « fête ».txt"));
        f.dialogues->fichiers << c;
        f.form->documents().Command2_Click();
        QCOMPARE(f.dialogues->textes(), QStringList());
        QCOMPARE(classe.octets(QStringLiteral("<b>Noël<i> & « fête ».txt")), QByteArray("No\xEBl\r\n"));
        QCOMPARE(f.form->windowTitle(), c);
    }

    void dossierCibleSansDroitDEcriture()
    {
        // CI runs as root, which may write anywhere: ctest also runs this case
        // as an unprivileged user (test_enregistrement_sans_droits).
        if (::geteuid() == 0)
            QSKIP("root may write anywhere");
        Classe classe;
        QDir(classe.dossier()).mkdir(QStringLiteral("ferme"));
        QFile::setPermissions(classe.chemin(QStringLiteral("ferme")), QFile::ReadOwner | QFile::ExeOwner);
        Fenetre f = ouvrirFenetre(classe.dossier());
        f.dialogues->messages.clear(); // the lexicon may be out of this user's reach
        taper(f.c().Text1, QStringLiteral("Mon texte"));
        f.dialogues->fichiers << classe.chemin(QStringLiteral("ferme/texte.txt"));
        f.form->documents().Command2_Click();
        QCOMPARE(f.dialogues->textes(), QStringList{QStringLiteral("Erreur=closefileAccès refusé.")});
        QVERIFY(f.etat().fichier_courant.isEmpty());
        QCOMPARE(f.c().Text1->texteCrLf(), QStringLiteral("Mon texte"));
    }
};

QTEST_MAIN(TestEnregistrement)
#include "test_enregistrement.moc"
