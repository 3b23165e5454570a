#include "pictures/ui/LivePicture.h"

#include "pictures/PictureSound.h"
#include "pictures/ui/LiveControls.h"
#include "platform/Prompt.h"
#include "platform/TimerService.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

namespace scada {

namespace {
QString joinPath(const QString &dir, QString name)
{
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir(dir).filePath(name);
}
} // namespace

QString ChoosePictureFile(QWidget *parent, const QString &startDir)
{
    return QFileDialog::getOpenFileName(parent, QString(), startDir, QStringLiteral(" (*.pic)"));
}

// ---- surface --------------------------------------------------------------

PictureSurface::PictureSurface(LivePicture *picture, QWidget *parent) : QWidget(parent), m_picture(picture)
{
    setObjectName(QStringLiteral("PaintBox1"));
    setAutoFillBackground(false);
}

void PictureSurface::paintEvent(QPaintEvent *e)
{
    QPainter p(this);
    const QColor back = toQColor(m_picture->Document().BackColor);
    p.fillRect(e->rect(), back.isValid() ? back : QColor(Qt::white));
    m_picture->PaintPicture(p, e->region());
}

void PictureSurface::mouseMoveEvent(QMouseEvent *e)
{
    emit moved(e->position().toPoint());
    QWidget::mouseMoveEvent(e);
}

void PictureSurface::mousePressEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    if (e->button() == Qt::LeftButton)
        m_picture->HotSpotPress(pos);
    emit pressed(pos, e->button());
}

// ---- live picture -----------------------------------------------------------

LivePicture::LivePicture(PictureEnvironment env, QObject *parent)
    : QObject(parent), m_env(std::move(env)), m_scroll(m_env.ScrollBox1), m_edit(m_env.Edit1)
{
    m_surface = new PictureSurface(this);
    if (m_scroll) {
        m_scroll->setObjectName(QStringLiteral("ScrollBox1"));
        m_scroll->setWidgetResizable(false);
        m_scroll->setWidget(m_surface);
    }
    if (m_edit && m_edit->text().isEmpty())
        m_edit->setText(QStringLiteral("Main.pic"));
}

LivePicture::~LivePicture()
{
    Clear();
    if (m_surface && !m_surface->parent())
        delete m_surface;
}

QString LivePicture::SoundFolder() const { return QDir(m_env.ProgramDir).filePath(QStringLiteral("Sound")); }
QString LivePicture::GifLibraryFolder() const { return QDir(m_env.ProgramDir).filePath(QStringLiteral("giflib")); }

void LivePicture::report(const ScadaError &e)
{
    if (m_env.reportError)
        m_env.reportError(e);
    else if (m_env.prompt)
        m_env.prompt->error(e.message(), QStringLiteral("scada:error"));
}

namespace {
template <class T> QList<T *> alive(const QList<QPointer<T>> &list)
{
    QList<T *> out;
    for (const QPointer<T> &p : list)
        if (p)
            out << p.data();
    return out;
}
} // namespace

QList<GifControl *> LivePicture::GifControls() const { return alive(m_gifs); }
QList<ChartControl *> LivePicture::Charts() const { return alive(m_charts); }
QList<QWidget *> LivePicture::InstrumentControls() const { return alive(m_instruments); }

void LivePicture::Clear()
{
    qDeleteAll(alive(m_gifs));
    qDeleteAll(alive(m_charts));
    qDeleteAll(alive(m_instruments));
    m_gifs.clear();
    m_charts.clear();
    m_instruments.clear();
    m_doc.Objects.clear();
}

void LivePicture::LoadAllObject(QIODevice &file) { LoadAllObject(file.readAll()); }

void LivePicture::LoadAllObject(const QByteArray &data)
{
    if (!m_surface) // the window that held the surface is gone
        m_surface = new PictureSurface(this);
    const bool pollWasOn = m_env.timers && m_env.timers->isActive(QStringLiteral("Timer4"));
    if (m_env.timers)
        m_env.timers->stop(QStringLiteral("Timer4"));
    QList<GifControl *> gifs;
    QList<ChartControl *> charts;
    QList<QWidget *> instruments;
    QStringList errors;
    PictureDocument doc;
    try {
        doc = ReadPicture(data, &errors, [&](TfrView &v) {
            if (auto g = dynamic_cast<TfrGifView *>(&v)) {
                gifs << CreateGifControl(*g, m_surface, GifLibraryFolder());
            } else if (auto c = dynamic_cast<TfrRunChartView *>(&v)) {
                charts << CreateChartControl(*c, m_surface, m_env.points);
            } else if (auto io = dynamic_cast<TfrIoCompView *>(&v); io && m_env.setupInstrument) {
                if (QWidget *w = m_env.setupInstrument(*io, m_surface))
                    instruments << w;
            }
        });
    } catch (const ScadaError &) {
        qDeleteAll(gifs);
        qDeleteAll(charts);
        qDeleteAll(instruments);
        if (m_env.timers && pollWasOn)
            m_env.timers->start(QStringLiteral("Timer4"));
        throw;
    }
    // the previous picture's objects and controls go first
    Clear();
    m_paintFailed.clear();
    m_doc = std::move(doc);
    for (GifControl *g : gifs)
        m_gifs << g;
    for (ChartControl *c : charts)
        m_charts << c;
    for (QWidget *w : instruments)
        m_instruments << w;

    const QSize area = m_doc.AreaSize();
    const QColor back = toQColor(m_doc.BackColor);
    m_surface->setGeometry(0, 0, area.width(), area.height());
    QPalette pal = m_surface->palette();
    pal.setColor(QPalette::Window, back.isValid() ? back : QColor(Qt::white));
    m_surface->setPalette(pal);
    if (m_scroll) {
        m_scroll->horizontalScrollBar()->setValue(0);
        m_scroll->verticalScrollBar()->setValue(0);
        m_scroll->viewport()->setPalette(pal);
        m_scroll->viewport()->setBackgroundRole(QPalette::Window);
        m_scroll->viewport()->setAutoFillBackground(true);
    }
    for (const QString &e : errors)
        if (m_env.prompt)
            m_env.prompt->information(e);
    m_surface->update();
    if (m_env.timers)
        m_env.timers->start(QStringLiteral("Timer4"));
    if (m_env.afterLoad)
        m_env.afterLoad();
    emit pictureLoaded();
}

