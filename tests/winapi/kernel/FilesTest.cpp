// The kernel32 file calls over descriptors.
#include <windows.h>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

TEST(FileCalls, WriteToAPipeWithoutReaderFailsInsteadOfKillingTheProcess) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    // Standard output is back before any assertion can print to it.
    const int saved = ::dup(1);
    ::dup2(ends[1], 1);
    DWORD written = 0;
    const BOOL ok = WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "lost", 4, &written, nullptr);
    const DWORD error = GetLastError();
    ::dup2(saved, 1);
    ::close(saved);
    ::close(ends[1]);
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_NO_DATA));
}

} // namespace
