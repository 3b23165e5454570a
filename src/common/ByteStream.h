#pragma once
// Byte streams of the system's own files (little-endian numbers; a string is a
// 16-bit length, the cp936 bytes and a 0; a string list is a 16-bit line count,
// then every line as a 16-bit length and its bytes followed by 13, or by 0
// after the last line; an empty list is the count 0 and one 0) and big-endian
// frame fields.
//
// ByteReader never reads past its end: every read checks the remaining length
// and throws EReadError, so a truncated file cannot crash a reader.

#include "common/Errors.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace scada {

class ByteReader {
public:
    explicit ByteReader(const QByteArray &data, qsizetype pos = 0) : m_data(data), m_pos(pos) {}

    qsizetype pos() const { return m_pos; }
    void seek(qsizetype pos);
    qsizetype size() const { return m_data.size(); }
    qsizetype remaining() const { return m_data.size() - m_pos; }
    bool atEnd() const { return m_pos >= m_data.size(); }

    uint8_t u8();
    int8_t i8() { return static_cast<int8_t>(u8()); }
    uint16_t u16();
    int16_t i16() { return static_cast<int16_t>(u16()); }
    uint32_t u32();
    int32_t i32() { return static_cast<int32_t>(u32()); }
    double f64();
    float f32();
    uint16_t u16be();
    uint32_t u32be();
    QByteArray bytes(qsizetype n);
    void skip(qsizetype n);
    // A byte peeked at an offset from the current position; -1 past the end.
    int peek(qsizetype offset = 0) const;
    QByteArray peekBytes(qsizetype n) const { return m_data.mid(m_pos, n); }

    // 16-bit length, bytes in code page 936, then a 0 byte.
    QString string();
    // 16-bit line count, then length-prefixed lines each followed by 13, the
    // last by 0. Reads lines until a 0 separator has been read.
    QStringList stringList();

private:
    void need(qsizetype n) const;
    QByteArray m_data;
    qsizetype m_pos;
};

class ByteWriter {
public:
    const QByteArray &data() const { return m_data; }
    QByteArray &data() { return m_data; }
    qsizetype size() const { return m_data.size(); }

    void u8(uint8_t v) { m_data.append(static_cast<char>(v)); }
    void i8(int8_t v) { u8(static_cast<uint8_t>(v)); }
    void u16(uint16_t v);
    void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
    void u32(uint32_t v);
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    void f64(double v);
    void f32(float v);
    void u16be(uint16_t v);
    void u32be(uint32_t v);
    void bytes(const QByteArray &b) { m_data.append(b); }
    void string(const QString &s);
    void stringList(const QStringList &lines);
    // Overwrites 4 bytes at pos (for lengths known only after a block is written).
    void patchU32(qsizetype pos, uint32_t v);

private:
    QByteArray m_data;
};

} // namespace scada
