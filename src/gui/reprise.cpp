#include "gui/reprise.h"

#include "base/texts/disque.h"
#include "gui/texts/documents.h"
#include "base/texts/partage.h"
#include "gui/fenetre/controles.h"
#include "gui/widgets/dialogues.h"
#include "gui/fenetre/etat_fenetre.h"
#include "gui/widgets/zone_texte.h"

#include <QTextDocument>

#include <thread>


#include <cerrno>

using recuperation::Releve;

namespace {

QString question(const Releve &r)
{
    const QString quoi = r.fichier.isEmpty()
                             ? QStringLiteral("le nouveau texte")
                             : QStringLiteral("le texte « %1 »").arg(Documents::extrait_nomfic(r.fichier));
    // Its first words tell a pupil which text it is when there are several.
    QString debut = r.texte.left(60).simplified();
    if (r.texte.size() > 60)
        debut += QStringLiteral("…");
    return QStringLiteral("Plumor s'est arrêté avant que %1 soit enregistré :\n« %2 »\n\nVoulez-vous le récupérer?")
        .arg(quoi, debut);
}

} // namespace

Reprise::Reprise(const QString &dossier, EtatFenetre &etat, Controles &c, Documents &documents, Partage &partage,
                 Dialogues &dialogues)
    : m_etat(etat), m_c(c), m_documents(documents), m_partage(partage), m_dialogues(dialogues),
      m_dossier(std::make_unique<recuperation::Dossier>(dossier)), m_vivant(std::make_shared<Vivant>())
{
    m_vivant->reprise = this;
    m_actif = m_dossier->erreur() == 0;
    m_ecrivain = std::make_shared<recuperation::Ecrivain>(*m_dossier, signalerEchec());
    m_delai.setSingleShot(true);
    m_delai.setInterval(delaiMs);
    m_bientot.setSingleShot(true);
    m_bientot.setInterval(0);
    connect(&m_delai, &QTimer::timeout, this, &Reprise::ecrire);
    connect(&m_bientot, &QTimer::timeout, this, &Reprise::ecrire);
    QTextDocument *document = m_c.Text1->document();
    // A keystroke only starts the delay: the record is built and written
    // later, and not restarted by the next key, so that it follows a pupil
    // who never pauses.
    connect(document, &QTextDocument::contentsChanged, this, [this] {
        if (!m_delai.isActive())
            m_delai.start();
    });
    // Saved: the record must stop offering what is now on disk.
    connect(document, &QTextDocument::modificationChanged, this, [this](bool modifie) {
        if (!modifie)
            m_bientot.start();
    });
    // A mark taken, set again or let go: the record must know it at once,
    // or a kill now would leave a mark nobody can recognise.
    connect(&m_partage, &Partage::changement, this, [this] { m_bientot.start(); });
    // An in-place rewrite starts only once the record holds its new bytes.
    // The window's thread makes the record, a copy of what it shows, and
    // hands it to the writer; the share's thread waits for the disk, so the
    // window never does.
    m_partage.surReecriture([this] {
        return ecrireEtAttendre(Fil::silenceMs, [this](bool basculer) {
            Demande d;
            QMetaObject::invokeMethod(this, [&] { d = demander(basculer); }, Qt::BlockingQueuedConnection);
            return d;
        });
    });
}

Reprise::~Reprise()
{
    m_partage.surReecriture({});
    {
        std::lock_guard<std::mutex> verrou(m_vivant->mutex);
        m_vivant->reprise = nullptr;
    }
    ecrire();
    // A folder that does not answer keeps its writer, and the writer's
    // thread, to the end of the process: an exit never waits for it.
    if (m_ecrivain->attendre(Fil::silenceMs) == ETIMEDOUT)
        laisser();
    m_ecrivain.reset();
}

std::function<void(int)> Reprise::signalerEchec()
{
    // From the writer's thread, which a folder that hangs may keep past this
    // object's end: the failure reaches it only while it stands.
    return [vivant = m_vivant](int err) {
        std::lock_guard<std::mutex> verrou(vivant->mutex);
        if (Reprise *moi = vivant->reprise)
            QMetaObject::invokeMethod(moi, [moi, err] { moi->echec(err); }, Qt::QueuedConnection);
    };
}

std::optional<Releve> Reprise::releveActuel() const
{
    Releve r;
    r.modifie = m_c.Text1->document()->isModified() && !m_c.Text1->estVide();
    if (r.modifie)
        r.texte = m_c.Text1->texteCrLf();
    r.fichier = m_etat.fichier_courant;
    r.marques = m_partage.tenues();
    r.reecriture = m_partage.reecriture();
    if (!r.modifie && r.marques.isEmpty() && !r.reecriture)
        return std::nullopt;
    return r;
}

void Reprise::laisser()
{
    // Its writer waits in the folder, maybe for ever: both are let go on a
    // thread of their own, the writer first, since it writes into the folder.
    std::thread([ecrivain = std::move(m_ecrivain), dossier = std::move(m_dossier)]() mutable {
        ecrivain.reset();
        dossier.reset();
    }).detach();
}

