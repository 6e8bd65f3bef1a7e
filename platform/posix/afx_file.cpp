// File status and deletion on POSIX. Every call acts on the directory
// entry itself: a symbolic link is read, changed and deleted as a link,
// never through to what it points to.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/afx.h"

namespace {

constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;

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

// Changes the mode of the entry open as fd. An O_PATH descriptor cannot
// be given to fchmod, but its /proc/self/fd link reaches exactly the inode
// it holds, so the change cannot be redirected by a name swapped in after
// the descriptor was opened.
void ChangeMode(int fd, mode_t mode)
{
    char link[32];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    if (chmod(link, mode) == 0)
        return;
    int error = errno;
    close(fd);
    ThrowFileException(error);
}

// Only the read-only bit maps onto the mode: clearing it grants the owner
// write permission, setting it takes every write permission away.
mode_t ModeWithReadOnly(mode_t mode, bool readOnly)
{
    mode &= 07777;
    return readOnly ? (mode & ~kAnyWrite) : (mode | S_IWUSR);
}

} // namespace

BOOL CFile::GetStatus(LPCSTR lpszFileName, CFileStatus &rStatus)
{
    struct stat st;
    if (fstatat(AT_FDCWD, lpszFileName, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return FALSE;
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
    int fd = open(lpszFileName, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd == -1)
        ThrowFileException(errno);
    struct stat st;
    if (fstat(fd, &st) != 0) {
        int error = errno;
        close(fd);
        ThrowFileException(error);
    }

    bool wantReadOnly = (status.m_attribute & CFile::readOnly) != 0;
    bool isReadOnly = (st.st_mode & kAnyWrite) == 0;
    // Links carry no mode of their own. A file with further hard links
    // shares its mode with names outside this directory; deleting it needs
    // no mode change here, so that change is passed over.
    bool changeMode = wantReadOnly != isReadOnly && !S_ISLNK(st.st_mode) &&
                      (S_ISDIR(st.st_mode) || st.st_nlink <= 1);

    if (changeMode && isReadOnly)
        ChangeMode(fd, ModeWithReadOnly(st.st_mode, false));

    if (status.m_mtime != 0) {
        timespec times[2] = {{status.m_atime != 0 ? status.m_atime : status.m_mtime, 0},
                             {status.m_mtime, 0}};
        if (utimensat(fd, "", times, AT_EMPTY_PATH) != 0) {
            int error = errno;
            close(fd);
            ThrowFileException(error);
        }
    }

    if (changeMode && !isReadOnly)
        ChangeMode(fd, ModeWithReadOnly(st.st_mode, true));
    close(fd);
}

void CFile::Remove(LPCSTR lpszFileName)
{
    // unlink never removes a directory, which is what the tool relies on.
    if (unlink(lpszFileName) != 0)
        ThrowFileException(errno);
}
