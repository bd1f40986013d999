#include "base/texts/partage.h"

#include "base/texts/attributs.h"

Partage::Partage(Attributs &attributs, const QString &chemin) : m_commun(std::make_shared<Commun>())
{
    m_commun->attributs = &attributs;
    m_commun->chemin = chemin;
    demarrer();
}

Partage::Partage(std::unique_ptr<Attributs> attributs, const QString &chemin) : m_commun(std::make_shared<Commun>())
{
    m_commun->attributs = attributs.get();
    m_commun->attributsPropres = std::move(attributs);
    m_commun->chemin = chemin;
    demarrer();
}

void Partage::demarrer()
{
    Fil::poster([c = m_commun, vers = versLAppelant()] {
        c->fichiers = std::make_unique<FichiersTexte>(*c->attributs, std::make_shared<const DossierClasse>(c->chemin));
        // The callbacks live in what the Commun owns: a plain pointer back to it.
        Commun *commun = c.get();
        c->fichiers->surReecriture([commun] {
            commun->publier();
            std::function<int()> f;
            {
                std::lock_guard<std::mutex> verrou(commun->mutex);
                f = commun->surReecriture;
            }
            return f ? f() : 0;
        });
        c->fichiers->surChangement([commun, vers] {
            commun->publier();
            vers([](Fil &moi) { emit static_cast<Partage &>(moi).changement(); });
        });
    });
}

Partage::~Partage()
{
    // A share that answers gets the files this copy holds closed on its own
    // thread; a call stuck in the share keeps them, with all it works with,
    // until it returns.
    if (vider(1000))
        Fil::poster([c = m_commun] { c->fichiers.reset(); });
}

void Partage::poster(std::function<void(FichiersTexte &)> travail)
{
    Fil::poster([c = m_commun, travail = std::move(travail)] {
        c->fichiers->fermerLesAnciens();
        travail(*c->fichiers);
        c->publier();
    });
}

void Partage::Commun::publier()
{
    std::lock_guard<std::mutex> verrou(mutex);
    tenues = fichiers->tenues();
    reecriture = fichiers->reecriture();
}

std::optional<FichiersTexte::Reecriture> Partage::reecriture() const
{
    std::lock_guard<std::mutex> verrou(m_commun->mutex);
    return m_commun->reecriture;
}

QList<FichiersTexte::Tenue> Partage::tenues() const
{
    std::lock_guard<std::mutex> verrou(m_commun->mutex);
    return m_commun->tenues;
}

void Partage::surReecriture(std::function<int()> f)
{
    std::lock_guard<std::mutex> verrou(m_commun->mutex);
    m_commun->surReecriture = std::move(f);
}
