// A fresh directory for one test, removed with everything in it afterwards
// (immutable flags and missing write bits are cleared first).
#ifndef AFTERSETUP_TESTS_SUPPORT_TEMP_DIR_H
#define AFTERSETUP_TESTS_SUPPORT_TEMP_DIR_H

#include <string>
#include <vector>

namespace testsupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return path_; }
    std::string operator/(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Creates a file with the given content and mode.
void WriteFile(const std::string &path, const std::string &content, unsigned mode = 0644);
std::string ReadFile(const std::string &path);
void MakeDirectory(const std::string &path, unsigned mode = 0755);
bool Exists(const std::string &path);  // lstat: a dangling link exists
// Sets or clears the immutable flag (root only, on a file system that has
// it); false when the flag could not be changed.
bool SetImmutable(const std::string &path, bool on);
// Names in a directory, sorted, without "." and "..".
std::vector<std::string> ListDirectory(const std::string &path);

}  // namespace testsupport

#endif
