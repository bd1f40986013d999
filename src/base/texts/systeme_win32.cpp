// Windows: the calls of systeme.h answered from Win32, and from the NT
// calls under it where only they open a name relative to a folder.
#include "base/texts/systeme.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QScopeGuard>
#include <QSet>

#include <windows.h>
#include <winternl.h>
#include <io.h>

#include <memory>
#include <string>

#ifndef FILE_OPEN_REPARSE_POINT
#define FILE_OPEN_REPARSE_POINT 0x00200000
#endif
#ifndef FILE_DIRECTORY_FILE
#define FILE_DIRECTORY_FILE 0x00000001
#endif
#ifndef FILE_NON_DIRECTORY_FILE
#define FILE_NON_DIRECTORY_FILE 0x00000040
#endif
#ifndef FILE_SYNCHRONOUS_IO_NONALERT
#define FILE_SYNCHRONOUS_IO_NONALERT 0x00000020
#endif
#ifndef FILE_OPEN_FOR_BACKUP_INTENT
#define FILE_OPEN_FOR_BACKUP_INTENT 0x00004000
#endif
#ifndef FILE_OPEN
#define FILE_OPEN 1
#define FILE_CREATE 2
#define FILE_OPEN_IF 3
#define FILE_OVERWRITE 4
#define FILE_OVERWRITE_IF 5
#endif
#ifndef ERROR_DISK_QUOTA_EXCEEDED
#define ERROR_DISK_QUOTA_EXCEEDED 1295L
#endif
#ifndef ERROR_STOPPED_ON_SYMLINK
#define ERROR_STOPPED_ON_SYMLINK 681L
#endif
#ifndef OBJ_CASE_INSENSITIVE
#define OBJ_CASE_INSENSITIVE 0x40
#endif

