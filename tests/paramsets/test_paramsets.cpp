// Parameter sets through the executable: an export holds what the dialog
// reads, an apply onto another set goes through the dialog's save so that a
// diff finds nothing afterwards, and an apply that is refused, asks a
// question or is only tried writes nothing. On SQLite, and on a server with
// ZX_TEST_PG.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "DemoSet.h"

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

class App {
public:
    App() { QVERIFY(dir.isValid()); }

    Run run(const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.start(SYSTEMSETTING_BIN, args + QStringList{"--install", dir.filePath("install")});
        p.waitForFinished(120000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    // The dialog of `set`, acted on by a script that ends with a save.
    void save(DemoSet& set, const QString& script) {
        QFile file(dir.filePath("script.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write((script + "click btnSave\n").toUtf8());
        file.close();
        const Run r = run({"--db", set.location(), "--script", file.fileName()});
        QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The parameters of an exported file, edited and written back.
void editFile(const QString& from, const QString& to,
              const std::function<void(QJsonArray&)>& edit) {
    QJsonObject root = QJsonDocument::fromJson(readAll(from)).object();
    QJsonArray list = root.value("parameters").toArray();
    edit(list);
    root.insert("parameters", list);
    QFile file(to);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(root).toJson());
}

void setText(QJsonArray& list, const QString& key, const QString& text) {
    for (qsizetype i = 0; i < list.size(); ++i) {
        QJsonObject o = list.at(i).toObject();
        if (o.value("key").toString() == key) {
            o.insert("text", text);
            o.remove("absent");
            list.replace(i, o);
            return;
        }
    }
    QFAIL(qPrintable("no parameter " + key));
}

QJsonObject entry(const QByteArray& file, const QString& key) {
    for (const QJsonValue& v :
         QJsonDocument::fromJson(file).object().value("parameters").toArray()) {
        if (v.toObject().value("key").toString() == key) return v.toObject();
    }
    return {};
}

// Everything an apply could write, as text: parameters, audit, change log,
// register and item master.
QString contents(DemoSet& set) {
    QStringList out;
    for (const char* sql :
         {"SELECT FCategory, FKey, FValue, FReadonly FROM t_SystemProfile ORDER BY 1, 2",
          "SELECT COUNT(*) FROM t_SystemProfile_Audit", "SELECT COUNT(*) FROM t_SystemProfile_Log",
          "SELECT FCompanyName FROM t_ad_zxAccount_gl",
          "SELECT FDefaultValue FROM t_ItemPropDesc ORDER BY FItemClassID"}) {
        auto rs = set.db->nativeQuery(sql);
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            QStringList row;
            for (int i = 0; i < rs->FieldCount(); ++i) row << rs->Field(i).toString();
            out << row.join('|');
        }
    }
    return out.join('\n');
}

const char* const kChanges =
    "set txtCompanyName 模板科技有限公司\n"
    "set chkSettle 1\n"
    "set txtTaxRate 6\n"
    "set cmbIC_BOMType 1\n"
    "set chkIC_UseSecUnit 1\n"
    "set chkIC_SecQtyIsMust 1\n"
    "set optHS_CalculateType(1) 1\n";

// The export of `a` is stable and sorted, one parameter a line, and tells
// an empty text from a missing row.
void checkExport(App& app, DemoSet& a, const QByteArray& file) {
    // Stable and sorted, one parameter a line; an empty text is not a missing row.
    const Run again = app.run({"export", "--db", a.location()});
    QCOMPARE(again.out.toUtf8(), file);
    const QStringList lines = again.out.split('\n').filter("\"category\"");
    QVERIFY(lines.size() > 150);
    QStringList ids;
    for (const QString& line : lines) {
        const QJsonObject o =
            QJsonDocument::fromJson(
                line.trimmed().chopped(line.trimmed().endsWith(',') ? 1 : 0).toUtf8())
                .object();
        ids << (o.value("category").toString() + '/' + o.value("key").toString()).toLower();
    }
    QStringList sorted = ids;
    sorted.sort();
    QCOMPARE(ids, sorted);
    QCOMPARE(entry(file, "Fax").value("text").toString(), QString(""));
    QVERIFY(!entry(file, "Fax").contains("absent"));
    QCOMPARE(entry(file, "EMail").value("text").toString(), QString(""));
    QCOMPARE(entry(file, "EMail").value("absent").toBool(), true);
    QCOMPARE(entry(file, "CompanyName").value("page").toString(), QString("系统信息"));
    QCOMPARE(entry(file, "BOMType").value("shown").toString(), QString("标准用量*(1+损耗率%)"));
    QCOMPARE(entry(file, "VoucherSettleType").value("caption").toString(),
             QString("银行存款科目必须输入结算信息"));
}

}  // namespace

class ParamSetsTest : public QObject {
    Q_OBJECT

private slots:
    void exportThenApplyOntoAFreshSetLeavesNothingToDiff() {
        App app;
        DemoSet a;
        app.save(a, kChanges);
        a.db->nativeExec(
            "INSERT INTO t_SystemProfile (FCategory, FKey, FValue) "
            "VALUES ('General', 'Fax', '')");
        const Run exported = app.run({"export", "--db", a.location(), app.path("a.json")});
        QVERIFY2(exported.exitCode == 0, qPrintable(exported.err));
        const QByteArray file = readAll(app.path("a.json"));

        checkExport(app, a, file);
        if (QTest::currentTestFailed()) return;

        DemoSet b;
        const Run before = app.run({"diff", a.location(), b.location()});
        QCOMPARE(before.exitCode, 1);
        QVERIFY(before.out.contains("【系统信息】"));
        QVERIFY(
            before.out.contains("公司名称 (General/CompanyName): \"模板科技有限公司\" → "
                                "\"演示科技有限公司\""));

        // A dry run shows the writes and writes nothing.
        const QString untouched = contents(b);
        const Run dry = app.run({"apply", app.path("a.json"), "--db", b.location(), "--dry-run"});
        QVERIFY2(dry.exitCode == 0, qPrintable(dry.out + dry.err));
        QVERIFY2(dry.out.contains("将要修改 7 个参数"), qPrintable(dry.out));
        QVERIFY(
            dry.out.contains("t_ad_zxAccount_gl/FCompanyName[FAcctID=1]: \"演示科技有限公司\" → "
                             "\"模板科技有限公司\""));
        QVERIFY(dry.out.contains("试运行"));
        QCOMPARE(contents(b), untouched);

        const Run applied = app.run({"apply", app.path("a.json"), "--db", b.location()});
        QVERIFY2(applied.exitCode == 0, qPrintable(applied.out + applied.err));
        const Run after = app.run({"diff", a.location(), b.location()});
        QVERIFY2(after.exitCode == 0, qPrintable(after.out + after.err));
        QVERIFY(after.out.contains("参数相同。"));
        // The empty fax stored in A is read as B's missing one: the same, said apart.
        QVERIFY(after.out.contains("General/Fax"));
        QCOMPARE(app.run({"diff", app.path("a.json"), b.location()}).exitCode, 0);

        // It went through the dialog's save: the register, the item master
        // and the change log of the watched key came with it.
        auto rs = b.db->nativeQuery("SELECT FCompanyName FROM t_ad_zxAccount_gl");
        rs->MoveFirst();
        QCOMPARE(rs->Field(0).toString(), QString("模板科技有限公司"));
        QCOMPARE(b.count("t_SystemProfile_Log"), 1);
        const Run audit = app.run({"audit", "--db", b.location(), "--key", "General/CompanyName"});
        QCOMPARE(audit.exitCode, 0);
        QVERIFY(audit.out.contains(
            "systemsetting "
            "apply\tGeneral\tCompanyName\t\"演示科技有限公司\"\t\"模板科技有限公司\""));
        // The dialog's own saves are named by its window.
        const Run saved = app.run({"audit", "--db", a.location(), "--key", "VoucherSettleType"});
        QVERIFY(
            saved.out.contains("systemsetting/frmSystemProfiles\tGL\tVoucherSettleType\t(无)\t"
                               "\"1\""));
        // Nor did the export write anything.
        QCOMPARE(app.run({"audit", "--db", a.location()}).out.count("systemsetting export"), 0);
    }

    void valuesAUserCouldNotChooseAreRefused_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("why");
        // Every refusal is listed, this one with the period beside it.
        QTest::newRow("a one-way rule")
            << "CN_START_YEAR"
            << "2024"
            << "启用会计年度 (CN/CN_START_YEAR): 要改为 \"2024\", 但启用期间只由模块启用时写入, "
               "套用不启用也不反启用模块";
        QTest::newRow("a number beyond typing") << "QtyDefNum"
                                                << "9"
                                                << "输入框只接受 0 到 8 的数";
        QTest::newRow("a greyed box") << "CheckBeforePost"
                                      << "2"
                                      << "对话框里选不出这个值";
        QTest::newRow("no such entry") << "AuxSpaceMark"
                                       << "#"
                                       << "对话框里选不出这个值";
        QTest::newRow("disabled by a rule") << "SecQtyIsMust"
                                            << "1"
                                            << "须先选中“使用辅助计量单位”";
        QTest::newRow("the page's own value") << "EarnAccount"
                                              << "1"
                                              << "请在对话框中设置";
        QTest::newRow("a question on the way") << "VchMakeANDChkSame"
                                               << "0"
                                               << "已自动回答“否”";
    }
    void valuesAUserCouldNotChooseAreRefused() {
        QFETCH(QString, key);
        QFETCH(QString, text);
        QFETCH(QString, why);
        App app;
        DemoSet b;
        b.db->nativeExec(
            "INSERT INTO t_SystemProfile (FCategory, FKey, FValue) "
            "VALUES ('GL', 'VchMakeANDChkSame', '1')");
        QCOMPARE(app.run({"export", "--db", b.location(), app.path("b.json")}).exitCode, 0);
        editFile(app.path("b.json"), app.path("x.json"), [&](QJsonArray& list) {
            setText(list, "CompanyName", "新名称");
            setText(list, key, text);
            if (key == u"CN_START_YEAR") setText(list, "CurrentPeriod", "3");
        });
        const QString before = contents(b);
        const Run r = app.run({"apply", app.path("x.json"), "--db", b.location()});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.out.contains(why), qPrintable(r.out));
        QVERIFY2(r.out.contains('/' + key + ')'), qPrintable(r.out));
        QVERIFY(r.out.contains("套用被拒绝, 账套没有写入任何内容"));
        QVERIFY(key != u"CN_START_YEAR" || r.out.contains("/CurrentPeriod)"));
        QCOMPARE(contents(b), before);
    }

    // The audit by user and time, and as JSON for programs: one object a
    // line and nothing else on stdout.
    void theAuditAnswersWhoChangedWhatWhen() {
        App app;
        DemoSet b;
        QFile script(app.path("editor.txt"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("set txtCompanyName 编辑科技\nclick btnSave\n");
        script.close();
        QCOMPARE(app.run({"--db", b.location(), "--user", "editor", "--script", script.fileName()})
                     .exitCode,
                 0);
        app.save(b, "set txtFax 021-1234\n");

        const Run json = app.run({"audit", "--db", b.location(), "--user", "EDITOR", "--json"});
        QCOMPARE(json.exitCode, 0);
        const QStringList lines = json.out.split('\n', Qt::SkipEmptyParts);
        QVERIFY(!lines.isEmpty());
        const QStringList fields{"time",     "user", "machine", "address", "program",
                                 "category", "key",  "old",     "new",     "save"};
        QJsonObject name;
        for (const QString& line : lines) {
            QJsonParseError error;
            const QJsonObject o = QJsonDocument::fromJson(line.toUtf8(), &error).object();
            QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(line));
            QCOMPARE(o.keys().size(), fields.size());
            for (const QString& f : fields) QVERIFY2(o.contains(f), qPrintable(f));
            QCOMPARE(o.value("user").toString(), QString("editor"));
            if (o.value("key").toString() == "CompanyName") name = o;
        }
        QCOMPARE(name.value("new").toString(), QString("编辑科技"));
        QCOMPARE(name.value("old").toString(), QString("演示科技有限公司"));
        QVERIFY(app.run({"audit", "--db", b.location(), "--user", "administrator"})
                    .out.contains("\tGeneral\tFax\t"));

        // --until takes in the whole day, or the whole second, it names.
        const QString second = name.value("time").toString().left(19);
        const QString day = second.left(10);
        auto count = [&](const QStringList& filter) {
            const Run r = app.run(QStringList{"audit", "--db", b.location(), "--json"} + filter);
            return r.exitCode == 0 ? r.out.count('\n') : -1;
        };
        const int all = count({});
        QVERIFY(all > lines.size());
        QCOMPARE(count({"--until", day}), all);
        QCOMPARE(count({"--since", day, "--until", day}), all);
        QCOMPARE(count({"--until",
                        QDate::fromString(day, "yyyy-MM-dd").addDays(-1).toString("yyyy-MM-dd")}),
                 0);
        QVERIFY(count({"--until", second, "--user", "editor"}) >= 1);
        QCOMPARE(count({"--until", "tomorrow"}), -1);
        QCOMPARE(app.run({"audit", "--db", b.location(), "--login", "guest"}).exitCode, 1);
    }

    void badArgumentsAndUnusableSets() {
        App app;
        DemoSet b;
        QFile broken(app.path("broken.json"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(
            "{\n  \"format\": \"systemsetting-parameters\",\n  \"version\": 1,\n  oops\n}\n");
        broken.close();
        Run r = app.run({"apply", app.path("broken.json"), "--db", b.location()});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains("第 4 行"), qPrintable(r.err));
        QCOMPARE(app.run({"apply", app.path("missing.json"), "--db", b.location()}).exitCode, 2);
        // A file far larger than any export is refused before it is read.
        QFile huge(app.path("huge.json"));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(11 * 1024 * 1024));
        huge.close();
        r = app.run({"apply", huge.fileName(), "--db", b.location()});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(huge.fileName()) && r.err.contains("10 MB"), qPrintable(r.err));
        QCOMPARE(app.run({"apply", "--db", b.location()}).exitCode, 2);
        QCOMPARE(app.run({"export", "--db", app.path("nowhere.zxdb")}).exitCode, 2);
        QCOMPARE(app.run({"audit", "--db", b.location(), "--since", "yesterday"}).exitCode, 2);
        QCOMPARE(app.run({"diff", b.location()}).exitCode, 2);

        // A user who may only view exports, but cannot apply; a guest cannot export.
        QCOMPARE(app.run({"export", "--db", b.location(), "--user", "viewer", app.path("b.json")})
                     .exitCode,
                 0);
        editFile(app.path("b.json"), app.path("x.json"),
                 [](QJsonArray& list) { setText(list, "CompanyName", "新名称"); });
        const QString before = contents(b);
        r = app.run({"apply", app.path("x.json"), "--db", b.location(), "--user", "viewer"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.contains("没有修改系统参数的权限"));
        QCOMPARE(contents(b), before);
        QCOMPARE(app.run({"export", "--db", b.location(), "--user", "guest"}).exitCode, 1);
    }
};

QTEST_MAIN(ParamSetsTest)
#include "test_paramsets.moc"
