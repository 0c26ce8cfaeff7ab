// The state record.
#include "core/state_record.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

void StateRecord::keep(const void* data, size_t size) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), bytes, bytes + size);
}

void StateRecord::restore(void* data, size_t size) {
    if (size > bytes_.size() - readAt_) {
        // A scene restores more than it kept: its two halves disagree.
        std::fputs("dorminax: a scene's state record is shorter than what it restores\n", stderr);
        std::abort();
    }
    std::memcpy(data, bytes_.data() + readAt_, size);
    readAt_ += size;
}
