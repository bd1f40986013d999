#include "fenetre.h"

#include "texts/documents.h"
#include "ui/zone_texte.h"

#include <QDir>
#include <QTest>

#include <cerrno>
#include <csignal>

namespace {

const QString kPris = QStringLiteral("Quelqu'un travaille déjà sur ce texte!");
const QString kTropLong = QStringLiteral("Ce texte dépasse 32000 caractères!");
const QString kErreurOuverture = QStringLiteral("Erreur lors d'une tentative d'ouverture de fichier.");


class AttributsRefusantLaMarque : public AttributsMemoire
{
public:
    int ecrire(const QString &chemin, quint16 mot) override
    {
        return mot == attribut::marque ? EPERM : AttributsMemoire::ecrire(chemin, mot);
    }
};

} // namespace

class TestFichiersTexte : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { std::signal(SIGXFSZ, SIG_IGN); }

    void lectureEnModeEcriture_data()
    {
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<bool>("dejaMarque");
        QTest::addColumn<bool>("lu");
        QTest::addColumn<bool>("marqueApres");
        QTest::addColumn<QString>("message");
        QTest::newRow("32000 octets") << QByteArray(32000, 'a') << false << true << true << QString();
        QTest::newRow("32001 octets") << QByteArray(32001, 'a') << false << false << false << kTropLong;
        QTest::newRow("deja pris") << QByteArray("texte\r\n") << true << false << true << kPris;
        QTest::newRow("fichier vide") << QByteArray() << false << false << false << QString();
    }
    void lectureEnModeEcriture()
    {
        QFETCH(QByteArray, octets);
        QFETCH(bool, dejaMarque);
        QFETCH(bool, lu);
        QFETCH(bool, marqueApres);
        QFETCH(QString, message);
        Classe classe;
        const QString c = classe.ecrire(QStringLiteral("conte.txt"), octets);
        if (dejaMarque)
            QFile::setPermissions(c, QFile::ReadOwner | QFile::ReadGroup);
        Fenetre f = ouvrirFenetre(classe.dossier());
        f.form->documents().lire_fichier(c);

        QCOMPARE(f.etat().contenu_lu.size(), lu ? octets.size() : 0);
        QCOMPARE(classe.marqueSurDisque(QStringLiteral("conte.txt")), marqueApres);
        QCOMPARE(classe.octets(QStringLiteral("conte.txt")), octets);
        QCOMPARE(f.dialogues->textes(), message.isEmpty() ? QStringList() : QStringList{message});
    }

    void lectureImpossible_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::newRow("absent") << QStringLiteral("absent.txt");
        QTest::newRow("dossier nomme x.txt") << QStringLiteral("x.txt");
    }
    void lectureImpossible()
    {
        QFETCH(QString, nom);
        Classe classe;
        QDir(classe.dossier()).mkdir(QStringLiteral("x.txt"));
        Fenetre f = ouvrirFenetre(classe.dossier());
        f.form->documents().lire_fichier(classe.chemin(nom));
        QVERIFY(f.etat().contenu_lu.isEmpty());
        QCOMPARE(f.dialogues->messages.size(), 1);
        const Dialogues::Message &m = f.dialogues->messages.first();
        QCOMPARE(m.texte, kErreurOuverture);
        QCOMPARE(m.icone, Dialogues::Icone::Exclamation);
        QCOMPARE(m.titre, QStringLiteral("Editeur de texte"));
    }

    void motDosTrenteTroisEstLibre()
    {
        Classe classe;
        const QString c = classe.ecrire(QStringLiteral("conte.txt"), "Il \xE9tait une fois\r\n");
        auto attributs = std::make_unique<AttributsMemoire>();
        attributs->mots[c] = 33;
        AttributsMemoire *a = attributs.get();
        Fenetre f = ouvrirFenetre(classe.dossier(), std::move(attributs));
        f.form->documents().lire_fichier(c);
        QCOMPARE(f.etat().contenu_lu, QStringLiteral("Il \xE9tait une fois\r\n"));
        QCOMPARE(a->mots.value(c), quint16(1));
        QVERIFY(f.dialogues->messages.isEmpty());
    }

    void modeLectureNeTouchePasALaMarque_data()
    {
        QTest::addColumn<quint16>("mot");
        QTest::newRow("pris") << quint16(1);
        QTest::newRow("archive") << quint16(0x20);
        QTest::newRow("lecture seule et archive") << quint16(0x21);
    }
    void modeLectureNeTouchePasALaMarque()
    {
        QFETCH(quint16, mot);
        Classe classe;
        const QString c = classe.ecrire(QStringLiteral("conte.txt"), "abc\r\n");
        auto attributs = std::make_unique<AttributsMemoire>();
        attributs->mots[c] = mot;
        AttributsMemoire *a = attributs.get();
        Fenetre f = ouvrirFenetre(classe.dossier(), std::move(attributs));
        f.etat().mode_lecture = 1;
        f.form->documents().lire_fichier(QStringLiteral("conte.txt")); // a bare name, in Dir1's folder
        QCOMPARE(f.etat().contenu_lu, QStringLiteral("abc\r\n"));
        QCOMPARE(a->mots.value(c), mot);
    }

    void unTexteQuOnNePeutMarquerNEstPasLu()
    {
        Classe classe;
        const QString c = classe.ecrire(QStringLiteral("conte.txt"), "abc\r\n");
        Fenetre f = ouvrirFenetre(classe.dossier(), std::make_unique<AttributsRefusantLaMarque>());
        f.form->documents().lire_fichier(c);
        QVERIFY(f.etat().contenu_lu.isEmpty());
        QCOMPARE(f.dialogues->textes(), QStringList{kErreurOuverture});
    }

    void octetsSurLeDisque()
    {
        Classe classe;
        Fenetre f = ouvrirFenetre(classe.dossier());
        Documents &d = f.form->documents();
        const QString c = classe.chemin(QStringLiteral("abc.txt"));
        f.c().Text1->definirTexteCrLf(QStringLiteral("abc"));
        d.closefile(c);
        QCOMPARE(f.etat().enregistrement_ok, qint16(1));
        QCOMPARE(classe.octets(QStringLiteral("abc.txt")), QByteArray("abc\r\n"));
        QCOMPARE(f.form->windowTitle(), c);
        QVERIFY(classe.marqueSurDisque(QStringLiteral("abc.txt"))); // the written text is taken

        f.etat().mode_lecture = 0;
        d.lire_fichier(c, true);
        QCOMPARE(f.etat().contenu_lu.size(), 5);
        f.c().Text1->definirTexteCrLf(f.etat().contenu_lu);
        d.reenregistrer(c);
        QCOMPARE(classe.octets(QStringLiteral("abc.txt")), QByteArray("abc\r\n\r\n"));
        QVERIFY(classe.marqueSurDisque(QStringLiteral("abc.txt")));
        QVERIFY(f.dialogues->messages.isEmpty());
    }

    void caracteresFrancaisEtOctetsIndefinis()
    {
        Classe classe;
        const QByteArray octets("\xC9l\xE8ve \xE0 l'\xE9" "cole \x9C\x80 \x81\x8D\x8F\x90\x9D \xA0!\r\nfin");
        const QString c = classe.ecrire(QStringLiteral("élève.txt"), octets);
        Fenetre f = ouvrirFenetre(classe.dossier());
        Documents &d = f.form->documents();
        d.lire_fichier(c);
        QVERIFY(f.etat().contenu_lu.startsWith(QStringLiteral("Élève à l'école œ€")));
        f.c().Text1->definirTexteCrLf(f.etat().contenu_lu);
        d.reenregistrer(c);
        QCOMPARE(classe.octets(QStringLiteral("élève.txt")), octets + "\r\n");
    }

    void closefileSurUnTextePris()
    {
        Classe classe;
        const QString c = classe.ecrire(QStringLiteral("conte.txt"), "original\r\n");
        Fenetre f = ouvrirFenetre(classe.dossier());
        f.form->documents().lire_fichier(c); // this copy's own current text, marked
        f.c().Text1->definirTexteCrLf(QStringLiteral("autre"));
        f.form->documents().closefile(c);
        QCOMPARE(f.etat().enregistrement_ok, qint16(0));
        QCOMPARE(f.dialogues->textes(), QStringList{QStringLiteral("Quelqu'un travaille sur un fichier de même nom!")});
        QCOMPARE(classe.octets(QStringLiteral("conte.txt")), QByteArray("original\r\n"));
        QVERIFY(classe.marqueSurDisque(QStringLiteral("conte.txt")));
    }

    void closefileSurUnFichierLibre_data()
    {
        QTest::addColumn<bool>("oui");
        QTest::newRow("non") << false;
        QTest::newRow("oui") << true;
    }
    void closefileSurUnFichierLibre()
    {
        QFETCH(bool, oui);
        Classe classe;
        const QString c = classe.ecrire(QStringLiteral("conte.txt"), "original\r\n");
        auto attributs = std::make_unique<AttributsMemoire>();
        attributs->mots[c] = 0x21;
        AttributsMemoire *a = attributs.get();
        Fenetre f = ouvrirFenetre(classe.dossier(), std::move(attributs));
        f.dialogues->reponses << (oui ? Dialogues::Reponse::Oui : Dialogues::Reponse::Non);
        f.c().Text1->definirTexteCrLf(QStringLiteral("nouveau"));
        f.form->documents().closefile(c);
        QCOMPARE(f.dialogues->textes(), QStringList{QStringLiteral("Ce fichier existe déjà! Ecraser le fichier?")});
        QCOMPARE(f.dialogues->messages.first().boutons, Dialogues::Boutons::OuiNon);
        QCOMPARE(f.etat().enregistrement_ok, qint16(oui ? 1 : 0));
        QCOMPARE(classe.octets(QStringLiteral("conte.txt")), oui ? QByteArray("nouveau\r\n") : QByteArray("original\r\n"));
        QCOMPARE(f.form->windowTitle(), oui ? c : QStringLiteral("b"));
        QCOMPARE(a->mots.value(c), quint16(oui ? 1 : 0x21));
    }

    void disquePleinPendantReenregistrer()
    {
        Classe classe;
        const QString c = classe.ecrire(QStringLiteral("conte.txt"), "ancien\r\n");
        Fenetre f = ouvrirFenetre(classe.dossier());
        f.form->documents().lire_fichier(c);
        f.c().Text1->definirTexteCrLf(QStringLiteral("un texte bien plus long que la limite"));
        avecDisquePlein([&] { f.form->documents().reenregistrer(c); });
        QCOMPARE(f.dialogues->textes(), QStringList{QStringLiteral("Erreur=Le fichier dépasse la taille permise.")});
        QCOMPARE(classe.octets(QStringLiteral("conte.txt")), QByteArray("ancien\r\n"));
        QVERIFY(classe.marqueSurDisque(QStringLiteral("conte.txt")));
        QCOMPARE(f.c().Text1->texteCrLf(), QStringLiteral("un texte bien plus long que la limite"));
        QCOMPARE(QDir(classe.dossier()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void disquePleinPendantClosefile()
    {
        Classe classe;
        const QString c = classe.ecrire(QStringLiteral("conte.txt"), "ancien\r\n");
        Fenetre f = ouvrirFenetre(classe.dossier());
        f.dialogues->reponses << Dialogues::Reponse::Oui;
        f.c().Text1->definirTexteCrLf(QStringLiteral("un texte bien plus long que la limite"));
        avecDisquePlein([&] { f.form->documents().closefile(c); });
        QCOMPARE(f.etat().enregistrement_ok, qint16(0));
        QCOMPARE(f.dialogues->textes().last(),
                 QStringLiteral("Erreur=closefileLe fichier dépasse la taille permise."));
        QCOMPARE(classe.octets(QStringLiteral("conte.txt")), QByteArray("ancien\r\n"));
        QCOMPARE(f.form->windowTitle(), QStringLiteral("b"));
    }

    void extrait_nomfic_data()
    {
        QTest::addColumn<QString>("chemin");
        QTest::addColumn<QString>("separateur");
        QTest::addColumn<QString>("nom");
        const QString bs = QStringLiteral("\\");
        const QString sl = QStringLiteral("/");
        QTest::newRow("chemin windows") << QStringLiteral("C:\\textes\\CM1\\conte.txt") << bs << QStringLiteral("conte.txt");
        QTest::newRow("nom seul") << QStringLiteral("conte.txt") << bs << QStringLiteral("conte.txt");
        QTest::newRow("finit par le separateur") << QStringLiteral("C:\\textes\\") << bs << QString();
        QTest::newRow("vide") << QString() << bs << QString();
        QTest::newRow("la barre n'est pas le separateur windows") << QStringLiteral("C:\\a/b.txt") << bs << QStringLiteral("a/b.txt");
        QTest::newRow("chemin posix") << QStringLiteral("/classe/CM1/conte.txt") << sl << QStringLiteral("conte.txt");
        QTest::newRow("dossier posix") << QStringLiteral("/classe/CM1/") << sl << QString();
    }
    void extrait_nomfic()
    {
        QFETCH(QString, chemin);
        QFETCH(QString, separateur);
        QFETCH(QString, nom);
        QCOMPARE(Documents::extrait_nomfic(chemin, separateur.at(0)), nom);
    }
};

QTEST_MAIN(TestFichiersTexte)
#include "test_fichiers_texte.moc"
