// The window on a share that hangs (tests/fiabilite/partage_capricieux.py):
// the pupil types on while a save waits, no other command starts, the pupil
// is told the drive does not answer, and the save ends when it answers again.
#include "fenetre.h"
#include "partage_capricieux.h"
#include "gui/texts/documents.h"
#include "gui/widgets/zone_texte.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QDir>
#include <QPushButton>
#include <QTest>

#include <chrono>
#include <thread>

class TestPartageLent : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        commeLeProgramme(022);
        SANS_PARTAGE_CAPRICIEUX_PASSER();
    }

    void uneSauvegardeQuiAttendLePartage()
    {
        PartageCapricieux partage;
        QVERIFY(partage.monter());
        const QString source = partage.source() + QStringLiteral("/conte.txt");
        QFile f(source);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("Il \xE9tait une fois\r\n") > 0);
        f.close();
        Fenetre w = ouvrirFenetre(partage.point());
        w.dialogues->fichiers << partage.point() + QStringLiteral("/conte.txt");
        w.documents().ouvrir_Click();
        w.attendre();
        taper(w.c().Text1, QStringLiteral("Le loup. "));

        QVERIFY(partage.fautes(R"({"bloquer": ["rename"]})"));
        bool commandesCoupees = false;
        QTimer::singleShot(1000, [&] {
            taper(w.c().Text1, QStringLiteral("Il court. "));
            commandesCoupees = !w.c().Command2->isEnabled() && !w.c().enregistrer->isEnabled();
            w.documents().Command2_Click(); // nothing while the first one waits
        });
        QTimer::singleShot(Fil::silenceMs + 1000, [&] { QVERIFY(partage.fautes("{}")); });
        const qint64 attente = plusLongueAttente([&] {
            w.documents().Command2_Click();
            w.attendre();
        });
        // Frozen, the window would have waited for the whole hang.
        QVERIFY2(attente < 1000, qPrintable(QString::number(attente)));
        QVERIFY(commandesCoupees);
        QCOMPARE(w.dialogues->avisMontres, (QStringList{QStringLiteral(
            "Le lecteur réseau ne répond pas. Votre texte est gardé sur ce poste : vous pouvez continuer à écrire, "
            "ou quitter Plumor."), QString()}));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("Le loup. Il \xE9tait une fois\r\n"));
        QCOMPARE(w.c().Text1->texteCrLf(), QStringLiteral("Le loup. Il court. Il était une fois\r\n"));
        QVERIFY(marqueSurDisque(source) && w.etat().ecriture_en_cours == 1);
    }

    // Return in the save dialog while the share hangs: the name is asked
    // about off the window's thread, and the answer ends the dialog.
    void unDialogueQuiAttendLePartage()
    {
        PartageCapricieux partage;
        QVERIFY(partage.monter());
        QFile(partage.source() + QStringLiteral("/conte.txt")).open(QIODevice::WriteOnly);
        QWidget fenetre;
        DialoguesQt dialogues(&fenetre);
        std::thread debloqueur;
        QTimer::singleShot(500, [&] {
            auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            auto *nom = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            nom->setText(QStringLiteral("conte"));
            QVERIFY(partage.fautes(R"({"bloquer": ["*"]})"));
            // Once the kernel no longer answers from what it kept of the folder.
            QTimer::singleShot(1500, [&, nom] {
                // Let go from elsewhere: a window stuck in the dialog would never get there.
                debloqueur = std::thread([&] {
                    std::this_thread::sleep_for(std::chrono::seconds(2));
                    partage.fautes("{}");
                });
                QTest::keyClick(nom, Qt::Key_Return);
                QTest::keyClick(nom, Qt::Key_Return); // not a second question
            });
        });
        std::optional<QString> chemin;
        const qint64 attente = plusLongueAttente([&] { chemin = dialogues.choisirFichier(Dialogues::ModeFichier::Enregistrer, partage.point()); });
        debloqueur.join();
        QVERIFY2(attente < 1000, qPrintable(QString::number(attente)));
        QCOMPARE(chemin.value_or(QString()), partage.point() + QStringLiteral("/conte.txt"));
    }

    // A folder that does not answer: the dialog is not shown, the pupil is
    // told, and the window is the pupil's again.
    void unDossierQuiNeRepondPas()
    {
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

QTEST_MAIN(TestPartageLent)
#include "test_partage_lent.moc"
