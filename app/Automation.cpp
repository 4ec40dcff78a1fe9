#include "Automation.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <stdexcept>

#include "services/RefHost.h"
#include "zx/frame/IntText3D.h"
#include "zx/profiles/frmSystemProfiles.h"

using zx::frame::IntText3D;
using zx::profiles::frmSystemProfiles;

namespace app {

namespace {

bool isOwnName(const QString& name) {
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_")) &&
           !name.startsWith(QLatin1String("Scroll"));
}

// The index of the main tab set's page holding the widget, -1 for none.
int pageOf(QWidget* w) {
    for (QWidget* p = w; p; p = p->parentWidget()) {
        QWidget* parent = p->parentWidget();
        if (!parent) break;
        // A page sits in the tab widget's stack, whose parent is the tab widget.
        if (auto* tabs = qobject_cast<QTabWidget*>(parent->parentWidget())) {
            if (tabs->objectName() == QLatin1String("Stab")) return tabs->indexOf(p);
        }
    }
    return -1;
}

QJsonObject describe(QWidget* w) {
    QJsonObject o;
    o[QStringLiteral("name")] = w->objectName();
    o[QStringLiteral("enabled")] = w->isEnabled();
    o[QStringLiteral("visible")] = !w->isHidden();
    bool locked = false;
    if (auto* box = qobject_cast<QCheckBox*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("check");
        o[QStringLiteral("caption")] = box->text();
        o[QStringLiteral("value")] = zx::frame::Controls::checkValue(box);
    } else if (auto* opt = qobject_cast<QRadioButton*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("option");
        o[QStringLiteral("caption")] = opt->text();
        o[QStringLiteral("value")] = opt->isChecked();
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("button");
        o[QStringLiteral("caption")] = button->text();
    } else if (auto* cmb = qobject_cast<QComboBox*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("combo");
        o[QStringLiteral("index")] = cmb->currentIndex();
        o[QStringLiteral("text")] = cmb->currentText();
        QJsonArray items;
        for (int i = 0; i < cmb->count(); ++i) items.append(cmb->itemText(i));
        o[QStringLiteral("items")] = items;
    } else if (auto* num = qobject_cast<IntText3D*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("number");
        o[QStringLiteral("value")] = num->Value();
        o[QStringLiteral("min")] = num->Min();
        o[QStringLiteral("max")] = num->Max();
        locked = num->Locked();
    } else if (auto* date = qobject_cast<QDateEdit*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("date");
        o[QStringLiteral("text")] = date->date().toString(Qt::ISODate);
        locked = date->isReadOnly();
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("text");
        o[QStringLiteral("text")] = edit->text();
        locked = edit->isReadOnly();
    } else if (auto* lbl = qobject_cast<QLabel*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("label");
        o[QStringLiteral("caption")] = lbl->text();
    } else if (auto* frame = qobject_cast<QGroupBox*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("frame");
        o[QStringLiteral("caption")] = frame->title();
    } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("tabs");
        o[QStringLiteral("index")] = tabs->currentIndex();
        QJsonArray items;
        for (int i = 0; i < tabs->count(); ++i) {
            items.append(tabs->isTabVisible(i) ? tabs->tabText(i) : QString());
        }
        o[QStringLiteral("items")] = items;
    } else if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("tree");
        o[QStringLiteral("text")] = tree->currentItem() ? tree->currentItem()->text(0) : QString();
        QJsonArray items;
        for (QTreeWidgetItemIterator it(tree); *it; ++it) items.append((*it)->text(0));
        o[QStringLiteral("items")] = items;
    } else if (auto* grid = qobject_cast<QTableWidget*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("grid");
        QJsonArray rows;
        for (int r = 0; r < grid->rowCount(); ++r) {
            QJsonArray row;
            for (int c = 0; c < grid->columnCount(); ++c) {
                row.append(grid->item(r, c) ? grid->item(r, c)->text() : QString());
            }
            rows.append(row);
        }
        o[QStringLiteral("items")] = rows;
    } else {
        o[QStringLiteral("kind")] = QStringLiteral("page");
    }
    // Boxes, options and lists of a read-only dialog ignore the mouse and the focus.
    if (w->testAttribute(Qt::WA_TransparentForMouseEvents) && w->focusPolicy() == Qt::NoFocus) {
        locked = true;
    }
    o[QStringLiteral("locked")] = locked;
    o[QStringLiteral("page")] = pageOf(w);
    return o;
}

}  // namespace

QStringList dumpControls(QWidget* root) {
    QStringList out;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!isOwnName(w->objectName())) continue;
        // The line edit inside a numeric box is part of the box.
        if (qobject_cast<QAbstractSpinBox*>(w->parentWidget())) continue;
        out << QString::fromUtf8(QJsonDocument(describe(w)).toJson(QJsonDocument::Compact));
    }
    return out;
}