namespace sys {

QByteArray cheminDe(int fd);

int errnoWin32(unsigned long e)
{
    switch (e) {
    case ERROR_SUCCESS:
    case ERROR_HANDLE_EOF: return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_NO_MORE_FILES:
    case ERROR_DELETE_PENDING: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_INVALID_ACCESS:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_CANT_ACCESS_FILE: // a reparse point no driver here serves
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_LOGON_FAILURE:
    case ERROR_SESSION_CREDENTIAL_CONFLICT: return EACCES;
    // Another copy has the text open for writing: what POSIX says of a busy
    // file, which the protocol then opens for reading only.
    case ERROR_SHARING_VIOLATION:
    case ERROR_USER_MAPPED_FILE: return ETXTBSY;
    case ERROR_LOCK_VIOLATION:
    case ERROR_LOCK_FAILED: return EAGAIN;
    case ERROR_NOT_LOCKED:
    case ERROR_SHARING_BUFFER_EXCEEDED: return ENOLCK;
    case ERROR_BUSY:
    case ERROR_DRIVE_LOCKED:
    case ERROR_CURRENT_DIRECTORY:
    case ERROR_REQ_NOT_ACCEP: // the server takes no more sessions: it is there
    case ERROR_NETWORK_BUSY: return EBUSY;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_DISK_QUOTA_EXCEEDED: return EDQUOT; // a refusal, never a success
    case ERROR_FILE_TOO_LARGE: return EFBIG;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER:
    case ERROR_NEGATIVE_SEEK:
    case ERROR_NOT_A_REPARSE_POINT: return EINVAL;
    case ERROR_INVALID_HANDLE: return EBADF;
    case ERROR_DIRECTORY: return ENOTDIR;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION: return ENOTSUP;
    case ERROR_CALL_NOT_IMPLEMENTED: return ENOSYS;
    // The share went away: what FichiersTexte::partiDuPartage knows as gone,
    // so that the copy reconnects instead of reporting a refusal.
    case ERROR_NETNAME_DELETED:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_REM_NOT_LIST:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_VC_DISCONNECTED:
    case ERROR_NETWORK_UNREACHABLE:
    case ERROR_CONNECTION_ABORTED:
    case ERROR_CONNECTION_INVALID:
    case ERROR_NO_NETWORK:
    case ERROR_NOT_CONNECTED:
    case ERROR_DEVICE_NOT_CONNECTED: return ENOTCONN;
    case ERROR_HOST_UNREACHABLE:
    case ERROR_HOST_DOWN: return EHOSTDOWN;
    case ERROR_NOT_READY: return ENODEV; // a removed key or disk
    case ERROR_FILE_INVALID: return ESTALE; // the volume changed under the open file
    // Slow is not gone: the caller may try again on the same share.
    case ERROR_SEM_TIMEOUT:
    case ERROR_TIMEOUT: return ETIMEDOUT;
    case ERROR_CRC:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_NET_WRITE_FAULT:
    case ERROR_IO_DEVICE: return EIO;
    case ERROR_WRITE_PROTECT: return EROFS;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW: return ENAMETOOLONG;
    case ERROR_DIR_NOT_EMPTY: return ENOTEMPTY;
    case ERROR_NOT_SAME_DEVICE: return EXDEV;
    case ERROR_TOO_MANY_OPEN_FILES: return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
    case ERROR_NOT_ENOUGH_QUOTA: return ENOMEM;
    case ERROR_STOPPED_ON_SYMLINK:
    case ERROR_CANT_RESOLVE_FILENAME: return ELOOP;
    // Anything else is unexpected, neither a loss of the share (EIO would
    // make the copy reconnect) nor a refusal it could explain.
    default: return EPROTO;
    }
}

namespace {

constexpr NTSTATUS statutEstUnDossier = NTSTATUS(0xC00000BAL);    // STATUS_FILE_IS_A_DIRECTORY
constexpr NTSTATUS statutPasUnDossier = NTSTATUS(0xC0000103L);    // STATUS_NOT_A_DIRECTORY
constexpr NTSTATUS statutLienArrete = NTSTATUS(0xC000026BL);      // STATUS_STOPPED_ON_SYMLINK

int echec(DWORD e)
{
    errno = errnoWin32(e);
    return -1;
}
int echecNt(NTSTATUS s)
{
    errno = s == statutEstUnDossier ? EISDIR
            : s == statutPasUnDossier ? ENOTDIR
            : s == statutLienArrete ? ELOOP
                                    : errnoWin32(RtlNtStatusToDosError(s));
    return -1;
}

HANDLE poignee(int fd)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

std::wstring large(const char *nom)
{
    return QDir::toNativeSeparators(QFile::decodeName(nom)).toStdWString();
}

// The NT name of a Win32 path: \??\C:\..., \??\UNC\server\share\...
std::wstring nomNt(const char *chemin)
{
    QString absolu = QDir::toNativeSeparators(QFileInfo(QFile::decodeName(chemin)).absoluteFilePath());
    if (absolu.startsWith(QLatin1String("\\\\?\\")))
        absolu = absolu.mid(4);
    else if (absolu.startsWith(QLatin1String("\\\\")))
        absolu = QLatin1String("UNC\\") + absolu.mid(2);
    return (QLatin1String("\\??\\") + absolu).toStdWString();
}

// What each descriptor was opened for, and the byte-range locks it holds:
// Windows keeps neither where POSIX callers ask for them.
struct Ouverture {
    int options = 0;
    QSet<qint64> verrous;
    qint64 libreVu = -1; // the byte a test just found free, for the take that follows it
};
QMutex gardeOuvertures;
QHash<int, Ouverture> ouvertures;

int adopter(HANDLE h, int options)
{
    const int acces = options & O_ACCMODE;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), acces | _O_BINARY | _O_NOINHERIT);
    if (fd < 0) {
        CloseHandle(h);
        errno = EMFILE;
        return -1;
    }
    const QMutexLocker l(&gardeOuvertures);
    ouvertures.insert(fd, Ouverture{options, {}});
    return fd;
}

