// Block file access under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include "errors/errors.h"
#include "robot.h"
#include "utilities/files.h"

namespace {

class FileAccess : public ::testing::Test {
protected:
    robot::ScratchDirectory dir{"files"};
    void SetUp() override
    {
        QErrorInfo(1);
        QErrorInfo(2);
    }
};

TEST_F(FileAccess, OpenFailuresGiveMinusOneAndError1)
{
    robot::WriteFile(dir / "exists.txt", "x");
    struct Case {
        std::string name;
        int32_t mode;
        int32_t detail;  // the Windows error, -1 when none is stored
    } cases[] = {
        {dir / "missing.txt", kFileRead, ERROR_FILE_NOT_FOUND},
        {dir / "missing.txt", kFileReadWrite, ERROR_FILE_NOT_FOUND},
        {dir / "nodir\\new.txt", kFileCreate, ERROR_PATH_NOT_FOUND},
        {"     ", kFileRead, -1},
        {dir / "exists.txt", 3, -1},
        {dir / "exists.txt", -1, -1},
        {dir / std::string(300, 'n'), kFileCreate, ERROR_FILENAME_EXCED_RANGE},
    };
    for (const Case& c : cases) {
        int32_t handle = 77;
        QFileOpen(c.name, c.mode, handle);
        EXPECT_EQ(handle, -1) << c.name << " mode " << c.mode;
        EXPECT_EQ(QErrorInfo(1), 1) << c.name << " mode " << c.mode;
        int32_t detail = QErrorInfo(2);
        if (c.detail >= 0) {
            EXPECT_EQ(detail, c.detail) << c.name;
        }
    }
    // Nothing was made under the name the path would have been cut to.
    EXPECT_FALSE(robot::FileExists((dir / std::string(300, 'n')).substr(0, 255)));
}

TEST_F(FileAccess, ModesReadCreateAndUpdate)
{
    const std::string path = dir / "data.bin";
    robot::WriteFile(path, std::string(1000, 'a'));

    int32_t handle = -1;
    QFileOpen("  " + path + "  ", kFileRead, handle);  // the significant part is the name
    ASSERT_NE(handle, -1);
    int32_t offset = 0;
    QFileSeek(handle, offset, kSeekEnd);
    EXPECT_EQ(offset, 1000);
    DWORD written = 0;
    EXPECT_FALSE(WriteFile(reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle)), "b", 1, &written, nullptr));
    QFileClose(handle);
    EXPECT_EQ(QErrorInfo(1), 0);

    QFileOpen(path, kFileReadWrite, handle);
    ASSERT_NE(handle, -1);
    offset = 10;
    QFileSeek(handle, offset, kSeekStart);
    EXPECT_EQ(offset, 10);
    offset = 5;
    QFileSeek(handle, offset, kSeekCurrent);
    EXPECT_EQ(offset, 15);
    EXPECT_TRUE(WriteFile(reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle)), "b", 1, &written, nullptr));
    offset = 123;
    QFileSeek(handle, offset, 3);  // no such origin: nothing happens
    EXPECT_EQ(offset, 123);
    QFileClose(handle);
    std::string bytes = robot::ReadFile(path);
    ASSERT_EQ(bytes.size(), 1000u);
    EXPECT_EQ(bytes[15], 'b');

    QFileOpen(path, kFileCreate, handle);  // empties the file
    ASSERT_NE(handle, -1);
    offset = 0;
    QFileSeek(handle, offset, kSeekEnd);
    EXPECT_EQ(offset, 0);
    EXPECT_TRUE(WriteFile(reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle)), "new", 3, &written, nullptr));
    QFileClose(handle);
    EXPECT_EQ(robot::ReadFile(path), "new");

    QFileOpen(dir / "fresh.txt", kFileCreate, handle);
    ASSERT_NE(handle, -1);
    QFileClose(handle);
    EXPECT_TRUE(robot::FileExists(dir / "fresh.txt"));
    EXPECT_EQ(QErrorInfo(1), 0);
}

TEST_F(FileAccess, SeekAndCloseFailures)
{
    int32_t offset = 0;
    QFileSeek(-1, offset, kSeekEnd);
    EXPECT_EQ(offset, -1);
    EXPECT_EQ(QErrorInfo(1), 2);
    EXPECT_EQ(QErrorInfo(2), ERROR_INVALID_HANDLE);

    int32_t handle = -1;
    robot::WriteFile(dir / "f", "12345");
    QFileOpen(dir / "f", kFileRead, handle);
    offset = -10;
    QFileSeek(handle, offset, kSeekStart);  // before the start
    EXPECT_EQ(offset, -1);
    EXPECT_EQ(QErrorInfo(1), 2);
    EXPECT_NE(QErrorInfo(2), 0);
    QFileClose(handle);
    EXPECT_EQ(QErrorInfo(1), 0);

    QFileClose(-1);
    EXPECT_EQ(QErrorInfo(1), 3);
}

}  // namespace
