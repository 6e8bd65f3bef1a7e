// The directory search over FindFirstFileA/FindNextFileA. The entry after
// the current one is fetched ahead, so the current entry can be deleted
// without disturbing the walk. The system's search handle is closed as soon
// as the listing has run out; the last entry stays current until Close.
#include <cstring>

#include "platform/afx.h"

struct CFileFind::Search {
    HANDLE handle = INVALID_HANDLE_VALUE;
    bool hasNext = false;
    bool hasCurrent = false;
    WIN32_FIND_DATAA next = {};
    WIN32_FIND_DATAA current = {};
};

namespace {

void CloseSearchHandle(CFileFind::Search &s)
{
    if (s.handle != INVALID_HANDLE_VALUE) {
        FindClose(s.handle);
        s.handle = INVALID_HANDLE_VALUE;
    }
}

} // namespace

BOOL CFileFind::FindFile(LPCSTR pstrName)
{
    Close();
    if (pstrName == nullptr)
        pstrName = "*.*";
    WIN32_FIND_DATAA first;
    HANDLE handle = FindFirstFileA(pstrName, &first);
    if (handle == INVALID_HANDLE_VALUE)
        return FALSE;
    m_search = new Search;
    m_search->handle = handle;
    m_search->next = first;
    m_search->hasNext = true;
    return TRUE;
}

// windows.h maps FindNextFile onto FindNextFileA, for this member as for the
// system call; the system call is named with :: below.
BOOL CFileFind::FindNextFile()
{
    if (m_search == nullptr || !m_search->hasNext)
        return FALSE;
    Search &s = *m_search;
    s.current = s.next;
    s.hasCurrent = true;
    // A failure other than the end of the listing ends it just the same: the
    // entries not yet read are not offered.
    s.hasNext = ::FindNextFileA(s.handle, &s.next) != FALSE;
    if (!s.hasNext)
        CloseSearchHandle(s);
    return s.hasNext ? TRUE : FALSE;
}

BOOL CFileFind::IsDirectory() const
{
    if (m_search == nullptr || !m_search->hasCurrent)
        return FALSE;
    return (m_search->current.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? TRUE : FALSE;
}

BOOL CFileFind::IsDots() const
{
    if (m_search == nullptr || !m_search->hasCurrent)
        return FALSE;
    const char *name = m_search->current.cFileName;
    bool dots = std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
    return dots && IsDirectory() ? TRUE : FALSE;
}

LPCSTR CFileFind::GetFileName() const
{
    return m_search != nullptr && m_search->hasCurrent ? m_search->current.cFileName : "";
}

void CFileFind::Close()
{
    if (m_search == nullptr)
        return;
    CloseSearchHandle(*m_search);
    delete m_search;
    m_search = nullptr;
}
