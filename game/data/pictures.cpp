// Pictures of the sample game: textures, sky, sprites, title and font, all
// 8-bit BMP files drawn procedurally in the game's palette.
#include "game/data/game_data.h"

#include <math.h>
#include <string.h>

static const double Pi = 3.14159265358979323846;

// Palette layout: 16 ramps of 16 shades (dark to light) of different hues.
enum {
    RampGrey = 0,
    RampBrick = 1,
    RampStone = 2,
    RampGrass = 3,
    RampSky = 4,
    RampSkin = 5,
    RampGold = 6,
    RampFire = 7,
    RampWater = 8,
    RampWood = 9,
    RampSlime = 10,
    RampMetal = 11,
    RampNight = 12,
    RampRose = 13,
    RampSand = 14,
    RampIce = 15
};

static const uint8_t RampColours[16][3] = {
    {255, 255, 255}, {200, 80, 60},  {170, 160, 150}, {80, 190, 70},
    {120, 170, 255}, {240, 190, 150}, {255, 210, 60}, {255, 120, 20},
    {40, 120, 220},  {160, 110, 60}, {140, 230, 60},  {170, 190, 210},
    {60, 60, 140},   {240, 120, 170}, {230, 210, 150}, {200, 240, 255}};

void MakePalette(Bytes *out)
{
    for (int ramp = 0; ramp < 16; ramp++)
        for (int shade = 0; shade < 16; shade++)
            for (int c = 0; c < 3; c++)
                out->push_back((uint8_t)(RampColours[ramp][c] * (shade + 1) / 16));
}

static inline uint8_t Shade(int ramp, int shade)
{
    if (shade < 0)
        shade = 0;
    if (shade > 15)
        shade = 15;
    return (uint8_t)(ramp * 16 + shade);
}

// A picture being drawn: width by height palette indexes, top row first.
struct Picture {
    int width;
    int height;
    Bytes pixels;
};

static void StartPicture(Picture *picture, int width, int height, uint8_t fill)
{
    picture->width = width;
    picture->height = height;
    picture->pixels.assign((size_t)width * height, fill);
}

static inline void PutPixel(Picture *picture, int x, int y, uint8_t colour)
{
    if (x >= 0 && y >= 0 && x < picture->width && y < picture->height)
        picture->pixels[(size_t)y * picture->width + x] = colour;
}

// Smooth value noise in 0..1 with the given cell size, from a seed.
static double ValueNoise(double x, double y, int cell, uint32_t seed)
{
    int cx = (int)floor(x / cell), cy = (int)floor(y / cell);
    double fx = x / cell - cx, fy = y / cell - cy;
    double corner[4];
    for (int i = 0; i < 4; i++) {
        uint32_t h = (uint32_t)(cx + (i & 1)) * 73856093u ^ (uint32_t)(cy + (i >> 1)) * 19349663u ^ seed;
        h ^= h >> 13;
        h *= 0x5bd1e995u;
        h ^= h >> 15;
        corner[i] = (h & 0xFFFF) / 65535.0;
    }
    double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    double top = corner[0] + (corner[1] - corner[0]) * sx;
    double bottom = corner[2] + (corner[3] - corner[2]) * sx;
    return top + (bottom - top) * sy;
}

static double Turbulence(double x, double y, uint32_t seed)
{
    return 0.5 * ValueNoise(x, y, 32, seed) + 0.3 * ValueNoise(x, y, 12, seed + 1) +
           0.2 * ValueNoise(x, y, 4, seed + 2);
}

// Writes picture as an 8-bit BMP (bottom-up rows padded to 4 bytes) with
// the game's palette.
static void WriteBmp(const Picture *picture, Bytes *out)
{
    int rowSize = (picture->width + 3) & ~3;
    uint32_t imageSize = (uint32_t)rowSize * picture->height;
    uint32_t dataOffset = 14 + 40 + 1024;
    AppendText(out, "BM");
    AppendLittle32(out, dataOffset + imageSize);
    AppendLittle32(out, 0);
    AppendLittle32(out, dataOffset);
    AppendLittle32(out, 40);
    AppendLittle32(out, (uint32_t)picture->width);
    AppendLittle32(out, (uint32_t)picture->height);
    AppendLittle16(out, 1);
    AppendLittle16(out, 8);
    AppendLittle32(out, 0);
    AppendLittle32(out, imageSize);
    AppendLittle32(out, 2835);
    AppendLittle32(out, 2835);
    AppendLittle32(out, 256);
    AppendLittle32(out, 0);
    Bytes palette;
    MakePalette(&palette);
    for (int i = 0; i < 256; i++) {
        out->push_back(palette[i * 3 + 2]);
        out->push_back(palette[i * 3 + 1]);
        out->push_back(palette[i * 3]);
        out->push_back(0);
    }
    for (int y = picture->height - 1; y >= 0; y--) {
        const uint8_t *row = &picture->pixels[(size_t)y * picture->width];
        out->insert(out->end(), row, row + picture->width);
        for (int pad = picture->width; pad < rowSize; pad++)
            out->push_back(0);
    }
}

