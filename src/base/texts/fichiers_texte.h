#pragma once

#include "base/texts/disque.h"
#include "base/texts/dossier_classe.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class Attributs;

// The class's texts on disk with their mark, and nothing of the window: each
// call says what happened, and the window decides what the pupil is told.
//
// A copy holds a text while the text's attribute word is exactly 1. Each
// test of a mark and the setting that follows it run under a short
// operating-system lock on the file, so that two copies at the same instant
// cannot both take one text; the lock is always dropped before a call
// returns, so no pupil's answer is ever awaited while it is held.
//
// A text this copy holds is an open file, from the take to the release, with
// a lock the system drops when the copy dies (verrou::tenir), and where the
// folder allows it a claim beside it (prise.h) that keeps the take single
// between machines whose share does not pass locks on. The release, every
// save of the text and "is this text mine?" act on that open file, never on
// a path resolved again nor on an inode number remembered: a file this copy
// holds can never be taken for another.
//
// Every path is resolved once, through the class folder's descriptor, and
// each test and the change after it act on that one open file. Below the
// class folder a link in any component is refused; a text with another name
// elsewhere (a hard link) is neither opened for writing, nor marked, nor
// released, since its mark would be the other name's too.
class FichiersTexte
{
public:
    // Files of more bytes are neither read nor written.
    static constexpr qint64 tailleMaximale = 32000;

    // Paths are resolved from `dossier`; without one, from the folder the
    // process started in, opened now.
    explicit FichiersTexte(Attributs &attributs, std::shared_ptr<const DossierClasse> dossier = {});
    ~FichiersTexte();
    FichiersTexte(const FichiersTexte &) = delete;
    FichiersTexte &operator=(const FichiersTexte &) = delete;

    struct Lecture {
        enum class Issue { Lu, Vide, Pris, TropLong, Erreur };
        Issue issue = Issue::Erreur;
        QString texte;  // the content, when Lu
        int erreur = 0; // the errno, when Erreur
    };
    // For the reader pane: the mark is neither tested nor touched.
    Lecture lire(const QString &chemin) const;
    // For writing: refuses a text another copy holds, marks the text it reads
    // and holds it from then on; a text this copy holds is read again as its
    // own. A link is refused (Erreur), and so is a text whose mark cannot be
    // set or does not stay (ENOTSUP): other copies would not see it taken.
    Lecture prendre(const QString &chemin);

    // What stands where a text is to be written under a new name. Any file
    // counts, hidden ones too.
    struct Cible {
        enum class Etat { Absente, Libre, Prise, Lien, Erreur };
        Etat etat = Etat::Absente;
        int erreur = 0;
    };
    Cible examiner(const QString &chemin) const;

    struct Ecriture {
        // EcritNonMarque: the text is written but other copies may not see it
        // as taken.
        enum class Issue { Ecrit, EcritNonMarque, Prise, TropLong, Erreur };
        Issue issue = Issue::Erreur;
        // Erreur: why nothing was written (EAGAIN when another copy kept the
        // text's lock too long). EcritNonMarque: why the text could not be marked.
        disque::Erreur erreur;
        bool ecrit() const { return issue == Issue::Ecrit || issue == Issue::EcritNonMarque; }
    };
    // Writes a text under a new name and holds it. A file found free by
    // examiner() is tested again under the lock (a copy may have taken it
    // while the pupil was asked) and keeps its mark from then on; when the
    // write fails its content and attribute word stay as they were.
    Ecriture ecrireSous(const QString &chemin, const QByteArray &octets);
    // Rewrites a text this copy holds and keeps it marked. A text that could
    // not be written keeps its previous content and its mark. A held text
    // deleted meanwhile is not written (texteSupprime), nor one whose name
    // now names another file (cheminChange). Where no draft may be created
    // beside it, the text is rewritten in place, under the lock and without
    // ever lifting its mark while a byte is written.
    Ecriture reecrire(const QString &chemin, const QByteArray &octets);

    // What the recovery record keeps of a text this copy holds.
    struct Tenue {
        QString chemin;
        disque::Identite identite; // right after the mark was set, or the last save
        QByteArray jeton;          // of its claim; empty where none could be made
        int modeAvant = -1;        // its permissions before the mark; -1: unknown
    };
    // An in-place rewrite under way: what a copy killed in its middle must
    // finish at its next start.
    struct Reecriture {
        QString chemin;
        disque::Identite identite; // the file being rewritten, before anything changed
        QByteArray octets;         // its new content
        QByteArray avant;          // its content before
        QByteArray jeton;          // of the claim the copy held it by
    };
    const std::optional<Reecriture> &reecriture() const { return m_reecriture; }
    // Called before an in-place rewrite changes anything, even the mode; it
    // returns once the recovery record holds reecriture(), with 0, or with
    // the errno that kept the record from it: nothing is written then.
    void surReecriture(std::function<int()> f) { m_surReecriture = std::move(f); }
    // Finishes a dead copy's rewrite, only while the text is still that
    // copy's: below the class folder, no living copy holds it, still marked,
    // still under its claim where it had one, and its bytes the new ones as
    // far as the write went and the old ones after. Returns the file's
    // identity afterwards, or nothing when it is not that copy's; `fini` says
    // whether the rewrite ended.
    std::optional<disque::Identite> terminer(const Reecriture &r, bool &fini);

