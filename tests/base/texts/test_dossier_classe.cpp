#include "classe.h"
#include "base/texts/dossier_classe.h"

#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

// What test_fichiers_texte::hostile leaves out: paths outside the class
// folder, relative paths, and the walk a tool makes from a folder's descriptor.
class TestDossierClasse : public QObject
{
    Q_OBJECT
private slots:
    void resoudre()
    {
        Classe classe, ailleurs;
        classe.ecrire(QStringLiteral("CM1/a.txt"), "a");
        ailleurs.ecrire(QStringLiteral("prive/b.txt"), "b");
        const auto lien = [&](const QString &cible, const QString &nom) {
            QVERIFY(::symlink(QFile::encodeName(cible).constData(), QFile::encodeName(classe.chemin(nom)).constData()) == 0);
        };
        lien(ailleurs.chemin(QStringLiteral("prive")), QStringLiteral("CE2"));
        lien(QStringLiteral("a.txt"), QStringLiteral("CM1/l.txt"));
        const DossierClasse d(classe.dossier());
        const auto erreur = [&](const QString &c) { return d.ouvrir(c, O_RDONLY).erreur(); };
        QVERIFY(d.erreur() == 0 && erreur(QStringLiteral("CM1/./a.txt")) == 0);
        QVERIFY(d.contient(classe.chemin(QStringLiteral("CE2/../x"))) && !d.contient(classe.chemin(QStringLiteral("../x"))));
        // Outside the class folder only the last component may not be a link.
        QCOMPARE(erreur(ailleurs.chemin(QStringLiteral("prive/b.txt"))), 0);
        QByteArray nom;
        QVERIFY(d.ouvrirParent(classe.chemin(QStringLiteral("CM1/neuf.txt")), nom).ok() && nom == "neuf.txt");
        QCOMPARE(d.ouvrirParent(classe.chemin(QStringLiteral("CE2/neuf.txt")), nom).erreur(), ELOOP);
        // A tool's walk: one component at a time from an open folder.
        QCOMPARE(DossierClasse::ouvrirSousDossier(d.fd(), "CE2").erreur(), ELOOP);
        const Descripteur cm1 = DossierClasse::ouvrirSousDossier(d.fd(), "CM1");
        QVERIFY(cm1.ok() && DossierClasse::ouvrirDans(cm1.fd(), "a.txt", O_RDONLY).ok());
        QCOMPARE(DossierClasse::ouvrirDans(cm1.fd(), "l.txt", O_RDONLY).erreur(), ELOOP);
        QCOMPARE(DossierClasse::ouvrirDans(d.fd(), "CM1/a.txt", O_RDONLY).erreur(), EINVAL);
    }
};

QTEST_APPLESS_MAIN(TestDossierClasse)
#include "test_dossier_classe.moc"
