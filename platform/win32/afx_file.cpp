// File status and deletion over the Win32 file calls. Every failed system
// call is reported as a CFileException carrying the system's error code.
#include <cstring>

#include "platform/afx.h"

namespace {

// The attribute bits a status record carries.
constexpr DWORD kRecordBits = 0x7F;
// Of those, the ones an entry can be given; the directory and volume bits
// describe what the entry is and are refused by some systems.
constexpr DWORD kSettableRecordBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
// Bits outside the record that can be set: kept as the entry has them, so
// that writing a record back does not drop them.
constexpr DWORD kKeptBits =
    FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Seconds between 1601-01-01, where FILETIME counts from, and 1970-01-01.
constexpr CTimeValue kEpochDifference = 11644473600;
constexpr ULONGLONG kTicksPerSecond = 10000000;

int CauseOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return CFileException::fileNotFound;
    case ERROR_ACCESS_DENIED:
        return CFileException::accessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return CFileException::sharingViolation;
    default:
        return CFileException::genericException;
    }
}

[[noreturn]] void ThrowFileException(DWORD error)
{
    throw new CFileException(CauseOf(error), static_cast<long>(error));
}

[[noreturn]] void ThrowLastError()
{
    ThrowFileException(GetLastError());
}

// A FILETIME of zero is "not given", and so is the time value zero.
CTimeValue ToTimeValue(const FILETIME &time)
{
    ULONGLONG ticks = (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    if (ticks == 0)
        return 0;
    return static_cast<CTimeValue>(ticks / kTicksPerSecond) - kEpochDifference;
}

FILETIME ToFileTime(CTimeValue value)
{
    if (value < -kEpochDifference)
        ThrowFileException(ERROR_INVALID_PARAMETER);
    ULONGLONG ticks = static_cast<ULONGLONG>(value + kEpochDifference) * kTicksPerSecond;
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

void SetAttributes(LPCSTR name, DWORD attributes)
{
    // Zero would be read as "no attributes given"; a plain file is NORMAL.
    if (attributes == 0)
        attributes = FILE_ATTRIBUTE_NORMAL;
    if (!SetFileAttributesA(name, attributes))
        ThrowLastError();
}

// Only the times the record gives are changed; a zero one is left as is.
void SetTimes(LPCSTR name, const CFileStatus &status)
{
    FILETIME written = ToFileTime(status.m_mtime);
    FILETIME created = {};
    FILETIME accessed = {};
    if (status.m_ctime != 0)
        created = ToFileTime(status.m_ctime);
    if (status.m_atime != 0)
        accessed = ToFileTime(status.m_atime);

    // Write-attributes access is enough for the times and is granted on a
    // read-only file; backup semantics let a directory be opened too.
    HANDLE file = CreateFileA(name, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        ThrowLastError();
    BOOL done = SetFileTime(file, status.m_ctime != 0 ? &created : nullptr,
                            status.m_atime != 0 ? &accessed : nullptr, &written);
    DWORD error = GetLastError();
    CloseHandle(file);
    if (!done)
        ThrowFileException(error);
}

} // namespace

BOOL CFile::GetStatus(LPCSTR lpszFileName, CFileStatus &rStatus)
{
    // A wildcard would make the lookup below report some other entry.
    if (std::strpbrk(lpszFileName, "*?") != nullptr)
        return FALSE;
    char fullName[MAX_PATH];
    LPSTR filePart = nullptr;
    DWORD length = GetFullPathNameA(lpszFileName, MAX_PATH, fullName, &filePart);
    if (length == 0 || length >= MAX_PATH)
        return FALSE;

    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(lpszFileName, &data);
    if (search == INVALID_HANDLE_VALUE)
        return FALSE;
    FindClose(search);

    std::memcpy(rStatus.m_szFullName, fullName, length + 1);
    rStatus.m_attribute = static_cast<unsigned char>(data.dwFileAttributes & kRecordBits);
    rStatus.m_size = data.nFileSizeHigh != 0 ? 0xFFFFFFFFu : data.nFileSizeLow;
    rStatus.m_mtime = ToTimeValue(data.ftLastWriteTime);
    rStatus.m_ctime = ToTimeValue(data.ftCreationTime);
    rStatus.m_atime = ToTimeValue(data.ftLastAccessTime);
    if (rStatus.m_ctime == 0)
        rStatus.m_ctime = rStatus.m_mtime;
    if (rStatus.m_atime == 0)
        rStatus.m_atime = rStatus.m_mtime;
    return TRUE;
}

// A read-only entry is made writable before its times are touched and one
// that is to become read-only only afterwards, so the time change is never
// refused for the read-only bit.
void CFile::SetStatus(LPCSTR lpszFileName, const CFileStatus &status)
{
    DWORD current = GetFileAttributesA(lpszFileName);
    if (current == INVALID_FILE_ATTRIBUTES)
        ThrowLastError();

    DWORD record = status.m_attribute & kRecordBits;
    DWORD wanted = (current & kKeptBits) | (record & kSettableRecordBits);
    bool differs = (current & kRecordBits) != record;
    bool readOnlyNow = (current & FILE_ATTRIBUTE_READONLY) != 0;

    if (differs && readOnlyNow)
        SetAttributes(lpszFileName, wanted);
    if (status.m_mtime != 0)
        SetTimes(lpszFileName, status);
    if (differs && !readOnlyNow)
        SetAttributes(lpszFileName, wanted);
}

void CFile::Remove(LPCSTR lpszFileName)
{
    if (!DeleteFileA(lpszFileName))
        ThrowLastError();
}
