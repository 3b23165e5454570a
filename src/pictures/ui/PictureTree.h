#pragma once
// The picture tree "TreeView1": stations and their pictures, kept in the
// file "TreeView" of the program directory, with its pop-up menu
// "PopupTreeView" ("Append", "Insert", "Delete", "Property").

#include "pictures/PictureTreeFile.h"

#include <QTreeWidget>
#include <functional>

class QAction;
class QMenu;

namespace scada {

class Prompt;

class PictureTreeView : public QTreeWidget {
    Q_OBJECT
public:
    struct Environment {
        QString ProgramDir;
        Prompt *prompt = nullptr;
        // The open dialog (filter " (*.pic)|*.pic", starting in the program
        // directory); an empty result means cancelled.
        std::function<QString()> choosePictureFile;
        // Opens a picture without its sound (double-click on a picture entry).
        std::function<void(const QString &path)> openPicture;
    };

    explicit PictureTreeView(Environment env, QWidget *parent = nullptr);

    QString TreeFilePath() const;
    // Reads "TreeView"; throws EInOutError when it is missing or unreadable
    // (the tree then stays empty).
    void LoadTree();
    // Writes "TreeView"; throws EFCreateError.
    void SaveTree() const;
    TreeNodes Nodes() const;
    void SetNodes(const TreeNodes &roots);
    // Recreates the skeleton from the station names (table order) and saves it.
    void RebuildPictureTree(const QStringList &stationNames);

    QMenu *PopupTreeView() const { return m_popup; }
    QAction *AppendItem() const { return m_append; }
    QAction *InsertItem() const { return m_insert; }
    QAction *DeleteItem() const { return m_delete; }

    // A press on the tree at pos: the node there becomes current; a right
    // press enables the menu items for it and returns true when the menu is
    // to be shown.
    bool TreePress(const QPoint &pos, Qt::MouseButton button);
    void AppendClick();
    void InsertClick();
    void DeleteClick();
    // Double-click: opens the current node when it names a picture.
    void OpenCurrent();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;

private:
    QString entryFor(const QString &chosen) const;
    void saveReporting();
    Environment m_env;
    QMenu *m_popup;
    QAction *m_append;
    QAction *m_insert;
    QAction *m_delete;
    QAction *m_property;
};

} // namespace scada
