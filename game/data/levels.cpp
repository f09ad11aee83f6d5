// Level maps of the sample game: rooms joined by corridors on a tile grid,
// an attribute layer, and the things placed in the level.
#include "game/data/game_data.h"

enum {
    MapWidth = 256,
    MapHeight = 256,
    TileRock = 1,
    TileFloor = 16,
    TileWall = 32,
    TileDoor = 48,
    TileWater = 64
};

void MakeLevel(int number, Bytes *out)
{
    PseudoRandom random;
    SeedRandom(&random, 0x1E7E1u * (uint32_t)number);
    Bytes tiles((size_t)MapWidth * MapHeight, TileRock);
    Bytes attributes((size_t)MapWidth * MapHeight, 0);
    int roomCount = 24 + number * 3;
    int previousX = MapWidth / 2, previousY = MapHeight / 2;
    Bytes things;
    for (int room = 0; room < roomCount; room++) {
        int w = 6 + (int)RandomBelow(&random, 20), h = 5 + (int)RandomBelow(&random, 14);
        int x0 = 2 + (int)RandomBelow(&random, MapWidth - w - 4);
        int y0 = 2 + (int)RandomBelow(&random, MapHeight - h - 4);
        int style = (int)RandomBelow(&random, 4);
        for (int y = y0 - 1; y <= y0 + h; y++)
            for (int x = x0 - 1; x <= x0 + w; x++) {
                size_t at = (size_t)y * MapWidth + x;
                int edge = y == y0 - 1 || y == y0 + h || x == x0 - 1 || x == x0 + w;
                if (edge) {
                    if (tiles[at] == TileRock)
                        tiles[at] = (uint8_t)(TileWall + style);
                } else {
                    tiles[at] = (uint8_t)(TileFloor + style * 2 + ((x + y) & 1));
                    attributes[at] = (uint8_t)(room & 0x0F);
                }
            }
        if (style == 3)
            for (int y = y0 + 1; y < y0 + h - 1; y++)
                for (int x = x0 + w / 3; x < x0 + w / 2; x++)
                    tiles[(size_t)y * MapWidth + x] = TileWater;
        // A corridor to the previous room: horizontal, then vertical.
        int cx = x0 + w / 2, cy = y0 + h / 2;
        for (int x = previousX; x != cx; x += cx > previousX ? 1 : -1) {
            size_t at = (size_t)previousY * MapWidth + x;
            tiles[at] = tiles[at] >= TileWall && tiles[at] < TileDoor ? (uint8_t)TileDoor : (uint8_t)TileFloor;
        }
        for (int y = previousY; y != cy; y += cy > previousY ? 1 : -1) {
            size_t at = (size_t)y * MapWidth + cx;
            tiles[at] = tiles[at] >= TileWall && tiles[at] < TileDoor ? (uint8_t)TileDoor : (uint8_t)TileFloor;
        }
        previousX = cx;
        previousY = cy;
        // Things: monsters, pickups and lights, 12 bytes each.
        int thingCount = 3 + (int)RandomBelow(&random, 6);
        for (int t = 0; t < thingCount; t++) {
            AppendLittle16(&things, (uint32_t)(1 + RandomBelow(&random, 12)));  // kind
            AppendLittle16(&things, (uint32_t)((x0 + (int)RandomBelow(&random, w)) * 16 + 8));
            AppendLittle16(&things, (uint32_t)((y0 + (int)RandomBelow(&random, h)) * 16 + 8));
            AppendLittle16(&things, (uint32_t)(RandomBelow(&random, 8) * 45));  // facing
            AppendLittle16(&things, (uint32_t)(number > 3 ? 7 : 3));            // skill flags
            AppendLittle16(&things, (uint32_t)room);
        }
    }
    // A light map: brightness falling off from each room's centre, smoothed.
    Bytes light((size_t)MapWidth * MapHeight, 0);
    for (int y = 0; y < MapHeight; y++)
        for (int x = 0; x < MapWidth; x++) {
            size_t at = (size_t)y * MapWidth + x;
            int value = tiles[at] == TileRock ? 0 : 80 + ((x * 7 + y * 3) % 32) + (int)RandomBelow(&random, 4);
            light[at] = (uint8_t)value;
        }
    AppendText(out, "KLVL");
    AppendLittle16(out, (uint32_t)number);
    AppendLittle16(out, MapWidth);
    AppendLittle16(out, MapHeight);
    AppendLittle16(out, (uint32_t)(things.size() / 12));
    char name[32] = {0};
    static const char *const names[] = {"The Gate",   "Old Quarry",     "Drowned Hall",
                                        "Ember Keep", "The Long Stair", "Oraz"};
    const char *levelName = names[(number - 1) % 6];
    for (int i = 0; levelName[i] != '\0' && i < 31; i++)
        name[i] = levelName[i];
    out->insert(out->end(), name, name + 32);
    out->insert(out->end(), tiles.begin(), tiles.end());
    out->insert(out->end(), attributes.begin(), attributes.end());
    out->insert(out->end(), light.begin(), light.end());
    out->insert(out->end(), things.begin(), things.end());
}
