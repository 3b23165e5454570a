#pragma once
// Text in code page 936 (GBK), the 8-bit code page of the system's files.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace scada {

QString fromCp936(QByteArrayView bytes);
QByteArray toCp936(const QString &text);

} // namespace scada
