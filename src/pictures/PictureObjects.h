#pragma once
// The picture object model: TfrView and its classes, their stored attributes
// with defaults, their object records and their painting.
//
// Object records are read according to the version of the picture file they
// come from (21 to 24) and always written in the current layout (24).

#include "common/Colour.h"
#include "common/Errors.h"
#include "pictures/Graphic.h"

#include <QJsonObject>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QFont;

namespace scada {

class ByteReader;
class ByteWriter;

// The record format leaves no way to find the next record once this is
// thrown: reading of the picture must end here.
class EStreamLost : public EReadError {
public:
    using EReadError::EReadError;
};

constexpr int kCurrentLayout = 24;

// Type codes of the picture object classes.
enum TypeCodes : uint8_t {
    gtMemo = 0,
    gtPicture = 1,
    gtLine = 4,
    gtYx = 5,
    gtHot = 6,
    gtRunChart = 7,
    gtIoComp = 8,
    gtFtu = 9,
    gtGif = 10,
    gtNewShape = 11,
    gtWmf = 12,
    gtVideo = 13,
    gtYm = 20,
    gtOle = 40,
};

// A rectangle in the platform's drawing convention: right and bottom are
// exclusive.
struct DRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    QRect toQRect() const { return QRect(left, top, right - left, bottom - top); }
    bool operator==(const DRect &) const = default;
};

// Rounds to the nearest integer, halves to even.
int roundEven(double v);

class TfrView {
public:
    TfrView(uint8_t typeCode, const QString &baseName);
    virtual ~TfrView();
    TfrView(const TfrView &) = delete;
    TfrView &operator=(const TfrView &) = delete;

    virtual const char *ClassName() const = 0;
    const uint8_t TypeCode;
    const QString BaseName;
    // Running object identifier given by the factory.
    int ObjectId = 0;

    // Stored attributes, in record order.
    QString ObjectName;
    uint16_t BindStation = 1;
    uint16_t BindUnit = 1;
    uint16_t BindPoint = 1;
    int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    uint16_t Options = 0;
    uint16_t Border = 0;
    int32_t BorderWidth = 1;
    uint32_t BorderColor = clBlack;
    uint8_t BorderStyle = 0;
    uint8_t KeepRunning = 0;
    uint32_t BackColor = clNone;
    int32_t FormatCode = 512 + '.';
    QString FormatText;
    QStringList Lines;
    QStringList ScriptLines;
    uint16_t Shown = 0xFFFF;
    uint8_t LayoutVersion = kCurrentLayout;

    // Runtime: the painting rectangle and text gaps set by ComputeGaps.
    DRect PaintRect;
    int GapX = 0, GapY = 0;
    // The canvas being painted on (bound by Paint, cleared when it ends;
    // PaintBackground and PaintBorder draw on it).
    QPainter *Canvas = nullptr;

    virtual void PaintBackground();
    virtual void PaintBorder();
    virtual void CopyFrom(const TfrView &other);
    virtual void ComputeGaps();
    virtual void RestoreCoords();
    virtual void Paint(QPainter &canvas) = 0;
    // Reads the record (without its type code) of a file of the given version.
    virtual void ReadStream(ByteReader &r, int version);
    // Writes the record (without its type code) in the current layout.
    virtual void WriteStream(ByteWriter &w) const;
    virtual void SizeChanged() {}
    virtual QRegion ClipRegion(bool enlarged) const;

    // Every stored attribute under its name (graphics as kind and size).
    virtual QJsonObject StoredAttributes() const;
    // The graphics the object stores, for comparisons.
    virtual std::vector<const Graphic *> Graphics() const { return {}; }
    bool Contains(const QPoint &p) const;
    std::unique_ptr<TfrView> Clone() const;

protected:
    // Binds the canvas and computes the gaps; every Paint starts with it.
    void BeginPaint(QPainter &canvas);
    void EndPaint();

private:
    struct Saved {
        int32_t Left, Top, Width, Height, BorderWidth;
    } m_saved{};
    bool m_haveSaved = false;
};

// Font attributes shared by the text classes.
struct FontAttrs {
    QString FontName = QStringLiteral("Arial");
    int32_t FontSize = 10;
    uint16_t FontStyle = 0;
    uint32_t FontColor = clBlack;
    uint16_t FontCharset = 1;
    QFont toQFont() const;
    bool operator==(const FontAttrs &) const = default;
};

