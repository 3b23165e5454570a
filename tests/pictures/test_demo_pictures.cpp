// The demo plant's pictures: every object and instrument kind appears,
// links, GIFs and sounds resolve, and instruments bound to blocks name
// blocks the plant has.
#include "DemoPlant.h"
#include "acquisition/PointModel.h"
#include "pictures/PictureFile.h"
#include "pictures/PictureTreeFile.h"
#include "support/TempDir.h"

#include <QFile>
#include <QMovie>
#include <QSet>
#include <gtest/gtest.h>

using namespace scada;

TEST(DemoPictures, ThreeLinkedPicturesUseEveryKindBoundToThePlant)
{
    TempPlant plant;
    const scadactl::DemoPlantResult r = scadactl::WriteDemoPlant(plant.path());
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    QFile blocksFile(plant.file("Blocks.inf"));
    ASSERT_TRUE(blocksFile.open(QIODevice::ReadOnly));
    const std::vector<TBlocks> blocks = DecodeBlocksFile(blocksFile.readAll());

    const QStringList names{"Main.pic", "Pumps.pic", "Reservoir.pic"};
    QSet<int> codes, kinds;
    for (const QString &name : names) {
        QStringList errors;
        const PictureDocument doc = ReadPictureFile(plant.file(name), &errors);
        EXPECT_TRUE(errors.isEmpty()) << name.toStdString();
        for (const auto &o : doc.Objects) {
            codes << o->TypeCode;
            SCOPED_TRACE(name.toStdString() + " " + o->ObjectName.toStdString());
            EXPECT_EQ(o->BindStation, 1);
            EXPECT_GE(o->BindUnit, 1);
            EXPECT_LE(o->BindUnit, 6);
            if (auto *hot = dynamic_cast<const TfrHotView *>(o.get())) {
                EXPECT_TRUE(names.contains(hot->TargetPicture));
            }
            if (auto *gif = dynamic_cast<const TfrGifView *>(o.get())) {
                QMovie movie(plant.file("giflib/" + gif->GifFile));
                EXPECT_TRUE(movie.isValid());
                EXPECT_GT(movie.frameCount(), 1);
            }
            if (auto *snd = dynamic_cast<const TfrVideoView *>(o.get())) {
                EXPECT_TRUE(QFile::exists(plant.file("Sound/" + snd->SoundFile)));
            }
            auto *io = dynamic_cast<const TfrIoCompView *>(o.get());
            if (!io)
                continue;
            kinds << io->InstrumentKind;
            const TBlocks &list = blocks.at(size_t(io->BindUnit - 1));
            if (io->InstrumentKind == 3 || io->InstrumentKind == 11) {
                EXPECT_LT(size_t(io->BindPoint - 1), list.size());
            }
            if (io->InstrumentKind == 9) {
                EXPECT_LT(size_t(io->Instrument.value("Tag").toInt() - 1), list.size());
            }
        }
    }
    for (int code : {gtMemo, gtPicture, gtLine, gtYx, gtHot, gtRunChart, gtIoComp, gtFtu, gtGif, gtNewShape, gtWmf,
                     gtVideo, gtYm, gtOle})
        EXPECT_TRUE(codes.contains(code)) << "type code " << code;
    for (int kind = 0; kind < 12; ++kind)
        EXPECT_TRUE(kinds.contains(kind)) << "instrument kind " << kind;

    const TreeNodes tree = LoadTreeFile(plant.file("TreeView"));
    ASSERT_FALSE(tree.empty());
    QStringList listed;
    for (const TreeNode &n : tree[0].children.at(0).children.at(0).children)
        listed << n.text;
    EXPECT_EQ(listed, names);
    EXPECT_GT(QFile(plant.file("Sound.wav")).size(), 8000 * 2 * 20);
}
