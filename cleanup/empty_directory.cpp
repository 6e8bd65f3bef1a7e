#include "app/messages.h"
#include "cleanup/cleanup.h"
#include "platform/afx.h"

namespace {

// Clears the read-only bit of an entry so that it can be deleted. Only the
// attribute changes: with all three times zero the write-back leaves the
// time stamps alone. An entry whose status cannot be read is left as it is.
void MakeWritable(const char *name)
{
    CFileStatus status;
    if (!CFile::GetStatus(name, status) || !(status.m_attribute & CFile::readOnly))
        return;
    status.m_ctime = 0;
    status.m_mtime = 0;
    status.m_atime = 0;
    status.m_attribute &= static_cast<unsigned char>(~CFile::readOnly);
    CFile::SetStatus(name, status);
}

} // namespace

void EmptyCurrentDirectory()
{
    CFileFind finder;
    BOOL more = finder.FindFile("*.*");
    while (more) {
        // The entry just made current is valid even when this was the last.
        more = finder.FindNextFile();
        if (finder.IsDots())
            continue;

        const char *name = finder.GetFileName();
        bool done = true;
        try {
            MakeWritable(name);
            CFile::Remove(name);
        } catch (CFileException *e) {
            done = false;
            Sleep(kFailurePauseMs);
            e->Delete();
        }
        if (!done)
            ReportRemovalFailure(kEntryKind, name);
    }
    finder.Close();
}
