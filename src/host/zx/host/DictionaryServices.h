#pragma once

// The host's user dictionary: the words the application shows, as the
// account set has renamed them.

#include <QString>

#include "zx/host/Service.h"

namespace zx::host {

class UserDictMgr : public Service {
public:
    static constexpr auto classId = "UserDictMgr";
    // From now on the word `word` of `section` is shown as `text`. The word
    // and the text are passed by reference; the host may hand back the forms
    // it stored.
    virtual void ModifyUserDictEntry(const QString& props, const QString& section, QString& word,
                                     QString& text) = 0;
};

}  // namespace zx::host
