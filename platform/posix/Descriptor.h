// A host file descriptor with one owner, closed once.
#pragma once

#include "platform/UniqueHandle.h"

#include <unistd.h>

namespace posix {

struct DescriptorTraits {
    using Handle = int;
    static Handle Invalid() { return -1; }
    static void Close(Handle fd) { (void)::close(fd); }
};
using UniqueDescriptor = UniqueHandle<DescriptorTraits>;

} // namespace posix
