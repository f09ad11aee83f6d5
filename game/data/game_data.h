// The sample demo game's data files: levels, pictures, sounds, music, an
// intro animation, a palette, a font, a readme and a configuration file,
// all made from fixed seeds so that every build makes the same bytes.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <vector>

typedef std::vector<uint8_t> Bytes;

// A small deterministic generator (xorshift32); never seeded with 0.
struct PseudoRandom {
    uint32_t state;
};

static inline void SeedRandom(PseudoRandom *random, uint32_t seed)
{
    random->state = seed != 0 ? seed : 0x9E3779B9u;
}

static inline uint32_t NextRandom(PseudoRandom *random)
{
    uint32_t x = random->state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    random->state = x;
    return x;
}

// A number from 0 to limit - 1 (limit > 0).
static inline uint32_t RandomBelow(PseudoRandom *random, uint32_t limit)
{
    return NextRandom(random) % limit;
}

static inline void AppendLittle16(Bytes *out, uint32_t value)
{
    out->push_back((uint8_t)value);
    out->push_back((uint8_t)(value >> 8));
}

static inline void AppendLittle32(Bytes *out, uint32_t value)
{
    AppendLittle16(out, value);
    AppendLittle16(out, value >> 16);
}

static inline void AppendText(Bytes *out, const char *text)
{
    while (*text != '\0')
        out->push_back((uint8_t)*text++);
}

// The game's 256-colour palette as 256 RGB triples (768 bytes).
void MakePalette(Bytes *out);

// Pictures: 8-bit BMP files with the game's palette.
void MakeWallTexture(Bytes *out);
void MakeFloorTexture(Bytes *out);
void MakeSkyPicture(Bytes *out);
void MakeSpriteSheet(Bytes *out);
void MakeTitlePicture(Bytes *out);
void MakeFontPicture(Bytes *out);

// The bitmap font's glyph table.
void MakeFontTable(Bytes *out);

// Level maps: a header, tile and attribute layers, and a list of things.
void MakeLevel(int number, Bytes *out);

// Sounds: 8-bit mono PCM WAVE files.
void MakeJumpSound(Bytes *out);
void MakeShotSound(Bytes *out);
void MakeExplosionSound(Bytes *out);
void MakePickupSound(Bytes *out);
void MakeDoorSound(Bytes *out);
void MakeVoiceOver(Bytes *out);

// Music: tracker-style songs (instrument samples, patterns, an order list).
void MakeSong(int number, Bytes *out);

// The intro animation: a header and full 320 by 200 frames.
void MakeIntroAnimation(Bytes *out);

// Texts.
void MakeReadme(Bytes *out);
void MakeConfiguration(Bytes *out);
