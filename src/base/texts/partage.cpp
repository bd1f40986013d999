#include "base/texts/partage.h"

Partage::Partage(Attributs &attributs, const QString &chemin) : m_attributs(attributs), m_chemin(chemin)
{
    Fil::poster([this] {
        m_fichiers = std::make_unique<FichiersTexte>(m_attributs, std::make_shared<const DossierClasse>(m_chemin));
        m_fichiers->surReecriture([this] {
            publier();
            std::function<int()> f;
            {
                std::lock_guard<std::mutex> verrou(m_mutex);
                f = m_surReecriture;
            }
            return f ? f() : 0;
        });
        m_fichiers->surChangement([this] {
            publier();
            QMetaObject::invokeMethod(this, [this] { emit changement(); }, Qt::QueuedConnection);
        });
    });
}

Partage::~Partage()
{
    // A share that answers gets the files this copy holds closed on its own
    // thread; a share stuck in a call keeps them, and the thread, to the end.
    if (vider(1000))
        Fil::poster([fichiers = m_fichiers.release()] { delete fichiers; });
    else
        (void)m_fichiers.release();
}

void Partage::poster(std::function<void(FichiersTexte &)> travail)
{
    Fil::poster([this, travail = std::move(travail)] {
        m_fichiers->fermerLesAnciens();
        travail(*m_fichiers);
        publier();
    });
}

void Partage::publier()
{
    std::lock_guard<std::mutex> verrou(m_mutex);
    m_tenues = m_fichiers->tenues();
    m_reecriture = m_fichiers->reecriture();
}

std::optional<FichiersTexte::Reecriture> Partage::reecriture() const
{
    std::lock_guard<std::mutex> verrou(m_mutex);
    return m_reecriture;
}

QList<FichiersTexte::Tenue> Partage::tenues() const
{
    std::lock_guard<std::mutex> verrou(m_mutex);
    return m_tenues;
}

void Partage::surReecriture(std::function<int()> f)
{
    std::lock_guard<std::mutex> verrou(m_mutex);
    m_surReecriture = std::move(f);
}