void Reprise::basculer()
{
    laisser();
    m_secours = true;
    m_dossier = std::make_unique<recuperation::Dossier>(recuperation::dossierDeSecours());
    m_actif = m_dossier->erreur() == 0;
    m_ecrivain = std::make_shared<recuperation::Ecrivain>(*m_dossier, signalerEchec());
    m_rienAGarder = false;
    // Not a question: nothing may hold up an end on a stop signal.
    m_dialogues.avis(QStringLiteral("Le dossier personnel ne répond pas : Plumor garde la copie de secours de votre "
                                    "texte sur ce poste."));
}

void Reprise::ecrire()
{
    m_delai.stop();
    m_bientot.stop();
    if (!m_secours && m_ecrivain->enRetard(Fil::silenceMs))
        basculer();
    if (!m_actif)
        return;
    std::optional<Releve> r = releveActuel();
    if (!r && m_rienAGarder)
        return;
    m_rienAGarder = !r;
    m_ecrivain->demander(std::move(r));
}

Reprise::Demande Reprise::demander(bool basculer)
{
    if (basculer && !m_secours)
        this->basculer();
    ecrire();
    return {m_ecrivain, m_actif, m_secours};
}

int Reprise::ecrireEtAttendre(int ms, const std::function<Demande(bool)> &demander)
{
    Demande d = demander(false);
    int err = d.ecrivain ? d.ecrivain->attendre(ms) : 0;
    if (err == ETIMEDOUT && !d.secours) {
        d = demander(true);
        err = d.ecrivain ? d.ecrivain->attendre(ms) : 0;
    }
    // Without a record folder at all there is no record to wait for.
    return d.actif ? err : 0;
}

int Reprise::ecrireMaintenant(int ms)
{
    return ecrireEtAttendre(ms, [this](bool basculer) { return demander(basculer); });
}

void Reprise::echec(int erreur)
{
    // Said once; the writer goes on trying, so the record catches up when it can.
    if (m_averti)
        return;
    m_averti = true;
    avertir(erreur);
}

void Reprise::avertir(int erreur)
{
    m_dialogues.information(QStringLiteral("Plumor ne peut pas garder de copie de secours du texte sur ce poste : "
                                           "%1 Pensez à enregistrer souvent.")
                                .arg(disque::description(erreur)));
}

void Reprise::liberer(const Releve &r, const QString &sauf)
{
    m_partage.appeler([&](FichiersTexte &f) {
        for (const FichiersTexte::Tenue &t : r.marques) {
            if (t.chemin == sauf)
                continue;
            if (f.reprendre(t))
                f.liberer(t.chemin);
            else
                f.oublier(t);
        }
        return 0;
    });
}

void Reprise::proposer()
{
    // A system that cannot tell its processes apart has nothing to tell the pupil about.
    if (const int err = m_dossier->erreur()) {
        if (err != ENOSYS)
            avertir(err);
        return;
    }
    int illisibles = 0;
    // What a copy left where the records went when this folder did not answer.
    recuperation::Dossier secours(recuperation::dossierDeSecours());
    QList<recuperation::Dossier::Perdu> perdus =
        recuperation::perdus(*m_dossier, secours.erreur() == 0 && !m_secours ? &secours : nullptr, &illisibles);
    // A save killed midway is finished first: its text then needs no offer.
    m_partage.appeler([&perdus](FichiersTexte &f) {
        for (recuperation::Dossier::Perdu &p : perdus)
            recuperation::terminer(p.releve, f);
        return 0;
    });
    if (illisibles > 0)
        m_dialogues.information(QStringLiteral("Un texte que Plumor gardait en secours est illisible : il n'a pas pu "
                                               "être récupéré."));
    for (recuperation::Dossier::Perdu &p : perdus) {
        if (!p.releve.aRecuperer() && p.source->reclamer(p)) {
            liberer(p.releve);
            p.source->oublier(p);
        }
    }
    for (recuperation::Dossier::Perdu &p : perdus) {
        if (!p.releve.aRecuperer() || !p.source->reclamer(p))
            continue;
        if (m_dialogues.question(question(p.releve))) {
            reprendre(p);
            return;
        }
        liberer(p.releve);
        p.source->oublier(p);
    }
}

void Reprise::reprendre(recuperation::Dossier::Perdu &p)
{
    const Releve r = p.releve;
    // The claimed record becomes this copy's own: ending before the next
    // write still leaves it for a later start.
    m_ecrivain->attendre(Fil::silenceMs);
    // A record of the other folder is written anew into this one, then goes.
    const bool adopte = p.source == m_dossier.get() && m_dossier->adopter(p) == 0;
    m_rienAGarder = false;
    const FichiersTexte::Tenue *t = r.marqueCourante();
    const bool tenu = t && m_partage.appeler([t](FichiersTexte &f) { return f.reprendre(*t); });
    liberer(r, tenu ? t->chemin : QString());
    m_documents.montrerTexte(tenu ? r.fichier : QString(), r.texte);
    // Unsaved work again: « Fermer » and « Quitter » offer to save it.
    m_c.Text1->document()->setModified(true);
    m_etat.ecriture_en_cours = 1;
    ecrireMaintenant();
    if (!adopte)
        p.source->oublier(p);
    if (!r.fichier.isEmpty() && !tenu)
        m_dialogues.information(QStringLiteral("Le texte « %1 » a été modifié ou libéré depuis : ce qui a été "
                                               "récupéré est un nouveau texte. Gardez-le avec « Enregistrer sous... ».")
                                    .arg(Documents::extrait_nomfic(r.fichier)));
}
