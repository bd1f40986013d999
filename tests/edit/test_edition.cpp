#include "fenetre.h"
#include "edit/commandes_edition.h"
#include "edit/menu_lecture.h"
#include "ui/zone_texte.h"

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QtTest>

namespace {

const QString image = QStringLiteral("<image>"); // non-text data only

void remplirPressePapiers(const QString &contenu)
{
    QClipboard *pp = QGuiApplication::clipboard();
    if (contenu == image) {
        auto *donnees = new QMimeData;
        donnees->setData(QStringLiteral("image/png"), QByteArray("\x89PNG", 4));
        pp->setMimeData(donnees);
    } else if (contenu.isEmpty()) {
        pp->clear();
    } else {
        pp->setText(contenu);
    }
}

QString pressePapiers() { return QGuiApplication::clipboard()->text(); }

void selectionner(ZoneTexte *zone, int debut, int fin)
{
    QTextCursor c = zone->textCursor();
    c.setPosition(debut);
    c.setPosition(fin, QTextCursor::KeepAnchor);
    zone->setTextCursor(c);
}

const QString texte1 = QStringLiteral("Le chat\r\ndort."); // "chat\ndort" is 3..12
const QString texte2 = QStringLiteral("Texte lu\r\nici");  // "lu\nici" is 6..12

// A window on a temporary class folder.
struct Banc {
    Classe classe;
    Fenetre f = ouvrirFenetre(classe.dossier());
    CommandesEdition &edition = f.form->edition();
    ZoneTexte *Text1 = f.c().Text1;
    ZoneTexte *Text2 = f.c().Text2;
    Banc()
    {
        Text1->definirTexteCrLf(texte1);
        Text2->definirTexteCrLf(texte2);
    }
};

} // namespace

class TestEdition : public QObject
{
    Q_OBJECT

private slots:
    void regles_data()
    {
        QTest::addColumn<int>("zone");
        QTest::addColumn<bool>("sel1");
        QTest::addColumn<bool>("sel2");
        QTest::addColumn<QString>("presse");
        QTest::addColumn<QString>("actifs"); // couper, copier, coller

        QTest::newRow("writing, nothing") << 1 << false << false << "" << "000";
        QTest::newRow("writing, selection") << 1 << true << false << "" << "110";
        QTest::newRow("writing, clipboard text") << 1 << false << false << "x" << "001";
        QTest::newRow("writing, both") << 1 << true << true << "x" << "111";
        QTest::newRow("writing, reader's selection ignored") << 1 << false << true << "" << "000";
        QTest::newRow("writing, image only") << 1 << false << false << image << "000";
        QTest::newRow("reader, selection") << 2 << false << true << "x" << "010";
        QTest::newRow("reader, writer's selection ignored") << 2 << true << false << "x" << "000";
        QTest::newRow("reader, both selections") << 2 << true << true << "x" << "010";
    }

