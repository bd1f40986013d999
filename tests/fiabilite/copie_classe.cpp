// One pupil's copy of Plumor under load: it drives the real document
// procedures on a shared class folder, at random from a seed or all copies
// opening the same text at the same instant, and writes a journal of the
// texts it held and the versions it wrote, for classe_stress to check.
//
//   copie_classe <folder> <id> <seed> <operations> <journal> hasard|dispute
//                <period_ms> [sans-verrou]
// It says "pret" once its window is up and starts at the monotonic instant
// (ns) it then reads on its standard input.
#include "journal.h"

#include "app/demarrage.h"
#include "fenetre.h"
#include "texts/attributs.h"
#include "texts/documents.h"
#include "texts/navigateur.h"
#include "ui/liste_fichiers.h"
#include "ui/zone_texte.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QRandomGenerator>

#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

using R = Dialogues::Reponse;

struct Evenement {
    char type; // 'M' mark written, 'R' release about to be written
    QString chemin;
    qint64 t;
};

// The system's attributes, timing each mark and release, so that a hold
// starts exactly when the mark is on disk and ends just before it goes.
class AttributsChronometres : public AttributsSysteme
{
public:
    std::vector<Evenement> evenements;
    int ecrire(const QString &chemin, quint16 mot) override
    {
        if (!attribut::estMarque(mot))
            evenements.push_back({'R', chemin, fiabilite::maintenant()});
        const int err = AttributsSysteme::ecrire(chemin, mot);
        if (err == 0 && attribut::estMarque(mot))
            evenements.push_back({'M', chemin, fiabilite::maintenant()});
        return err;
    }
};

// Makes flock() fail as on a file system without locks, to measure the
// protocol without the OS lock.
bool refuserFlock()
{
    sock_filter filtre[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_flock, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (ENOLCK & SECCOMP_RET_DATA)),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog prog{static_cast<unsigned short>(std::size(filtre)), filtre};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &prog) == 0;
}

void attendreJusqua(qint64 ns)
{
    const timespec t{time_t(ns / 1000000000), long(ns % 1000000000)};
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
    }
}

class Copie
{
public:
    Copie(Fenetre &f, AttributsChronometres &a, int id, quint64 graine, FILE *journal)
        : m_f(f), m_a(a), m_id(id), m_hasard(graine), m_journal(journal)
    {
    }

    // Runs one document command and records what it changed.
    template <typename F>
    void commande(F f)
    {
        m_a.evenements.clear();
        m_f.dialogues->messages.clear();
        f();
        const qint64 fin = fiabilite::maintenant();
        const QString apres = m_f.etat().fichier_courant;
        if (apres != m_tenu) {
            if (!m_tenu.isEmpty())
                std::fprintf(m_journal, "T %s %lld %lld\n", qPrintable(m_tenu), m_debut, dernier('R', m_tenu, fin));
            if (!apres.isEmpty())
                m_debut = dernier('M', apres, fin);
            m_tenu = apres;
        }
        for (const QString &t : m_f.dialogues->textes()) {
            if (t == fiabilite::kPris || t == fiabilite::kMemeNom)
                ++refus;
            else if (t.startsWith(QLatin1String("Erreur")) || t.startsWith(QLatin1String("erreur")))
                std::fprintf(m_journal, "X %s\n", t.toUtf8().constData());
        }
        m_f.dialogues->reponses.clear();
        m_f.dialogues->fichiers.clear();
    }

    // A write to `chemin` is recorded when the file holds the writing zone's
    // text afterwards, with the window in which it can have happened.
    void noterEcriture(const QString &chemin, const QByteArray &attendu, qint64 avant)
    {
        if (chemin.isEmpty() || attendu.isEmpty() || lireOctets(chemin) != attendu)
            return;
        qint64 debut = avant;
        for (const Evenement &e : m_a.evenements) {
            if (e.chemin == chemin) {
                debut = e.t;
                break;
            }
        }
        std::fprintf(m_journal, "E %s %lld %lld\n", qPrintable(chemin), debut,
                     dernier('M', chemin, fiabilite::maintenant()));
        ++ecritures;
    }

    QString texteAuHasard(const QStringList &textes) { return textes.at(int(m_hasard.bounded(textes.size()))); }
    R ouiNon() { return m_hasard.bounded(2) ? R::Oui : R::Non; }
    // Opening and changing are the most frequent, as in a class.
    char operationAuHasard() { return "oooccceesffl"[m_hasard.bounded(12)]; }

    void changer()
    {
        ++m_seq;
        ZoneTexte *z = m_f.c().Text1;
        z->selectAll();
        z->remplacerSelection(fiabilite::version(m_id, m_seq, m_hasard));
    }

    void ouvrir(const QString &chemin, bool tenter = true)
    {
        const bool maj = m_hasard.bounded(2);
        const QString courant = m_f.etat().fichier_courant;
        const bool ecrit = maj && m_f.etat().ecriture_en_cours == 1 && !m_f.c().Text1->estVide();
        const QByteArray attendu = ecrit ? aEcrire() : QByteArray();
        const qint64 avant = fiabilite::maintenant();
        commande([&] {
            m_f.dialogues->reponses << (maj ? R::Oui : R::Non) << R::Oui;
            m_f.dialogues->fichiers << chemin;
            m_f.form->documents().ouvrir_Click();
        });
        if (tenter)
            ++ouvertures;
        if (m_f.etat().fichier_courant == chemin && courant != chemin)
            ++ouverturesReussies;
        noterEcriture(courant.isEmpty() ? chemin : courant, attendu, avant);
    }

