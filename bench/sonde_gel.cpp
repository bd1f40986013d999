// How long a program's window stops answering, seen from outside: every 5 ms
// a _NET_WM_PING goes to its top-level window, and each reply is timed (Qt
// answers on the thread that runs its window's events). Runs until SIGINT or
// SIGTERM, then prints "gel_max_ms=<longest wait> pings=<answered>"; a ping
// still unanswered counts up to that moment.
//
//   sonde_gel PID
//
// Exit status 2 when no window of PID answering pings shows within 20 s.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <poll.h>

namespace {

volatile std::sig_atomic_t g_fin = 0;

double maintenantMs()
{
    timespec t {};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

bool proprieteCardinal(Display *d, Window w, Atom a, long &valeur)
{
    Atom type = None;
    int format = 0;
    unsigned long n = 0, reste = 0;
    unsigned char *donnees = nullptr;
    if (XGetWindowProperty(d, w, a, 0, 1, False, XA_CARDINAL, &type, &format, &n, &reste, &donnees) != Success || !donnees)
        return false;
    valeur = n == 1 ? *reinterpret_cast<long *>(donnees) : 0;
    XFree(donnees);
    return n == 1;
}

bool repondAuxPings(Display *d, Window w, Atom ping)
{
    Atom *protocoles = nullptr;
    int n = 0;
    if (!XGetWMProtocols(d, w, &protocoles, &n))
        return false;
    const bool oui = std::find(protocoles, protocoles + n, ping) != protocoles + n;
    XFree(protocoles);
    return oui;
}

// The viewable window of `pid` that answers pings, searched through the tree.
Window chercher(Display *d, Window w, long pid, Atom atomPid, Atom ping)
{
    XWindowAttributes a {};
    long p = 0;
    if (XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable && proprieteCardinal(d, w, atomPid, p) && p == pid
        && repondAuxPings(d, w, ping))
        return w;
    Window racine = 0, parent = 0, *enfants = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(d, w, &racine, &parent, &enfants, &n))
        return 0;
    Window trouvee = 0;
    for (unsigned int i = 0; i < n && !trouvee; ++i)
        trouvee = chercher(d, enfants[i], pid, atomPid, ping);
    if (enfants)
        XFree(enfants);
    return trouvee;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: sonde_gel PID\n");
        return 1;
    }
    const long pid = std::strtol(argv[1], nullptr, 10);
    Display *d = XOpenDisplay(nullptr);
    if (!d)
        return 1;
    std::signal(SIGINT, [](int) { g_fin = 1; });
    std::signal(SIGTERM, [](int) { g_fin = 1; });
    const Window racine = DefaultRootWindow(d);
    const Atom protocoles = XInternAtom(d, "WM_PROTOCOLS", False), ping = XInternAtom(d, "_NET_WM_PING", False);
    const Atom atomPid = XInternAtom(d, "_NET_WM_PID", False);
    Window fenetre = 0;
    for (const double limite = maintenantMs() + 20000; !fenetre && maintenantMs() < limite && !g_fin;) {
        fenetre = chercher(d, racine, pid, atomPid, ping);
        if (!fenetre)
            poll(nullptr, 0, 20);
    }
    if (!fenetre)
        return 2;
    // The replies go to the root window, to whoever listens for its structure.
    XSelectInput(d, racine, SubstructureNotifyMask | StructureNotifyMask);

    std::deque<std::pair<long, double>> envoyes; // number, when
    long numero = 0, repondus = 0;
    double pire = 0, prochain = 0;
    const int fd = ConnectionNumber(d);
    while (!g_fin) {
        const double t = maintenantMs();
        if (t >= prochain) {
            XEvent e {};
            e.xclient.type = ClientMessage;
            e.xclient.window = fenetre;
            e.xclient.message_type = protocoles;
            e.xclient.format = 32;
            e.xclient.data.l[0] = long(ping);
            e.xclient.data.l[1] = CurrentTime;
            e.xclient.data.l[2] = long(fenetre);
            e.xclient.data.l[3] = ++numero;
            XSendEvent(d, fenetre, False, NoEventMask, &e);
            XFlush(d);
            envoyes.emplace_back(numero, t);
            prochain = t + 5;
        }
        while (XPending(d)) {
            XEvent e {};
            XNextEvent(d, &e);
            if (e.type != ClientMessage || e.xclient.message_type != protocoles || Atom(e.xclient.data.l[0]) != ping)
                continue;
            const long n = e.xclient.data.l[3];
            while (!envoyes.empty() && envoyes.front().first <= n) {
                if (envoyes.front().first == n) {
                    pire = std::max(pire, maintenantMs() - envoyes.front().second);
                    ++repondus;
                }
                envoyes.pop_front();
            }
        }
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, std::max(1, int(prochain - maintenantMs())));
    }
    if (!envoyes.empty())
        pire = std::max(pire, maintenantMs() - envoyes.front().second);
    std::printf("gel_max_ms=%.0f pings=%ld\n", pire, repondus);
    return 0;
}
