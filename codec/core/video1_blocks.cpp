// Block coding choices of the Video 1 encoder: one colour, two colours, eight colours
// in four quadrants, or a skip, picked by squared error plus lambda times the bytes.
// Pure functions; called from Encoder::Encode.
#include <cmath>

#include "video1_internal.h"

namespace video1 {
namespace detail {

namespace {

constexpr int kQuadrant[4][4] = {{0, 1, 4, 5}, {2, 3, 6, 7}, {8, 9, 12, 13}, {10, 11, 14, 15}};
constexpr int kAll[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

// Bytes a skipped block costs on average: a run code shared by its neighbours.
constexpr double kSkipBytes = 0.5;

struct Pair {
    int a[3] = {0, 0, 0}, b[3] = {0, 0, 0};  // colour a goes with set flag bits
    uint16_t maskA = 0;  // bits of the pixels coded with colour a (only the subset's bits)
    long sse = 0;
};

inline int Dist(const BlockPixels& px, int p, const int* c)
{
    const int dr = px.r[p] - c[0], dg = px.g[p] - c[1], db = px.b[p] - c[2];
    return dr * dr + dg * dg + db * db;
}

// Means of the two groups, rounded: the nearest integer to a mean is the best one.
// Returns false when a group is empty.
bool Centroids(const BlockPixels& px, const int* idx, int n, uint16_t maskA, Pair* s)
{
    int sa[3] = {0, 0, 0}, sb[3] = {0, 0, 0}, na = 0;
    for (int i = 0; i < n; ++i) {
        const int p = idx[i];
        int* sum = ((maskA >> p) & 1) ? sa : sb;
        na += (maskA >> p) & 1;
        sum[0] += px.r[p];
        sum[1] += px.g[p];
        sum[2] += px.b[p];
    }
    const int nb = n - na;
    if (na == 0 || nb == 0)
        return false;
    for (int c = 0; c < 3; ++c) {
        s->a[c] = (2 * sa[c] + na) / (2 * na);
        s->b[c] = (2 * sb[c] + nb) / (2 * nb);
    }
    return true;
}

// Two-colour split of a subset of the block: a cut across the widest channel at its
// midpoint, then a few nearest-colour refinements.
void SplitTwo(const BlockPixels& px, const int* idx, int n, Pair* s)
{
    int lo[3] = {31, 31, 31}, hi[3] = {0, 0, 0};
    for (int i = 0; i < n; ++i) {
        const int p = idx[i];
        const int v[3] = {px.r[p], px.g[p], px.b[p]};
        for (int c = 0; c < 3; ++c) {
            if (v[c] < lo[c])
                lo[c] = v[c];
            if (v[c] > hi[c])
                hi[c] = v[c];
        }
    }
    int axis = 0;
    for (int c = 1; c < 3; ++c)
        if (hi[c] - lo[c] > hi[axis] - lo[axis])
            axis = c;
    uint16_t all = 0;
    for (int i = 0; i < n; ++i)
        all |= static_cast<uint16_t>(1u << idx[i]);
    if (hi[axis] == lo[axis]) {
        for (int c = 0; c < 3; ++c)
            s->a[c] = s->b[c] = lo[c];
        s->maskA = all;
        s->sse = 0;
        return;
    }
    const int* chan = axis == 0 ? px.r : axis == 1 ? px.g : px.b;
    uint16_t mask = 0;
    for (int i = 0; i < n; ++i)
        if (2 * chan[idx[i]] > lo[axis] + hi[axis])
            mask |= static_cast<uint16_t>(1u << idx[i]);
    Centroids(px, idx, n, mask, s);  // both sides hold a pixel: lo and hi differ
    for (int iter = 0; iter < 3; ++iter) {
        uint16_t next = 0;
        for (int i = 0; i < n; ++i)
            if (Dist(px, idx[i], s->a) < Dist(px, idx[i], s->b))
                next |= static_cast<uint16_t>(1u << idx[i]);
        if (next == mask)
            break;
        Pair trial = *s;
        if (!Centroids(px, idx, n, next, &trial))
            break;
        mask = next;
        *s = trial;
    }
    s->maskA = mask;
    s->sse = 0;
    for (int i = 0; i < n; ++i) {
        const int p = idx[i];
        s->sse += Dist(px, p, ((mask >> p) & 1) ? s->a : s->b);
    }
}

// Best two-colour split of a quadrant: all seven ways to cut four pixels in two,
// scored by the between-group term of the squared error (|Sa|^2/na + |Sb|^2/nb, times
// six to stay in integers), so only the winner needs its colours worked out.
void SplitQuadrant(const BlockPixels& px, const int* idx, Pair* s)
{
    int v[4][3], total[3] = {0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        v[i][0] = px.r[idx[i]];
        v[i][1] = px.g[idx[i]];
        v[i][2] = px.b[idx[i]];
        for (int c = 0; c < 3; ++c)
            total[c] += v[i][c];
    }
    long bestScore = -1;
    int bestCut = 1;
    for (int cut = 1; cut < 8; ++cut) {  // pixel idx[3] always on side b
        int sa[3] = {0, 0, 0}, na = 0;
        for (int i = 0; i < 3; ++i)
            if ((cut >> i) & 1) {
                ++na;
                for (int c = 0; c < 3; ++c)
                    sa[c] += v[i][c];
            }
        long a2 = 0, b2 = 0;
        for (int c = 0; c < 3; ++c) {
            a2 += sa[c] * sa[c];
            b2 += (total[c] - sa[c]) * (total[c] - sa[c]);
        }
        const long score = a2 * (6 / na) + b2 * (6 / (4 - na));
        if (score > bestScore) {
            bestScore = score;
            bestCut = cut;
        }
    }
    uint16_t mask = 0;
    for (int i = 0; i < 3; ++i)
        if ((bestCut >> i) & 1)
            mask |= static_cast<uint16_t>(1u << idx[i]);
    Centroids(px, idx, 4, mask, s);
    s->maskA = mask;
    s->sse = 0;
    for (int i = 0; i < 4; ++i)
        s->sse += Dist(px, idx[i], ((mask >> idx[i]) & 1) ? s->a : s->b);
}

inline uint16_t Pack(const int* c) { return Pack555(c[0], c[1], c[2]); }

long SseAgainst(const BlockPixels& px, const uint16_t* decoded)
{
    long sse = 0;
    for (int p = 0; p < 16; ++p) {
        const int c[3] = {(decoded[p] >> 10) & 31, (decoded[p] >> 5) & 31, decoded[p] & 31};
        sse += Dist(px, p, c);
    }
    return sse;
}

}  // namespace

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
    int sum[3] = {0, 0, 0};
    long sq[3] = {0, 0, 0};
    for (int p = 0; p < 16; ++p) {
        sum[0] += px.r[p];
        sum[1] += px.g[p];
        sum[2] += px.b[p];
        sq[0] += px.r[p] * px.r[p];
        sq[1] += px.g[p] * px.g[p];
        sq[2] += px.b[p] * px.b[p];
    }
    int c[3];
    for (int k = 0; k < 3; ++k)
        c[k] = (sum[k] + 8) / 16;
    // A fill with red 1 would read as a skip code: take red 0 or 2, whichever is closer.
    if (c[0] == 1) {
        const long e0 = sq[0];
        const long e2 = sq[0] - 4L * sum[0] + 64;
        c[0] = e0 <= e2 ? 0 : 2;
    }
    long sse = 0;
    for (int k = 0; k < 3; ++k)
        sse += sq[k] - 2L * c[k] * sum[k] + 16L * c[k] * c[k];
    const uint16_t colour = Pack(c);
    out->kind = BlockKind::Fill;
    out->wordCount = 1;
    out->words[0] = static_cast<uint16_t>(0x8000 | colour);
    for (int p = 0; p < 16; ++p)
        out->decoded[p] = colour;
    out->sse = sse;
}

void CodeTwoColour(const BlockPixels& px, CodedBlock* out)
{
    Pair s;
    SplitTwo(px, kAll, 16, &s);
    uint16_t flags = s.maskA, c0 = Pack(s.a), c1 = Pack(s.b);
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
    for (int p = 0; p < 16; ++p)
        out->decoded[p] = ((flags >> p) & 1) ? c0 : c1;
    out->sse = s.sse;
}

void CodeEightColour(const BlockPixels& px, CodedBlock* out)
{
    uint16_t flags = 0, c[8];
    long sse = 0;
    for (int q = 0; q < 4; ++q) {
        Pair s;
        SplitQuadrant(px, kQuadrant[q], &s);
        flags |= s.maskA;
        c[2 * q] = Pack(s.a);
        c[2 * q + 1] = Pack(s.b);
        sse += s.sse;
    }
    if (flags & 0x8000) {  // only quadrant 3 holds bit 15: swap its pair
        flags ^= (1u << 10) | (1u << 11) | (1u << 14) | (1u << 15);
        const uint16_t t = c[6];
        c[6] = c[7];
        c[7] = t;
    }
    out->kind = BlockKind::EightColour;
    out->wordCount = 9;
    out->words[0] = flags;
    for (int i = 0; i < 8; ++i)
        out->words[1 + i] = c[i];
    out->words[1] |= 0x8000;  // marks the eight-colour form
    for (int p = 0; p < 16; ++p) {
        const int q = 2 * ((p >> 2) >= 2) + ((p & 3) >= 2);
        out->decoded[p] = c[2 * q + (((flags >> p) & 1) ? 0 : 1)];
    }
    out->sse = sse;
}

void ChooseBlock(const BlockPixels& px, const uint16_t* previous, double lambda, CodedBlock* out)
{
    double bestCost = 1e300;
    if (previous) {
        const long sse = SseAgainst(px, previous);
        out->kind = BlockKind::Skip;
        out->wordCount = 0;
        for (int p = 0; p < 16; ++p)
            out->decoded[p] = previous[p];
        out->sse = sse;
        bestCost = sse + lambda * kSkipBytes;
        // Every coded form costs at least two bytes.
        if (bestCost <= 2 * lambda)
            return;
    }
    CodedBlock trial;
    CodeFill(px, &trial);
    const double fillCost = trial.sse + 2 * lambda;
    if (fillCost < bestCost) {
        *out = trial;
        bestCost = fillCost;
    }
    // Two colours cost four bytes more than one and can at best remove all the error.
    if (trial.sse <= 4 * lambda)
        return;
    CodeTwoColour(px, &trial);
    const double twoCost = trial.sse + 6 * lambda;
    if (twoCost < bestCost) {
        *out = trial;
        bestCost = twoCost;
    }
    if (trial.sse <= 12 * lambda)
        return;
    CodeEightColour(px, &trial);
    if (trial.sse + 18 * lambda < bestCost)
        *out = trial;
}

}  // namespace detail
}  // namespace video1
