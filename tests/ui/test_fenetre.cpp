#include "fenetre.h"

#include "app/demarrage.h"
#include "ui/dialogues.h"
#include "ui/liste_dossiers.h"
#include "ui/liste_fichiers.h"
#include "ui/twips.h"
#include "ui/zone_texte.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QClipboard>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestFenetre : public QObject
{
    Q_OBJECT
private:
    Classe m_classe;

private slots:
    void initTestCase() { preparerApplication(*qApp); }

    void placesEnTwips_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("conteneur");
        QTest::addColumn<QRect>("place");
        const auto ligne = [](const char *nom, const char *dans, int l, int t, int w, int h) {
            QTest::newRow(nom) << QString::fromLatin1(nom) << QString::fromLatin1(dans) << QRect(l, t, w, h);
        };
        ligne("Frame1", "client", 0, 0, 6360, 675);
        ligne("Command1", "client", 180, 165, 490, 460);
        ligne("Command2", "client", 660, 165, 490, 460);
        ligne("Command3", "client", 1140, 165, 490, 460);
        ligne("couper", "client", 2475, 165, 490, 460);
        ligne("copier", "client", 2955, 165, 490, 460);
        ligne("coller", "client", 3435, 165, 490, 460);
        ligne("Command4", "client", 5835, 150, 465, 465);
        ligne("Label3", "client", 120, 750, 4305, 225);
        ligne("Text1", "client", 120, 1035, 6225, 6380);
        ligne("Label4", "client", 120, 7440, 3975, 330);
        ligne("taille_plumor", "client", 4200, 7440, 2085, 330);
        ligne("Frame3", "client", 6465, 0, 5610, 7815);
        ligne("Label5", "Frame3", 150, 135, 2505, 195);
        ligne("File1", "Frame3", 120, 360, 2640, 1455);
        ligne("Dir1", "Frame3", 2880, 360, 2475, 1215);
        ligne("Label6", "Frame3", 2880, 1680, 2070, 255);
        ligne("Combo2", "Frame3", 2880, 1920, 2475, 315);
        ligne("theme", "Frame3", 1320, 1920, 660, 300);
        ligne("lexique", "Frame3", 2160, 2280, 3400, 3960);
        ligne("Text2", "Frame3", 120, 2400, 5385, 5025);
        ligne("nom_texte2", "Frame3", 120, 7440, 3465, 285);
        ligne("taille", "Frame3", 3600, 7440, 1935, 285);
    }
    void placesEnTwips()
    {
        QFETCH(QString, nom);
        QFETCH(QString, conteneur);
        QFETCH(QRect, place);
        // The design places, before any layout fits them to a window.
        QMainWindow fenetre;
        construireControles(&fenetre, m_classe.dossier());
        auto *w = fenetre.findChild<QWidget *>(nom);
        QVERIFY(w);
        QCOMPARE(w->parentWidget()->objectName(), conteneur);
        QCOMPARE(w->geometry(), twips::rect(place.x(), place.y(), place.width(), place.height()));
    }

    void bullesDAide_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("bulle");
        QTest::newRow("Command4") << "Command4" << QStringLiteral("à propos...");
        QTest::newRow("Text1") << "Text1" << QStringLiteral("zone d'écriture");
        QTest::newRow("File1") << "File1" << QStringLiteral("clic sur un texte pour affichage");
        QTest::newRow("Dir1") << "Dir1" << QStringLiteral("sous-dossiers du dossier principal");
        QTest::newRow("Combo2") << "Combo2" << QStringLiteral("lexique thématique");
        QTest::newRow("lexique") << "lexique" << QStringLiteral("clic sur un mot pour copier");
        QTest::newRow("Text2") << "Text2" << QStringLiteral("accès lecture uniquement: sélection et copier actifs");
        QTest::newRow("Command1 sans bulle") << "Command1" << QString();
    }
    void bullesDAide()
    {
        QFETCH(QString, nom);
        QFETCH(QString, bulle);
        Fenetre f = ouvrirFenetre(m_classe.dossier());
        QCOMPARE(f.form->findChild<QWidget *>(nom)->toolTip(), bulle);
    }

    void etatAuDemarrage()
    {
        Fenetre f = ouvrirFenetre(m_classe.dossier());
        QCOMPARE(f.form->windowTitle(), QStringLiteral("b"));
        QVERIFY(f.c().Text1->estVide());
        QVERIFY(f.c().Text2->estVide());
        QVERIFY(f.c().Text2->isReadOnly());
        QVERIFY(f.c().lexique->isHidden());
        QVERIFY(f.c().theme->isHidden());
        QCOMPARE(f.c().Label3->text(), QStringLiteral("texte en phase d'écriture:"));
        QCOMPARE(f.c().Label5->text(), QStringLiteral("textes existants:"));
        QCOMPARE(f.c().Label6->text(), QStringLiteral("lexique"));
        for (QPushButton *b : {f.c().couper, f.c().copier, f.c().coller})
            QVERIFY(!b->isEnabled());
        for (QPushButton *b : {f.c().Command1, f.c().Command2, f.c().Command3, f.c().Command4}) {
            QVERIFY(b->isEnabled());
            QVERIFY(b->text().isEmpty());
            QVERIFY(!b->icon().isNull());
        }
        QVERIFY(f.c().Timer1->isActive());
        QCOMPARE(f.c().Timer1->interval(), 500);
        QCOMPARE(f.c().Dir1->dossier(), QDir(m_classe.dossier()).canonicalPath());

        const EtatFenetre &e = f.etat();
        QVERIFY(e.contenu_lu.isEmpty() && e.fichier_courant.isEmpty() && e.fichier_precedent.isEmpty());
        QCOMPARE(e.zone_active, qint16(1));
        // The shipped lexicon is loaded at start-up.
        QCOMPARE(e.nb_themes, qint16(f.c().Combo2->count()));
        QVERIFY(e.nb_themes >= 20);
        QVERIFY(f.dialogues->messages.isEmpty());
        QCOMPARE(e.mode_lecture, qint16(0));
        QCOMPARE(e.enregistrement_ok, qint16(0));
        QCOMPARE(e.ecriture_en_cours, qint16(0));
        QCOMPARE(e.lignes_lexique.size(), size_t(101));
    }

    void sansLexiqueLaFenetreSOuvreQuandMeme()
    {
        QTemporaryDir programme;
        Fenetre f = ouvrirFenetre(m_classe.dossier(), nullptr, programme.path());
        QCOMPARE(f.dialogues->textes(), QStringList{QStringLiteral("Fichier lexique.stw pas disponible!")});
        QCOMPARE(f.c().Combo2->count(), 0);
        QCOMPARE(f.etat().nb_themes, qint16(0));
        QVERIFY(f.c().Timer1->isActive());
    }

    void menus()
    {
        Fenetre f = ouvrirFenetre(m_classe.dossier());
        QStringList vus;
        for (QAction *a : f.form->menuBar()->actions()) {
            QString ligne = a->text() + QLatin1Char('=') + (a->menu() ? a->menu()->objectName() : a->objectName());
            if (a->menu()) {
                for (QAction *i : a->menu()->actions())
                    ligne += QLatin1Char(' ') + (i->isSeparator() ? QStringLiteral("-") : i->text())
                             + QLatin1Char('/') + i->objectName() + (i->isEnabled() ? QString() : QStringLiteral("(inactif)"));
            }
            vus << ligne;
        }
        QCOMPARE(vus, (QStringList{
            QStringLiteral("Fichier=fichier Ouvrir/ouvrir Fermer/Fermer(inactif) Enregistrer/enregistrer(inactif) "
                           "Enregistrer sous.../enregistrer_sous(inactif) Imprimer/Imprimer(inactif) -/trait1 Quitter/Quitter"),
            QStringLiteral("Edition=Edition Couper/Edititem Copier/Edititem Coller/Edititem"),
            QStringLiteral("Polices=police"),
            QStringLiteral("?=a_propos Aide/aide(inactif) -/trait2 à propos..../about"),
        }));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(f.c().Edititem[size_t(i)]->data().toInt(), i);
        for (QAction *a : f.form->findChildren<QAction *>())
            QVERIFY2(a->shortcut().isEmpty(), qPrintable(a->objectName()));
    }

    void ordreDeTabulation()
    {
        Fenetre f = ouvrirFenetre(m_classe.dossier());
        const QStringList attendu{"Text1", "Command1", "Command2", "Command3", "couper", "copier", "coller",
                                  "Command4", "File1", "Dir1", "Combo2", "Text2", "lexique"};
        QStringList vu;
        QWidget *w = f.c().Text1;
        for (int pas = 0; pas < 200 && vu.size() < attendu.size(); ++pas, w = w->nextInFocusChain()) {
            if (attendu.contains(w->objectName()) && !vu.contains(w->objectName()))
                vu << w->objectName();
        }
        QCOMPARE(vu, attendu);
    }

    void policesEtCouleurs()
    {
        Fenetre f = ouvrirFenetre(m_classe.dossier());
        for (ZoneTexte *z : {f.c().Text1, f.c().Text2}) {
            QCOMPARE(z->font().family(), QStringLiteral("Comic Sans MS"));
            QCOMPARE(z->font().pointSizeF(), 11.25);
            // Debian has no Comic Sans MS: the substitute must really be used.
            QCOMPARE(QFontInfo(z->font()).family(), QStringLiteral("Comic Neue"));
        }
        for (QLabel *l : {f.c().Label4, f.c().taille_plumor, f.c().nom_texte2, f.c().taille}) {
            QCOMPARE(l->font().family(), QStringLiteral("MS Sans Serif"));
            QCOMPARE(l->font().pointSizeF(), 8.25);
            QVERIFY(l->font().bold());
            QCOMPARE(l->palette().color(QPalette::WindowText), QColor(64, 64, 64));
        }
        QCOMPARE(f.c().lexique->font().pointSizeF(), 12.0);
        QVERIFY(f.c().lexique->font().bold());
        QCOMPARE(f.c().Text2->palette().color(QPalette::Base), QColor(255, 255, 192));
        QCOMPARE(f.c().File1->palette().color(QPalette::Base), QColor(Qt::white));
    }

    void boiteDeMessageFrancaiseEtEnTexteBrut()
    {
        QWidget parent;
        DialoguesQt dialogues(&parent);
        QStringList boutons;
        QString texte;
        Qt::TextFormat format = Qt::AutoText;
        QString titre;
        QTimer::singleShot(0, this, [&] {
            auto *boite = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(boite);
            for (QAbstractButton *b : boite->buttons())
                boutons << b->text();
            texte = boite->text();
            format = boite->textFormat();
            titre = boite->windowTitle();
            boite->button(QMessageBox::No)->click();
        });
        const bool oui = dialogues.question(QStringLiteral("<b>x</b>.txt"));
        QVERIFY(!oui);
        boutons.sort();
        QCOMPARE(boutons, (QStringList{QStringLiteral("&Non"), QStringLiteral("&Oui")}));
        QCOMPARE(texte, QStringLiteral("<b>x</b>.txt"));
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(titre, QStringLiteral("Plumor"));
    }

    void etiquettesEnTexteBrut()
    {
        Fenetre f = ouvrirFenetre(m_classe.dossier());
        for (QLabel *l : f.form->findChildren<QLabel *>())
            QCOMPARE(l->textFormat(), Qt::PlainText);
    }

    void laZoneNeGardeQueDuStockable()
    {
        Fenetre f = ouvrirFenetre(m_classe.dossier());
        ZoneTexte *z = f.c().Text1;
        QSignalSpy modifs(z, &ZoneTexte::modifieParLeLecteur);
        taper(z, QStringLiteral("Œuf\u2011à\u202F€\n"));
        QCOMPARE(z->texteCrLf(), QStringLiteral("Œuf-à\u00A0€\r\n"));
        QVERIFY(modifs.count() > 0);

        QApplication::clipboard()->setText(QStringLiteral("l\u2019\uFB01l\r\nde \U0001F600 fer\rfin"));
        z->paste();
        QCOMPARE(z->texteCrLf(), QStringLiteral("Œuf-à\u00A0€\r\nl\u2019fil\r\nde ? fer\r\nfin"));
        QCOMPARE(z->longueurCrLf(), z->texteCrLf().size());

        // Text the program puts there is not the pupil's change.
        modifs.clear();
        z->definirTexteCrLf(QStringLiteral("un\r\ndeux\rtrois\nquatre\r\n"));
        QCOMPARE(modifs.count(), 0);
        QCOMPARE(z->texteCrLf(), QStringLiteral("un\r\ndeux\r\ntrois\r\nquatre\r\n"));
        QCOMPARE(z->longueurCrLf(), z->texteCrLf().size());
    }
};

QTEST_MAIN(TestFenetre)
#include "test_fenetre.moc"
