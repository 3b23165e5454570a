#pragma once
// Picture files (".pic"): a header (version, object count, page size in
// tenths of a millimetre, background colour) and the object records, each
// behind its type code, in page order.

#include "pictures/PictureObjects.h"

#include <QByteArray>
#include <QSize>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace scada {

using ObjectList = std::vector<std::unique_ptr<TfrView>>;

struct PictureDocument {
    uint8_t Version = kCurrentLayout;
    int32_t PageWidth = 2100;
    int32_t PageHeight = 2970;
    uint32_t BackColor = clWhite;
    ObjectList Objects;

    // The picture area in pixels: page size x 18 div 50.
    QSize AreaSize() const;
    // Appends an object made by the factory for typeCode, with a unique name.
    TfrView *Add(int typeCode);
    template <class T> T *AddAs(int typeCode) { return static_cast<T *>(Add(typeCode)); }
};

QSize PageToPixels(int32_t pageWidth, int32_t pageHeight);

// Called for each object after it has read its record; an exception thrown
// here counts as a failure of that record.
using ObjectSetup = std::function<void(TfrView &)>;

// Reads a picture. A header that cannot be read, or a version outside 21..24,
// throws EReadError. A record that fails adds "Object[n] Load Error!" to
// errors and reading goes on at the current position; a type code without a
// class, or a record after which the position is lost, ends reading after
// its message. Reading also ends at the end of the data.
PictureDocument ReadPicture(const QByteArray &data, QStringList *errors = nullptr,
                            const ObjectSetup &setup = {});
// Reads a picture file; EInOutError when it cannot be opened.
PictureDocument ReadPictureFile(const QString &path, QStringList *errors = nullptr,
                                const ObjectSetup &setup = {});

// Writes a picture in the current layout (version 24).
QByteArray WritePicture(const PictureDocument &doc);
// Writes a picture file (through a temporary file, so a failed save never
// leaves a half-written picture); EFCreateError on failure.
void WritePictureFile(const QString &path, const PictureDocument &doc);

// The picture as JSON: version, page size, background and every object's
// stored attributes.
QByteArray PictureToJson(const PictureDocument &doc);

} // namespace scada
