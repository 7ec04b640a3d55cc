#include "events/AtomicFile.h"
#include "events/RuntimeError.h"

#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tvk;
namespace fs = std::filesystem;

namespace {

using Temporary = AtomicFile::Temporary;
constexpr Temporary kBothKinds[] = {Temporary::Unnamed, Temporary::Named};

class AtomicFileTest : public TempDirTest {
protected:
    static void save(const std::string& target, std::string_view content, Temporary temporary = Temporary::Unnamed) {
        AtomicFile file(target, temporary);
        file.write(content);
        file.commit();
    }

    // Starts a save in a child process and kills it once part of the content is written.
    static void killMidSave(const std::string& target, Temporary temporary) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            AtomicFile file(target, temporary);
            file.write(std::string(1 << 20, 'n'));
            (void)!::write(ready[1], "w", 1);
            for (;;)
                ::pause();
        }
        char c = 0;
        ASSERT_EQ(::read(ready[0], &c, 1), 1);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(ready[0]);
        ::close(ready[1]);
        ASSERT_TRUE(WIFSIGNALED(status));
    }

    static mode_t modeOf(const std::string& file) {
        struct stat st {};
        EXPECT_EQ(::stat(file.c_str(), &st), 0) << file;
        return st.st_mode & 07777;
    }
};

} // namespace

TEST_F(AtomicFileTest, AKilledSaveLeavesNoFileButItsTarget) {
    write("a.tvk", "old");
    write("other.tvk", "x");
    killMidSave(path("a.tvk"), Temporary::Unnamed);
    EXPECT_EQ(entries(), (std::vector<std::string>{"a.tvk", "other.tvk"}));
    EXPECT_EQ(readBytes(path("a.tvk")), "old");

    // Where temporary files have names, the next save of the target removes those of dead processes.
    for (const Temporary temporary : kBothKinds) {
        killMidSave(path("a.tvk"), Temporary::Named);
        EXPECT_EQ(entries().size(), 3u);
        save(path("a.tvk"), "new", temporary);
        EXPECT_EQ(entries(), (std::vector<std::string>{"a.tvk", "other.tvk"}));
        EXPECT_EQ(readBytes(path("a.tvk")), "new");
    }
}

TEST_F(AtomicFileTest, TemporaryFilesOfRunningProcessesAndOtherTargetsStay) {
    // Process 1 always runs; the other names belong to other targets or are no temporary files.
    const std::vector<std::string> kept = {".a.tvk.tmp-1-0-0", ".a.tvk.tmp-x-0", ".b.tvk.tmp-999999999-0-0",
                                           ".a.tvk.tmp-99999999999-0"};
    for (const std::string& name : kept)
        write(name, "busy");
    save(path("a.tvk"), "new");
    std::vector<std::string> expected = kept;
    expected.push_back("a.tvk");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(entries(), expected);
}

TEST_F(AtomicFileTest, SavingThroughALinkReplacesTheFileItNames) {
    fs::create_directory(dir / "real");
    write("real/target.tvk", "old");
    fs::create_symlink("real/target.tvk", dir / "relative.tvk");
    fs::create_symlink(dir / "relative.tvk", dir / "chain.tvk");
    fs::create_symlink("real/new.tvk", dir / "dangling.tvk");
    fs::create_symlink("loop.tvk", dir / "loop.tvk");

    for (const Temporary temporary : kBothKinds) {
        const std::string content = temporary == Temporary::Named ? "named" : "unnamed";
        for (const char* link : {"relative.tvk", "chain.tvk"}) {
            save(path(link), content + link, temporary);
            EXPECT_EQ(readBytes(path("real/target.tvk")), content + link);
        }
        EXPECT_TRUE(fs::is_symlink(dir / "relative.tvk"));
        EXPECT_TRUE(fs::is_symlink(dir / "chain.tvk"));
    }
    // A link to a file that does not exist yet makes that file.
    save(path("dangling.tvk"), "made");
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.tvk"));
    EXPECT_EQ(readBytes(path("real/new.tvk")), "made");
    EXPECT_THROW(save(path("loop.tvk"), "x"), RuntimeError);
    EXPECT_TRUE(fs::is_symlink(dir / "loop.tvk"));

    std::vector<std::string> real;
    for (const auto& e : fs::directory_iterator(dir / "real"))
        real.push_back(e.path().filename().string());
    std::sort(real.begin(), real.end());
    EXPECT_EQ(real, (std::vector<std::string>{"new.tvk", "target.tvk"}));
}

TEST_F(AtomicFileTest, TheSavedFileKeepsModeOwnerAndGroupOrGetsTheUmasks) {
    for (const Temporary temporary : kBothKinds) {
        write("kept.tvk", "old");
        ::chmod(path("kept.tvk").c_str(), 0604);
        save(path("kept.tvk"), "new", temporary);
        EXPECT_EQ(modeOf(path("kept.tvk")), 0604u);

        const mode_t previous = ::umask(027);
        save(path("fresh.tvk"), "new", temporary);
        ::umask(previous);
        EXPECT_EQ(modeOf(path("fresh.tvk")), 0640u);
        fs::remove(path("fresh.tvk"));
    }
    if (::geteuid() != 0) GTEST_SKIP() << "only the superuser may give a file to another owner";
    write("owned.tvk", "old");
    ASSERT_EQ(::chown(path("owned.tvk").c_str(), 4321, 8765), 0);
    ::chmod(path("owned.tvk").c_str(), 0640);
    for (const Temporary temporary : kBothKinds) {
        save(path("owned.tvk"), "new", temporary);
        struct stat st {};
        ASSERT_EQ(::stat(path("owned.tvk").c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 4321u);
        EXPECT_EQ(st.st_gid, 8765u);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
    }
}