class TfrMemoView : public TfrView {
public:
    TfrMemoView();
    const char *ClassName() const override { return "TfrMemoView"; }
    FontAttrs Font;
    int32_t Alignment = 0;
    uint8_t LampMode = 0;
    uint8_t LampShape = 0;
    QStringList ExtraLines;
    uint16_t HighlightStyle = 2;
    uint32_t HighlightFontColor = clBlack;
    uint32_t HighlightBackColor = 0xFFFFFF;
    QString HighlightCondition;
    bool LampOn = false; // runtime

    void Paint(QPainter &canvas) override;
    void CopyFrom(const TfrView &other) override;
    void ReadStream(ByteReader &r, int version) override;
    void WriteStream(ByteWriter &w) const override;
    QJsonObject StoredAttributes() const override;
};

class TfrPictureView : public TfrView {
public:
    TfrPictureView();
    const char *ClassName() const override { return "TfrPictureView"; }
    Graphic Picture;

    void Paint(QPainter &canvas) override;
    void CopyFrom(const TfrView &other) override;
    void ReadStream(ByteReader &r, int version) override;
    void WriteStream(ByteWriter &w) const override;
    QJsonObject StoredAttributes() const override;
    std::vector<const Graphic *> Graphics() const override { return {&Picture}; }
};

class TfrLineView : public TfrView {
public:
    TfrLineView();
    const char *ClassName() const override { return "TfrLineView"; }
    void Paint(QPainter &canvas) override;
    QRegion ClipRegion(bool enlarged) const override;
    // Makes the line horizontal or vertical (kept in the object).
    void Normalise();
};

class TfrYxView : public TfrView {
public:
    TfrYxView();
    const char *ClassName() const override { return "TfrYxView"; }
    uint8_t Shape = 1;
    uint32_t OnColor = 255;
    uint32_t OffColor = 65280;
    int State = 0; // runtime

    void Paint(QPainter &canvas) override;
    void CopyFrom(const TfrView &other) override;
    void ReadStream(ByteReader &r, int version) override;
    void WriteStream(ByteWriter &w) const override;
    QJsonObject StoredAttributes() const override;
};

class TfrHotView : public TfrView {
public:
    TfrHotView();
    const char *ClassName() const override { return "TfrHotView"; }
    FontAttrs Font;
    QString TargetPicture;
    QString Caption() const { return Lines.isEmpty() ? QString() : Lines.first(); }

    void Paint(QPainter &canvas) override;
    void CopyFrom(const TfrView &other) override;
    void ReadStream(ByteReader &r, int version) override;
    void WriteStream(ByteWriter &w) const override;
    QJsonObject StoredAttributes() const override;
};

// Instrument kinds 0..11 and their control class names.
QString InstrumentClassName(int kind);

class TfrIoCompView : public TfrView {
public:
    TfrIoCompView();
    const char *ClassName() const override { return "TfrIoCompView"; }
    uint16_t InstrumentKind = 0;
    // The instrument control's settings (Tag, Position, PositionMin,
    // PositionMax, Value, Active, Width, Height, colours, ...). An object
    // without an instrument paints "No Meter!".
    bool HasInstrument = true;
    QVariantMap Instrument;

    // Draws an instrument; installed by the widget half of the system.
    using InstrumentPainter = std::function<void(QPainter &, const TfrIoCompView &, const QRect &)>;
    static void SetInstrumentPainter(InstrumentPainter painter);

    void Paint(QPainter &canvas) override;
    void CopyFrom(const TfrView &other) override;
    void ReadStream(ByteReader &r, int version) override;
    void WriteStream(ByteWriter &w) const override;
    QJsonObject StoredAttributes() const override;
};

class TfrFtuView : public TfrView {
public:
    TfrFtuView();
    const char *ClassName() const override { return "TfrFtuView"; }
    uint32_t OnlineColor = 65280;
    uint32_t OfflineColor = systemColour(SysInactiveCaption);
    uint32_t ErrorColor = 255;
    Graphic Symbol; // a bitmap or nothing
    int UnitState = 0; // runtime: 0 not polled, 1 on line, 2 error

    void Paint(QPainter &canvas) override;
    void CopyFrom(const TfrView &other) override;
    void ReadStream(ByteReader &r, int version) override;
    void WriteStream(ByteWriter &w) const override;
    QJsonObject StoredAttributes() const override;
    std::vector<const Graphic *> Graphics() const override { return {&Symbol}; }
};

class TfrWmfView : public TfrView {
public:
    TfrWmfView();
    const char *ClassName() const override { return "TfrWmfView"; }
    Graphic Metafile;

