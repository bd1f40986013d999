// Two copies of Plumor sharing nothing but the class folder.
#include "fenetre.h"

#include "texts/documents.h"
#include "texts/navigateur.h"
#include "ui/liste_fichiers.h"
#include "ui/zone_texte.h"

#include <QLabel>
#include <QTest>

class TestDeuxCopies : public QObject
{
    Q_OBJECT
private slots:
    void unTexteEntreDeuxEleves()
    {
        Classe classe;
        const QString conte = classe.ecrire(QStringLiteral("CM1/conte.txt"), "Il \xE9tait une fois\r\n");
        Fenetre a = ouvrirFenetre(classe.dossier());
        Fenetre b = ouvrirFenetre(classe.chemin(QStringLiteral("CM1")));

        // A opens the text: it is marked on disk.
        a.dialogues->fichiers << conte;
        a.form->documents().ouvrir_Click();
        QCOMPARE(a.c().Text1->texteCrLf(), QStringLiteral("Il était une fois\r\n"));
        QVERIFY(classe.marqueSurDisque(QStringLiteral("CM1/conte.txt")));

        // B reads it in the reader pane; the mark stays.
        b.c().File1->setCurrentRow(0);
        b.form->navigateur().File1_Click();
        QCOMPARE(b.c().Text2->texteCrLf(), QStringLiteral("Il était une fois\r\n"));
        QCOMPARE(b.c().nom_texte2->text(), QStringLiteral(" conte.txt"));
        QVERIFY(classe.marqueSurDisque(QStringLiteral("CM1/conte.txt")));

        // B may not open it for writing, whichever pane it clicked last.
        b.etat().zone_active = 2;
        b.dialogues->fichiers << conte;
        b.form->documents().ouvrir_Click();
        QCOMPARE(b.dialogues->textes(), QStringList{QStringLiteral("Quelqu'un travaille déjà sur ce texte!")});
        QVERIFY(b.c().Text1->estVide());
        QVERIFY(b.etat().fichier_courant.isEmpty());

        // Nor write a new text over it.
        taper(b.c().Text1, QStringLiteral("Par-dessus"));
        b.dialogues->fichiers << conte;
        b.form->documents().Command2_Click();
        QCOMPARE(b.dialogues->textes().last(), QStringLiteral("Quelqu'un travaille sur un fichier de même nom!"));
        b.c().Text1->clear();

        // A writes, saves and closes: the text is free again with A's words.
        a.c().Text1->moveCursor(QTextCursor::End);
        taper(a.c().Text1, QStringLiteral("un renard rusé."));
        a.form->documents().enregistrer_Click();
        QCOMPARE(classe.octets(QStringLiteral("CM1/conte.txt")), QByteArray("Il \xE9tait une fois\r\nun renard rus\xE9.\r\n"));
        QVERIFY(classe.marqueSurDisque(QStringLiteral("CM1/conte.txt")));
        a.dialogues->reponses << Dialogues::Reponse::Non;
        a.form->documents().Fermer_Click();
        QVERIFY(!classe.marqueSurDisque(QStringLiteral("CM1/conte.txt")));
        QCOMPARE(classe.octets(QStringLiteral("CM1/conte.txt")), QByteArray("Il \xE9tait une fois\r\nun renard rus\xE9.\r\n"));

        // B opens it now and sees A's words; now B holds it and A is refused.
        b.dialogues->messages.clear();
        b.dialogues->fichiers << conte;
        b.form->documents().ouvrir_Click();
        QVERIFY(b.dialogues->messages.isEmpty());
        QCOMPARE(b.c().Text1->texteCrLf(), QStringLiteral("Il était une fois\r\nun renard rusé.\r\n"));
        QVERIFY(classe.marqueSurDisque(QStringLiteral("CM1/conte.txt")));
        a.dialogues->fichiers << conte;
        a.form->documents().ouvrir_Click();
        QCOMPARE(a.dialogues->textes().last(), QStringLiteral("Quelqu'un travaille déjà sur ce texte!"));
    }
};

QTEST_MAIN(TestDeuxCopies)
#include "test_deux_copies.moc"
