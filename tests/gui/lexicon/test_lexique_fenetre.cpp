#include "fenetre.h"
#include "gui/lexicon/lexique_fenetre.h"
#include "gui/widgets/annonceur.h"
#include "gui/widgets/zone_texte.h"

#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QtTest>

class TestLexiqueFenetre : public QObject
{
    Q_OBJECT

private slots:
    void lexique()
    {
        Classe classe, programme;
        const auto demarrer = [&] { return ouvrirFenetre(classe.dossier(), nullptr, programme.dossier()); };
        // Start-up says once what is wrong with the lexicon, and keeps what it can.
        Fenetre f = demarrer();
        QStringList vu = f.dialogues->textes() << QString::number(f.c().Combo2->count());
        programme.ecrire("lexique.stw", QByteArray("theme;mot\r\n").repeated(101));
        f = demarrer();
        QCOMPARE(vu + f.dialogues->textes() << QString::number(f.c().Combo2->count()),
                 (QStringList{"Fichier lexique.stw pas disponible!", "0", "Votre lexique est trop long! 100 thèmes maxi!", "100"}));

        // The pupil's road: the chooser holds the names, a theme shows its
        // words over the reader pane, and a click puts a word on the
        // clipboard exactly.
        programme.ecrire("lexique.stw", "animaux;un chat\r\nab\r\nanimaux de la ferme;une vache; un \xE2ne\r\n;;zoo;lion\r\n");
        f = demarrer();
        Controles &c = f.c();
        vu = f.dialogues->textes();
        for (int i = 0; i < c.Combo2->count(); ++i)
            vu << c.Combo2->itemText(i);
        QCOMPARE(vu, (QStringList{"animaux", "animaux de la ferme", "zoo"}));
        QVERIFY(c.lexique->isHidden());

        c.Text2->raise();
        c.Combo2->setCurrentIndex(1);
        f.form->lexique().Combo2_Click();
        QCOMPARE(c.theme->text() + u'|' + QString::number(c.lexique->count()), QStringLiteral("animaux de la ferme|3"));
        const QObjectList freres = c.lexique->parent()->children();
        QVERIFY(!c.lexique->isHidden() && freres.indexOf(c.lexique) > freres.indexOf(c.Text2));

        f.etat().zone_active = 2;
        c.lexique->setCurrentRow(2); // selects it, as a click does
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral(" un âne"));
        // Hidden once the list is done with the selection, and said.
        QTRY_VERIFY(c.lexique->isHidden() && f.etat().zone_active == 1);
        QTRY_VERIFY(c.annonce->derniereAnnonce().endsWith(QStringLiteral("« un âne » copié.")));
    }
};

QTEST_MAIN(TestLexiqueFenetre)
#include "test_lexique_fenetre.moc"
