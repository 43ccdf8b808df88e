// The kernel32 file calls over descriptors.
#include <windows.h>

#include <gtest/gtest.h>

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
