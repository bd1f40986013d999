#include "app/demarrage.h"
#include "ui/apropos.h"
#include "ui/geometrie.h"
#include "ui/twips.h"
#include "ui/version.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs afficherAPropos() and, from inside its modal loop, hands the box to
// `pendant`, then `fermer` closes it. A watchdog ends a box left open so that
// a fault fails the test instead of hanging it.
QPointer<QDialog> afficherPuis(const std::function<void(QDialog *)> &pendant,
                               const std::function<void(QDialog *)> &fermer, QWidget *parent = nullptr)
{
    QPointer<QDialog> vue;
    QTimer::singleShot(0, [&] {
        vue = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!vue)
            return;
        pendant(vue);
        if (vue)
            fermer(vue);
    });
    QTimer garde;
    garde.setSingleShot(true);
    QObject::connect(&garde, &QTimer::timeout, [] {
        if (QWidget *w = QApplication::activeModalWidget())
            w->close();
    });
    garde.start(5000);
    afficherAPropos(parent);
    return vue;
}

void cliquerOK(QDialog *d)
{
    if (auto *ok = d->findChild<QPushButton *>(QStringLiteral("OKButton")))
        QTest::mouseClick(ok, Qt::LeftButton);
}

template <typename W>
W *controle(QDialog *d, const char *nom)
{
    return d ? d->findChild<W *>(QLatin1String(nom)) : nullptr;
}

} // namespace

