#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Reads a fuzz input front to back; past its end every read gives zero.
class TFuzzInput {
public:
    TFuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // True while unread bytes remain.
    bool More() const { return pos_ < size_; }

    // The next byte.
    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    // The next sizeof(T) bytes as a T, little end first; zero bytes past the end.
    template <typename T>
    T Raw()
    {
        unsigned char bytes[sizeof(T)] = {};
        for (unsigned char& b : bytes)
            b = Byte();
        T value;
        std::memcpy(&value, bytes, sizeof(T));
        return value;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Thread CPU time in milliseconds.
double ThreadCpuMs();

// Stops the run with a message when a checked promise does not hold.
[[noreturn]] void Violation(const char* what);

// Aborts with `what` unless `ok`.
inline void Check(bool ok, const char* what)
{
    if (!ok)
        Violation(what);
}
