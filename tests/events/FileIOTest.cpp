#include "events/FileIO.h"
#include "events/AtomicFile.h"
#include "events/RuntimeError.h"

#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace tvk;
namespace fs = std::filesystem;

using FileIOTest = TempDirTest;

TEST_F(FileIOTest, OperatingSystemErrorsMapToFileErrorNumbers) {
    struct Case {
        int error;
        std::string path;
        int number;
    };
    const Case cases[] = {
        {ENOENT, path("missing.tvk"), err::FileNotFound},
        {ENOENT, path("no-folder/missing.tvk"), err::PathNotFound},
        {ENOTDIR, path("a/b"), err::PathNotFound},
        {EACCES, path("a"), err::PermissionDenied},
        {EROFS, path("a"), err::PermissionDenied},
        {ENOSPC, path("a"), err::DiskFull},
        {EDQUOT, path("a"), err::DiskFull},
        {EISDIR, path("a"), err::PathFileAccess},
        {EIO, path("a"), err::DeviceIO},
        {ENAMETOOLONG, path("a"), err::BadFileName},
    };
    for (const Case& c : cases) {
        const RuntimeError e = FileIO::errorFor(c.error, c.path);
        EXPECT_EQ(e.number(), c.number) << c.error;
        EXPECT_NE(e.description().find(c.path), std::string::npos) << e.description();
    }
}

TEST_F(FileIOTest, AbandonedWriteLeavesTheOldFileAndNoTemporaryFile) {
    std::ofstream(path("a.tvk")) << "old";
    for (const auto temporary : {AtomicFile::Temporary::Unnamed, AtomicFile::Temporary::Named}) {
        {
            AtomicFile file(path("a.tvk"), temporary);
            file.write("partial new content");
            // An unnamed temporary file is invisible until it is committed.
            EXPECT_EQ(entries().size(), temporary == AtomicFile::Temporary::Named ? 2u : 1u);
            EXPECT_EQ(readBytes(path("a.tvk")), "old");
        } // destroyed without commit, as when the producer throws
        EXPECT_EQ(readBytes(path("a.tvk")), "old");
        EXPECT_EQ(entries().size(), 1u);
    }
}

TEST_F(FileIOTest, CommitReplacesTheFileInOneStep) {
    std::ofstream(path("a.tvk")) << "old content that is longer";
    AtomicFile file(path("a.tvk"));
    file.write("new");
    file.write(std::string_view("\0x", 2));
    file.commit();
    EXPECT_EQ(readBytes(path("a.tvk")), std::string("new\0x", 5));
    EXPECT_EQ(entries().size(), 1u);

    AtomicFile fresh(path("b.tvk"));
    fresh.commit();
    EXPECT_TRUE(fs::exists(path("b.tvk")));
    EXPECT_EQ(fs::file_size(path("b.tvk")), 0u);
}

TEST_F(FileIOTest, ReadsWholeFilesAndRejectsOtherKinds) {
    const std::string big(300000, 'q');
    std::ofstream(path("big"), std::ios::binary) << big;
    EXPECT_EQ(FileIO::readWholeFile(path("big")), big);
    std::ofstream(path("empty"));
    EXPECT_EQ(FileIO::readWholeFile(path("empty")), "");
    try {
        FileIO::readWholeFile("/dev/null");
        FAIL() << "a device is not an event file";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::PathFileAccess);
    }
}
