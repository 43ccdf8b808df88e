// The kernel32 file calls over descriptors.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

namespace {

// Points a standard descriptor at another one for its lifetime, then puts the
// original back, so that a standard handle reads or writes what a test chose.
struct Redirect {
    int Standard, Saved = ::dup(Standard);
    Redirect(int standard, int descriptor) : Standard(standard) { ::dup2(descriptor, standard); }
    ~Redirect() {
        ::dup2(Saved, Standard);
        ::close(Saved);
    }
};

TEST(FileCalls, PipeIsAPipeAndItsEndIsBrokenPipe) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], "ab", 2), 2);
    ::close(ends[1]);
    Redirect redirect(0, ends[0]);
    ::close(ends[0]);
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    EXPECT_EQ(GetFileType(in), static_cast<DWORD>(FILE_TYPE_PIPE));
    char buffer[8];
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(in, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(std::string(buffer, got), "ab");
    EXPECT_FALSE(ReadFile(in, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BROKEN_PIPE));
    EXPECT_EQ(got, 0u);
}

TEST(FileCalls, WriteToAPipeWithoutReaderFailsInsteadOfKillingTheProcess) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    BOOL ok = TRUE;
    DWORD error = 0;
    {
        // Standard output is back before any assertion can print to it.
        Redirect redirect(1, ends[1]);
        DWORD written = 0;
        ok = WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "lost", 4, &written, nullptr);
        error = GetLastError();
    }
    ::close(ends[1]);
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_NO_DATA));
}

} // namespace
