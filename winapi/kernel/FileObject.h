// A file handle's object: an open file descriptor of the process, owned.
#pragma once

#include "kernel/KernelObject.h"

namespace WinApi {

class FileObject : public KernelObject {
public:
    explicit FileObject(int descriptor) : Descriptor(descriptor) {}
    ~FileObject() override;
    FileObject(const FileObject&) = delete;
    FileObject& operator=(const FileObject&) = delete;

    int Descriptor = -1;
};

} // namespace WinApi
