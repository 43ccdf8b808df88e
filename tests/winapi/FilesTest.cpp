// The kernel32 file calls over descriptors.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

struct PipeEnds {
    int Read = -1;
    int Write = -1;
    PipeEnds() {
        int ends[2];
        if (::pipe(ends) == 0) {
            Read = ends[0];
            Write = ends[1];
        }
    }
    ~PipeEnds() {
        if (Read >= 0)
            ::close(Read);
        if (Write >= 0)
            ::close(Write);
    }
};

// Makes a standard handle name a descriptor of the test's choosing for the
// duration of one test, then puts the original descriptor back.
class RedirectedStandardInput {
public:
    explicit RedirectedStandardInput(int descriptor) : Saved(::dup(0)) { ::dup2(descriptor, 0); }
    ~RedirectedStandardInput() {
        ::dup2(Saved, 0);
        ::close(Saved);
    }

private:
    int Saved;
};

TEST(StandardHandles, AreStableAndDistinct) {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    EXPECT_NE(in, INVALID_HANDLE_VALUE);
    EXPECT_NE(in, out);
    EXPECT_NE(out, err);
    EXPECT_EQ(GetStdHandle(STD_OUTPUT_HANDLE), out);
    EXPECT_EQ(GetStdHandle(static_cast<DWORD>(-13)), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(FileCalls, ClosedHandleIsRefused) {
    EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x7FFF0))));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    DWORD written = 99;
    EXPECT_FALSE(WriteFile(nullptr, "x", 1, &written, nullptr));
    EXPECT_EQ(written, 0u);
}

TEST(FileCalls, PipeIsAPipeAndItsEndIsBrokenPipe) {
    PipeEnds pipe;
    ASSERT_GE(pipe.Read, 0);
    ASSERT_EQ(::write(pipe.Write, "ab", 2), 2);
    ::close(pipe.Write);
    pipe.Write = -1;
    RedirectedStandardInput redirect(pipe.Read);
    // The standard input handle was fetched before; it names descriptor 0,
    // which now reads the pipe.
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
    PipeEnds pipe;
    ::close(pipe.Read);
    pipe.Read = -1;
    int saved = ::dup(1);
    ::dup2(pipe.Write, 1);
    DWORD written = 0;
    BOOL ok = WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "lost", 4, &written, nullptr);
    DWORD error = GetLastError();
    ::dup2(saved, 1);
    ::close(saved);
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_NO_DATA));
}

TEST(FileCalls, RegularFileIsADisk) {
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    RedirectedStandardInput redirect(::fileno(file));
    EXPECT_EQ(GetFileType(GetStdHandle(STD_INPUT_HANDLE)), static_cast<DWORD>(FILE_TYPE_DISK));
    char buffer[4];
    DWORD got = 7;
    // End of a disk file is success with no bytes, as on Windows.
    EXPECT_TRUE(ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, 4, &got, nullptr));
    EXPECT_EQ(got, 0u);
    std::fclose(file);
}

} // namespace
