#pragma once
// Internal to the database layer: the Firebird client library, its status objects, parameter
// blocks and the text conversion between the program (UTF-8) and the wire (CP932 bytes of the
// connection character set SJIS_0208). Nothing outside src/platform/db includes this.
#include <firebird/Interface.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/DateTime.h"
#include "platform/db/IBError.h"

namespace ibdb {

Firebird::IMaster* Master();
Firebird::IUtil* Util();
// The dispatcher: a plain path goes to the in-process engine, "host:path" to a server.
Firebird::IProvider* Provider();

// One status object for a sequence of calls; the calls throw Firebird::FbException.
class Status {
 public:
  Status();
  ~Status();
  Status(const Status&) = delete;
  Status& operator=(const Status&) = delete;
  Firebird::ThrowStatusWrapper* operator->() { return &wrapper_; }
  Firebird::ThrowStatusWrapper* get() { return &wrapper_; }

 private:
  Firebird::IStatus* status_;
  Firebird::ThrowStatusWrapper wrapper_;
};

EIBError ToError(const Firebird::IStatus* status);
[[noreturn]] void Raise(const Firebird::FbException& e);

// Parameter lists as "name=value" lines (names case-insensitive, an "isc_dpb_" / "isc_tpb_" /
// "isc_spb_" prefix allowed) turned into the engine's parameter blocks. Unknown names raise.
using Block = std::vector<unsigned char>;
Block BuildDpb(const std::vector<std::string>& lines, int pageSize = 0, const char* dbCharset = nullptr);
Block BuildTpb(const std::vector<std::string>& lines);
Block BuildSpbAttach(const std::vector<std::string>& lines);

// UTF-8 -> the CP932 bytes sent to the engine. A character that CP932 cannot hold, or that
// the SJIS_0208 character set of the connection does not know (①, 髙 ...), raises the
// engine's transliteration error: such text is never replaced silently.
std::string ToWire(std::string_view utf8);
// CP932 bytes from the engine -> UTF-8.
std::string FromWire(std::string_view cp932);
// Messages and service output: file paths in them are UTF-8, names and texts of the
// connection CP932; text that is valid UTF-8 is kept, anything else is read as CP932.
std::string MessageToUtf8(std::string_view raw);
// True when every double-byte character of the CP932 text belongs to SJIS_0208.
bool FitsSjis0208(std::string_view cp932);

// Date-times on the wire: ISC_DATE counts days from 1858-11-17, ISC_TIME 1/10000 seconds.
void ToIscTimestamp(TDateTime dt, ISC_DATE& date, ISC_TIME& time);
TDateTime FromIscTimestamp(ISC_DATE date, ISC_TIME time);

}  // namespace ibdb
