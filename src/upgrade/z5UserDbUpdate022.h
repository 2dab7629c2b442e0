#pragma once
// The procedures that company step 0.2.2 writes anew once the accounts have their own group
// column GROUPM0: opening-balance lists, the past-year balance input, the three-year management
// analysis, the budget readers and the budget from last year's actuals, the trial balance of a
// department group and the carry of the opening balance sheet into retained earnings.
//
// Each function returns one whole procedure text (lines separated by CR LF, ending in "^") that
// starts with `ReCREATE PROCEDURE "NAME"`; the caller writes it inside SET TERM ^. Parameter and
// result lists are those the program's screens and the later steps expect. Codes are
// VARCHAR(6) ASCII, names VARCHAR(14), amounts NUMERIC(16,4); sums and shares are worked in
// NUMERIC(18,4).
#include <string>

namespace step022 {

// SP_BUMONKAISIZAN_COUNT (PSCODE) -> RECCOUNT: how many rows the opening-balance input of the
// common department "00" of a branch has (sub-account rows, and accounts with fewer than two
// rows there).
std::string BumonKaisizanCount();
// SP_BUMONKAISIZAN_LIST (PSCODE): the department opening balances of a branch with the total
// over its departments (BUMGOUKEI) and, on an account's own row, how many rows it has there.
std::string BumonKaisizanList();
// SP_KAISIZAN_LIST (PSCODE, PSHOKUTI): the opening balances of a branch. The clearing account
// ("諸口", looked up by name; PSHOKUTI is not read) is never listed; an account with
// sub-accounts is listed only by its sub-accounts.
std::string KaisizanList();
// SP_KAISIZAN_COUNT (PSCODE, PSHOKUTI) -> RECCOUNT: the number of rows of SP_KAISIZAN_LIST.
std::string KaisizanCount();
// SP_KANENDOZAN_YOMIKOMI (PSCODE, PBCODE): past-year balances for their input screen, every slot
// below the one that follows the start month (start month 6 -> slots up to 7).
std::string KanendozanYomikomi();
// SP_MB_SELECT_KANENDOZAN (PSCODE, PBCODE, PTAXUH): three years of balances per account (PBCODE
// ' ' or '': summed over the departments, one row per account).
std::string MbSelectKanendozan();
// SP_MB_SELECT_YOSAN / SP_MB_SELECT_YOSOKU (PSCODE, PBCODE): the twelve monthly budgets or
// forecasts (as stored, cumulative) of the profit-and-loss accounts.
std::string MbSelectYosan();
std::string MbSelectYosoku();
// SP_MB_UPDATE_JISSEKIYOSAN (PSCODE, PKCODE, PBCODE, PTAIHI, PMNUM1, PMNUM2): the budgets of
// months PMNUM1 to PMNUM2 become last year's actual monthly amounts times PTAIHI (F_ROUND); the
// other months keep their current monthly budgets; all twelve are stored through
// SP_MB_UPDATE_HASSEIYOSAN.
std::string MbUpdateJissekiYosan();
// SP_SISANHYO_BUMON_GROUP (PTAX, PSCODE, PGCODE): the trial balance of a group of departments,
// without allocation; the account row, then its sub-account rows.
std::string SisanhyoBumonGroup();
// SP_YOSAN_READ (PSCODE, PBCODE): the budgets of the profit-and-loss accounts for the budget
// input (' ' reads every branch or department in the sums).
std::string YosanRead();
// SP_ZENKURI (SCODE, KAMOKUCODE): a corporation's opening balance sheet carried into retained
// earnings per department; nothing for any other data type. KAMOKUCODE is not read.
std::string Zenkuri();

}  // namespace step022
