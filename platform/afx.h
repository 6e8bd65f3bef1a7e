// The class-library services the tool uses: application start-up, the
// directory search, file status records and the file operations that report
// failure by throwing a CFileException. Declared once for every backend;
// each backend defines them in its own afx_*.cpp files.
#ifndef AFTERSETUP_PLATFORM_AFX_H
#define AFTERSETUP_PLATFORM_AFX_H

#include <cstdint>

#include "platform/win32api.h"

class CWinApp {
public:
    CWinApp() noexcept; // the one application object is a global
    ~CWinApp();
    CWinApp(const CWinApp &) = delete;
    CWinApp &operator=(const CWinApp &) = delete;

    HINSTANCE m_hInstance = nullptr;
    LPSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = 0;
};

// The one application object of the process, or null before it is built.
CWinApp *AfxGetApp();

// Records the start-up values in the application object and makes the
// process's error handling non-interactive. Nonzero on success.
BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine,
                int nCmdShow);

// Thrown by pointer, as the class library does; the handler that catches it
// releases it with Delete().
class CFileException {
public:
    enum Cause { none, genericException, fileNotFound, accessDenied, sharingViolation };

    CFileException(int cause, long osError) : m_cause(cause), m_lOsError(osError) {}
    void Delete() { delete this; }

    int m_cause;
    long m_lOsError;
};

using CTimeValue = std::int64_t; // seconds since 1970; zero means not given

struct CFileStatus {
    CTimeValue m_ctime = 0;
    CTimeValue m_mtime = 0;
    CTimeValue m_atime = 0;
    std::uint32_t m_size = 0;
    unsigned char m_attribute = 0;
    char m_szFullName[MAX_PATH] = {};
};

class CFile {
public:
    enum Attribute {
        normal = 0x00,
        readOnly = 0x01,
        hidden = 0x02,
        system = 0x04,
        volume = 0x08,
        directory = 0x10,
        archive = 0x20
    };

    static BOOL GetStatus(LPCSTR lpszFileName, CFileStatus &rStatus);
    static void SetStatus(LPCSTR lpszFileName, const CFileStatus &status);
    static void Remove(LPCSTR lpszFileName);
};

// A search of one directory that keeps the next entry fetched one step
// ahead of the current one, so that deleting the current entry does not
// disturb the walk.
class CFileFind {
public:
    CFileFind() = default;
    ~CFileFind() { Close(); }
    CFileFind(const CFileFind &) = delete;
    CFileFind &operator=(const CFileFind &) = delete;

    BOOL FindFile(LPCSTR pstrName = "*.*");
    BOOL FindNextFile();
    BOOL IsDots() const;
    BOOL IsDirectory() const;
    LPCSTR GetFileName() const;
    void Close();

    struct Search; // the open search, defined by each backend

private:
    Search *m_search = nullptr;
};

#endif
