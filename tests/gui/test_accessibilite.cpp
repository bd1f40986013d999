// What a screen reader and a keyboard user get from the window: French names
// on every control the focus reaches, the panes' state in their names, the
// outcomes spoken, and the focus back where the pupil writes.
#include "fenetre.h"

#include "app/demarrage.h"
#include "gui/widgets/annonceur.h"
#include "gui/widgets/focus_visible.h"
#include "gui/widgets/liste_fichiers.h"
#include "gui/widgets/zone_texte.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

QString lu(QWidget *w)
{
    const QAccessibleInterface *i = QAccessible::queryAccessibleInterface(w);
    return i->text(QAccessible::Name) + u'|' + i->text(QAccessible::Description);
}

// The status the tick and the event loop have given by now; emptied, so
// that the next outcome shows even when it says the same.
QString apresUnTour(Fenetre &f)
{
    QMetaObject::invokeMethod(f.c().Timer1, "timeout");
    QCoreApplication::processEvents();
    const QString dit = f.c().annonce->derniereAnnonce();
    f.c().annonce->setAccessibleName({});
    return dit;
}

} // namespace

class TestAccessibilite : public QObject
{
    Q_OBJECT
private:
    Classe m_classe;

private slots:
    void initTestCase()
    {
        preparerApplication(*qApp);
    }

    void chaqueControleANomFrancais()
    {
        Fenetre f = ouvrirFenetre(m_classe.dossier());
        QStringList chaine;
        QWidget *w = f.c().Text1;
        do {
            if (w->focusPolicy() & Qt::TabFocus)
                chaine << w->objectName() + u'=' + lu(w);
            w = w->nextInFocusChain();
        } while (w != f.c().Text1);
        QCOMPARE(chaine, (QStringList{
            QStringLiteral("Text1=Zone d'écriture : aucun texte|zone d'écriture"),
            QStringLiteral("Command1=Ouvrir un texte|"), QStringLiteral("Command2=Enregistrer|"),
            QStringLiteral("Command3=Imprimer|"), QStringLiteral("couper=Couper|"), QStringLiteral("copier=Copier|"),
            QStringLiteral("coller=Coller|"), QStringLiteral("Command4=À propos de Plumor|à propos..."),
            QStringLiteral("File1=Liste des textes|clic sur un texte pour affichage"),
            QStringLiteral("Dir1=Liste des dossiers|sous-dossiers du dossier principal"),
            QStringLiteral("Combo2=Thème du lexique|lexique thématique"),
            QStringLiteral("Text2=Texte lu : aucun texte|accès lecture uniquement: sélection et copier actifs"),
            QStringLiteral("lexique=Mots du thème|clic sur un mot pour copier"),
        }));
        // Each caption is told to name the control beside it, and keeps no
        // key of its own: no shortcut beyond the Parts'.
        for (QLabel *l : {f.c().Label3, f.c().Label5, f.c().Label6}) {
            const auto nomme = QAccessible::queryAccessibleInterface(l)->relations(QAccessible::Labelled);
            QVERIFY(nomme.size() == 1 && nomme.first().first->object() == l->buddy() && !l->text().contains(u'&'));
        }
    }

    // Each step of a text's life: what the writing zone, the reader pane and
    // the status say, and the mark on disk.
    void lesZonesEtLesIssuesSontDites()
    {
        Fenetre f = ouvrirFenetre(m_classe.dossier());
        Controles &c = f.c();
        apresUnTour(f);
        taper(c.Text1, QStringLiteral("Le loup"));
        QCOMPARE(apresUnTour(f), QString());
        QCOMPARE(lu(c.Text1), QStringLiteral("Zone d'écriture : nouveau texte|zone d'écriture, 7 carac."));

        const QString chemin = m_classe.chemin(QStringLiteral("loup.txt"));
        f.dialogues->fichiers << chemin;
        c.Command2->click();
        QCOMPARE(apresUnTour(f), QStringLiteral("Texte enregistré sous le nom « loup.txt »."));
        QVERIFY(marqueSurDisque(chemin));
        QCOMPARE(lu(c.Text1), QStringLiteral("Zone d'écriture : loup.txt|zone d'écriture, 7 carac."));

        taper(c.Text1, QStringLiteral("!"));
        c.enregistrer->trigger();
        QCOMPARE(apresUnTour(f), QStringLiteral("Texte enregistré."));
        QCOMPARE(m_classe.octets(QStringLiteral("loup.txt")), QByteArray("Le loup!\r\n"));

        c.File1->definirDossier(m_classe.dossier());
        c.File1->setCurrentRow(0);
        QCOMPARE(lu(c.Text2), QStringLiteral("Texte lu : loup.txt|accès lecture uniquement: sélection et copier actifs, 10 carac."));

        // A close and the release it brings are one status.
        for (int fois = 0; fois < 2; ++fois) {
            c.Fermer->trigger();
            QCOMPARE(apresUnTour(f), QStringLiteral("Le texte « loup.txt » est libéré. Texte fermé."));
            QVERIFY(!marqueSurDisque(chemin));
            if (fois == 0) {
                f.dialogues->fichiers << chemin;
                c.ouvrir->trigger();
                apresUnTour(f);
            }
        }
        QCOMPARE(lu(c.Text1), QStringLiteral("Zone d'écriture : aucun texte|zone d'écriture, 0 carac."));
        QCOMPARE(f.dialogues->textes(), QStringList(2, QStringLiteral("Voulez-vous enregistrer le texte?")));
    }

    void leFocusRevientALEcriture()
    {
        Fenetre f = ouvrirFenetre(m_classe.dossier());
        Controles &c = f.c();
        f.form->show();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        const QString chemin = m_classe.ecrire(QStringLiteral("ours.txt"), "L'ours\r\n");
        // Return presses a picture button as Space does.
        c.Command1->setFocus();
        f.dialogues->fichiers << chemin;
        QTest::keyClick(c.Command1, Qt::Key_Return);
        QCOMPARE(c.Text1->texteCrLf() + u'|' + QApplication::focusWidget()->objectName(), QStringLiteral("L'ours\r\n|Text1"));
        QCOMPARE(controleEntoure(), c.Text1);
        // The font chosen from the menu bar: back to writing, not to the bar.
        f.form->menuBar()->setFocus();
        c.police->trigger();
        QCOMPARE(QApplication::focusWidget(), c.Text1);
        c.File1->setFocus();
        QCOMPARE(controleEntoure(), c.File1);
        // A message box gone, the window is active again with the focus it had.
        DialoguesQt vrais(f.form.get());
        QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
        vrais.information(QStringLiteral("Texte protégé!"));
        QCOMPARE(QApplication::activeWindow(), f.form.get());
        QCOMPARE(QApplication::focusWidget(), c.File1);
    }
};

QTEST_MAIN(TestAccessibilite)
#include "test_accessibilite.moc"
