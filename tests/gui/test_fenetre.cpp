// The main window and the about box as a pupil first sees them, the layout
// on resize, what the writing zone lets in, and where a keyboard user's focus
// goes and shows. What a screen reader is told: lecteur_ecran.py.
#include "fenetre.h"
#include "partage_capricieux.h"

#include "app/demarrage.h"
#include "gui/apropos.h"
#include "gui/fenetre/disposition.h"
#include "gui/widgets/geometrie.h"
#include "gui/version.h"
#include "gui/widgets/dialogue_textes.h"
#include "gui/widgets/dialogues.h"
#include "gui/widgets/focus_visible.h"
#include "gui/widgets/liste_fichiers.h"
#include "gui/widgets/zone_texte.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QSet>
#include <QTranslator>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;


namespace {

// The layout's figures in a fixed order, so that a failure shows them all.
QList<int> champs(const disposition::Disposition &d)
{
    return {d.largeurFenetre, d.hauteurFenetre, d.gauche_Frame3, d.hauteur_Frame3, d.hauteur_Text2,
            d.haut_nom_texte2, d.hauteur_Text1, d.largeur_Text1, d.haut_Label4};
}

// Runs `ouvrir`, which shows a modal box, and closes the box from inside its
// loop; returns what `lire` saw of it.
QString dansLaBoiteModale(const std::function<void()> &ouvrir, const std::function<QString(QWidget *)> &lire)
{
    QString vu = QStringLiteral("<aucune boîte>");
    QTimer::singleShot(0, [&] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            vu = lire(w);
            w->close();
        }
    });
    ouvrir();
    return vu;
}

class SansTraduction : public QTranslator
{
public:
    SansTraduction(QSet<QString> &sources, QObject *parent) : QTranslator(parent), m_sources(sources) {}
    bool isEmpty() const override { return false; }
    QString translate(const char *, const char *source, const char *, int) const override
    {
        if (source && *source)
            m_sources.insert(QString::fromUtf8(source));
        return {};
    }

private:
    QSet<QString> &m_sources;
};

} // namespace

class TestFenetre : public QObject
{
    Q_OBJECT
private:
    Classe m_classe;
    QSet<QString> m_sansTraduction;

private slots:
    void initTestCase()
    {
        // Installed first, so asked last: it hears only what no catalogue knew.
        qApp->installTranslator(new SansTraduction(m_sansTraduction, qApp));
        preparerApplication(*qApp);
    }

    void auDemarrage()
    {
        Fenetre f = ouvrirFenetre(m_classe.dossier());
        QCOMPARE(f.form->windowTitle() + f.c().Label5->text(), QStringLiteral("btextes existants:"));
        QVERIFY(f.c().Text1->estVide() && f.c().Text2->estVide() && f.c().Text2->isReadOnly() && f.c().lexique->isHidden());
        QVERIFY(!f.c().couper->isEnabled() && !f.c().copier->isEnabled() && !f.c().coller->isEnabled());
        QVERIFY(f.etat().nb_themes == f.c().Combo2->count() && f.etat().nb_themes >= 20);
        // No theme before the pupil chooses one.
        QVERIFY(f.c().Combo2->currentIndex() == -1 && f.dialogues->messages.isEmpty());
        QStringList menus;
        for (QAction *a : f.form->menuBar()->actions()) {
            QString ligne = a->text() + u'=' + (a->menu() ? a->menu()->objectName() : a->objectName());
            for (QAction *i : a->menu() ? a->menu()->actions() : QList<QAction *>())
                ligne += u' ' + (i->isSeparator() ? QStringLiteral("-") : i->text()) + u'/' + i->objectName()
                         + (i->isEnabled() ? QString() : QStringLiteral("(inactif)"));
            menus << ligne;
        }
        QCOMPARE(menus, (QStringList{
            QStringLiteral("Fichier=fichier Ouvrir/ouvrir Fermer/Fermer(inactif) Enregistrer/enregistrer(inactif) "
                           "Enregistrer sous.../enregistrer_sous(inactif) Imprimer/Imprimer(inactif) -/trait1 Quitter/Quitter"),
            QStringLiteral("Edition=Edition Couper/Edititem Copier/Edititem Coller/Edititem"),
            QStringLiteral("Polices=police"),
            QStringLiteral("?=a_propos Aide/aide(inactif) -/trait2 à propos..../about"),
        }));
        // Debian has no Comic Sans MS: the substitute must really be used.
        QCOMPARE(QFontInfo(f.c().Text2->font()).family(), QStringLiteral("Comic Neue"));
        for (QLabel *l : f.form->findChildren<QLabel *>())
            QCOMPARE(l->textFormat(), Qt::PlainText);
    }

