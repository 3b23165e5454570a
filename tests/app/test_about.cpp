#include "app/AboutForm.h"

#include <QLabel>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

using namespace scada;

TEST(AboutBox, ShowsProductVersionAndMakerBlockAndOpensLinks)
{
    TFormAbout about("QEL", 0, nullptr);
    QStringList opened;
    about.openLink = [&](const QString &link) { opened << link; };
    about.show();
    EXPECT_EQ(about.windowTitle(), "About this system");
    EXPECT_EQ(about.findChild<QLabel *>("ProductName")->text(), "Scada for  QEL ");
    EXPECT_EQ(about.findChild<QLabel *>("Version")->text(), "Version: 3.36");
    const MakerBlock &maker = TFormAbout::makerBlocks().first();
    auto *web = about.findChild<QLabel *>("WebLabel1");
    auto *mail = about.findChild<QLabel *>("MailLabel");
    EXPECT_EQ(web->text(), maker.web1);
    EXPECT_EQ(about.findChild<QLabel *>("Company")->text(), maker.company);

    QTest::mouseClick(web, Qt::LeftButton);
    QTest::mouseClick(mail, Qt::LeftButton);
    EXPECT_EQ(opened, QStringList({maker.web1, "mailto:" + maker.mail}));

    // A branding number without a block falls back to the first block.
    TFormAbout other("QEL", 7, nullptr);
    other.show();
    EXPECT_EQ(other.findChild<QLabel *>("Company")->text(), maker.company);
}
