// What a scene hands from one frame to the next, set aside and put back: the record a
// seek's checkpoint keeps, so that the show can carry on from a moment it has been at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

class StateRecord {
public:
    // Empties the record for keeping anew; its storage stays for the next keeping.
    void clear() {
        bytes_.clear();
        readAt_ = 0;
    }
    // Appends bytes, then plain values: what restore takes back in the same order.
    void keep(const void* data, size_t size);
    template <class T>
    void keep(const T& value) {
        static_assert(std::is_trivially_copyable_v<T>, "only plain values are kept as bytes");
        keep(&value, sizeof value);
    }

    // Takes back the next bytes kept, from the start after rewind. A record read past
    // what was kept is a fault of the program, which then ends.
    void restore(void* data, size_t size);
    template <class T>
    void restore(T& value) {
        static_assert(std::is_trivially_copyable_v<T>, "only plain values are kept as bytes");
        restore(&value, sizeof value);
    }
    void rewind() { readAt_ = 0; }

    size_t size() const { return bytes_.size(); }
    // The bytes kept, and a record made of bytes kept elsewhere (another process's), to
    // restore from the start.
    const uint8_t* data() const { return bytes_.data(); }
    void assign(const uint8_t* bytes, size_t size) {
        bytes_.assign(bytes, bytes + size);
        readAt_ = 0;
    }

private:
    std::vector<uint8_t> bytes_;
    size_t readAt_ = 0;
};
