#include "fenetre.h"

#include "texts/documents.h"
#include "texts/navigateur.h"
#include "ui/liste_dossiers.h"
#include "ui/liste_fichiers.h"
#include "ui/zone_texte.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

QStringList noms(const QListWidget *l)
{
    QStringList n;
    for (int i = 0; i < l->count(); ++i)
        n << l->item(i)->text();
    return n;
}

void choisir(Fenetre &f, const QString &nom)
{
    f.c().File1->setCurrentRow(int(noms(f.c().File1).indexOf(nom)));
    f.form->navigateur().File1_Click();
}

} // namespace

class TestNavigateur : public QObject
{
    Q_OBJECT
private slots:
    void dossiersEtTextes()
    {
        Classe classe;
        for (const char *n : {"b.txt", "A.TXT", "c.Txt", "notes.doc", ".cache.txt", "é.txt", "CM1/conte.txt"})
            classe.ecrire(QString::fromUtf8(n), "x");
        QDir(classe.dossier()).mkdir(QStringLiteral("dossier.txt"));
        Fenetre f = ouvrirFenetre(classe.dossier());
        QCOMPARE(noms(f.c().File1), (QStringList{"A.TXT", "b.txt", "c.Txt", QStringLiteral("é.txt")}));
        QCOMPARE(f.c().Dir1->dossier(), QDir(classe.dossier()).canonicalPath());
        const QStringList dossiers = noms(f.c().Dir1);
        QCOMPARE(dossiers.mid(dossiers.size() - 2).join(u'|').remove(u' '), QStringLiteral("CM1|dossier.txt"));
        // A click reads the folder again: texts saved meanwhile appear.
        classe.ecrire(QStringLiteral("d.txt"), "d");
        choisir(f, QStringLiteral("b.txt"));
        QCOMPARE(noms(f.c().File1).size(), 5);
        QCOMPARE(f.c().File1->nomSelectionne(), QStringLiteral("b.txt"));

        f.c().Text2->definirTexteCrLf(QStringLiteral("lu avant"));
        emit f.c().Dir1->itemDoubleClicked(f.c().Dir1->item(f.c().Dir1->count() - 2));
        QCOMPARE(f.c().Label5->text(), QStringLiteral("textes de ce dossier:"));
        QCOMPARE(noms(f.c().File1), QStringList{"conte.txt"});
        QCOMPARE(f.c().Text2->texteCrLf(), QStringLiteral("lu avant"));
        // Back to the main folder through its entry in the path: the label stays.
        emit f.c().Dir1->itemDoubleClicked(f.c().Dir1->item(f.c().Dir1->count() - 2));
        QCOMPARE(noms(f.c().File1).size(), 5);
        QCOMPARE(f.c().Label5->text(), QStringLiteral("textes de ce dossier:"));
    }

    void dossierDisparu()
    {
        Classe classe;
        classe.ecrire(QStringLiteral("CM1/conte.txt"), "x");
        Fenetre f = ouvrirFenetre(classe.dossier());
        QListWidgetItem *cm1 = f.c().Dir1->item(f.c().Dir1->count() - 1);
        QDir(classe.chemin(QStringLiteral("CM1"))).removeRecursively();
        emit f.c().Dir1->itemDoubleClicked(cm1);
        QCOMPARE(f.dialogues->textes(), QStringList{QStringLiteral("Ce dossier n'est pas accessible!")});
        QCOMPARE(f.c().Dir1->dossier(), QDir(classe.dossier()).canonicalPath());

        // The folder shown in the file list goes away: said once, the lists stay usable.
        classe.ecrire(QStringLiteral("CE2/a.txt"), "x");
        f.c().Dir1->definirDossier(classe.chemin(QStringLiteral("CE2")));
        f.form->navigateur().Dir1_Change();
        QDir(classe.chemin(QStringLiteral("CE2"))).removeRecursively();
        f.dialogues->messages.clear();
        f.form->navigateur().File1_Scroll();
        f.form->navigateur().File1_Scroll();
        QCOMPARE(f.dialogues->textes(), QStringList{QStringLiteral("Ce dossier n'est pas accessible!")});
        QCOMPARE(f.c().File1->count(), 0);
    }

