#include "components/movie_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "components/movie_muxer.h"
#include "components/movie_test_streams.h"
#include "platform/interrupt_cleanup.h"
#include "support/temp_dir.h"

namespace {

std::set<std::string> entries(const testing_support::TempDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.insert(entry.path().filename().string());
    return names;
}

std::int64_t write(MovieFile& file, std::int64_t offset, const std::string& text) {
    return file.writeAt(offset, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

// Lowers the file size limit of this process for one test, with SIGXFSZ
// ignored as the program ignores it, so a write past it fails with EFBIG.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        EXPECT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &lowered));
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    sighandler_t previousHandler_ = SIG_DFL;
};

// The host's name as the temporary names carry it.
std::string hostName() {
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    return name;
}

}  // namespace

TEST(MovieFile, WritesUnderAHiddenNameAndRenamesOnlyWhenComplete) {
    testing_support::TempDir dir;
    const std::string finalPath = dir.file("shot.mov");
    testing_support::writeFileBytes(finalPath, "an older movie");
    MovieFile file;
    ASSERT_TRUE(file.create(finalPath).ok());
    EXPECT_EQ(dir.file(".shot.mov.tmp-" + hostName() + "-" + std::to_string(::getpid())),
              file.temporaryPath());
    EXPECT_EQ(
        (std::set<std::string>{"shot.mov", ".shot.mov.tmp-" + hostName() + "-" + std::to_string(::getpid())}),
        entries(dir));
    // Headers are completed last, over the first bytes.
    EXPECT_EQ(4, write(file, 4, "BODY"));
    EXPECT_EQ(5, write(file, 8, "TAIL!"));
    EXPECT_EQ(4, write(file, 0, "HEAD"));
    EXPECT_EQ("an older movie", testing_support::readFileBytes(finalPath));
    const MovieResult result = file.commit();
    ASSERT_TRUE(result.ok()) << result.describe();
    EXPECT_EQ((std::set<std::string>{"shot.mov"}), entries(dir));
    EXPECT_EQ("HEADBODYTAIL!", testing_support::readFileBytes(finalPath));
}

TEST(MovieFile, AnAbandonedOrForgottenFileLeavesNothing) {
    testing_support::TempDir dir;
    {
        MovieFile file;
        ASSERT_TRUE(file.create(dir.file("a.avi")).ok());
        EXPECT_EQ(3, write(file, 0, "abc"));
        file.abandon();
        EXPECT_TRUE(entries(dir).empty());
        EXPECT_EQ(-EBADF, write(file, 3, "def"));
        ASSERT_TRUE(file.create(dir.file("b.avi")).ok());
        EXPECT_EQ(3, write(file, 0, "abc"));
    }
    EXPECT_TRUE(entries(dir).empty());
}

// A write over the file size limit (ulimit -f) fails with EFBIG; the movie is
// reported with that errno and no file is left, temporary or final.
TEST(MovieFile, AWriteOverTheSizeLimitLeavesNoFileAndGivesTheErrno) {
    testing_support::TempDir dir;
    const movie_test::TestStream stream = movie_test::proResStream(128, 96, 3, 6, 24, 1);
    for (const MovieContainer container : {MovieContainer::Mov, MovieContainer::Avi}) {
        MovieFile file;
        ASSERT_TRUE(file.create(dir.file("limited")).ok());
        MovieResult result;
        {
            const FileSizeLimit limit(8192);
            MovieMuxer muxer(container, file);
            result = muxer.writeHeader(stream.info, {});
            for (const EncodedPacket& packet : stream.packets)
                if (result.ok()) result = muxer.writePacket(packet);
            if (result.ok()) result = muxer.writeTrailer();
        }
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(EFBIG, result.writeError);
        EXPECT_EQ("File too large", result.reason());
        // A caller that commits anyway is refused, and the file goes.
        const MovieResult committed = file.commit();
        EXPECT_EQ(EFBIG, committed.writeError);
        EXPECT_TRUE(entries(dir).empty());
    }
}

TEST(MovieFile, ReportsADirectoryThatTakesNoFile) {
    testing_support::TempDir dir;
    MovieFile file;
    const MovieResult result = file.create(dir.file("missing/shot.mov"));
    EXPECT_EQ(ENOENT, result.writeError);
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(EISDIR, file.create(dir.path() + "/").writeError);
    EXPECT_TRUE(entries(dir).empty());
}

// The rename is the last step that can fail: the final name is a directory.
TEST(MovieFile, AFailedRenameRemovesTheTemporaryFile) {
    testing_support::TempDir dir;
    std::filesystem::create_directory(dir.file("shot.mov"));
    testing_support::writeFileBytes(dir.file("shot.mov/inside"), "x");
    MovieFile file;
    ASSERT_TRUE(file.create(dir.file("shot.mov")).ok());
    EXPECT_EQ(4, write(file, 0, "data"));
    const MovieResult result = file.commit();
    EXPECT_TRUE(result.isWriteFailure());
    EXPECT_NE(std::string::npos, result.describe().find("renaming")) << result.describe();
    EXPECT_EQ((std::set<std::string>{"shot.mov"}), entries(dir));
    EXPECT_EQ("x", testing_support::readFileBytes(dir.file("shot.mov/inside")));
}

// A link planted under the temporary name is replaced, never written through.
TEST(MovieFile, NeverWritesThroughALinkAtTheTemporaryName) {
    testing_support::TempDir dir;
    testing_support::writeFileBytes(dir.file("victim"), "keep me");
    const std::string temporary = dir.file(".shot.mov.tmp-" + hostName() + "-" + std::to_string(::getpid()));
    std::filesystem::create_symlink(dir.file("victim"), temporary);
    MovieFile file;
    ASSERT_TRUE(file.create(dir.file("shot.mov")).ok());
    EXPECT_EQ(5, write(file, 0, "movie"));
    ASSERT_TRUE(file.commit().ok());
    EXPECT_EQ("keep me", testing_support::readFileBytes(dir.file("victim")));
    EXPECT_EQ("movie", testing_support::readFileBytes(dir.file("shot.mov")));
    EXPECT_EQ((std::set<std::string>{"shot.mov", "victim"}), entries(dir));
}

// Ctrl-C while the movie is written removes the temporary file.
TEST(MovieFile, AnInterruptedRunRemovesTheTemporaryFile) {
    testing_support::TempDir dir;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        platform::installInterruptCleanup();
        MovieFile file;
        if (!file.create(dir.file("shot.mov")).ok() || write(file, 0, "half a movie") != 12) ::_exit(3);
        ::raise(SIGINT);
        ::_exit(4);
    }
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
    EXPECT_EQ(SIGINT, WTERMSIG(status));
    EXPECT_TRUE(entries(dir).empty());
}
