#include "zx/params/Param.h"

#include <QStringList>

namespace zx::params {

QString memberName(const Control& c, int i) {
    if (i >= 0 && i < int(c.members.size()) && c.members[i])
        return QString::fromLatin1(c.members[i]);
    return QStringLiteral("%1(%2)").arg(QString::fromLatin1(c.name)).arg(i);
}

QString plainCaption(const Control& c) {
    QString caption = text(c.caption);
    while (caption.endsWith(u'：') || caption.endsWith(u':')) caption.chop(1);
    return caption;
}

QString categoryName(Cat c) {
    switch (c) {
        case Cat::General:
            return QStringLiteral("General");
        case Cat::GL:
            return QStringLiteral("GL");
        case Cat::FA:
            return QStringLiteral("FA");
        case Cat::PA:
            return QStringLiteral("PA");
        case Cat::IC:
            return QStringLiteral("IC");
        case Cat::CN:
            return QStringLiteral("CN");
    }
    return {};
}

QString keyOf(const Param& p) {
    return QString::fromLatin1(p.key);
}

QString defaultOf(const Param& p) {
    return QString::fromLatin1(p.def);
}

QString watchDescription(const Param& p) {
    if (!p.watch) return {};
    return p.watch == kCaption ? plainCaption(p.control) : text(p.watch);
}

QString captionOf(const Param& p) {
    QString caption = plainCaption(p.control);
    if (caption.isEmpty() && p.control.kind == Kind::Options) {
        // A group without a label of its own: its options name it.
        QStringList options;
        for (int i = 0; i < itemCount(p.control); ++i) options << text(p.control.items[i]);
        caption = options.join(u'/');
    }
    return caption.isEmpty() ? keyOf(p) : caption;
}

QString lockReason(const Param& p) {
    switch (p.lock) {
        case Lock::Free:
        case Lock::Page:
            return {};
        case Lock::LedgerOpen:
            return QStringLiteral("总账系统已启用，不能再修改。");
        case Lock::InitOpen:
            return QStringLiteral("已有总账初始数据或初始余额已结束，启用期间不能再修改。");
        case Lock::BusinessOpen:
            return QStringLiteral("业务系统已启用，不能再修改。");
        case Lock::CashierOpen:
            return QStringLiteral("出纳系统已启用，不能再修改。");
        case Lock::Needs:
            return p.needs ? QStringLiteral("须先选中“%1”。").arg(captionOf(*p.needs)) : QString();
        case Lock::DisplayOnly:
            return text(p.note);
    }
    return {};
}

}  // namespace zx::params
