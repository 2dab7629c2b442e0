#pragma once
// The shared records: what the whole program knows about the installation, the logged-on
// operator (SystemDef) and the open company data set (AccInf). Plain data with defaults; the
// operations that fill them live with the data module.
//
// Texts are UTF-8 (CP932 on disk and in the database), amounts Currency, dates TDateTime.
// Fields the product keeps but does not use are kept too, named ReservedNN after their place
// in the record, so the record reads in the same order everywhere.
// Fields that hold one SYSREG setting are named after the setting itself.
#include <array>
#include <cstdint>
#include <string>

#include "platform/Currency.h"
#include "platform/DateTime.h"

// Font of the application's screens as the settings describe it; the GUI layer turns it into
// a real font.
struct TAppFont {
  std::string Name;
  int32_t Size = 0;
  bool Bold = false;
  bool Italic = false;
  int32_t CharSet = 0;
};

// Index of the three report forms in the title arrays of TSystemDef.
enum : int {
  kTitleZenKamoku = 0,  // all-accounts form
  kTitleTeikeiA4 = 1,   // fixed A4 form
  kTitleTeikeiA3 = 2,   // fixed A3 form
};

struct TSystemDef {
  int32_t GroupId = 0;
  std::string AppIniFile;
  std::string WinUserName;
  std::string WinSysDir;
  std::string DocDir;
  std::string AppDataDir;
  std::string ExeDir;
  std::string BaseDir;
  std::string PrintDir;
  std::string Reserved10;
  std::string HelpDir;
  std::string SqlDir;
  std::string Reserved13;
  std::string IniDir;
  std::string LogDir;
  std::string TempDir;
  std::string WorkDir;
  std::string Reserved18;
  std::string ViewerDir;
  std::string SysDir;
  std::string DataDir;
  std::string DataPasName;       // registered path (PASNAME) of the selected data
  std::string ModuleResultText;  // result lines of a module run ("PATH1=..." CR "PATH2=...")
  std::string HostName;
  uint8_t GoGlobal = 0;
  uint8_t GroupLogon = 0;
  std::array<uint8_t, 2> Reserved25 = {};
  std::string DbUser;
  std::string DbPassword;
  std::string Reserved29;
  std::string SerialText;
  std::string PcName;
  int32_t LogonId = 0;
  int32_t OpCode = 0;
  std::string OpName;
  int32_t JobLevel = 0;
  uint8_t JimushoOperator = 0;
  std::string DefSisetuCode;
  uint8_t MyNumberAdmin = 0;
  int32_t SisetuJigyoKbn = 0;
  std::string SisetuCode;
  int32_t Reserved41 = 0;
  uint8_t Reserved42 = 0;
  std::array<std::string, 6> Reserved43;
  uint8_t Reserved49 = 0;  // cleared by fnGetSysDef

  // Screen settings.
  std::string FontName;
  int32_t FontSize = 0;
  int32_t FontStyle = 0;
  int32_t FontCharSet = 0;
  int32_t FontHeight = 0;
  int32_t GridResize = 0;
  int32_t ShowHint = 0;
  int32_t GridMaxRow = 0;
  int32_t GridRsiz = 0;
  int32_t PanelColor = 0;
  int32_t PanelBackColor = 0;
  int32_t MenuPrintSw = 0;
  int32_t ColHeaderColor = 0;
  int32_t FixedTopColor = 0;
  int32_t RowHeaderColor = 0;
  int32_t FixedLeftColor = 0;
  int32_t ActiveColor = 0;
  int32_t ClientColor = 0;

  // Colours and printer.
  int32_t ClientColor1 = 0;
  int32_t ClientColor2 = 0;
  int32_t ClientColor3 = 0;
  int32_t TotalColor = 0;
  int32_t ColHeaderGradColor1 = 0;
  int32_t ColHeaderGradColor2 = 0;
  int32_t ForeColor = 0;
  int32_t BorderColor = 0;
  int32_t ThruBorderColor = 0;
  std::string PrinterName;

  int32_t PreviewZOOM = 0;
  int32_t Reserved79 = 0;  // cleared by fnGetSysDef

  int32_t NetColor1 = 0;
  int32_t NetColor2 = 0;
  int32_t PLineColor1 = 0;
  int32_t PLineColor2 = 0;

  // Input dictionary.
  int32_t HojWait = 0;
  int32_t DicSwitch = 0;
  int32_t DicTekAuto = 0;
  int32_t DicTorAuto = 0;
  int32_t DicUsednt = 0;
  int32_t DicType = 0;
  int32_t DicNum1 = 0;
  int32_t DicNum2 = 0;
  int32_t DicSortType = 0;

