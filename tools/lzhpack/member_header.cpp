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
    if (nameLength > MemberNameLimit)
        return 0;
    size_t total = Level1HeaderFixedBytes + nameLength;
    if (total > bufferSize)
        return 0;
    size_t bodySize = total - HeaderPrefixLength;
    uint8_t *body = buffer + HeaderPrefixLength;
    memcpy(body + BodyMethod, "-lh?-", MethodIdLength);
    body[BodyMethodChar] = (uint8_t)fields->methodCharacter;
    PutLittle32(body + BodyPackedSize, fields->packedSize);
    PutLittle32(body + BodyUnpackedSize, fields->unpackedSize);
    PutLittle32(body + BodyTimeStamp, fields->timeStamp);
    body[BodyAttribute] = MemberAttribute;
    body[BodyLevel] = MemberHeaderLevel;
    body[BodyNameLength] = (uint8_t)nameLength;
    memcpy(body + BodyName, fields->name, nameLength);
    PutLittle16(body + bodySize - CrcBeforeBodyEnd, fields->crc);
    body[bodySize - OsIdBeforeBodyEnd] = MemberOsId;
    PutLittle16(body + bodySize - NextSizeBeforeBodyEnd, 0);  // no extended header

    unsigned sum = 0;
    for (size_t i = 0; i < bodySize; i++)
        sum += body[i];
    buffer[0] = (uint8_t)bodySize;
    buffer[1] = (uint8_t)sum;
    return total;
}
