#pragma once

#include <compare>
#include <concepts>
#include <cstdint>

// An unsigned 128-bit integer in two 64-bit halves: the few exact products of the canvas that
// outgrow 64 bits, in plain C++ on every target (32-bit ones have no wider built-in type).
// Arithmetic wraps modulo 2^128 like a built-in unsigned type; divisors must lie in 1 .. 2^127 - 1.
class TUint128 {
public:
    constexpr TUint128() = default;
    // Mixes with the built-in integers as they mix with each other; a negative value must not be passed.
    template <std::integral I>
    constexpr TUint128(I v) : lo_(static_cast<std::uint64_t>(v))
    {}

    // The low 64 bits, as a value known to fit.
    explicit constexpr operator long long() const { return static_cast<long long>(lo_); }

    // The full product of two 64-bit values.
    static constexpr TUint128 Product(std::uint64_t a, std::uint64_t b)
    {
        const std::uint64_t mask = 0xFFFF'FFFFu;
        const std::uint64_t a0 = a & mask, a1 = a >> 32, b0 = b & mask, b1 = b >> 32;
        const std::uint64_t low = a0 * b0;
        const std::uint64_t mid1 = a1 * b0 + (low >> 32);  // fits: (2^32 - 1)^2 + 2^32 - 1 < 2^64
        const std::uint64_t mid2 = a0 * b1 + (mid1 & mask);
        TUint128 r;
        r.hi_ = a1 * b1 + (mid1 >> 32) + (mid2 >> 32);
        r.lo_ = (mid2 << 32) | (low & mask);
        return r;
    }

    friend constexpr TUint128 operator+(TUint128 a, TUint128 b)
    {
        TUint128 r;
        r.lo_ = a.lo_ + b.lo_;
        r.hi_ = a.hi_ + b.hi_ + (r.lo_ < a.lo_ ? 1u : 0u);
        return r;
    }
    friend constexpr TUint128 operator-(TUint128 a, TUint128 b)
    {
        TUint128 r;
        r.lo_ = a.lo_ - b.lo_;
        r.hi_ = a.hi_ - b.hi_ - (a.lo_ < b.lo_ ? 1u : 0u);
        return r;
    }
    friend constexpr TUint128 operator*(TUint128 a, TUint128 b)
    {
        TUint128 r = Product(a.lo_, b.lo_);
        r.hi_ += a.hi_ * b.lo_ + a.lo_ * b.hi_;
        return r;
    }
    friend constexpr TUint128 operator/(TUint128 a, TUint128 b)
    {
        TUint128 q, r;
        DivMod(a, b, q, r);
        return q;
    }
    friend constexpr TUint128 operator%(TUint128 a, TUint128 b)
    {
        TUint128 q, r;
        DivMod(a, b, q, r);
        return r;
    }
    friend constexpr auto operator<=>(const TUint128&, const TUint128&) = default;
    friend constexpr bool operator==(const TUint128&, const TUint128&) = default;

    constexpr std::uint64_t High() const { return hi_; }
    constexpr std::uint64_t Low() const { return lo_; }

private:
    // Schoolbook binary long division, a bit at a time: only far-away lines come here.
    static constexpr void DivMod(TUint128 n, TUint128 d, TUint128& q, TUint128& r)
    {
        for (int bit = 127; bit >= 0; --bit) {
            const std::uint64_t word = bit >= 64 ? n.hi_ : n.lo_;
            r.hi_ = (r.hi_ << 1) | (r.lo_ >> 63);
            r.lo_ = (r.lo_ << 1) | ((word >> (bit % 64)) & 1u);
            if (r >= d) {
                r = r - d;
                (bit >= 64 ? q.hi_ : q.lo_) |= std::uint64_t{1} << (bit % 64);
            }
        }
    }

    std::uint64_t hi_ = 0;  // declared first, so the defaulted comparison orders by value
    std::uint64_t lo_ = 0;
};
