// Times a program's start on an X server: from just before its exec to the
// MapNotify of its first top-level window, seen by waiting on the X
// connection (no polling). After a short settle time the program is ended
// with SIGTERM; its peak resident memory, CPU time and page faults (start
// and settle time together) come from wait4.
//
//   attente_fenetre [-s settle_ms] [-t timeout_s] program [args...]
//
// Prints one line: "carte_ms=<ms> rss_max_kio=<KiB> cpu_ms=<ms> fautes=<n>".
// Exit status 2 when the program ended or timed out before mapping a window.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double maintenantMs()
{
    timespec t {};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The window's _NET_WM_PID, or 0 when it has none (yet).
long pidFenetre(Display *d, Window w)
{
    const Atom a = XInternAtom(d, "_NET_WM_PID", True);
    if (a == None)
        return 0;
    Atom type = None;
    int format = 0;
    unsigned long n = 0, reste = 0;
    unsigned char *donnees = nullptr;
    long pid = 0;
    if (XGetWindowProperty(d, w, a, 0, 1, False, XA_CARDINAL, &type, &format, &n, &reste, &donnees) == Success
        && donnees && n == 1 && format == 32)
        pid = *reinterpret_cast<long *>(donnees);
    if (donnees)
        XFree(donnees);
    return pid;
}

// Ends the program and returns what it used, or nothing when it could not
// be waited for.
bool terminer(pid_t pid, rusage &r)
{
    kill(pid, SIGTERM);
    int statut = 0;
    for (int i = 0; i < 300; ++i) {
        if (wait4(pid, &statut, WNOHANG, &r) == pid)
            return true;
        usleep(10'000);
    }
    kill(pid, SIGKILL);
    return wait4(pid, &statut, 0, &r) == pid;
}

} // namespace

int main(int argc, char **argv)
{
    int reposMs = 500;
    int delaiS = 20;
    int opt;
    while ((opt = getopt(argc, argv, "+s:t:")) != -1) {
        if (opt == 's')
            reposMs = std::atoi(optarg);
        else if (opt == 't')
            delaiS = std::atoi(optarg);
        else
            return 64;
    }
    if (optind >= argc) {
        std::fprintf(stderr, "usage: %s [-s settle_ms] [-t timeout_s] program [args...]\n", argv[0]);
        return 64;
    }

    Display *d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "attente_fenetre: cannot open the display\n");
        return 1;
    }
    const Window racine = DefaultRootWindow(d);
    // Without a window manager top-level windows are the root's children,
    // so their maps are reported to whoever selects SubstructureNotify on it.
    XSelectInput(d, racine, SubstructureNotifyMask);
    XSync(d, False);
    const int fd = ConnectionNumber(d);
    fcntl(fd, F_SETFD, FD_CLOEXEC);

    const double debut = maintenantMs();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[optind], argv + optind);
        std::fprintf(stderr, "attente_fenetre: %s: %s\n", argv[optind], std::strerror(errno));
        _exit(127);
    }
    if (pid < 0)
        return 1;

    double carte = -1;
    const double limite = debut + delaiS * 1e3;
    while (carte < 0) {
        while (XPending(d) && carte < 0) {
            XEvent e;
            XNextEvent(d, &e);
            const double recu = maintenantMs() - debut;
            if (e.type != MapNotify || e.xmap.event != racine || e.xmap.override_redirect)
                continue;
            // A window another program maps meanwhile is not this start.
            const long proprietaire = pidFenetre(d, e.xmap.window);
            if (proprietaire == 0 || proprietaire == pid)
                carte = recu;
        }
        if (carte >= 0)
            break;
        int statut = 0;
        if (waitpid(pid, &statut, WNOHANG) == pid) {
            std::fprintf(stderr, "attente_fenetre: the program ended before mapping a window\n");
            return 2;
        }
        const double reste = limite - maintenantMs();
        if (reste <= 0) {
            std::fprintf(stderr, "attente_fenetre: no window after %d s\n", delaiS);
            rusage r {};
            terminer(pid, r);
            return 2;
        }
        pollfd p {fd, POLLIN, 0};
        poll(&p, 1, reste < 100 ? int(reste) + 1 : 100);
    }

    // Let the first paint and whatever the program does right after happen,
    // so that the peak memory is that of a started window.
    usleep(useconds_t(reposMs) * 1000);
    rusage r {};
    if (!terminer(pid, r))
        return 1;
    const double cpu = (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1e3 + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e3;
    std::printf("carte_ms=%.2f rss_max_kio=%ld cpu_ms=%.1f fautes=%ld\n", carte, r.ru_maxrss, cpu, r.ru_minflt);
    XCloseDisplay(d);
    return 0;
}
