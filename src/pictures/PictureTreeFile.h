#pragma once
// The picture tree file "TreeView": one node per line in pre-order, each
// line indented with one tab per nesting level, text in code page 936.
//
//   GroupState
//   <tab>station name
//   <tab><tab>Picture
//   <tab><tab><tab>Main.pic

#include <QString>
#include <QStringList>
#include <vector>

namespace scada {

struct TreeNode {
    QString text;
    std::vector<TreeNode> children;
    bool operator==(const TreeNode &) const = default;
};
using TreeNodes = std::vector<TreeNode>;

// A line indented deeper than one level below the previous node hangs
// under the deepest node available, so no line is lost.
TreeNodes ParseTreeText(const QByteArray &bytes);
QByteArray FormatTreeText(const TreeNodes &roots);
// EInOutError when the file cannot be read.
TreeNodes LoadTreeFile(const QString &path);
// EFCreateError when the file cannot be written.
void SaveTreeFile(const QString &path, const TreeNodes &roots);
// The tree skeleton: "GroupState", one node per station, "Picture" under each.
TreeNodes PictureTreeSkeleton(const QStringList &stationNames);

} // namespace scada
