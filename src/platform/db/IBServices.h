#pragma once
// The Firebird services: backup, restore, validation and the list of attached databases.
//
//   TIBBackupService b;
//   b.ServerName = "";                     // this computer's engine, in process
//   b.Params = {"user_name=GKFMCB", "password=mirsol"};
//   b.Attach();
//   b.DatabaseName = "/data/0001/qvacc.fdb";
//   b.BackupFile = {"/data/0001/qvacc.fb_"};
//   b.Options = TIBBackupService::IgnoreLimbo | TIBBackupService::NoGarbageCollection;
//   b.Verbose = true;
//   b.ServiceStart();
//   while (!b.Eof()) b.GetNextLine();
//   b.Detach();
//
// ServerName "" reaches the in-process engine ("service_mgr"); "host" or "host/port" a
// Firebird server ("host:service_mgr"). Failures raise EIBError.
#include <string>
#include <vector>

#include "platform/db/IBError.h"

namespace Firebird {
class IService;
}

class TIBCustomService {
 public:
  TIBCustomService() = default;
  virtual ~TIBCustomService();
  TIBCustomService(const TIBCustomService&) = delete;
  TIBCustomService& operator=(const TIBCustomService&) = delete;

  std::string ServerName;
  std::vector<std::string> Params;  // "user_name=...", "password=..."

  void Attach();  // nothing when already attached
  void Detach();  // never raises
  bool Active() const { return svc_ != nullptr; }

 protected:
  void CheckActive() const;
  Firebird::IService* svc_ = nullptr;
};

// A service that runs on the server and reports output lines.
class TIBControlService : public TIBCustomService {
 public:
  // Waits for the next output line; "" and Eof() at the end of the output. An error of the
  // service raises here.
  std::string GetNextLine();
  bool Eof() const { return eof_; }

 protected:
  void Start(const std::vector<unsigned char>& spb);

 private:
  bool eof_ = true;
};

class TIBBackupService : public TIBControlService {
 public:
  static constexpr unsigned IgnoreChecksums = 0x01;
  static constexpr unsigned IgnoreLimbo = 0x02;
  static constexpr unsigned MetadataOnly = 0x04;
  static constexpr unsigned NoGarbageCollection = 0x08;
  static constexpr unsigned OldMetadataDesc = 0x10;
  static constexpr unsigned NonTransportable = 0x20;

  std::string DatabaseName;
  std::vector<std::string> BackupFile;
  unsigned Options = 0;
  bool Verbose = false;
  int BlockingFactor = 0;  // 0: the engine's default

  void ServiceStart();
};

class TIBRestoreService : public TIBControlService {
 public:
  static constexpr unsigned DeactivateIndexes = 0x0100;
  static constexpr unsigned NoShadow = 0x0200;
  static constexpr unsigned NoValidityCheck = 0x0400;
  static constexpr unsigned OneRelationAtATime = 0x0800;
  static constexpr unsigned Replace = 0x1000;
  static constexpr unsigned CreateNewDB = 0x2000;
  static constexpr unsigned UseAllSpace = 0x4000;

  std::vector<std::string> DatabaseName;
  std::vector<std::string> BackupFile;
  unsigned Options = 0;
  int PageSize = 0;     // 0: as in the backup
  int PageBuffers = 0;  // 0: the engine's default
  bool Verbose = false;

  void ServiceStart();
};

class TIBValidationService : public TIBControlService {
 public:
  static constexpr unsigned ValidateDB = 0x01;
  static constexpr unsigned SweepDB = 0x02;
  static constexpr unsigned MendDB = 0x04;
  static constexpr unsigned LimboTransactions = 0x08;
  static constexpr unsigned CheckDB = 0x10;
  static constexpr unsigned IgnoreChecksum = 0x20;
  static constexpr unsigned KillShadows = 0x40;
  static constexpr unsigned ValidateFull = 0x80;

  std::string DatabaseName;
  unsigned Options = ValidateDB;

  void ServiceStart();
};

struct TDatabaseInfo {
  int NoOfAttachments = 0;
  int NoOfDatabases = 0;
  std::vector<std::string> DbName;  // full names of the attached database files
};

class TIBServerProperties : public TIBCustomService {
 public:
  // A server reports every attachment it serves. The in-process engine (ServerName "")
  // serves only this process, whose connections the layer knows itself; the engine's own
  // report would need administrator rights that the database user does not have there.
  void FetchDatabaseInfo();
  TDatabaseInfo DatabaseInfo;
};
