#include "tests/unit/archive/archive_builder.h"

#include "tools/host/whole_file.h"

#include <stdio.h>

uint16_t ReferenceCrc(const Bytes &data)
{
    unsigned crc = 0;
    for (uint8_t byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; bit++)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return (uint16_t)crc;
}

MemberPlan StoredMember(const std::string &name, const Bytes &data)
{
    MemberPlan plan;
    plan.name = name;
    plan.data = data;
    plan.unpackedSize = (uint32_t)data.size();
    plan.crc = ReferenceCrc(data);
    return plan;
}

MemberPlan PackedMember(const std::string &method, const std::string &name,
                        const Bytes &stream, const Bytes &content)
{
    MemberPlan plan;
    plan.method = method;
    plan.name = name;
    plan.data = stream;
    plan.unpackedSize = (uint32_t)content.size();
    plan.crc = ReferenceCrc(content);
    return plan;
}

static void PutLittle(Bytes &out, uint32_t value, int size)
{
    for (int i = 0; i < size; i++)
        out.push_back((uint8_t)(value >> (8 * i)));
}

Bytes BuildMember(const MemberPlan &plan)
{
    Bytes extended;
    for (size_t i = 0; i < plan.extended.size(); i++) {
        extended.insert(extended.end(), plan.extended[i].begin(), plan.extended[i].end());
        uint32_t next = i + 1 < plan.extended.size() ? (uint32_t)plan.extended[i + 1].size() + 2 : 0;
        PutLittle(extended, next, 2);
    }
    uint32_t firstExtended = plan.extended.empty() ? 0 : (uint32_t)plan.extended[0].size() + 2;

    Bytes body;
    body.insert(body.end(), plan.method.begin(), plan.method.end());
    PutLittle(body, (uint32_t)(extended.size() + plan.data.size() + plan.packedSizeDelta), 4);
    PutLittle(body, plan.unpackedSize, 4);
    PutLittle(body, 0x58A1B2C3, 4);   // time stamp
    body.push_back(0x20);             // attribute
    body.push_back(1);                // level
    body.push_back((uint8_t)(plan.name.size() + plan.nameLengthDelta));
    body.insert(body.end(), plan.name.begin(), plan.name.end());
    PutLittle(body, plan.crc, 2);
    body.push_back(0x20);             // OS id
    PutLittle(body, firstExtended, 2);

    unsigned sum = 0;
    for (uint8_t byte : body)
        sum += byte;
    Bytes member;
    member.push_back((uint8_t)(plan.bodySizeOverride >= 0 ? plan.bodySizeOverride : body.size()));
    member.push_back((uint8_t)(sum + plan.sumDelta));
    member.insert(member.end(), body.begin(), body.end());
    member.insert(member.end(), extended.begin(), extended.end());
    member.insert(member.end(), plan.data.begin(), plan.data.end());
    return member;
}

Bytes BuildArchive(const std::vector<MemberPlan> &members, bool endMark)
{
    Bytes archive;
    for (const MemberPlan &plan : members) {
        Bytes member = BuildMember(plan);
        archive.insert(archive.end(), member.begin(), member.end());
    }
    if (endMark)
        archive.push_back(0);
    return archive;
}

Bytes PatternBytes(size_t size, uint32_t seed)
{
    Bytes out(size);
    uint32_t state = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; i++) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        out[i] = (uint8_t)state;
    }
    return out;
}

Bytes FileBytes(const std::string &path, bool *exists)
{
    Bytes content;
    int read = ReadWholeFile(path.c_str(), &content);
    if (exists != nullptr)
        *exists = read != 0;
    return content;
}
