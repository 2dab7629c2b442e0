#include "export/ComDataExp.h"

#include <cctype>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <vector>

#include "data/DataModule.h"
#include "data/uAccFunction2Win.h"
#include "data/z5AppInfo.h"
#include "platform/Encoding.h"
#include "platform/Folders.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/UiServices.h"
#include "platform/ini/IniFile.h"

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}
std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
std::string TwoDigits(int32_t n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%.2d", n);
  return buf;
}

// The first character of a UTF-8 text (a stray byte alone).
std::string_view FirstChar(std::string_view s) {
  const unsigned char b = static_cast<unsigned char>(s[0]);
  size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 1;
  return s.substr(0, n > s.size() ? s.size() : n);
}

namespace fs = std::filesystem;

// The path as the file system reaches it: a drive form resolved, made absolute, the symbolic
// links of its existing part followed, "." and ".." taken out. Empty when it names nothing.
fs::path RealPath(const std::string& path) {
  const std::string local = HasDriveLetter(path) ? ResolvePath(path) : path;
  if (local.empty()) return {};
  std::error_code ec;
  const fs::path absolute = fs::absolute(local, ec);
  if (ec) return fs::path(local).lexically_normal();
  const fs::path real = fs::weakly_canonical(absolute, ec);
  return ec ? absolute.lexically_normal() : real;
}

// The named parts of a path ("/a/b/" gives "/", "a", "b").
std::vector<fs::path> Parts(const fs::path& p) {
  std::vector<fs::path> parts;
  for (const fs::path& part : p) {
    if (!part.empty()) parts.push_back(part);
  }
  return parts;
}

// Whether file lies in folder or any folder below it.
bool IsInside(const fs::path& file, const fs::path& folder) {
  const std::vector<fs::path> f = Parts(file), d = Parts(folder);
  if (d.empty() || f.size() <= d.size()) return false;
  for (size_t i = 0; i < d.size(); ++i) {
    if (f[i] != d[i]) return false;
  }
  return true;
}

bool SameFile(const fs::path& a, const fs::path& b) {
  if (a.empty() || b.empty()) return false;
  if (a == b) return true;
  std::error_code ec;
  return fs::equivalent(a, b, ec);  // hard links; false when either is missing
}

// The file of a database name: "host[/port]:path" names the server's path, which on a
// server of this computer is the same file.
std::string FileOfDatabaseName(const std::string& name) {
  if (name.empty() || name[0] == '/' || HasDriveLetter(name)) return name;
  const size_t colon = name.find(':');
  return colon == std::string::npos ? name : name.substr(colon + 1);
}

}  // namespace

EIBError ExportDbError(const EIBError& error, const std::string& step, const std::string& tables) {
  return EIBError(error.IBErrorCode, error.SQLCode,
                  "消費税データの作成中にエラーが発生しました。(" + step + ": " + tables + ")\n" + error.Message);
}

void CheckExportFile(const std::string& exportFile) {
  if (exportFile.empty()) {
    throw EDataExportError("出力先のファイル名が指定されていません。", kExportErrNoOutputFile, "ExportFile");
  }
  const fs::path file = RealPath(exportFile);
  const std::string ext = Lower(ExtractFileExt(exportFile));
  if (ext == ".fdb" || ext == ".gdb" || ext == ".ib") {
    throw EDataExportError("出力先にデータベースファイルは指定できません。", kExportErrOutputIsDatabase, exportFile);
  }

  std::vector<fs::path> dataFolders;
  if (!SystemDef.SysDir.empty()) dataFolders.push_back(RealPath(SystemDef.SysDir));
  if (DM != nullptr) {
    for (const TIBDatabase* db : {&DM->IBDatabaseDEF, &DM->IBDatabaseDAT, &DM->IBFileMan}) {
      if (!db->Connected()) continue;
      const fs::path dbFile = RealPath(FileOfDatabaseName(db->DatabaseName));
      if (SameFile(file, dbFile)) {
        throw EDataExportError("出力先にデータベースファイルは指定できません。", kExportErrOutputIsDatabase,
                               exportFile + " (" + db->DatabaseName + ")");
      }
      if (db == &DM->IBDatabaseDAT && !dbFile.empty()) dataFolders.push_back(dbFile.parent_path());
    }
  }
  for (const fs::path& folder : dataFolders) {
    if (IsInside(file, folder)) {
      throw EDataExportError("出力先に会計データのフォルダは指定できません。別のフォルダを指定してください。",
                             kExportErrOutputInDataFolder, exportFile + " (" + folder.string() + ")");
    }
  }
}

