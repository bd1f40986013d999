#include "app/arret.h"

#include "gui/form1.h"
#include "gui/reprise.h"
#include "base/texts/partage.h"
#include "gui/texts/documents.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <csignal>
#ifndef _WIN32
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifndef _WIN32
int g_tube[2] = {-1, -1};

// Only async-signal-safe work here: hand the signal to the event loop.
void surSignal(int numero)
{
    const unsigned char octet = static_cast<unsigned char>(numero);
    (void)!::write(g_tube[0], &octet, 1);
}
#endif

// What the pupil typed since the last record is kept for the next start,
// first; then the texts this copy holds are let go, as far as the share
// answers within a second.
void garderPuisLacher(Form1 &fenetre)
{
    if (Reprise *r = fenetre.reprise())
        r->ecrireMaintenant(1000);
    fenetre.documents().abandonnerSansQuestion();
}

} // namespace

void finDeSession(Form1 &fenetre)
{
    const bool tenait = !fenetre.partage().tenues().isEmpty();
    garderPuisLacher(fenetre);
    // exit(), not quit(): quit() would close the window, and its close asks questions.
    if (tenait)
        QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void relierArretPropre(Form1 &fenetre)
{
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &fenetre,
                     [&fenetre] { fenetre.documents().abandonnerSansQuestion(); });
    // The end of the session (WM_ENDSESSION on Windows): no question may
    // wait for a pupil who logs out.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &fenetre,
                     [&fenetre](QSessionManager &) { finDeSession(fenetre); });
#ifndef _WIN32

    if (g_tube[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_tube) != 0)
        return;
    auto *notificateur = new QSocketNotifier(g_tube[1], QSocketNotifier::Read, &fenetre);
    QObject::connect(notificateur, &QSocketNotifier::activated, &fenetre, [&fenetre] {
        unsigned char numero = 0;
        if (::read(g_tube[1], &numero, 1) != 1)
            return;
        garderPuisLacher(fenetre);
        // End as the signal would have, without running handlers that might
        // write the text again or wait for a pupil's answer.
        std::signal(numero, SIG_DFL);
        std::raise(numero);
    });

    struct sigaction action {};
    action.sa_handler = surSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int numero : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(numero, &action, nullptr);
#endif
}
