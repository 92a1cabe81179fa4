#include "platform/process.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/file.h"
#include "support/temp_dir.h"

// Beyond the file size limit a write fails with EFBIG instead of the signal
// ending the process; checked in a child so the limit stays there.
TEST(Process, AWriteBeyondTheFileSizeLimitFailsInsteadOfEndingTheProcess) {
    testing_support::TempDir dir;
    const std::string path = dir.file("big.bin");
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(10);
        platform::ignoreFileSizeLimitSignal();
        platform::File file;
        if (!file.open(path, platform::File::Access::CreateWrite)) ::_exit(11);
        const std::vector<char> bytes(10000, 'x');
        if (file.write(bytes.data(), bytes.size())) ::_exit(12);
        ::_exit(file.lastError() == EFBIG ? 0 : 13);
    }
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(0, WEXITSTATUS(status));
}
