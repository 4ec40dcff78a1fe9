#pragma once

namespace refhost {

class RefHost;

// Registers the services of the business modules: UserDictMgr, the account
// set's dictionary of renamed words.
void installBusinessServices(RefHost& host);

}  // namespace refhost
