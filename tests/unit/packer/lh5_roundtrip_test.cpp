// The packer's "-lh5-" streams decoded by the installer's own decoder: the
// same bytes come back, every packed byte is consumed, and no message is
// shown. Inputs cover the stream's special forms and many generated files.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "tests/support/capture_support.h"
#include "tests/support/decode_stream.h"
#include "tools/lzhpack/lh5_encoder.h"
#include "tools/lzhpack/lh5_token.h"
#include "tools/lzhpack/match_finder.h"
#include "tools/lzhpack/tree_match_finder.h"

namespace {

typedef std::vector<uint8_t> Bytes;

uint32_t NextRandom(uint32_t *state)
{
    uint32_t x = *state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    *state = x;
    return x;
}

// Packs data and checks the decoder's view of it.
void ExpectRoundTrip(const Bytes &data, const char *what, const EncoderSettings *settings = NULL)
{
    EncoderSettings defaults = DefaultEncoderSettings();
    Bytes packed;
    EncodeLh5(data.data(), data.size(), settings != NULL ? settings : &defaults, &packed);
    SupportEvents.clear();
    DecodeRun run = DecodeStream(packed, data.size());
    ASSERT_EQ(run.output.size(), data.size()) << what;
    EXPECT_TRUE(run.output == data) << what << ": decoded bytes differ";
    EXPECT_EQ(run.cursorAtEnd, packed.size()) << what << ": the cursor must end on the next header";
    std::vector<std::string> messages = EventsOf("message: ");
    EXPECT_TRUE(messages.empty()) << what << ": " << (messages.empty() ? "" : messages[0]);
}

Bytes RandomBytes(size_t size, uint32_t seed)
{
    Bytes data(size);
    for (size_t i = 0; i < size; i++)
        data[i] = (uint8_t)NextRandom(&seed);
    return data;
}

TEST(Lh5RoundTrip, EmptyInputGivesAnEmptyStream)
{
    EncoderSettings settings = DefaultEncoderSettings();
    Bytes packed;
    EncodeLh5(NULL, 0, &settings, &packed);
    EXPECT_TRUE(packed.empty());
}

TEST(Lh5RoundTrip, SingleCodeFormsOfTheCharacterAndPositionTrees)
{
    ExpectRoundTrip(Bytes{0x41}, "one byte: one character code, no position code");
    ExpectRoundTrip(Bytes{0x41, 0x42}, "two literals: no position code");
    ExpectRoundTrip(Bytes(300, 0x41), "a run: literal, then matches at distance 0");
    ExpectRoundTrip(Bytes(256 + 1, 0), "a run of zeros one longer than a match");
}

TEST(Lh5RoundTrip, SizesAroundTheWindowAndBlockSizes)
{
    for (size_t size : {8191u, 8192u, 8193u, 16384u, 65535u, 65536u, 65537u}) {
        Bytes text;
        const char *words[] = {"level ", "door ", "key ", "the ", "gate ", "monster ", "\r\n"};
        uint32_t seed = (uint32_t)size;
        while (text.size() < size) {
            const char *word = words[NextRandom(&seed) % 7];
            text.insert(text.end(), word, word + strlen(word));
        }
        text.resize(size);
        ExpectRoundTrip(text, ("text of " + std::to_string(size) + " bytes").c_str());
        ExpectRoundTrip(RandomBytes(size, (uint32_t)size), ("random " + std::to_string(size)).c_str());
    }
}

TEST(Lh5RoundTrip, MatchesReachTheWholeDictionary)
{
    // Random 8192-byte blocks repeated: only a match 8192 bytes back (the
    // largest distance, 8191) finds the repeat.
    Bytes block = RandomBytes(8192, 77);
    Bytes data;
    for (int i = 0; i < 4; i++)
        data.insert(data.end(), block.begin(), block.end());
    EncoderSettings settings = DefaultEncoderSettings();
    Bytes packed;
    EncodeLh5(data.data(), data.size(), &settings, &packed);
    EXPECT_LT(packed.size(), 8192u + 8192u / 4) << "the repeats must be coded as far matches";
    ExpectRoundTrip(data, "8 KiB period");
}

TEST(Lh5RoundTrip, RepeatsAtMultiplesOf65536ComeBackWhole)
{
    // The finder keeps the low 16 bits of positions: a block repeated at
    // a period of 65,536 (or just off it) leaves table entries that look
    // 0 or 1 bytes back, and they must not become matches.
    for (size_t period : {65536u, 65535u, 65537u}) {
        Bytes block = RandomBytes(period, (uint32_t)period);
        Bytes data;
        for (int i = 0; i < 3; i++)
            data.insert(data.end(), block.begin(), block.end());
        ExpectRoundTrip(data, ("period " + std::to_string(period)).c_str());
    }
}

TEST(Lh5RoundTrip, RepeatsInsideRandomDataAreStillFound)
{
    // Over random data only every few positions are searched; a copy of
    // earlier random bytes at any distance must still be found and coded
    // as matches (about 2 bytes per 256-byte match, not the copy's size).
    for (size_t distance : {3001u, 5000u, 8191u}) {
        Bytes data = RandomBytes(60000, (uint32_t)distance);
        size_t copyStart = 40000;
        for (size_t i = 0; i < 6000; i++)
            data[copyStart + i] = data[copyStart - distance + i];
        EncoderSettings settings = DefaultEncoderSettings();
        Bytes packed;
        EncodeLh5(data.data(), data.size(), &settings, &packed);
        EXPECT_LT(packed.size(), 54000u + 1000u) << "distance " << distance << ": the copy was not found";
        ExpectRoundTrip(data, ("copy at distance " + std::to_string(distance)).c_str());
    }
}

TEST(Lh5RoundTrip, TextAfterLongRunsIsSearchedInFull)
{
    // A run is taken in matches of 256 bytes, so few of its positions are
    // searched, all with matches. The text after it, which starts where
    // the third stretch of 4,096 positions (the unit the search effort
    // follows) ends, must be searched as closely as text with nothing
    // before it: the run itself costs a few dozen bytes.
    Bytes text;
    uint32_t seed = 5;
    const char *words[] = {"level ", "door ", "key ", "the ", "gate ", "monster ", "\r\n", "tower "};
    while (text.size() < 12000) {
        const char *word = words[NextRandom(&seed) % 8];
        text.insert(text.end(), word, word + strlen(word));
    }
    Bytes runThenText(12288, 0);
    runThenText.insert(runThenText.end(), text.begin(), text.end());
    EncoderSettings settings = DefaultEncoderSettings();
    Bytes packedText, packedBoth;
    EncodeLh5(text.data(), text.size(), &settings, &packedText);
    EncodeLh5(runThenText.data(), runThenText.size(), &settings, &packedBoth);
    EXPECT_LT(packedBoth.size(), packedText.size() + 200);
    ExpectRoundTrip(runThenText, "run, then text");
}

TEST(MatchFinderRestart, TheDictionaryBeforeTheRestartIsSearchedAndNoFurther)
{
    // A chunk parsed again starts from a finder restarted at its start:
    // 100 bytes there repeat those 5,000 back (inside the dictionary), and
    // 100 bytes later on repeat those 9,000 back (outside it).
    Bytes data = RandomBytes(20000, 21);
    memcpy(&data[10000], &data[5000], 100);
    memcpy(&data[12000], &data[3000], 100);
    MatchFinder *finder = new MatchFinder;
    StartMatchFinder(finder, data.data(), data.size());
    std::vector<PositionCandidates> candidates(EnterAhead);
    RestartMatchFinderAt(finder, 10000, candidates.data());
    EXPECT_EQ(finder->nextEntry, 10000u);
    EnterPositions(finder, 10000 + EnterAhead, candidates.data());

    MatchPair found[MaxMatchPairs];
    int count = SearchPosition(finder, 10000, MaxMatchLength, &candidates[0], MaxChainDepth, found);
    ASSERT_GT(count, 0);
    EXPECT_GE(found[count - 1].length, 100);
    EXPECT_EQ(found[count - 1].distance, 5000 - 1);

    count = SearchPosition(finder, 12000, MaxMatchLength, &candidates[2000], MaxChainDepth, found);
    EXPECT_TRUE(count == 0 || found[count - 1].length < 100);
    delete finder;
}

TEST(Lh5RoundTrip, BlocksNeverHoldMoreThan65535Codes)
{
    // Random bytes are nearly all literals: with the largest chunks the
    // first block is (nearly) full, and its 16-bit count field never says 0
    // (65,536 to the decoder).
    Bytes data = RandomBytes(3 * 65535, 5);
    EncoderSettings settings = DefaultEncoderSettings();
    settings.chunkSize = 1 << 20;  // larger than a block may be: cut to 65535
    Bytes packed;
    EncodeLh5(data.data(), data.size(), &settings, &packed);
    ASSERT_GE(packed.size(), 2u);
    int firstCount = packed[0] << 8 | packed[1];
    EXPECT_NE(firstCount, 0);
    EXPECT_GE(firstCount, 65000);
    ExpectRoundTrip(data, "large chunks", &settings);
}

TEST(Lh5RoundTrip, DeepAndShallowSettingsStayDecodable)
{
    Bytes data;
    uint32_t seed = 9;
    for (int i = 0; i < 60000; i++)
        data.push_back((uint8_t)("abcabdxyz"[NextRandom(&seed) % 9]));
    EncoderSettings settings = DefaultEncoderSettings();
    settings.chainDepth = 1000;  // more than the finder allows: cut to its limit
    settings.niceLength = MaxMatchLength;
    ExpectRoundTrip(data, "deepest search, nothing taken whole", &settings);
    settings.chainDepth = 1;
    settings.niceLength = 3;
    settings.chunkSize = 1000;
    ExpectRoundTrip(data, "shallow search, small chunks", &settings);
    settings.treeDepth = 1;  // a tree walk cut at once: the older nodes leave
    ExpectRoundTrip(data, "trees one node deep", &settings);
    settings = BestEncoderSettings();
    settings.treeDepth = 100000;  // more than the trees allow: cut to their limit
    ExpectRoundTrip(data, "trees at their deepest", &settings);
}

// Generated inputs: pieces of runs, text, noise, and copies of earlier
// pieces at distances near and beyond the dictionary, of many sizes.
Bytes GeneratedInput(uint32_t seed)
{
    Bytes data;
    size_t target = NextRandom(&seed) % 50000;
    while (data.size() < target) {
        uint32_t kind = NextRandom(&seed) % 5;
        size_t length = 1 + NextRandom(&seed) % 3000;
        if (kind == 0) {
            data.insert(data.end(), length, (uint8_t)NextRandom(&seed));
        } else if (kind == 1) {
            for (size_t i = 0; i < length; i++)
                data.push_back((uint8_t)NextRandom(&seed));
        } else if (kind == 2) {
            for (size_t i = 0; i < length; i++)
                data.push_back((uint8_t)('a' + NextRandom(&seed) % 6));
        } else if (!data.empty()) {
            size_t distance = 1 + NextRandom(&seed) % (kind == 3 ? 8192 : 9000);
            if (distance > data.size())
                distance = data.size();
            size_t from = data.size() - distance;
            for (size_t i = 0; i < length; i++)
                data.push_back(data[from + i]);
        }
    }
    data.resize(target);
    return data;
}

TEST(Lh5RoundTrip, GeneratedInputsComeBackWhole)
{
    EncoderSettings best = BestEncoderSettings();
    for (uint32_t seed = 1; seed <= 150; seed++) {
        Bytes data = GeneratedInput(seed * 2654435761u);
        ExpectRoundTrip(data, ("generated input " + std::to_string(seed)).c_str());
        if (seed % 3 == 0)
            ExpectRoundTrip(data, ("generated input " + std::to_string(seed) + ", --best").c_str(), &best);
        if (HasFatalFailure() || HasNonfatalFailure())
            break;
    }
}

// The matches a search of every distance finds at position: the nearest
// of each length up to limit, kept as the trees keep them.
std::vector<MatchPair> NearestOfEveryLength(const Bytes &data, size_t position, int limit)
{
    std::vector<MatchPair> found;
    int best = MinMatchLength - 1;
    for (size_t back = 1; back <= DictionarySize && back <= position; back++) {
        int length = 0;
        while (length < limit && data[position - back + length] == data[position + length])
            length++;
        if (length > best) {
            if (found.size() == MaxMatchPairs)
                found.pop_back();
            found.push_back(MatchPair{(uint16_t)length, (uint16_t)(back - 1)});
            best = length;
        }
    }
    return found;
}

TEST(TreeMatchFinder, GivesTheNearestMatchOfEveryLengthAsASearchOfEveryDistance)
{
    // Runs, text of few letters, noise and copies near and beyond the
    // dictionary's edge, past the trees' storage cycle; some positions'
    // matches cut short, and the last ones cut by the end of the data.
    // The last input is noise with one copy from the dictionary's farthest
    // byte and one from a byte beyond it.
    Bytes edges = RandomBytes(20000, 3);
    memcpy(&edges[9192], &edges[1000], 100);
    memcpy(&edges[15000], &edges[15000 - DictionarySize - 1], 100);
    for (uint32_t seed : {7u, 11u, 12u, 0u}) {
        Bytes data = seed != 0 ? GeneratedInput(seed * 2654435761u) : edges;
        data.resize(data.size() < 24000 ? data.size() : 24000);
        TreeMatchFinder *finder = new TreeMatchFinder;
        StartTreeMatchFinder(finder, data.data(), data.size());
        MatchPair found[MaxMatchPairs];
        size_t mismatches = 0;
        for (size_t position = 0; position < data.size(); position++) {
            size_t left = data.size() - position;
            int limit = left < MaxMatchLength ? (int)left : MaxMatchLength;
            if (position % 5 == 0 && limit > 6)
                limit = 6;
            int count = EnterTreePosition(finder, limit, MaxTreeDepth, found);
            if (position % 7 != 0 && left > 300 && position != 9192 && position != 15000)
                continue;  // entered, not checked: the search of every distance is slow
            std::vector<MatchPair> expected = NearestOfEveryLength(data, position, limit);
            bool same = count == (int)expected.size();
            for (int i = 0; same && i < count; i++)
                same = found[i].length == expected[i].length && found[i].distance == expected[i].distance;
            if (!same && mismatches++ < 3)
                ADD_FAILURE() << "seed " << seed << ", position " << position << ": " << count
                              << " matches, " << expected.size() << " expected";
        }
        EXPECT_EQ(finder->next, data.size());
        EXPECT_EQ(mismatches, 0u) << "seed " << seed;
        delete finder;
    }
}

}  // namespace
