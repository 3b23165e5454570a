#include "common/Cp936.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace scada {

QString fromCp936(QByteArrayView bytes)
{
    QStringDecoder decoder("GBK");
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

QByteArray toCp936(const QString &text)
{
    QStringEncoder encoder("GBK");
    if (!encoder.isValid())
        return text.toLatin1();
    return encoder.encode(text);
}

} // namespace scada
