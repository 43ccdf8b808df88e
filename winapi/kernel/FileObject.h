// What the file calls (ReadFile, WriteFile, GetFileType) do with a handle.
// Each kind of object that takes file calls carries these operations itself:
// an open file descriptor here, the console's buffers in console/. The calls
// find the operations through the handle and need not know the kinds.
// Operations report failures as Windows error codes and leave GetLastError to
// the calls.
#pragma once

#include "kernel/KernelObject.h"

namespace WinApi {

class FileObject {
public:
    virtual ~FileObject() = default;

    // FILE_TYPE_CHAR, FILE_TYPE_DISK or FILE_TYPE_PIPE, with error set to
    // ERROR_SUCCESS; FILE_TYPE_UNKNOWN with the error when it cannot be told.
    virtual DWORD FileType(DWORD& error) = 0;
    // One read of at most length bytes. An object that cannot be read with
    // ReadFile fails with ERROR_INVALID_HANDLE.
    virtual DWORD Read(void* buffer, DWORD length, DWORD& read);
    // All of the bytes, or a failure with the count moved so far. An object
    // that cannot be written with WriteFile fails with ERROR_INVALID_HANDLE.
    virtual DWORD Write(const void* buffer, DWORD length, DWORD& written);
};

// A file handle's object: an open file descriptor of the process, owned.
class DescriptorFile : public KernelObject, public FileObject {
public:
    explicit DescriptorFile(int descriptor) : Descriptor(descriptor) {}
    ~DescriptorFile() override;
    DescriptorFile(const DescriptorFile&) = delete;
    DescriptorFile& operator=(const DescriptorFile&) = delete;

    DWORD FileType(DWORD& error) override;
    DWORD Read(void* buffer, DWORD length, DWORD& read) override;
    DWORD Write(const void* buffer, DWORD length, DWORD& written) override;

    const int Descriptor = -1;
};

} // namespace WinApi