  // Input and printing switches.
  int32_t TEK_AUTOUP = 0;
  int32_t TOR_AUTOUP = 0;
  int32_t UserPrint = 0;
  int32_t SwkTotal = 0;
  int32_t SwkLine = 0;
  int32_t Reserve3 = 0;
  int32_t Reserve1 = 0;
  int32_t KingakuPlus = 0;
  int32_t ZeroPrint = 0;
  int32_t SankakuPlus = 0;

  int32_t R2Bit1 = 0;  // bit 1 of Reserve2
  int32_t R2Bit2 = 0;  // bit 2 of Reserve2
  int32_t Reserved105 = 0;
  int32_t Reserve2 = 0;  // bit set
  int32_t Reserved107 = 0;
  int32_t Reserve4 = 0;  // bit set
  int32_t Reserve5 = 0;
  std::string SSTR;
  std::string ProgramTitle;
  std::string Reserved112;  // copy of the title
  std::string AppVerText;
  int32_t Reserved114 = 0;
  int32_t Reserved115 = 0;
  std::array<uint8_t, 12> Reserved116 = {};

  // Main-form bounds.
  int32_t MFTop = 0;
  int32_t MFLeft = 0;
  int32_t MFWidth = 0;
  int32_t MFHeight = 0;

  std::string OpenDataVer;
  int32_t WinVerKind = 0;
  TAppFont SecondFont;
  TAppFont AppFont;
  // Screen metrics set at start-up.
  int32_t MenuHeight = 0;
  int32_t Reserved126 = 0;
  int32_t FrameHeight = 0;
  int32_t CaptionHeight = 0;
  int32_t ExtraHeight = 0;

  int32_t ShowDataSentaku = 0;
  std::string ZenkaiDrive;
  int32_t LastMenu = 0;
  std::string Reserved133;
  uint8_t LauncherFlag = 0;  // cleared by fnGetSysDef
  uint8_t DialogFlag = 0;

  // SYSTEMINI row 10.
  std::string KaishaName;
  std::string KaishaJyusho;
  std::string KaishaTel;
  int32_t KaishaNo1 = 0;
  int32_t KaishaNo2 = 0;
  int32_t KaishaNo3 = 0;

  // Bits of Reserve4.
  int32_t R4Bit1 = 0;
  int32_t R4Bit2 = 0;
  int32_t R4Bit3 = 0;
  int32_t R4Bit4 = 0;
  int32_t R4Bit56 = 0;  // 1: bit 5 set; 2: bit 6 set (bit 5 clear); 0: neither
  int32_t R4Bit7 = 0;   // after loading: the setting 元帳最終行残高出力区
  int32_t R4Bit8 = 0;
  int32_t SisetuAllSw = 0;  // SYSTEMINI row 20 RESERVE1; 1 while a local data selection runs
  int32_t R4Bit9 = 0;
  int32_t R4Bit10 = 0;
  int32_t R4Bit11 = 0;

  // Operator settings kept in SYSREG.
  int32_t 次項目移動区分 = 0;
  uint8_t 科目コード桁数 = 0;
  uint8_t 補助コード桁数 = 0;
  uint8_t 部門コード桁数 = 0;
  uint8_t 仕訳日付フォーカス = 0;
  int32_t DataCheckFailed = 0;  // set by the data-check hook
  int32_t DataCheckKbn = 0;     // データ破損チェック区 of the operator's group
  int32_t 試算表集計出力区分 = 0;
  int32_t 元帳タイトル出力区分 = 0;
  int32_t 試算表ＢＳ改ページ区 = 0;
  int32_t 試算表タイトル出力区 = 0;
  std::string 試算表タイトル;
  // Report titles by form: [kTitleZenKamoku, kTitleTeikeiA4, kTitleTeikeiA3].
  std::array<std::string, 3> ＢＳタイトル;
  std::array<std::string, 3> 資産タイトル;
  std::array<std::string, 3> 負債タイトル;
  std::array<std::string, 3> ＰＬタイトル;
  std::array<std::string, 3> 販売費タイトル;
  int32_t DataPlaceRec = 0;  // サーバのデータの場所
  int32_t 摘要項目の編集モード = 0;
  int32_t 元帳１行出力区分 = 0;
  int32_t 元帳付箋マーク出力区 = 0;
  int32_t 連想辞書抽出条件区分 = 0;
  std::array<uint8_t, 4> Reserved175 = {};
  std::string Reserved176;
  int32_t 摘要項目の入力区分 = 0;
  int32_t 取引先項目の入力区分 = 0;
  int32_t 裏面の罫線印刷区分 = 0;
  int32_t 消費税コード印刷区分 = 0;
  int32_t 決算書手形相殺区分 = 0;
  int32_t 決算書販売費組入区分 = 0;
  int32_t 試算表行数調整区分 = 0;
  int32_t SisetuColor = 0;
  int32_t 連想辞書コード入力区 = 0;
  int32_t 連想辞書リスト並び順 = 0;
  std::string SrvWorkDir;
  std::array<uint8_t, 12> Reserved188 = {};
  int32_t 試算表期間出力区分 = 0;
  std::string 二期試算表タイトル;
  int32_t Reserved191 = 0;  // set to 1 by fnGetSysDef
  int32_t 摘要＿辞書開く区分 = 0;
  int32_t 取引先＿辞書開く区分 = 0;
  int32_t 摘要＿連想開く区分 = 0;
  int32_t 取引先＿連想開く区分 = 0;
  int32_t 摘要＿自動開く区分 = 0;
  int32_t 取引先＿自動開く区分 = 0;
  int32_t 摘要＿入力なし区分 = 0;
  int32_t 取引先＿入力なし区分 = 0;
};

