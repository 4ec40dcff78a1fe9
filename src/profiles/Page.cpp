#include "Page.h"

#include <QCheckBox>

#include "zx/host/HostError.h"
#include "zx/params/Codec.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/store/Store.h"

namespace zx::profiles {

using params::Lock;
using params::Param;

Shared::Shared(frmSystemProfiles& d) : dialog(d), c(d.controls()) {}

QString Page::load(const Param& p, host::SystemProfile& reader) {
    return load(p, [&reader](const QString& c, const QString& k, const QString& d) {
        return reader.GetSystemProfile(c, k, d);
    });
}

QString Page::load(const Param& p, const Reader& reader) {
    const QString stored =
        reader(params::categoryName(p.cat), params::keyOf(p), params::defaultOf(p));
    show(p, stored);
    return stored;
}

void Page::show(const Param& p, const QString& stored) {
    params::State state;
    try {
        state = params::decode(p, stored);
    } catch (const host::HostError& e) {
        // Say which value could not be read, not only why.
        throw host::HostError(e.number(), e.source(),
                              QStringLiteral("参数 %1/%2 的值“%3”无法读取（%4）：%5")
                                  .arg(params::categoryName(p.cat), params::keyOf(p), stored,
                                       params::captionOf(p), e.description()));
    }
    s.c.setState(p, state);
    remember(p, stored);
}

void Page::remember(const Param& p, const QString& stored) {
    s.baseline.loaded(p, stored);
    s.loadedBy.insert(&p, this);
}

void Page::saveLoaded(host::ProfileWriter& writer, const std::function<void(const Param&)>& step) {
    for (const Param* p : s.baseline.params()) {
        if (s.loadedBy.value(p) != this) continue;
        if (p->write == params::Write::Changed) save(*p, writer);
        if (p->write == params::Write::Page && step) step(*p);
    }
}

bool Page::changed(const Param& p) const {
    return s.baseline.changed(p, s.c.state(p));
}

QVariant Page::value(const Param& p) const {
    return params::encode(p, s.c.state(p), s.baseline.storedText(p));
}

void Page::save(const Param& p, host::ProfileWriter& writer) {
    if (!changed(p)) return;
    const QVariant v = value(p);
    if (v.isValid()) {
        store::writeValue(writer, params::categoryName(p.cat), params::keyOf(p), v);
        s.written << &p;
    }
}

void Page::enableByRule(const Param& p, bool holds) {
    const QString why = holds ? params::text(p.note) : lockReason(p);
    for (QWidget* w : s.c.widgets(p)) {
        w->setEnabled(holds);
        w->setToolTip(why);
    }
}

void Page::applyNeeds(const Param& p, bool clear) {
    QWidget* needed = s.c.widget(p.needs->control);
    const bool holds = needed->isEnabled() && ticked(*p.needs);
    if (!holds && clear && p.clearedWithout) setTicked(p, false);
    enableByRule(p, holds);
}

void Page::react(const Param& cause, const std::function<void()>& rule) const {
    s.dialog.react(s.c.widgets(cause), rule);
}

bool Page::ticked(const Param& p) const {
    return frame::Controls::checkValue(get<QCheckBox>(p.control)) != 0;
}

void Page::setTicked(const Param& p, bool on) const {
    frame::Controls::setCheckValue(get<QCheckBox>(p.control), on ? 1 : 0);
}

int Page::selected(const Param& p) const {
    const params::State st = s.c.state(p);
    return st.values.isEmpty() ? -1 : st.values.first();
}

QString Page::boxText(const Param& p) const {
    return s.c.state(p).text;
}

}  // namespace zx::profiles
