// File status and deletion on POSIX. Every call acts on the directory
// entry itself: a symbolic link is read, changed and deleted as a link,
// never through to what it points to. Nothing here ever opens an entry for
// reading or writing unless it is a regular file or a directory: an open of
// a FIFO blocks, and an open of a device node can act on the device.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/afx.h"

namespace {

constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;

// The system call number is the same on every architecture that has it;
// older C library headers do not name it yet.
#ifdef SYS_fchmodat2
constexpr long kFchmodat2 = SYS_fchmodat2;
#else
constexpr long kFchmodat2 = 452;
#endif

// The entry the latest status read saw, so that a write-back under the
// same name can check that it still meets that entry and not one swapped
// in meanwhile.
struct EntryIdentity {
    std::string name;
    dev_t device = 0;
    ino_t inode = 0;
};
EntryIdentity g_lastRead;

[[noreturn]] void ThrowFileException(int error)
{
    int cause = CFileException::genericException;
    if (error == ENOENT)
        cause = CFileException::fileNotFound;
    else if (error == EACCES || error == EPERM || error == EISDIR)
        cause = CFileException::accessDenied;
    else if (error == EBUSY || error == ETXTBSY)
        cause = CFileException::sharingViolation;
    throw new CFileException(cause, error);
}

// Owns an open descriptor for the length of one call, so that every way
// out of SetStatus releases it.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ != -1)
            close(fd_);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

const char *BaseName(const char *path)
{
    const char *slash = std::strrchr(path, '/');
    return slash != nullptr ? slash + 1 : path;
}

// Read-only: nobody may write. Hidden: the name starts with a dot.
// Directory: the entry is one itself, not a link to one.
unsigned char AttributesOf(const char *name, const struct stat &st)
{
    unsigned char attributes = CFile::normal;
    if ((st.st_mode & kAnyWrite) == 0)
        attributes |= CFile::readOnly;
    if (BaseName(name)[0] == '.')
        attributes |= CFile::hidden;
    if (S_ISDIR(st.st_mode))
        attributes |= CFile::directory;
    return attributes;
}

bool IsSameEntry(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Without fchmodat2 and without /proc: reopen a regular file or a
// directory by its name, without following a link and without blocking,
// and change the mode only if the name still leads to the inode held.
// A FIFO, socket or device node is never opened; its mode stays, which
// costs nothing, as deleting an entry needs no mode change.
int ChangeModeByReopening(const char *name, const struct stat &held, mode_t mode)
{
    if (!S_ISREG(held.st_mode) && !S_ISDIR(held.st_mode))
        return 0;
    int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    if (S_ISDIR(held.st_mode))
        flags |= O_DIRECTORY;
    Descriptor file(open(name, flags));
    if (file.get() == -1)
        return errno;
    struct stat st;
    if (fstat(file.get(), &st) != 0)
        return errno;
    if (!IsSameEntry(st, held))
        return EBUSY;
    return fchmod(file.get(), mode) == 0 ? 0 : errno;
}

// Changes the mode of the inode held by the O_PATH descriptor fd, which
// fchmod does not accept. fchmodat2 with an empty path acts on exactly that
// inode; on older kernels its /proc/self/fd link does the same. Neither can
// be redirected by a name swapped in after the descriptor was opened.
void ChangeMode(int fd, const char *name, const struct stat &held, mode_t mode)
{
    if (syscall(kFchmodat2, fd, "", mode, AT_EMPTY_PATH) == 0)
        return;
    int error = errno;
    if (error == ENOSYS || error == EINVAL) {
        char link[32];
        (void)std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
        error = chmod(link, mode) == 0 ? 0 : errno;
        if (error == ENOENT)
            error = ChangeModeByReopening(name, held, mode);
    }
    if (error != 0)
        ThrowFileException(error);
}

// Only the read-only bit maps onto the mode: clearing it grants the owner
// write permission, setting it takes every write permission away.
mode_t ModeWithReadOnly(mode_t mode, bool readOnly)
{
    mode &= 07777;
    return readOnly ? (mode & ~kAnyWrite) : (mode | S_IWUSR);
}

// Reads the status of the entry held by fd, and whether it is a mount
// point in the directory (a file or directory bound over the entry), in
// one call. A mount point is a window onto something outside the
// directory; its mode is not ours to change, and it cannot be deleted
// either.
int ReadHeldStatus(int fd, struct stat &st, bool &mountRoot)
{
    struct statx stx;
    if (statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW,
              STATX_TYPE | STATX_MODE | STATX_NLINK | STATX_INO, &stx) != 0)
        return errno;
    st = {};
    st.st_dev = makedev(stx.stx_dev_major, stx.stx_dev_minor);
    st.st_ino = stx.stx_ino;
    st.st_mode = stx.stx_mode;
    st.st_nlink = stx.stx_nlink;
    mountRoot = (stx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
                (stx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    return 0;
}

// Throws unless fd holds the entry the latest status read of this name saw.
void CheckSameAsRead(const char *name, const struct stat &held)
{
    EntryIdentity read;
    std::swap(read, g_lastRead);
    if (read.name != name)
        return;
    if (read.device != held.st_dev || read.inode != held.st_ino)
        ThrowFileException(EBUSY);
}

} // namespace

BOOL CFile::GetStatus(LPCSTR lpszFileName, CFileStatus &rStatus)
{
    struct stat st;
    if (fstatat(AT_FDCWD, lpszFileName, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return FALSE;
    g_lastRead.name = lpszFileName;
    g_lastRead.device = st.st_dev;
    g_lastRead.inode = st.st_ino;
    rStatus.m_mtime = st.st_mtime;
    // POSIX keeps no creation time; the access time may be zero.
    rStatus.m_ctime = rStatus.m_mtime;
    rStatus.m_atime = st.st_atime != 0 ? st.st_atime : rStatus.m_mtime;
    rStatus.m_size = st.st_size > 0xFFFFFFFF ? 0xFFFFFFFFu
                                             : static_cast<std::uint32_t>(st.st_size);
    rStatus.m_attribute = AttributesOf(lpszFileName, st) & 0x7F;
    // Building the full name would cost a getcwd for every entry, and
    // nothing on POSIX reads it.
    rStatus.m_szFullName[0] = '\0';
    return TRUE;
}

void CFile::SetStatus(LPCSTR lpszFileName, const CFileStatus &status)
{
    // O_PATH opens nothing: no FIFO blocks, no device is touched.
    Descriptor entry(open(lpszFileName, O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (entry.get() == -1)
        ThrowFileException(errno);
    struct stat st = {};
    bool mountRoot = false;
    if (int error = ReadHeldStatus(entry.get(), st, mountRoot))
        ThrowFileException(error);
    CheckSameAsRead(lpszFileName, st);

    bool wantReadOnly = (status.m_attribute & CFile::readOnly) != 0;
    bool isReadOnly = (st.st_mode & kAnyWrite) == 0;
    // Links carry no mode of their own. A file with further hard links
    // shares its mode with names outside this directory; deleting it needs
    // no mode change here, so that change is passed over.
    bool changeMode = wantReadOnly != isReadOnly && !S_ISLNK(st.st_mode) &&
                      (S_ISDIR(st.st_mode) || st.st_nlink <= 1);
    bool changeTimes = status.m_mtime != 0;
    if ((changeMode || changeTimes) && mountRoot)
        ThrowFileException(EBUSY);

    if (changeMode && isReadOnly)
        ChangeMode(entry.get(), lpszFileName, st, ModeWithReadOnly(st.st_mode, false));

    if (changeTimes) {
        timespec times[2] = {{status.m_atime != 0 ? status.m_atime : status.m_mtime, 0},
                             {status.m_mtime, 0}};
        if (utimensat(entry.get(), "", times, AT_EMPTY_PATH) != 0)
            ThrowFileException(errno);
    }

    if (changeMode && !isReadOnly)
        ChangeMode(entry.get(), lpszFileName, st, ModeWithReadOnly(st.st_mode, true));
}

void CFile::Remove(LPCSTR lpszFileName)
{
    // unlink never removes a directory, which is what the tool relies on.
    if (unlink(lpszFileName) != 0)
        ThrowFileException(errno);
}