void MakeWallTexture(Bytes *out)
{
    // Four 128 by 128 wall tiles side by side in a 512 by 512 sheet: bricks,
    // stone blocks, wooden planks and riveted metal, each in four lightings.
    Picture picture;
    StartPicture(&picture, 512, 512, 0);
    PseudoRandom random;
    SeedRandom(&random, 0x57A11u);
    for (int y = 0; y < 512; y++) {
        for (int x = 0; x < 512; x++) {
            int kind = x / 128, light = y / 128;
            int tx = x % 128, ty = y % 128;
            double grain = Turbulence(x, y, 11u + (uint32_t)kind);
            int shade;
            int ramp;
            if (kind == 0) {
                int row = ty / 16, offset = (row & 1) * 16;
                int mortar = ty % 16 == 0 || (tx + offset) % 32 == 0;
                ramp = mortar ? RampGrey : RampBrick;
                shade = mortar ? 6 : 6 + (int)(grain * 6);
            } else if (kind == 1) {
                int joint = ty % 42 == 0 || (tx + (ty / 42) * 21) % 64 == 0;
                ramp = RampStone;
                shade = joint ? 3 : 5 + (int)(grain * 8);
            } else if (kind == 2) {
                ramp = RampWood;
                shade = tx % 24 == 0 ? 3 : 6 + (int)(ValueNoise(tx * 0.3, y * 4.0, 8, 99) * 6);
            } else {
                int rivet = (tx % 32 - 16) * (tx % 32 - 16) + (ty % 32 - 16) * (ty % 32 - 16) < 9;
                ramp = RampMetal;
                shade = rivet ? 14 : 7 + (int)(grain * 3) + ((tx + ty) % 64 < 2 ? 2 : 0);
            }
            shade += light - 2;
            if (RandomBelow(&random, 16) == 0)
                shade += (int)RandomBelow(&random, 3) - 1;  // a little film grain
            PutPixel(&picture, x, y, Shade(ramp, shade));
        }
    }
    WriteBmp(&picture, out);
}

void MakeFloorTexture(Bytes *out)
{
    Picture picture;
    StartPicture(&picture, 512, 512, 0);
    PseudoRandom random;
    SeedRandom(&random, 0xF100Au);
    for (int y = 0; y < 512; y++) {
        for (int x = 0; x < 512; x++) {
            int region = (x / 256) + 2 * (y / 256);
            double grain = Turbulence(x, y, 40u + (uint32_t)region);
            int ramp = region == 0 ? RampGrass : region == 1 ? RampSand : region == 2 ? RampWater : RampStone;
            int shade = 4 + (int)(grain * 9);
            if (region == 3 && (x % 64 == 0 || y % 64 == 0))
                shade = 2;  // paving joints
            if (RandomBelow(&random, 8) == 0)
                shade += (int)RandomBelow(&random, 3) - 1;
            PutPixel(&picture, x, y, Shade(ramp, shade));
        }
    }
    WriteBmp(&picture, out);
}

void MakeSkyPicture(Bytes *out)
{
    // A wrapping 1024 by 256 panorama: gradient sky, clouds, a mountain line.
    Picture picture;
    StartPicture(&picture, 1024, 256, 0);
    for (int x = 0; x < 1024; x++) {
        double ridge = 170 + 40 * sin(x * 2 * Pi / 1024 * 3) + 25 * ValueNoise(x, 0, 48, 7) +
                       10 * ValueNoise(x, 0, 9, 8);
        for (int y = 0; y < 256; y++) {
            uint8_t colour;
            if (y > ridge) {
                colour = Shade(RampNight, 3 + (int)(ValueNoise(x, y, 6, 9) * 4));
            } else {
                double cloud = Turbulence(x * 0.7, y * 2.0, 21);
                if (cloud > 0.62)
                    colour = Shade(RampGrey, 10 + (int)((cloud - 0.62) * 14));
                else
                    colour = Shade(RampSky, 15 - y / 18 - (int)((x * 13 + y * 7) % 5 == 0));
            }
            PutPixel(&picture, x, y, colour);
        }
    }
    WriteBmp(&picture, out);
}