void CheckExportText(const std::string& text, const std::string& element) {
  std::string cp932;
  std::string_view rest(text);
  while (!rest.empty()) {
    const std::string_view ch = FirstChar(rest);
    const unsigned char b = static_cast<unsigned char>(ch[0]);
    const bool control = ch.size() == 1 && (b < 0x20 || b == 0x7F) && b != '\t' && b != '\n' && b != '\r';
    if (control || !sjis::TryFromUtf8(ch, cp932)) {
      char code[32];
      if (control || ch.size() == 1) {
        std::snprintf(code, sizeof code, "0x%02X", b);
      } else {
        std::snprintf(code, sizeof code, "「%.*s」", static_cast<int>(ch.size()), ch.data());
      }
      throw EDataExportError("中間ファイルに書き込めない文字が含まれています。", kExportErrBadText,
                             element + ": " + code + " (" + text + ")");
    }
    rest.remove_prefix(ch.size());
  }
}

void CheckStoredText(std::string_view cp932, const std::string& element) {
  std::string utf8;
  if (sjis::TryToUtf8(cp932, utf8)) return;
  std::string bad;
  for (size_t i = 0; i < cp932.size();) {
    const size_t n = sjis::IsLeadByte(static_cast<unsigned char>(cp932[i])) && i + 1 < cp932.size() ? 2 : 1;
    if (!sjis::TryToUtf8(cp932.substr(i, n), utf8)) {
      for (size_t k = i; k < i + n; ++k) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(cp932[k]));
        bad += hex;
      }
      break;
    }
    i += n;
  }
  throw EDataExportError("中間ファイルに書き込めない文字が含まれています。", kExportErrBadText,
                         element + (bad.empty() ? "" : ": 0x" + bad) + " (" + sjis::ToUtf8(cp932) + ")");
}

TComDataExport::TComDataExport(std::string exportFile, int32_t functionId) {
  const std::string program = folders::ProgramFile();
  ExeName = Upper(ExtractFileName(program));
  ExeDir = ExtractFileDir(program);
  ExeDrive = ExtractFileDrive(ExeDir);

  DataRootDir = ExcludeTrailingPathDelimiter(folders::CommonAppDataDir()) + "/" + fw::HomeDir;
  IniDir = DataRootDir + "/ini";
  ForceDirectory(IniDir);

  GetSeihinRegValue(10, 0, "Product", ProgramName);
  GetSeihinRegValue(10, 0, "Version", ProgramVer);

  MinProgramVer = "10.0.0";
  Caption = "消費税のSoravin（平成26年度版 以降） from " + ProgramName;
  ConnectedProgramVer = "10.0.0";
  TargetName = "消費税のSoravin";
  Kind = "SY";
  CallerFunctionId = functionId;
  GyoumuPrefix = "SY26";
  FormatVersion = 1;
  FunctionId = functionId != 0 ? functionId : 1;

  if (Kind.find("ST") != std::string::npos) {
    SelectCondition = 2;
  } else if (Kind.find("SY") != std::string::npos) {
    SelectCondition = 0;
  } else {
    SelectCondition = 1;
  }
  DataVerMajor = "10";

  ExportFile = std::move(exportFile);
  LoadSettings();
}

TComDataExport::~TComDataExport() {
  try {
    SaveSettings();
  } catch (const std::exception& e) {
    // The wizard still has to hand its result to the caller: a settings file that cannot be
    // written must not end the program here.
    std::cerr << "Soravin.ini: " << e.what() << '\n';
  }
}

std::string TComDataExport::SettingsSection(const std::string& kind) {
  static const struct {
    const char* kind;
    const char* section;
  } kSections[] = {
      {"HJ", "HOJINZEI"},   {"HJ_G", "HOJINZEI_G"},     {"SY", "SYOUHIZEI"},
      {"UG", "UTIWAKESYO"}, {"UG_G", "GAIKYOUSYO"},     {"ST", "SYOTOKUZEI"},
      {"ST_G", "SYOTOKUZEI_G"}, {"RC", "RENKETUNOUZEI"}, {"RC_G", "RENKETUNOUZEI_G"},
  };
  for (const auto& s : kSections) {
    if (kind == s.kind) return s.section;
  }
  return {};
}

void TComDataExport::LoadSettings() {
  const std::string section = SettingsSection(Kind);
  if (section.empty()) return;
  TIniFile ini(SettingsFile());
  LastDataPath = ini.ReadString(section, "DATA", "");
  KomonsakiName = ini.ReadString(section, "KOMONSAKI", "");
  // A caller that names the output file owns it: it is neither taken from nor kept here.
  if (CallerFunctionId == 0) ExportFile = ini.ReadString(section, "EXPORTFILE", "");
}

