#include "archive/crc16_carryless.h"

#include "archive/crc16.h"

// Only 64-bit x86 is sure to have an operating system that keeps the SSE
// registers across task switches (a 32-bit Windows 95 does not), so only
// there is the instruction used. Elsewhere the tables do all the work.
#if defined(__x86_64__)

#include <immintrin.h>

enum {
    CrcPolynomial = 0x8005,  // x^16 + x^15 + x^2 + 1 without its x^16
    LaneBytes = 16,
    LaneCount = 4,
    StrideBytes = LaneBytes * LaneCount
};

// x^n mod P(x), bit k holding the coefficient of x^k.
static constexpr uint32_t PowerModPolynomial(unsigned n)
{
    uint32_t r = 1;
    for (unsigned i = 0; i < n; i++) {
        r <<= 1;
        if (r & 0x10000)
            r ^= 0x10000 | CrcPolynomial;
    }
    return r;
}

// A polynomial of degree below 16 in the bit order of the data: the
// coefficient of x^k in bit 63 - k, so that it multiplies a reflected
// 64-bit half of the data.
static constexpr uint64_t Reflected64(uint32_t polynomial)
{
    uint64_t r = 0;
    for (unsigned k = 0; k < 16; k++)
        if (polynomial & (1u << k))
            r |= (uint64_t)1 << (63 - k);
    return r;
}

// The pair that carries 16 bytes forward over distanceBits of data after
// them. A 16-byte lane, read little-endian, is the polynomial
// A0 x^64 + A1 with its first byte's bit 0 as the top coefficient of A0,
// and A x^d = A0 x^(64+d) + A1 x^d mod P. The carry-less product of two
// reflected values comes out one place short (x^-1), so each factor is
// taken one power lower: the lane's bytes in 128 bits whose polynomial
// is congruent to A x^d and of degree below 80.
struct FoldPair {
    uint64_t high;  // multiplies A0 (the lane's first eight bytes)
    uint64_t low;   // multiplies A1
};

static constexpr FoldPair MakeFoldPair(unsigned distanceBits)
{
    return FoldPair{Reflected64(PowerModPolynomial(64 + distanceBits - 1)),
                    Reflected64(PowerModPolynomial(distanceBits - 1))};
}

static constexpr FoldPair FoldOverStride = MakeFoldPair(8 * StrideBytes);
static constexpr FoldPair FoldOverThreeLanes = MakeFoldPair(8 * 3 * LaneBytes);
static constexpr FoldPair FoldOverTwoLanes = MakeFoldPair(8 * 2 * LaneBytes);
static constexpr FoldPair FoldOverOneLane = MakeFoldPair(8 * LaneBytes);

__attribute__((target("pclmul,sse2"))) static inline __m128i Fold(__m128i lane, __m128i pair,
                                                                  __m128i into)
{
    __m128i fromFirstHalf = _mm_clmulepi64_si128(lane, pair, 0x00);
    __m128i fromSecondHalf = _mm_clmulepi64_si128(lane, pair, 0x11);
    return _mm_xor_si128(_mm_xor_si128(fromFirstHalf, fromSecondHalf), into);
}

__attribute__((target("pclmul,sse2"))) static inline __m128i PairVector(FoldPair pair)
{
    return _mm_set_epi64x((long long)pair.low, (long long)pair.high);
}

__attribute__((target("pclmul,sse2"))) static inline __m128i LoadLane(const uint8_t *bytes)
{
    return _mm_loadu_si128((const __m128i *)bytes);
}

int CarrylessCrcAvailable(void)
{
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse2");
}

// Four lanes run side by side over 64-byte strides, each carried over the
// stride to the next; they are then carried into the last one and further
// lanes of 16 folded in. What is left is 16 bytes congruent to all before
// them, whose CRC, with the bytes after them, the tables finish.
__attribute__((target("pclmul,sse2"))) uint16_t FoldCrcCarryless(uint16_t crc,
                                                                 const uint8_t *bytes,
                                                                 size_t count)
{
    if (count < StrideBytes)
        return FoldCrcByTables(crc, bytes, count);
    // The register meets the first two bytes.
    __m128i lanes[LaneCount];
    for (int k = 0; k < LaneCount; k++)
        lanes[k] = LoadLane(bytes + k * LaneBytes);
    lanes[0] = _mm_xor_si128(lanes[0], _mm_cvtsi32_si128(crc));
    size_t done = StrideBytes;

    const __m128i overStride = PairVector(FoldOverStride);
    for (; count - done >= StrideBytes; done += StrideBytes) {
        for (int k = 0; k < LaneCount; k++)
            lanes[k] = Fold(lanes[k], overStride, LoadLane(bytes + done + k * LaneBytes));
    }
    __m128i last = Fold(lanes[0], PairVector(FoldOverThreeLanes), lanes[3]);
    last = Fold(lanes[1], PairVector(FoldOverTwoLanes), last);
    last = Fold(lanes[2], PairVector(FoldOverOneLane), last);

    const __m128i overLane = PairVector(FoldOverOneLane);
    for (; count - done >= LaneBytes; done += LaneBytes)
        last = Fold(last, overLane, LoadLane(bytes + done));

    uint8_t folded[LaneBytes];
    _mm_storeu_si128((__m128i *)folded, last);
    uint16_t value = FoldCrcByTables(0, folded, LaneBytes);
    return FoldCrcByTables(value, bytes + done, count - done);
}

#else

int CarrylessCrcAvailable(void)
{
    return 0;
}

uint16_t FoldCrcCarryless(uint16_t crc, const uint8_t *bytes, size_t count)
{
    return FoldCrcByTables(crc, bytes, count);
}

#endif
