#pragma once
// The About box: product, version and the maker block (company line, two web
// addresses, a mail address) chosen by the branding number.

#include <QDialog>

class QLabel;

namespace scada {

struct MakerBlock {
    QString company;
    QString web1;
    QString web2;
    QString mail;
};

class TFormAbout : public QDialog {
    Q_OBJECT
public:
    // The maker blocks; the branding number selects one (out of range: the first).
    static const QList<MakerBlock> &makerBlocks();

    TFormAbout(const QString &unitWord, int branding, QWidget *parent = nullptr);

    // Opens a link (web address or "mailto:"); replaceable for tests.
    std::function<void(const QString &)> openLink;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void setLinkStyle(QLabel *label, bool hot);
    QString m_unitWord;
    int m_branding;
    QLabel *m_product;
    QLabel *m_version;
    QLabel *m_company;
    QLabel *m_web1;
    QLabel *m_web2;
    QLabel *m_mail;
    QWidget *m_linkPanel;
};

} // namespace scada