    void laZoneNeGardeQueDuStockable()
    {
        Fenetre f = ouvrirFenetre(m_classe.dossier());
        ZoneTexte *z = f.c().Text1;
        QSignalSpy modifs(z, &ZoneTexte::modifieParLeLecteur);
        taper(z, QStringLiteral("Œuf\u2011à\u202F€\n"));
        // Accents that come apart from their letter, as from some PDFs, are put back on it.
        QApplication::clipboard()->setText(QStringLiteral("l\u2019\uFB01le\u0301\r\nde \U0001F600 fer\rfin"));
        z->paste();
        QCOMPARE(z->texteCrLf(), QStringLiteral("Œuf-à\u00A0€\r\nl\u2019filé\r\nde ? fer\r\nfin"));
        QVERIFY(z->longueurCrLf() == z->texteCrLf().size() && modifs.count() > 0);
        // Text the program puts there is not the pupil's change.
        modifs.clear();
        z->definirTexteCrLf(QStringLiteral("un\r\ndeux\rtrois\nquatre\r\n"));
        QCOMPARE(modifs.count(), 0);
        QCOMPARE(z->texteCrLf(), QStringLiteral("un\r\ndeux\r\ntrois\r\nquatre\r\n"));
    }

    void disposition()
    {
        // Worked out by hand: window | Frame3 left, height | Text2 height, labels' top
        // | Text1 height, width | Label4 top.
        QCOMPARE(champs(disposition::calculer(12000, 6000)),
                 (QList<int>{12000, 6000, 6290, 5200, 2300, 4750, 3665, 5990, 4750}));
        QCOMPARE(champs(disposition::calculer(20000, 12000)),
                 (QList<int>{20000, 12000, 14290, 11200, 8300, 10750, 9665, 13990, 10750}));
        QCOMPARE(champs(disposition::calculer(3000, -1)), champs(disposition::calculer(12000, 6000)));
        QCOMPARE(champs(disposition::calculer(11999, 6001)).mid(0, 2), (QList<int>{12000, 6001}));
        // Minimised or maximised: never resized, and no control below zero.
        const disposition::Disposition d = disposition::pourEtat(300, 200, Qt::WindowMinimized);
        QVERIFY(d.largeurFenetre == 300 && d.hauteur_Text1 == 0 && disposition::minimumImposable(Qt::WindowActive));
        QVERIFY(!disposition::minimumImposable(Qt::WindowMaximized | Qt::WindowActive) && !disposition::minimumImposable(Qt::WindowFullScreen));
        // Framed by a window manager (borders of 1 pixel, title bar of 20): the outer size counts.
        const disposition::Fenetre cadree = disposition::pourClient(QSize(807, 544), QSize(2, 25), {});
        QCOMPARE(champs(cadree.places).mid(0, 4), (QList<int>{12135, 8535, 6425, 7735}));
        QCOMPARE(cadree.clientMinimal, QSize(798, 375));
        QCOMPARE(disposition::pourClient(QSize(700, 300), QSize(2, 25), {}).client, QSize(798, 375));

        Fenetre f = ouvrirFenetre(m_classe.dossier());
        disposition::appliquer(disposition::calculer(13333, 7777), f.c());
        const Controles &c = f.c();
        QCOMPARE(c.Text1->geometry().bottom(), c.Text2->mapTo(c.client, QPoint(0, c.Text2->height() - 1)).y());
        QCOMPARE(c.nom_texte2->mapTo(c.client, QPoint()).y(), c.Label4->y());
        // A window larger than a small screen at a high scale is kept inside it.
        QCOMPARE(geometrie::dansLEcran(QRect(-153, -4, 1614, 1088), QRect(0, 0, 960, 540)), QRect(0, 0, 960, 540));
        QCOMPARE(geometrie::dansLEcran(QRect(400, 0, 807, 544), QRect(0, 30, 1024, 738)), QRect(217, 30, 807, 544));
    }

