// File status and deletion on the entries of the current directory.
#include <cstdio>
#include <cstring>

#include "fake/fake_platform.h"

namespace {

// Win32 error codes the class library would carry.
constexpr long kFileNotFound = 2;
constexpr long kAccessDenied = 5;
constexpr long kSharingViolation = 32;

std::string Text(LPCSTR s)
{
    return s == nullptr ? "null" : s;
}

fake::Entry *EntryInCurrentDirectory(LPCSTR name)
{
    const fake::World &w = fake::TheWorld();
    if (name == nullptr || !w.currentDirectoryHasPath)
        return nullptr;
    return fake::detail::FindMutableEntry(w.currentDirectory, name);
}

std::string Hex(unsigned value)
{
    char text[8];
    (void)std::snprintf(text, sizeof text, "0x%02x", value);
    return text;
}

}  // namespace

BOOL CFile::GetStatus(LPCSTR lpszFileName, CFileStatus &rStatus)
{
    std::string name = Text(lpszFileName);
    fake::detail::Record("GetStatus(" + name + ")");
    const fake::Entry *entry = EntryInCurrentDirectory(lpszFileName);
    if (fake::detail::ShouldFail("GetStatus(" + name + ")") || entry == nullptr ||
        entry->statusReadFails)
        return FALSE;
    rStatus.m_mtime = entry->mtime;
    rStatus.m_ctime = entry->ctime != 0 ? entry->ctime : entry->mtime;
    rStatus.m_atime = entry->atime != 0 ? entry->atime : entry->mtime;
    rStatus.m_size = 0;
    rStatus.m_attribute = entry->attributes & 0x7F;
    std::string full = fake::TheWorld().currentDirectory + "/" + name;
    (void)std::snprintf(rStatus.m_szFullName, sizeof rStatus.m_szFullName, "%s", full.c_str());
    return TRUE;
}

void CFile::SetStatus(LPCSTR lpszFileName, const CFileStatus &status)
{
    std::string name = Text(lpszFileName);
    fake::detail::Record("SetStatus(" + name + ",attr=" + Hex(status.m_attribute) +
                         ",times=" + std::to_string(status.m_ctime) + "/" +
                         std::to_string(status.m_mtime) + "/" + std::to_string(status.m_atime) +
                         ")");
    fake::Entry *entry = EntryInCurrentDirectory(lpszFileName);
    if (fake::detail::ShouldFail("SetStatus(" + name + ")"))
        fake::detail::ThrowFileException(CFileException::accessDenied, kAccessDenied);
    if (entry == nullptr)
        fake::detail::ThrowFileException(CFileException::fileNotFound, kFileNotFound);
    if (entry->setStatusThrows)
        fake::detail::ThrowFileException(CFileException::accessDenied, kAccessDenied);
    // The directory bit is the entry's nature, not an attribute to set.
    entry->attributes = static_cast<unsigned char>((status.m_attribute & ~CFile::directory) |
                                                   (entry->attributes & CFile::directory));
    if (status.m_mtime != 0) {
        entry->mtime = status.m_mtime;
        entry->atime = status.m_atime != 0 ? status.m_atime : status.m_mtime;
        entry->ctime = status.m_ctime != 0 ? status.m_ctime : status.m_mtime;
    }
}

void CFile::Remove(LPCSTR lpszFileName)
{
    std::string name = Text(lpszFileName);
    fake::detail::Record("Remove(" + name + ")");
    fake::Entry *entry = EntryInCurrentDirectory(lpszFileName);
    if (fake::detail::ShouldFail("Remove(" + name + ")"))
        fake::detail::ThrowFileException(CFileException::accessDenied, kAccessDenied);
    if (entry == nullptr)
        fake::detail::ThrowFileException(CFileException::fileNotFound, kFileNotFound);
    // DeleteFile refuses directories and read-only files.
    if ((entry->attributes & (CFile::directory | CFile::readOnly)) != 0)
        fake::detail::ThrowFileException(CFileException::accessDenied, kAccessDenied);
    if (entry->removeThrows)
        fake::detail::ThrowFileException(CFileException::sharingViolation, kSharingViolation);
    std::vector<fake::Entry> &entries =
        fake::detail::FindDirectory(fake::TheWorld().currentDirectory)->entries;
    entries.erase(entries.begin() + (entry - entries.data()));
}
