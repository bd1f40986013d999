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
const QString texte1 = QStringLiteral("Le chat\r\ndort."); // "chat\ndort" is 3..12
const QString texte2 = QStringLiteral("Texte lu\r\nici");  // "lu\nici" is 6..12

void remplirPressePapiers(const QString &contenu)
{
    QClipboard *pp = QGuiApplication::clipboard();
    if (contenu == image) {
        auto *donnees = new QMimeData;
        donnees->setData(QStringLiteral("image/png"), QByteArray("\x89PNG", 4));
        pp->setMimeData(donnees);
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
        QTest::newRow("writing, nothing") << 1 << false << true << "" << "000";
        QTest::newRow("writing, selection and text") << 1 << true << false << "x" << "111";
        QTest::newRow("writing, image only") << 1 << false << false << image << "000";
        QTest::newRow("reader, selection") << 2 << false << true << "x" << "010";
        QTest::newRow("reader, writer's selection ignored") << 2 << true << false << "x" << "000";
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

    void commandes_data()
    {
        QTest::addColumn<QString>("commande"); // a button, or an Edititem index
        QTest::addColumn<int>("zone");
        QTest::addColumn<QString>("avant");  // clipboard before
        QTest::addColumn<QString>("apres1"); // Text1 after
        QTest::addColumn<QString>("apres");  // clipboard after
        QTest::addColumn<bool>("fichier");   // the four file items enabled at once
        const QString coupe = QStringLiteral("Le ."), chien = QStringLiteral("Le chien\r\ndort.");
        QTest::newRow("couper") << "couper" << 1 << "x" << coupe << "chat\ndort" << false;
        QTest::newRow("copier, reader active") << "copier" << 2 << "x" << texte1 << "lu\nici" << false;
        QTest::newRow("Couper item, reader active") << "0" << 2 << "x" << texte1 << "x" << false;
        QTest::newRow("Copier item, reader active") << "1" << 2 << "x" << texte1 << "lu\nici" << false;
        QTest::newRow("Coller item") << "2" << 1 << "chien" << chien << "chien" << false;
        QTest::newRow("coller, reader active") << "coller" << 2 << "chien" << chien << "chien" << true;
        // A stale button must not delete the selection.
        QTest::newRow("coller, image only") << "coller" << 1 << image << texte1 << "" << false;
    }
    void commandes()
    {
        QFETCH(QString, commande);
        QFETCH(int, zone);
        QFETCH(QString, avant);
        QFETCH(QString, apres1);
        QFETCH(QString, apres);
        QFETCH(bool, fichier);
        Banc b;
        selectionner(b.Text1, 3, commande == u"2" || commande == u"coller" ? 7 : 12);
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
        for (QAction *item : {b.f.c().Fermer, b.f.c().Imprimer, b.f.c().enregistrer, b.f.c().enregistrer_sous})
            QCOMPARE(item->isEnabled(), fichier);
    }

    // The clipboard gets LF breaks, and the text comes back unchanged.
    void couperPuisColler()
    {
        Banc b;
        const QString texte = QString::fromUtf16(u"«\u00A0oui\u00A0»\r\n\r\n€ œuvre");
        b.Text1->definirTexteCrLf(texte);
        b.Text1->selectAll();
        b.edition.couper_Click();
        QCOMPARE(pressePapiers(), QString::fromUtf16(u"«\u00A0oui\u00A0»\n\n€ œuvre"));
        b.edition.coller_Click();
        QCOMPARE(b.Text1->texteCrLf(), texte);
        // A click into the writing zone makes it the active pane and counts as writing.
        b.f.etat().zone_active = 2;
        b.f.etat().ecriture_en_cours = 0;
        QTest::mousePress(b.Text1->viewport(), Qt::RightButton);
        QCOMPARE(b.f.etat().zone_active, qint16(1));
        QCOMPARE(b.f.etat().ecriture_en_cours, qint16(1));
    }

    void police()
    {
        Banc b;
        // Apply shows a trial font; Cancel puts back what the panes had.
        b.f.dialogues->appliquees << QFont(QStringLiteral("DejaVu Serif"), 20);
        b.f.dialogues->polices << std::nullopt << QFont(QStringLiteral("DejaVu Serif"), 14, QFont::Bold, true);
        b.f.c().police->trigger();
        QCOMPARE(b.Text2->font().pointSizeF(), 11.25);
        // OK sets face and size on both panes; bold and italic are ignored.
        b.f.c().police->trigger();
        for (const ZoneTexte *zone : {b.Text1, b.Text2}) {
            QCOMPARE(zone->font().family(), QStringLiteral("DejaVu Serif"));
            QCOMPARE(zone->font().pointSizeF(), 14.0);
            QVERIFY(!zone->font().bold() && !zone->font().italic());
        }
    }

    void leLecteurNeChangeJamais()
    {
        Banc b;
        b.Text2->selectAll();
        remplirPressePapiers(QStringLiteral("collé"));
        for (const char *touches : {"Ctrl+V", "Shift+Ins", "Ctrl+X", "Shift+Del", "Backspace", "A"})
            QTest::keySequence(b.Text2, QKeySequence::fromString(QLatin1String(touches)));
        QMimeData donnees;
        donnees.setText(QStringLiteral("déposé"));
        QDropEvent depot(QPointF(5, 5), Qt::CopyAction, &donnees, Qt::LeftButton, {});
        QCoreApplication::sendEvent(b.Text2->viewport(), &depot);
        QCOMPARE(b.Text2->texteCrLf(), texte2);
        QCOMPARE(pressePapiers(), QStringLiteral("collé"));

        // Its own menu: only "Copier" and "Tout sélectionner".
        QCOMPARE(b.Text2->contextMenuPolicy(), Qt::CustomContextMenu);
        selectionner(b.Text2, 6, 12);
        std::unique_ptr<QMenu> menu(creerMenuLecture(b.Text2, nullptr));
        QList<QAction *> actions = menu->actions();
        actions.removeIf([](const QAction *a) { return a->isSeparator(); });
        QCOMPARE(actions.size(), 2);
        QCOMPARE(actions[1]->text(), QStringLiteral("Tout sélectionner"));
        actions[0]->trigger();
        QCOMPARE(pressePapiers(), QStringLiteral("lu\nici"));
    }
};

QTEST_MAIN(TestEdition)
#include "test_edition.moc"
