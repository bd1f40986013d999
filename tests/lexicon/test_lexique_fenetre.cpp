#include "fenetre.h"
#include "edit/commandes_edition.h"
#include "lexicon/lexique.h"
#include "lexicon/lexique_fenetre.h"
#include "texts/cp1252.h"
#include "ui/zone_texte.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QtTest>

#include <sys/stat.h>

namespace {

const QString pasDisponible = QStringLiteral("Fichier lexique.stw pas disponible!");
const QString tropLong = QStringLiteral("Votre lexique est trop long! 100 thèmes maxi!");

QByteArray lignes(const QStringList &l)
{
    return cp1252::encode(l.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

QByteArray themes(int nombre)
{
    QStringList l;
    for (int i = 1; i <= nombre; ++i)
        l << QStringLiteral("theme %1;mot").arg(i);
    return lignes(l);
}

QStringList entrees(const QListWidget *liste)
{
    QStringList e;
    for (int i = 0; i < liste->count(); ++i)
        e << liste->item(i)->text();
    return e;
}

QStringList noms(const QComboBox *combo)
{
    QStringList n;
    for (int i = 0; i < combo->count(); ++i)
        n << combo->itemText(i);
    return n;
}

// A window whose program folder holds the given lexique.stw (or, by genre,
// nothing, a folder or a pipe of that name), loaded as at start-up.
struct Banc {
    Classe classe;
    QTemporaryDir programme;
    const bool pret;
    Fenetre f;
    LexiqueFenetre &lex;
    QComboBox *Combo2;
    QListWidget *lexique;

    explicit Banc(const QByteArray &octets, const QString &genre = QStringLiteral("fichier"))
        : pret(poser(programme.path(), octets, genre)),
          f(ouvrirFenetre(classe.dossier(), nullptr, programme.path())),
          lex(f.form->lexique()),
          Combo2(f.c().Combo2),
          lexique(f.c().lexique)
    {
    }

    static bool poser(const QString &dossier, const QByteArray &octets, const QString &genre)
    {
        const QString chemin = QDir(dossier).filePath(QStringLiteral("lexique.stw"));
        if (genre == u"fichier") {
            QFile fichier(chemin);
            if (!fichier.open(QIODevice::WriteOnly) || fichier.write(octets) != octets.size())
                qFatal("cannot write the lexicon");
        } else if (genre == u"dossier") {
            QDir().mkpath(chemin);
        } else if (genre == u"tube") {
            ::mkfifo(QFile::encodeName(chemin).constData(), 0644);
        }
        return true;
    }

    // As the pupil does with the keyboard; filling the chooser chooses nothing.
    void choisir(int index)
    {
        Combo2->setCurrentIndex(index - 1);
        QTest::keyClick(Combo2, Qt::Key_Down);
    }
};

} // namespace

class TestLexiqueFenetre : public QObject
{
    Q_OBJECT

private slots:
    void chargement_data()
    {
        QTest::addColumn<QString>("genre");
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("noms");
        QTest::addColumn<int>("nb");
        QTest::addColumn<QStringList>("derniers"); // lexique's entries: the last theme's

        const QStringList rien;
        const QStringList absent{pasDisponible};
        QTest::newRow("missing") << "absent" << QByteArray() << absent << rien << 0 << rien;
        QTest::newRow("a folder of that name") << "dossier" << QByteArray() << absent << rien << 0 << rien;
        QTest::newRow("a pipe of that name") << "tube" << QByteArray() << absent << rien << 0 << rien;
        QTest::newRow("empty file") << "fichier" << QByteArray() << rien << rien << 0 << rien;
        QTest::newRow("short lines only")
            << "fichier" << QByteArray("ab\r\n\r\nx\r\n;;") << rien << rien << 0 << rien;
        QTest::newRow("one theme")
            << "fichier" << lignes({"animaux;chat;chien;cheval"}) << rien << QStringList{"animaux"} << 1
            << QStringList{"animaux", "chat", "chien", "cheval"};
        QTest::newRow("a name alone is counted, not chosen")
            << "fichier" << lignes({"animaux", "fleurs;rose"}) << rien << QStringList{"fleurs"} << 2
            << QStringList{"fleurs", "rose"};
        QTest::newRow("separators first")
            << "fichier" << lignes({";; zoo;lion"}) << rien << QStringList{" zoo"} << 1
            << QStringList{" zoo", "lion"};
        QTest::newRow("LF only: one line")
            << "fichier" << QByteArray("a;b\nc;d\n") << rien << QStringList{"a"} << 1
            << QStringList{"a", "b", "c", "d"};
        QTest::newRow("Windows-1252")
            << "fichier" << QByteArray("\xe9t\xe9;\xc9t\xe9\r\n") << rien << QStringList{"été"} << 1
            << QStringList{"été", "té"};

        QStringList cent;
        for (int i = 1; i <= 100; ++i)
            cent << QStringLiteral("theme %1").arg(i);
        const QStringList dernier{"theme 100", "mot"};
        QTest::newRow("100 themes") << "fichier" << themes(100) << rien << cent << 100 << dernier;
        QTest::newRow("100 themes and a blank line")
            << "fichier" << themes(100) + "\r\n" << QStringList{tropLong} << cent << 100 << dernier;
        QTest::newRow("150 themes")
            << "fichier" << themes(150) << QStringList{tropLong} << cent << 100 << dernier;
    }

    void chargement()
    {
        QFETCH(QString, genre);
        QFETCH(QByteArray, octets);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, noms);
        QFETCH(int, nb);
        QFETCH(QStringList, derniers);

        Banc b(octets, genre);
        QCOMPARE(b.f.dialogues->textes(), messages);
        for (const Dialogues::Message &m : b.f.dialogues->messages) {
            QCOMPARE(m.boutons, Dialogues::Boutons::Ok);
            QCOMPARE(m.icone, Dialogues::Icone::Aucune);
            QVERIFY(m.titre.isEmpty());
        }
        QCOMPARE(::noms(b.Combo2), noms);
        QCOMPARE(b.f.etat().nb_themes, nb);
        QCOMPARE(entrees(b.lexique), derniers);
        QVERIFY(b.lexique->isHidden());
    }

    void lexique_livre_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("mots");

        QFile fichier(QStringLiteral(LEXIQUE_LIVRE));
        QVERIFY(fichier.open(QIODevice::ReadOnly));
        const QStringList l =
            cp1252::decode(fichier.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        for (int i = 0; i < l.size(); ++i) {
            const DecoupageLigne d = decouperLigne(l[i]);
            QTest::newRow(qPrintable(d.nom.value_or(QStringLiteral("?")))) << i << d.entrees;
        }
    }

    // The shipped lexicon, copied beside a program: each theme shows its own words.
    void lexique_livre()
    {
        QFETCH(int, index);
        QFETCH(QStringList, mots);

        QFile fichier(QStringLiteral(LEXIQUE_LIVRE));
        QVERIFY(fichier.open(QIODevice::ReadOnly));
        Banc b(fichier.readAll());
        QVERIFY(b.f.dialogues->messages.isEmpty());
        b.choisir(index);
        QVERIFY(!b.lexique->isHidden());
        QCOMPARE(entrees(b.lexique), mots);
        QCOMPARE(b.f.c().theme->text(), mots.first());
    }

    void choix_theme_data()
    {
        QTest::addColumn<QStringList>("fichier");
        QTest::addColumn<int>("choix");
        QTest::addColumn<QStringList>("mots");

        const QStringList court{"animaux;chat", "animaux de la ferme;vache"};
        const QStringList ferme{"animaux de la ferme", "vache"};
        QTest::newRow("a later line beginning alike wins") << court << 0 << ferme;
        const QStringList inverse{"animaux de la ferme;vache", "animaux;chat"};
        QTest::newRow("reversed: each its own, long") << inverse << 0 << ferme;
        QTest::newRow("reversed: each its own, short") << inverse << 1 << QStringList{"animaux", "chat"};
        QTest::newRow("same name twice: the later line")
            << QStringList{"fleurs;rose", "fleurs;lys"} << 0 << QStringList{"fleurs", "lys"};
        QTest::newRow("case-sensitive")
            << QStringList{"Mer;vague", "mer;sable"} << 0 << QStringList{"Mer", "vague"};
        QTest::newRow("name after separators begins no line")
            << QStringList{";;zoo;lion"} << 0 << QStringList();
        QTest::newRow("found through another line")
            << QStringList{";zoo;lion", "zoo;girafe"} << 0 << QStringList{"zoo", "girafe"};
    }

    void choix_theme()
    {
        QFETCH(QStringList, fichier);
        QFETCH(int, choix);
        QFETCH(QStringList, mots);

        Banc b(lignes(fichier));
        const QString nom = b.Combo2->itemText(choix);
        for (int fois = 0; fois < 2; ++fois) { // the same choice again shows the same words
            b.choisir(choix);
            QVERIFY(!b.lexique->isHidden());
            QCOMPARE(entrees(b.lexique), mots);
            QCOMPARE(b.f.c().theme->text(), mots.value(0));
            QCOMPARE(b.Combo2->currentText(), nom);
            b.lexique->hide();
        }
        b.Combo2->setCurrentIndex(-1);
        b.Combo2->setCurrentIndex(choix);
        QVERIFY(b.lexique->isHidden());
    }

    void cueillette_data()
    {
        QTest::addColumn<QString>("ligne");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("geste");
        QTest::addColumn<QString>("mot"); // empty: no pick

        const QString fleurs = QStringLiteral("fleurs;rose;lys");
        QTest::newRow("keyboard: the theme's name") << fleurs << 0 << "clavier" << "fleurs";
        QTest::newRow("mouse") << fleurs << 1 << "souris" << "rose";
        QTest::newRow("leading space kept") << "fleurs; une rose; un lys" << 1 << "souris" << " une rose";
        QTest::newRow("tabbing in picks nothing") << fleurs << 0 << "focus" << "";
    }

    // A pick puts the word on the clipboard, hides the list, makes the writing
    // zone active, and the paste button then inserts the word.
    void cueillette()
    {
        QFETCH(QString, ligne);
        QFETCH(int, index);
        QFETCH(QString, geste);
        QFETCH(QString, mot);

        Banc b(lignes({ligne}));
        CommandesEdition &edition = b.f.form->edition();
        b.f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(b.f.form.get()));
        QGuiApplication::clipboard()->setText(QStringLiteral("avant"));
        b.choisir(0);
        b.f.etat().zone_active = 2;

        if (geste == u"souris") {
            const QRect r = b.lexique->visualItemRect(b.lexique->item(index));
            QTest::mouseClick(b.lexique->viewport(), Qt::LeftButton, {}, r.center());
        } else if (geste == u"clavier") {
            QTest::keyClick(b.lexique, Qt::Key_Down);
        } else {
            QFocusEvent entree(QEvent::FocusIn, Qt::TabFocusReason);
            QCoreApplication::sendEvent(b.lexique, &entree);
        }

        if (mot.isEmpty()) {
            QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("avant"));
            QVERIFY(!b.lexique->isHidden());
            QCOMPARE(b.f.etat().zone_active, 2);
            return;
        }
        QCOMPARE(QGuiApplication::clipboard()->text(), mot);
        QVERIFY(b.lexique->isHidden());
        QCOMPARE(b.f.etat().zone_active, 1);
        edition.majBoutons();
        QVERIFY(b.f.c().coller->isEnabled());
        edition.coller_Click();
        QCOMPARE(b.f.c().Text1->texteCrLf(), mot);
    }

    void fichiers_hostiles_data()
    {
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("nb");
        QTest::addColumn<int>("noms");    // -1: not checked
        QTest::addColumn<int>("entrees"); // of the first name's theme; -1: not chosen

        const QStringList rien;
        const int mots = int(longueurDecoupee / 4);
        QTest::newRow("10 MB line of words")
            << QByteArray("mot;").repeated(2'600'000) << rien << 1 << 1 << mots;
        // Its name lies beyond the characters split: counted, not chosen.
        QTest::newRow("10 MB word") << QByteArray(10'000'000, 'a') + ";b" << rien << 1 << 0 << -1;
        QTest::newRow("100 000 lines") << themes(100'000) << QStringList{tropLong} << 100 << 100 << 2;

        QByteArray hasard(1 << 20, Qt::Uninitialized);
        QRandomGenerator graine(1252);
        for (char &o : hasard)
            o = char(graine.bounded(256));
        QTest::newRow("binary bytes") << hasard << QStringList{tropLong} << 100 << -1 << -1;
        QTest::newRow("beyond the read limit")
            << QByteArray("a;b\r\n") + QByteArray(tailleLexiqueLue, 'x') << rien << 2 << 1 << 2;
    }

    // Loaded quickly, with no message beyond the lexicon's own, and usable.
    void fichiers_hostiles()
    {
        QFETCH(QByteArray, octets);
        QFETCH(QStringList, messages);
        QFETCH(int, nb);
        QFETCH(int, noms);
        QFETCH(int, entrees);

        Banc b(octets);
        QCOMPARE(b.f.dialogues->textes(), messages);
        QCOMPARE(b.f.etat().nb_themes, nb);
        if (noms >= 0)
            QCOMPARE(b.Combo2->count(), noms);
        if (entrees >= 0) {
            b.choisir(0);
            QVERIFY(!b.lexique->isHidden());
            QCOMPARE(b.lexique->count(), entrees);
        }
    }
};

QTEST_MAIN(TestLexiqueFenetre)
#include "test_lexique_fenetre.moc"