QStringList takeScreenshots(frmSystemProfiles& dialog, const QString& dir) {
    if (!QDir().mkpath(dir)) {
        throw std::runtime_error(QStringLiteral("无法创建目录 %1").arg(dir).toStdString());
    }
    QStringList written;
    auto save = [&](const QString& file) {
        QCoreApplication::processEvents();
        const QString path = QDir(dir).filePath(file);
        if (!dialog.grab().save(path)) {
            throw std::runtime_error(QStringLiteral("无法写入 %1").arg(path).toStdString());
        }
        written << path;
    };
    QTabWidget* stab = dialog.Stab();
    const int current = stab->currentIndex();
    for (int i = 0; i < stab->count(); ++i) {
        if (!stab->isTabVisible(i)) continue;
        stab->setCurrentIndex(i);
        save(QStringLiteral("page%1.png").arg(i));
        for (QTabWidget* inner : stab->widget(i)->findChildren<QTabWidget*>()) {
            const int innerCurrent = inner->currentIndex();
            for (int j = 0; j < inner->count(); ++j) {
                if (!inner->isTabVisible(j)) continue;
                inner->setCurrentIndex(j);
                save(QStringLiteral("page%1_%2_%3.png").arg(i).arg(inner->objectName()).arg(j));
            }
            inner->setCurrentIndex(innerCurrent);
        }
    }
    stab->setCurrentIndex(current);
    return written;
}

// ----- Script --------------------------------------------------------------------

ScriptRunner::ScriptRunner(refhost::RefHost& host, QStringList lines, Print print)
    : host_(host), lines_(std::move(lines)), print_(std::move(print)) {
    host_.setAnswerHook([this](const QString& text, zx::host::MsgButtons buttons,
                               zx::host::MsgIcon) -> std::optional<zx::host::MsgResult> {
        if (buttons == zx::host::MsgButtons::Ok) return zx::host::MsgResult::Ok;
        if (answers_.isEmpty()) {
            fail(QStringLiteral("没有准备回答的询问: %1").arg(text));
            return buttons == zx::host::MsgButtons::OkCancel ? zx::host::MsgResult::Cancel
                                                             : zx::host::MsgResult::No;
        }
        const bool yes = answers_.takeFirst();
        print_(QStringLiteral("[回答] %1").arg(yes ? QStringLiteral("是") : QStringLiteral("否")));
        if (buttons == zx::host::MsgButtons::OkCancel) {
            return yes ? zx::host::MsgResult::Ok : zx::host::MsgResult::Cancel;
        }
        return yes ? zx::host::MsgResult::Yes : zx::host::MsgResult::No;
    });
}

void ScriptRunner::start(frmSystemProfiles& dialog) {
    dialog_ = &dialog;
    QTimer::singleShot(0, [this] { step(); });
}

void ScriptRunner::step() {
    if (failed_ || done()) return;
    if (dialog_ && !dialog_->isVisible()) return;  // the rest runs in finish()
    const QString line = lines_.at(next_++);
    runLine(line);
    if (failed_) return;
    if (!done()) {
        QTimer::singleShot(0, [this] { step(); });
    } else if (dialog_ && dialog_->isVisible()) {
        // The script is over: leave as through the close box, without questions.
        QTimer::singleShot(0, [d = QPointer<frmSystemProfiles>(dialog_)] {
            if (d && d->isVisible()) d->close();
        });
    }
}

void ScriptRunner::finish() {
    dialog_ = nullptr;
    while (!failed_ && !done()) runLine(lines_.at(next_++));
    if (!answers_.isEmpty() && !failed_) {
        fail(QStringLiteral("有 %1 个准备好的回答没有用到").arg(answers_.size()));
    }
}

void ScriptRunner::fail(const QString& why) {
    if (failed_) return;
    failed_ = true;
    print_(QStringLiteral("[脚本错误] 第 %1 行: %2").arg(next_).arg(why));
    // A script that went wrong must not leave the user's dialog hanging.
    if (dialog_) {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        QTimer::singleShot(0, [modal, d = QPointer<frmSystemProfiles>(dialog_)] {
            if (modal && modal != d) modal->close();
            if (d) d->hide();
        });
    }
}

QWidget* ScriptRunner::find(const QString& name) const {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (modal->objectName() == name) return modal;
        if (auto* w = modal->findChild<QWidget*>(name)) return w;
    }
    if (dialog_) return dialog_->findChild<QWidget*>(name);
    return nullptr;
}

