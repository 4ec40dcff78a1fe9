#include "BusinessServices.h"

#include "HostRef.h"
#include "RefHost.h"
#include "sql/Database.h"
#include "zx/host/DictionaryServices.h"

using namespace zx::host;

namespace refhost {

namespace {

// The dictionary lives in t_UserDict, one row per (section, word). Renaming a
// word to itself removes the row: the word is then shown as it is.
class HostUserDictMgr : public UserDictMgr {
public:
    explicit HostUserDictMgr(RefHost& host) : host_(host) {}

    void ModifyUserDictEntry(const QString& props, const QString& section, QString& word,
                             QString& text) override {
        const QString source = QStringLiteral("UserDictMgr.ModifyUserDictEntry");
        host_->checkProps(props, source);
        if (word.trimmed().isEmpty()) {
            throw HostError(kGenericError, source, QStringLiteral("词条不能为空"));
        }
        Database& db = host_->db();
        if (text == word || text.isEmpty()) {
            db.nativeExec(QStringLiteral("DELETE FROM t_UserDict WHERE FSection = ? AND FWord = ?"),
                          {section, word});
            return;
        }
        db.nativeExec(QStringLiteral("INSERT INTO t_UserDict (FSection, FWord, FText) VALUES (?, "
                                     "?, ?) ON CONFLICT (FSection, FWord) DO UPDATE SET FText = "
                                     "excluded.FText"),
                      {section, word, text});
    }

private:
    HostRef host_;
};

}  // namespace

void installBusinessServices(RefHost& host) {
    host.registerFactory(QString::fromLatin1(UserDictMgr::classId),
                         [&host] { return std::make_shared<HostUserDictMgr>(host); });
}

}  // namespace refhost