    void lireDansLeLecteur_data()
    {
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<bool>("marque");
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("taille");
        QTest::newRow("texte libre") << QByteArray("Un \xE9l\xE8ve\r\n") << false << " conte.txt" << " 10 carac.";
        QTest::newRow("texte pris par une autre copie") << QByteArray("abc") << true << " conte.txt" << " 3 carac.";
        QTest::newRow("fichier vide") << QByteArray() << false << "" << "";
        QTest::newRow("trop long") << QByteArray(32001, 'a') << false << "" << "";
    }
    void lireDansLeLecteur()
    {
        QFETCH(QByteArray, octets);
        QFETCH(bool, marque);
        QFETCH(QString, nom);
        QFETCH(QString, taille);
        Classe classe;
        const QString c = classe.ecrire(QStringLiteral("conte.txt"), octets);
        if (marque)
            QFile::setPermissions(c, QFile::ReadOwner);
        Fenetre f = ouvrirFenetre(classe.dossier());
        f.c().lexique->show();
        choisir(f, QStringLiteral("conte.txt"));
        QVERIFY(f.c().lexique->isHidden());
        QCOMPARE(f.c().nom_texte2->text(), nom);
        QCOMPARE(f.c().taille->text(), taille);
        QCOMPARE(f.c().Text2->texteCrLf().isEmpty(), nom.isEmpty());
        QCOMPARE(classe.marqueSurDisque(QStringLiteral("conte.txt")), marque);
        QCOMPARE(classe.octets(QStringLiteral("conte.txt")), octets);
        QCOMPARE(f.etat().mode_lecture, qint16(0));
    }

    void clicDansLeLecteur()
    {
        Classe classe;
        Fenetre f = ouvrirFenetre(classe.dossier());
        f.c().Text2->definirTexteCrLf(QStringLiteral("Un texte protégé"));
        f.c().lexique->show();
        QTest::mouseClick(f.c().Text2->viewport(), Qt::LeftButton);
        QCOMPARE(f.etat().zone_active, qint16(2));
        QVERIFY(f.c().lexique->isHidden());
        QVERIFY(f.dialogues->messages.isEmpty());

        QTextCursor cur = f.c().Text2->textCursor();
        cur.setPosition(3);
        cur.setPosition(9, QTextCursor::KeepAnchor);
        f.c().Text2->setTextCursor(cur);
        QTest::mousePress(f.c().Text2->viewport(), Qt::RightButton);
        QCOMPARE(f.dialogues->textes(), QStringList{QStringLiteral("Texte protégé!")});
        QCOMPARE(f.dialogues->messages.first().titre, QString());
        QCOMPARE(f.c().Text2->longueurSelection(), 0);
        QCOMPARE(f.c().Text2->textCursor().position(), 3);
    }

    void minuterieLongueurEtCommandes()
    {
        Classe classe;
        Fenetre f = ouvrirFenetre(classe.dossier());
        QList<QObject *> commandes{f.c().Command2, f.c().Command3, f.c().Fermer, f.c().Imprimer,
                                   f.c().enregistrer, f.c().enregistrer_sous};
        const auto actives = [&] {
            int n = 0;
            for (QObject *o : commandes)
                n += o->property("enabled").toBool();
            return n;
        };
        f.form->navigateur().majLongueurEtCommandes();
        QCOMPARE(f.c().taille_plumor->text(), QStringLiteral(" 0 carac."));
        QCOMPARE(actives(), 0);
        taper(f.c().Text1, QStringLiteral("é\nb"));
        f.form->navigateur().majLongueurEtCommandes();
        QCOMPARE(f.c().taille_plumor->text(), QStringLiteral(" 4 carac."));
        QCOMPARE(actives(), 6);
        f.c().Text1->selectAll();
        QTest::keyClick(f.c().Text1, Qt::Key_Delete);
        f.form->navigateur().majLongueurEtCommandes();
        QCOMPARE(actives(), 0);
    }
};

QTEST_MAIN(TestNavigateur)
#include "test_navigateur.moc"
