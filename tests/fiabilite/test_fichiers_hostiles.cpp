// A catalogue of hostile files, made at test time, each opened in the reader
// pane and for writing: nothing crashes or hangs, names stay plain text, the
// pupil gets the usual messages and marks are taken only on texts read.
#include "fenetre.h"

#include "texts/documents.h"
#include "texts/navigateur.h"
#include "ui/liste_fichiers.h"
#include "ui/zone_texte.h"

#include <QDir>
#include <QLabel>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kTropLong = QStringLiteral("Ce texte dépasse 32000 caractères!");
const QString kErreur = QStringLiteral("Erreur lors d'une tentative d'ouverture de fichier.");

QByteArray tousLesOctets()
{
    QByteArray o;
    for (int i = 0; i < 256; ++i)
        o += char(i);
    return o;
}

QByteArray longueLigne()
{
    QByteArray o;
    while (o.size() < 32000)
        o += "mot ";
    return o.left(32000);
}

// How a hostile entry is made.
enum class Sorte { Fichier, Dossier, LienVersSoi, Tube };

} // namespace

Q_DECLARE_METATYPE(Sorte)

class TestFichiersHostiles : public QObject
{
    Q_OBJECT
private slots:
    void ouvrir_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<Sorte>("sorte");
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<QString>("message"); // empty: the text is read
        const auto f = Sorte::Fichier;
        QTest::newRow("octets nuls") << "nul.txt" << f << QByteArray("a\0b\0\0c\r\n", 8) << QString();
        QTest::newRow("chaque valeur d'octet") << "octets.txt" << f << tousLesOctets() << QString();
        QTest::newRow("32000 octets") << "limite.txt" << f << QByteArray(32000, '\xE9') << QString();
        QTest::newRow("32001 octets") << "trop.txt" << f << QByteArray(32001, 'a') << kTropLong;
        QTest::newRow("un seul CR") << "cr.txt" << f << QByteArray("\r") << QString();
        QTest::newRow("5000 lignes vides") << "vides.txt" << f << QByteArray("\r\n").repeated(5000) << QString();
        QTest::newRow("ligne de 32000 octets") << "ligne.txt" << f << longueLigne() << QString();
        QTest::newRow("nom qui ressemble a du HTML") << "<b>&amp; \"l'été\" <i>.txt" << f << QByteArray("x\r\n")
                                                      << QString();
        QTest::newRow("dossier nomme x.txt") << "x.txt" << Sorte::Dossier << QByteArray() << kErreur;
        QTest::newRow("lien vers lui-meme") << "boucle.txt" << Sorte::LienVersSoi << QByteArray() << kErreur;
        QTest::newRow("tube nomme") << "tube.txt" << Sorte::Tube << QByteArray() << kErreur;
    }
    void ouvrir()
    {
        QFETCH(QString, nom);
        QFETCH(Sorte, sorte);
        QFETCH(QByteArray, octets);
        QFETCH(QString, message);
        Classe classe;
        const QString c = classe.chemin(nom);
        const QByteArray natif = QFile::encodeName(c);
        switch (sorte) {
        case Sorte::Fichier: classe.ecrire(nom, octets); break;
        case Sorte::Dossier: QVERIFY(QDir().mkdir(c)); break;
        case Sorte::LienVersSoi: QCOMPARE(::symlink(natif.constData(), natif.constData()), 0); break;
        case Sorte::Tube: QCOMPARE(::mkfifo(natif.constData(), 0644), 0); break;
        }
        const QStringList attendus = message.isEmpty() ? QStringList() : QStringList{message};
        Fenetre f = ouvrirFenetre(classe.dossier());

        // The reader pane, through a click in the file list where it lists the entry.
        const auto trouves = f.c().File1->findItems(nom, Qt::MatchExactly);
        if (!trouves.isEmpty()) {
            f.c().File1->setCurrentItem(trouves.first());
        } else {
            f.etat().mode_lecture = 1;
            f.form->documents().lire_fichier(nom);
            f.etat().mode_lecture = 0;
        }
        QCOMPARE(f.dialogues->textes(), attendus);
        QCOMPARE(f.etat().contenu_lu.size(), message.isEmpty() ? octets.size() : 0);
        if (!trouves.isEmpty() && message.isEmpty()) {
            QCOMPARE(f.c().nom_texte2->textFormat(), Qt::PlainText);
            QCOMPARE(f.c().nom_texte2->text(), QLatin1Char(' ') + nom);
            QCOMPARE(f.c().taille->text(), libelleLongueur(octets.size()));
        }

        // For writing: read and held, or refused with nothing taken.
        f.dialogues->messages.clear();
        f.dialogues->fichiers << c;
        f.form->documents().ouvrir_Click();
        QCOMPARE(f.dialogues->textes(), attendus);
        QCOMPARE(f.etat().fichier_courant, message.isEmpty() ? c : QString());
        if (message.isEmpty()) {
            QCOMPARE(f.c().Label4->textFormat(), Qt::PlainText);
            QCOMPARE(f.c().Label4->text(), nom);
            QCOMPARE(f.form->windowTitle(), c);
            QVERIFY(classe.marqueSurDisque(nom));
            f.dialogues->reponses << Dialogues::Reponse::Non;
            f.form->documents().Fermer_Click();
            QVERIFY(!classe.marqueSurDisque(nom));
        }
        if (sorte == Sorte::Fichier)
            QCOMPARE(classe.octets(nom), octets);
        QCOMPARE(f.dialogues->questionsImprevues, 0);
    }
};

QTEST_MAIN(TestFichiersHostiles)
#include "test_fichiers_hostiles.moc"