void ScriptRunner::runLine(const QString& raw) {
    const QString line = raw.trimmed();
    if (line.isEmpty() || line.startsWith(u'#')) return;
    const QString verb = line.section(u' ', 0, 0);
    const QString rest = line.section(u' ', 1).trimmed();

    if (verb == QLatin1String("answer")) {
        if (rest == QLatin1String("yes")) {
            answers_ << true;
        } else if (rest == QLatin1String("no")) {
            answers_ << false;
        } else {
            fail(QStringLiteral("answer 只接受 yes 或 no: %1").arg(rest));
        }
        return;
    }
    if (verb == QLatin1String("expect-closed")) {
        if (dialog_ && dialog_->isVisible()) fail(QStringLiteral("对话框仍然打开"));
        return;
    }
    if (verb == QLatin1String("dump")) {
        if (!dialog_) {
            fail(QStringLiteral("对话框已关闭, 无法 dump"));
            return;
        }
        for (const QString& l : dumpControls(dialog_)) print_(l);
        return;
    }
    if (verb != QLatin1String("set") && verb != QLatin1String("click")) {
        fail(QStringLiteral("不认识的命令: %1").arg(verb));
        return;
    }
    if (!dialog_) {
        fail(QStringLiteral("对话框已关闭: %1").arg(line));
        return;
    }
    const QString name = rest.section(u' ', 0, 0);
    // The value is everything after the name, blanks inside kept.
    const QString value = rest.mid(name.size() + 1);
    // A page of a tab set: "Stab(3)" or "stabGl(1)".
    static const QRegularExpression pageName(QStringLiteral("^(Stab|stabGl)\\((\\d+)\\)$"));
    if (const auto m = pageName.match(name); m.hasMatch() && verb == QLatin1String("click")) {
        if (auto* tabs = dialog_->findChild<QTabWidget*>(m.captured(1))) {
            const int index = m.captured(2).toInt();
            if (index < tabs->count() && tabs->isTabVisible(index)) {
                tabs->setCurrentIndex(index);
                return;
            }
        }
        fail(QStringLiteral("没有这一页: %1").arg(name));
        return;
    }
    QWidget* w = find(name);
    if (!w) {
        fail(QStringLiteral("没有控件: %1").arg(name));
        return;
    }
    if (!w->isEnabled() || w->isHidden()) {
        fail(QStringLiteral("控件不可用: %1").arg(name));
        return;
    }

    if (verb == QLatin1String("click")) {
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            button->click();
        } else {
            fail(QStringLiteral("无法单击: %1").arg(name));
        }
        return;
    }

    // set: the user puts the focus in the control, changes it and leaves it.
    if (w->window()) QApplication::setActiveWindow(w->window());
    w->setFocus(Qt::OtherFocusReason);
    bool ok = true;
    if (auto* box = qobject_cast<QCheckBox*>(w)) {
        const int v = value.toInt(&ok);
        if (!ok || v < 0 || v > 2) {
            fail(QStringLiteral("复选框的值只能是 0、1 或 2: %1").arg(value));
            return;
        }
        if (v == 2) box->setTristate(true);
        box->setCheckState(v == 1 ? Qt::Checked : v == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
    } else if (auto* opt = qobject_cast<QRadioButton*>(w)) {
        if (value.trimmed() != QLatin1String("1")) {
            fail(QStringLiteral("选项按钮只能设为 1: %1").arg(value));
            return;
        }
        opt->setChecked(true);
    } else if (auto* cmb = qobject_cast<QComboBox*>(w)) {
        const int index = value.toInt(&ok);
        const int found = ok ? index : cmb->findText(value);
        if (found < 0 || found >= cmb->count()) {
            fail(QStringLiteral("列表中没有: %1").arg(value));
            return;
        }
        cmb->setCurrentIndex(found);
    } else if (auto* num = qobject_cast<IntText3D*>(w)) {
        const qint64 v = value.trimmed().toLongLong(&ok);
        if (!ok || v < num->Min() || v > num->Max() || num->Locked()) {
            fail(QStringLiteral("数值框 %1 不接受 %2 (范围 %3 至 %4)")
                     .arg(name, value)
                     .arg(num->Min())
                     .arg(num->Max()));
            return;
        }
        num->setValue(int(v));
    } else if (auto* date = qobject_cast<QDateEdit*>(w)) {
        const QDate d = QDate::fromString(value.trimmed(), Qt::ISODate);
        if (!d.isValid()) {
            fail(QStringLiteral("日期格式应为 yyyy-MM-dd: %1").arg(value));
            return;
        }
        date->setDate(d);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->isReadOnly()) {
            fail(QStringLiteral("文本框只读: %1").arg(name));
            return;
        }
        edit->setText(value);
    } else if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
        const auto items = tree->findItems(value, Qt::MatchExactly | Qt::MatchRecursive);
        if (items.isEmpty()) {
            fail(QStringLiteral("树中没有: %1").arg(value));
            return;
        }
        tree->setCurrentItem(items.first());
        emit tree->itemClicked(items.first(), 0);
    } else {
        fail(QStringLiteral("无法设置: %1").arg(name));
        return;
    }
    w->clearFocus();
}

}  // namespace app
