// The file dialog on a share that hangs (tests/fiabilite/partage_capricieux.py):
// its questions to the disk are asked off the window's thread, and a folder
// that does not answer is said instead of waited for.
#include "fenetre.h"
#include "partage_capricieux.h"

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QDir>
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
        const std::optional<QString> chemin = dialogues.choisirFichier(Dialogues::ModeFichier::Enregistrer, partage.point());
        debloqueur.join();
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
