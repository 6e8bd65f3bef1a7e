// The directory search over opendir/readdir. The entry after the current
// one is read ahead and its name copied, because readdir may reuse its
// buffer on the next call.
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <string>
#include <sys/stat.h>

#include "platform/afx.h"

struct CFileFind::Search {
    DIR *dir = nullptr;
    std::string pattern; // empty: every entry
    bool hasNext = false;
    char next[sizeof(dirent::d_name)] = {};
    unsigned char nextType = DT_UNKNOWN;
    char current[sizeof(dirent::d_name)] = {};
    unsigned char currentType = DT_UNKNOWN;
};

namespace {

bool Matches(const std::string &pattern, const char *name)
{
    return pattern.empty() || fnmatch(pattern.c_str(), name, FNM_PERIOD) == 0;
}

// Reads ahead to the next matching entry. A read error ends the listing
// just as its end does: the entries not yet read are not offered.
void ReadAhead(CFileFind::Search &s)
{
    s.hasNext = false;
    while (const dirent *entry = readdir(s.dir)) {
        if (!Matches(s.pattern, entry->d_name))
            continue;
        std::memcpy(s.next, entry->d_name, std::strlen(entry->d_name) + 1);
        s.nextType = entry->d_type;
        s.hasNext = true;
        return;
    }
}

} // namespace

BOOL CFileFind::FindFile(LPCSTR pstrName)
{
    Close();
    if (pstrName == nullptr)
        pstrName = "*.*";
    const char *slash = std::strrchr(pstrName, '/');
    std::string directory = slash == nullptr ? "." : std::string(pstrName, slash + 1 - pstrName);
    const char *mask = slash == nullptr ? pstrName : slash + 1;

    DIR *dir = opendir(directory.c_str());
    if (dir == nullptr)
        return FALSE;
    m_search = new Search;
    m_search->dir = dir;
    // "*.*" is the Windows spelling of "every entry", dot or no dot.
    if (std::strcmp(mask, "*.*") != 0 && std::strcmp(mask, "*") != 0)
        m_search->pattern = mask;
    ReadAhead(*m_search);
    if (!m_search->hasNext) {
        Close();
        return FALSE;
    }
    return TRUE;
}

BOOL CFileFind::FindNextFile()
{
    if (m_search == nullptr || !m_search->hasNext)
        return FALSE;
    Search &s = *m_search;
    std::memcpy(s.current, s.next, std::strlen(s.next) + 1);
    s.currentType = s.nextType;
    ReadAhead(s);
    return s.hasNext ? TRUE : FALSE;
}

BOOL CFileFind::IsDirectory() const
{
    if (m_search == nullptr || m_search->current[0] == '\0')
        return FALSE;
    if (m_search->currentType != DT_UNKNOWN)
        return m_search->currentType == DT_DIR ? TRUE : FALSE;
    // Some file systems do not report the type in the listing.
    struct stat st;
    return fstatat(dirfd(m_search->dir), m_search->current, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                   S_ISDIR(st.st_mode)
               ? TRUE
               : FALSE;
}

BOOL CFileFind::IsDots() const
{
    if (m_search == nullptr)
        return FALSE;
    const char *name = m_search->current;
    bool dots = std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
    return dots && IsDirectory() ? TRUE : FALSE;
}

LPCSTR CFileFind::GetFileName() const
{
    return m_search != nullptr ? m_search->current : "";
}

void CFileFind::Close()
{
    if (m_search == nullptr)
        return;
    closedir(m_search->dir);
    delete m_search;
    m_search = nullptr;
}
