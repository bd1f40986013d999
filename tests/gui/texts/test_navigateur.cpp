// The folder browser, the reader pane and the timer, as a pupil uses them.
#include "fenetre.h"

#include "gui/texts/navigateur.h"
#include "gui/widgets/liste_dossiers.h"
#include "gui/widgets/liste_fichiers.h"
#include "gui/widgets/zone_texte.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

QStringList noms(const QListWidget *l)
{
    QStringList n;
    for (int i = 0; i < l->count(); ++i)
        n << l->item(i)->text().trimmed();
    return n;
}

} // namespace

class TestNavigateur : public QObject
{
    Q_OBJECT
private slots:
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
        // too long one empties the pane and its labels.
        for (const char *nom : {"b.txt", "vide.txt", "long.txt"}) {
            f.c().lexique->show();
            f.c().File1->setCurrentRow(int(noms(f.c().File1).indexOf(QLatin1String(nom))));
            QVERIFY(f.c().lexique->isHidden());
            const bool lu = nom[0] == 'b';
            QCOMPARE(f.c().Text2->texteCrLf(), lu ? QStringLiteral("Un élève\r\n") : QString());
            QCOMPARE(f.c().nom_texte2->text() + u'|' + f.c().taille->text(),
                     lu ? QStringLiteral(" b.txt| 10 carac.") : QStringLiteral("|"));
        }
        QVERIFY(classe.marqueSurDisque(QStringLiteral("b.txt")));
        QCOMPARE(f.dialogues->textes(), QStringList{QStringLiteral("Ce texte dépasse 32000 caractères!")});
        // What other copies save shows at the pupil's next click, or next scroll.
        classe.ecrire(QStringLiteral("c.txt"), "x");
        f.c().File1->setCurrentRow(0);
        classe.ecrire(QStringLiteral("d.txt"), "x");
        const qsizetype apresClic = noms(f.c().File1).size();
        emit f.c().File1->defileParLeLecteur();
        QCOMPARE(QString::number(apresClic) + noms(f.c().File1).join(u' '), QStringLiteral("6A.TXT b.txt c.txt d.txt long.txt vide.txt é.txt"));

        // Changing folder: the list follows, the reader pane keeps its text, the label changes for good.
        emit f.c().Dir1->itemDoubleClicked(f.c().Dir1->item(f.c().Dir1->count() - 1));
        QCOMPARE(noms(f.c().File1), QStringList{"conte.txt"});
        emit f.c().Dir1->itemDoubleClicked(f.c().Dir1->item(f.c().Dir1->count() - 2));
        QCOMPARE(QString::number(noms(f.c().File1).size()) + f.c().Label5->text(), QStringLiteral("7textes de ce dossier:"));

        // A folder gone: said once, the lists stay usable.
        QDir(classe.chemin(QStringLiteral("CM1"))).removeRecursively();
        emit f.c().Dir1->itemDoubleClicked(f.c().Dir1->item(f.c().Dir1->count() - 1));
        f.form->navigateur().File1_Scroll();
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

QTEST_MAIN(TestNavigateur)
#include "test_navigateur.moc"