    void aPropos()
    {
        QCOMPARE(texteVersion(1, 5, 12) + texteVersion(2, 123, 123456), QStringLiteral("1.05.00122.123.123456"));
        Fenetre f = ouvrirFenetre(m_classe.dossier());
        // The button and the menu item show the same box, built anew each time.
        for (const bool parLeMenu : {false, true}) {
            const QString vu = dansLaBoiteModale([&] { parLeMenu ? f.c().about->trigger() : f.c().Command4->click(); }, [](QWidget *w) {
                const auto *texte = w->findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
                // Centred by its frame, which is known only once it is shown.
                const QRect cadre = w->frameGeometry();
                const QPoint ecart = cadre.center() - w->screen()->geometry().center();
                const bool centre = cadre.size() != w->size() && qAbs(ecart.x()) <= 1 && qAbs(ecart.y()) <= 1;
                return w->windowTitle() + u'|' + w->findChild<QLabel *>(QStringLiteral("version"))->text() + u'|'
                       + w->focusWidget()->objectName() + u'|' + QString::number(texte->isReadOnly())
                       + u'|' + QString::number(centre);
            });
            QCOMPARE(vu, QStringLiteral("B|1.00.0004|OKButton|1|1"));
        }
        QVERIFY(f.form->findChildren<apropos *>().isEmpty());
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
        f.attendre();
        QCOMPARE(c.Text1->texteCrLf() + u'|' + QApplication::focusWidget()->objectName(), QStringLiteral("L'ours\r\n|Text1"));
        // The font chosen from the menu bar: back to writing, not to the bar.
        f.form->menuBar()->setFocus();
        c.police->trigger();
        QCOMPARE(QApplication::focusWidget(), c.Text1);
        // The ring is black.
        const auto bord = [&](QWidget *w) {
            return f.form->grab().toImage().pixelColor(w->mapTo(f.form.get(), QPoint(1, w->height() / 2)));
        };
        QVERIFY(controleEntoure() == c.Text1 && bord(c.Text1) == Qt::black && bord(c.File1) != Qt::black);
        c.File1->setFocus();
        QVERIFY(controleEntoure() == c.File1 && bord(c.File1) == Qt::black && bord(c.Text1) != Qt::black);
        // The current item of a focused list is framed in black too.
        m_classe.ecrire(QStringLiteral("aigle.txt"), "x");
        c.File1->actualiser();
        f.attendre();
        c.File1->setCurrentRow(1);
        const QRect r = c.File1->visualItemRect(c.File1->item(1));
        QCOMPARE(c.File1->viewport()->grab().toImage().pixelColor(r.center().x(), r.top()), QColor(Qt::black));
        // A message box gone, the window is active again with the focus it had.
        DialoguesQt vrais(f.form.get());
        QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
        vrais.information(QStringLiteral("Texte protégé!"));
        QCOMPARE(QApplication::activeWindow(), f.form.get());
        QCOMPARE(QApplication::focusWidget(), c.File1);
        // F10 opens the first menu; Escape closes it, a second leaves the bar.
        QTest::keyClick(c.File1, Qt::Key_F10);
        QCOMPARE(QApplication::activePopupWidget(), c.fichier);
        QTest::keyClick(c.fichier, Qt::Key_Escape);
        QTest::keyClick(f.form->menuBar(), Qt::Key_Escape);
        QCOMPARE(QApplication::focusWidget(), c.File1);
    }