    // Releases a text this copy holds, wherever it went meanwhile; any other
    // path is left alone. A held text deleted meanwhile is no longer anybody's.
    disque::Erreur liberer(const QString &chemin);
    // Releases every text this copy holds, for an end no dialog may delay.
    void libererTout();

    // Takes over a text that a copy which ended without releasing it held:
    // only below the class folder, while no living copy holds it, it is still
    // marked and still that copy's: its claim still holds the copy's token,
    // or, where it had none, the file is, to the nanosecond of its last
    // change of content or mode, the file that copy marked. The text is then
    // this copy's, as if it had opened it.
    bool reprendre(const Tenue &tenue);
    // Removes the claim a dead copy left on a text it no longer holds, while
    // it is still that copy's.
    void oublier(const Tenue &tenue);

    // A share that went away and came back (a server restarted, mounted
    // anew): the class folder is opened again by its path, still beneath it
    // with no link followed, and each text held by its name, where it is
    // still this copy's (its identity, its mark, its claim). False while the
    // share does not answer.
    bool reconnecter();
    // Whether an error says the share went away rather than refused.
    static bool partiDuPartage(int erreur);

    // Closes the files a save replaced and a release let go. A close on a
    // share waits for the server; the caller does it once the command's
    // answer is given (the next call does it first).
    void fermerLesAnciens();

    QList<Tenue> tenues() const;
    const DossierClasse &dossier() const { return *m_dossier; }
    // Called after every change of tenues(), for a record that must follow it.
    void surChangement(std::function<void()> f) { m_surChangement = std::move(f); }

    // Whether this copy holds a text known by this path: a text taken again
    // by another of its names is known by the new one only.
    bool tient(const QString &chemin) const;

private:
    struct TexteTenu;
    // The text held at this path, or null.
    TexteTenu *tenu(const QString &chemin);
    // The text held as the open file `fd`, or null.
    TexteTenu *tenu(int fd);
    TexteTenu *tenu(const struct sys::stat &vu);
    void tenir(TexteTenu &&t);
    void changement();
    // The claim of `nom` in `dossier` for this copy: 0 with its token in
    // `jeton` (empty where the folder holds none), or EEXIST when another's
    // claim is there. `texte`: the free text open, -1 for a new one.
    int revendiquer(int dossier, const QByteArray &nom, int texte, int modeAvant, QByteArray &jeton);
    // Whether a marked text is this copy's own take, whose reply was lost on
    // its way back (the share went and came back between its mark and the
    // answer): its claim is there with the token this copy made it with.
    bool reprisApresReponsePerdue(int dossier, std::pair<quint64, quint64> idDossier, const QByteArray &nom,
                                  QByteArray &jeton, int &modeAvant);
    // Whether the text changed since it was tested: marked by a copy that
    // made no claim, or replaced under its name (by another program); then
    // this copy's claim goes.
    bool changeEntreTemps(int fd, int dossier, const QByteArray &nom, const QByteArray &jeton);
    // Marks the open text unless it already is, and reads the mark back: 0
    // or an errno (ENOTSUP where the mark does not stay).
    int marquer(int fd);
    disque::AvantRenommage marquerLeBrouillon();
    // The text a draft became, held and marked.
    int pris(const Descripteur &texte);
    // Writes a text held under the lock `fd` is open with, as `nom` of the
    // open folder `dossier`; `texte` gets the file that is the text
    // afterwards, `errMarque` why it could not be marked.
    disque::Erreur ecrireTenu(int fd, int dossier, const QByteArray &nom, const QString &chemin, const QByteArray &octets,
                              const QByteArray &jeton, Descripteur &texte, int &errMarque);
    // `jeton`: the recovery record is told first, with the claim the text is held by.
    disque::Erreur surPlace(int fd, const QString &chemin, const QByteArray &octets,
                            const std::optional<QByteArray> &jeton);

    Attributs &m_attributs;
    std::shared_ptr<const DossierClasse> m_dossier;
    std::vector<TexteTenu> m_tenus;
    std::vector<Descripteur> m_aFermer; // see fermerLesAnciens()
    std::function<void()> m_surChangement;
    std::function<int()> m_surReecriture;
    std::optional<Reecriture> m_reecriture;
    std::set<std::pair<quint64, quint64>> m_nettoyes; // folders whose dead claims' files went
    // The last claim this copy tried to make, for a take whose reply was lost.
    struct Tentative {
        std::pair<quint64, quint64> dossier;
        QByteArray nom, jeton;
        int modeAvant = -1;
    };
    Tentative m_tentative;
};
