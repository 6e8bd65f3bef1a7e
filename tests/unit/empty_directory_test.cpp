// Emptying the current directory: what each kind of entry costs in calls,
// pauses and messages, and that the search is walked to its last entry and
// closed.
#include "cleanup/cleanup.h"
#include "fake_test.h"
#include "scenario.h"

namespace {

using Calls = std::vector<std::string>;

std::string Message(const std::string &name)
{
    return "File " + name + " cannot be removed\n";
}

std::string Logged(const std::string &text)
{
    std::string escaped;
    for (char c : text)
        escaped += c == '\n' ? std::string("\\n") : std::string(1, c);
    return "stderr(\"" + escaped + "\")";
}

class Emptying : public FakeTest {
protected:
    void SetUp() override
    {
        FakeTest::SetUp();
        fake::TheWorld().currentDirectory = "/t/setup";
        fake::TheWorld().directories["/t"];
    }

    fake::Directory &Target() { return fake::TheWorld().directories["/t/setup"]; }
};

struct EntryCase {
    std::string name;
    fake::Entry entry;
    Calls attempt;  // the calls for the entry, after the search has reached it
    bool removed;
    unsigned char attributesAfter;  // when it stays
    int thrown;
};

void PrintTo(const EntryCase &c, std::ostream *out) { *out << c.name; }

class EntryKinds : public Emptying, public testing::WithParamInterface<EntryCase> {};

TEST_P(EntryKinds, GetOneAttemptWithTheRightCallsAndAtMostOneLine)
{
    const EntryCase &c = GetParam();
    Target().entries = {c.entry};
    const std::string &name = c.entry.name;

    EmptyCurrentDirectory();

    Calls expected = {"FindFile(*.*)", "FindNextFile()", "FindNextFile()", "FindNextFile()"};
    expected.insert(expected.end(), c.attempt.begin(), c.attempt.end());
    if (!c.removed)
        expected.push_back(Logged(Message(name)));
    expected.push_back("Close()");
    EXPECT_EQ(fake::Calls(), expected);
    EXPECT_EQ(Stderr(), c.removed ? "" : Message(name));
    EXPECT_EQ(fake::ThrownExceptions(), c.thrown);

    const fake::Entry *left = fake::FindEntry("/t/setup", name);
    EXPECT_EQ(left == nullptr, c.removed);
    if (left != nullptr) {
        EXPECT_EQ(left->attributes, c.attributesAfter);
        // Only attributes may change; the time stamps are never written.
        EXPECT_EQ(left->ctime, c.entry.ctime);
        EXPECT_EQ(left->mtime, c.entry.mtime);
        EXPECT_EQ(left->atime, c.entry.atime);
    }
}

fake::Entry With(fake::Entry entry, bool fake::Entry::*flag)
{
    entry.*flag = true;
    return entry;
}

const unsigned char kRo = CFile::readOnly;
const unsigned char kDir = CFile::directory;

INSTANTIATE_TEST_SUITE_P(
    Emptying, EntryKinds,
    testing::Values(
        // A plain file: status read, then deleted, nothing else.
        EntryCase{"PlainFile", fake::File("data.bin"),
                  {"GetStatus(data.bin)", "Remove(data.bin)"}, true, 0, 0},
        // Read-only: the byte goes back without the read-only bit and with
        // all three times zero, then the file is deleted.
        EntryCase{"ReadOnlyFile", fake::File("ro.txt", kRo | CFile::archive),
                  {"GetStatus(ro.txt)", "SetStatus(ro.txt,attr=0x20,times=0/0/0)",
                   "Remove(ro.txt)"},
                  true, 0, 0},
        // Only the read-only bit is cleared: hidden, system, archive stay.
        EntryCase{"ReadOnlyHiddenSystemArchive",
                  fake::File("sys.dat", kRo | CFile::hidden | CFile::system | CFile::archive),
                  {"GetStatus(sys.dat)", "SetStatus(sys.dat,attr=0x26,times=0/0/0)",
                   "Remove(sys.dat)"},
                  true, 0, 0},
        EntryCase{"ReadOnlyAlone", fake::File("bare", kRo),
                  {"GetStatus(bare)", "SetStatus(bare,attr=0x00,times=0/0/0)", "Remove(bare)"},
                  true, 0, 0},
        // Hidden and system without read-only: no attribute change at all.
        EntryCase{"HiddenSystemNotReadOnly", fake::File(".h", CFile::hidden | CFile::system),
                  {"GetStatus(.h)", "Remove(.h)"}, true, 0, 0},
        // A name made only of dots is not one of the dot entries.
        EntryCase{"ThreeDots", fake::File("..."), {"GetStatus(...)", "Remove(...)"}, true, 0, 0},
        // Status unreadable: attributes left alone, deletion still tried.
        EntryCase{"StatusReadFails", With(fake::File("odd"), &fake::Entry::statusReadFails),
                  {"GetStatus(odd)", "Remove(odd)"}, true, 0, 0},
        // ... which for a read-only file then fails like any deletion.
        EntryCase{"StatusReadFailsOnReadOnly",
                  With(fake::File("odd", kRo), &fake::Entry::statusReadFails),
                  {"GetStatus(odd)", "Remove(odd)", "Sleep(3000)"}, false, kRo, 1},
        // A failed write-back ends the attempt: no deletion is tried.
        EntryCase{"SetStatusThrows",
                  With(fake::File("locked", kRo | CFile::archive), &fake::Entry::setStatusThrows),
                  {"GetStatus(locked)", "SetStatus(locked,attr=0x20,times=0/0/0)",
                   "Sleep(3000)"},
                  false, kRo | CFile::archive, 1},
        EntryCase{"RemoveThrows", With(fake::File("in use.log"), &fake::Entry::removeThrows),
                  {"GetStatus(in use.log)", "Remove(in use.log)", "Sleep(3000)"}, false,
                  CFile::archive, 1},
        // A subdirectory is neither entered nor deleted.
        EntryCase{"Subdirectory", fake::Subdirectory("sub"),
                  {"GetStatus(sub)", "Remove(sub)", "Sleep(3000)"}, false, kDir, 1},
        // ... and a read-only one loses its read-only bit first.
        EntryCase{"ReadOnlySubdirectory", fake::File("rosub", kDir | kRo),
                  {"GetStatus(rosub)", "SetStatus(rosub,attr=0x10,times=0/0/0)", "Remove(rosub)",
                   "Sleep(3000)"},
                  false, kDir, 1},
        // Blanks are written as listed, unquoted.
        EntryCase{"NameWithBlanks", With(fake::File(" two  blanks "), &fake::Entry::removeThrows),
                  {"GetStatus( two  blanks )", "Remove( two  blanks )", "Sleep(3000)"}, false,
                  CFile::archive, 1},
        // Bytes that are not UTF-8, a line feed and a leading '-' pass
        // through unchanged.
        EntryCase{"NameNotUtf8", With(fake::File("\xff\xfe-x"), &fake::Entry::removeThrows),
                  {"GetStatus(\xff\xfe-x)", "Remove(\xff\xfe-x)", "Sleep(3000)"}, false,
                  CFile::archive, 1},
        EntryCase{"NameWithLineFeed", With(fake::File("-a\nb"), &fake::Entry::removeThrows),
                  {"GetStatus(-a\nb)", "Remove(-a\nb)", "Sleep(3000)"}, false, CFile::archive,
                  1}),
    CaseName<EntryCase>);

TEST_F(Emptying, DirectoryWithOnlyTheDotsCostsNoPauseAndWritesNothing)
{
    Target();
    EmptyCurrentDirectory();
    EXPECT_EQ(fake::Calls(), (Calls{"FindFile(*.*)", "FindNextFile()", "FindNextFile()", "Close()"}));
    EXPECT_EQ(Stderr(), "");
}

TEST_F(Emptying, DirectoryThatListsNothingTouchesNothing)
{
    Target().listsDots = false;
    EmptyCurrentDirectory();
    EXPECT_EQ(fake::Calls(), Calls{"FindFile(*.*)"});
    EXPECT_EQ(Stderr(), "");
}

TEST_F(Emptying, DirectoryThatCannotBeSearchedTouchesNothing)
{
    Target().searchFails = true;
    Target().entries = {fake::File("kept")};
    EmptyCurrentDirectory();
    EXPECT_EQ(fake::Calls(), Calls{"FindFile(*.*)"});
    EXPECT_EQ(fake::EntryNames("/t/setup"), Calls{"kept"});
    EXPECT_EQ(Stderr(), "");
}

TEST_F(Emptying, LastEntryOfTheListingIsProcessedLikeEveryOther)
{
    Target().listsDots = false;
    Target().entries = {fake::File("first"), fake::File("last", kRo)};

    EmptyCurrentDirectory();

    EXPECT_EQ(fake::Calls(),
              (Calls{"FindFile(*.*)", "FindNextFile()", "GetStatus(first)", "Remove(first)",
                     "FindNextFile()", "GetStatus(last)", "SetStatus(last,attr=0x00,times=0/0/0)",
                     "Remove(last)", "Close()"}));
    EXPECT_EQ(fake::EntryNames("/t/setup"), Calls{});
}

TEST_F(Emptying, EachFailureCostsOnePauseAndOneLineInListingOrder)
{
    Target().entries = {With(fake::File("a b"), &fake::Entry::removeThrows), fake::File("ok"),
                        fake::Subdirectory("sub")};

    EmptyCurrentDirectory();

    EXPECT_EQ(Stderr(), Message("a b") + Message("sub"));
    EXPECT_EQ(CallsStartingWith("Sleep(").size(), 2u);
    EXPECT_EQ(CallsStartingWith("Remove(").size(), 3u) << "one attempt per entry";
    EXPECT_EQ(fake::ThrownExceptions(), 2);
    EXPECT_EQ(fake::EntryNames("/t/setup"), (Calls{"a b", "sub"}));
}

TEST_F(Emptying, SearchIsClosedBeforeTheDirectoryRemovalBegins)
{
    fake::World &w = fake::TheWorld();
    w.currentDirectory = "/start";
    w.directories["/start"];
    w.directories["/t/setup"].entries = {fake::File("a"), fake::Subdirectory("sub")};

    ASSERT_EQ(fake::RunWinMain(TypicalArguments()), 0);

    long close = IndexOf("Close()");
    ASSERT_GE(close, 0);
    EXPECT_LT(close, IndexOf("GetCurrentDirectoryA("));
    EXPECT_EQ(Stderr(), Message("sub") + "Directory /t/setup cannot be removed\n" +
                            "Directory /t cannot be removed\n");
}

}  // namespace
