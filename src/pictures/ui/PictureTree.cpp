#include "pictures/ui/PictureTree.h"

#include "common/Errors.h"
#include "platform/Prompt.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>

namespace scada {

namespace {
QTreeWidgetItem *toItem(const TreeNode &n)
{
    auto *item = new QTreeWidgetItem(QStringList{n.text});
    for (const TreeNode &c : n.children)
        item->addChild(toItem(c));
    return item;
}

TreeNode toNode(const QTreeWidgetItem *item)
{
    TreeNode n{item->text(0), {}};
    for (int i = 0; i < item->childCount(); ++i)
        n.children.push_back(toNode(item->child(i)));
    return n;
}
} // namespace

PictureTreeView::PictureTreeView(Environment env, QWidget *parent) : QTreeWidget(parent), m_env(std::move(env))
{
    setObjectName(QStringLiteral("TreeView1"));
    setHeaderHidden(true);
    setColumnCount(1);
    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("PopupTreeView"));
    m_append = m_popup->addAction(QStringLiteral("Append"), this, &PictureTreeView::AppendClick);
    m_insert = m_popup->addAction(QStringLiteral("Insert"), this, &PictureTreeView::InsertClick);
    m_delete = m_popup->addAction(QStringLiteral("Delete"), this, &PictureTreeView::DeleteClick);
    m_property = m_popup->addAction(QStringLiteral("Property"));
}

QString PictureTreeView::TreeFilePath() const { return QDir(m_env.ProgramDir).filePath(QStringLiteral("TreeView")); }

void PictureTreeView::LoadTree()
{
    clear();
    SetNodes(LoadTreeFile(TreeFilePath()));
}

void PictureTreeView::SaveTree() const { SaveTreeFile(TreeFilePath(), Nodes()); }

TreeNodes PictureTreeView::Nodes() const
{
    TreeNodes roots;
    for (int i = 0; i < topLevelItemCount(); ++i)
        roots.push_back(toNode(topLevelItem(i)));
    return roots;
}

void PictureTreeView::SetNodes(const TreeNodes &roots)
{
    clear();
    for (const TreeNode &n : roots)
        addTopLevelItem(toItem(n));
    expandAll();
}

void PictureTreeView::RebuildPictureTree(const QStringList &stationNames)
{
    SetNodes(PictureTreeSkeleton(stationNames));
    SaveTree();
}

bool PictureTreeView::TreePress(const QPoint &pos, Qt::MouseButton button)
{
    QTreeWidgetItem *item = itemAt(pos);
    if (button != Qt::RightButton) {
        if (item)
            setCurrentItem(item);
        return false;
    }
    if (!currentItem() || !item)
        return false;
    setCurrentItem(item);
    const QString text = item->text(0);
    const bool picture = text == QLatin1String("Picture");
    const bool entry = text.endsWith(QLatin1String("pic"));
    m_append->setEnabled(picture);
    m_insert->setEnabled(entry);
    m_delete->setEnabled(entry);
    return picture || entry;
}

QString PictureTreeView::entryFor(const QString &chosen) const
{
    const QString rel = QDir(m_env.ProgramDir).relativeFilePath(QFileInfo(chosen).absoluteFilePath());
    return rel;
}

void PictureTreeView::saveReporting()
{
    try {
        SaveTree();
    } catch (const ScadaError &e) {
        if (m_env.prompt)
            m_env.prompt->error(e.message(), QStringLiteral("scada:error"));
    }
}

void PictureTreeView::AppendClick()
{
    QTreeWidgetItem *cur = currentItem();
    if (!cur || !m_env.choosePictureFile)
        return;
    const QString chosen = m_env.choosePictureFile();
    if (chosen.isEmpty())
        return;
    cur->addChild(new QTreeWidgetItem(QStringList{entryFor(chosen)}));
    cur->setExpanded(true);
    saveReporting();
}

void PictureTreeView::InsertClick()
{
    QTreeWidgetItem *cur = currentItem();
    if (!cur || !m_env.choosePictureFile)
        return;
    const QString chosen = m_env.choosePictureFile();
    if (chosen.isEmpty())
        return;
    auto *item = new QTreeWidgetItem(QStringList{entryFor(chosen)});
    if (QTreeWidgetItem *parent = cur->parent())
        parent->insertChild(parent->indexOfChild(cur), item);
    else
        insertTopLevelItem(indexOfTopLevelItem(cur), item);
    saveReporting();
}

void PictureTreeView::DeleteClick()
{
    QTreeWidgetItem *cur = currentItem();
    if (!cur || !m_env.prompt || !m_env.prompt->yesNo(QStringLiteral("Delete this picture?")))
        return;
    delete cur;
    saveReporting();
}

void PictureTreeView::OpenCurrent()
{
    QTreeWidgetItem *cur = currentItem();
    if (!cur)
        return;
    const QString text = cur->text(0);
    if (QFileInfo(text).suffix().compare(QLatin1String("pic"), Qt::CaseInsensitive) != 0)
        return;
    QString name = text;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    name = name.left(name.size() - 3) + QStringLiteral("pic");
    if (m_env.openPicture)
        m_env.openPicture(QDir(m_env.ProgramDir).filePath(name));
}

void PictureTreeView::mousePressEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    const bool show = TreePress(pos, e->button());
    if (e->button() != Qt::RightButton)
        QTreeWidget::mousePressEvent(e);
    if (show)
        m_popup->popup(viewport()->mapToGlobal(pos));
}

void PictureTreeView::mouseDoubleClickEvent(QMouseEvent *e)
{
    QTreeWidget::mouseDoubleClickEvent(e);
    OpenCurrent();
}

} // namespace scada
