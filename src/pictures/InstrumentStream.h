#pragma once
// Settings of an instrument object, stored after its kind number.
//
// Our own block: a uint32 length, then the settings as a QDataStream
// (Qt 6.4 format) of a QVariantMap; length 0 means no instrument.
// Pictures from the original program hold a component stream instead,
// starting with the signature "TPF0": the binary property list (class name,
// object name, typed properties ended by an empty name, child components
// ended by 0). It is parsed to its end, and the properties the runtime uses
// are taken over.

#include <QByteArray>
#include <QString>
#include <QVariantMap>

namespace scada {

class ByteReader;
class ByteWriter;

struct InstrumentBlock {
    bool present = false;
    QVariantMap properties;
};

InstrumentBlock ReadInstrumentBlock(ByteReader &r);
void WriteInstrumentBlock(ByteWriter &w, bool present, const QVariantMap &properties);

// Parses a component stream at the reader's position (which must hold
// "TPF0") and leaves the reader just after it. The root component's
// properties come back under their names (sets as string lists, identifiers
// and strings as text, numbers as numbers; colour identifiers such as
// "clRed" as colour values); "ClassName" and "Name" hold the component's
// class and name. Throws EReadError on a malformed stream.
QVariantMap ReadComponentStream(ByteReader &r);

} // namespace scada