// One row of SYSTEMINI.
struct TSystemIniRec {
  int32_t REC = 0;
  int32_t RESERVE1 = 0;
  int32_t RESERVE2 = 0;
  int32_t RESERVE3 = 0;
  int32_t RESERVE4 = 0;
  int32_t RESERVE5 = 0;
  std::string SSTR;
};

// Colours of a new SYSDEF row ($00BBGGRR). ClientColor2, TotalColor and ActiveColor depend on
// the OEM kind and are the framework settings fw::DefClientColor2, fw::DefTotalColor and
// fw::DefActiveColor (data/z5AppInfo.h; standard 0xE1F0FF, 0x8EC7FF, 0x246BFF).
constexpr int32_t DefColHeaderColor = 14408667;        // 0xDBDBDB
constexpr int32_t DefColHeaderGradColor1 = 0xFFFFFF;
constexpr int32_t DefColHeaderGradColor2 = 14408667;   // 0xDBDBDB
constexpr int32_t DefClientColor = 0xFFFFFF;
constexpr int32_t DefClientColor1 = 0xFFFFFF;
constexpr int32_t DefNetColor1 = 14155735;             // 0xD7FFD7
constexpr int32_t DefNetColor2 = 14155735;             // 0xD7FFD7
constexpr int32_t DefPLineColor1 = 0x7900;
constexpr int32_t DefPLineColor2 = 0x7900;

// Indexes of TACCINF::SysKCode / SysUserCode.
enum : int {
  kSysGenkin = 0,          // 現金
  kSysKaribaraiTax = 1,    // 仮払消費税
  kSysKariukeTax = 2,      // 仮受消費税
  kSysShokuchi = 3,        // 諸口
  kSysKurikoshiRieki = 4,  // 繰越利益剰余金 (前期繰越利益 for medical data)
  kSysJigyonushiKashi = 5, // 事業主貸
  kSysJigyonushiKari = 6,  // 事業主借
  kSysMotoire = 7,         // 元入金
  kSysKyuryo = 8,          // 給料
  kSysShoyo = 9,           // 賞与
  kSysShoyoHikiate = 10,   // 賞与引当金繰入額
  kSysTaishokuKyufu = 11,  // 退職給付費用
};

