#include "services/ProfileStore.h"

#include <QDate>
#include <QDateTime>
#include <charconv>
#include <cmath>

#include "services/PropsString.h"
#include "sql/Database.h"
#include "zx/host/HostError.h"

namespace refhost {

namespace {

using zx::host::HostError;
using zx::host::kGenericError;

const QString kSource = QStringLiteral("SystemProfile");

template <class F>
QString plainDecimal(F value) {
    if (!std::isfinite(value)) {
        throw HostError(kGenericError, kSource, QStringLiteral("参数值不是有效的数字, 无法保存。"));
    }
    if (value == 0) return QStringLiteral("0");  // also -0
    // Shortest digits that read back to the same number, never an exponent.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (result.ec != std::errc()) {
        throw HostError(kGenericError, kSource, QStringLiteral("参数值不是有效的数字, 无法保存。"));
    }
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

}  // namespace

QString encodeProfileValue(const QVariant& value) {
    if (!value.isValid() || value.isNull()) return QString();
    switch (value.typeId()) {
        case QMetaType::Bool:
            return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::Short:
        case QMetaType::Int:
        case QMetaType::Long:
        case QMetaType::LongLong:
            return QString::number(value.toLongLong());
        case QMetaType::UChar:
        case QMetaType::UShort:
        case QMetaType::UInt:
        case QMetaType::ULong:
        case QMetaType::ULongLong:
            return QString::number(value.toULongLong());
        case QMetaType::Float:
            return plainDecimal(value.toFloat());
        case QMetaType::Double:
            return plainDecimal(value.toDouble());
        case QMetaType::QString:
        case QMetaType::QChar:
            return value.toString();
        case QMetaType::QByteArray:
            return QString::fromUtf8(value.toByteArray());
        case QMetaType::QDate:
            return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
        case QMetaType::QDateTime:
            return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        default:
            throw HostError(kGenericError, kSource,
                            QStringLiteral("参数值的类型(%1)无法保存为文本。")
                                .arg(QString::fromLatin1(value.typeName())));
    }
}

void requireAccountSet(const Database& db, const QString& props, const QString& source) {
    const QString dataSource = PropsString(props).dataSource();
    if (dataSource.isEmpty()) {
        throw HostError(kGenericError, source,
                        QStringLiteral("会话属性串没有指明账套, 操作被拒绝。"));
    }
    if (!sameLocation(dataSource, db.location())) {
        throw HostError(
            kGenericError, source,
            QStringLiteral("会话属性串指明的账套(%1)不是当前账套, 操作被拒绝。").arg(dataSource));
    }
}

void upsertProfile(Database& db, const QString& category, const QString& key, const QString& text,
                   bool readOnly) {
    if (category.trimmed().isEmpty() || key.trimmed().isEmpty()) {
        throw HostError(kGenericError, kSource, QStringLiteral("参数的类别和名称不能为空。"));
    }
    // The unique index on (FCategory, FKey) ignores case, so a write in another
    // spelling updates the existing row instead of adding a twin.
    db.nativeExec(
        QStringLiteral("INSERT INTO t_SystemProfile (FCategory, FKey, FValue, FReadonly) "
                       "VALUES (?, ?, ?, ?) "
                       "ON CONFLICT (FCategory, FKey) DO UPDATE SET FValue = excluded.FValue, "
                       "FReadonly = CASE WHEN excluded.FReadonly = 1 THEN 1 "
                       "ELSE t_SystemProfile.FReadonly END"),
        {category.trimmed(), key.trimmed(), text, readOnly ? 1 : 0});
}

std::optional<QString> readProfile(Database& db, const QString& category, const QString& key) {
    const auto rows = db.nativeQuery(
        QStringLiteral("SELECT FValue FROM t_SystemProfile "
                       "WHERE UPPER(FCategory) = UPPER(?) AND UPPER(FKey) = UPPER(?)"),
        {category.trimmed(), key.trimmed()});
    if (rows->RecordCount() == 0) return std::nullopt;
    rows->MoveFirst();
    return rows->Field(0).toString();
}

}  // namespace refhost