// Draws a filled ellipse.
static void FillEllipse(Picture *picture, int cx, int cy, int rx, int ry, uint8_t colour)
{
    for (int y = -ry; y <= ry; y++)
        for (int x = -rx; x <= rx; x++)
            if ((double)x * x / ((double)rx * rx) + (double)y * y / ((double)ry * ry) <= 1.0)
                PutPixel(picture, cx + x, cy + y, colour);
}

void MakeSpriteSheet(Bytes *out)
{
    // 16 by 8 cells of 32 by 32: the hero's walk cycle, monsters, pickups
    // and explosion frames on a transparent (index 0) background.
    Picture picture;
    StartPicture(&picture, 512, 256, 0);
    for (int cell = 0; cell < 128; cell++) {
        int ox = (cell % 16) * 32, oy = (cell / 16) * 32;
        int row = cell / 16, frame = cell % 16;
        if (row < 2) {
            double swing = sin(frame * Pi / 4);
            FillEllipse(&picture, ox + 16, oy + 7, 5, 5, Shade(RampSkin, 11));
            FillEllipse(&picture, ox + 16, oy + 17, 6, 8, Shade(row == 0 ? RampRose : RampWater, 9));
            for (int leg = -1; leg <= 1; leg += 2)
                for (int t = 0; t < 7; t++)
                    PutPixel(&picture, ox + 16 + leg * 3 + (int)(leg * swing * t / 2), oy + 24 + t,
                             Shade(RampWood, 5));
        } else if (row < 5) {
            int ramp = row == 2 ? RampSlime : row == 3 ? RampFire : RampNight;
            int squash = (int)(3 * sin(frame * Pi / 8));
            FillEllipse(&picture, ox + 16, oy + 18 + squash / 2, 12 + squash, 10 - squash, Shade(ramp, 8));
            FillEllipse(&picture, ox + 16, oy + 14, 8, 4, Shade(ramp, 12));
            PutPixel(&picture, ox + 12, oy + 15, Shade(RampGrey, 15));
            PutPixel(&picture, ox + 20, oy + 15, Shade(RampGrey, 15));
        } else if (row < 7) {
            int ramp = row == 5 ? RampGold : RampIce;
            int width = 2 + (int)(8 * fabs(cos(frame * Pi / 8)));
            FillEllipse(&picture, ox + 16, oy + 16, width, 9, Shade(ramp, 10));
            FillEllipse(&picture, ox + 16 - width / 3, oy + 13, width / 3 + 1, 3, Shade(ramp, 15));
        } else {
            int radius = 2 + frame;
            for (int ring = radius; ring > 0; ring -= 3)
                FillEllipse(&picture, ox + 16, oy + 16, ring, ring, Shade(RampFire, 15 - (radius - ring) / 2));
        }
    }
    WriteBmp(&picture, out);
}

void MakeTitlePicture(Bytes *out)
{
    // 640 by 480: a night scene with a moon, stars and dithered hills.
    Picture picture;
    StartPicture(&picture, 640, 480, 0);
    PseudoRandom random;
    SeedRandom(&random, 0x717Eu);
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++) {
            int shade = 1 + y * 10 / 480 + (((x ^ y) & 1) && (y % 48) > 40 ? 1 : 0);
            PutPixel(&picture, x, y, Shade(RampNight, shade));
        }
    for (int star = 0; star < 400; star++)
        PutPixel(&picture, (int)RandomBelow(&random, 640), (int)RandomBelow(&random, 300),
                 Shade(RampGrey, 8 + (int)RandomBelow(&random, 8)));
    FillEllipse(&picture, 480, 110, 60, 60, Shade(RampSand, 14));
    FillEllipse(&picture, 500, 100, 14, 10, Shade(RampSand, 11));
    for (int x = 0; x < 640; x++) {
        int hill = 330 + (int)(50 * sin(x / 90.0) + 30 * ValueNoise(x, 3, 40, 5));
        for (int y = hill; y < 480; y++)
            PutPixel(&picture, x, y, Shade(RampGrass, 2 + (y - hill) / 20 + (int)(ValueNoise(x, y, 5, 6) * 3)));
    }
    WriteBmp(&picture, out);
}

// 8 by 8 glyphs of the 96 printable characters, from a fixed stroke table.
static uint8_t GlyphRow(int character, int row)
{
    uint32_t h = (uint32_t)character * 2654435761u ^ (uint32_t)row * 40503u;
    h ^= h >> 11;
    uint8_t bits = (uint8_t)(h & 0x7E);
    if (row == 0 || row == 7)
        return 0;
    if (character == ' ')
        return 0;
    // Mirror the left half to the right so glyphs look drawn, not random.
    uint8_t left = bits & 0x70;
    uint8_t mirrored = (uint8_t)(((left >> 4) & 1) << 3 | ((left >> 5) & 1) << 2 | ((left >> 6) & 1) << 1);
    return (uint8_t)(left | mirrored);
}

