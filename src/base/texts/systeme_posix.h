#pragma once

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
