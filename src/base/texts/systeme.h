#pragma once

// The one door to the operating system for the text files: the calls below
// keep their POSIX names and meaning, and the Windows build answers them from
// Win32 (systeme_win32.cpp), so the protocol above is the same source for
// both. Nothing outside this folder talks to the system about texts.
#ifdef _WIN32
// Windows: the POSIX calls the text files make, answered from Win32. A
// descriptor is a C runtime descriptor over a Win32 handle, so the protocol
// keeps its ints; below the class folder every name is opened relative to
// the folder's own handle, refusing reparse points (links, junctions).
//  - the mark is FILE_ATTRIBUTE_READONLY, set and read through the handle: a
//    mode without write bits is read-only, the owner-execute bit is the
//    archive bit, as Samba maps them for the Linux copies;
//  - byte-range locks are LockFileEx on the handle, dropped with it, which
//    an SMB server enforces for all its clients.
#include <QtGlobal>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

// What Windows' runtime does not define. The open flags use bits its
// _open() leaves free; they mean nothing outside this seam.
#ifndef O_NOFOLLOW
#define O_NOFOLLOW 0x100000
#endif
#ifndef O_DIRECTORY
#define O_DIRECTORY 0x200000
#endif
#ifndef O_PATH
#define O_PATH 0x400000
#endif
#ifndef O_NONBLOCK
#define O_NONBLOCK 0
#endif
#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif
#ifndef O_NOCTTY
#define O_NOCTTY 0
#endif
#ifndef S_IFLNK
#define S_IFLNK 0xA000
#endif
#ifndef S_ISLNK
#define S_ISLNK(m) (((m) & S_IFMT) == S_IFLNK)
#endif
#ifndef ESTALE
#define ESTALE 1116
#endif
#ifndef EDQUOT
#define EDQUOT 1122
#endif
#ifndef EHOSTDOWN
#define EHOSTDOWN 1112
#endif

#define AT_FDCWD (-100)
#define AT_SYMLINK_NOFOLLOW 0x100
#define AT_EACCESS 0x200
#define AT_EMPTY_PATH 0x1000
#define AT_REMOVEDIR 0x200
#define AT_STATX_SYNC_AS_STAT 0
#define AT_STATX_FORCE_SYNC 0x2000
#define STATX_NLINK 0x4u
#define STATX_INO 0x100u
#define STATX_BASIC_STATS 0x7ffu
#define STATX_BTIME 0x800u
#define RENAME_NOREPLACE 1u
#define F_GETFL 3
#define F_DUPFD_CLOEXEC 1030
#define F_OFD_GETLK 36
#define F_OFD_SETLK 37
#define F_RDLCK 0
#define F_WRLCK 1
#define F_UNLCK 2
#define FALLOC_FL_KEEP_SIZE 1
#define RLIMIT_FSIZE 1
#define RLIM_INFINITY (~0ull)

inline quint64 makedev(quint32 majeur, quint32 mineur) { return (quint64(majeur) << 32) | mineur; }