class TestAPropos : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { preparerApplication(*qApp); }

    void texteVersion_data()
    {
        QTest::addColumn<int>("majeure");
        QTest::addColumn<int>("mineure");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("texte");
        QTest::newRow("programme") << 1 << 0 << 4 << "1.00.0004";
        QTest::newRow("mineure 5, revision 12") << 1 << 5 << 12 << "1.05.0012";
        QTest::newRow("zeros") << 0 << 0 << 0 << "0.00.0000";
        QTest::newRow("pleines largeurs") << 12 << 34 << 5678 << "12.34.5678";
        QTest::newRow("mineure trop longue") << 2 << 123 << 7 << "2.123.0007";
        QTest::newRow("revision trop longue") << 3 << 1 << 123456 << "3.01.123456";
    }
    void texteVersion()
    {
        QFETCH(int, majeure);
        QFETCH(int, mineure);
        QFETCH(int, revision);
        QFETCH(QString, texte);
        QCOMPARE(::texteVersion(majeure, mineure, revision), texte);
    }

    void conditions()
    {
        const QString texte = conditionsUtilisation();
        QVERIFY(!texte.endsWith(QLatin1String("\r\n")));
        const QStringList lignes = texte.split(QStringLiteral("\r\n"));
        QCOMPARE(lignes.size(), 40);
        for (const QString &ligne : lignes) {
            QVERIFY2(ligne.size() <= 70, qPrintable(ligne));
            QVERIFY2(!ligne.contains(u'\r') && !ligne.contains(u'\n'), qPrintable(ligne));
        }
        QVERIFY(texte.contains(QLatin1String("Plumor")));
        QVERIFY(texte.contains(u'©'));
        QVERIFY2(qAbs(texte.size() - 1542) <= 300, qPrintable(QString::number(texte.size())));
    }

    // Each control's place (twips, in its container) and look.
    void controles_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("conteneur");
        QTest::addColumn<QRect>("place");
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QColor>("couleur");
        const QColor bleu(0, 0, 255), gris(64, 64, 64);
        QTest::newRow("Frame1") << "Frame1" << "apropos" << QRect(0, -75, 4155, 3045) << QString() << QColor();
        QTest::newRow("Label2") << "Label2" << "Frame1" << QRect(120, 120, 3975, 285) << "Plumor" << bleu;
        QTest::newRow("Label3") << "Label3" << "Frame1" << QRect(165, 960, 3735, 285)
                                << "fonctionne en réseau Windows 95-98" << bleu;
        QTest::newRow("version") << "version" << "Frame1" << QRect(120, 1185, 3975, 210) << "1.00.0004" << gris;
        QTest::newRow("Text1") << "Text1" << "Frame1" << QRect(90, 1410, 4005, 1095) << QString() << QColor();
        QTest::newRow("OKButton") << "OKButton" << "apropos" << QRect(2865, 2505, 1215, 375) << "OK" << QColor();
    }
    void controles()
    {
        QFETCH(QString, nom);
        QFETCH(QString, conteneur);
        QFETCH(QRect, place);
        QFETCH(QString, texte);
        QFETCH(QColor, couleur);
        apropos boite;
        auto *w = boite.findChild<QWidget *>(nom);
        QVERIFY(w);
        QCOMPARE(w->parentWidget()->objectName(), conteneur);
        QCOMPARE(w->geometry(), twips::rect(place.x(), place.y(), place.width(), place.height()));
        if (auto *b = qobject_cast<QPushButton *>(w))
            QCOMPARE(b->text(), texte);
        if (auto *l = qobject_cast<QLabel *>(w)) {
            QCOMPARE(l->text(), texte);
            QCOMPARE(l->palette().color(QPalette::WindowText), couleur);
            QCOMPARE(l->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
            QCOMPARE(l->textFormat(), Qt::PlainText);
        }
    }

    // Shown for real: modal, centred, focus on OK, terms readable but locked.
    void boiteModale()
    {
        QString titre, focus, texte, apresFrappe;
        QSize client;
        QPoint coin, attendu;
        bool modale = false, okDevant = false, lectureSeule = false, defilable = false;
        afficherPuis(
            [&](QDialog *d) {
                titre = d->windowTitle();
                client = d->size();
                coin = d->pos();
                modale = d->isModal();
                if (QWidget *f = d->focusWidget())
                    focus = f->objectName();
                // The frame is unknown before the box is first shown, so it is
                // centred on its client size, like the main window.
                const QRect e = d->screen()->geometry();
                attendu = e.topLeft()
                          + QPoint(twips::versPixels(geometrie::centrer(e.width() * 15, client.width() * 15)),
                                   twips::versPixels(geometrie::centrer(e.height() * 15, client.height() * 15)));
                auto *ok = controle<QPushButton>(d, "OKButton");
                okDevant = ok && d->childAt(ok->geometry().center()) == ok;
                auto *t = controle<QPlainTextEdit>(d, "Text1");
                if (!t)
                    return;
                texte = t->toPlainText();
                lectureSeule = t->isReadOnly() && t->textInteractionFlags().testFlag(Qt::TextSelectableByMouse)
                               && t->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
                defilable = t->verticalScrollBar()->maximum() > 0;
                t->setFocus();
                QTest::keyClicks(t, QStringLiteral("xyz"));
                QTest::keyClick(t, Qt::Key_Backspace);
                apresFrappe = t->toPlainText();
            },
            cliquerOK);
        QCOMPARE(titre, QStringLiteral("B"));
        QCOMPARE(client, twips::taille(4200, 3015));
        QVERIFY(modale);
        QCOMPARE(focus, QStringLiteral("OKButton"));
        QVERIFY(okDevant);
        QCOMPARE(coin, attendu);
        QCOMPARE(texte.split(u'\n'), conditionsUtilisation().split(QStringLiteral("\r\n")));
        QVERIFY(lectureSeule);
        QVERIFY(defilable);
        QCOMPARE(apresFrappe, texte);
    }

    // OK and the close box both end the box, and the showing call returns
    // only once it is destroyed; the next opening builds a fresh one.
    void fermeture_data()
    {
        QTest::addColumn<bool>("parOK");
        QTest::newRow("OK") << true;
        QTest::newRow("case de fermeture") << false;
    }
    void fermeture()
    {
        QFETCH(bool, parOK);
        QWidget principale;
        principale.show();
        const auto fermer = [parOK](QDialog *d) { parOK ? cliquerOK(d) : void(d->close()); };
        for (int fois = 0; fois < 2; ++fois) {
            QWidget *parent = nullptr;
            QString version;
            const QPointer<QDialog> vue = afficherPuis(
                [&](QDialog *d) {
                    parent = d->parentWidget();
                    if (auto *l = controle<QLabel>(d, "version"))
                        version = l->text();
                },
                fermer, &principale);
            QCOMPARE(parent, &principale);
            QCOMPARE(version, texteVersionProgramme());
            QVERIFY(vue.isNull());
            QVERIFY(!QApplication::activeModalWidget());
            QVERIFY(principale.findChildren<QDialog *>().isEmpty());
        }
    }
};

QTEST_MAIN(TestAPropos)
#include "test_apropos.moc"