    // Every string Qt shows in Plumor's dialogs is French: the lookups no
    // catalogue answered, met on screen, are listed.
    void dialoguesEnFrancais()
    {
        Fenetre f = ouvrirFenetre(m_classe.dossier());
        DialoguesQt vrais(f.form.get());
        QStringList anglais;
        const auto lire = [&](QWidget *boite) {
            QStringList vus{boite->windowTitle()};
            for (QWidget *w : boite->findChildren<QWidget *>()) {
                vus << w->toolTip() << w->accessibleName() << w->property("text").toString();
                if (auto *l = qobject_cast<QComboBox *>(w))
                    for (int i = 0; i < l->count(); ++i)
                        vus << l->itemText(i);
                if (auto *v = qobject_cast<QAbstractItemView *>(w); v && v->model()) {
                    const QAbstractItemModel *m = v->model();
                    for (int col = 0; col < m->columnCount(v->rootIndex()); ++col) {
                        vus << m->headerData(col, Qt::Horizontal).toString();
                        for (int ligne = 0; ligne < m->rowCount(v->rootIndex()); ++ligne)
                            vus << m->index(ligne, col, v->rootIndex()).data().toString();
                    }
                }
            }
            for (const QString &v : vus)
                if (m_sansTraduction.contains(v) && !anglais.contains(v))
                    anglais << v;
            return QString();
        };
        QDir(m_classe.dossier()).mkdir(QStringLiteral("CM1"));
        m_classe.ecrire(QStringLiteral("ours.txt"), "L'ours\r\n");
        for (auto mode : {Dialogues::ModeFichier::Ouvrir, Dialogues::ModeFichier::Enregistrer}) {
            // The dialog comes once its folder answers, and its entries once
            // they have been read.
            QTimer attente;
            attente.setInterval(20);
            QObject::connect(&attente, &QTimer::timeout, [&] {
                QWidget *boite = QApplication::activeModalWidget();
                const auto *v = boite ? boite->findChild<QAbstractItemView *>() : nullptr;
                if (!v || v->model()->rowCount(v->rootIndex()) < 2)
                    return;
                attente.stop();
                lire(boite);
                boite->close();
            });
            attente.start();
            vrais.choisirFichier(mode, m_classe.dossier());
        }
        for (auto boutons : {Dialogues::Boutons::Ok, Dialogues::Boutons::OkAnnuler, Dialogues::Boutons::OuiNon})
            dansLaBoiteModale([&] { vrais.message({QStringLiteral("?"), boutons, Dialogues::Icone::Aucune, {}}); }, lire);
        dansLaBoiteModale([&] { vrais.choisirPolice(QFont(), Dialogues::ChoixPolice::FaceEtTaille); }, lire);
        QCOMPARE(anglais.join(QStringLiteral(" | ")), QString());
    }