namespace sys {

using ::ssize_t;
using uid_t = unsigned int;
using rlim_t = unsigned long long;

struct stat {
    quint64 st_dev = 0; // the volume's serial number
    quint64 st_ino = 0; // the file's id on that volume
    unsigned int st_mode = 0;
    quint64 st_nlink = 0;
    unsigned int st_uid = 0, st_gid = 0;
    qint64 st_size = 0;
    timespec st_atim {}, st_mtim {}, st_ctim {};
    timespec st_birthtim {};
};
struct statx_timestamp {
    qint64 tv_sec;
    quint32 tv_nsec;
};
struct statx {
    quint32 stx_mask;
    quint32 stx_nlink;
    quint32 stx_uid, stx_gid;
    quint16 stx_mode;
    quint64 stx_ino;
    quint64 stx_size;
    statx_timestamp stx_atime, stx_btime, stx_ctime, stx_mtime;
    quint32 stx_dev_major, stx_dev_minor;
};
struct flock {
    short l_type;
    short l_whence;
    qint64 l_start;
    qint64 l_len;
    int l_pid;
};
struct rlimit {
    rlim_t rlim_cur, rlim_max;
};
struct dirent {
    char d_name[1024];
};
struct DIR;

int open(const char *chemin, int options, unsigned int mode = 0);
int openat(int dossier, const char *nom, int options, unsigned int mode = 0);
int close(int fd);
ssize_t write(int fd, const void *octets, size_t taille);
ssize_t pread(int fd, void *octets, size_t taille, qint64 position);
ssize_t pwrite(int fd, const void *octets, size_t taille, qint64 position);
int fstat(int fd, struct stat *st);
int fstatat(int dossier, const char *nom, struct stat *st, int options);
int stat(const char *chemin, struct stat *st);
int lstat(const char *chemin, struct stat *st);
int statx(int dossier, const char *nom, int options, unsigned int masque, struct statx *st);
int fchmod(int fd, unsigned int mode);
int fchown(int fd, uid_t proprietaire, unsigned int groupe);
int fsync(int fd);
int ftruncate(int fd, qint64 taille);
int fallocate(int fd, int mode, qint64 debut, qint64 taille);
int fcntl(int fd, int commande, struct flock *verrou = nullptr);
int renameat(int dossierDe, const char *de, int dossierVers, const char *vers);
int renameat2(int dossierDe, const char *de, int dossierVers, const char *vers, unsigned int options);
int rename(const char *de, const char *vers);
int linkat(int dossierDe, const char *de, int dossierVers, const char *vers, int options);
int unlinkat(int dossier, const char *nom, int options);
int unlink(const char *chemin);
int mkdir(const char *chemin, unsigned int mode);
int faccessat(int dossier, const char *nom, int mode, int options);
unsigned int umask(unsigned int masque);
uid_t geteuid();
int getpid();
int getrlimit(int ressource, struct rlimit *limite);
DIR *opendir(const char *chemin);
// Takes the descriptor over, as POSIX does: closedir() closes it.
DIR *fdopendir(int fd);
dirent *readdir(DIR *d);
int closedir(DIR *d);

// The errno a Win32 error stands for, the one table the layer maps through:
// a share gone is ENOTCONN/EHOSTDOWN/ENODEV/ESTALE as on Linux, anything
// unforeseen EPROTO (never EIO, which would read as the share gone).
int errnoWin32(unsigned long erreur);

} // namespace sys
#else
// Linux: the calls are the system's own.
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>
#include <unistd.h>

namespace sys {
using ::close;
using ::closedir;
using ::faccessat;
using ::fallocate;
using ::fchmod;
using ::fdopendir;
using ::fchown;
using ::fcntl;
using ::fstat;
using ::fstatat;
using ::fsync;
using ::ftruncate;
using ::geteuid;
using ::getpid;
using ::getrlimit;
using ::linkat;
using ::lstat;
using ::mkdir;
using ::open;
using ::openat;
using ::opendir;
using ::pread;
using ::pwrite;
using ::readdir;
using ::rename;
using ::renameat;
using ::renameat2;
using ::stat;
using ::statx;
using ::statx_timestamp;
using ::umask;
using ::unlink;
using ::unlinkat;
using ::write;
using ::DIR;
using ::dirent;
using ::flock;
using ::rlimit;
using ::rlim_t;
using ::uid_t;
} // namespace sys
#endif

#include <QByteArray>
#include <QString>

#include <optional>

namespace sys {

// What only the system knows of a running process and its machine, for
// telling a living copy from a dead one.
// The start of process `pid` in the system's own units; 0 when it cannot be
// told; nothing when there is no such process (or only its exit status).
std::optional<quint64> debutProcessus(qint64 pid);
// Bytes that tell this machine apart (with its host name), and this boot.
QByteArray idMachine();
QString idDemarrage();
QString utilisateur();

// Where this user's records are kept, on this machine; and where they go
// when that folder does not answer: a temporary folder that outlives a reboot.
QString dossierEtat();
QString dossierTemporaire();

// The path an open file or folder was reached by; empty when unknown.
QByteArray cheminDe(int fd);

// Opens `relatif` below the open folder `dossier` in one call that refuses
// links and '..' leading out (ELOOP / EXDEV); ENOSYS where the system has no
// such call, and the caller walks the path one component at a time.
int ouvrirDessous(int dossier, const QByteArray &relatif, int options, unsigned int mode);

// Opens again for reading and writing the file open at `fd`, whatever its
// name now; a descriptor or -1 with errno.
int rouvrirEnEcriture(int fd);

// An extended attribute of an open file; 0 or an errno (ENOTSUP where files
// keep none).
int lireAttributEtendu(int fd, const char *nom, QByteArray &valeur);
int ecrireAttributEtendu(int fd, const char *nom, const QByteArray &valeur);

// Whether an open file lies on a CIFS/SMB mount, where the DOS word itself is
// kept beside the file.
bool surCifs(int fd);

// Whether a file open by anybody may be replaced by a rename. Windows refuses
// to rename over an open file, so a held text is rewritten in place there.
bool remplaceFichierOuvert();

// Whether the open folder compares names without case (a CIFS share, a FAT
// or NTFS disk, a case-folding ext4 folder, any Windows folder): two names
// that differ by case alone name one file there.
bool nomsSansCasse(int dossier);

} // namespace sys
