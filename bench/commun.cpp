#include "commun.h"

#include <QApplication>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

// Written for these benchmarks; the mix of marks matters more than the story.
const char16_t *const morceaux[] = {
    u"Ce matin, la maîtresse nous a lu l’histoire d’un renard qui voulait "
    u"apprendre à lire. Il s’était caché derrière le tableau noir et il écoutait "
    u"les élèves réciter leurs leçons, d’abord en silence, puis à voix basse.",
    u"- Viens-tu avec nous ? demanda-t-elle au petit renard.",
    u"- Je ne sais pas, répondit-il. Aujourd'hui, j'ai peur que quelqu'un "
    u"me voie… Les enfants crient si fort dans la cour !",
    u"« Tu n'as rien à craindre, dit Chloé. Ici, personne ne te fera de mal. »",
    u"Alors le renard s'est assis au fond de la classe, près de la fenêtre. "
    u"Il a pris un crayon, une gomme et un cahier à grands carreaux ; il a "
    u"écrit son prénom en lettres majuscules : RENARD. Son cœur battait très "
    u"fort, mais il était fier de lui et l'œil brillant.",
    u"À midi, nous avons mangé à la cantine avec lui. Il aimait les pâtes, "
    u"le fromage et surtout la tarte aux pommes (il en a repris trois fois).",
    u"Le soir, en rentrant à la maison, j'ai raconté l'histoire à mon père. "
    u"« Un renard à l'école ? a-t-il dit en riant. Et pourquoi pas un loup "
    u"en CM2 ? » Moi, je sais que c'est vrai, parce que je l'ai vu de mes yeux.",
};

} // namespace

QString texteFrancais(qsizetype longueur, bool paragraphes)
{
    QString texte;
    texte.reserve(longueur + 1024);
    for (size_t i = 0; texte.size() < longueur; ++i) {
        if (!texte.isEmpty())
            texte += paragraphes ? QStringLiteral("\n") : QStringLiteral(" ");
        texte += QString::fromUtf16(morceaux[i % std::size(morceaux)]);
    }
    texte.truncate(longueur);
    return texte;
}

FenetreBench ouvrirFenetre(const QString &dossier, const QString &dossierProgramme, const QString &dossierRecuperation)
{
    auto dialogues = std::make_unique<DialoguesMuets>();
    FenetreBench f;
    f.dialogues = dialogues.get();
    ServicesForm1 s;
    s.dialogues = std::move(dialogues);
    s.dossierDepart = dossier;
    s.dossierProgramme = dossierProgramme;
    s.dossierRecuperation = dossierRecuperation;
    f.form = std::make_unique<Form1>(std::move(s));
    return f;
}

int executerAvecApplication(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argcQt = 1;
    QApplication app(argcQt, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

long rssMaxKio()
{
    rusage r {};
    getrusage(RUSAGE_SELF, &r);
    return r.ru_maxrss;
}
