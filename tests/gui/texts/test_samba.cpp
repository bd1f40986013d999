// Windows copies through a real Samba share: a private smbd on the loopback
// interface shares a class folder with the settings the teacher's guide
// gives, and smbclient plays the Windows copy.
#include "fenetre.h"

#include "gui/texts/documents.h"
#include "gui/texts/navigateur.h"
#include "gui/widgets/liste_fichiers.h"
#include "gui/widgets/zone_texte.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

class TestSamba : public QObject
{
    Q_OBJECT
    Classe m_racine; // smbd's own files
    Classe m_classe;
    QProcess m_smbd;
    QString m_partage = m_classe.dossier();
    QString m_port = QString::number(20000 + ::getpid() % 20000);

    QString smb(const QString &commande)
    {
        return sortie(QStringLiteral("smbclient"), {QStringLiteral("//127.0.0.1/classe"), QStringLiteral("-p"), m_port,
                                                    QStringLiteral("-N"), QStringLiteral("-c"), commande}, true);
    }
    // The DOS word the Windows copy sees, or -1.
    int attributs(const QString &nom)
    {
        const auto m = QRegularExpression(QStringLiteral("attributes: .*\\((\\w+)\\)")).match(smb(QStringLiteral("allinfo ") + nom));
        return m.hasMatch() ? m.captured(1).toInt(nullptr, 16) : -1;
    }

private slots:
    void initTestCase()
    {
        if (::geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("smbd"), {"/usr/sbin"}).isEmpty())
            QSKIP("needs root and Debian's samba and smbclient (scripts/tester.sh installs them)");
        QString global = QStringLiteral("[global]\nsmb ports = %1\ninterfaces = lo\nbind interfaces only = yes\n"
                                        "disable netbios = yes\nmap to guest = Bad User\nload printers = no\n").arg(m_port);
        for (const char *d : {"state directory", "cache directory", "lock directory", "pid directory", "private dir", "ncalrpc dir"})
            global += QStringLiteral("%1 = %2\n").arg(QLatin1String(d), m_racine.dossier());
        global += QStringLiteral("[classe]\npath = %1\nread only = no\nguest ok = yes\nforce user = %2\n"
                                 "map readonly = yes\nstore dos attributes = no\ncreate mask = 0764\n")
                      .arg(m_partage, QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name));
        const QString conf = m_racine.ecrire(QStringLiteral("smb.conf"), global.toUtf8());
        const QString vu = sortie(QStringLiteral("testparm"), {QStringLiteral("-s"), conf});
        QVERIFY2(vu.contains(u"map readonly = yes") && vu.contains(u"store dos attributes = No"), qPrintable(vu));
        m_smbd.start(QStringLiteral("/usr/sbin/smbd"), {QStringLiteral("--foreground"), QStringLiteral("--no-process-group"),
                                                        QStringLiteral("--configfile=") + conf});
        const auto pret = [this] { return smb(QStringLiteral("ls")).contains(u"blocks available"); };
        for (int i = 0; i < 100 && !pret(); ++i)
            QTest::qWait(100);
        if (!pret())
            QSKIP(qPrintable(QStringLiteral("smbd did not start: ") + smb(QStringLiteral("ls"))));
    }
    void cleanupTestCase()
    {
        m_smbd.kill();
        m_smbd.waitForFinished();
    }

    void uneMarqueVueDesDeuxCotes()
    {
        const QString a = m_classe.ecrire(QStringLiteral("a.txt"), "Il \xE9tait\r\n");
        const QString b = m_classe.ecrire(QStringLiteral("b.txt"), "Il \xE9tait\r\n");
        Fenetre f = ouvrirFenetre(m_partage);
        f.dialogues->fichiers << a;
        f.documents().ouvrir_Click();
        f.attendre();
        QCOMPARE(attributs(QStringLiteral("a.txt")), 0x1);
        // Saved again and again: the Windows copy never sees the text free.
        QProcess guetteur;
        guetteur.setProcessChannelMode(QProcess::MergedChannels);
        guetteur.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("for i in $(seq 15); do smbclient "
            "//127.0.0.1/classe -p %1 -N -c 'allinfo a.txt' | grep attributes; done").arg(m_port)});
        int n = 0;
        for (; guetteur.state() != QProcess::NotRunning; ++n) {
            f.c().Text1->definirTexteCrLf(QStringLiteral("version %1").arg(n));
            bool ecrit = false;
            f.documents().reenregistrer(a, [&](bool e) { ecrit = e; });
            f.attendre();
            QVERIFY(ecrit);
            guetteur.waitForFinished(10);
        }
        // smbd answers "(0)", no attribute at all, when the file it opened was
        // replaced during the query, as with any rename over it (mv does it
        // too); that is no reading of the file.
        QStringList vus = QString::fromLocal8Bit(guetteur.readAll()).split(u'\n', Qt::SkipEmptyParts);
        vus.removeIf([](const QString &v) { return v.endsWith(u"(0)"); });
        qInfo("%d saves while the Windows copy looked 15 times, %lld readings", n, qlonglong(vus.size()));
        QVERIFY(vus.size() >= 10);
        QVERIFY2(vus.filter(QStringLiteral("R (1)")).size() == vus.size(), qPrintable(vus.join(u'|')));
        f.dialogues->reponses << Dialogues::Reponse::Non;
        f.documents().Fermer_Click();
        f.attendre();
        QCOMPARE(attributs(QStringLiteral("a.txt")) & 0x1, 0);

        // Read-only from Windows is a mark; read-only and archive is free, as the Windows copies count.
        smb(QStringLiteral("setmode b.txt +r"));
        f.dialogues->fichiers << b;
        f.documents().ouvrir_Click();
        f.attendre();
        QCOMPARE(f.dialogues->textes().last(), QStringLiteral("Quelqu'un travaille déjà sur ce texte!"));
        smb(QStringLiteral("setmode b.txt -r; setmode b.txt +ra"));
        QCOMPARE(attributs(QStringLiteral("b.txt")), 0x21);
        f.dialogues->fichiers << b;
        f.documents().ouvrir_Click();
        f.attendre();
        QVERIFY(f.etat().fichier_courant == b && attributs(QStringLiteral("b.txt")) == 0x1);

        // A text the Windows copy writes reads the same in the reader pane.
        m_racine.ecrire(QStringLiteral("w.txt"), "\xAB Caf\xE9 \x9C\x80 \xBB\r\nfin\r\n");
        smb(QStringLiteral("lcd %1; put w.txt c.txt").arg(m_racine.dossier()));
        f.c().File1->actualiser();
        f.attendre();
        f.c().File1->setCurrentRow(2);
        f.attendre();
        QCOMPARE(f.c().Text2->texteCrLf(), QStringLiteral("« Café œ€ »\r\nfin\r\n"));
    }
};

QTEST_MAIN(TestSamba)
#include "test_samba.moc"