    // The open and save dialog: folders first, then the texts, case ignored,
    // hidden files left out; a folder opened by its name; a name saved
    // without a suffix gets ".txt"; a text that is not there is not opened;
    // a folder that does not answer says so, and Cancel still works.
    void unDialogueDeTextes()
    {
        QTemporaryDir d;
        QDir(d.path()).mkdir(QStringLiteral("CM1"));
        for (const char *f : {"b.txt", "A.TXT", ".cache.txt", "notes.doc", "CM1/conte.txt"})
            QFile(d.filePath(QString::fromLatin1(f))).open(QIODevice::WriteOnly);
        const auto noms = [](QDialog &dialogue) {
            QStringList n;
            const auto *liste = dialogue.findChild<QListWidget *>();
            for (int i = 0; i < liste->count(); ++i)
                n << liste->item(i)->text();
            return n;
        };
        DialogueTextes enregistrer(true, ici);
        enregistrer.ouvrirSur(d.path(), QString());
        enregistrer.show();
        QCOMPARE(noms(enregistrer), (QStringList{u"CM1"_s, u"A.TXT"_s, u"b.txt"_s}));
        auto *nom = enregistrer.findChild<QLineEdit *>();
        nom->setText(u"CM1"_s);
        QTest::keyClick(nom, Qt::Key_Return);
        QVERIFY(enregistrer.dossier() == d.filePath(u"CM1"_s) && noms(enregistrer) == QStringList{u"conte.txt"_s});
        // « Voir dans » offers the folder and each one above it, up to the root.
        const auto *voir = enregistrer.findChild<QComboBox *>();
        QVERIFY(voir->itemData(0) == d.filePath(u"CM1"_s) && voir->itemData(1) == d.path() && voir->itemData(voir->count() - 1) == u"/"_s);
        QTest::keyClick(enregistrer.findChild<QListWidget *>(), Qt::Key_Backspace);
        QCOMPARE(enregistrer.dossier(), d.path());
        QTest::keyClick(enregistrer.findChild<QListWidget *>(), Qt::Key_A);
        QCOMPARE(enregistrer.dossier(), d.path());
        for (QWidget *w : enregistrer.findChildren<QWidget *>())
            if (w->focusPolicy() != Qt::NoFocus && w->isVisible())
                QVERIFY2(!QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty(), w->metaObject()->className());
        nom->setText(u"CM1"_s);
        QTest::keyClick(nom, Qt::Key_Return);
        nom->setText(u"loup"_s);
        QTest::keyClick(nom, Qt::Key_Return);
        QVERIFY(enregistrer.result() == QDialog::Accepted && enregistrer.choisi() == d.filePath(u"CM1/loup.txt"_s));

        DialogueTextes ouvrir(false, ici);
        ouvrir.ouvrirSur(d.path(), u"absent.txt"_s);
        ouvrir.show();
        int avertis = 0;
        QTimer::singleShot(0, [&] {
            if (auto *boite = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()); boite && ++avertis)
                boite->accept();
        });
        QTest::keyClick(ouvrir.findChild<QLineEdit *>(), Qt::Key_Return);
        QVERIFY(avertis == 1 && ouvrir.result() != QDialog::Accepted);
        ouvrir.findChild<QListWidget *>()->setCurrentRow(2);
        QTest::keyClick(ouvrir.findChild<QLineEdit *>(), Qt::Key_Return);
        QCOMPARE(ouvrir.choisi(), d.filePath(u"b.txt"_s));

        DialogueTextes sansReponse(false, [](const std::function<Suite()> &) {});
        sansReponse.ouvrirSur(d.path(), QString());
        sansReponse.findChild<QTimer *>()->start(0);
        QTRY_VERIFY(noms(sansReponse).value(0).startsWith(u"Le lecteur réseau ne répond pas"_s));
        for (auto *b : sansReponse.findChildren<QPushButton *>())
            if (b->text() == u"Annuler"_s)
                b->click();
        QCOMPARE(sansReponse.result(), int(QDialog::Rejected));
    }

    // A folder that does not answer: the dialog is not shown, the pupil is
    // told, and the window is the pupil's again.
    void unDossierQuiNeRepondPas()
    {
        SANS_PARTAGE_CAPRICIEUX_PASSER();
        PartageCapricieux partage;
        QDir().mkpath(partage.source() + QStringLiteral("/CM1"));
        QVERIFY(partage.monter());
        QVERIFY(partage.fautes(R"({"bloquer": ["*"]})"));
        QWidget fenetre;
        DialoguesQt dialogues(&fenetre);
        QString dit;
        QTimer pupille;
        QObject::connect(&pupille, &QTimer::timeout, [&] {
            if (auto *boite = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                dit = boite->text();
                boite->accept();
            }
        });
        pupille.start(100);
        const std::optional<QString> chemin =
            dialogues.choisirFichier(Dialogues::ModeFichier::Ouvrir, partage.point() + QStringLiteral("/CM1"));
        QVERIFY(partage.fautes("{}"));
        QVERIFY(!chemin);
        QVERIFY2(dit.startsWith(QStringLiteral("Le lecteur réseau ne répond pas : le dossier")), qPrintable(dit));
    }
};

QTEST_MAIN(TestFenetre)
#include "test_fenetre.moc"
