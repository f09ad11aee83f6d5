#include "tools/lzhpack/member_crc.h"

#include "archive/crc16.h"

// The installer's own CRC-16, so that packer and reader cannot disagree.
uint16_t MemberCrc16(const uint8_t *data, size_t size)
{
    return size != 0 ? FoldCrc(0, data, size) : 0;
}
