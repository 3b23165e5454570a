#pragma once
// A temporary plant folder that disappears with the test.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

struct TempPlant {
    QTemporaryDir dir;
    QString path() const { return dir.path(); }
    QString file(const QString &name) const { return QDir(dir.path()).filePath(name); }
    void write(const QString &name, const QByteArray &bytes) const
    {
        QFile f(file(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }
    QByteArray read(const QString &name) const
    {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};