void TComDataExport::SaveSettings() {
  const std::string section = SettingsSection(Kind);
  if (section.empty()) return;
  TIniFile ini(SettingsFile());
  ini.BeginUpdate();
  ini.WriteString(section, "DATA", LastDataPath);
  ini.WriteString(section, "KOMONSAKI", KomonsakiName);
  if (CallerFunctionId == 0) ini.WriteString(section, "EXPORTFILE", ExportFile);
  ini.UpdateFile();
}

void TComDataExport::GetSeihinRegValue(int32_t version, int32_t letter, const std::string& valueName,
                                       std::string& value) {
  TRegistry reg;
  reg.RootKey = HKEY_LOCAL_MACHINE;
  const std::string pattern = Lower(AppInfo.ZaimuRegKey) + TwoDigits(version);
  if (reg.OpenKey(AppInfo.RegKey)) {
    const std::vector<std::string> names = reg.GetKeyNames();
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
      if (Lower(*it).find(pattern) == std::string::npos) continue;
      if (reg.OpenKey(*it)) {
        try {
          value = reg.ReadString(valueName);
        } catch (const ERegistryException&) {
          value.clear();  // a value of another type does not name the product
        }
      }
      break;
    }
  }
  if (Lower(valueName) == "rootdir") {
    value = ExcludeTrailingPathDelimiter(value) + "/" + Lower(AppInfo.ZaimuRegKey) + TwoDigits(version + 8);
    if (letter > 0) value += static_cast<char>(97 + letter);
  }
}

void TComDataExport::WarnIfProductUnknown() const {
  if (!ProgramName.empty() && !ProgramVer.empty()) return;
  uis::ShowMessage(uis::MsgKind::Warning,
                   "会計製品の名前またはバージョンをレジストリから読み取れませんでした。\r"
                   "中間ファイルの製品名・バージョンは空のまま出力します。",
                   "Product=\"" + ProgramName + "\" Version=\"" + ProgramVer + "\"");
}

void TComDataExport::SetSystemNode(TXmlSaveDoc& doc) {
  CheckExportText(ProgramName, "PROGRAMNAME");
  CheckExportText(ProgramVer, "PROGRAMVER");
  doc.CreateRoot("REPORT", "");
  TXmlNode sys = doc.AddNode(nullptr, "SYSTEM");
  doc.AddTextNode(sys, "GYOUMUPREFIX", GyoumuPrefix);
  doc.AddTextNode(sys, "VERSION", std::to_string(FormatVersion));
  doc.AddTextNode(sys, "FUNCTIONID", std::to_string(FunctionId));
  doc.AddTextNode(sys, "CONNECTEDPROGRAMVER", ConnectedProgramVer);
  doc.AddTextNode(sys, "PROGRAMNAME", ProgramName);
  doc.AddTextNode(sys, "PROGRAMVER", ProgramVer);
}

void TComDataExport::SetBasicNode(TXmlSaveDoc& doc) {
  CheckExportText(KomonsakiName, "KOMONSAKINAME");
  TXmlNode basic = doc.AddNode(nullptr, "BASIC");
  doc.AddTextNode(basic, "KOMONSAKINAME", KomonsakiName);
  if (GyoumuPrefix == "SY26" || GyoumuPrefix == "SY13") {
    const std::string accum = Params.AccumMethod != 0 ? "2" : "1";
    doc.AddTextNode(basic, "JIGYOUNENDOFROM", FormatDateTime("yyyymmdd", Params.YearStart));
    doc.AddTextNode(basic, "JIGYOUNENDOTO", FormatDateTime("yyyymmdd", Params.YearEnd));
    doc.AddTextNode(basic, "HOUJINKOJINKUBUN", Params.DataType == 2 ? "2" : "1");
    doc.AddTextNode(basic, "KAZEIKUBUN", Params.Simplified != 0 ? "2" : "1");
    // The data maker replaces it once it knows the period's rate classes.
    doc.AddTextNode(basic, "KEIKASHOCHIKAZEISHISAN", GyoumuPrefix == "SY26" ? "1" : "2");
    doc.AddTextNode(basic, "URIAGEZEIGAKUKEISAN", accum);
    doc.AddTextNode(basic, "SHIIREZEIGAKUKEISAN", Params.Simplified != 0 ? "" : accum);
    return;
  }
  throw EDataExportError("業務Prefixが条件に加えられていません。", kExportErrUnknownPrefix,
                         "SetBasicNode(BASICﾉｰﾄﾞを作成)");
}
