// Module handles, the kernel32 library and the version.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(Modules, ProgramHandleIsFoundByItsOwnFileName) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(std::strlen(path), length);
    HMODULE self = GetModuleHandleA(nullptr);
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(GetModuleHandleA(path), self);
    EXPECT_EQ(GetModuleHandleA("no-such-module.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST(Modules, LongFileNameIsCutAndTerminated) {
    char path[4];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(path[3], '\0');
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(Modules, Kernel32ExportsDiskFreeSpace) {
    HMODULE kernel = LoadLibraryA("KERNEL32.DLL");
    ASSERT_NE(kernel, nullptr);
    EXPECT_EQ(LoadLibraryA("kernel32"), kernel);
    auto query = reinterpret_cast<decltype(&GetDiskFreeSpaceExA)>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetDiskFreeSpaceExA")));
    ASSERT_NE(query, nullptr);
    ULARGE_INTEGER available{}, total{}, free{};
    ASSERT_TRUE(query("/", &available, &total, &free));
    EXPECT_GT(total.QuadPart, 0u);
    EXPECT_LE(free.QuadPart, total.QuadPart);
    EXPECT_EQ(GetProcAddress(kernel, "NoSuchFunction"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_TRUE(FreeLibrary(kernel));
    EXPECT_TRUE(FreeLibrary(kernel));
    EXPECT_FALSE(FreeLibrary(kernel)); // loaded twice, freed twice
}

TEST(Modules, VersionIsNtFamily) {
    DWORD version = GetVersion();
    EXPECT_EQ(version & 0x80000000u, 0u); // the high bit marks the 95 family
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(info.dwMajorVersion, version & 0xFF);
    EXPECT_EQ(info.dwBuildNumber, version >> 16);
}

} // namespace