void MakeFontTable(Bytes *out)
{
    AppendText(out, "KFNT");
    AppendLittle16(out, 8);
    AppendLittle16(out, 8);
    AppendLittle16(out, 32);
    AppendLittle16(out, 96);
    for (int character = 32; character < 128; character++) {
        out->push_back(8);  // advance width
        for (int row = 0; row < 8; row++)
            out->push_back(GlyphRow(character, row));
    }
    // Kerning pairs: none for most; a few narrow letters.
    const char narrow[] = "ijl!.,:;'|";
    for (const char *c = narrow; *c != '\0'; c++) {
        out->push_back((uint8_t)*c);
        out->push_back(4);
    }
}

void MakeFontPicture(Bytes *out)
{
    // The font drawn large (4x) in three colours, 16 glyphs per row.
    Picture picture;
    StartPicture(&picture, 512, 192, 0);
    for (int colour = 0; colour < 3; colour++)
        for (int index = 0; index < 96; index++) {
            int character = 32 + index;
            int ox = (index % 16) * 32, oy = colour * 64 + (index / 16 % 2) * 32;
            if (index / 16 >= 2)
                continue;  // the sheet shows the first two rows of each colour
            for (int row = 0; row < 8; row++) {
                uint8_t bits = GlyphRow(character, row);
                for (int bit = 0; bit < 8; bit++)
                    if (bits & (0x80 >> bit))
                        for (int dy = 0; dy < 4; dy++)
                            for (int dx = 0; dx < 4; dx++)
                                PutPixel(&picture, ox + bit * 4 + dx, oy + row * 4 + dy,
                                         Shade(colour == 0 ? RampGold : colour == 1 ? RampGrey : RampFire,
                                               15 - dy * 2));
            }
        }
    WriteBmp(&picture, out);
}

// The intro: a camera flying over the sky panorama and hills, with the
// title rising; frames of 320 by 200 with a small header each.
void MakeIntroAnimation(Bytes *out)
{
    enum { Width = 320, Height = 200, Frames = 72 };
    AppendText(out, "KANI");
    AppendLittle16(out, Width);
    AppendLittle16(out, Height);
    AppendLittle16(out, Frames);
    AppendLittle16(out, 70);  // milliseconds per frame
    Bytes palette;
    MakePalette(&palette);
    out->insert(out->end(), palette.begin(), palette.end());
    PseudoRandom random;
    SeedRandom(&random, 0x1A7Bu);
    for (int frame = 0; frame < Frames; frame++) {
        AppendText(out, "FRAM");
        AppendLittle32(out, Width * Height);
        Picture picture;
        StartPicture(&picture, Width, Height, 0);
        for (int y = 0; y < Height; y++)
            for (int x = 0; x < Width; x++) {
                int worldX = x + frame * 5;
                double ground = 120 + 25 * sin(worldX / 40.0) + 15 * ValueNoise(worldX, 1, 30, 77);
                uint8_t colour;
                if (y < ground) {
                    double cloud = Turbulence(worldX * 0.5 + frame, y * 1.5, 31);
                    colour = cloud > 0.6 ? Shade(RampGrey, 9 + (int)((cloud - 0.6) * 15))
                                         : Shade(RampSky, 14 - y / 16);
                } else {
                    colour = Shade(RampGrass, 3 + (int)((y - ground) / 10) +
                                                  (int)(ValueNoise(worldX, y, 4, 78) * 3));
                }
                // Ordered and random dither, as the frames were reduced
                // from true colour.
                uint32_t dither = NextRandom(&random);
                if ((dither & 3) == 0 && (colour & 15) < 15)
                    colour++;
                else if ((dither & 7) == 1 && (colour & 15) > 0)
                    colour--;
                PutPixel(&picture, x, y, colour);
            }
        // The hero flying across, and sparks behind.
        FillEllipse(&picture, 40 + frame * 4, 90 + (int)(10 * sin(frame / 5.0)), 9, 6, Shade(RampRose, 10));
        for (int spark = 0; spark < 30; spark++)
            PutPixel(&picture, 30 + frame * 4 - (int)RandomBelow(&random, 40),
                     85 + (int)RandomBelow(&random, 12), Shade(RampGold, 10 + (int)RandomBelow(&random, 6)));
        out->insert(out->end(), picture.pixels.begin(), picture.pixels.end());
    }
}
