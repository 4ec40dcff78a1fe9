#include <QLocale>

#include "zx/session/Session.h"

namespace zx {

namespace {

QString twoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

qsizetype runLength(const QString& format, qsizetype at) {
    const QChar letter = format.at(at).toLower();
    qsizetype end = at;
    while (end < format.size() && format.at(end).toLower() == letter) ++end;
    return end - at;
}

// The AM/PM markers the pictures know, longest first.
const char* const kMarkers[] = {"AM/PM", "am/pm", "AMPM", "ampm", "A/P", "a/p"};

const char* markerAt(const QString& format, qsizetype at) {
    for (const char* marker : kMarkers) {
        if (QStringView(format).mid(at).startsWith(QLatin1String(marker), Qt::CaseSensitive)) {
            return marker;
        }
    }
    return nullptr;
}

bool hasMarker(const QString& format) {
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format.at(i) == QLatin1Char('\\')) {
            ++i;
        } else if (format.at(i) == QLatin1Char('"')) {
            const qsizetype close = format.indexOf(QLatin1Char('"'), i + 1);
            i = close < 0 ? format.size() : close;
        } else if (markerAt(format, i)) {
            return true;
        }
    }
    return false;
}

// The next picture letter after `at`, skipping literals; 0 when none.
QChar nextToken(const QString& format, qsizetype at) {
    for (qsizetype i = at; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\\')) {
            ++i;
        } else if (c == QLatin1Char('"')) {
            const qsizetype close = format.indexOf(QLatin1Char('"'), i + 1);
            i = close < 0 ? format.size() : close;
        } else if (QStringLiteral("ymdwqhns").contains(c.toLower())) {
            return c.toLower();
        }
    }
    return QChar();
}

// Weeks start on Sunday; week 1 is the week of 1 January.
int weekOfYear(const QDate& date) {
    const int firstWeekday = QDate(date.year(), 1, 1).dayOfWeek() % 7;  // Sunday 0
    return (date.dayOfYear() - 1 + firstWeekday) / 7 + 1;
}

int sundayBasedWeekday(const QDate& date) {
    return date.dayOfWeek() % 7 + 1;
}

// A quoted or escaped literal, or an AM/PM marker, at `at`: appends it and
// returns how many characters it took (0 when none is there).
qsizetype literalAt(const QString& format, qsizetype at, const QTime& time, QString& out) {
    const QChar c = format.at(at);
    if (c == QLatin1Char('\\')) {
        if (at + 1 < format.size()) out += format.at(at + 1);
        return 2;
    }
    if (c == QLatin1Char('"')) {
        const qsizetype close = format.indexOf(QLatin1Char('"'), at + 1);
        out += format.mid(at + 1, close < 0 ? -1 : close - at - 1);
        return close < 0 ? format.size() - at : close + 1 - at;
    }
    const char* marker = markerAt(format, at);
    if (!marker) return 0;
    const QString m = QLatin1String(marker);
    const bool pm = time.hour() >= 12;
    if (m.compare(QLatin1String("AMPM"), Qt::CaseInsensitive) == 0) {
        out += pm ? QStringLiteral("PM") : QStringLiteral("AM");
    } else {
        const QStringList parts = m.split(QLatin1Char('/'));
        out += pm ? parts.at(1) : parts.at(0);
    }
    return m.size();
}

struct Picture {
    const QDateTime& value;
    const QString& format;
    bool twelveHour;
    QLocale chinese{QLocale::Chinese, QLocale::China};
};

QString dayPart(const QDate& date, QChar letter, qsizetype run, const QLocale& chinese) {
    if (letter == u'y') {
        if (run >= 3) return QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
        return run == 2 ? twoDigits(date.year() % 100) : QString::number(date.dayOfYear());
    }
    if (run == 1) return QString::number(date.day());
    if (run == 2) return twoDigits(date.day());
    if (run <= 4) {
        return chinese.dayName(date.dayOfWeek(),
                               run == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
    }
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

// The text of one picture letter run at `at`; `used` is how many letters it
// takes (runs longer than a picture knows count as one) and `hour` tells an
// hour, after which an "m" is a minute. Empty `used` 0: not a picture letter.
QString pictureAt(const Picture& p, qsizetype at, bool afterHour, qsizetype& used, bool& hour) {
    const QDate date = p.value.date();
    const QTime time = p.value.time();
    const QChar letter = p.format.at(at).toLower();
    const qsizetype run = runLength(p.format, at);
    auto number = [run](int v) { return run >= 2 ? twoDigits(v) : QString::number(v); };
    used = run;
    hour = false;
    switch (letter.unicode()) {
        case 'y':
        case 'd':
            return dayPart(date, letter, run, p.chinese);
        case 'm':
            if (run <= 2 && (afterHour || nextToken(p.format, at + run) == QLatin1Char('s'))) {
                return number(time.minute());
            }
            if (run <= 2) return number(date.month());
            return p.chinese.monthName(date.month(),
                                       run == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
        case 'w':
            used = qMin<qsizetype>(run, 2);
            return QString::number(run >= 2 ? weekOfYear(date) : sundayBasedWeekday(date));
        case 'q':
            used = 1;
            return QString::number((date.month() - 1) / 3 + 1);
        case 'h': {
            int h = time.hour();
            if (p.twelveHour) h = h % 12 == 0 ? 12 : h % 12;
            hour = true;
            return number(h);
        }
        case 'n':
            return number(time.minute());
        case 's':
            return number(time.second());
        default:
            used = 0;
            return {};
    }
}

}  // namespace

QString FormatDateTime(const QDateTime& value, const QString& format) {
    const Picture picture{value, format, hasMarker(format)};
    QString out;
    bool afterHour = false;  // an "m" right after an hour is a minute
    qsizetype i = 0;
    while (i < format.size()) {
        if (const qsizetype literal = literalAt(format, i, value.time(), out)) {
            i += literal;
            continue;
        }
        qsizetype used = 0;
        bool hour = false;
        const QString text = pictureAt(picture, i, afterHour, used, hour);
        if (used == 0) {
            out += format.at(i++);
            continue;
        }
        out += text;
        afterHour = hour;
        i += used;
    }
    return out;
}

}  // namespace zx
