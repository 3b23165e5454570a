#include "acquisition/PointModel.h"

#include "common/ByteStream.h"

#include <algorithm>

namespace scada {

int PointModel::unitByAddress(uint8_t address) const
{
    const TStationRec *st = station();
    if (!st)
        return -1;
    for (size_t i = 0; i < st->units.size(); ++i)
        if (st->units[i].address == address)
            return int(i);
    return -1;
}

void PointModel::clear()
{
    *this = PointModel();
}

uint32_t AnalogMask(const AnalogFlagTable &flags, int row)
{
    if (row < 0 || row >= kMaxUnits)
        return 0;
    uint32_t mask = 0;
    for (int i = 0; i < kChannels; ++i)
        if (flags[row][i])
            mask |= 1u << i;
    return mask;
}

int EncodeReference(int station, int unit, int item)
{
    return station * 65535 + unit * 255 + item;
}

PointRef DecodeReference(int reference)
{
    return PointRef{reference / 65535, (reference % 65535) / 255, reference % 255};
}

std::vector<TBlocks> DecodeBlocksFile(const QByteArray &bytes)
{
    std::vector<TBlocks> lists;
    if (bytes.isEmpty())
        return lists;
    ByteReader r(bytes);
    const int u = r.u8();
    lists.resize(u);
    for (int i = 0; i < u; ++i) {
        const int b = r.u8();
        lists[i].reserve(b);
        for (int k = 0; k < b; ++k) {
            TBlockRec rec;
            rec.type = r.u8();
            rec.position = r.u8();
            rec.timeUnit = r.f32();
            rec.parameter = r.i32();
            lists[i].push_back(rec);
        }
    }
    return lists;
}

QByteArray EncodeBlocksFile(const std::vector<TBlocks> &lists)
{
    ByteWriter w;
    const size_t u = std::min<size_t>(lists.size(), 255);
    w.u8(uint8_t(u));
    for (size_t i = 0; i < u; ++i) {
        const size_t b = std::min<size_t>(lists[i].size(), kMaxBlocksPerUnit);
        w.u8(uint8_t(b));
        for (size_t k = 0; k < b; ++k) {
            const TBlockRec &rec = lists[i][k];
            w.u8(rec.type);
            w.u8(rec.position);
            w.f32(rec.timeUnit);
            w.i32(rec.parameter);
        }
    }
    return w.data();
}

void DecodeDigital(TFtuRec &unit, uint8_t b5, uint8_t b6, uint8_t b19)
{
    auto bit = [](uint8_t b, int k) { return ((b >> k) & 1) != 0; };
    if (unit.size == 1) {
        for (int k = 0; k < 8; ++k)
            unit.yx[k].state = bit(b5, k);
        for (int k = 0; k < 4; ++k)
            unit.yx[8 + k].state = bit(b6, k);
        for (int k = 0; k < 8; ++k)
            unit.yx[12 + k].state = bit(b19, k);
    } else if (unit.size == 0) {
        for (int k = 0; k < 6; ++k)
            unit.yx[k].state = bit(b5, k);
        for (int k = 0; k < 4; ++k)
            unit.yx[6 + k].state = bit(b19, k);
    }
}

void DecodeAnalog(TFtuRec &unit, const uint8_t *frame)
{
    for (int i = 0; i < 12; ++i) {
        TYcRec &p = unit.yc[i];
        if (p.kind != QLatin1String("Yc"))
            continue;
        const uint8_t raw = frame[18 - i];
        p.value = raw * p.coefficientA / 10.0 + p.coefficientB;
    }
}

} // namespace scada