    void enregistrer(const QString &cible)
    {
        const QString courant = m_f.etat().fichier_courant;
        const QByteArray attendu = aEcrire();
        const qint64 avant = fiabilite::maintenant();
        commande([&] {
            m_f.dialogues->reponses << R::Oui;
            m_f.dialogues->fichiers << cible;
            m_f.form->documents().enregistrer_Click();
        });
        noterEcriture(courant.isEmpty() ? cible : courant, attendu, avant);
    }

    void enregistrerSous(const QString &cible)
    {
        const QByteArray attendu = aEcrire();
        const qint64 avant = fiabilite::maintenant();
        commande([&] {
            m_f.dialogues->reponses << R::Oui;
            m_f.dialogues->fichiers << cible;
            m_f.form->documents().enregistrer_sous_Click();
        });
        noterEcriture(cible, attendu, avant);
    }

    void fermer(bool enregistrer, const QString &cible)
    {
        const QString courant = m_f.etat().fichier_courant;
        const QByteArray attendu = enregistrer ? aEcrire() : QByteArray();
        const qint64 avant = fiabilite::maintenant();
        commande([&] {
            m_f.dialogues->reponses << (enregistrer ? R::Oui : R::Non) << R::Oui;
            m_f.dialogues->fichiers << cible;
            m_f.form->documents().Fermer_Click();
        });
        noterEcriture(courant.isEmpty() ? cible : courant, attendu, avant);
    }

    void lire(const QString &nom)
    {
        commande([&] {
            ListeFichiers *l = m_f.c().File1;
            const auto trouves = l->findItems(nom, Qt::MatchExactly);
            // Selecting another name is the click; the same name is clicked again.
            if (!trouves.isEmpty() && l->currentItem() != trouves.first())
                l->setCurrentItem(trouves.first());
            else
                m_f.form->navigateur().File1_Click();
        });
        // The reader pane shows what the file held: one whole version.
        const QString lu = m_f.c().Text2->texteCrLf();
        if (!lu.isEmpty() && !fiabilite::lireVersion(lu.toLatin1()).valide)
            ++lecturesDechirees;
    }

    void terminer()
    {
        while (!m_f.etat().fichier_courant.isEmpty() || !m_f.c().Text1->estVide())
            fermer(false, {});
    }

    int ouvertures = 0, ouverturesReussies = 0, refus = 0, ecritures = 0, lecturesDechirees = 0;

private:
    QByteArray aEcrire() const { return m_f.c().Text1->texteCrLf().toLatin1() + "\r\n"; }

    static QByteArray lireOctets(const QString &chemin)
    {
        QFile f(chemin);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    qint64 dernier(char type, const QString &chemin, qint64 parDefaut) const
    {
        for (auto it = m_a.evenements.rbegin(); it != m_a.evenements.rend(); ++it) {
            if (it->type == type && it->chemin == chemin)
                return it->t;
        }
        return parDefaut;
    }

    Fenetre &m_f;
    AttributsChronometres &m_a;
    int m_id;
    QRandomGenerator m_hasard;
    FILE *m_journal;
    QString m_tenu;
    qint64 m_debut = 0;
    int m_seq = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    preparerApplication(app);
    const QStringList args = app.arguments();
    if (args.size() < 8) {
        std::fprintf(stderr, "usage: copie_classe folder id seed operations journal hasard|dispute "
                             "period_ms [sans-verrou]\n");
        return 2;
    }
    const QString dossier = args.at(1);
    const int id = args.at(2).toInt();
    const quint64 graine = args.at(3).toULongLong();
    const int operations = args.at(4).toInt();
    const bool dispute = args.at(6) == QLatin1String("dispute");
    const qint64 periode = args.at(7).toLongLong() * 1000000;
    if (args.last() == QLatin1String("sans-verrou") && !refuserFlock()) {
        std::fprintf(stderr, "cannot refuse flock\n");
        return 2;
    }

    FILE *journal = std::fopen(QFile::encodeName(args.at(5)).constData(), "w");
    if (!journal)
        return 2;
    auto attributs = std::make_unique<AttributsChronometres>();
    AttributsChronometres &a = *attributs;
    Fenetre f = ouvrirFenetre(dossier, std::move(attributs));
    Copie copie(f, a, id, graine, journal);
    const QStringList noms = QDir(dossier).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    QStringList textes;
    for (const QString &n : noms)
        textes << QDir(dossier).filePath(n);

    std::printf("pret\n");
    std::fflush(stdout);
    char ligne[32] = {};
    if (!std::fgets(ligne, sizeof ligne, stdin))
        return 2;
    const qint64 depart = std::strtoll(ligne, nullptr, 10);
    attendreJusqua(depart);

    for (int i = 0; i < operations; ++i) {
        if (dispute) {
            // Every copy opens the same free text at the same instant, then lets it go.
            const QString cible = textes.at(i % textes.size());
            attendreJusqua(depart + i * periode);
            copie.ouvrir(cible);
            attendreJusqua(depart + i * periode + periode / 2);
            if (f.etat().fichier_courant == cible)
                copie.fermer(false, {});
            continue;
        }
        const QString cible = copie.texteAuHasard(textes);
        switch (copie.operationAuHasard()) {
        case 'o': copie.ouvrir(cible); break;
        case 'c': copie.changer(); break;
        case 'e': copie.enregistrer(cible); break;
        case 's': copie.enregistrerSous(cible); break;
        case 'f': copie.fermer(copie.ouiNon() == R::Oui, cible); break;
        default: copie.lire(QFileInfo(cible).fileName()); break;
        }
    }
    copie.terminer();
    std::fprintf(journal, "S %d %d %d %d %d\n", copie.ouvertures, copie.ouverturesReussies, copie.refus,
                 copie.ecritures, copie.lecturesDechirees);
    return std::fclose(journal) == 0 ? 0 : 1;
}
