#include "platform/db/IBServices.h"

#include <ibase.h>

#include <algorithm>

#include "platform/db/FbClient.h"
#include "platform/db/IBDatabase.h"

using namespace Firebird;

namespace {

int ReadInt(const unsigned char* p, unsigned len) {
  uint32_t v = 0;
  for (unsigned k = 0; k < len; ++k) v |= static_cast<uint32_t>(p[k]) << (8 * k);
  return static_cast<int>(v);
}

// Builds a start block: the action, then what `fill` adds.
template <typename Fill>
std::vector<unsigned char> StartBlock(unsigned char action, Fill fill) {
  ibdb::Status st;
  try {
    IXpbBuilder* xpb = ibdb::Util()->getXpbBuilder(st.get(), IXpbBuilder::SPB_START, nullptr, 0);
    try {
      xpb->insertTag(st.get(), action);
      fill(xpb, st.get());
      const unsigned char* p = xpb->getBuffer(st.get());
      std::vector<unsigned char> block(p, p + xpb->getBufferLength(st.get()));
      xpb->dispose();
      return block;
    } catch (...) {
      xpb->dispose();
      throw;
    }
  } catch (const FbException& e) {
    ibdb::Raise(e);
  }
}

}  // namespace

TIBCustomService::~TIBCustomService() { Detach(); }

void TIBCustomService::Attach() {
  if (svc_) return;
  std::string name = ServerName.empty() ? "service_mgr" : ServerName + ":service_mgr";
  ibdb::Block spb = ibdb::BuildSpbAttach(Params);
  ibdb::Status st;
  try {
    svc_ = ibdb::Provider()->attachServiceManager(st.get(), name.c_str(), static_cast<unsigned>(spb.size()), spb.data());
  } catch (const FbException& e) {
    ibdb::Raise(e);
  }
}

void TIBCustomService::Detach() {
  if (!svc_) return;
  ibdb::Status st;
  try {
    svc_->detach(st.get());  // releases the service on success
  } catch (const FbException&) {
    svc_->release();
  }
  svc_ = nullptr;
}

void TIBCustomService::CheckActive() const {
  if (!svc_) throw EIBError("Service is not attached");
}

void TIBControlService::Start(const std::vector<unsigned char>& spb) {
  CheckActive();
  ibdb::Status st;
  try {
    svc_->start(st.get(), static_cast<unsigned>(spb.size()), spb.data());
    eof_ = false;
  } catch (const FbException& e) {
    ibdb::Raise(e);
  }
}

std::string TIBControlService::GetNextLine() {
  if (eof_) return "";
  CheckActive();
  const unsigned char items[] = {isc_info_svc_line};
  std::vector<unsigned char> buf(16384);
  ibdb::Status st;
  try {
    svc_->query(st.get(), 0, nullptr, sizeof items, items, static_cast<unsigned>(buf.size()), buf.data());
  } catch (const FbException& e) {
    eof_ = true;
    ibdb::Raise(e);
  }
  if (buf[0] != isc_info_svc_line) {
    eof_ = true;
    return "";
  }
  unsigned len = static_cast<unsigned>(ReadInt(buf.data() + 1, 2));
  if (len == 0) {
    eof_ = true;  // the service has finished and said everything
    return "";
  }
  len = std::min<unsigned>(len, static_cast<unsigned>(buf.size()) - 3);
  return ibdb::MessageToUtf8(std::string_view(reinterpret_cast<const char*>(buf.data() + 3), len));
}

void TIBBackupService::ServiceStart() {
  if (DatabaseName.empty() || BackupFile.empty()) throw EIBError("Backup needs a database and a backup file");
  Start(StartBlock(isc_action_svc_backup, [&](IXpbBuilder* x, ThrowStatusWrapper* st) {
    x->insertString(st, isc_spb_dbname, DatabaseName.c_str());
    for (const std::string& f : BackupFile) x->insertString(st, isc_spb_bkp_file, f.c_str());
    if (BlockingFactor > 0) x->insertInt(st, isc_spb_bkp_factor, BlockingFactor);
    if (Options) x->insertInt(st, isc_spb_options, static_cast<int>(Options));
    if (Verbose) x->insertTag(st, isc_spb_verbose);
  }));
}

void TIBRestoreService::ServiceStart() {
  if (DatabaseName.empty() || BackupFile.empty()) throw EIBError("Restore needs a backup file and a database");
  Start(StartBlock(isc_action_svc_restore, [&](IXpbBuilder* x, ThrowStatusWrapper* st) {
    for (const std::string& f : BackupFile) x->insertString(st, isc_spb_bkp_file, f.c_str());
    for (const std::string& d : DatabaseName) x->insertString(st, isc_spb_dbname, d.c_str());
    if (PageBuffers > 0) x->insertInt(st, isc_spb_res_buffers, PageBuffers);
    if (PageSize > 0) x->insertInt(st, isc_spb_res_page_size, PageSize);
    x->insertInt(st, isc_spb_options, static_cast<int>(Options));
    if (Verbose) x->insertTag(st, isc_spb_verbose);
  }));
}

void TIBValidationService::ServiceStart() {
  if (DatabaseName.empty()) throw EIBError("Validation needs a database");
  Start(StartBlock(isc_action_svc_repair, [&](IXpbBuilder* x, ThrowStatusWrapper* st) {
    x->insertString(st, isc_spb_dbname, DatabaseName.c_str());
    x->insertInt(st, isc_spb_options, static_cast<int>(Options));
  }));
}

void TIBServerProperties::FetchDatabaseInfo() {
  CheckActive();
  DatabaseInfo = TDatabaseInfo{};
  if (ServerName.empty()) {
    std::vector<std::string> names = TIBDatabase::LocalAttachments();
    DatabaseInfo.NoOfAttachments = static_cast<int>(names.size());
    for (const std::string& n : names)
      if (std::find(DatabaseInfo.DbName.begin(), DatabaseInfo.DbName.end(), n) == DatabaseInfo.DbName.end())
        DatabaseInfo.DbName.push_back(n);
    DatabaseInfo.NoOfDatabases = static_cast<int>(DatabaseInfo.DbName.size());
    return;
  }
  const unsigned char items[] = {isc_info_svc_svr_db_info};
  std::vector<unsigned char> buf(32767);  // the wire gives the length 16 bits
  ibdb::Status st;
  try {
    svc_->query(st.get(), 0, nullptr, sizeof items, items, static_cast<unsigned>(buf.size()), buf.data());
  } catch (const FbException& e) {
    ibdb::Raise(e);
  }
  if (buf[0] != isc_info_svc_svr_db_info) return;
  size_t p = 1;
  while (p < buf.size() && buf[p] != isc_info_flag_end && buf[p] != isc_info_end) {
    unsigned char tag = buf[p++];
    if (tag == isc_spb_num_att || tag == isc_spb_num_db) {
      if (p + 4 > buf.size()) break;
      (tag == isc_spb_num_att ? DatabaseInfo.NoOfAttachments : DatabaseInfo.NoOfDatabases) = ReadInt(&buf[p], 4);
      p += 4;
    } else if (tag == isc_spb_dbname) {
      if (p + 2 > buf.size()) break;
      unsigned len = static_cast<unsigned>(ReadInt(&buf[p], 2));
      p += 2;
      if (p + len > buf.size()) break;
      DatabaseInfo.DbName.push_back(ibdb::MessageToUtf8(std::string_view(reinterpret_cast<const char*>(&buf[p]), len)));
      p += len;
    } else {
      break;
    }
  }
}
