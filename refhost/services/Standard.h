#pragma once

namespace refhost {

class RefHost;

// Registers every service the reference host offers: the session, data,
// rights, language, configuration, help and per-user services, the parameter
// services and the function lock.
void installStandardServices(RefHost& host);

// The groups installStandardServices is made of.
void installSessionServices(RefHost& host);   // ShareProps, LangInfo
void installDataServices(RefHost& host);      // ClassInfo, ClassUpdate, AppConnection
void installSecurityServices(RefHost& host);  // SecurityInfo
void installConfigServices(RefHost& host);    // RegistryReader, CHMHelp
void installUserProfileService(RefHost& host);
// UpdatePeriodDate, AcctMgr, InitializeBalance, SessionUserProfile, FrameData
void installLedgerServices(RefHost& host);

}  // namespace refhost
