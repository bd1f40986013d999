#include "fenetre.h"
#include "gui/edit/commandes_edition.h"
#include "gui/edit/menu_lecture.h"
#include "gui/widgets/zone_texte.h"

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QtTest>

namespace {

void selectionner(ZoneTexte *zone, int debut, int fin)
{
    QTextCursor c = zone->textCursor();
    c.setPosition(debut);
    c.setPosition(fin, QTextCursor::KeepAnchor);
    zone->setTextCursor(c);
}

QString pressePapiers() { return QGuiApplication::clipboard()->text(); }

} // namespace

class TestEdition : public QObject
{
    Q_OBJECT
    Classe m_classe;
    Fenetre f = ouvrirFenetre(m_classe.dossier());
    ZoneTexte *Text1 = f.c().Text1, *Text2 = f.c().Text2;

private slots:
    void init()
    {
        Text1->definirTexteCrLf(QStringLiteral("Le chat\r\ndort."));
        Text2->definirTexteCrLf(QStringLiteral("Texte lu\r\nici"));
        selectionner(Text2, 6, 12); // "lu\nici"
        f.etat().zone_active = 1;
    }

    // One rule for the buttons at each tick and for the items as the menu opens.
    void regles()
    {
        // Active pane, Text1's selection 0..fin1, an image on the clipboard:
        // which of couper, copier, coller are enabled.
        const struct { int zone, fin1; bool image; const char *actifs; } cas[] = {
            {1, 0, false, "001"}, {1, 2, true, "110"}, {2, 2, false, "010"}};
        for (const auto &k : cas) {
            selectionner(Text1, 0, k.fin1);
            auto *donnees = new QMimeData;
            k.image ? donnees->setData(QStringLiteral("image/png"), "\x89PNG") : donnees->setText(QStringLiteral("x"));
            QGuiApplication::clipboard()->setMimeData(donnees);
            f.etat().zone_active = qint16(k.zone);
            f.form->edition().majBoutons();
            emit f.c().Edition->aboutToShow();
            // Buttons then menu items; each row's expected string names the row.
            QString vu;
            for (const QPushButton *b : {f.c().couper, f.c().copier, f.c().coller})
                vu += QChar(u'0' + b->isEnabled());
            for (const QAction *a : f.c().Edititem)
                vu += QChar(u'0' + a->isEnabled());
            QCOMPARE(vu, QString::fromLatin1(k.actifs).repeated(2));
        }
    }

    void couperCopierColler()
    {
        CommandesEdition &e = f.form->edition();
        // The clipboard gets LF breaks, and the text comes back unchanged.
        selectionner(Text1, 3, 12);
        e.couper_Click();
        QCOMPARE(Text1->texteCrLf(), QStringLiteral("Le ."));
        QCOMPARE(pressePapiers(), QStringLiteral("chat\ndort"));
        e.Edititem_Click(2);
        QVERIFY(Text1->texteCrLf() == QStringLiteral("Le chat\r\ndort.") && !f.c().enregistrer->isEnabled());
        // The reader pane only copies; the paste button pastes into the
        // writing zone and enables the file items at once.
        f.etat().zone_active = 2;
        e.Edititem_Click(0);
        e.copier_Click();
        QCOMPARE(pressePapiers(), QStringLiteral("lu\nici"));
        selectionner(Text1, 3, 7);
        e.coller_Click();
        QCOMPARE(Text1->texteCrLf(), QStringLiteral("Le lu\r\nici\r\ndort."));
        QVERIFY(f.c().enregistrer->isEnabled() && f.c().Imprimer->isEnabled());
        // A stale button must not delete the selection when there is no text to paste.
        auto *image = new QMimeData;
        image->setData(QStringLiteral("image/png"), "\x89PNG");
        QGuiApplication::clipboard()->setMimeData(image);
        selectionner(Text1, 0, 2);
        e.coller_Click();
        QCOMPARE(Text1->texteSelectionne(), QStringLiteral("Le"));
        // A click into the writing zone makes it the active pane and counts as writing.
        f.etat().ecriture_en_cours = 0;
        QTest::mousePress(Text1->viewport(), Qt::RightButton);
        QVERIFY(f.etat().zone_active == 1 && f.etat().ecriture_en_cours == 1);
    }

    void police()
    {
        // Apply shows a trial font; Cancel puts back what the panes had.
        f.dialogues->appliquees << QFont(QStringLiteral("DejaVu Serif"), 20);
        f.dialogues->polices << std::nullopt << QFont(QStringLiteral("DejaVu Serif"), 14, QFont::Bold, true);
        f.c().police->trigger();
        QCOMPARE(Text2->font().pointSizeF(), 11.25);
        // OK sets face and size on both panes; bold and italic are ignored.
        f.c().police->trigger();
        for (const ZoneTexte *zone : {Text1, Text2})
            QVERIFY(zone->font().family() == u"DejaVu Serif" && zone->font().pointSizeF() == 14.0 && !zone->font().bold()
                    && !zone->font().italic());
    }

    void leLecteurNeChangeJamais()
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("collé"));
        for (const char *touches : {"Ctrl+V", "Shift+Ins", "Ctrl+X", "Shift+Del", "Backspace", "A"})
            QTest::keySequence(Text2, QKeySequence::fromString(QLatin1String(touches)));
        QMimeData donnees;
        donnees.setText(QStringLiteral("déposé"));
        QDropEvent depot(QPointF(5, 5), Qt::CopyAction, &donnees, Qt::LeftButton, {});
        QCoreApplication::sendEvent(Text2->viewport(), &depot);
        QCOMPARE(Text2->texteCrLf() + pressePapiers(), QStringLiteral("Texte lu\r\nicicollé"));
        // Its own menu: only "Copier" and "Tout sélectionner".
        std::unique_ptr<QMenu> menu(creerMenuLecture(Text2, nullptr));
        QList<QAction *> actions = menu->actions();
        actions.removeIf([](const QAction *a) { return a->isSeparator(); });
        QCOMPARE(QString::number(actions.size()) + actions[1]->text(), QStringLiteral("2Tout sélectionner"));
        actions[0]->trigger();
        QCOMPARE(pressePapiers(), QStringLiteral("lu\nici"));
    }
};

QTEST_MAIN(TestEdition)
#include "test_edition.moc"