    void Paint(QPainter &canvas) override;
    void CopyFrom(const TfrView &other) override;
    void ReadStream(ByteReader &r, int version) override;
    void WriteStream(ByteWriter &w) const override;
    QJsonObject StoredAttributes() const override;
    std::vector<const Graphic *> Graphics() const override { return {&Metafile}; }
};

class TfrVideoView : public TfrView {
public:
    TfrVideoView();
    const char *ClassName() const override { return "TfrVideoView"; }
    QString SoundFile;
    int32_t ReservedValue = 0;
    int32_t PlayCount = 1;
    bool IconShown = true; // runtime

    void Paint(QPainter &canvas) override;
    void CopyFrom(const TfrView &other) override;
    void ReadStream(ByteReader &r, int version) override;
    void WriteStream(ByteWriter &w) const override;
    QJsonObject StoredAttributes() const override;
};

class TfrYmView : public TfrView {
public:
    TfrYmView();
    const char *ClassName() const override { return "TfrYmView"; }
    FontAttrs Font;
    uint8_t ReservedFlag = 0;
    uint8_t LampShape = 0;
    bool LampOn = false; // runtime

    void Paint(QPainter &canvas) override;
    void CopyFrom(const TfrView &other) override;
    void ReadStream(ByteReader &r, int version) override;
    void WriteStream(ByteWriter &w) const override;
    QJsonObject StoredAttributes() const override;
};

class TfrOLEView : public TfrView {
public:
    TfrOLEView();
    const char *ClassName() const override { return "TfrOLEView"; }
    // Embedded objects are not supported: an object always reads and writes
    // as empty (has-object byte 0).
    void Paint(QPainter &canvas) override;
    void ReadStream(ByteReader &r, int version) override;
    void WriteStream(ByteWriter &w) const override;
};

class TfrRunChartView : public TfrView {
public:
    TfrRunChartView();
    const char *ClassName() const override { return "TfrRunChartView"; }
    uint8_t ChartKind = 0;
    uint8_t Show3D = 1;
    uint8_t ShowWalls = 1;
    uint8_t ShowLegend = 1;
    uint8_t ShowAxis = 1;
    uint8_t ShowMarks = 0;
    uint8_t MultiColor = 0;
    uint32_t ChannelColors[12];
    uint8_t ChannelShown[12] = {};
    uint32_t ChartBackColor = 0xC0C0C0;
    uint32_t GridColor = 0x8000;
    Graphic Snapshot; // an enhanced metafile or nothing

    void Paint(QPainter &canvas) override;
    void CopyFrom(const TfrView &other) override;
    void ReadStream(ByteReader &r, int version) override;
    void WriteStream(ByteWriter &w) const override;
    QJsonObject StoredAttributes() const override;
    std::vector<const Graphic *> Graphics() const override { return {&Snapshot}; }
};

class TfrGifView : public TfrView {
public:
    TfrGifView();
    const char *ClassName() const override { return "TfrGifView"; }
    Graphic StillImage; // a bitmap or nothing
    QString GifFile;

    // The rectangle the still image is drawn into.
    QRect ImageTarget() const;
    void Paint(QPainter &canvas) override;
    void CopyFrom(const TfrView &other) override;
    void ReadStream(ByteReader &r, int version) override;
    void WriteStream(ByteWriter &w) const override;
    QJsonObject StoredAttributes() const override;
    std::vector<const Graphic *> Graphics() const override { return {&StillImage}; }
};

class TfrNewShapeView : public TfrView {
public:
    TfrNewShapeView();
    const char *ClassName() const override { return "TfrNewShapeView"; }
    uint8_t ShapeKind = 0;

    // Width and height of the corner ellipse of a rounded rectangle.
    int CornerSize() const { return qMin(Width, Height) / 4; }
    void Paint(QPainter &canvas) override;
    void CopyFrom(const TfrView &other) override;
    void ReadStream(ByteReader &r, int version) override;
    void WriteStream(ByteWriter &w) const override;
    QJsonObject StoredAttributes() const override;
};

// The factory: the class of a type code with its defaults and the next
// running object identifier; nullptr for a code without a class.
std::unique_ptr<TfrView> CreateObject(int typeCode);
// The codes a picture file may contain.
bool IsPictureTypeCode(int typeCode);
// base name + the first n in 1..10000 not used by an object in objects.
QString UniqueName(const QString &baseName, const std::vector<const TfrView *> &objects);

} // namespace scada
