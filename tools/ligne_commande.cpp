#include "ligne_commande.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace outils {

namespace {

Arguments lireArguments(const QStringList &args, const Syntaxe &s)
{
    Arguments a;
    bool options = true, dansListe = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (!options || !arg.startsWith(u'-') || arg == u"-") {
            (dansListe ? a.liste : a.positionnels) << arg;
            continue;
        }
        if (!s.optionListe.isEmpty() && arg == s.optionListe) {
            a.drapeaux << arg;
            dansListe = true;
            continue;
        }
        if (arg == u"--") {
            options = false;
            continue;
        }
        if (arg == u"--help" || arg == u"-h") {
            a.drapeaux << QStringLiteral("--help");
            continue;
        }
        const qsizetype egal = arg.indexOf(u'=');
        const QString nom = egal < 0 ? arg : arg.left(egal);
        if (s.avecValeur.contains(nom)) {
            if (egal >= 0) {
                a.valeurs[nom] = arg.mid(egal + 1);
            } else if (i + 1 < args.size()) {
                a.valeurs[nom] = args[++i];
            } else {
                a.erreur = QStringLiteral("l'option %1 attend une valeur").arg(nom);
                return a;
            }
        } else if (arg == u"--json" || s.drapeaux.contains(arg)) {
            a.drapeaux << arg;
        } else {
            a.erreur = QStringLiteral("option inconnue : %1").arg(arg);
            return a;
        }
    }
    return a;
}

} // namespace

std::optional<int> lireCommande(const QStringList &args, const Syntaxe &syntaxe, Arguments &a)
{
    a = lireArguments(args, syntaxe);
    if (!a.erreur.isEmpty())
        return refuserUtilisation(a.erreur, syntaxe.utilisation);
    if (a.drapeaux.contains(QStringLiteral("--help"))) {
        ecrire(stdout, syntaxe.aide);
        return reussite;
    }
    if (a.positionnels.size() > 1)
        return refuserUtilisation(syntaxe.unSeul, syntaxe.utilisation);
    return std::nullopt;
}

std::optional<int> entier(const QString &texte, int min, int max)
{
    bool ok = false;
    const int n = texte.toInt(&ok);
    if (!ok || n < min || n > max)
        return std::nullopt;
    return n;
}

void ecrire(std::FILE *flux, const QString &texte)
{
#ifdef _WIN32
    // A console shows its own UTF-16 whatever its code page; a file or a
    // pipe gets the same UTF-8 bytes as on Linux, no '\r' added.
    const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(flux)));
    DWORD mode = 0, ecrits = 0;
    if (GetConsoleMode(h, &mode)) {
        std::fflush(flux);
        WriteConsoleW(h, texte.utf16(), DWORD(texte.size()), &ecrits, nullptr);
        return;
    }
    _setmode(_fileno(flux), _O_BINARY);
#endif
    const QByteArray octets = texte.toUtf8();
    std::fwrite(octets.constData(), 1, size_t(octets.size()), flux);
    std::fflush(flux);
}

void ecrireJson(const QJsonValue &document)
{
    const QJsonDocument doc = document.isArray() ? QJsonDocument(document.toArray())
                                                 : QJsonDocument(document.toObject());
    ecrire(stdout, QString::fromUtf8(doc.toJson(QJsonDocument::Indented)));
}

int refuserUtilisation(const QString &raison, const QString &utilisation)
{
    ecrire(stderr, QStringLiteral("plumor-outils : %1\n%2\n").arg(raison, utilisation));
    return mauvaiseUtilisation;
}

QString visible(const QString &texte, bool espaces)
{
    QString resultat;
    resultat.reserve(texte.size());
    for (const QChar c : texte) {
        switch (c.unicode()) {
        case u'\n': resultat += u'⏎'; break;
        case u'\r': resultat += u'↵'; break;
        case u'\t': resultat += u'⇥'; break;
        case u' ': resultat += espaces ? u'␣' : c; break;
        case u'\u00A0': resultat += espaces ? u'⍽' : c; break;
        default:
            // Any other control character (C0, DEL, C1) would act on the terminal.
            if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F))
                resultat += QStringLiteral("\\x") + QString::number(c.unicode(), 16).rightJustified(2, u'0').toUpper();
            else
                resultat += c;
        }
    }
    return resultat;
}

QString cite(const QString &texte)
{
    return u'«' + visible(texte) + u'»';
}

} // namespace outils