struct Poignee {
    HANDLE h = INVALID_HANDLE_VALUE;
    ~Poignee()
    {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};

// Opens `nom` relative to `racine` (an NT name when racine is null).
NTSTATUS ouvrirNt(HANDLE racine, const std::wstring &nom, ACCESS_MASK acces, ULONG partage, ULONG disposition,
                  ULONG optionsNt, ULONG attributs, HANDLE &h)
{
    UNICODE_STRING u;
    u.Buffer = const_cast<PWSTR>(nom.data());
    u.Length = USHORT(nom.size() * sizeof(wchar_t));
    u.MaximumLength = u.Length;
    OBJECT_ATTRIBUTES oa;
    InitializeObjectAttributes(&oa, &u, OBJ_CASE_INSENSITIVE, racine, nullptr);
    IO_STATUS_BLOCK io {};
    return NtCreateFile(&h, acces | SYNCHRONIZE, &oa, &io, nullptr, attributs, partage, disposition,
                        optionsNt | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT, nullptr, 0);
}

// Only symbolic links and junctions lead elsewhere; the other reparse points
// (OneDrive placeholders, deduplicated files) are the file itself.
bool tagDeLien(DWORD attributs, DWORD tag)
{
    return (attributs & FILE_ATTRIBUTE_REPARSE_POINT) && (tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT);
}

enum class Reparse { Aucun, Lien, Autre };
Reparse reparse(HANDLE h)
{
    FILE_ATTRIBUTE_TAG_INFO t {};
    if (!GetFileInformationByHandleEx(h, FileAttributeTagInfo, &t, sizeof t) || !(t.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return Reparse::Aucun;
    return tagDeLien(t.FileAttributes, t.ReparseTag) ? Reparse::Lien : Reparse::Autre;
}

int ouvrir(HANDLE racine, const std::wstring &nom, int options, unsigned int mode)
{
    const int acces = options & O_ACCMODE;
    const bool dossier = options & O_DIRECTORY;
    ACCESS_MASK droits;
    if (options & O_PATH)
        droits = FILE_READ_ATTRIBUTES | (dossier ? FILE_TRAVERSE : 0);
    else if (dossier)
        droits = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;
    else
        droits = (acces == O_WRONLY ? FILE_READ_ATTRIBUTES : FILE_GENERIC_READ)
                 | (acces != O_RDONLY ? FILE_GENERIC_WRITE : 0);
    // Every open shares everything: a copy keeps a draft open twice and
    // renames it while open. What keeps other writers out of a held text is
    // its read-only attribute, which no open for writing passes, and the
    // hold's byte-range lock, which the server passes on to every machine.
    const ULONG partage = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    ULONG disposition = FILE_OPEN;
    if (options & O_CREAT)
        disposition = (options & O_EXCL) ? FILE_CREATE : (options & O_TRUNC) ? FILE_OVERWRITE_IF : FILE_OPEN_IF;
    else if (options & O_TRUNC)
        disposition = FILE_OVERWRITE;
    ULONG optionsNt = dossier ? FILE_DIRECTORY_FILE : (acces != O_RDONLY ? FILE_NON_DIRECTORY_FILE : 0);
    if (options & O_NOFOLLOW)
        optionsNt |= FILE_OPEN_REPARSE_POINT;
    const ULONG attributs = (options & O_CREAT) && !(mode & 0222) ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
    HANDLE h = INVALID_HANDLE_VALUE;
    // The mark is an attribute changed through the open file: ask for that
    // right too, and go without it where the file's owner did not grant it.
    const ACCESS_MASK attributsEcrits = (options & O_PATH) ? 0 : FILE_WRITE_ATTRIBUTES;
    ACCESS_MASK accorde = droits | attributsEcrits;
    NTSTATUS s = ouvrirNt(racine, nom, accorde, partage, disposition, optionsNt, attributs, h);
    if (s == NTSTATUS(0xC0000022L) && attributsEcrits) // STATUS_ACCESS_DENIED
        s = ouvrirNt(racine, nom, accorde = droits, partage, disposition, optionsNt, attributs, h);
    if (s < 0)
        return echecNt(s);
    // A link or junction is refused, never followed, whatever it points to.
    const Reparse r = (options & O_NOFOLLOW) ? reparse(h) : Reparse::Aucun;
    if (r == Reparse::Lien) {
        CloseHandle(h);
        errno = (options & O_DIRECTORY) ? ENOTDIR : ELOOP;
        return -1;
    }
    // Any other reparse point opened as such would show its stub (a cloud
    // placeholder's, a deduplicated file's zeros): opened again from itself,
    // through its driver, it is the same file with its words.
    if (r == Reparse::Autre) {
        HANDLE fichier = INVALID_HANDLE_VALUE;
        s = ouvrirNt(h, std::wstring(), accorde, partage, FILE_OPEN, optionsNt & ~ULONG(FILE_OPEN_REPARSE_POINT), 0, fichier);
        CloseHandle(h);
        if (s < 0)
            return echecNt(s);
        h = fichier;
    }
    return adopter(h, options);
}

qint64 versNs(const LARGE_INTEGER &t)
{
    // 100 ns since 1601 to ns since 1970.
    return (t.QuadPart - 116444736000000000LL) * 100;
}
timespec versTimespec(qint64 ns)
{
    timespec t {};
    t.tv_sec = time_t(ns / 1000000000);
    t.tv_nsec = long(ns % 1000000000);
    return t;
}

// Wine shows every file as archive, whatever was set, and its creation time
// moves with any change of the file: there neither says anything, and a
// read-only file must still read as the mark.
bool sousWine()
{
    static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

int etatDe(HANDLE h, struct stat *st)
{
    BY_HANDLE_FILE_INFORMATION i {};
    FILE_BASIC_INFO b {};
    if (!GetFileInformationByHandle(h, &i) || !GetFileInformationByHandleEx(h, FileBasicInfo, &b, sizeof b))
        return echec(GetLastError());
    // A reparse point whose tag cannot be read is taken for a link.
    FILE_ATTRIBUTE_TAG_INFO t {};
    if (!GetFileInformationByHandleEx(h, FileAttributeTagInfo, &t, sizeof t))
        t.ReparseTag = IO_REPARSE_TAG_SYMLINK;
    *st = {};
    st->st_dev = i.dwVolumeSerialNumber;
    // Wine gives a serial of 0 for a handle whose file was renamed through
    // another one: the volume is asked for it, so a held text stays itself.
    DWORD serie = 0;
    if (st->st_dev == 0 && GetVolumeInformationByHandleW(h, nullptr, 0, &serie, nullptr, nullptr, nullptr, 0))
        st->st_dev = serie;
    st->st_ino = (quint64(i.nFileIndexHigh) << 32) | i.nFileIndexLow;
    st->st_nlink = i.nNumberOfLinks;
    st->st_size = (qint64(i.nFileSizeHigh) << 32) | i.nFileSizeLow;
    const DWORD a = i.dwFileAttributes;
    if (tagDeLien(a, t.ReparseTag))
        st->st_mode = S_IFLNK | 0777;
    else if (a & FILE_ATTRIBUTE_DIRECTORY)
        st->st_mode = S_IFDIR | 0700; // this user's, as far as a POSIX caller needs to know
    else
        st->st_mode = S_IFREG | ((a & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666) | ((a & FILE_ATTRIBUTE_ARCHIVE) && !sousWine() ? S_IXUSR : 0);
    st->st_atim = versTimespec(versNs(b.LastAccessTime));
    st->st_mtim = versTimespec(versNs(b.LastWriteTime));
    st->st_ctim = versTimespec(versNs(b.ChangeTime));
    if (!sousWine())
        st->st_birthtim = versTimespec(versNs(b.CreationTime));
    return 0;
}

// Opens a name of an open folder for one question or one change, never
// following a link, sharing everything so that no holder is disturbed.
NTSTATUS ouvrirPour(int dossier, const char *nom, ACCESS_MASK acces, HANDLE &h)
{
    if (dossier == AT_FDCWD)
        return ouvrirNt(nullptr, nomNt(nom), acces, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                        FILE_OPEN_REPARSE_POINT, 0, h);
    if (strchr(nom, ':')) // an alternate data stream, as in openat
        return NTSTATUS(0xC0000033L); // STATUS_OBJECT_NAME_INVALID
    const std::wstring n = qstrcmp(nom, ".") == 0 ? std::wstring() : large(nom);
    return ouvrirNt(poignee(dossier), n, acces, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                    FILE_OPEN_REPARSE_POINT, 0, h);
}

// Where a call on the open file starts: Windows takes the offset beside
// the call, not from the descriptor.
OVERLAPPED aLaPosition(qint64 position)
{
    OVERLAPPED o {};
    o.Offset = DWORD(position);
    o.OffsetHigh = DWORD(quint64(position) >> 32);
    return o;
}

// Sets a file's attribute word, its times left as they are (zero).
bool poserAttributs(HANDLE h, DWORD attributs)
{
    FILE_BASIC_INFO n {};
    n.FileAttributes = attributs ? attributs : FILE_ATTRIBUTE_NORMAL; // NORMAL only alone
    return SetFileInformationByHandle(h, FileBasicInfo, &n, sizeof n);
}

int renommerPar(HANDLE h, int dossierVers, const char *vers, bool remplacer)
{
    if (dossierVers != AT_FDCWD && strchr(vers, ':')) {
        errno = EINVAL;
        return -1;
    }
    // The new name as the folder's full NT path with no root handle: an SMB
    // redirector takes no other form of rename (a root handle is for local
    // volumes only). Relative to the handle where its path cannot be told.
    const QByteArray dossier = dossierVers == AT_FDCWD ? QByteArray() : cheminDe(dossierVers);
    const bool relatif = dossierVers != AT_FDCWD && dossier.isEmpty();
    const std::wstring cible = dossierVers == AT_FDCWD || relatif ? large(vers) : nomNt((dossier + '/' + vers).constData());
    const size_t taille = sizeof(FILE_RENAME_INFO) + cible.size() * sizeof(wchar_t);
    std::unique_ptr<char[]> tampon(new char[taille]());
    auto *info = reinterpret_cast<FILE_RENAME_INFO *>(tampon.get());
    info->ReplaceIfExists = remplacer;
    info->RootDirectory = relatif ? poignee(dossierVers) : nullptr;
    info->FileNameLength = DWORD(cible.size() * sizeof(wchar_t));
    memcpy(info->FileName, cible.data(), info->FileNameLength);
    // NT's own call, which keeps the no-replace rule on the open file.
    IO_STATUS_BLOCK io {};
    const NTSTATUS s = NtSetInformationFile(h, &io, info, ULONG(taille), FILE_INFORMATION_CLASS(10)); // FileRenameInformation
    return s < 0 ? echecNt(s) : 0;
}

int renommer(int dossierDe, const char *de, int dossierVers, const char *vers, bool remplacer)
{
    Poignee p;
    if (const NTSTATUS s = ouvrirPour(dossierDe, de, DELETE | FILE_READ_ATTRIBUTES, p.h); s < 0)
        return echecNt(s);
    return renommerPar(p.h, dossierVers, vers, remplacer);
}

} // namespace

int open(const char *chemin, int options, unsigned int mode)
{
    return ouvrir(nullptr, nomNt(chemin), options, mode);
}

int openat(int dossier, const char *nom, int options, unsigned int mode)
{
    if (dossier == AT_FDCWD)
        return open(nom, options, mode);
    // NT names relative to a folder have no "..": a walk up leads nowhere here.
    if (qstrcmp(nom, "..") == 0) {
        errno = EXDEV;
        return -1;
    }
    // A ':' below a folder names an alternate data stream of another file.
    if (strchr(nom, ':')) {
        errno = EINVAL;
        return -1;
    }
    return ouvrir(poignee(dossier), qstrcmp(nom, ".") == 0 ? std::wstring() : large(nom), options, mode);
}

int close(int fd)
{
    {
        const QMutexLocker l(&gardeOuvertures);
        ouvertures.remove(fd);
    }
    return _close(fd);
}

ssize_t write(int fd, const void *octets, size_t taille)
{
    DWORD ecrits = 0;
    if (!WriteFile(poignee(fd), octets, DWORD(taille), &ecrits, nullptr))
        return echec(GetLastError());
    return ssize_t(ecrits);
}

ssize_t pread(int fd, void *octets, size_t taille, qint64 position)
{
    OVERLAPPED o = aLaPosition(position);
    DWORD lus = 0;
    if (!ReadFile(poignee(fd), octets, DWORD(taille), &lus, &o)) {
        const DWORD e = GetLastError();
        return e == ERROR_HANDLE_EOF ? 0 : echec(e);
    }
    return ssize_t(lus);
}

ssize_t pwrite(int fd, const void *octets, size_t taille, qint64 position)
{
    OVERLAPPED o = aLaPosition(position);
    DWORD ecrits = 0;
    if (!WriteFile(poignee(fd), octets, DWORD(taille), &ecrits, &o))
        return echec(GetLastError());
    return ssize_t(ecrits);
}

int fstat(int fd, struct stat *st)
{
    const HANDLE h = poignee(fd);
    if (h == INVALID_HANDLE_VALUE) {
        errno = EBADF;
        return -1;
    }
    return etatDe(h, st);
}

int fstatat(int dossier, const char *nom, struct stat *st, int)
{
    Poignee p;
    if (const NTSTATUS s = ouvrirPour(dossier, nom, FILE_READ_ATTRIBUTES, p.h); s < 0)
        return echecNt(s);
    return etatDe(p.h, st);
}

int stat(const char *chemin, struct stat *st)
{
    return fstatat(AT_FDCWD, chemin, st, 0);
}

int lstat(const char *chemin, struct stat *st)
{
    return fstatat(AT_FDCWD, chemin, st, AT_SYMLINK_NOFOLLOW);
}

int statx(int dossier, const char *nom, int options, unsigned int, struct statx *x)
{
    struct stat st {};
    const int r = (options & AT_EMPTY_PATH) && !*nom ? fstat(dossier, &st) : fstatat(dossier, nom, &st, options);
    if (r != 0)
        return r;
    *x = {};
    x->stx_mask = STATX_BASIC_STATS | STATX_BTIME;
    x->stx_nlink = quint32(st.st_nlink);
    x->stx_mode = quint16(st.st_mode);
    x->stx_ino = st.st_ino;
    x->stx_size = quint64(st.st_size);
    const auto temps = [](const timespec &t) { return statx_timestamp{qint64(t.tv_sec), quint32(t.tv_nsec)}; };
    x->stx_atime = temps(st.st_atim);
    x->stx_mtime = temps(st.st_mtim);
    x->stx_ctime = temps(st.st_ctim);
    x->stx_btime = temps(st.st_birthtim);
    x->stx_dev_major = quint32(st.st_dev >> 32);
    x->stx_dev_minor = quint32(st.st_dev);
    return 0;
}

int fchmod(int fd, unsigned int mode)
{
    const HANDLE h = poignee(fd);
    FILE_BASIC_INFO b {};
    if (!GetFileInformationByHandleEx(h, FileBasicInfo, &b, sizeof b))
        return echec(GetLastError());
    DWORD mot = b.FileAttributes & ~DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL);
    if (!(mode & 0222))
        mot |= FILE_ATTRIBUTE_READONLY;
    if (mode & S_IXUSR)
        mot |= FILE_ATTRIBUTE_ARCHIVE;
    if (!poserAttributs(h, mot))
        return echec(GetLastError());
    return 0;
}

int fchown(int, uid_t, unsigned int)
{
    return 0; // files belong to whoever made them; nothing to give back
}

int fsync(int fd)
{
    const HANDLE h = poignee(fd);
    BY_HANDLE_FILE_INFORMATION i {};
    // A folder's entries need no flush of their own on Windows.
    if (GetFileInformationByHandle(h, &i) && (i.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    if (!FlushFileBuffers(h))
        return echec(GetLastError());
    return 0;
}

int ftruncate(int fd, qint64 taille)
{
    FILE_END_OF_FILE_INFO fin {};
    fin.EndOfFile.QuadPart = taille;
    if (!SetFileInformationByHandle(poignee(fd), FileEndOfFileInfo, &fin, sizeof fin))
        return echec(GetLastError());
    return 0;
}

int fallocate(int fd, int, qint64 debut, qint64 taille)
{
    FILE_ALLOCATION_INFO place {};
    place.AllocationSize.QuadPart = debut + taille;
    if (!SetFileInformationByHandle(poignee(fd), FileAllocationInfo, &place, sizeof place)) {
        // Only a full disk is worth telling: without a reservation the write still may work.
        const int e = errnoWin32(GetLastError());
        errno = e == ENOSPC || e == EDQUOT ? e : EOPNOTSUPP;
        return -1;
    }
    return 0;
}

int fcntl(int fd, int commande, struct flock *v)
{
    QMutexLocker l(&gardeOuvertures);
    const auto o = ouvertures.find(fd);
    if (o == ouvertures.end()) {
        errno = EBADF;
        return -1;
    }
    if (commande == F_GETFL)
        return o->options & O_ACCMODE;
    if (commande == F_DUPFD_CLOEXEC) {
        HANDLE copie = nullptr;
        if (!DuplicateHandle(GetCurrentProcess(), poignee(fd), GetCurrentProcess(), &copie, 0, FALSE,
                             DUPLICATE_SAME_ACCESS))
            return echec(GetLastError());
        const int options = o->options;
        l.unlock();
        return adopter(copie, options);
    }
    if (!v || (commande != F_OFD_SETLK && commande != F_OFD_GETLK)) {
        errno = EINVAL;
        return -1;
    }
    const HANDLE h = poignee(fd);
    OVERLAPPED ov = aLaPosition(v->l_start);
    const DWORD longueur = DWORD(v->l_len);
    const DWORD sorte = LOCKFILE_FAIL_IMMEDIATELY | (v->l_type == F_WRLCK ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    const bool mien = o->verrous.contains(v->l_start);
    // Windows cannot be asked who holds a lock without taking it: there is no
    // F_GETLK, and reading the byte is no test (past the end of the file not
    // every server refuses it, and a shared lock refuses no read). So a test
    // takes the lock and lets it go at once; for those two calls, another
    // copy taking or testing the text meets a holder that is none. A test,
    // and a take right after a test of the same byte that found it free (how
    // a copy takes a text), try such a conflict again for some 20 ms: longer
    // than a test, shorter than any hold. Other takes try once: their callers
    // repeat them (the exchange, a millisecond apart for 2 s). The table's
    // guard is not kept through these calls to the server.
    const bool reessayer = commande == F_OFD_GETLK || o->libreVu == v->l_start;
    o->libreVu = -1;
    const auto prendre = [&] {
        l.unlock();
        const auto reprendre = qScopeGuard([&] { l.relock(); });
        for (int essai = 0;; ++essai) {
            if (LockFileEx(h, sorte, 0, longueur, 0, &ov))
                return DWORD(ERROR_SUCCESS);
            if (const DWORD e = GetLastError(); e != ERROR_LOCK_VIOLATION || !reessayer || essai == 20)
                return e;
            Sleep(1);
        }
    };
    if (commande == F_OFD_GETLK) {
        // POSIX never reports a descriptor's own lock to it; other holders
        // show as a lock that cannot be taken at once.
        if (mien) {
            v->l_type = F_UNLCK;
            return 0;
        }
        const DWORD e = prendre();
        if (e == ERROR_SUCCESS)
            UnlockFileEx(h, 0, longueur, 0, &ov);
        else if (e != ERROR_LOCK_VIOLATION)
            return echec(e);
        v->l_type = e == ERROR_SUCCESS ? F_UNLCK : F_WRLCK;
        // Found again, as below: the table may have changed while unguarded.
        if (const auto encore = ouvertures.find(fd); encore != ouvertures.end() && e == ERROR_SUCCESS)
            encore->libreVu = v->l_start;
        return 0;
    }
    if (v->l_type == F_UNLCK) {
        if (mien) {
            UnlockFileEx(h, 0, longueur, 0, &ov);
            o->verrous.remove(v->l_start);
        }
        return 0;
    }
    // A descriptor that locks a byte again keeps the lock it has, as POSIX does.
    if (mien)
        return 0;
    if (const DWORD e = prendre())
        return echec(e);
    if (const auto encore = ouvertures.find(fd); encore != ouvertures.end())
        encore->verrous.insert(v->l_start);
    return 0;
}

int renameat(int dossierDe, const char *de, int dossierVers, const char *vers)
{
    return renommer(dossierDe, de, dossierVers, vers, true);
}

int renameat2(int dossierDe, const char *de, int dossierVers, const char *vers, unsigned int options)
{
    return renommer(dossierDe, de, dossierVers, vers, !(options & RENAME_NOREPLACE));
}

int rename(const char *de, const char *vers)
{
    return renommer(AT_FDCWD, de, AT_FDCWD, QFile::encodeName(QString::fromStdWString(nomNt(vers))).constData(), true);
}

int linkat(int, const char *, int, const char *, int)
{
    // Only a stand-in for a rename without replace, which Windows has.
    errno = ENOTSUP;
    return -1;
}

int unlinkat(int dossier, const char *nom, int)
{
    Poignee p;
    if (const NTSTATUS s = ouvrirPour(dossier, nom, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, p.h); s < 0)
        return echecNt(s);
    FILE_DISPOSITION_INFO effacer {};
    effacer.DeleteFile = TRUE;
    if (SetFileInformationByHandle(p.h, FileDispositionInfo, &effacer, sizeof effacer))
        return 0;
    // POSIX removes a read-only file; Windows first wants the attribute off.
    FILE_BASIC_INFO b {};
    if (GetLastError() == ERROR_ACCESS_DENIED && GetFileInformationByHandleEx(p.h, FileBasicInfo, &b, sizeof b)
        && (b.FileAttributes & FILE_ATTRIBUTE_READONLY)) {
        if (poserAttributs(p.h, b.FileAttributes & ~DWORD(FILE_ATTRIBUTE_READONLY))
            && SetFileInformationByHandle(p.h, FileDispositionInfo, &effacer, sizeof effacer))
            return 0;
    }
    return echec(GetLastError());
}

int unlink(const char *chemin)
{
    return unlinkat(AT_FDCWD, chemin, 0);
}

int mkdir(const char *chemin, unsigned int)
{
    if (!CreateDirectoryW(large(chemin).c_str(), nullptr))
        return echec(GetLastError());
    return 0;
}

int faccessat(int, const char *, int, int)
{
    // Asked only to tell a refusing folder from a refusing file; Windows
    // says which through the error itself.
    errno = EACCES;
    return -1;
}

unsigned int umask(unsigned int)
{
    return 0;
}

uid_t geteuid()
{
    return 0;
}

int getpid()
{
    return int(GetCurrentProcessId());
}

int getrlimit(int, struct rlimit *limite)
{
    limite->rlim_cur = limite->rlim_max = RLIM_INFINITY;
    return 0;
}

// Entries are read from the folder's own handle, not from its path: the
// walk goes on using the descriptor it gave, as POSIX lets it, and a folder
// renamed or swapped meanwhile cannot send the listing elsewhere.
struct DIR {
    int fd = -1;
    bool premier = true;
    alignas(8) char tampon[32768];
    DWORD suivant = 0;  // offset of the next entry in tampon
    bool vide = true;   // nothing left in tampon
    dirent entree {};
};

DIR *opendir(const char *chemin)
{
    // NT takes no separator after a folder's name but a drive's.
    QByteArray nom(chemin);
    while (nom.size() > 3 && (nom.endsWith('/') || nom.endsWith('\\')))
        nom.chop(1);
    const int fd = open(nom.constData(), O_RDONLY | O_DIRECTORY);
    DIR *d = fd < 0 ? nullptr : fdopendir(fd);
    if (!d && fd >= 0) {
        const int e = errno;
        close(fd);
        errno = e;
    }
    return d;
}

DIR *fdopendir(int fd)
{
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return nullptr;
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return nullptr;
    }
    auto d = std::make_unique<DIR>();
    d->fd = fd;
    return d.release();
}

dirent *readdir(DIR *d)
{
    if (d->vide) {
        const auto classe = d->premier ? FileIdBothDirectoryRestartInfo : FileIdBothDirectoryInfo;
        if (!GetFileInformationByHandleEx(poignee(d->fd), classe, d->tampon, sizeof d->tampon)) {
            const DWORD e = GetLastError();
            if (e != ERROR_NO_MORE_FILES)
                errno = errnoWin32(e);
            return nullptr;
        }
        d->premier = d->vide = false;
        d->suivant = 0;
    }
    const auto *i = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO *>(d->tampon + d->suivant);
    if (i->NextEntryOffset == 0)
        d->vide = true;
    else
        d->suivant += i->NextEntryOffset;
    const QByteArray nom = QFile::encodeName(QString::fromWCharArray(i->FileName, int(i->FileNameLength / sizeof(wchar_t))));
    qstrncpy(d->entree.d_name, nom.constData(), sizeof d->entree.d_name);
    return &d->entree;
}

int closedir(DIR *d)
{
    const int r = close(d->fd);
    delete d;
    return r;
}

std::optional<quint64> debutProcessus(qint64 pid)
{
    const HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!p)
        return GetLastError() == ERROR_INVALID_PARAMETER ? std::nullopt : std::optional<quint64>(0);
    DWORD code = 0;
    FILETIME debut {}, fin {}, noyau {}, utilisateur {};
    const bool fini = GetExitCodeProcess(p, &code) && code != STILL_ACTIVE;
    const bool ok = GetProcessTimes(p, &debut, &fin, &noyau, &utilisateur);
    CloseHandle(p);
    if (fini)
        return std::nullopt;
    return ok ? (quint64(debut.dwHighDateTime) << 32) | debut.dwLowDateTime : 0;
}

QByteArray idMachine()
{
    wchar_t guid[64] = {};
    DWORD taille = sizeof guid;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography", L"MachineGuid",
                     RRF_RT_REG_SZ, nullptr, guid, &taille) != ERROR_SUCCESS)
        return {};
    return QString::fromWCharArray(guid).toUtf8();
}

QString idDemarrage()
{
    // The boot's instant, the same for every process of this boot. Windows
    // moves it with every step of the clock and adds the step to its bias:
    // without the bias it is the instant as first known, which a second copy
    // started after a step still reads alike.
    struct {
        LARGE_INTEGER demarrage, maintenant, fuseau;
        ULONG idFuseau, reserve;
        ULONGLONG biaisDemarrage, biaisSommeil;
    } t {};
    static_assert(sizeof t == 48, "SYSTEM_TIMEOFDAY_INFORMATION");
    if (NtQuerySystemInformation(SystemTimeOfDayInformation, &t, sizeof t, nullptr) >= 0)
        return QString::number((t.demarrage.QuadPart - qint64(t.biaisDemarrage)) / 10000000);
    return {};
}

QString utilisateur()
{
    wchar_t nom[256] = {};
    DWORD taille = 256;
    return GetUserNameW(nom, &taille) ? QString::fromWCharArray(nom) : QString();
}

QString dossierEtat()
{
    const QString local = qEnvironmentVariable("LOCALAPPDATA");
    return (QDir::isAbsolutePath(local) ? QDir::fromNativeSeparators(local) : QDir::homePath() + QStringLiteral("/AppData/Local"))
           + QStringLiteral("/Plumor");
}

QString dossierTemporaire()
{
    return QDir::fromNativeSeparators(QDir::tempPath()) + QStringLiteral("/plumor");
}

QByteArray cheminDe(int fd)
{
    wchar_t tampon[1024];
    const DWORD n = GetFinalPathNameByHandleW(poignee(fd), tampon, 1024, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0 || n >= 1024)
        return {};
    QString chemin = QString::fromWCharArray(tampon, int(n));
    if (chemin.startsWith(QLatin1String("\\\\?\\UNC\\")))
        chemin = QLatin1String("\\\\") + chemin.mid(8);
    else if (chemin.startsWith(QLatin1String("\\\\?\\")))
        chemin = chemin.mid(4);
    return QFile::encodeName(QDir::fromNativeSeparators(chemin));
}

int ouvrirDessous(int, const QByteArray &, int, unsigned int)
{
    errno = ENOSYS; // walked one component at a time instead
    return -1;
}

int rouvrirEnEcriture(int fd)
{
    const HANDLE h = ReOpenFile(poignee(fd), GENERIC_READ | GENERIC_WRITE | FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_DELETE, 0);
    if (h == INVALID_HANDLE_VALUE)
        return echec(GetLastError());
    return adopter(h, O_RDWR);
}

int lireAttributEtendu(int, const char *, QByteArray &)
{
    return ENOTSUP;
}

int ecrireAttributEtendu(int, const char *, const QByteArray &)
{
    return ENOTSUP;
}

bool surCifs(int)
{
    return false; // the attribute is the system's own here
}

bool remplaceFichierOuvert()
{
    return false;
}

bool nomsSansCasse(int)
{
    return true; // NTFS and SMB folders as Windows opens them
}

} // namespace sys