// Basic settings of the open company data set. Mostly the ACCDEF1 columns of the same name.
// Arrays of numbered columns are 0-based: YAKUMEI[0] holds YAKUMEI1, NEW_TAX_RATE[4] holds
// NEW_TAX_RATE5. KiStart/KiEnd/KiInputStart: [0] current year, [1] previous, [2] the one before.
struct TACCINF {
  int32_t GROUPID = 0;
  std::string ENTTEXT;
  std::string SERIAL;
  int32_t TANTOU = 0;
  int32_t GYOUSHU = 0;
  int32_t DATATYPE = 0;  // 1 corporation, 2 individual, 3 medical corporation
  std::string DataTypeName;
  int32_t CODETYPE = 0;
  std::string CodeTypeName;
  int32_t Reserved10 = 0;
  int32_t BumonCount = 0;
  std::string SCODE1;
  std::string SCODE2;
  std::string SKANA;
  std::string SHOUGOU;
  std::string POST;
  std::string ADD1;
  std::string ADD2;
  std::string TEL;
  std::string AO_ADD1;
  std::string AO_ADD2;
  std::string AO_KANA;
  std::string AO_SIMEI;
  std::string AO_GYOUSHU;
  std::string AO_YAGO;
  std::string AO_KANYU;
  std::string AO_TEL;
  std::string AO_SHOKUGYO1;
  std::string AO_SHOKUGYO2;
  std::string MAIL;
  TDateTime zzKISHU = 0;  // 0 = not recorded
  TDateTime zKISHU = 0;   // 0 = not recorded
  int32_t NENDO = 0;
  TDateTime KISHU = 0;
  TDateTime KIMATU = 0;
  TDateTime KAISI = 0;
  int32_t SIME = 0;  // closing day 1-28, 99 = month end
  int32_t KAISINO = 0;
  int32_t PrevKikanNo = 0;
  int32_t LastKikanNo = 0;
  int32_t KaisiMonths = 0;
  int32_t KimatuMonths = 0;
  int32_t GENGOU_FLG = 0;
  int32_t GENGOU_HOSEI = 0;
  std::string GENGOU_NAME;
  std::array<std::string, 3> YAKUMEI;
  std::array<Currency, 5> OLD_TAX_RATE = {};
  std::array<Currency, 5> NEW_TAX_RATE = {};
  std::array<TDateTime, 5> CHG_DAYS = {};
  TDateTime KANSA_FIXDATE = 0;
  TDateTime KANSA_DATE = 0;
  int32_t CALCU = 0;
  int32_t TAXU_HASUU = 0;
  int32_t TAXH_HASUU = 0;
  int32_t TAXDEFUH = 0;
  int32_t TAXKANNI = 0;
  int32_t TAXJIGYOU = 0;
  int32_t GENKAPRINT = 0;
  int32_t KANSA_LOCK = 0;
  int32_t TEGATADICSW = 0;
  int32_t KESSAN_KIKAN = 0;
  int32_t CASHFLOW_KIKAN1 = 0;
  int32_t CASHFLOW_KIKAN2 = 0;
  int32_t CASHFLOWSW = 0;
  int32_t SDAI_HASUU1 = 0;
  int32_t SDAI_HASUU2 = 0;
  int32_t SDAI_HASUU3 = 0;
  int32_t CONVERT = 0;
  int32_t SHOUHYOU = 0;
  int32_t Reserved70 = 0;  // set to 0 by every load
  int32_t SITEN = 0;
  int32_t BUMON = 0;
  int32_t DATALOCK = 0;
  int32_t GENKA_USE = 0;
  std::string GENKA_HWORD1;
  std::string GENKA_HWORD2;
  std::string GENKA_HWORD3;
  std::string GENKA_HWORD4;
  std::string GENKA_HWORD5;
  std::string PlusName5880;
  std::string PlusName5580;
  std::string PlusName5680;
  std::string PlusName5780;
  std::string PlusName5790;
  std::string PASWORD;
  std::string WEB_HOLDER;
  std::array<std::string, 6> TusinPassword;
  std::array<std::string, 6> TusinHolder;
  std::array<std::string, 12> SysKCode;     // by kSys... index
  std::array<std::string, 12> SysUserCode;  // by kSys... index
  std::string FUMEI_KCODE;
  std::string FumeiUserCode;
  int32_t Reserved93 = 0;  // set to 1 by every load
  uint8_t IsMedical = 0;
  int32_t Reserved95 = 0;  // set to 0 by every load
  std::array<TDateTime, 3> KiStart = {};
  std::array<TDateTime, 3> KiEnd = {};
  std::array<TDateTime, 3> KiInputStart = {};
  int32_t KakoMeisai = 0;
  uint8_t GassanKubun = 0;
  int32_t GassanCount = 0;
  uint8_t KCodeDigits = 0;
  uint8_t HCodeDigits = 0;
  uint8_t BCodeDigits = 0;
  std::array<uint8_t, 2> Reserved105 = {};
  int32_t IkkatuZeinuki = 0;
  int32_t Reserved107 = 0;  // set to 0 by every load
  std::string DataPassword;
  int32_t PrintKikanUse = 0;
  TDateTime PrintKikanStart = 0;
  TDateTime PrintKikanEnd = 0;
  std::array<std::string, 3> TegataKCode;     // 受取手形, 割引手形, 裏書手形
  std::array<std::string, 3> TegataUserCode;
  int32_t TAXDEFUH2 = 0;  // second copy of TAXDEFUH
  int32_t KURIKOSI1 = 0;
  int32_t KURIKOSI2 = 0;
  std::string GENKA_HWORD6;
  std::string PlusName5688;
  int32_t VerMajor = 0;
  int32_t VerMinor1 = 0;
  int32_t VerMinor2 = 0;
  int32_t KobetuGenkaUse = 0;
  std::string KobetuGenkaName;
  uint8_t KobetuGenkaDigits = 0;
  int32_t MyNumberUse = 0;
  std::string MyNumberKey;
  std::string MyNumberValue;
  int32_t CloudKubun = 0;
  int32_t Reserved129 = 0;  // R4Bit4 of SystemDef, or 1 when SITEN is 0
};

// Which product the program runs as; always 0 here.
extern uint8_t ProgramKind;
// 0 local, 1 client/server, 2 terminal server.
extern uint8_t ConnectMode;
extern uint8_t ReservedKind;
// 1 when the application information names the one OEM the settings treat differently.
extern uint8_t OemKind;

extern TSystemDef SystemDef;
extern TACCINF AccInf;
// Written to the error log after "DataVer="; nothing here sets it.
extern std::string DataVerText;
