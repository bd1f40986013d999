// Preloaded into the copies of a second machine of the class harness: their
// locks lie on other bytes, so that neither machine sees the other's, as on a
// share that does not pass locks on; everything else is the one folder.
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>

extern "C" int fcntl(int fd, int commande, ...)
{
    static const auto vrai = reinterpret_cast<int (*)(int, int, ...)>(dlsym(RTLD_NEXT, "fcntl"));
    va_list a;
    va_start(a, commande);
    void *argument = va_arg(a, void *);
    va_end(a);
    if (commande != F_OFD_SETLK && commande != F_OFD_SETLKW && commande != F_OFD_GETLK)
        return vrai(fd, commande, argument);
    auto *l = static_cast<struct flock *>(argument);
    l->l_start += off_t(1) << 40;
    const int r = vrai(fd, commande, l);
    l->l_start -= off_t(1) << 40;
    return r;
}
