#pragma once
// The backup and restore of data sets: one operation per thread object.
//
//   TBackupRestoreThread t(true);
//   t.Mode = 0; t.DbFile = ...; t.BackupFile = ...; (the trailer values, WriteInfo ...)
//   t.Resume();
//   while (!t.IsTerminated()) WaitWithMessages(300);
//   if (!t.Succeeded) show t.ErrorMessage1 + "\r" + t.ErrorMessage2;
//
// The worker does no database, file or user-interface work itself: it hands each step to the
// main thread, which runs it while it waits with WaitWithMessages. A main thread that does not
// pump never sees the steps run.
//
// A backup of a company data set may carry a trailer, nine CR LF lines of CP932 text headed
// "## LomatraZone", appended to the backup file: company name, fiscal year, journal counts,
// data version, joint-data kind and whether personal numbers are in it. A restore reads it to
// check the backup against the target and cuts it off before restoring.
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

class TBackupRestoreThread {
 public:
  // The thread is created suspended whatever is passed; Resume starts it.
  explicit TBackupRestoreThread(bool createSuspended = true);
  // Waits for a started thread to end.
  ~TBackupRestoreThread();
  TBackupRestoreThread(const TBackupRestoreThread&) = delete;
  TBackupRestoreThread& operator=(const TBackupRestoreThread&) = delete;

  bool FreeOnTerminate = false;  // kept for the callers; the caller always frees the object

  int32_t Mode = 0;        // 0 backup, 1 restore, 2 copy (DbFile into DbFile2), 3 rebuild
  uint8_t Remote = 0;      // 1: the databases are on a database server
  uint8_t Confirm = 1;     // run the personal-number questions and checks
  std::string Host;        // database server ("" or "127.0.0.1": this computer)
  std::string DbFile;
  std::string DbFile2;
  std::string BackupFile;  // on this computer
  uint8_t ActivateIndexes = 0;
  uint8_t Succeeded = 0;
  uint8_t Failed = 0;
  std::string ErrorProc;   // "BackupDatabase" or "RestoreDatabase"
  std::string ErrorCode;   // "100", "101", "200", "201" or "202"
  std::string ErrorMessage1;
  std::string ErrorMessage2;
  uint8_t WriteInfo = 0;   // append the trailer after a successful backup
  uint8_t AskMyNumber = 0;
  uint8_t LogMyNumber = 0;
  uint8_t ClearMyNumber = 0;
  int32_t MyNumberAnswer = 0;  // 6: personal numbers go into the backup; 7: the backup has them
  std::string CallerName;
  // The trailer values.
  std::string SHOUGOU;
  std::string KISHU;
  std::string KIMATU;
  int32_t SIWAKE = 0;
  int32_t TOTALSIWAKE = 0;
  std::string DATAVARSION;
  int32_t GASSAN = 0;
  int32_t USEMYNUMBER = 0;

  void Resume();
  bool IsTerminated() const { return terminated_.load(); }

  // Empties the eight trailer values.
  void ClearBackupInfo();
  // Reads the trailer of the backup file into the trailer values; with cut the file is then
  // exactly the backup without it. True when a company name was found. A file without a
  // trailer is left as it is.
  bool ReadBackupInfo(const std::string& backupFile, bool cut);
  // Appends the trailer when SHOUGOU is not empty. A failed append leaves the file as it was
  // and raises.
  void WriteBackupInfo(const std::string& backupFile);

 private:
  void Execute();
  void Terminate() { terminated_.store(true); }
  // Runs a step on the main thread.
  void Step(void (TBackupRestoreThread::*step)());
  void ConfirmMyNumber();
  void BackupDatabase();
  void RestoreDatabase();
  void CopyDatabase();
  void RebuildDatabase();
  // Data in use (attached here or on the server, or held by another program) is not restored.
  bool RefusedInUse();
  void Fail(const char* proc, const char* code, const std::string& message1, const std::string& message2);

  std::thread thread_;
  bool restoring_ = false;  // the step under way restores (for the failure record)
  std::atomic<bool> terminated_{false};
};
