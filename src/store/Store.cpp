#include "zx/store/Store.h"

#include <cmath>
#include <limits>

#include "zx/host/Environment.h"
#include "zx/host/HostError.h"
#include "zx/session/Session.h"

namespace zx::store {

namespace {

const QString kSource = QStringLiteral("Store");

template <class Int>
Int roundTo(double value) {
    // nearbyint follows the default rounding mode, which rounds halves to even.
    const double rounded = std::nearbyint(value);
    if (!(rounded >= double(std::numeric_limits<Int>::min()) &&
          rounded <= double(std::numeric_limits<Int>::max()))) {
        throw host::HostError(6, kSource, QStringLiteral("溢出"));
    }
    return Int(rounded);
}

}  // namespace

qint32 roundToInt32(double value) {
    return roundTo<qint32>(value);
}

qint16 roundToInt16(double value) {
    return roundTo<qint16>(value);
}

qint32 textToInt32(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok) throw host::HostError(13, kSource, QStringLiteral("类型不匹配"));
    return roundToInt32(value);
}

QString numberText(double value) {
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15) {
        return QString::number(qint64(value));
    }
    return QString::number(value, 'g', 15);
}

QString readText(host::SystemProfile& profile, const QString& category, const QString& key,
                 const QString& defaultValue) {
    return profile.GetSystemProfile(category, key, defaultValue);
}

qint32 readInt(host::SystemProfile& profile, const QString& category, const QString& key,
               const QString& defaultValue) {
    return roundToInt32(Val(readText(profile, category, key, defaultValue)));
}

void writeValue(host::ProfileWriter& writer, const QString& category, const QString& key,
                const QVariant& value) {
    writer.Setprofile(GetPropsString(), category, key, value);
}

}  // namespace zx::store

namespace zx::store {

WriteUnit::WriteUnit() : scope_(host::createObject<host::WriteScope>()) {
    scope_->Begin();
}

WriteUnit::~WriteUnit() {
    if (!committed_) scope_->Rollback();
}

void WriteUnit::commit() {
    scope_->Commit();
    committed_ = true;
}

void WriteUnit::part(const std::function<void()>& work) {
    WriteUnit unit;
    work();
    unit.commit();
}

}  // namespace zx::store
