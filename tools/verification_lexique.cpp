#include "verification_lexique.h"

#include "ligne_commande.h"
#include "base/lexicon/lexique.h"
#include "base/cp1252.h"

#include <algorithm>
#include <array>

namespace {

using outils::cite;

// The window splits only the beginning of an overlong line.
QStringView decoupee(QStringView ligne)
{
    return ligne.left(longueurDecoupee);
}

QString extrait(QStringView texte)
{
    constexpr qsizetype longueur = 40;
    return cite(texte.size() > longueur ? texte.left(longueur).toString() + u'…' : texte.toString());
}

QString pluriel(int n, const QString &singulier, const QString &pluriel)
{
    return QString::number(n) + u' ' + (n > 1 ? pluriel : singulier);
}

// Length of the UTF-8 sequence for one character starting at `i`, 0 if none.
qsizetype sequenceUtf8(const QByteArray &o, qsizetype i)
{
    const auto b = uchar(o[i]);
    const qsizetype n = b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3
                      : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
    if (n == 0 || i + n > o.size())
        return 0;
    for (qsizetype k = 1; k < n; ++k) {
        if ((uchar(o[i + k]) & 0xC0) != 0x80)
            return 0;
    }
    // Overlong forms and surrogates are no UTF-8 either.
    return QString::fromUtf8(o.mid(i, n)).contains(QChar::ReplacementCharacter) ? 0 : n;
}

// The five bytes the code page leaves undefined and the control bytes a
// text never holds.
bool estTexte(uchar b)
{
    if (cp1252::estIndefini(b))
        return false;
    switch (b) {
    case 0x7F:
        return false;
    case '\t': case '\n': case '\r':
        return true;
    default:
        return b >= 0x20;
    }
}

// What the bytes of one line say about the file's encoding.
struct Encodage {
    QList<bool> dansUtf8; // per character: part of a UTF-8 sequence
    QString exempleUtf8;  // the first sequence as Plumor shows it
    QString sensUtf8;     // and what it meant
    bool bom = false;     // the sequence is the UTF-8 byte order mark
    QStringList intrus;   // bytes that are no text, with their column
};

Encodage encodage(QStringView ligne)
{
    Encodage e;
    // The codec is a bijection: these are the line's bytes in the file.
    const QByteArray o = cp1252::encode(ligne);
    e.dansUtf8.fill(false, o.size());
    for (qsizetype i = 0; i < o.size();) {
        if (const qsizetype n = sequenceUtf8(o, i); n > 0) {
            if (e.exempleUtf8.isEmpty()) {
                e.exempleUtf8 = ligne.mid(i, n).toString();
                e.sensUtf8 = QString::fromUtf8(o.mid(i, n));
                e.bom = o.mid(i, n) == "\xEF\xBB\xBF"; // which fromUtf8 drops
            }
            std::fill_n(e.dansUtf8.begin() + i, n, true);
            i += n;
            continue;
        }
        const auto b = uchar(o[i]);
        if (!estTexte(b)) {
            e.intrus << QStringLiteral("0x%1 (colonne %2)")
                            .arg(QString::number(b, 16).toUpper().rightJustified(2, u'0'))
                            .arg(i + 1);
        }
        ++i;
    }
    return e;
}

// A byte order mark, or a text where nul bytes abound.
bool estUtf16(QByteArrayView o)
{
    if (o.startsWith("\xFF\xFE") || o.startsWith("\xFE\xFF"))
        return true;
    return o.size() >= 2 && std::count(o.begin(), o.end(), '\0') * 4 >= o.size();
}

bool lettreEcrite(QStringView t, qsizetype q)
{
    return q >= 0 && q < t.size() && t[q] != u' ' && (estLettreMot(t[q]) || t[q].isLetterOrNumber());
}

// A character the teacher wrote as part of a word but Plumor takes for a
// separator. Typographic apostrophes, dashes and the non-breaking space only
// count inside a word: between spaces they are meant as separators.
bool coupe(QStringView t, qsizetype p)
{
    const QChar c = t[p];
    if (estLettreMot(c))
        return false;
    if (c.isLetterOrNumber() || c.isMark())
        return true;
    return QStringView(u"’‘´`–—\u00A0").contains(c) && lettreEcrite(t, p - 1) && lettreEcrite(t, p + 1);
}

void signalerCoupures(QStringView t, const QList<bool> &dansUtf8, int numero,
                      QList<Avertissement> &av)
{
    const auto dansMot = [&](qsizetype q) {
        return !dansUtf8.value(q) && (estLettreMot(t[q]) || coupe(t, q));
    };
    for (qsizetype p = 0; p < t.size(); ++p) {
        if (dansUtf8.value(p) || !coupe(t, p))
            continue;
        qsizetype debut = p;
        while (debut > 0 && dansMot(debut - 1))
            --debut;
        qsizetype fin = p;
        QStringList coupeurs;
        for (; fin < t.size() && dansMot(fin); ++fin) {
            const QString c = cite(t[fin]);
            if (coupe(t, fin) && !coupeurs.contains(c))
                coupeurs << c;
        }
        av.append({numero, QStringLiteral("%1 est coupé par %2, que le lexique ne compte pas parmi les lettres")
                               .arg(cite(t.sliced(debut, fin - debut).trimmed().toString()),
                                    coupeurs.join(QStringLiteral(" et ")))});
        p = fin;
    }
}

using LignesLues = QList<std::pair<LigneFichier, int>>; // each line read, with its index
using Numeros = std::array<int, maxThemes + 1>;         // file line of each index

// What each line read holds: short lines, lone line feeds, bytes and cut words.
void verifierLignes(QStringView contenu, const LignesLues &lues, Numeros &numeros, QList<Avertissement> &av)
{
    int lignesUtf8 = 0;
    Avertissement utf8;
    for (qsizetype k = 0; k < lues.size(); ++k) {
        const int numero = int(k + 1);
        const auto &[ligne, index] = lues[k];
        const QStringView texte = contenu.sliced(ligne.debut, ligne.longueur);
        if (index == 0) {
            // Blank lines between themes are expected to vanish.
            if (!texte.trimmed().isEmpty())
                av.append({numero, QStringLiteral("ligne ignorée : %1 n'a que %2, il en faut au moins 3 pour un thème")
                                       .arg(cite(texte.toString()), pluriel(int(texte.size()), "caractère", "caractères"))});
            continue;
        }
        numeros[size_t(index)] = numero;

        if (const int lf = int(texte.count(u'\n')); lf > 0) {
            av.append({numero, contenu.contains(u'\r')
                ? QStringLiteral("%1 sans CR : Plumor n'y coupe pas la ligne et lit ces %2 lignes comme une seule")
                      .arg(pluriel(lf, "fin de ligne LF seule", "fins de ligne LF seules")).arg(lf + 1)
                : QStringLiteral("le fichier n'a que des fins de ligne LF (Unix) : Plumor le lit comme une seule "
                                 "ligne ; enregistrez-le avec des fins de ligne Windows (CR LF)")});
        }
        const Encodage e = encodage(texte);
        if (!e.exempleUtf8.isEmpty() && lignesUtf8++ == 0) {
            utf8 = {numero, e.bom
                ? QStringLiteral("%1 est la marque (BOM) d'un fichier UTF-8").arg(cite(e.exempleUtf8))
                : QStringLiteral("%1 est l'écriture UTF-8 de %2").arg(cite(e.exempleUtf8), cite(e.sensUtf8))};
        }
        if (!e.intrus.isEmpty()) {
            av.append({numero, QStringLiteral("%1 %2 : ce n'est pas du texte Windows-1252")
                                   .arg(e.intrus.size() > 1 ? "octets" : "octet",
                                        e.intrus.mid(0, 5).join(QStringLiteral(", ")) + (e.intrus.size() > 5 ? "…" : ""))});
        }
        signalerCoupures(decoupee(texte), e.dansUtf8, numero, av);
    }
    if (lignesUtf8 > 0) {
        utf8.message = QStringLiteral("le fichier semble enregistré en UTF-8 et non en Windows-1252 (%1, %2) ; "
                                      "réenregistrez-le en Windows-1252 (« ANSI »)")
                           .arg(utf8.message, pluriel(lignesUtf8, "ligne touchée", "lignes touchées"));
        av.append(utf8);
    }
}

// The stored lines, the chooser they fill, and every choice that does not
// show its own line's words.
void verifierThemes(const Lexique &lexique, const Numeros &numeros, VerificationLexique &v)
{
    for (int i = 1; i <= lexique.nbThemes; ++i) {
        const QString &texte = lexique.lignes[size_t(i)];
        const int numero = numeros[size_t(i)];
        const DecoupageLigne d = decouperLigne(decoupee(texte));
        v.lignes.append({numero, texte, d.entrees, d.nom});
        const bool separateurEnTete = !estLettreMot(texte.front());
        const QString debut = separateurEnTete
            ? QStringLiteral("la ligne commence par un séparateur (%1) : ").arg(cite(texte.front()))
            : QString();
        if (!d.nom) {
            v.avertissements.append({numero, separateurEnTete
                ? debut + QStringLiteral("elle n'a pas de nom de thème, est comptée mais n'apparaît pas dans le sélecteur")
                : QStringLiteral("aucun séparateur : %1 est compté comme thème mais n'apparaît pas dans le sélecteur")
                      .arg(extrait(texte))});
            continue;
        }
        const qint16 j = chercherTheme(lexique.lignes, lexique.nbThemes, *d.nom);
        const DecoupageLigne montree = decouperLigne(decoupee(lexique.lignes[size_t(j)]));
        const int ligneMontree = j ? numeros[size_t(j)] : 0;
        v.choix.append({*d.nom, numero, ligneMontree, montree.entrees});
        if (j == i)
            continue;
        QString message;
        if (j == 0)
            message = QStringLiteral("le sélecteur montre %1, dont le choix affiche une liste vide").arg(cite(*d.nom));
        else if (separateurEnTete)
            message = QStringLiteral("le sélecteur montre %1, dont le choix affiche les mots de la ligne %2")
                          .arg(cite(*d.nom)).arg(ligneMontree);
        else if (montree.nom == d.nom)
            message = QStringLiteral("le nom %1 figure deux fois dans le sélecteur (lignes %2 et %3) : "
                                     "les deux choix affichent les mots de la ligne %3")
                          .arg(cite(*d.nom)).arg(numero).arg(ligneMontree);
        else
            message = QStringLiteral("choisir %1 affiche les mots de la ligne %2 (%3), qui commence aussi par %1")
                          .arg(cite(*d.nom)).arg(ligneMontree)
                          .arg(montree.nom ? cite(*montree.nom) : extrait(lexique.lignes[size_t(j)]));
        v.avertissements.append({numero, debut + message});
    }
}

// Plumor stops reading at line `arret`, which begins at `position`; the rest
// is only looked at to name the themes it loses.
void signalerThemesPerdus(QStringView contenu, qsizetype position, int arret, QList<Avertissement> &av)
{
    QList<Avertissement> perdus;
    for (int numero = arret; position < contenu.size(); ++numero) {
        const LigneFichier ligne = ligneFichier(contenu, position);
        position = ligne.suite;
        if (!estLigneTheme(ligne.longueur))
            continue;
        const QStringView texte = contenu.sliced(ligne.debut, ligne.longueur);
        const std::optional<QString> nom = decouperLigne(decoupee(texte)).nom;
        perdus.append({numero, QStringLiteral("thème %1 perdu : au-delà des 100 premiers")
                                   .arg(nom ? cite(*nom) : extrait(texte))});
    }
    av.append({arret, perdus.isEmpty()
        ? QStringLiteral("des lignes suivent le 100e thème : Plumor affiche « Votre lexique est trop long! "
                         "100 thèmes maxi! » alors qu'aucun thème n'est perdu")
        : QStringLiteral("plus de 100 thèmes : Plumor arrête sa lecture ici, affiche « Votre lexique est trop "
                         "long! 100 thèmes maxi! » et perd %1")
              .arg(pluriel(int(perdus.size()), "thème", "thèmes"))});
    av.append(perdus);
}

} // namespace

