#pragma once
// Printing a job: the entry that checks the files and brings the job's settings to the
// printer, the page-range dialog (through the UI services), and the printing dialog whose
// one-shot timer runs the printing loop. The loop draws the form layer and the data layer of
// every sheet, turns the paper between documents where the data ask for it, shows the texts of
// MESSAGE records between documents, and repeats the document for copies when the engine
// collates itself. The engine's printer must be a TVDBPrint (Zenpagex_Vdb.h).
#include <QDialog>
#include <functional>

#include "print/Zenpagex_Def.h"

class QLabel;
class QPushButton;

// -1 when the job was printed; 0 when nothing or not everything was printed (the preview
// shown instead, a file missing or foreign, the dialog cancelled, a record or page that could
// not be drawn). A failed print is reported to the user once.
int StartPrint(TZPGXDEF& job);
// Prints data page `page` of the job once, without the page-range dialog, turned to
// `orientation` (0 portrait, 1 landscape).
void PrintCurrentPage(TZPGXDEF& job, int page, int orientation);

// What a job with printing not permitted opens instead; without one it opens the preview
// window.
void SetPreviewEntry(std::function<void(TZPGXDEF&)> preview);

// The pages the page-range dialog chose for the running job.
struct TPrintRange {
  bool PageNums = false;  // only FromPage..ToPage
  int FromPage = 1;
  int ToPage = 1;
  int MaxPage = 1;
};

// The printing loop over the engine's job and printer for `range`; `pageMessage` (may be null)
// shows the sheet being printed. True when every sheet was printed and the output written.
bool RunPrintLoop(const TPrintRange& range, QLabel* pageMessage);

// The small window shown while printing. Its timer starts the loop 500 ms after it appeared,
// so the window is on screen first; the loop runs to its end and the window closes.
class TNowPrintingdlg : public QDialog {
  Q_OBJECT
 public:
  explicit TNowPrintingdlg(const TPrintRange& range, QWidget* parent = nullptr);
  // The printing loop; true when every sheet was printed and the output written.
  bool PrintStart();
  bool Succeeded() const { return ok_; }

 private:
  void CancelButtonClick();

  const TPrintRange& range_;
  QLabel* pageMessage_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  bool ok_ = false;
  bool started_ = false;
};
