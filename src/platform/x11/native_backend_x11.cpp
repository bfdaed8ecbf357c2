#include "platform/native_backend.h"
#include "platform/x11/x11_backend.h"

#include <malloc.h>

namespace osyl {

std::unique_ptr<Backend> make_native_backend() {
    // A bar stays resident all day: pictures and upload buffers of 64 KiB and more get
    // pages of their own, handed back to the system when freed. By default the threshold
    // grows with each large block freed, and the freed menu canvas would stay resident.
    mallopt(M_MMAP_THRESHOLD, 64 * 1024);
    return make_x11_backend();
}

}  // namespace osyl