VerificationLexique verifierLexique(QByteArrayView octets)
{
    VerificationLexique v;
    QList<Avertissement> &av = v.avertissements;
    const QString contenu = cp1252::decode(octets);
    LignesLues lues;
    const Lexique lexique = chargerLexiqueDetaille(
        contenu, [&](const LigneFichier &ligne, int index) { lues.append({ligne, index}); });
    v.tropLong = lexique.tropLong;

    Numeros numeros{};
    verifierLignes(contenu, lues, numeros, av);
    verifierThemes(lexique, numeros, v);
    if (lexique.tropLong)
        signalerThemesPerdus(contenu, lues.constLast().first.suite, int(lues.size()) + 1, av);
    if (lexique.nbThemes == 0)
        av.append({0, QStringLiteral("aucun thème : le sélecteur de Plumor restera vide")});
    // Every other warning would only be noise from the wrong encoding.
    if (estUtf16(octets)) {
        av = {{1, QStringLiteral("le fichier est enregistré en UTF-16 (« Unicode ») et non en Windows-1252 : "
                                 "Plumor n'y lit que des caractères sans suite ; réenregistrez-le en "
                                 "Windows-1252 (« ANSI »)")}};
    }
    std::stable_sort(av.begin(), av.end(),
                     [](const Avertissement &a, const Avertissement &b) { return a.ligne < b.ligne; });
    return v;
}
