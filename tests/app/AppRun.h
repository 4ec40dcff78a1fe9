#pragma once

// Running the systemsetting executable as a user or a script starts it, and
// reading back the controls it dumps.

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the executable with `args` (offscreen unless `env` says otherwise);
// a script, when given, is written to `scriptFile` and passed with --script.
inline Run runApp(QStringList args, const QString& scriptFile = QString(),
                  const QString& script = QString(),
                  QProcessEnvironment env = QProcessEnvironment::systemEnvironment()) {
    if (!script.isNull()) {
        QFile file(scriptFile);
        if (file.open(QIODevice::WriteOnly)) file.write(script.toUtf8());
        args << "--script" << scriptFile;
    }
    if (!env.contains("DISPLAY")) env.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(SYSTEMSETTING_BIN, args);
    p.waitForFinished(120000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// The last dump line of each control, by name.
inline QHash<QString, QJsonObject> dumped(const QString& out) {
    QHash<QString, QJsonObject> found;
    for (const QString& line : out.split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        if (!o.isEmpty()) found.insert(o.value("name").toString(), o);
    }
    return found;
}

inline QJsonObject control(const QString& out, const QString& name) {
    return dumped(out).value(name);
}
