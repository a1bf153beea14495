// Operating-system operations under Wine, in the test bed's drives:
// C: fixed, D: floppy, F: network, G: CD-ROM, H: RAM disk, Y: the build tree (fixed).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <thread>

#include "errors/errors.h"
#include "robot.h"
#include "utilities/os.h"

namespace {

std::string Probe() { return robot::ProgramDirectory() + "\\toolkit_probe.exe"; }

class OsOperations : public ::testing::Test {
protected:
    robot::ScratchDirectory dir{"os"};
    char startDirectory[MAX_PATH] = {};
    void SetUp() override
    {
        GetCurrentDirectoryA(MAX_PATH, startDirectory);
        for (int item : {1, 2, 3}) QErrorInfo(item);
    }
    void TearDown() override { SetCurrentDirectoryA(startDirectory); }
};

TEST_F(OsOperations, DirExists)
{
    CreateDirectoryA((dir / "sub").c_str(), nullptr);
    robot::WriteFile(dir / "file.txt", "x");
    struct Case {
        std::string path;
        bool exists;
    } cases[] = {
        {"\\", true},
        {"  \\  ", true},
        {"C:\\", true},
        {"c:\\", true},
        {"G:\\", true},   // a CD-ROM drive is a valid drive
        {"Q:\\", false},  // no such drive
        {"", false},
        {"    ", false},
        {"C:\\no such directory", false},
        {dir.path(), true},
        {dir / "sub", true},
        {dir / "sub\\", true},  // names the directory before the backslash
        {"  " + (dir / "sub") + "\\  ", true},
        {dir / "missing\\", false},
        {dir / "missing\\deeper\\", false},
        {dir / "file.txt", false},  // a file is not a directory
        {dir / "file.txt\\", false},
        {dir / std::string(300, 's'), false},
    };
    for (const Case& c : cases) EXPECT_EQ(QOsDirExists(c.path), c.exists) << '[' << c.path << ']';
}

TEST_F(OsOperations, DirMakeCreatesOneLevel)
{
    QOsDirMake(dir / "one");
    EXPECT_EQ(QErrorInfo(1), 0);
    EXPECT_TRUE(robot::DirectoryExists(dir / "one"));

    QOsDirMake(dir / "missing\\two");
    EXPECT_EQ(QErrorInfo(1), 13);
    EXPECT_EQ(QErrorInfo(3), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(robot::DirectoryExists(dir / "missing"));

    QOsDirMake(dir / "one");  // exists already
    EXPECT_EQ(QErrorInfo(1), 13);
    EXPECT_EQ(QErrorInfo(3), ERROR_ALREADY_EXISTS);
}

TEST_F(OsOperations, PathsLongerThan255AreRefused)
{
    // Cut to 255 characters, each of these paths would name another
    // directory or file; they must fail instead and touch nothing.
    const std::string base = dir.path() + "\\";
    auto cutPath = [&](char c) { return base + std::string(255 - base.size(), c); };
    const std::string directory = cutPath('d');
    const std::string file = cutPath('f');
    const std::string unmade = cutPath('e');
    ASSERT_EQ(directory.size(), 255u);
    CreateDirectoryA(directory.c_str(), nullptr);
    robot::WriteFile(file, "keep");
    ASSERT_TRUE(robot::DirectoryExists(directory));
    ASSERT_TRUE(robot::FileExists(file));

    QOsDirChange(directory + "x");
    EXPECT_EQ(QErrorInfo(1), 13);
    EXPECT_EQ(QErrorInfo(3), ERROR_FILENAME_EXCED_RANGE);
    FixedText<261> current;
    QOsDirCurrent(current);
    EXPECT_NE(current.str(), directory);

    QOsDirMake(unmade + "x");
    EXPECT_EQ(QErrorInfo(1), 13);
    EXPECT_FALSE(robot::DirectoryExists(unmade));

    EXPECT_FALSE(QOsDirExists(directory + "x"));
    EXPECT_EQ(QErrorInfo(1), 13);

    QOsDelete(file + "x");
    EXPECT_EQ(QErrorInfo(1), 13);
    EXPECT_TRUE(robot::FileExists(file));
    QOsDelete("   " + file + "   ");  // the significant part alone counts
    EXPECT_EQ(QErrorInfo(1), 0);
    EXPECT_FALSE(robot::FileExists(file));

    QOsExecute(std::string(256, 'c'));
    EXPECT_EQ(QErrorInfo(1), 13);
}

TEST_F(OsOperations, DirChangeAndCurrent)
{
    QOsDirChange(dir.path());
    EXPECT_EQ(QErrorInfo(1), 0);
    FixedText<261> current;
    QOsDirCurrent(current);
    EXPECT_EQ(current.str(), dir.path());

    QOsDirChange("C:\\");
    QOsDirCurrent(current);
    EXPECT_EQ(current.str(), "C:\\");
    EXPECT_EQ(QOsInfo(9), -1);  // the root of a drive
    QOsDirChange(dir.path());
    EXPECT_EQ(QOsInfo(9), 0);

    QOsDirChange(dir / "missing");
    EXPECT_EQ(QErrorInfo(1), 13);
    EXPECT_EQ(QErrorInfo(3), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(QErrorInfo(3), 0);
    QOsDirCurrent(current);
    EXPECT_EQ(current.str(), dir.path());

    char small[5];
    QOsDirCurrent(small);
    EXPECT_EQ(std::string(small, 5), dir.path().substr(0, 5));
}

TEST_F(OsOperations, DeleteWithWildcardsLeavesDirectories)
{
    for (const char* name : {"a.txt", "b.txt", "c.dat", "ab.txt"}) robot::WriteFile(dir / name, name);
    CreateDirectoryA((dir / "d.txt").c_str(), nullptr);
    QOsDelete(dir / "*.txt");
    EXPECT_EQ(QErrorInfo(1), 0);
    EXPECT_FALSE(robot::FileExists(dir / "a.txt"));
    EXPECT_FALSE(robot::FileExists(dir / "b.txt"));
    EXPECT_FALSE(robot::FileExists(dir / "ab.txt"));
    EXPECT_TRUE(robot::FileExists(dir / "c.dat"));
    EXPECT_TRUE(robot::DirectoryExists(dir / "d.txt"));

    robot::WriteFile(dir / "x1.dat", "1");
    QOsDelete(dir / "?.dat");
    EXPECT_TRUE(robot::FileExists(dir / "c.dat") == false);
    EXPECT_TRUE(robot::FileExists(dir / "x1.dat"));

    QOsDelete(dir / "nothing*.here");
    EXPECT_EQ(QErrorInfo(1), 13);
    EXPECT_EQ(QErrorInfo(3), ERROR_FILE_NOT_FOUND);

    QOsDelete("   ");
    EXPECT_EQ(QErrorInfo(1), 0);

    // A name without a directory part is looked up in the current directory.
    QOsDirChange(dir.path());
    QOsDelete("x1.dat");
    EXPECT_EQ(QErrorInfo(1), 0);
    EXPECT_FALSE(robot::FileExists(dir / "x1.dat"));
}

TEST_F(OsOperations, DirListKindsAndCount)
{
    robot::WriteFile(dir / "one.txt", std::string(1234, 'x'));
    robot::WriteFile(dir / "two.txt", "");
    CreateDirectoryA((dir / "three.txt").c_str(), nullptr);
    DirListEntry entries[5];
    int32_t count = -1;

    QOsDirListKind("F");
    QOsDirList(dir.path(), "*.txt", entries, 5, count);
    ASSERT_EQ(count, 2);
    std::set<std::string> names{entries[0].name.str(), entries[1].name.str()};
    EXPECT_EQ(names, (std::set<std::string>{"one.txt", "two.txt"}));
    for (int i = 0; i < 2; ++i)
        if (entries[i].name.str() == "one.txt") {
            EXPECT_EQ(entries[i].size, 1234);
        }

    QOsDirListKind("D");
    QOsDirList(dir.path() + "\\", "*.txt", entries, 5, count);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(entries[0].name.str(), "three.txt");

    QOsDirListKind("B");
    QOsDirList(dir.path(), "*.txt", entries, 2, count);
    EXPECT_EQ(count, 2);  // stops at the maximum

    QOsDirListKind("F");
    QOsDirList("", dir / "one.txt", entries, 1, count);  // blank directory: the pattern alone
    ASSERT_EQ(count, 1);
    EXPECT_EQ(entries[0].size, 1234);
    // The date and time are those of the file, in DOS form and local time.
    SYSTEMTIME now;
    GetLocalTime(&now);
    const int32_t year = ((entries[0].dosDateTime >> 16) >> 9) + 1980;
    EXPECT_NEAR(year, now.wYear, 1);

    QOsDirList(dir.path(), "none*", entries, 5, count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(QErrorInfo(1), 0);
}

TEST_F(OsOperations, InfoFixedItems)
{
    struct Case {
        int32_t item;
        int32_t value;
    } cases[] = {
        {1, 6}, {4, 42}, {5, 63}, {6, 92}, {7, 0}, {8, 1}, {10, 1}, {11, 1}, {12, 1},
        {13, 1}, {14, 1}, {18, 1}, {0, 0}, {19, 0}, {64, 0}, {91, 0}, {-1, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(QOsInfo(c.item), c.value) << "item " << c.item;

    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&version);
    EXPECT_EQ(QOsInfo(3), static_cast<int32_t>(version.dwMajorVersion * 100 + version.dwMinorVersion));

    int32_t before = QOsInfo(15);
    EXPECT_TRUE(robot::WaitUntil([&] { return QOsInfo(15) - before >= 20; }, std::chrono::seconds(5)));
}

TEST_F(OsOperations, InfoDriveTypes)
{
    struct Case {
        char letter;
        int32_t type;
    } cases[] = {
        {'A', 0}, {'B', 0}, {'C', 2}, {'D', 1}, {'E', 0}, {'F', 3},
        {'G', 4}, {'H', 5}, {'Y', 2}, {'Z', 0},
    };
    for (const Case& c : cases) EXPECT_EQ(QOsInfo(c.letter), c.type) << c.letter << ':';
}

TEST_F(OsOperations, InfoFreeBytesIsThe32BitProduct)
{
    QOsDirChange("C:\\");
    DWORD sectors = 0, bytes = 0, free = 0, total = 0;
    ASSERT_TRUE(GetDiskFreeSpaceA(nullptr, &sectors, &bytes, &free, &total));
    const uint32_t product = static_cast<uint32_t>(sectors) * bytes * free;
    EXPECT_EQ(QOsInfo(17), static_cast<int32_t>(product));
}

TEST_F(OsOperations, InfoPlatformUnderEachFamily)
{
    struct Case {
        std::string program;
        std::string version;
        std::string platform;
    } cases[] = {
        {"probe_w31.exe", "win31", "2"},
        {"probe_w95.exe", "win95", "3"},
        {"probe_w98.exe", "win98", "3"},
        {"probe_nt4.exe", "nt40", "4"},
        {"probe_xp.exe", "winxp", "4"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(CopyFileA(Probe().c_str(), (dir / c.program).c_str(), FALSE));
        robot::SetWineVersionFor(c.program, c.version);
        robot::RunResult r = robot::Run('"' + (dir / c.program) + "\" osinfo 16");
        EXPECT_EQ(r.exitCode, 0u) << c.version;
        EXPECT_EQ(r.output, c.platform + "\n") << c.version;
    }
    EXPECT_EQ(QOsInfo(16), 4);  // Wine's default for other programs: Windows 7
}

TEST_F(OsOperations, ArgumentsOfTheProgram)
{
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    FixedText<261> text("junk");
    QOsArgument(0, text);
    EXPECT_EQ(text.str(), self);

    robot::RunResult r = robot::Run('"' + Probe() + "\" args one \"two words\"  three");
    EXPECT_EQ(r.output, "4\n[" + Probe() + "]\n[args]\n[one]\n[two words]\n[three]\n");

    QOsArgument(99, text);
    EXPECT_TRUE(text.blank());
}

TEST_F(OsOperations, TimeAndDateAreLocal)
{
    int32_t hour = -1, minute = -1, second = -1, millisecond = -1;
    int32_t year = 0, month = 0, day = 0;
    SYSTEMTIME before;
    GetLocalTime(&before);
    QOsTime(hour, minute, second, millisecond);
    QOsDate(year, month, day);
    EXPECT_EQ(year, before.wYear);
    EXPECT_EQ(month, before.wMonth);
    EXPECT_EQ(day, before.wDay);
    EXPECT_GE(hour, 0);
    EXPECT_LE(hour, 23);
    const int seconds = (hour * 60 + minute) * 60 + second;
    const int expected = (before.wHour * 60 + before.wMinute) * 60 + before.wSecond;
    EXPECT_LE(std::abs(seconds - expected) % (24 * 3600), 2);
    EXPECT_GE(millisecond, 0);
    EXPECT_LE(millisecond, 999);
    int32_t h2 = -1, m2 = -1, s2 = -1;
    QOsTime(h2, m2, s2);
    EXPECT_GE(h2, 0);
}

TEST_F(OsOperations, ExecuteWaitsWithATimeLimit)
{
    const std::string done = dir / "slept.txt";
    // While it waits, the caller's windows answer what other threads send them.
    HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    LRESULT answered = 0;
    std::thread sender([&] {
        DWORD_PTR length = 0;
        answered = SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 3000, &length);
    });
    const auto start = std::chrono::steady_clock::now();
    QOsExecute('"' + Probe() + "\" sleep 4000 " + done, kExecuteWait | kExecuteHidden, 1);
    const auto waited = std::chrono::steady_clock::now() - start;
    sender.join();
    EXPECT_NE(answered, 0);
    DestroyWindow(window);
    EXPECT_EQ(QErrorInfo(1), 1034);
    EXPECT_FALSE(robot::FileExists(done));
    EXPECT_LT(waited, std::chrono::milliseconds(3500));
    // The program goes on after the time-out and ends by itself.
    EXPECT_TRUE(robot::WaitUntil([&] { return robot::FileExists(done); }, std::chrono::seconds(20)));

    const std::string touched = dir / "waited.txt";
    QOsExecute('"' + Probe() + "\" touch " + touched, kExecuteWait | kExecuteHidden);
    EXPECT_EQ(QErrorInfo(1), 0);
    EXPECT_TRUE(robot::FileExists(touched));  // there as soon as the call returns
}

TEST_F(OsOperations, ExecuteWithoutWaitingReturnsAtOnce)
{
    const std::string touched = dir / "later.txt";
    QOsExecute('"' + Probe() + "\" sleep 300 " + touched, kExecuteHidden);
    EXPECT_EQ(QErrorInfo(1), 0);
    EXPECT_FALSE(robot::FileExists(touched));
    EXPECT_TRUE(robot::WaitUntil([&] { return robot::FileExists(touched); }, std::chrono::seconds(20)));

    QOsExecute("   ");  // a blank command does nothing
    EXPECT_EQ(QErrorInfo(1), 0);
}

TEST_F(OsOperations, ExecuteFailures)
{
    QOsExecute("C:\\no\\such\\program.exe", kExecuteHidden);
    EXPECT_EQ(QErrorInfo(1), 13);
    const int32_t started = QErrorInfo(3);
    EXPECT_GE(started, 0);
    EXPECT_LE(started, 31);

    QOsExecute("C:\\no\\such\\program.exe", kExecuteWait);
    EXPECT_EQ(QErrorInfo(1), 13);
    EXPECT_NE(QErrorInfo(3), 0);
}

}  // namespace