    // One rule for the buttons at each tick and for the items as the menu opens.
    void regles()
    {
        QFETCH(int, zone);
        QFETCH(bool, sel1);
        QFETCH(bool, sel2);
        QFETCH(QString, presse);
        QFETCH(QString, actifs);

        Banc b;
        Controles &c = b.f.c();
        selectionner(b.Text1, 0, sel1 ? 2 : 0);
        selectionner(b.Text2, 0, sel2 ? 5 : 0);
        remplirPressePapiers(presse);
        b.f.etat().zone_active = qint16(zone);
        b.edition.majBoutons();
        emit c.Edition->aboutToShow();
        const QPushButton *boutons[] = {c.couper, c.copier, c.coller};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(boutons[i]->isEnabled(), actifs[i] == u'1');
            QCOMPARE(c.Edititem[size_t(i)]->isEnabled(), actifs[i] == u'1');
        }
    }

    void presse_papiers_lu_au_depart()
    {
        Classe classe;
        Fenetre f = ouvrirFenetre(classe.dossier());
        remplirPressePapiers(QStringLiteral("déjà là"));
        CommandesEdition e(f.etat(), f.c(), *f.dialogues);
        e.majBoutons();
        QVERIFY(f.c().coller->isEnabled());
    }

    void commandes_data()
    {
        QTest::addColumn<QString>("commande"); // a button, or an Edititem index
        QTest::addColumn<int>("zone");
        QTest::addColumn<int>("debut1");
        QTest::addColumn<int>("fin1");
        QTest::addColumn<QString>("avant");  // clipboard before
        QTest::addColumn<QString>("apres1"); // Text1 after
        QTest::addColumn<QString>("apres");  // clipboard text after
        QTest::addColumn<bool>("fichier");   // Fermer, Imprimer, ... enabled at once

        const QString coupe = QStringLiteral("Le .");
        const QString lf = QStringLiteral("chat\ndort");
        const QString chien = QStringLiteral("Le chien\r\ndort.");
        QTest::newRow("couper") << "couper" << 1 << 3 << 12 << "x" << coupe << lf << false;
        QTest::newRow("couper, reader active") << "couper" << 2 << 3 << 12 << "x" << coupe << lf << false;
        QTest::newRow("couper over an image") << "couper" << 1 << 3 << 12 << image << coupe << lf << false;
        QTest::newRow("copier") << "copier" << 1 << 3 << 12 << "x" << texte1 << lf << false;
        QTest::newRow("copier, reader active") << "copier" << 2 << 3 << 12 << "x" << texte1 << "lu\nici" << false;
        QTest::newRow("copier, no selection") << "copier" << 1 << 3 << 3 << "x" << texte1 << "" << false;
        QTest::newRow("Couper item") << "0" << 1 << 3 << 12 << "x" << coupe << lf << false;
        QTest::newRow("Couper item, reader active") << "0" << 2 << 3 << 12 << "x" << texte1 << "x" << false;
        QTest::newRow("Copier item, reader active") << "1" << 2 << 0 << 2 << "x" << texte1 << "lu\nici" << false;
        QTest::newRow("Coller item") << "2" << 1 << 3 << 7 << "chien" << chien << "chien" << false;
        QTest::newRow("Coller item, reader active") << "2" << 2 << 3 << 7 << "chien" << texte1 << "chien" << false;
        QTest::newRow("Coller item, no text") << "2" << 1 << 3 << 7 << "" << texte1 << "" << false;
        QTest::newRow("coller") << "coller" << 1 << 3 << 7 << "chien" << chien << "chien" << true;
        QTest::newRow("coller, reader active") << "coller" << 2 << 3 << 7 << "chien" << chien << "chien" << true;
        QTest::newRow("coller at the caret")
            << "coller" << 1 << 2 << 2 << " gros" << "Le gros chat\r\ndort." << " gros" << true;
        QTest::newRow("coller line breaks")
            << "coller" << 1 << 0 << 0 << "a\r\nb\n" << "a\r\nb\r\nLe chat\r\ndort." << "a\r\nb\n" << true;
        // A stale button must not delete the selection.
        QTest::newRow("coller, no text") << "coller" << 1 << 3 << 7 << "" << texte1 << "" << false;
        QTest::newRow("coller, image only") << "coller" << 1 << 3 << 7 << image << texte1 << "" << false;
    }

    void commandes()
    {
        QFETCH(QString, commande);
        QFETCH(int, zone);
        QFETCH(int, debut1);
        QFETCH(int, fin1);
        QFETCH(QString, avant);
        QFETCH(QString, apres1);
        QFETCH(QString, apres);
        QFETCH(bool, fichier);

        Banc b;
        Controles &c = b.f.c();
        selectionner(b.Text1, debut1, fin1);
        selectionner(b.Text2, 6, 12);
        remplirPressePapiers(avant);
        b.f.etat().zone_active = qint16(zone);
        if (commande == u"couper")
            b.edition.couper_Click();
        else if (commande == u"copier")
            b.edition.copier_Click();
        else if (commande == u"coller")
            b.edition.coller_Click();
        else
            b.edition.Edititem_Click(qint16(commande.toInt()));

        QCOMPARE(b.Text1->texteCrLf(), apres1);
        QCOMPARE(pressePapiers(), apres);
        QCOMPARE(b.Text2->texteCrLf(), texte2);
        if (apres1 == texte1)
            QCOMPARE(b.Text1->longueurSelection(), fin1 - debut1);
        for (QAction *item : {c.Fermer, c.Imprimer, c.enregistrer, c.enregistrer_sous})
            QCOMPARE(item->isEnabled(), fichier);
    }

    void couper_puis_coller_data()
    {
        QTest::addColumn<QString>("texte");
        QTest::addColumn<int>("debut"); // to the end
        QTest::newRow("across lines") << QStringLiteral("un\r\ndeux\r\ntrois") << 1;
        QTest::newRow("empty lines") << QStringLiteral("\r\na\r\n\r\nb\r\n") << 0;
        QTest::newRow("no-break space, œ, €")
            << QString::fromUtf16(u"«\u00A0oui\u00A0»\r\n€ œuvre") << 0;
    }

    // The clipboard gets LF breaks, and the text comes back unchanged.
    void couper_puis_coller()
    {
        QFETCH(QString, texte);
        QFETCH(int, debut);

        Banc b;
        b.Text1->definirTexteCrLf(texte);
        selectionner(b.Text1, debut, b.Text1->document()->characterCount() - 1);
        b.edition.couper_Click();
        QVERIFY(!pressePapiers().contains(u'\r'));
        b.edition.coller_Click();
        QCOMPARE(b.Text1->texteCrLf(), texte);
    }

    void Text1_Click_data()
    {
        QTest::addColumn<QString>("geste");
        QTest::addColumn<int>("zone");
        QTest::newRow("left button") << "gauche" << 1;
        QTest::newRow("right button") << "droit" << 1;
        QTest::newRow("focus by keyboard") << "focus" << 2;
    }

    void Text1_Click()
    {
        QFETCH(QString, geste);
        QFETCH(int, zone);

        Banc b;
        b.f.etat().zone_active = 2;
        b.f.etat().ecriture_en_cours = 0;
        if (geste == u"focus") {
            QFocusEvent entree(QEvent::FocusIn, Qt::TabFocusReason);
            QCoreApplication::sendEvent(b.Text1, &entree);
        } else {
            QTest::mousePress(b.Text1->viewport(), geste == u"gauche" ? Qt::LeftButton : Qt::RightButton);
        }
        QCOMPARE(b.f.etat().zone_active, zone);
        QCOMPARE(b.f.etat().ecriture_en_cours, zone == 1 ? 1 : 0);
    }

    void police_data()
    {
        QTest::addColumn<std::optional<QFont>>("choix");
        QTest::addColumn<QString>("famille");
        QTest::addColumn<double>("points");

        QFont decimale(QStringLiteral("DejaVu Sans"));
        decimale.setPointSizeF(10.5);
        QTest::newRow("OK, bold italic ignored")
            << std::optional<QFont>(QFont(QStringLiteral("DejaVu Serif"), 14, QFont::Bold, true))
            << "DejaVu Serif" << 14.0;
        QTest::newRow("OK, fractional size") << std::optional<QFont>(decimale) << "DejaVu Sans" << 10.5;
        QTest::newRow("Cancel") << std::optional<QFont>() << "Comic Sans MS" << 11.25;
        QTest::newRow("Apply then Cancel puts the panes back") << std::optional<QFont>() << "Comic Sans MS" << 11.25;
        QTest::newRow("Apply then OK") << std::optional<QFont>(decimale) << "DejaVu Sans" << 10.5;
    }

    void police()
    {
        QFETCH(std::optional<QFont>, choix);
        QFETCH(QString, famille);
        QFETCH(double, points);

        Banc b;
        b.f.dialogues->polices << choix;
        if (QByteArray(QTest::currentDataTag()).startsWith("Apply"))
            b.f.dialogues->appliquees << QFont(QStringLiteral("DejaVu Serif"), 20);
        b.f.c().police->trigger();
        for (const ZoneTexte *zone : {b.Text1, b.Text2}) {
            QCOMPARE(zone->font().family(), famille);
            QCOMPARE(zone->font().pointSizeF(), points);
            QVERIFY(!zone->font().bold() && !zone->font().italic());
        }
    }

    void Text2_refuse_data()
    {
        QTest::addColumn<QString>("geste"); // keys, or "drop"
        for (const char *touches :
             {"Ctrl+V", "Shift+Ins", "Ctrl+X", "Shift+Del", "Del", "Backspace", "Ctrl+Z", "A"})
            QTest::newRow(touches) << touches;
        QTest::newRow("drag and drop") << "drop";
    }

    void Text2_refuse()
    {
        QFETCH(QString, geste);

        Banc b;
        b.Text2->selectAll();
        remplirPressePapiers(QStringLiteral("collé"));
        if (geste == u"drop") {
            QMimeData donnees;
            donnees.setText(QStringLiteral("déposé"));
            QDragEnterEvent entree(QPoint(5, 5), Qt::CopyAction, &donnees, Qt::LeftButton, {});
            QCoreApplication::sendEvent(b.Text2->viewport(), &entree);
            QDropEvent depot(QPointF(5, 5), Qt::CopyAction, &donnees, Qt::LeftButton, {});
            QCoreApplication::sendEvent(b.Text2->viewport(), &depot);
        } else {
            QTest::keySequence(b.Text2, QKeySequence::fromString(geste));
        }
        QCOMPARE(b.Text2->texteCrLf(), texte2);
        QCOMPARE(pressePapiers(), QStringLiteral("collé"));
    }

    void menu_Text2_data()
    {
        QTest::addColumn<int>("fin"); // the selection is 0..fin
        QTest::newRow("selection") << 12;
        QTest::newRow("no selection") << 0;
    }

    void menu_Text2()
    {
        QFETCH(int, fin);

        Banc b;
        QCOMPARE(b.Text2->contextMenuPolicy(), Qt::CustomContextMenu);
        selectionner(b.Text2, 0, fin);
        remplirPressePapiers(QStringLiteral("avant"));
        std::unique_ptr<QMenu> menu(creerMenuLecture(b.Text2, nullptr));
        QList<QAction *> actions = menu->actions();
        actions.removeIf([](const QAction *a) { return a->isSeparator(); });
        QCOMPARE(actions.size(), 2);
        QCOMPARE(actions[0]->text(), QStringLiteral("Copier"));
        QCOMPARE(actions[1]->text(), QStringLiteral("Tout sélectionner"));

        QCOMPARE(actions[0]->isEnabled(), fin > 0);
        actions[0]->trigger();
        QCOMPARE(pressePapiers(), fin > 0 ? QStringLiteral("Texte lu\nici") : QStringLiteral("avant"));
        actions[1]->trigger();
        QCOMPARE(b.Text2->texteSelectionne(), texte2);
        QCOMPARE(b.Text2->texteCrLf(), texte2);
    }
};

QTEST_MAIN(TestEdition)
#include "test_edition.moc"
