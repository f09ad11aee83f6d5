#include "tools/lzhpack/member_header.h"

#include <string.h>

#include "tools/lzhpack/member_name.h"

static void PutLittle16(uint8_t *at, uint32_t value)
{
    at[0] = (uint8_t)value;
    at[1] = (uint8_t)(value >> 8);
}

static void PutLittle32(uint8_t *at, uint32_t value)
{
    PutLittle16(at, value);
    PutLittle16(at + 2, value >> 16);
}

size_t BuildMemberHeader(const MemberHeaderFields *fields, uint8_t *buffer, size_t bufferSize)
{
    size_t nameLength = strlen(fields->name);
    if (nameLength > MaxMemberNameLength)
        return 0;
    size_t total = Level1HeaderFixedBytes + nameLength;
    if (total > bufferSize)
        return 0;
    size_t bodySize = total - 2;
    uint8_t *body = buffer + 2;
    body[0] = '-';
    body[1] = 'l';
    body[2] = 'h';
    body[3] = (uint8_t)fields->methodCharacter;
    body[4] = '-';
    PutLittle32(body + 5, fields->packedSize);
    PutLittle32(body + 9, fields->unpackedSize);
    PutLittle32(body + 13, fields->timeStamp);
    body[17] = MemberAttribute;
    body[18] = MemberHeaderLevel;
    body[19] = (uint8_t)nameLength;
    memcpy(body + 20, fields->name, nameLength);
    PutLittle16(body + bodySize - 5, fields->crc);
    body[bodySize - 3] = MemberOsId;
    PutLittle16(body + bodySize - 2, 0);  // no extended header

    unsigned sum = 0;
    for (size_t i = 0; i < bodySize; i++)
        sum += body[i];
    buffer[0] = (uint8_t)bodySize;
    buffer[1] = (uint8_t)sum;
    return total;
}
