// The directory search over the current directory's entries as they were
// listed when the search began, with one entry of look-ahead.
#include "fake/fake_platform.h"

struct CFileFind::Search {
    std::string directory;
    std::vector<fake::Entry> listing;
    std::size_t next = 0;     // the entry FindNextFile makes current
    bool hasCurrent = false;
    std::size_t current = 0;
};

namespace {

bool Matches(const std::string &pattern, const std::string &name)
{
    return pattern == "*.*" || pattern == "*" || pattern == name;
}

}  // namespace

BOOL CFileFind::FindFile(LPCSTR pstrName)
{
    Close();
    std::string pattern = pstrName != nullptr ? pstrName : "*.*";
    fake::detail::Record("FindFile(" + pattern + ")");
    const fake::World &w = fake::TheWorld();
    const fake::Directory *directory =
        w.currentDirectoryHasPath ? fake::detail::FindDirectory(w.currentDirectory) : nullptr;
    if (fake::detail::ShouldFail("FindFile(" + pattern + ")") || directory == nullptr ||
        directory->searchFails)
        return FALSE;

    std::vector<fake::Entry> listing;
    if (directory->listsDots) {
        for (const char *dots : {".", ".."}) {
            if (Matches(pattern, dots))
                listing.push_back(fake::Subdirectory(dots));
        }
    }
    for (const fake::Entry &entry : directory->entries) {
        if (Matches(pattern, entry.name))
            listing.push_back(entry);
    }
    if (listing.empty())
        return FALSE;
    m_search = new Search{w.currentDirectory, listing, 0, false, 0};
    fake::detail::SearchOpened(m_search->directory);
    return TRUE;
}

BOOL CFileFind::FindNextFile()
{
    fake::detail::Record("FindNextFile()");
    if (m_search == nullptr || m_search->next >= m_search->listing.size())
        return FALSE;
    Search &s = *m_search;
    s.current = s.next++;
    s.hasCurrent = true;
    // A failed read of the next entry ends the listing here; the entry
    // just made current stays valid.
    if (fake::detail::ShouldFail("FindNextFile"))
        s.next = s.listing.size();
    return s.next < s.listing.size() ? TRUE : FALSE;
}

BOOL CFileFind::IsDots() const
{
    fake::detail::RecordQuery("IsDots()");
    if (m_search == nullptr || !m_search->hasCurrent)
        return FALSE;
    const fake::Entry &entry = m_search->listing[m_search->current];
    bool dots = entry.name == "." || entry.name == "..";
    return dots && (entry.attributes & CFile::directory) != 0 ? TRUE : FALSE;
}

BOOL CFileFind::IsDirectory() const
{
    fake::detail::RecordQuery("IsDirectory()");
    if (m_search == nullptr || !m_search->hasCurrent)
        return FALSE;
    return (m_search->listing[m_search->current].attributes & CFile::directory) != 0 ? TRUE
                                                                                     : FALSE;
}

LPCSTR CFileFind::GetFileName() const
{
    fake::detail::RecordQuery("GetFileName()");
    if (m_search == nullptr || !m_search->hasCurrent)
        return "";
    return m_search->listing[m_search->current].name.c_str();
}

void CFileFind::Close()
{
    if (m_search == nullptr)
        return;
    fake::detail::Record("Close()");
    fake::detail::SearchClosed(m_search->directory);
    delete m_search;
    m_search = nullptr;
}
