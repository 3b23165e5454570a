// Loading and painting a picture of 1000 mixed objects.
#include "pictures/PictureFile.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

using namespace scada;

namespace {

QByteArray mixedPicture()
{
    PictureDocument doc;
    doc.PageWidth = 5000;
    doc.PageHeight = 3000;
    QImage bmp(32, 24, QImage::Format_RGB32);
    bmp.fill(Qt::darkCyan);
    const Graphic bitmap = Graphic::fromImage(bmp);
    const Graphic metafile(Graphic::Metafile, Emf::fromImage(bmp, 40, 30));
    const int codes[] = {gtMemo, gtMemo, gtMemo, gtLine, gtYx, gtYx, gtHot, gtFtu, gtNewShape, gtPicture, gtWmf, gtYm};
    for (int i = 0; i < 1000; ++i) {
        TfrView *v = doc.Add(codes[i % std::size(codes)]);
        v->Left = (i % 40) * 45;
        v->Top = (i / 40) * 40;
        v->Width = 40;
        v->Height = 30;
        v->Border = i % 3 == 0 ? 0xF : 0;
        v->BackColor = i % 2 ? 0xE0E0E0 : clNone;
        v->Lines = {QStringLiteral("%1.5 kV").arg(i)};
        if (auto m = dynamic_cast<TfrMemoView *>(v))
            m->LampMode = i % 2;
        else if (auto p = dynamic_cast<TfrPictureView *>(v))
            p->Picture = bitmap;
        else if (auto w = dynamic_cast<TfrWmfView *>(v))
            w->Metafile = metafile;
        else if (auto f = dynamic_cast<TfrFtuView *>(v))
            f->Symbol = bitmap;
        else if (auto s = dynamic_cast<TfrNewShapeView *>(v))
            s->ShapeKind = uint8_t(i % 8);
    }
    return WritePicture(doc);
}

void BM_LoadPicture1000(benchmark::State &state)
{
    const QByteArray data = mixedPicture();
    for (auto _ : state) {
        PictureDocument doc = ReadPicture(data);
        benchmark::DoNotOptimize(doc.Objects.size());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * data.size());
}
BENCHMARK(BM_LoadPicture1000)->Unit(benchmark::kMillisecond);

void BM_PaintPicture1000(benchmark::State &state)
{
    PictureDocument doc = ReadPicture(mixedPicture());
    QImage img(doc.AreaSize(), QImage::Format_RGB32);
    for (auto _ : state) {
        img.fill(Qt::white);
        QPainter p(&img);
        for (const auto &o : doc.Objects)
            o->Paint(p);
    }
}
BENCHMARK(BM_PaintPicture1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
