#include "fenetre.h"
#include "lexicon/lexique_fenetre.h"
#include "ui/zone_texte.h"

#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QtTest>


class TestLexiqueFenetre : public QObject
{
    Q_OBJECT

    QTemporaryDir programme;
    Classe classe;

    // A window started beside `octets` as lexique.stw, or none when null.
    Fenetre demarrer(const QByteArray &octets)
    {
        QFile stw(programme.filePath(QStringLiteral("lexique.stw")));
        stw.remove();
        if (!octets.isNull() && !(stw.open(QIODevice::WriteOnly) && stw.write(octets) == octets.size()))
            qFatal("cannot write lexique.stw");
        stw.close();
        return ouvrirFenetre(classe.dossier(), nullptr, programme.path());
    }

private slots:
    // Start-up says once what is wrong with the lexicon.
    void messages()
    {
        QCOMPARE(demarrer({}).dialogues->textes(), QStringList{"Fichier lexique.stw pas disponible!"});
        QByteArray themes;
        for (int i = 1; i <= 101; ++i)
            themes += "theme " + QByteArray::number(i) + ";mot\r\n";
        const Fenetre f = demarrer(themes);
        QCOMPARE(f.dialogues->textes(), QStringList{"Votre lexique est trop long! 100 thèmes maxi!"});
        QCOMPARE(f.form->controles().Combo2->count(), 100);
    }

    // The pupil's road: the chooser holds the names, a theme shows its words
    // over the reader pane, and a click puts a word on the clipboard exactly.
    void choixEtMot()
    {
        Fenetre f = demarrer("animaux;un chat\r\nab\r\nanimaux de la ferme;une vache; un \xE2ne\r\n;;zoo;lion\r\n");
        Controles &c = f.c();
        QVERIFY(f.dialogues->messages.isEmpty());
        QCOMPARE(c.Combo2->count(), 3);
        QCOMPARE(c.Combo2->itemText(2), QStringLiteral("zoo"));
        QVERIFY(c.lexique->isHidden());

        c.Text2->raise();
        c.Combo2->setCurrentIndex(1);
        f.form->lexique().Combo2_Click();
        QCOMPARE(c.theme->text(), QStringLiteral("animaux de la ferme"));
        QCOMPARE(c.lexique->count(), 3);
        QVERIFY(!c.lexique->isHidden());
        const QObjectList freres = c.lexique->parent()->children();
        QVERIFY(freres.indexOf(c.lexique) > freres.indexOf(c.Text2));

        f.etat().zone_active = 2;
        c.lexique->setCurrentRow(2); // selects it, as a click does
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral(" un âne"));
        QVERIFY(c.lexique->isHidden());
        QCOMPARE(f.etat().zone_active, 1);
    }
};

QTEST_MAIN(TestLexiqueFenetre)
#include "test_lexique_fenetre.moc"
