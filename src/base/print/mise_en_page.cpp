#include "base/print/mise_en_page.h"

#include <QStringView>

#include <algorithm>
#include <cmath>

namespace {

constexpr double colonneEntete = 5;
constexpr int ligneEntete = 1;
constexpr int ligneTrait = 2;
constexpr int premiereLigne = 5;
constexpr double colonneTexte = 1;
constexpr double bordGauche = 0;
// Where the text resumes after a guillemet or a dash that starts a line.
constexpr double colonneRetrait = 3;
constexpr int pasDeLigne = 2;
constexpr double reserveDroite = 5;

// What a token holds that decides how it is laid out; a later case wins
// over an earlier one.
enum class Cas {
    Ordinaire,              // nothing below
    Marque,                 // « or » or -
    RetourGuillemetOuvrant, // line feed then «
    GuillemetOuvrantRetour, // « then line feed
    RetourGuillemetFermant, // line feed then »
    GuillemetFermantRetour, // » then line feed
    RetourTiret,            // line feed then a dialogue dash
};

Cas casDe(QStringView t)
{
    // One pass over the token instead of one search per pattern; the later
    // case still wins over the earlier one.
    bool marque = false, retourOuvrant = false, ouvrantRetour = false, retourFermant = false,
         fermantRetour = false, retourTiret = false;
    QChar precedent;
    for (const QChar c : t) {
        switch (c.unicode()) {
        case u'«':
            marque = true;
            retourOuvrant |= precedent == u'\n';
            break;
        case u'»':
            marque = true;
            retourFermant |= precedent == u'\n';
            break;
        case u'-':
            marque = true;
            retourTiret |= precedent == u'\n';
            break;
        case u'\n':
            ouvrantRetour |= precedent == u'«';
            fermantRetour |= precedent == u'»';
            break;
        default:
            break;
        }
        precedent = c;
    }
    if (retourTiret)
        return Cas::RetourTiret;
    if (fermantRetour)
        return Cas::GuillemetFermantRetour;
    if (retourFermant)
        return Cas::RetourGuillemetFermant;
    if (ouvrantRetour)
        return Cas::GuillemetOuvrantRetour;
    if (retourOuvrant)
        return Cas::RetourGuillemetOuvrant;
    return marque ? Cas::Marque : Cas::Ordinaire;
}

// Marks that must never begin a line; the apostrophe counts among them.
bool contientPonctuation(QStringView t)
{
    return std::any_of(t.begin(), t.end(), [](QChar c) {
        switch (c.unicode()) {
        case u'!': case u':': case u';': case u'.': case u',': case u'?': case u'\'':
            return true;
        default:
            return false;
        }
    });
}

// Where the first line feed is, or -1; QStringView::indexOf(QChar) goes
// through the general substring search, too slow for one call a token.
qsizetype indexSaut(QStringView t)
{
    const auto saut = std::find(t.begin(), t.end(), u'\n');
    return saut == t.end() ? -1 : saut - t.begin();
}

// The column of a new line is where its text starts: spaces (and further line
// feeds) left over from the separator that made the line step would push the
// text off it.
QStringView sansBlancsDeTete(QStringView t)
{
    qsizetype debut = 0;
    while (debut < t.size() && t[debut].isSpace())
        ++debut;
    return t.mid(debut);
}

// Rounds halves to even, the way the printer rounded the rule's length.
int arrondiPair(double v)
{
    if (!(v > 0))
        return 0;
    const double bas = std::floor(v);
    const double reste = v - bas;
    const bool monte = reste > 0.5 || (reste == 0.5 && std::fmod(bas, 2.0) != 0.0);
    return static_cast<int>(monte ? bas + 1 : bas);
}

// A printer reduced to what the layout asks of it: a current position that
// moves by the printed width of each string, and pages that continue when
// the text passes the bottom.
class Imprimante
{
public:
    Imprimante(double largeurColonnes, int lignesParPage, const QString &entete,
               const MesureLargeur &mesure)
        : m_lignesParPage(lignesParPage)
        , m_entete(QString(entete).remove(u'\n').remove(u'\r'))
        , m_trait(arrondiPair(largeurColonnes), u'_')
        , m_mesure(mesure)
    {
        commencePage();
    }

    double colonne() const { return m_colonne; }

    // About one fragment a token, and two more a page.
    void reserver(qsizetype jetons) { m_fragments.reserve(jetons + jetons / 64 + 16); }

    void positionne(double colonne) { m_colonne = colonne; }

    // Prints without ending the line. Line feeds are not drawn: the layout
    // alone decides where lines break. A whole token without them is shared,
    // not copied.
    void imprime(const QString &texte)
    {
        if (sansSaut(texte))
            ajoute(texte);
        else
            imprime(QStringView(texte));
    }

    void imprime(QStringView texte)
    {
        if (sansSaut(texte)) {
            ajoute(texte.toString());
            return;
        }
        QString visible = texte.toString();
        visible.remove(u'\n');
        visible.remove(u'\r');
        ajoute(std::move(visible));
    }

    void sautDeLigne(double colonne)
    {
        m_ligne += pasDeLigne;
        m_colonne = colonne;
        if (m_ligne < m_lignesParPage)
            return;
        // A page that received nothing yet is not left empty behind.
        if (m_pageCommencee) {
            ++m_page;
            m_pageCommencee = false;
        }
        m_ligne = premiereLigne;
    }

    QList<FragmentImprime> fragments() const { return m_fragments; }

private:
    static bool sansSaut(QStringView t)
    {
        return std::none_of(t.begin(), t.end(), [](QChar c) { return c == u'\n' || c == u'\r'; });
    }

