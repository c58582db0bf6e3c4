// Block coding choices of the Video 1 encoder: one colour, two colours, eight colours
// in four quadrants, or a skip, picked by squared error plus lambda times the bytes.
// Pure functions; called from Encoder::Encode.
//
// Speed: every block of a changed frame comes through here, 130,000 of them at 1920x1080.
// A block's channels are held in the compiler's vector types (eight 16-bit lanes, one SSE2
// register: every value, square and sum of three squares fits), the four quadrants of the
// eight-colour split side by side, with no branches inside; decisions are taken between
// them. Divisions are multiplications by exact reciprocals, the dearer forms are tried
// only when they could win, and only the winner's decoded pixels are worked out. Blocks
// of one or two colours, most of a screen, skip the split search and often the fill. The
// stream is the same, byte for byte, as that of the plain scalar coder before it.
#include <cmath>
#include <cstring>

#include "video1_internal.h"

namespace video1 {
namespace detail {

namespace {

constexpr int kQuadrant[4][4] = {{0, 1, 4, 5}, {2, 3, 6, 7}, {8, 9, 12, 13}, {10, 11, 14, 15}};

// Bytes a skipped block costs on average: a run code shared by its neighbours.
constexpr double kSkipBytes = 0.5;

// x / d for 0 <= x and x * d < 65536 (here x <= 2 * 16 * 31 + 16, d <= 32): the
// multiplication by ceil(65536 / d) errs by less than x / 65536 <= 1 / d, never enough
// to reach the next integer.
struct Reciprocals {
    uint32_t of[33];
    constexpr Reciprocals() : of()
    {
        for (int d = 1; d <= 32; ++d)
            of[d] = (65536u + d - 1) / d;
    }
};
constexpr Reciprocals kRecip;

inline int RoundedMean(int sum, int n)  // (2 * sum + n) / (2 * n), n in 1..16
{
    return static_cast<int>((static_cast<uint32_t>(2 * sum + n) * kRecip.of[2 * n]) >> 16);
}

// The coded words and error of one form, without its decoded pixels.
struct Candidate {
    BlockKind kind = BlockKind::Skip;
    int wordCount = 0;
    uint16_t words[9] = {};
    long sse = 0;
};

// Eight 16-bit lanes, as the compiler's vector extension: one SSE2 register, or plain
// code where there is none. A block's channel is two of them.
typedef int16_t Lanes __attribute__((vector_size(16)));

struct Planes {
    Lanes c[3][2];  // red, green, blue; pixels 0-7 and 8-15
};

inline Planes Load(const BlockPixels& px)
{
    Planes pl;
    std::memcpy(pl.c[0], px.r, sizeof px.r);
    std::memcpy(pl.c[1], px.g, sizeof px.g);
    std::memcpy(pl.c[2], px.b, sizeof px.b);
    return pl;
}

inline Lanes Splat(int v)
{
    const int16_t x = static_cast<int16_t>(v);
    return Lanes{x, x, x, x, x, x, x, x};
}

inline Lanes Select(Lanes mask, Lanes a, Lanes b) { return (mask & a) | (~mask & b); }

// Horizontal folds: each step combines the upper half of the lanes into the lower.
template <typename V, typename Op>
inline V Fold(V v, Op op)
{
    v = op(v, __builtin_shufflevector(v, v, 4, 5, 6, 7, 0, 1, 2, 3));
    v = op(v, __builtin_shufflevector(v, v, 2, 3, 0, 1, 4, 5, 6, 7));
    return op(v, __builtin_shufflevector(v, v, 1, 0, 2, 3, 4, 5, 6, 7));
}
inline int Sum(Lanes v)
{
    return Fold(v, [](Lanes a, Lanes b) { return a + b; })[0];
}
// Sums of squared distances pass 32767 but not 65535: they are added as unsigned lanes.
typedef uint16_t UnsignedLanes __attribute__((vector_size(16)));
inline int SumUnsigned(Lanes v)
{
    return Fold(__builtin_convertvector(v, UnsignedLanes),
                [](UnsignedLanes a, UnsignedLanes b) { return a + b; })[0];
}

// Bit p of a 16-bit word for the pixel p in lane p % 8 of half p / 8.
const Lanes kPixelBit[2] = {{1, 2, 4, 8, 16, 32, 64, 128},
                            {256, 512, 1024, 2048, 4096, 8192, 16384, INT16_MIN}};
inline int Min(Lanes v)
{
    return Fold(v, [](Lanes a, Lanes b) { return Select(a < b, a, b); })[0];
}
inline int Max(Lanes v)
{
    return Fold(v, [](Lanes a, Lanes b) { return Select(a > b, a, b); })[0];
}

// Squared distance of every pixel to the colour c (at most 3 * 31^2: fits 16 bits).
inline void DistTo(const Planes& pl, const int* c, Lanes* d)
{
    const Lanes cr = Splat(c[0]), cg = Splat(c[1]), cb = Splat(c[2]);
    for (int h = 0; h < 2; ++h) {
        const Lanes dr = pl.c[0][h] - cr, dg = pl.c[1][h] - cg, db = pl.c[2][h] - cb;
        d[h] = dr * dr + dg * dg + db * db;
    }
}

// Bit p of a block mask from lanes of 0 / -1, pixel p in lane p % 8 of half p / 8.
inline uint16_t MaskOf(const Lanes* member)
{
    const Lanes bits = (member[0] & kPixelBit[0]) | (member[1] & kPixelBit[1]);
    return static_cast<uint16_t>(Fold(bits, [](Lanes a, Lanes b) { return a | b; })[0]);
}

// Two-colour split of the whole block: a cut across the widest channel at its midpoint,
// then a few nearest-colour refinements. Membership of side a is kept as lanes of -1.
struct Split {
    int a[3], b[3];
    uint16_t maskA;
    long sse;
};

void SplitTwo(const Planes& pl, Split* s)
{
    int lo[3], hi[3], total[3];
    for (int c = 0; c < 3; ++c) {
        const Lanes x = pl.c[c][0], y = pl.c[c][1];
        lo[c] = Min(Select(x < y, x, y));
        hi[c] = Max(Select(x > y, x, y));
        total[c] = Sum(x + y);
    }
    int axis = 0;
    for (int c = 1; c < 3; ++c)
        if (hi[c] - lo[c] > hi[axis] - lo[axis])
            axis = c;
    if (hi[axis] == lo[axis]) {
        for (int c = 0; c < 3; ++c)
            s->a[c] = s->b[c] = lo[c];
        s->maskA = 0xFFFF;
        s->sse = 0;
        return;
    }
    Lanes inA[2], next[2], da[2], db[2];
    const Lanes mid = Splat(lo[axis] + hi[axis]);
    for (int h = 0; h < 2; ++h)
        inA[h] = (pl.c[axis][h] + pl.c[axis][h]) > mid;
    // Both sides hold a pixel here: lo and hi differ.
    auto centroids = [&](const Lanes* member, int na) {
        for (int c = 0; c < 3; ++c) {
            const int sa = Sum((member[0] & pl.c[c][0]) + (member[1] & pl.c[c][1]));
            s->a[c] = RoundedMean(sa, na);
            s->b[c] = RoundedMean(total[c] - sa, 16 - na);
        }
    };
    centroids(inA, -Sum(inA[0] + inA[1]));
    bool distancesFresh = false;
    for (int iter = 0; iter < 3; ++iter) {
        DistTo(pl, s->a, da);
        DistTo(pl, s->b, db);
        distancesFresh = true;
        next[0] = da[0] < db[0];
        next[1] = da[1] < db[1];
        const Lanes changed = (next[0] ^ inA[0]) | (next[1] ^ inA[1]);
        uint64_t c2[2];
        std::memcpy(c2, &changed, sizeof c2);
        if ((c2[0] | c2[1]) == 0)
            break;
        const int na = -Sum(next[0] + next[1]);
        if (na == 0 || na == 16)
            break;
        inA[0] = next[0];
        inA[1] = next[1];
        centroids(inA, na);
        distancesFresh = false;
    }
    if (!distancesFresh) {
        DistTo(pl, s->a, da);
        DistTo(pl, s->b, db);
    }
    s->maskA = MaskOf(inA);
    s->sse = SumUnsigned(Select(inA[0], da[0], db[0]) + Select(inA[1], da[1], db[1]));
}

inline uint16_t Pack(const int* c) { return Pack555(c[0], c[1], c[2]); }

long SseAgainst(const Planes& pl, const uint16_t* decoded)
{
    Lanes sum = Splat(0);
    for (int h = 0; h < 2; ++h) {
        Lanes v;
        std::memcpy(&v, decoded + 8 * h, sizeof v);
        const Lanes five = Splat(31);
        const Lanes dr = pl.c[0][h] - ((v >> 10) & five), dg = pl.c[1][h] - ((v >> 5) & five),
                    db = pl.c[2][h] - (v & five);
        sum += dr * dr + dg * dg + db * db;
    }
    return SumUnsigned(sum);
}

// The fill closest to a block whose channel sums and sums of squares these are. Every
// term fits an int (a sum of squares is at most 16 * 31^2).
inline void FillFromMoments(const int* sum, const int* sq, Candidate* out)
{
    int c[3];
    for (int k = 0; k < 3; ++k)
        c[k] = (sum[k] + 8) >> 4;  // sums are never negative: / 16 by a shift
    // A fill with red 1 would read as a skip code: take red 0 or 2, whichever is closer.
    // Red 0 errs sq, red 2 sq - 4 sum + 64: no more exactly when sum <= 16.
    if (c[0] == 1)
        c[0] = sum[0] <= 16 ? 0 : 2;
    int sse = 0;
    for (int k = 0; k < 3; ++k)
        sse += sq[k] - 2 * c[k] * sum[k] + 16 * c[k] * c[k];
    out->kind = BlockKind::Fill;
    out->wordCount = 1;
    out->words[0] = static_cast<uint16_t>(0x8000 | Pack(c));
    out->sse = sse;
}

void FillWords(const Planes& pl, Candidate* out)
{
    int sum[3], sq[3];
    for (int k = 0; k < 3; ++k) {
        const Lanes x = pl.c[k][0], y = pl.c[k][1];
        sum[k] = Sum(x + y);
        sq[k] = Sum(x * x + y * y);  // at most 16 * 31^2
    }
    FillFromMoments(sum, sq, out);
}

// The two-colour words for side a, side b and the pixels of side a.
void TwoColourOf(const int* a, const int* b, uint16_t maskA, long sse, Candidate* out)
{
    uint16_t flags = maskA, c0 = Pack(a), c1 = Pack(b);
    // Flag bit 15 set would turn the flags word into a fill or skip code.
    if (flags & 0x8000) {
        flags = static_cast<uint16_t>(~flags);
        const uint16_t t = c0;
        c0 = c1;
        c1 = t;
    }
    out->kind = BlockKind::TwoColour;
    out->wordCount = 3;
    out->words[0] = flags;
    out->words[1] = c0;
    out->words[2] = c1;
    out->sse = sse;
}

void TwoColourWords(const Planes& pl, Candidate* out)
{
    Split s;
    SplitTwo(pl, &s);
    TwoColourOf(s.a, s.b, s.maskA, s.sse, out);
}

// Blocks of one or two colours (flat areas, plain text, window chrome) are most of a
// screen. For them the fill's moments follow from the two colours and their counts, and
// the two-colour split is exact: SplitTwo's cut across the widest channel already
// separates the colours, each centroid is its colour, and the first refinement changes
// nothing.
struct FewColours {
    int first[3], second[3];  // second == first for a block of one colour
    uint16_t maskFirst;       // the pixels of the first colour
    int countFirst;
};

bool AllSet(Lanes v)
{
    uint64_t t[2];
    std::memcpy(t, &v, sizeof t);
    return (t[0] & t[1]) == ~0ull;
}

bool FindFewColours(const Planes& pl, const BlockPixels& px, FewColours* few)
{
    Lanes packed[2], isFirst[2];
    for (int h = 0; h < 2; ++h)
        packed[h] = (pl.c[0][h] << 10) | (pl.c[1][h] << 5) | pl.c[2][h];
    const Lanes first = Splat(packed[0][0]);
    for (int h = 0; h < 2; ++h)
        isFirst[h] = packed[h] == first;
    few->maskFirst = MaskOf(isFirst);
    few->countFirst = -Sum(isFirst[0] + isFirst[1]);  // no popcount instruction in SSE2
    const int other = few->maskFirst == 0xFFFF ? 0 : __builtin_ctz(~few->maskFirst & 0xFFFFu);
    const Lanes second = Splat(packed[other / 8][other % 8]);
    if (!AllSet((isFirst[0] | (packed[0] == second)) & (isFirst[1] | (packed[1] == second))))
        return false;
    const int16_t* planes[3] = {px.r, px.g, px.b};
    for (int c = 0; c < 3; ++c) {
        few->first[c] = planes[c][0];
        few->second[c] = planes[c][other];
    }
    return true;
}

void FillFromFew(const FewColours& few, Candidate* out)
{
    const int n = few.countFirst, m = 16 - n;
    int sum[3], sq[3];
    for (int c = 0; c < 3; ++c) {
        const int u = few.first[c], v = few.second[c];
        sum[c] = n * u + m * v;
        sq[c] = n * u * u + m * v * v;
    }
    FillFromMoments(sum, sq, out);
}

// Whether the fill of a block of two colours errs by at least bound + 1, told without
// making it: whatever colour a fill takes, its error is at least that around the block's
// mean, n m |first - second|^2 / 16 for counts n and m. The whole unit to spare keeps the
// costs built on that error clear of any rounding, in double or x87 precision alike.
inline bool FillErrsWellAbove(const FewColours& few, double bound)
{
    int distance = 0;
    for (int c = 0; c < 3; ++c) {
        const int d = few.first[c] - few.second[c];
        distance += d * d;
    }
    return few.countFirst * (16 - few.countFirst) * distance >= 16 * (bound + 1);
}

// Which colour SplitTwo puts on side a does not matter: the flag bit 15 rule turns the
// words round so that pixel 15's colour is the second. One colour is two equal ones.
void TwoColourFromFew(const FewColours& few, Candidate* out)
{
    TwoColourOf(few.first, few.second, few.maskFirst, 0, out);
}

// Best two-colour split of each quadrant: all seven ways to cut four pixels in two
// (the quadrant's last pixel always on side b), scored by the between-group term of the
// squared error (|Sa|^2/na + |Sb|^2/nb, times six to stay in integers), the first best
// cut winning. The four quadrants go side by side: lanes 0-3 hold side a of quadrants
// 0-3, lanes 4-7 side b, so one multiplication squares both sides of every quadrant.
typedef int32_t Quads __attribute__((vector_size(16)));
typedef int16_t Quads16 __attribute__((vector_size(8)));

// The flag bits of side a of quadrant q for each cut.
struct CutBits {
    uint16_t of[4][8];
    constexpr CutBits() : of()
    {
        for (int q = 0; q < 4; ++q)
            for (int cut = 0; cut < 8; ++cut)
                for (int i = 0; i < 3; ++i)
                    if ((cut >> i) & 1)
                        of[q][cut] = static_cast<uint16_t>(of[q][cut] | (1u << kQuadrant[q][i]));
    }
};
constexpr CutBits kCutBits;

void EightColourWords(const Planes& pl, Candidate* out)
{
    const Lanes sign = {1, 1, 1, 1, -1, -1, -1, -1};
    const Lanes upper = {0, 0, 0, 0, -1, -1, -1, -1};
    // [channel][cut]: the sums of side a of the quadrants, then side b's; squares[cut]:
    // the same for the squares of the channels, all three added.
    Lanes side[3][8], squares[8];
    Lanes w0 = Splat(0), w1 = w0, w2 = w0, w3 = w0;
    for (int c = 0; c < 3; ++c) {
        const Lanes lo = pl.c[c][0], hi = pl.c[c][1];
        // Pixel i of every quadrant (kQuadrant), twice.
        const Lanes v0 = __builtin_shufflevector(lo, hi, 0, 2, 8, 10, 0, 2, 8, 10);
        const Lanes v1 = __builtin_shufflevector(lo, hi, 1, 3, 9, 11, 1, 3, 9, 11);
        const Lanes v2 = __builtin_shufflevector(lo, hi, 4, 6, 12, 14, 4, 6, 12, 14);
        const Lanes v3 = __builtin_shufflevector(lo, hi, 5, 7, 13, 15, 5, 7, 13, 15);
        w0 += v0 * v0;
        w1 += v1 * v1;
        w2 += v2 * v2;
        w3 += v3 * v3;
        const Lanes p0 = v0 * sign, p1 = v1 * sign, p2 = v2 * sign;
        side[c][0] = (v0 + v1 + v2 + v3) & upper;  // no pixel on side a
        side[c][1] = side[c][0] + p0;
        side[c][2] = side[c][0] + p1;
        side[c][3] = side[c][1] + p1;
        for (int cut = 4; cut < 8; ++cut)
            side[c][cut] = side[c][cut - 4] + p2;
    }
    {
        const Lanes p0 = w0 * sign, p1 = w1 * sign, p2 = w2 * sign;
        squares[0] = (w0 + w1 + w2 + w3) & upper;
        squares[1] = squares[0] + p0;
        squares[2] = squares[0] + p1;
        squares[3] = squares[1] + p1;
        for (int cut = 4; cut < 8; ++cut)
            squares[cut] = squares[cut - 4] + p2;
    }
    constexpr int kWeightA[8] = {0, 6, 6, 3, 6, 3, 3, 2};  // 6 / na
    constexpr int kWeightB[8] = {0, 2, 2, 3, 2, 3, 3, 6};  // 6 / (4 - na)
    Quads best = {-1, -1, -1, -1}, bestCut = {1, 1, 1, 1};
    for (int cut = 1; cut < 8; ++cut) {
        // Squares of sums of up to three 5-bit values, three channels: at most 25947.
        const Lanes sq =
            side[0][cut] * side[0][cut] + side[1][cut] * side[1][cut] + side[2][cut] * side[2][cut];
        const Quads a2 =
            __builtin_convertvector(__builtin_shufflevector(sq, sq, 0, 1, 2, 3), Quads);
        const Quads b2 =
            __builtin_convertvector(__builtin_shufflevector(sq, sq, 4, 5, 6, 7), Quads);
        const Quads score = a2 * kWeightA[cut] + b2 * kWeightB[cut];
        const Quads better = score > best;
        best = (better & score) | (~better & best);
        bestCut = (better & cut) | (~better & bestCut);
    }
    // The winning cut's sums, pixel counts and squares, lane by lane.
    const Quads16 cut4 = __builtin_convertvector(bestCut, Quads16);
    const Lanes cuts = __builtin_shufflevector(cut4, cut4, 0, 1, 2, 3, 0, 1, 2, 3);
    constexpr int kCount[8] = {0, 1, 1, 2, 1, 2, 2, 3};
    Lanes sum[3] = {Splat(0), Splat(0), Splat(0)}, n = Splat(0), sq = Splat(0);
    for (int cut = 1; cut < 8; ++cut) {
        const Lanes is = cuts == Splat(cut);
        const int16_t na = static_cast<int16_t>(kCount[cut]), nb = static_cast<int16_t>(4 - na);
        n |= is & Lanes{na, na, na, na, nb, nb, nb, nb};
        for (int c = 0; c < 3; ++c)
            sum[c] |= is & side[c][cut];
        sq |= is & squares[cut];
    }
    // Rounded means (2 * sum + n) / (2 * n) for n of 1, 2 and 3: x / 6 is (x * 171) >> 10
    // for every x up to 189 (and x * 171 stays under 32768).
    const Lanes one = n == Splat(1), two = n == Splat(2);
    Lanes mean[3], packed = Splat(0), sse = sq;
    for (int c = 0; c < 3; ++c) {
        const Lanes x = sum[c];
        mean[c] = Select(one, x, Select(two, (x + 1) >> 1, ((x + x + 3) * 171) >> 10));
        // The squared error of a side around its mean: sum of squares - 2 m sum + n m^2.
        sse += n * mean[c] * mean[c] - ((mean[c] * x) << 1);
        packed |= mean[c] << (10 - 5 * c);
    }
    uint16_t flags = 0, colour[8];
    for (int q = 0; q < 4; ++q) {
        flags = static_cast<uint16_t>(flags | kCutBits.of[q][bestCut[q]]);
        colour[2 * q] = static_cast<uint16_t>(packed[q]);
        colour[2 * q + 1] = static_cast<uint16_t>(packed[4 + q]);
    }
    if (flags & 0x8000) {  // only quadrant 3 holds bit 15: swap its pair
        flags ^= (1u << 10) | (1u << 11) | (1u << 14) | (1u << 15);
        const uint16_t t = colour[6];
        colour[6] = colour[7];
        colour[7] = t;
    }
    out->kind = BlockKind::EightColour;
    out->wordCount = 9;
    out->words[0] = flags;
    for (int i = 0; i < 8; ++i)
        out->words[1 + i] = colour[i];
    out->words[1] |= 0x8000;  // marks the eight-colour form
    out->sse = SumUnsigned(sse);
}

// What a decoder makes of the words of a coded (not skipped) block.
inline void Decode(const Candidate& c, uint16_t* decoded)
{
    const Lanes flags = Splat(c.words[0]);
    Lanes half[2];
    switch (c.kind) {
    case BlockKind::Fill: half[0] = half[1] = Splat(c.words[0] & 0x7FFF); break;
    case BlockKind::TwoColour:
        for (int h = 0; h < 2; ++h)
            half[h] = Select((flags & kPixelBit[h]) != 0, Splat(c.words[1]), Splat(c.words[2]));
        break;
    case BlockKind::EightColour:
        // Pixels 0-7 are the lower two rows: quadrants 0 0 1 1 0 0 1 1; 8-15 the upper.
        for (int h = 0; h < 2; ++h) {
            const int16_t a0 = static_cast<int16_t>(c.words[1 + 4 * h] & 0x7FFF);
            const int16_t b0 = static_cast<int16_t>(c.words[2 + 4 * h]);
            const int16_t a1 = static_cast<int16_t>(c.words[3 + 4 * h]);
            const int16_t b1 = static_cast<int16_t>(c.words[4 + 4 * h]);
            half[h] = Select((flags & kPixelBit[h]) != 0, Lanes{a0, a0, a1, a1, a0, a0, a1, a1},
                             Lanes{b0, b0, b1, b1, b0, b0, b1, b1});
        }
        break;
    case BlockKind::Skip: return;
    }
    std::memcpy(decoded, half, sizeof half);
}

inline void Take(const Candidate& c, CodedBlock* out)
{
    out->kind = c.kind;
    out->wordCount = c.wordCount;
    // All nine words, the unused ones too: a fixed size copies in two moves, where a
    // copy of wordCount words became a library call.
    std::memcpy(out->words, c.words, sizeof out->words);
    out->sse = c.sse;
}

inline void TakeAndDecode(const Candidate& c, CodedBlock* out)
{
    Take(c, out);
    Decode(c, out->decoded);
}

}  // namespace

void UnpackBlock(const uint16_t* origin, int stride, BlockPixels* px)
{
    Lanes half[2];
    for (int h = 0; h < 2; ++h) {
        uint16_t rows[8];
        std::memcpy(rows, origin + static_cast<ptrdiff_t>(2 * h) * stride, 8);
        std::memcpy(rows + 4, origin + static_cast<ptrdiff_t>(2 * h + 1) * stride, 8);
        std::memcpy(&half[h], rows, sizeof rows);
    }
    const Lanes five = Splat(31);
    for (int h = 0; h < 2; ++h) {
        const Lanes r = (half[h] >> 10) & five, g = (half[h] >> 5) & five, b = half[h] & five;
        std::memcpy(px->r + 8 * h, &r, sizeof r);
        std::memcpy(px->g + 8 * h, &g, sizeof g);
        std::memcpy(px->b + 8 * h, &b, sizeof b);
    }
}

double LambdaForQuality(int quality)
{
    if (quality < 0)
        quality = kDefaultQuality;
    if (quality > 10000)
        quality = 10000;
    // Doubling every 1000 steps from near-lossless at 10000; below 5000 the curve steepens
    // so the lowest settings reach the sizes of a coarse, fill-heavy coding.
    if (quality >= 5000)
        return 0.25 * std::pow(2.0, (10000 - quality) / 1000.0);
    return 8.0 * std::pow(2.0, (5000 - quality) / 500.0);
}

void CodeFill(const BlockPixels& px, CodedBlock* out)
{
    Candidate c;
    FillWords(Load(px), &c);
    TakeAndDecode(c, out);
}

void CodeTwoColour(const BlockPixels& px, CodedBlock* out)
{
    Candidate c;
    TwoColourWords(Load(px), &c);
    TakeAndDecode(c, out);
}

void CodeEightColour(const BlockPixels& px, CodedBlock* out)
{
    Candidate c;
    EightColourWords(Load(px), &c);
    TakeAndDecode(c, out);
}

namespace {

// The choice of ChooseBlock, with or without the shortcut for blocks of one or two colours.
template <bool kShortcuts>
void Choose(const BlockPixels& px, const uint16_t* previous, double lambda, CodedBlock* out)
{
    // A form that costs at least n bytes loses to a best cost of at most n * lambda (it
    // must be strictly cheaper), so the dearer forms are not even tried then.
    double bestCost = 1e300;
    const Planes pl = Load(px);
    if (previous) {
        const long sse = SseAgainst(pl, previous);
        out->kind = BlockKind::Skip;
        out->wordCount = 0;
        std::memcpy(out->decoded, previous, sizeof out->decoded);
        out->sse = sse;
        bestCost = sse + lambda * kSkipBytes;
        if (bestCost <= 2 * lambda)
            return;
    }
    FewColours few;
    const bool isFew = kShortcuts && FindFewColours(pl, px, &few);
    Candidate fill, two, eight;
    const Candidate* best = nullptr;
    if (isFew && FillErrsWellAbove(few, 4 * lambda)) {
        // Then the exact two colours cost less than the fill, and the fill's words and
        // error decide nothing below: whether two colours beat the skip is all that is left.
        if (bestCost > 6 * lambda) {
            TwoColourFromFew(few, &two);
            TakeAndDecode(two, out);
        }
        return;
    }
    if (isFew)
        FillFromFew(few, &fill);
    else
        FillWords(pl, &fill);
    const double fillCost = fill.sse + 2 * lambda;
    if (fillCost < bestCost) {
        best = &fill;
        bestCost = fillCost;
    }
    // Two colours can at best remove all the error, for four bytes more than one.
    if (bestCost > 6 * lambda && fill.sse > 4 * lambda) {
        if (isFew)
            TwoColourFromFew(few, &two);
        else
            TwoColourWords(pl, &two);
        const double twoCost = two.sse + 6 * lambda;
        if (twoCost < bestCost) {
            best = &two;
            bestCost = twoCost;
        }
        if (bestCost > 18 * lambda && two.sse > 12 * lambda) {
            EightColourWords(pl, &eight);
            if (eight.sse + 18 * lambda < bestCost)
                best = &eight;
        }
    }
    if (best)
        TakeAndDecode(*best, out);
}

}  // namespace

void ChooseBlock(const BlockPixels& px, const uint16_t* previous, double lambda, CodedBlock* out)
{
    Choose<true>(px, previous, lambda, out);
}

void ChooseBlockGeneral(const BlockPixels& px, const uint16_t* previous, double lambda,
                        CodedBlock* out)
{
    Choose<false>(px, previous, lambda, out);
}

}  // namespace detail
}  // namespace video1