bool LivePicture::loadFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        report(EInOutError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, f.errorString())));
        return false;
    }
    try {
        LoadAllObject(f);
    } catch (const ScadaError &e) {
        report(e);
        return false;
    }
    return true;
}

bool LivePicture::LoadMainPicture()
{
    const QString path = QDir(m_env.ProgramDir).filePath(QStringLiteral("Main.pic"));
    if (m_edit)
        m_edit->setText(path);
    if (!QFileInfo(path).isFile()) {
        if (m_env.prompt)
            m_env.prompt->information(QStringLiteral("not found the file ") + path);
        return false;
    }
    if (!loadFile(path))
        return false;
    PlayPictureSound();
    return true;
}

bool LivePicture::OpenPictureFile(const QString &path)
{
    if (!QFileInfo(path).isFile()) {
        if (m_env.prompt)
            m_env.prompt->information(QStringLiteral("The file : %1 is not exit!").arg(path));
        return false;
    }
    if (m_edit)
        m_edit->setText(path);
    if (!loadFile(path))
        return false;
    PlayPictureSound();
    return true;
}

void LivePicture::OpenChosenPicture(const QString &chosen)
{
    if (!chosen.isEmpty())
        OpenPictureFile(chosen);
}

bool LivePicture::OpenPictureQuietly(const QString &path)
{
    if (m_edit)
        m_edit->setText(path);
    return loadFile(path);
}

bool LivePicture::PlayPictureSound()
{
    const QDir folder(SoundFolder());
    for (const auto &o : m_doc.Objects) {
        auto *s = dynamic_cast<const TfrVideoView *>(o.get());
        if (!s || s->SoundFile.isEmpty())
            continue;
        const QString path = joinPath(folder.path(), s->SoundFile);
        if (!QFileInfo(path).isFile())
            continue;
        if (m_env.soundPlayer)
            m_env.soundPlayer->PlayPictureSound(path, s->PlayCount);
        return true;
    }
    return false;
}

bool LivePicture::HotSpotPress(const QPoint &pos)
{
    if (m_env.stationLoaded && !m_env.stationLoaded())
        return false;
    for (const auto &o : m_doc.Objects) {
        auto *h = dynamic_cast<const TfrHotView *>(o.get());
        if (!h || !h->Contains(pos))
            continue;
        if (!h->TargetPicture.isEmpty()) {
            const QString path = joinPath(m_env.ProgramDir, h->TargetPicture);
            if (m_edit)
                m_edit->setText(path);
            // the target may be freed by the load: nothing of h is used after it
            if (loadFile(path))
                PlayPictureSound();
        }
        return true;
    }
    return false;
}

void PaintObjects(QPainter &p, const ObjectList &objects, const QRegion &exposed,
                  const std::function<void(int index)> &failed)
{
    for (size_t i = 0; i < objects.size(); ++i) {
        TfrView *o = objects[i].get();
        if (!o || o->TypeCode == gtGif || o->TypeCode == gtIoComp)
            continue;
        // a line normalises itself at its first paint, so it is always drawn
        if (o->TypeCode != gtLine && !exposed.intersects(o->ClipRegion(true)))
            continue;
        p.save();
        try {
            o->Paint(p);
        } catch (const std::exception &) {
            if (failed)
                failed(int(i));
        }
        p.restore();
    }
}

void LivePicture::PaintPicture(QPainter &p, const QRegion &exposed)
{
    PaintObjects(p, m_doc.Objects, exposed, [this](int i) {
        // a message box inside a paint would ask for the paint again: the
        // message waits for the paint to end, once per object and picture
        if (m_paintFailed.contains(i))
            return;
        m_paintFailed.insert(i);
        const QString text = QStringLiteral("Object[%1] on Draw").arg(i);
        QMetaObject::invokeMethod(
            this,
            [this, text] {
                if (m_env.prompt)
                    m_env.prompt->error(text, QStringLiteral("scada:error"));
            },
            Qt::QueuedConnection);
    });
}

void LivePicture::RefreshGifControls()
{
    if (m_env.points)
        scada::RefreshGifControls(GifControls(), *m_env.points);
}

void LivePicture::RefreshCharts(int unitPosition)
{
    if (m_env.points)
        scada::RefreshCharts(Charts(), *m_env.points, unitPosition);
}

} // namespace scada
