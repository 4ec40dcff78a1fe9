#pragma once

namespace refhost {

class Database;
class RefHost;

// Registers ParamAudit: a parameter's recorded changes from the host's audit
// (t_SystemProfile_Audit), newest first, for a user who may view the
// parameters. A write that stored the text it found is no change and is
// left out.
void installParamHistoryService(RefHost& host);

// Makes the audit's index by parameter where it is missing: an account set
// made before it has it from its first audited write on, since opening a
// set never writes. Called inside the write's transaction; looks once per
// process and account set.
void ensureHistoryIndex(Database& db);

}  // namespace refhost
