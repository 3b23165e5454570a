#include "pictures/PictureTreeFile.h"

#include "common/Cp936.h"
#include "common/Errors.h"

#include <QFile>
#include <QSaveFile>

namespace scada {

TreeNodes ParseTreeText(const QByteArray &bytes)
{
    TreeNodes roots;
    std::vector<TreeNodes *> levels{&roots}; // levels[k]: list that takes nodes of depth k
    const QList<QByteArray> lines = bytes.split('\n');
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        int depth = 0;
        while (depth < line.size() && line[depth] == '\t')
            ++depth;
        const QString text = fromCp936(line.mid(depth));
        if (text.isEmpty() && depth == line.size())
            continue;
        depth = qMin<int>(depth, int(levels.size()) - 1);
        TreeNodes *list = levels[size_t(depth)];
        list->push_back(TreeNode{text, {}});
        levels.resize(size_t(depth) + 1);
        levels.push_back(&list->back().children);
    }
    return roots;
}

namespace {
void format(QByteArray &out, const TreeNodes &nodes, int depth)
{
    for (const TreeNode &n : nodes) {
        out += QByteArray(depth, '\t');
        out += toCp936(n.text);
        out += "\r\n";
        format(out, n.children, depth + 1);
    }
}
} // namespace

QByteArray FormatTreeText(const TreeNodes &roots)
{
    QByteArray out;
    format(out, roots, 0);
    return out;
}

TreeNodes LoadTreeFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, f.errorString()));
    return ParseTreeText(f.readAll());
}

void SaveTreeFile(const QString &path, const TreeNodes &roots)
{
    const QByteArray data = FormatTreeText(roots);
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.commit())
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, f.errorString()));
}

TreeNodes PictureTreeSkeleton(const QStringList &stationNames)
{
    TreeNode root{QStringLiteral("GroupState"), {}};
    for (const QString &name : stationNames)
        root.children.push_back(TreeNode{name, {TreeNode{QStringLiteral("Picture"), {}}}});
    return {root};
}

} // namespace scada