    void ajoute(QString visible)
    {
        if (visible.isEmpty())
            return;
        if (!m_pageCommencee)
            commencePage();
        const double largeur = m_mesure(visible);
        m_fragments.append({m_page, m_colonne, m_ligne, std::move(visible)});
        m_colonne += largeur;
    }

    void commencePage()
    {
        if (!m_entete.isEmpty())
            m_fragments.append({m_page, colonneEntete, ligneEntete, m_entete});
        if (!m_trait.isEmpty())
            m_fragments.append({m_page, bordGauche, ligneTrait, m_trait});
        m_pageCommencee = true;
    }

    int m_lignesParPage;
    QString m_entete;
    QString m_trait;
    MesureLargeur m_mesure;
    QList<FragmentImprime> m_fragments;
    int m_page = 0;
    bool m_pageCommencee = false;
    int m_ligne = premiereLigne;
    double m_colonne = colonneTexte;
};

// Ends the line with `avant`, starts the next one at `colonne` with the mark
// that opens it, then goes on at the indent with the rest of the separator.
void coupeAvecMarque(Imprimante &imprimante, QStringView avant, double colonne,
                     QStringView marque, QStringView apres)
{
    imprimante.imprime(avant);
    imprimante.sautDeLigne(colonne);
    imprimante.imprime(marque);
    imprimante.positionne(colonneRetrait);
    imprimante.imprime(sansBlancsDeTete(apres));
}

// Separators are printed whole: what stands before the cut ends the old line,
// what follows it opens the new one, nothing in between is lost.
void imprimeJeton(Imprimante &imprimante, const QString &jeton, bool jetonPonctue,
                  double x, double limite)
{
    const QStringView t = jeton;
    const Cas cas = casDe(t);
    switch (cas) {
    case Cas::Ordinaire: {
        const qsizetype retour = indexSaut(t);
        if (retour < 0) {
            imprimante.imprime(jeton);
        } else {
            // However many line feeds, one line step: paragraphs are neither
            // indented nor spaced.
            imprimante.imprime(t.left(retour));
            imprimante.sautDeLigne(colonneTexte);
            imprimante.imprime(sansBlancsDeTete(t.mid(retour + 1)));
        }
        break;
    }
    case Cas::Marque:
        if (jetonPonctue && x + t.size() >= limite) {
            // The punctuation ends the line; the last two characters,
            // normally a guillemet and its space, open the next one at the
            // very edge. A short separator gives up only what follows its
            // first character, so nothing is printed twice.
            const qsizetype coupe = std::max<qsizetype>(1, t.size() - 2);
            coupeAvecMarque(imprimante, t.left(coupe), bordGauche, t.mid(coupe), {});
        } else {
            imprimante.imprime(jeton);
        }
        break;
    case Cas::RetourGuillemetOuvrant:
    case Cas::RetourGuillemetFermant: {
        // A guillemet opening a line is drawn as a straight double quote.
        const QStringView motif =
            cas == Cas::RetourGuillemetOuvrant ? QStringView(u"\n«") : QStringView(u"\n»");
        const qsizetype retour = t.indexOf(motif);
        coupeAvecMarque(imprimante, t.left(retour), colonneTexte, u"\"",
                        t.mid(retour + 2));
        break;
    }
    case Cas::GuillemetOuvrantRetour: {
        const qsizetype guillemet = t.indexOf(u"«\n");
        coupeAvecMarque(imprimante, t.left(guillemet), colonneTexte, u"«",
                        t.mid(guillemet + 2));
        break;
    }
    case Cas::GuillemetFermantRetour: {
        const qsizetype guillemet = t.indexOf(u"»\n");
        imprimante.imprime(t.left(guillemet + 1));
        imprimante.sautDeLigne(colonneTexte);
        imprimante.imprime(sansBlancsDeTete(t.mid(guillemet + 2)));
        break;
    }
    case Cas::RetourTiret: {
        const qsizetype retour = t.indexOf(u"\n-");
        coupeAvecMarque(imprimante, t.left(retour), colonneTexte, u"-",
                        t.mid(retour + 2));
        break;
    }
    }
}

} // namespace

QList<FragmentImprime> miseEnPage(const QStringList &listemot,
                                    double largeurColonnes, int lignesParPage,
                                    const QString &entete,
                                    const MesureLargeur &mesure)
{
    Imprimante imprimante(largeurColonnes, lignesParPage, entete, mesure);
    imprimante.reserver(listemot.size());
    const double limite = largeurColonnes - reserveDroite;
    double x = colonneTexte;
    // Whether the token about to be printed holds punctuation; nothing
    // precedes the first token, so it never splits.
    bool jetonPonctue = false;

    for (qsizetype k = 0; k < listemot.size(); ++k) {
        const QString &t = listemot.at(k);
        const QStringView suivant = k + 1 < listemot.size() ? QStringView(listemot.at(k + 1)) : QStringView();

        imprimeJeton(imprimante, t, jetonPonctue, x, limite);
        x = imprimante.colonne();

        // A token that would reach the limit goes to the next line, unless it
        // holds punctuation (which may run into the reserve), a line feed
        // (which breaks the line itself) or is the single space between words
        // (which stays at the end of the line). Lengths count characters, not
        // printed width.
        jetonPonctue = contientPonctuation(suivant);
        if (indexSaut(suivant) < 0 && suivant != u" " && !jetonPonctue
            && x + suivant.size() >= limite) {
            x = colonneTexte;
            imprimante.sautDeLigne(colonneTexte);
        }
    }
    return imprimante.fragments();
}
