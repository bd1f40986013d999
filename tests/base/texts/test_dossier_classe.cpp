#include "classe.h"
#include "base/texts/dossier_classe.h"

#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

using Resolution = DossierClasse::Resolution;
Q_DECLARE_METATYPE(Resolution)

// Every path resolves the same way whether the kernel does it or the walk.
class TestDossierClasse : public QObject
{
    Q_OBJECT
private slots:
    void resoudre_data()
    {
        QTest::addColumn<Resolution>("resolution");
        QTest::newRow("openat2") << Resolution::Automatique;
        QTest::newRow("composants") << Resolution::ParComposants;
    }

    void resoudre()
    {
        QFETCH(Resolution, resolution);
        Classe classe, ailleurs;
        classe.ecrire(QStringLiteral("CM1/a.txt"), "a");
        ailleurs.ecrire(QStringLiteral("prive/b.txt"), "b");
        const auto lien = [&](const QString &cible, const QString &nom) {
            QVERIFY(::symlink(QFile::encodeName(cible).constData(), QFile::encodeName(classe.chemin(nom)).constData()) == 0);
        };
        lien(ailleurs.chemin(QStringLiteral("prive")), QStringLiteral("CE2"));
        lien(QStringLiteral("a.txt"), QStringLiteral("CM1/l.txt"));
        const DossierClasse d(classe.dossier(), resolution);
        QCOMPARE(d.erreur(), 0);
        const auto erreur = [&](const QString &c) { return d.ouvrir(c, O_RDONLY).erreur(); };
        QCOMPARE(erreur(classe.chemin(QStringLiteral("CM1/a.txt"))), 0);
        QCOMPARE(erreur(QStringLiteral("CM1/./a.txt")), 0); // relative to the class folder
        QCOMPARE(erreur(classe.chemin(QStringLiteral("CE2/b.txt"))), ELOOP);
        QCOMPARE(erreur(classe.chemin(QStringLiteral("CM1/l.txt"))), ELOOP);
        QCOMPARE(erreur(classe.chemin(QStringLiteral("CM1/absent.txt"))), ENOENT);
        QVERIFY(d.contient(classe.chemin(QStringLiteral("CE2/../x"))) && !d.contient(classe.chemin(QStringLiteral("../x"))));
        // Outside the class folder only the last component may not be a link.
        QCOMPARE(erreur(ailleurs.chemin(QStringLiteral("prive/b.txt"))), 0);
        QCOMPARE(erreur(classe.dossier() + QStringLiteral("/../") + QFileInfo(ailleurs.dossier()).fileName()
                        + QStringLiteral("/prive/b.txt")), 0);
        QByteArray nom;
        const Descripteur parent = d.ouvrirParent(classe.chemin(QStringLiteral("CM1/neuf.txt")), nom);
        QVERIFY(parent.ok() && nom == "neuf.txt");
        QCOMPARE(d.ouvrirParent(classe.chemin(QStringLiteral("CE2/neuf.txt")), nom).erreur(), ELOOP);
        // A tool's walk: one component at a time from an open folder.
        QCOMPARE(DossierClasse::ouvrirSousDossier(d.fd(), "CE2").erreur(), ELOOP);
        const Descripteur cm1 = DossierClasse::ouvrirSousDossier(d.fd(), "CM1");
        QVERIFY(cm1.ok() && DossierClasse::ouvrirDans(cm1.fd(), "a.txt", O_RDONLY).ok());
        QCOMPARE(DossierClasse::ouvrirDans(cm1.fd(), "l.txt", O_RDONLY).erreur(), ELOOP);
        QCOMPARE(DossierClasse::ouvrirDans(d.fd(), "CM1/a.txt", O_RDONLY).erreur(), EINVAL);
        QCOMPARE(DossierClasse::ouvrirDans(cm1.fd(), "..", O_RDONLY).erreur(), EINVAL);
    }
};

QTEST_APPLESS_MAIN(TestDossierClasse)
#include "test_dossier_classe.moc"
