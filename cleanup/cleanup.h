#ifndef AFTERSETUP_CLEANUP_CLEANUP_H
#define AFTERSETUP_CLEANUP_CLEANUP_H

inline constexpr unsigned kFailurePauseMs = 3000;

// Offers every entry of the current directory for deletion, one level deep,
// making read-only entries writable first. Each entry that cannot be
// deleted costs a pause and one "File ..." line.
void EmptyCurrentDirectory();

// Removes the current directory and then its parent, each only if empty,
// stepping up out of each before removing it. Each that remains costs one
// "Directory ..." line.
void RemoveDirectoryAndParent();

#endif
